#include "input.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <editline/readline.h>

namespace {

// Large enough that a batch from a file or pipe costs few read(2) calls.
constexpr size_t kBlockBytes = 1 << 16;
constexpr char kByteOrderMark[] = "\xEF\xBB\xBF";
constexpr size_t kByteOrderMarkBytes = sizeof kByteOrderMark - 1;

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
  if (MayWait(input->fd)) input->beforeWait(input->waitContext);
  for (;;) {
    const ssize_t count = read(input->fd, input->buffer.data() + offset, input->buffer.size() - offset);
    if (count > 0) return static_cast<size_t>(count);
    if (count == 0) break;
    if (errno == EAGAIN || errno == EWOULDBLOCK) {
      input->beforeWait(input->waitContext);
      AwaitReadable(input->fd);
    } else if (errno != EINTR) {
      input->error = errno;
      break;
    }
  }
  input->ended = true;
  return 0;
}

// Reads one line through the editor into buffer[offset...], with its line end
// restored; the count read, 0 at end of input (Ctrl-D on an empty line).
size_t ReadLine(Input* input, const size_t offset) {
  input->beforeWait(input->waitContext);
  char* line = readline("");
  if (line == nullptr) {
    input->ended = true;
    return 0;
  }
  const size_t length = std::strlen(line);
  input->buffer.resize(offset + length + 1);
  std::memcpy(input->buffer.data() + offset, line, length);
  input->buffer[offset + length] = '\n';
  if (length > 0) add_history(line);
  std::free(line);
  return length + 1;
}

size_t ReadMore(Input* input, const size_t offset) {
  return input->editing ? ReadLine(input, offset) : ReadBlock(input, offset);
}

// Given the first `count` bytes of input, reads on while they are a proper
// prefix of a byte-order mark (a pipe may deliver it piecemeal); the count
// then held, and at `*skipped` the length of a whole mark at the front, or 0.
size_t ReadPastByteOrderMark(Input* input, size_t count, size_t* skipped) {
  const auto isMarkPrefix = [input](const size_t n) {
    return std::memcmp(input->buffer.data(), kByteOrderMark, n) == 0;
  };
  while (count < kByteOrderMarkBytes && isMarkPrefix(count) && !input->ended) {
    count += ReadMore(input, count);
  }
  *skipped = count >= kByteOrderMarkBytes && isMarkPrefix(kByteOrderMarkBytes) ? kByteOrderMarkBytes : 0;
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

void StartEditor() {
  rl_readline_name = "calc";  // the program name ~/.editrc settings are keyed by
  rl_instream = stdin;
  rl_outstream = isatty(STDOUT_FILENO) ? stdout : InputTerminal();
}

}  // namespace

void OpenInput(Input* input, const int fd, const WaitHook beforeWait, void* waitContext) {
  input->fd = fd;
  input->editing = fd == STDIN_FILENO && isatty(fd);
  input->atStart = true;
  input->ended = false;
  input->error = 0;
  input->beforeWait = beforeWait;
  input->waitContext = waitContext;
  input->buffer.assign(input->editing ? 0 : kBlockBytes, '\0');
  input->next = input->buffer.data();
  input->end = input->next;
  if (input->editing) StartEditor();
}

bool FillInput(Input* input) {
  size_t count = 0;
  size_t skipped = 0;
  while (skipped == count && !input->ended) {
    count = ReadMore(input, 0);
    skipped = 0;
    if (input->atStart && count > 0) {
      count = ReadPastByteOrderMark(input, count, &skipped);
      input->atStart = false;
    }
  }
  input->next = input->buffer.data() + skipped;
  input->end = input->buffer.data() + count;
  return skipped < count;
}
