// The line editor of the POSIX input part: libedit at a terminal.
//
// libedit edits the line, but the bytes come from calc's own reader: every
// typed byte reaches the tokeniser in any locale, a read error is told apart
// from end of input, a non-blocking terminal is waited on, and signals are
// acted on by calc alone (libedit's own handling would pass them on to the
// whole process group).
#include <cerrno>
#include <climits>
#include <clocale>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <cwchar>
#include <cwctype>
#include <string>

#include <fcntl.h>
#include <histedit.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include "editor.h"

namespace {

// The editor works on wide characters. A byte the locale cannot decode, or
// that decodes to a character the editor would take for a command key, is
// handed over as this base plus the byte (a lone low surrogate, which no
// decoder yields and the editor shows as \U+DCxx), and turned back into that
// same byte when the line is read: every typed byte reaches the tokeniser.
constexpr wchar_t kEscapedByte = 0xDC00;
constexpr wchar_t kByteValues = 0x100;
constexpr wchar_t kKeyMapSize = 0x100;  // the editor looks up characters below this in its key map
constexpr int kHistoryLines = 1000;

// The signals calc acts on while the editor holds the terminal in raw mode.
// libedit's own handling is off: it passes signals on to the whole process
// group.
constexpr int kCaught[] = {SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGTSTP, SIGCONT, SIGWINCH};
constexpr size_t kCaughtCount = sizeof kCaught / sizeof kCaught[0];

struct Editor {
  EditLine* line;
  HistoryW* history;
  std::FILE* out;     // where the editor echoes: the terminal
  termios modes;      // the terminal's modes before calc changed them
  int readError;      // errno of the read that ended the line; 0 at end of file
  int wake[2];        // self-pipe: the signal handler writes the signal's number
  struct sigaction previous[kCaughtCount];
  char pending[MB_LEN_MAX];  // bytes read but not yet handed to the editor
  size_t pendingCount;
  bool thrownAway;    // Ctrl-C threw the line being typed away: the editor's read ends
  bool interrupted;   // Ctrl-C came, and no line was entered since
  bool toldHowToEnd;  // the first Ctrl-C's hint is written
};

// Written once, after the first Ctrl-C that throws a line away.
constexpr char kInterruptHint[] = "Ctrl-D ends input; Ctrl-C again on an empty line ends calc";

Editor gEditor;

// Async-signal-safe: one byte into the self-pipe, which wakes ReadKey.
void NoteSignal(const int signal) {
  const int saved = errno;
  const auto number = static_cast<unsigned char>(signal);
  (void)!write(gEditor.wake[1], &number, 1);
  errno = saved;
}

void SetDisposition(const int signal, void (*handler)(int)) {
  struct sigaction action = {};
  action.sa_handler = handler;
  sigemptyset(&action.sa_mask);
  sigaction(signal, &action, nullptr);
}

// Signals calc was started with ignored stay ignored.
void CatchSignals(Editor* editor) {
  for (size_t i = 0; i < kCaughtCount; ++i) {
    sigaction(kCaught[i], nullptr, &editor->previous[i]);
    if (editor->previous[i].sa_handler != SIG_IGN) SetDisposition(kCaught[i], NoteSignal);
  }
}

void RestoreModes(const Editor* editor) { tcsetattr(STDIN_FILENO, TCSANOW, &editor->modes); }

// Ends calc by the signal itself, so that its parent learns why; with the
// default action in place nothing else in the process group is touched.
[[noreturn]] void EndBySignal(const Editor* editor, const int signal) {
  RestoreModes(editor);
  SetDisposition(signal, SIG_DFL);
  raise(signal);
  _exit(128 + signal);
}

// Puts the terminal back in the editor's modes (whatever was done to them
// meanwhile) and redraws the line being typed from the start of the cursor's
// line, where the editor's refresh takes the cursor to be.
void Resume(const Editor* editor) {
  el_set(editor->line, EL_PREP_TERM, 0);
  el_set(editor->line, EL_PREP_TERM, 1);
  std::fputc('\r', editor->out);
  el_set(editor->line, EL_REFRESH);
}

bool StartedIgnored(const Editor* editor, const int signal) {
  for (size_t i = 0; i < kCaughtCount; ++i) {
    if (kCaught[i] == signal) return editor->previous[i].sa_handler == SIG_IGN;
  }
  return false;
}

// Stops calc alone, with the terminal in its ordinary modes meanwhile. The
// SIGCONT that continues calc is noted like any other and resumes the editor
// once; resuming here as well would pass the terminal through its ordinary
// modes again after the line is redrawn. Only when calc was started with
// SIGCONT ignored does nothing else resume it.
void Stop(const Editor* editor) {
  el_set(editor->line, EL_PREP_TERM, 0);
  SetDisposition(SIGTSTP, SIG_DFL);
  raise(SIGTSTP);
  SetDisposition(SIGTSTP, NoteSignal);
  if (StartedIgnored(editor, SIGCONT)) Resume(editor);
}

// Ctrl-C (SIGINT) throws the line being typed away, as interactive shells
// do; again on an empty line, with no line entered since, it ends calc as
// SIGINT does.
void Interrupt(Editor* editor) {
  const LineInfoW* typed = el_wline(editor->line);
  if (editor->interrupted && typed->lastchar == typed->buffer) EndBySignal(editor, SIGINT);
  editor->interrupted = true;
  editor->thrownAway = true;
}

void ActOnSignal(Editor* editor, const int signal) {
  if (signal == SIGINT) {
    Interrupt(editor);
  } else if (signal == SIGWINCH) {
    el_resize(editor->line);
  } else if (signal == SIGCONT) {
    Resume(editor);
  } else if (signal == SIGTSTP) {
    Stop(editor);
  } else {
    EndBySignal(editor, signal);
  }
}

// The next signal noted in the self-pipe (its read end does not block), or 0
// when none is waiting.
int TakeNotedSignal(const Editor* editor) {
  unsigned char number = 0;
  return read(editor->wake[0], &number, 1) == 1 ? number : 0;
}

void ActOnSignals(Editor* editor) {
  for (int signal = TakeNotedSignal(editor); signal != 0; signal = TakeNotedSignal(editor)) {
    ActOnSignal(editor, signal);
  }
}

// Puts back the dispositions calc was started with; a signal that came after
// the editor's last read meets them now, with the terminal in its ordinary modes.
void ReleaseSignals(Editor* editor) {
  for (size_t i = 0; i < kCaughtCount; ++i) sigaction(kCaught[i], &editor->previous[i], nullptr);
  for (int signal = TakeNotedSignal(editor); signal != 0; signal = TakeNotedSignal(editor)) {
    if (signal != SIGTSTP && signal != SIGCONT && signal != SIGWINCH) RestoreModes(editor);
    raise(signal);
  }
}

// A read of nothing from a terminal: the end of its input, or (when the
// terminal itself can no longer be asked for its modes) a hang-up, which is
// an error: -1 with its errno recorded; 0 at end of file.
int EndOfFileOrHangUp(Editor* editor) {
  termios modes;
  if (tcgetattr(STDIN_FILENO, &modes) == 0) return 0;
  editor->readError = errno;
  return -1;
}

// Reads one byte onto the pending ones, waiting (also when the terminal was
// set non-blocking) and acting on signals meanwhile: 1, or 0 at end of file,
// or -1 on a read error, recorded in readError, or when Ctrl-C threw the line
// away.
int ReadByte(Editor* editor) {
  for (;;) {
    pollfd ready[] = {{STDIN_FILENO, POLLIN, 0}, {editor->wake[0], POLLIN, 0}};
    if (poll(ready, 2, -1) < 0) {
      if (errno == EINTR || errno == EAGAIN) continue;
      editor->readError = errno;
      return -1;
    }
    if (ready[1].revents != 0) ActOnSignals(editor);
    if (editor->thrownAway) return -1;
    if (ready[0].revents == 0) continue;
    const ssize_t count = read(STDIN_FILENO, editor->pending + editor->pendingCount, 1);
    if (count > 0) {
      editor->pendingCount += 1;
      return 1;
    }
    if (count == 0) return EndOfFileOrHangUp(editor);
    if (errno != EINTR && errno != EAGAIN && errno != EWOULDBLOCK) {
      editor->readError = errno;
      return -1;
    }
  }
}

// True for a decoded character the editor inserts as itself: a control key
// below 0x80 stays a key; above, it must be printable where the key map
// would otherwise take it for a Meta key.
bool InsertsAsItself(const wchar_t c) { return c < 0x80 || c >= kKeyMapSize || iswprint(static_cast<wint_t>(c)); }

// The next character from the pending bytes, once they hold a whole one: the
// locale's character, or the first byte escaped.
bool TakeKey(Editor* editor, wchar_t* key) {
  if (editor->pendingCount == 0) return false;
  wchar_t c = 0;
  mbstate_t state = {};
  size_t used = std::mbrtowc(&c, editor->pending, editor->pendingCount, &state);
  if (used == static_cast<size_t>(-2) && editor->pendingCount < MB_CUR_MAX) return false;
  if (used == 0) used = 1;  // a NUL byte
  if (used > editor->pendingCount || !InsertsAsItself(c)) {
    c = kEscapedByte + static_cast<unsigned char>(editor->pending[0]);
    used = 1;
  }
  *key = c;
  editor->pendingCount -= used;
  std::memmove(editor->pending, editor->pending + used, editor->pendingCount);
  return true;
}

// The editor's character source (EL_GETCFN): 1 with a character, 0 at end of
// file, -1 on a read error.
int ReadKey(EditLine*, wchar_t* key) {
  for (;;) {
    if (TakeKey(&gEditor, key)) return 1;
    const int got = ReadByte(&gEditor);
    if (got <= 0) return got;
  }
}

// Writes the line's characters as bytes at `out`, escaped bytes as
// themselves; the count written. A character the locale cannot encode (from
// a key binding's macro, say) becomes '?', which no numeral holds.
size_t EncodeLine(const wchar_t* line, const size_t length, char* out) {
  char* const start = out;
  mbstate_t state = {};
  for (size_t i = 0; i < length; ++i) {
    const wchar_t c = line[i];
    if (c >= kEscapedByte && c < kEscapedByte + kByteValues) {
      *out++ = static_cast<char>(c - kEscapedByte);
      continue;
    }
    const size_t count = std::wcrtomb(out, c, &state);
    if (count == static_cast<size_t>(-1)) {
      *out++ = '?';
      state = {};
    } else {
      out += count;
    }
  }
  return static_cast<size_t>(out - start);
}

// Input ended: Ctrl-D on an empty line, end of file, or a read error. The
// terminal gets its modes back and a line end after the editor's "^D", so
// that what is written next starts on a fresh line.
void EndLines(Input* input) {
  input->ended = true;
  input->error = gEditor.readError;
  RestoreModes(&gEditor);
  std::fputc('\n', gEditor.out);
  std::fflush(gEditor.out);
}

void AddToHistory(const wchar_t* line, const size_t length) {
  const std::wstring entry(line, length > 0 && line[length - 1] == L'\n' ? length - 1 : length);
  if (entry.empty()) return;
  HistEventW event;
  history_w(gEditor.history, &event, H_ENTER, entry.c_str());
}

// Ctrl-C threw the line being typed away, and with it goes a pair's first
// number still waiting for its partner (Input::dropped). The terminal gets
// "^C" and a line end, and the first time a hint how to end input; the
// editor's next read starts on a fresh line.
void ThrowAway(Input* input) {
  gEditor.thrownAway = false;
  gEditor.pendingCount = 0;
  input->dropped = true;
  std::fputs("^C\n", gEditor.out);
  if (!gEditor.toldHowToEnd) std::fprintf(gEditor.out, "%s\n", kInterruptHint);
  gEditor.toldHowToEnd = true;
  std::fflush(gEditor.out);
}

// Reads one line through the editor into buffer[offset...], with its line
// end; the count read, 0 at end of input or on a read error, or when Ctrl-C
// threw the line away (then input->ended stays false).
size_t ReadLine(Input* input, const size_t offset) {
  input->beforeWait(input->waitContext);
  gEditor.readError = 0;
  int length = 0;
  CatchSignals(&gEditor);
  const wchar_t* line = el_wgets(gEditor.line, &length);
  ReleaseSignals(&gEditor);
  if (gEditor.thrownAway) {
    ThrowAway(input);
    return 0;
  }
  if (line == nullptr || length <= 0) {
    EndLines(input);
    return 0;
  }
  const auto characters = static_cast<size_t>(length);
  input->buffer.resize(offset + characters * MB_LEN_MAX);
  const size_t count = EncodeLine(line, characters, input->buffer.data() + offset);
  AddToHistory(line, characters);
  gEditor.interrupted = false;
  return count;
}

// A stream onto the terminal that standard input is, for the editor's echo
// when standard output is redirected; standard error if it cannot be opened.
std::FILE* InputTerminal() {
  const char* name = ttyname(STDIN_FILENO);
  const int fd = name == nullptr ? -1 : open(name, O_WRONLY | O_NOCTTY | O_CLOEXEC);
  std::FILE* stream = fd < 0 ? nullptr : fdopen(fd, "w");
  if (stream != nullptr) return stream;
  if (fd >= 0) close(fd);
  return stderr;
}

// A pipe whose ends neither block nor pass to programs calc might run.
bool OpenWakePipe(int ends[2]) {
  if (pipe(ends) != 0) return false;
  for (int i = 0; i < 2; ++i) {
    fcntl(ends[i], F_SETFL, fcntl(ends[i], F_GETFL) | O_NONBLOCK);
    fcntl(ends[i], F_SETFD, FD_CLOEXEC);
  }
  return true;
}

// Keys libedit's readline interface bound beyond the terminal's own arrows
// (Home, End, Delete, Insert, word moves, incremental search), kept working;
// Tab inserts itself, a separator as through a pipe.
constexpr const char* kBindings[][2] = {
    {"^I", "ed-insert"},           {"^R", "em-inc-search-prev"},
    {"\\e[1~", "ed-move-to-beg"},  {"\\e[7~", "ed-move-to-beg"},        {"\\e[H", "ed-move-to-beg"},
    {"\\e[4~", "ed-move-to-end"},  {"\\e[8~", "ed-move-to-end"},        {"\\e[F", "ed-move-to-end"},
    {"\\e[3~", "ed-delete-next-char"}, {"\\e[2~", "ed-quoted-insert"},
    {"\\e[1;5C", "em-next-word"},  {"\\e[1;5D", "ed-prev-word"},        {"\\e[5C", "em-next-word"},
    {"\\e[5D", "ed-prev-word"},    {"\\e\\e[C", "em-next-word"},        {"\\e\\e[D", "ed-prev-word"},
};

char* EmptyPrompt(EditLine*) {
  static char empty[] = "";
  return empty;
}

}  // namespace

