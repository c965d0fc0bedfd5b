#include "input.h"

#include <cstring>

namespace {

constexpr char kByteOrderMark[] = "\xEF\xBB\xBF";
constexpr size_t kByteOrderMarkBytes = sizeof kByteOrderMark - 1;

// Given the first `count` bytes of input, reads on while they are a proper
// prefix of a byte-order mark (a pipe may deliver it piecemeal); the count
// then held, and at `*skipped` the length of a whole mark at the front, or 0.
size_t ReadPastByteOrderMark(Input* input, size_t count, size_t* skipped) {
  const auto isMarkPrefix = [input](const size_t n) {
    return std::memcmp(input->buffer.data(), kByteOrderMark, n) == 0;
  };
  while (count < kByteOrderMarkBytes && isMarkPrefix(count) && !input->ended) {
    count += ReadInput(input, count);
  }
  *skipped = count >= kByteOrderMarkBytes && isMarkPrefix(kByteOrderMarkBytes) ? kByteOrderMarkBytes : 0;
  return count;
}

}  // namespace

void OpenInput(Input* input, const WaitHook beforeWait, void* waitContext) {
  input->atStart = true;
  input->ended = false;
  input->error = 0;
  input->beforeWait = beforeWait;
  input->waitContext = waitContext;
  StartInput(input);
  input->next = input->buffer.data();
  input->end = input->next;
}

bool FillInput(Input* input) {
  size_t count = 0;
  size_t skipped = 0;
  while (skipped == count && !input->ended) {
    count = ReadInput(input, 0);
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
