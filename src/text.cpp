#include "text.h"

#include "numeral_runs.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace ravur::detail {

namespace {

static_assert(kNumeralPad >= kWordBytes, "the parser reads a word before a run and after the text");

// --- Text in ---------------------------------------------------------------------

// A limb's digits that fill words: its last 16 of 18, or 8 of 9.
constexpr int32_t kLimbWordDigits = kLimbDigits / kEightDigits * kEightDigits;

// The value of the kLimbDigits digit characters at chars: the ones above its
// last kLimbWordDigits one at a time, those by words.
Limb LimbCharsValue(const char* chars) {
  constexpr int32_t kLeadDigits = kLimbDigits - kLimbWordDigits;
  Limb lead = 0;  // with its '0's, taken off below
  for (int32_t i = 0; i < kLeadDigits; ++i) lead = lead * 10 + static_cast<unsigned char>(chars[i]);
  const char* const words = chars + kLeadDigits;
  const Word low = kLimbWordDigits == 2 * kEightDigits ? SixteenCharsValue(words)
                                                       : EightDigitsValue(LoadLittle(words) - kZeroChars);
  constexpr Limb kLeadZeros = '0' * (kPowersOfTen[kLeadDigits] - 1) / 9;
  return (lead - kLeadZeros) * kPowersOfTen[kLimbWordDigits] + static_cast<Limb>(low);
}

// The value of the count (1 to kLimbDigits - 1) digit characters that end at
// end: the last kLimbWordDigits of them (or all) by words, and the one above
// those, when there is one, by itself.
static_assert(kLimbDigits - 1 - kLimbWordDigits <= 1, "a limb's characters short of a limb are its words' and one");
Limb TrailingLimbValue(const char* end, const int32_t count) {
  const auto low = static_cast<Limb>(TrailingCharsValue(end, std::min(count, kLimbWordDigits)));
  if (count <= kLimbWordDigits) return low;
  return static_cast<Limb>(end[-count] - '0') * kPowersOfTen[kLimbWordDigits] + low;
}

// The first character in [from, end) that is not '0', or end, a word at a
// time: nothing from end on is read.
const char* SkipLeadingZeros(const char* from, const char* end) {
  for (; end - from >= kWordBytes; from += kWordBytes) {
    const Word others = LoadLittle(from) ^ kZeroChars;
    if (others != 0) return from + LowestSetByte(others);
  }
  while (from != end && *from == '0') ++from;
  return from;
}

// Just past the last character in [from, end) that is not '0' (one is), a
// word at a time from end down, the last word the one at from: end - from is
// at least kWordBytes, and nothing outside [from, end) is read.
const char* SkipTrailingZeros(const char* const from, const char* end) {
  for (;; end = std::max(end - kWordBytes, from + kWordBytes)) {
    const Word others = LoadLittle(end - kWordBytes) ^ kZeroChars;
    if (others != 0) return end - kWordBytes + HighestSetByte(others) + 1;
  }
}

// ReadDigitRuns's work, and the parsers': leading integer zeros and trailing
// fraction zeros are skipped, then the fraction is cut in limbs from the
// point down (the last one followed by zeros) and the integer in limbs from
// the point up. Inline: a call would weigh on every parse.
template <int32_t kRoom>
inline void ReadRuns(const char* intBegin, const char* const intEnd, const char* const fracBegin, const char* fracEnd,
                     LimbsIn<kRoom>* number) {
  // Within the integer digits: at a front's limit, more digits may follow.
  if (*intBegin == '0') intBegin = SkipLeadingZeros(intBegin, intEnd);
  // The point lies before the fraction, within the word before it.
  if (fracEnd != fracBegin && fracEnd[-1] == '0') fracEnd = SkipTrailingZeros(fracBegin - kWordBytes, fracEnd);

  const auto fracDigits = static_cast<int32_t>(fracEnd - fracBegin);
  const auto fracLimbs = static_cast<int32_t>(static_cast<uint32_t>(fracDigits + kLimbDigits - 1) / kLimbDigits);
  Limb* limb = number->limbs + fracLimbs;
  const char* c = fracBegin;
  for (; fracEnd - c >= kLimbDigits; c += kLimbDigits) *--limb = LimbCharsValue(c);
  // The last one, followed by zeros: its digits' value scaled up past them.
  if (c != fracEnd) {
    const auto rest = static_cast<int32_t>(fracEnd - c);
    *--limb = TrailingLimbValue(fracEnd, rest) * kPowersOfTen[kLimbDigits - rest];
  }
  int32_t k = fracLimbs;
  const char* top = intEnd;
  for (; top - intBegin >= kLimbDigits; top -= kLimbDigits) number->limbs[k++] = LimbCharsValue(top - kLimbDigits);
  if (top != intBegin) number->limbs[k++] = TrailingLimbValue(top, static_cast<int32_t>(top - intBegin));
  number->fracLimbs = fracLimbs;
  number->count = k;
  // An integer part begins with a digit that is not 0; without one, the
  // fraction's top limbs may be 0.
  if (k == fracLimbs) TrimTop(number);
}

// The numeral's digit runs, found in one pass (ScanRuns); then refused
// (RunsVerdict), or read.
// Inline: the parsers are its callers, and a call would weigh on every parse.
inline NumeralStatus BuildLimbNumber(const char* text, const size_t length, const NumeralRuns& runs,
                                     LimbNumber* number) {
  const NumeralStatus verdict = RunsVerdict(text, length, runs);
  if (verdict != NumeralStatus::kAccepted) return verdict;
  ReadRuns(runs.intBegin, runs.intEnd, runs.fracBegin, runs.fracEnd, number);
  number->isNegative = number->count > 0 && *text == '-';
  return NumeralStatus::kAccepted;
}

}  // namespace

