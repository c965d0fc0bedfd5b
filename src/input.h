// Standard input of the calc driver, and the few facts about the console the
// driver needs. Bytes from a file or pipe are read in large blocks into a
// buffer of the driver's own; a terminal is read a line at a time, through
// the line editor where there is one.
//
// The driver is told before every read that may wait (WaitHook), so that it
// can hand over everything it owes its reader first: standard output is then
// flushed exactly when the process is about to wait, and never per pair.
//
// input.cpp holds what every platform shares; input_posix.cpp and
// input_windows.cpp each implement the platform part declared at the end.
#pragma once

#include <cstddef>
#include <vector>

// What NextByte returns once input has ended or could not be read.
constexpr int kEndOfInput = -1;

// Called just before a read that may wait for more input.
using WaitHook = void (*)(void* context);

// Invariant: [next, end) holds the bytes read and not yet consumed, and lies
// in [roomBegin, roomEnd): buffer (or, for UTF-16 input, text) as far as it
// may be read.
struct Input {
  int source;    // what standard input is, as the platform part classifies it
  bool atStart;  // nothing handed out yet: a leading byte-order mark is read
  int encoding;  // how the bytes read are handed out, as the mark said (input.cpp)
  int heldByte;  // UTF-16: the first byte of a code unit whose second is still to come; -1 when none
  int heldUnit;  // UTF-16: a high surrogate whose low one may come next; -1 when none
  std::vector<char> text;  // UTF-16: the text decoded from the last bytes read
  bool ended;    // end of input reached, or reading failed
  int error;     // the platform's code for the failed read; 0 when input ended normally
  bool dropped;  // the line editor threw the line being typed away (Ctrl-C): a pair's
                 // first number still waiting for its partner goes too; the driver clears it
  WaitHook beforeWait;
  void* waitContext;
  std::vector<char> buffer;
  const char* next;
  const char* end;
  const char* roomBegin;  // a reader may look at the bytes around a token within these
  const char* roomEnd;
};

// Prepares reading standard input. When it is a terminal, the line editor
// (if any) is started; its output goes to standard output when that is a
// terminal too, else straight to the input's terminal, so none of it reaches
// a redirected standard output.
void OpenInput(Input* input, WaitHook beforeWait, void* waitContext);

// Makes at least one more byte available; false at end of input or on a read
// failure (then input->error is set). Calls the wait hook before any read that
// may wait.
bool FillInput(Input* input);

// The next input byte as an unsigned char, or kEndOfInput.
inline int NextByte(Input* input) {
  if (input->next == input->end && !FillInput(input)) return kEndOfInput;
  return static_cast<unsigned char>(*input->next++);
}

// The platform part.

// The keys that end input typed at a terminal, as the help text names them.
extern const char kEndOfInputKeys[];

// The help text's sentence on how a terminal's lines are read, true for this
// platform and build (with line editing or without); lines of at most 76
// characters, without the last line end.
extern const char kTerminalHelp[];

// The help text's example command, one that this platform's shell runs.
extern const char kHelpExample[];

// The option this platform's programs also take for their help ("/?"), or
// an empty string where there is none beyond -h and --help.
extern const char kHelpOption[];

// Classifies standard input (input->source) and sizes input->buffer for the
// reads that follow.
void StartInput(Input* input);

// Reads what comes next into input->buffer[offset...], growing the buffer if
// a line needs it; the count read. At end of input or on a failure, 0, with
// input->ended set (and input->error on a failure); 0 too, with input->dropped
// set, when the editor threw the line away. Calls the wait hook
// before any read that may wait.
size_t ReadInput(Input* input, size_t offset);

// The reason for a failed read, from input->error, as one line of text.
const char* ReadErrorText(int error);

// True when standard output is a terminal (a console), which gets its lines
// as they are written; otherwise output is kept in large blocks.
bool OutputIsTerminal();

// Writes bytes to standard output through stdio; the driver is its only user,
// so no lock is needed where the platform offers a way around it.
void WriteOutput(const char* bytes, size_t count);
