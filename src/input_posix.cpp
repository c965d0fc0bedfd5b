// The POSIX part of the input layer: read(2) on standard input, and poll(2)
// to learn whether a read may wait; a terminal goes to the line editor
// (editor.h) when there is one. Only POSIX.1-2008 calls, but for
// fwrite_unlocked where the configure step found it.
#include <cerrno>
#include <cstdio>
#include <cstring>

#include <poll.h>
#include <unistd.h>

#include "editor.h"
#include "input.h"

namespace {

// Large enough that a batch from a file or pipe costs few read(2) calls.
constexpr size_t kBlockBytes = 1 << 16;

// What standard input is (Input::source).
enum Source : int {
  kStream,  // read(2) in blocks: a file, a pipe, or a terminal without the editor
  kEditor,  // a terminal, read a line at a time through the line editor
};

// True unless a read on the descriptor would return at once: data, end of
// file, hang-up and errors all end a read without waiting. A failed poll
// counts as a possible wait, which costs only an early flush.
bool MayWait(const int fd) {
  pollfd ready = {fd, POLLIN, 0};
  return poll(&ready, 1, 0) != 1;
}

// Blocks until the descriptor has something to read (it was set non-blocking
// by whoever handed it to us).
void AwaitReadable(const int fd) {
  pollfd ready = {fd, POLLIN, 0};
  poll(&ready, 1, -1);
}

// Reads one block into buffer[offset...]; the count read, 0 at end or failure.
size_t ReadBlock(Input* input, const size_t offset) {
  if (MayWait(STDIN_FILENO)) input->beforeWait(input->waitContext);
  for (;;) {
    const ssize_t count = read(STDIN_FILENO, input->buffer.data() + offset, input->buffer.size() - offset);
    if (count > 0) return static_cast<size_t>(count);
    if (count == 0) break;
    if (errno == EAGAIN || errno == EWOULDBLOCK) {
      input->beforeWait(input->waitContext);
      AwaitReadable(STDIN_FILENO);
    } else if (errno != EINTR) {
      input->error = errno;
      break;
    }
  }
  input->ended = true;
  return 0;
}

}  // namespace

const char kEndOfInputKeys[] = "Ctrl-D";
const char kHelpExample[] = "printf '1 2\\n0.5 0.5\\n' | calc";
const char kHelpOption[] = "";

void StartInput(Input* input) {
  input->source = isatty(STDIN_FILENO) && StartEditor() ? kEditor : kStream;
  input->buffer.assign(input->source == kEditor ? 0 : kBlockBytes, '\0');
}

size_t ReadInput(Input* input, const size_t offset) {
  return input->source == kEditor ? ReadEditedLine(input, offset) : ReadBlock(input, offset);
}

const char* ReadErrorText(const int error) { return std::strerror(error); }

bool OutputIsTerminal() { return isatty(STDOUT_FILENO) != 0; }

void WriteOutput(const char* bytes, const size_t count) {
#if CALC_HAVE_FWRITE_UNLOCKED
  fwrite_unlocked(bytes, 1, count, stdout);
#else
  std::fwrite(bytes, 1, count, stdout);
#endif
}