void ReadDigitRuns(const char* intBegin, const char* intEnd, const char* fracBegin, const char* fracEnd,
                   RecordLimbs* number) {
  ReadRuns(intBegin, intEnd, fracBegin, fracEnd, number);
}

NumeralStatus ParseLimbFront(const char* text, const size_t available, size_t* length, LimbNumber* number) {
  MakeZero(number);
  const NumeralRuns runs = ScanRunsInRoom(text, available);
  *length = static_cast<size_t>(runs.fracEnd - text);
  return BuildLimbNumber(text, *length, runs, number);
}

NumeralStatus ParseLimbText(const char* text, const size_t length, LimbNumber* number) {
  MakeZero(number);
  // Longer than any numeral: judged where it lies, and zero, unread.
  if (length > static_cast<size_t>(kMaxNumeralLength)) return CheckNumeral(text, length);
  // Copied with the room the parser reads on either side, held as zeros, so
  // that no byte it reads is undefined.
  char padded[kNumeralPad + kMaxNumeralLength + kNumeralPad];
  char* const copy = padded + kNumeralPad;
  std::memset(padded, 0, kNumeralPad);
  if (length > 0) std::memcpy(copy, text, length);  // an empty text may have no address
  std::memset(copy + length, 0, kNumeralPad);
  return BuildLimbNumber(copy, length, ScanRunsInRoom(copy, length), number);
}

// --- Text out ------------------------------------------------------------------------