// Characters are decoded as the environment's locale says.
bool StartEditor() {
  Editor* editor = &gEditor;
  if (tcgetattr(STDIN_FILENO, &editor->modes) != 0 || !OpenWakePipe(editor->wake)) return false;
  std::setlocale(LC_CTYPE, "");
  editor->out = isatty(STDOUT_FILENO) ? stdout : InputTerminal();
  // "calc" is the program name ~/.editrc lines are addressed by.
  editor->line = el_init("calc", stdin, editor->out, stderr);
  editor->history = history_winit();
  if (editor->line == nullptr || editor->history == nullptr) return false;
  HistEventW event;
  history_w(editor->history, &event, H_SETSIZE, kHistoryLines);
  el_wset(editor->line, EL_HIST, history_w, editor->history);
  el_set(editor->line, EL_EDITOR, "emacs");
  el_set(editor->line, EL_SIGNAL, 0);
  el_set(editor->line, EL_PROMPT, EmptyPrompt);
  el_set(editor->line, EL_GETCFN, ReadKey);
  for (const auto& binding : kBindings) el_set(editor->line, EL_BIND, binding[0], binding[1], nullptr);
  el_source(editor->line, nullptr);
  return true;
}

const char kTerminalHelp[] =
    "At a terminal, lines can be edited, and earlier lines recalled with the\n"
    "Up arrow.";

size_t ReadEditedLine(Input* input, const size_t offset) { return ReadLine(input, offset); }
