// Standard input of the calc driver: bytes read with read(2) into a buffer of
// the driver's own, or, when the descriptor is a terminal, lines typed through
// the libedit line editor (cursor keys, the usual control keys, history).
//
// The driver is told before every read that may wait (WaitHook), so that it
// can hand over everything it owes its reader first: standard output is then
// flushed exactly when the process is about to wait, and never per pair.
#pragma once

#include <cstddef>
#include <vector>

// What NextByte returns once input has ended or could not be read.
constexpr int kEndOfInput = -1;

// Called just before a read that may wait for more input.
using WaitHook = void (*)(void* context);

// Invariant: buffer.data() <= next <= end <= buffer.data() + buffer.size();
// the bytes in [next, end) have been read and not yet consumed.
struct Input {
  int fd;
  bool editing;  // the descriptor is a terminal: lines come from libedit
  bool atStart;  // nothing handed out yet: a leading byte-order mark is skipped
  bool ended;    // end of input reached, or reading failed
  int error;     // errno of the failed read; 0 when input ended normally
  WaitHook beforeWait;
  void* waitContext;
  std::vector<char> buffer;
  const char* next;
  const char* end;
};

// Prepares reading from the descriptor. Line editing is used only when it is
// standard input and a terminal; libedit is not touched otherwise. The
// editor's output goes to standard output when that is a terminal too, else
// straight to the input's terminal (or standard error), so none of it reaches
// a redirected standard output.
void OpenInput(Input* input, int fd, WaitHook beforeWait, void* waitContext);

// Makes at least one more byte available; false at end of input or on a read
// failure (then input->error is set). Calls the wait hook before any read that
// may wait.
bool FillInput(Input* input);

// The next input byte as an unsigned char, or kEndOfInput.
inline int NextByte(Input* input) {
  if (input->next == input->end && !FillInput(input)) return kEndOfInput;
  return static_cast<unsigned char>(*input->next++);
}