namespace {

// The characters of 000 to 999, three a number in four bytes (the fourth
// one, written past the group and always overwritten, is 0), so that one
// move of four bytes writes a group; a word's room after them, so that the
// word read at any group's place holds its characters in its low bytes.
constexpr int32_t kGroupDigits = 3;
constexpr int32_t kGroupBytes = 4;
using DigitGroups = std::array<char, kGroupScale * kGroupBytes + kWordBytes>;
constexpr DigitGroups MakeDigitGroups() {
  DigitGroups groups{};
  for (uint32_t n = 0; n < kGroupScale; ++n) {
    const uint32_t digits[kGroupDigits] = {n / 100, n / 10 % 10, n % 10};
    for (int32_t i = 0; i < kGroupDigits; ++i) groups[kGroupBytes * n + i] = static_cast<char>('0' + digits[i]);
  }
  return groups;
}
constexpr DigitGroups kDigitGroups = MakeDigitGroups();

void WriteGroup(const Word group, char* out) { std::memcpy(out, &kDigitGroups[kGroupBytes * group], kGroupBytes); }

// A group's characters as a number, the first one lowest, on a machine of
// either byte order.
Word GroupChars(const Word group) { return LoadLittle(&kDigitGroups[kGroupBytes * group]) & 0xFFFFFFFFu; }

// Writes the nine digits of a nine, leading zeros included, a group at a
// time as soon as it is found, while its index is still in the register the
// multiplication left it in; each group's move writes one byte past it, which
// the next group (or what follows the nine) overwrites.
char* WriteNine(const uint32_t nine, char* out) {
  Word rest = 0;
  WriteGroup(TopGroup(nine, &rest), out);
  WriteGroup(NextGroup(&rest), out + kGroupDigits);
  WriteGroup(NextGroup(&rest), out + 2 * kGroupDigits);
  return out + kNineDigits;
}

// The first eight characters of a nine as a word, put together as its
// groups are found (the bottom group's last character falls out of it), and
// its last character in *last. A word read back from characters just
// written by the groups' separate moves would wait for them to reach memory.
Word NineChars(const uint32_t nine, char* last) {
  Word rest = 0;
  Word chars = GroupChars(TopGroup(nine, &rest));
  chars |= GroupChars(NextGroup(&rest)) << (kGroupDigits * kByteBits);
  const Word bottom = GroupChars(NextGroup(&rest));
  *last = static_cast<char>(bottom >> (2 * kByteBits));
  return chars | bottom << (2 * kGroupDigits * kByteBits);
}

// Writes a non-zero nine without its leading zeros: its first eight
// characters shifted down past those zeros, then its last character after
// them. Up to eight bytes past the last digit are written.
char* WriteLeadingNine(const uint32_t nine, char* out) {
  char last = 0;
  const Word chars = NineChars(nine, &last);
  const int32_t zeros = kNineDigits - DigitCount(nine);  // 0 to 8
  // In two halves: all eight characters shift out of a nine of one digit.
  const int32_t halfShift = kByteBits / 2 * zeros;
  StoreLittle(out, chars >> halfShift >> halfShift);
  out[kNineDigits - 1 - zeros] = last;
  return out + kNineDigits - zeros;
}

// Writes a non-zero nine and returns the end of its digits but its trailing
// zeros, found in the word of its characters.
char* WriteTrailingNine(const uint32_t nine, char* out) {
  char last = 0;
  const Word chars = NineChars(nine, &last);
  StoreLittle(out, chars);
  out[kNineDigits - 1] = last;
  return last != '0' ? out + kNineDigits : out + HighestSetByte(chars ^ kZeroChars) + 1;
}

// A limb is one nine or two (words.h): its top nine, 0 for a limb of one,
// and the nine below it.
static_assert(kNinesPerLimb <= 2, "a limb is one nine or two");
uint32_t HighNine(const Limb limb) { return kNinesPerLimb == 1 ? 0 : static_cast<uint32_t>(limb / kNineBase); }
uint32_t LowNine(const Limb limb, const uint32_t high) { return static_cast<uint32_t>(limb - Limb{high} * kNineBase); }

char* WriteLimb(const Limb limb, char* out) {
  const uint32_t high = HighNine(limb);
  if (kNinesPerLimb > 1) out = WriteNine(high, out);
  return WriteNine(LowNine(limb, high), out);
}

// Writes limbs[from], limbs[from - 1], ... limbs[to], kLimbDigits digits each.
char* WriteLimbs(const Limb* limbs, const int32_t from, const int32_t to, char* out) {
  // Unrolled: the loop's own steps would be a fifth of each limb's.
#pragma GCC unroll 4
  for (int32_t k = from; k >= to; --k) out = WriteLimb(limbs[k], out);
  return out;
}

// Writes a non-zero limb without its leading zeros: a limb below a nine's
// base as that nine, any other as its top nine without its leading zeros and
// the nine below it.
char* WriteLeadingLimb(const Limb limb, char* out) {
  if (kNinesPerLimb == 1 || limb < kNineBase) return WriteLeadingNine(static_cast<uint32_t>(limb), out);
  const uint32_t high = HighNine(limb);
  return WriteNine(LowNine(limb, high), WriteLeadingNine(high, out));
}

// Writes the digits of a non-zero limb and returns the end of the last one
// that is not '0': in its low nine, or its high one when the low is 0.
char* WriteTrailingLimb(const Limb limb, char* out) {
  const uint32_t high = HighNine(limb);
  const uint32_t low = LowNine(limb, high);
  if (kNinesPerLimb > 1 && low == 0) return WriteTrailingNine(high, out);
  if (kNinesPerLimb > 1) out = WriteNine(high, out);
  return WriteTrailingNine(low, out);
}

}  // namespace

size_t FormatLimbNumber(const LimbNumber* number, char* buffer) {
  // The sign written, and then kept or written over, with no branch: result
  // signs are as random as the operands'.
  char* out = buffer;
  *out = '-';
  out += number->isNegative;
  if (number->isInfinite) {
    std::memcpy(out, kInfiniteText, sizeof kInfiniteText);
    return static_cast<size_t>(out - buffer) + sizeof kInfiniteText - 1;
  }
  const int32_t count = number->count;
  const int32_t fracLimbs = number->fracLimbs;
  if (count > fracLimbs) {
    out = WriteLeadingLimb(number->limbs[count - 1], out);
    out = WriteLimbs(number->limbs, count - 2, fracLimbs, out);
  } else {
    *out++ = '0';
  }
  const int32_t inUse = std::min(count, fracLimbs);  // fraction limbs in use
  int32_t lowest = 0;
  while (lowest < inUse && number->limbs[lowest] == 0) ++lowest;
  if (lowest < inUse) {
    *out++ = '.';
    // The fraction's leading zero limbs, not in use, then the limbs in use.
    const auto zeros = static_cast<size_t>(kLimbDigits * (fracLimbs - inUse));
    if (zeros > 0) std::memset(out, '0', zeros);
    out = WriteLimbs(number->limbs, inUse - 1, lowest + 1, out + zeros);
    out = WriteTrailingLimb(number->limbs[lowest], out);
  }
  *out = '\0';
  return static_cast<size_t>(out - buffer);
}

char* WriteLimbDigits(const Limb* limbs, const int32_t count, char* out) {
  return WriteLimbs(limbs, count - 1, 0, out);
}


}  // namespace ravur::detail
