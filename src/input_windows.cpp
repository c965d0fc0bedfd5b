// The Windows part of the input layer. A console is read in its own line
// mode, which already edits lines and recalls earlier ones (arrows, F7), and
// Ctrl-Z at the start of a line ends input there. Files and pipes are read as
// bytes with ReadFile: no text-mode translation, so CR is just a separator
// and a 0x1A byte is an ordinary (refused) byte, not a silent end.
//
// Standard output and error stay in the C library's text mode, so every line
// calc writes ends in CR LF, as Windows console programs' lines do.
#define WIN32_LEAN_AND_MEAN
#define NOMINMAX
#include <windows.h>

#include <algorithm>
#include <cstdio>

#include "input.h"

namespace {

// Large enough that a batch from a file or pipe costs few ReadFile calls.
constexpr size_t kBlockBytes = 1 << 16;
// The most one ReadConsole call is asked for: the console host limits a
// request, and a longer line simply comes in several.
constexpr DWORD kConsoleChunkBytes = 1 << 13;
constexpr char kCtrlZ = 0x1A;

// What standard input is (Input::source).
enum Source : int {
  kFile,     // a disk file: a read never waits
  kPipe,     // an anonymous or named pipe
  kConsole,  // a console, read a line at a time
  kDevice,   // any other character device (NUL, a serial port)
};

// True while the console's next line has not begun, so that a Ctrl-Z there
// ends input. calc reads one standard input, so one flag serves.
bool s_bConsoleAtLineStart = true;

HANDLE StandardInput() { return GetStdHandle(STD_INPUT_HANDLE); }

// GetConsoleMode tells a console apart from NUL, which is a character device
// too (and which the C library's isatty takes for a terminal).
bool IsConsole(const HANDLE handle) {
  DWORD mode = 0;
  return GetConsoleMode(handle, &mode) != 0;
}

Source Classify(const HANDLE handle) {
  if (IsConsole(handle)) return kConsole;
  switch (GetFileType(handle)) {
    case FILE_TYPE_DISK:
      return kFile;
    case FILE_TYPE_PIPE:
      return kPipe;
    default:
      return kDevice;
  }
}

// True unless a read will return at once: a file never waits, a pipe with
// bytes in it does not. A pipe that cannot be peeked (its writer gone, or
// wine's stand-in for a Unix pipe) and any device count as a possible wait,
// which costs only an early flush.
bool MayWait(const Input* input) {
  if (input->source == kFile) return false;
  if (input->source != kPipe) return true;
  DWORD waiting = 0;
  return PeekNamedPipe(StandardInput(), nullptr, 0, nullptr, &waiting, nullptr) == 0 || waiting == 0;
}

// Ends input; a failure's code is kept, a pipe whose writer has gone or the
// end of a file is a normal end.
size_t EndInput(Input* input, const DWORD error) {
  if (error != ERROR_BROKEN_PIPE && error != ERROR_HANDLE_EOF) input->error = static_cast<int>(error);
  input->ended = true;
  return 0;
}

// Reads one block into buffer[offset...]; the count read, 0 at end or failure.
// A read of nothing is the end, as the C library takes it: wine gives one at
// the end of a pipe, where Windows reports the pipe broken.
size_t ReadBlock(Input* input, const size_t offset) {
  if (MayWait(input)) input->beforeWait(input->waitContext);
  const auto room = static_cast<DWORD>(input->buffer.size() - offset);
  DWORD count = 0;
  if (!ReadFile(StandardInput(), input->buffer.data() + offset, room, &count, nullptr)) {
    return EndInput(input, GetLastError());
  }
  return count > 0 ? count : EndInput(input, ERROR_HANDLE_EOF);
}

// Reads what the console hands over of the line being typed, CR LF included,
// into buffer[offset...]; 0 at Ctrl-Z at the start of a line.
size_t ReadConsoleLine(Input* input, const size_t offset) {
  input->beforeWait(input->waitContext);
  const auto room = static_cast<DWORD>(std::min<size_t>(input->buffer.size() - offset, kConsoleChunkBytes));
  char* into = input->buffer.data() + offset;
  DWORD count = 0;
  if (!ReadConsoleA(StandardInput(), into, room, &count, nullptr)) return EndInput(input, GetLastError());
  if (count == 0 || (s_bConsoleAtLineStart && into[0] == kCtrlZ)) return EndInput(input, ERROR_HANDLE_EOF);
  s_bConsoleAtLineStart = into[count - 1] == '\n';
  return count;
}

}  // namespace

const char kEndOfInputKeys[] = "Ctrl-Z, then Enter";
const char kTerminalHelp[] =
    "At a console, lines are edited as the console edits them, and earlier\n"
    "lines recalled with the Up arrow or F7.";
const char kHelpExample[] = "type pairs.txt | calc";
const char kHelpOption[] = "/?";

void StartInput(Input* input) {
  input->source = Classify(StandardInput());
  input->buffer.assign(kBlockBytes, '\0');
}

size_t ReadInput(Input* input, const size_t offset) {
  return input->source == kConsole ? ReadConsoleLine(input, offset) : ReadBlock(input, offset);
}

// The system's own text for the code, without its line end.
const char* ReadErrorText(const int error) {
  static char s_szText[256];
  const DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                                      static_cast<DWORD>(error), 0, s_szText, sizeof s_szText, nullptr);
  if (length == 0) {
    std::snprintf(s_szText, sizeof s_szText, "system error %d", error);
    return s_szText;
  }
  size_t end = length;
  while (end > 0 && (s_szText[end - 1] == '\r' || s_szText[end - 1] == '\n' || s_szText[end - 1] == ' ')) --end;
  s_szText[end] = '\0';
  return s_szText;
}

bool OutputIsTerminal() { return IsConsole(GetStdHandle(STD_OUTPUT_HANDLE)); }

void WriteOutput(const char* bytes, const size_t count) { std::fwrite(bytes, 1, count, stdout); }
