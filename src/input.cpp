#include "input.h"

#include <cstdint>
#include <cstring>

namespace {

// How the bytes read are handed out (Input::encoding), as a byte-order mark at
// the very start of input says: input without a mark is bytes, as is UTF-8.
enum Encoding : int {
  kBytes,
  kUtf16LittleEndian,
  kUtf16BigEndian,
};

struct ByteOrderMark {
  const char* bytes;
  size_t count;
  Encoding encoding;
};
constexpr ByteOrderMark kMarks[] = {
    {"\xEF\xBB\xBF", 3, kBytes},
    {"\xFF\xFE", 2, kUtf16LittleEndian},
    {"\xFE\xFF", 2, kUtf16BigEndian},
};
constexpr size_t kLongestMark = 3;

// True when the `count` bytes at `bytes` begin the mark (or are all of it).
bool BeginsMark(const ByteOrderMark& mark, const char* bytes, const size_t count) {
  return std::memcmp(bytes, mark.bytes, count < mark.count ? count : mark.count) == 0;
}

// The mark at the front of the `count` bytes, or nullptr; `*undecided` when
// they are too few to tell yet.
const ByteOrderMark* FindMark(const char* bytes, const size_t count, bool* undecided) {
  *undecided = false;
  for (const ByteOrderMark& mark : kMarks) {
    if (!BeginsMark(mark, bytes, count)) continue;
    if (count >= mark.count) return &mark;
    *undecided = true;
  }
  return nullptr;
}

// Given the first `count` bytes of input, reads on while they may still be a
// proper prefix of a byte-order mark (a pipe may deliver it piecemeal); the
// count then held, and at `*skipped` the length of a whole mark at the front,
// or 0. The mark sets the input's encoding.
size_t ReadPastByteOrderMark(Input* input, size_t count, size_t* skipped) {
  bool undecided = false;
  const ByteOrderMark* mark = FindMark(input->buffer.data(), count, &undecided);
  while (mark == nullptr && undecided && count < kLongestMark && !input->ended) {
    count += ReadInput(input, count);
    mark = FindMark(input->buffer.data(), count, &undecided);
  }
  *skipped = mark == nullptr ? 0 : mark->count;
  input->encoding = mark == nullptr ? kBytes : mark->encoding;
  return count;
}

// Appends a code point as UTF-8 (a surrogate too, in the same three-byte
// form), so that a character calc has no use for reaches the tokeniser as the
// non-ASCII bytes of a UTF-8 text holding it.
void AppendUtf8(std::vector<char>* text, const uint32_t c) {
  const auto put = [text](const uint32_t byte) { text->push_back(static_cast<char>(byte)); };
  if (c < 0x80) {
    put(c);
  } else if (c < 0x800) {
    put(0xC0 | (c >> 6));
    put(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    put(0xE0 | (c >> 12));
    put(0x80 | ((c >> 6) & 0x3F));
    put(0x80 | (c & 0x3F));
  } else {
    put(0xF0 | (c >> 18));
    put(0x80 | ((c >> 12) & 0x3F));
    put(0x80 | ((c >> 6) & 0x3F));
    put(0x80 | (c & 0x3F));
  }
}

constexpr uint32_t kHighSurrogates = 0xD800;
constexpr uint32_t kLowSurrogates = 0xDC00;
constexpr uint32_t kSurrogatesEnd = 0xE000;

// Hands out one code unit: a high surrogate waits in heldUnit for the low one
// that makes a pair with it into one character; a surrogate without its
// partner is handed out alone.
void TakeCodeUnit(Input* input, const uint32_t unit) {
  if (input->heldUnit >= 0) {
    const auto high = static_cast<uint32_t>(input->heldUnit);
    input->heldUnit = -1;
    if (unit >= kLowSurrogates && unit < kSurrogatesEnd) {
      AppendUtf8(&input->text, 0x10000 + ((high - kHighSurrogates) << 10) + (unit - kLowSurrogates));
      return;
    }
    AppendUtf8(&input->text, high);
  }
  if (unit >= kHighSurrogates && unit < kLowSurrogates) {
    input->heldUnit = static_cast<int>(unit);
  } else {
    AppendUtf8(&input->text, unit);
  }
}

// The code unit of the two bytes in the input's byte order.
uint32_t CodeUnit(const Input* input, const unsigned char first, const unsigned char second) {
  return input->encoding == kUtf16LittleEndian ? first | second << 8u : first << 8u | second;
}

// Decodes UTF-16 bytes into input->text: an ASCII code unit becomes its byte
// (CR and LF too, so CR LF separates as it does in bytes); any other is
// handed out as UTF-8, refused as any non-ASCII byte is. A unit's first byte
// waits in heldByte for its second, which may come with the next read.
void DecodeUtf16(Input* input, const char* bytes, const size_t count) {
  input->text.clear();
  for (size_t i = 0; i < count; ++i) {
    const auto byte = static_cast<unsigned char>(bytes[i]);
    if (input->heldByte < 0) {
      input->heldByte = byte;
      continue;
    }
    TakeCodeUnit(input, CodeUnit(input, static_cast<unsigned char>(input->heldByte), byte));
    input->heldByte = -1;
  }
}

// At the end of UTF-16 input, a high surrogate still held is handed out
// alone, and a lone byte left over as a token of its own, the byte escaped as
// the line editor escapes one (a lone low surrogate, U+DC00 plus the byte), so
// that it is refused whatever it is.
void EndUtf16(Input* input) {
  if (input->heldUnit >= 0) AppendUtf8(&input->text, static_cast<uint32_t>(input->heldUnit));
  input->heldUnit = -1;
  if (input->heldByte < 0) return;
  input->text.push_back(' ');
  AppendUtf8(&input->text, kLowSurrogates + static_cast<uint32_t>(input->heldByte));
  input->heldByte = -1;
}

// Makes [next, end) the text decoded from the `count` bytes read, `skipped`
// of them a mark; false when that holds nothing.
bool HandOut(Input* input, const size_t skipped, const size_t count) {
  const char* bytes = input->buffer.data();
  if (input->encoding == kBytes) {
    input->next = bytes + skipped;
    input->end = bytes + count;
    input->roomBegin = bytes;
    input->roomEnd = bytes + input->buffer.size();
  } else {
    DecodeUtf16(input, bytes + skipped, count - skipped);
    if (input->ended) EndUtf16(input);
    input->next = input->text.data();
    input->end = input->next + input->text.size();
    input->roomBegin = input->next;
    input->roomEnd = input->end;
  }
  return input->next != input->end;
}

}  // namespace

void OpenInput(Input* input, const WaitHook beforeWait, void* waitContext) {
  input->atStart = true;
  input->encoding = kBytes;
  input->heldByte = -1;
  input->heldUnit = -1;
  input->ended = false;
  input->error = 0;
  input->dropped = false;
  input->beforeWait = beforeWait;
  input->waitContext = waitContext;
  StartInput(input);
  input->next = input->buffer.data();
  input->end = input->next;
  input->roomBegin = input->next;
  input->roomEnd = input->next;
}

bool FillInput(Input* input) {
  bool filled = false;
  while (!filled && !input->ended) {
    size_t count = ReadInput(input, 0);
    size_t skipped = 0;
    if (input->atStart && count > 0) {
      count = ReadPastByteOrderMark(input, count, &skipped);
      input->atStart = false;
    }
    filled = HandOut(input, skipped, count);
  }
  return filled;
}
