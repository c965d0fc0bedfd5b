// Eight-byte words of digits or characters, for the library's eight-a-word
// loops. A word loaded "little-endian" has the byte at the lowest address in
// its lowest bits, and "big-endian" in its highest, on a machine of either
// byte order, so the loops give the same results everywhere.
//
// Each operation has a portable twin written in plain C++. Where GCC's or
// Clang's builtins and byte-order macros are at hand (and the build does not
// ask for CALC_PORTABLE_ARITHMETIC), the fast form is used; the tests check
// the two against each other.
#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>

#if !defined(CALC_PORTABLE_ARITHMETIC) && defined(__GNUC__) && defined(__BYTE_ORDER__)
#define RAVUR_GNU_WORDS 1
#else
#define RAVUR_GNU_WORDS 0
#endif

#if RAVUR_GNU_WORDS && defined(__SSE2__) && defined(__x86_64__)
#define RAVUR_SSE2_WORDS 1
#include <emmintrin.h>
#else
#define RAVUR_SSE2_WORDS 0
#endif

// Private to the library, as the limb form is.
namespace ravur::detail {

using Word = uint64_t;
constexpr int32_t kWordBytes = sizeof(Word);
constexpr int32_t kByteBits = 8;
constexpr int32_t kWordBits = kWordBytes * kByteBits;
constexpr Word kEveryByte = 0x0101010101010101u;
constexpr Word kTopBits = 0x80 * kEveryByte;  // every byte's top bit

// --- Portable twins -----------------------------------------------------------

inline Word ReverseBytesPortable(Word word) {
  Word reversed = 0;
  for (int32_t i = 0; i < kWordBytes; ++i, word >>= kByteBits) reversed = (reversed << kByteBits) | (word & 0xFF);
  return reversed;
}

// Byte by byte, in the shapes compilers merge into one load or store where
// the machine's order is little-endian (GCC merges the load written out, not
// as a loop).
inline Word LoadLittlePortable(const void* from) {
  const auto* b = static_cast<const unsigned char*>(from);
  return Word{b[0]} | Word{b[1]} << 8 | Word{b[2]} << 16 | Word{b[3]} << 24 | Word{b[4]} << 32 | Word{b[5]} << 40 |
         Word{b[6]} << 48 | Word{b[7]} << 56;
}

inline void StoreLittlePortable(void* to, Word word) {
  auto* bytes = static_cast<unsigned char*>(to);
  for (int32_t i = 0; i < kWordBytes; ++i, word >>= kByteBits) bytes[i] = static_cast<unsigned char>(word);
}

constexpr int32_t kHalfBits = kWordBits / 2;

// The count of zero bits above the highest set bit; word is not 0.
inline int32_t LeadingZeroBitsPortable(Word word) {
  int32_t zeros = 0;
  for (int32_t bits = kHalfBits; bits > 0; bits /= 2) {
    if ((word >> (kWordBits - bits)) == 0) {
      zeros += bits;
      word <<= bits;
    }
  }
  return zeros;
}

// Without branches, which random digits would mispredict: a byte's top bit
// is flagged, and the flags counted by one multiplication, which sums the
// bytes of a word into its top byte.
inline int32_t CountFlaggedBytes(const Word flags) {
  return static_cast<int32_t>(((flags & kTopBits) >> (kByteBits - 1)) * kEveryByte >> (kWordBits - kByteBits));
}

// The index (0 = lowest) of the lowest byte with a bit set; word is not 0:
// the count of bytes wholly below its lowest set bit, the bytes whose top
// bit is set in the run of ones below that bit.
inline int32_t LowestSetBytePortable(const Word word) { return CountFlaggedBytes((word & (0 - word)) - 1); }

// The index (0 = lowest) of the highest byte with a bit set; word is not 0.
inline int32_t HighestSetBytePortable(const Word word) {
  return kWordBytes - 1 - LeadingZeroBitsPortable(word) / kByteBits;
}

// --- What the library calls ----------------------------------------------------

#if RAVUR_GNU_WORDS

inline Word ReverseBytes(const Word word) { return __builtin_bswap64(word); }

inline Word LoadLittle(const void* from) {
  Word word;
  std::memcpy(&word, from, sizeof word);
  return __BYTE_ORDER__ == __ORDER_BIG_ENDIAN__ ? ReverseBytes(word) : word;
}

inline void StoreLittle(void* to, Word word) {
  if (__BYTE_ORDER__ == __ORDER_BIG_ENDIAN__) word = ReverseBytes(word);
  std::memcpy(to, &word, sizeof word);
}

// The bit counts are taken as unsigned, so that dividing them is one shift.
inline int32_t LowestSetByte(const Word word) {
  return static_cast<int32_t>(static_cast<uint32_t>(__builtin_ctzll(word)) / kByteBits);
}
inline int32_t HighestSetByte(const Word word) {
  return kWordBytes - 1 - static_cast<int32_t>(static_cast<uint32_t>(__builtin_clzll(word)) / kByteBits);
}
inline int32_t LeadingZeroBits(const Word word) { return __builtin_clzll(word); }

#else

inline Word ReverseBytes(const Word word) { return ReverseBytesPortable(word); }
inline Word LoadLittle(const void* from) { return LoadLittlePortable(from); }
inline void StoreLittle(void* to, const Word word) { StoreLittlePortable(to, word); }
inline int32_t LowestSetByte(const Word word) { return LowestSetBytePortable(word); }
inline int32_t HighestSetByte(const Word word) { return HighestSetBytePortable(word); }
inline int32_t LeadingZeroBits(const Word word) { return LeadingZeroBitsPortable(word); }

#endif

inline Word LoadBig(const void* from) { return ReverseBytes(LoadLittle(from)); }

// --- Clearing a block -----------------------------------------------------------
//
// ClearBlock sets `count` bytes to 0 through the C library's memset also when
// count is known when compiled: GCC expands a constant-size clear of a block
// as large as a record into a string-store instruction, which takes longer to
// start than the library's vector stores take to clear it. The fast form
// hides the count from the optimiser with an empty asm statement.

#if RAVUR_GNU_WORDS
inline void ClearBlock(void* to, size_t count) {
  __asm__("" : "+r"(count));
  std::memset(to, 0, count);
}
#else
inline void ClearBlock(void* to, const size_t count) { std::memset(to, 0, count); }
#endif

// --- The limb ---------------------------------------------------------------------
//
// The library computes on decimal limbs: a Limb holds kLimbDigits decimal
// digits, 0 to kLimbBase - 1 = 10^kLimbDigits - 1, chosen here once for every
// file of a build. Where the compiler has a 128-bit integer (and the build
// does not ask for CALC_PORTABLE_ARITHMETIC), a limb is 18 digits in a 64-bit
// word and a LimbSum, the accumulator of products and carries, is that
// 128-bit integer; elsewhere a limb is 9 digits in 32 bits and a LimbSum 64
// bits. Either way B = kLimbBase < 2^(kLimbBits - 2), and the product of two
// limbs plus two limbs fits a LimbSum with room to spare.

#if !defined(CALC_PORTABLE_ARITHMETIC) && defined(__SIZEOF_INT128__)
#define RAVUR_WIDE_LIMBS 1
using Limb = uint64_t;
__extension__ typedef unsigned __int128 LimbSum;
constexpr int32_t kLimbDigits = 18;
#else
#define RAVUR_WIDE_LIMBS 0
using Limb = uint32_t;
using LimbSum = uint64_t;
constexpr int32_t kLimbDigits = 9;
#endif

constexpr int32_t kLimbBits = sizeof(Limb) * kByteBits;
constexpr int32_t kHalfLimbBits = kLimbBits / 2;
constexpr Limb kHalfLimbMask = (Limb{1} << kHalfLimbBits) - 1;

constexpr Limb PowerOfTen(const int32_t exponent) { return exponent == 0 ? 1 : 10 * PowerOfTen(exponent - 1); }
constexpr Limb kLimbBase = PowerOfTen(kLimbDigits);
static_assert(kLimbBase - 1 <= (~Limb{0} >> 2), "a limb has two bits to spare: a sum of two limbs fits one");

// 10^k for k = 0 to kLimbDigits.
constexpr std::array<Limb, kLimbDigits + 1> MakePowersOfTen() {
  std::array<Limb, kLimbDigits + 1> powers{};
  for (int32_t k = 0; k <= kLimbDigits; ++k) powers[k] = PowerOfTen(k);
  return powers;
}
inline constexpr std::array<Limb, kLimbDigits + 1> kPowersOfTen = MakePowersOfTen();

inline Limb HighLimb(const LimbSum value) { return static_cast<Limb>(value >> kLimbBits); }

// One step of the division below (Hacker's Delight, 2nd ed., 9-4, divlu):
// the quotient half of (top x 2^h + next) / divisor, h = kHalfLimbBits, for
// top below divisor and divisor normalised (top bit set), by Knuth's estimate
// from the top halves, corrected at most twice.
inline Limb DivideStepPortable(const Limb top, const Limb next, const Limb divisor) {
  const Limb divisorHigh = divisor >> kHalfLimbBits;
  Limb estimate = top / divisorHigh;
  Limb rest = top - estimate * divisorHigh;
  while (estimate > kHalfLimbMask || estimate * (divisor & kHalfLimbMask) > ((rest << kHalfLimbBits) | next)) {
    --estimate;
    rest += divisorHigh;
    if (rest > kHalfLimbMask) break;
  }
  return estimate;
}

// value / divisor, *remainder the rest, for value below divisor x
// 2^kLimbBits, so that the quotient fits a limb. Long division in half limbs
// (TAOCP vol. 2, 4.3.1, Algorithm D, n = 2), the divisor first shifted until
// its top bit is set and the value with it.
inline Limb DivideLimbSumPortable(const LimbSum value, Limb divisor, Limb* remainder) {
  const int32_t shift = LeadingZeroBitsPortable(divisor) - (kWordBits - kLimbBits);
  divisor <<= shift;
  const auto low = static_cast<Limb>(value << shift);
  const Limb top = shift == 0 ? HighLimb(value) : static_cast<Limb>(value >> (kLimbBits - shift));
  const Limb upperHalf = DivideStepPortable(top, low >> kHalfLimbBits, divisor);
  // The rest after the upper half: below divisor, so that working modulo
  // 2^kLimbBits, where the products wrap, gives it exactly.
  const Limb middle = ((top << kHalfLimbBits) | (low >> kHalfLimbBits)) - upperHalf * divisor;
  const Limb lowerHalf = DivideStepPortable(middle, low & kHalfLimbMask, divisor);
  *remainder = (((middle << kHalfLimbBits) | (low & kHalfLimbMask)) - lowerHalf * divisor) >> shift;
  return (upperHalf << kHalfLimbBits) | lowerHalf;
}

#if RAVUR_WIDE_LIMBS && defined(__x86_64__)
// The processor's 128-by-64-bit division, which the compiler would otherwise
// reach through a library call.
inline Limb DivideLimbSum(const LimbSum value, const Limb divisor, Limb* remainder) {
  Limb quotient;
  __asm__("divq %[divisor]"
          : "=a"(quotient), "=d"(*remainder)
          : "a"(static_cast<Limb>(value)), "d"(HighLimb(value)), [divisor] "rm"(divisor));
  return quotient;
}
#elif RAVUR_WIDE_LIMBS
inline Limb DivideLimbSum(const LimbSum value, const Limb divisor, Limb* remainder) {
  return DivideLimbSumPortable(value, divisor, remainder);
}
#else
// A 64-bit division, which every target has (as an instruction or a helper
// of the C library's own).
inline Limb DivideLimbSum(const LimbSum value, const Limb divisor, Limb* remainder) {
  const auto quotient = static_cast<Limb>(value / divisor);
  *remainder = static_cast<Limb>(value) - quotient * divisor;
  return quotient;
}
#endif

// value = high x kLimbBase + *low, returning high, for value up to
// kLargestSplit: with 64-bit limbs one DivideLimbSum, whose quotient must fit
// a limb; with 32-bit ones a 64-bit division by a constant, which the
// compiler makes a multiplication, for any value.
#if RAVUR_WIDE_LIMBS
constexpr LimbSum kLargestSplit = (static_cast<LimbSum>(kLimbBase) << kLimbBits) - 1;
inline LimbSum SplitLimbSum(const LimbSum value, Limb* low) { return DivideLimbSum(value, kLimbBase, low); }
#else
constexpr LimbSum kLargestSplit = ~LimbSum{0};
inline LimbSum SplitLimbSum(const LimbSum value, Limb* low) {
  const LimbSum high = value / kLimbBase;
  *low = static_cast<Limb>(value - high * kLimbBase);
  return high;
}
#endif

// a x b + c = high x B + *low (B = kLimbBase, *low < B), returning high,
// for limbs a and b, c < 2B, and fraction = LimbFraction(b). With 64-bit
// limbs by multiplications that need not wait for c, where a division by B
// would, and takes as long as many of them: with f = floor(b x 2^L / B)
// (L = kLimbBits; f is a limb, as b < B),
//   (1) f <= b x 2^L / B < f + 1 and a < 2^L put a x f / 2^L within 1 below
//       a x b / B: h = floor(a x f / 2^L) is H = floor(a x b / B) or H - 1;
//   (2) l = a x b - h x B is then in [0, 2B), exact when worked modulo 2^L,
//       and l + c in [0, 4B), a limb (B <= 2^(L-2));
//   (3) B taken from l + c up to three times, and as many added to h, leaves
//       the low limb and high.
// Its twin is SplitLimbSum of the LimbSum a x b + c, at most (B - 1)^2 + 2B
// - 1 = B^2. With 32-bit limbs that split is the form used, a division by a
// constant that the compiler makes a multiplication, and no fraction.
#if RAVUR_WIDE_LIMBS
inline Limb LimbFraction(const Limb b) {
  Limb rest;
  return DivideLimbSum(LimbSum{b} << kLimbBits, kLimbBase, &rest);
}
inline Limb MultiplyAddSplit(const Limb a, const Limb b, const Limb fraction, const Limb c, Limb* low) {
  static_assert(4 * (kLimbBase - 1) + 3 <= ~Limb{0}, "(2): l + c < 4B is a limb");
  const Limb high = HighLimb(LimbSum{a} * fraction);
  const Limb rest = a * b - high * kLimbBase + c;
  // The rarer rests of 2B and more behind a branch, so that the others take
  // one comparison (the forms tried: bench/README, "Measured choices").
  const Limb bases = rest >= 2 * kLimbBase ? 2 + (rest >= 3 * kLimbBase ? 1 : 0) : rest >= kLimbBase ? 1 : 0;
  *low = rest - bases * kLimbBase;
  return high + bases;
}
#else
inline Limb LimbFraction(const Limb /*b*/) { return 0; }
inline Limb MultiplyAddSplit(const Limb a, const Limb b, const Limb /*fraction*/, const Limb c, Limb* low) {
  return static_cast<Limb>(SplitLimbSum(LimbSum{a} * b + c, low));
}
#endif

// --- Three digits at a time -----------------------------------------------------
//
// The decimal digits of a value below 10^9 (a "nine": a limb is one or two of
// them), three at a time from the top, by multiplications alone: TopGroup
// gives its top three digits (value / 10^6) and leaves the rest of value /
// 10^6 in *rest as a binary fraction, and each NextGroup gives the next three
// digits and leaves the rest after them.

constexpr int32_t kNineDigits = 9;
constexpr uint32_t kNineBase = 1000000000;
constexpr int32_t kNinesPerLimb = kLimbDigits / kNineDigits;
static_assert(kNinesPerLimb * kNineDigits == kLimbDigits && kPowersOfTen[kNineDigits] == kNineBase,
              "a limb is whole nines");

constexpr uint32_t kGroupScale = 1000;
constexpr uint32_t kTopGroupWeight = 1000000;

// The portable steps: value / 10^6 in fixed point with kGroupShift fraction
// bits, scaled by kScaleToTop = ceil(2^54 / 10^6). t = value x kScaleToTop is
// value / 10^6 with the top group above bit 54, and each multiplication of
// the fraction bits by 1000 brings the next group above it. t exceeds the
// exact value x 2^54 / 10^6 by less than value < 10^9, an excess
// 1000^k x 10^9 after k groups, while the exact value lies at least
// 1000^k x 2^54 / 10^6 > 1.8 x 1000^k x 10^10 below the next group's step:
// no group comes out too high.
constexpr int32_t kGroupShift = 54;
constexpr Word kFractionMask = (Word{1} << kGroupShift) - 1;
constexpr Word kScaleToTop = ((Word{1} << kGroupShift) + kTopGroupWeight - 1) / kTopGroupWeight;
static_assert(kScaleToTop <= UINT64_MAX / (kNineBase - 1) && kFractionMask <= UINT64_MAX / kGroupScale,
              "the fixed-point steps stay within 64 bits");

inline Word TopGroupPortable(const uint32_t value, Word* rest) {
  const Word t = value * kScaleToTop;
  *rest = t & kFractionMask;
  return t >> kGroupShift;
}
inline Word NextGroupPortable(Word* rest) {
  const Word t = *rest * kGroupScale;
  *rest = t & kFractionMask;
  return t >> kGroupShift;
}

#if RAVUR_GNU_WORDS && defined(__SIZEOF_INT128__)
// The same steps in 64.64 fixed point: value x ceil(2^64 / 10^6) holds the
// top group in its high word and the rest in its low word, and one
// multiplication of the low word by 1000 gives the next group and rest, with
// no masking. The excess is below 10^9 x 1000^k after k groups, far below
// the 2^64 / 1000 x 1000^k between two steps of the group.
__extension__ typedef unsigned __int128 GroupFixed;

// a x b: the high word, the low one in *low. On x86-64 by the instruction
// itself: GCC passes a 128-bit product through the stack (a store and a
// reload) where its low word feeds the next multiplication.
#if defined(__x86_64__)
inline Word MultiplyWords(const Word a, const Word b, Word* low) {
  Word high;
  __asm__("mulq %[b]" : "=a"(*low), "=d"(high) : "a"(a), [b] "rm"(b));
  return high;
}
#else
inline Word MultiplyWords(const Word a, const Word b, Word* low) {
  const GroupFixed product = static_cast<GroupFixed>(a) * b;
  *low = static_cast<Word>(product);
  return static_cast<Word>(product >> kWordBits);
}
#endif

inline Word TopGroup(const uint32_t value, Word* rest) {
  constexpr Word kScale = static_cast<Word>((GroupFixed{1} << kWordBits) / kTopGroupWeight) + 1;
  return MultiplyWords(value, kScale, rest);
}
inline Word NextGroup(Word* rest) { return MultiplyWords(*rest, kGroupScale, rest); }
#else
inline Word TopGroup(const uint32_t value, Word* rest) { return TopGroupPortable(value, rest); }
inline Word NextGroup(Word* rest) { return NextGroupPortable(rest); }
#endif

// --- Eight decimal digits a word ------------------------------------------------
//
// One digit a byte, the word read and written little-endian, so that the byte
// at the lowest address is the word's lowest. Combining or splitting them lane
// by lane (bytes, 16-bit and 32-bit lanes) takes three multiplications
// instead of eight.

// The value of the eight digits of a word, the lowest byte the most
// significant digit; each byte 0 to 9.
inline uint32_t EightDigitsValue(Word word) {
  word = (word * 10 + (word >> 8)) & 0x00FF00FF00FF00FFu;       // 16-bit lanes: two digits each
  word = (word * 100 + (word >> 16)) & 0x0000FFFF0000FFFFu;     // 32-bit lanes: four digits each
  return static_cast<uint32_t>((word * 10000 + (word >> 32)) & 0xFFFFFFFFu);
}

// The eight '0' characters of a word.
constexpr Word kZeroChars = '0' * kEveryByte;
constexpr Word kEightBase = 100000000;

// The value of the sixteen ASCII digit characters at chars, the first the
// most significant.
inline Word SixteenCharsValuePortable(const char* chars) {
  return EightDigitsValue(LoadLittle(chars) - kZeroChars) * kEightBase +
         EightDigitsValue(LoadLittle(chars + kWordBytes) - kZeroChars);
}

// The value of the count (1 to kWordBytes) ASCII digit characters that end
// at end, read as the word that ends there: the bytes before the digits are
// shifted out before '0' is taken from the digits (a byte below '0' there
// would borrow from them).
inline uint32_t TrailingDigitsValue(const char* end, const int32_t count) {
  const int32_t others = kByteBits * (kWordBytes - count);
  const Word chars = LoadLittle(end - kWordBytes) >> others << others;
  return EightDigitsValue(chars - (kZeroChars << others));
}

// The value of the count (1 to 2 x kWordBytes) ASCII digit characters that
// end at end, read as one word or two: up to 2 x kWordBytes - count bytes
// before them are read.
inline Word TrailingCharsValuePortable(const char* end, const int32_t count) {
  if (count <= kWordBytes) return TrailingDigitsValue(end, count);
  return TrailingDigitsValue(end - kWordBytes, count - kWordBytes) * kEightBase +
         EightDigitsValue(LoadLittle(end - kWordBytes) - kZeroChars);
}

#if RAVUR_SSE2_WORDS
// The same steps in a 16-byte register, the '0's left in until the end: a
// 16-bit lane of characters c (the first) and c' times 1 + 10 x 2^8 holds
// 10c + c' mod 2^8 in its high byte, the pair's value + 16 (10 x '0' + '0' =
// 528); lanes of two pairs times 100 and 1 give four digits + 1616, and of
// two fours (below 2^15, as the signed lanes need) times 10000 and 1 eight
// digits + 16161616. The pairs' multiplier is hidden from the optimiser,
// which would make the one multiplication four shifts and additions.
inline Word SixteenCharsValueOf(const __m128i chars) {
  constexpr Word kZeros = 16161616 * (kEightBase + 1);
  __m128i pairScale = _mm_set1_epi16(1 + (10 << kByteBits));
  __asm__("" : "+x"(pairScale));
  const __m128i pairs = _mm_srli_epi16(_mm_mullo_epi16(chars, pairScale), kByteBits);
  const __m128i fours = _mm_madd_epi16(pairs, _mm_set1_epi32(100 + (1 << 16)));
  const __m128i eights = _mm_madd_epi16(_mm_packs_epi32(fours, fours), _mm_set1_epi32(10000 + (1 << 16)));
  const auto both = static_cast<Word>(_mm_cvtsi128_si64(eights));
  return (both & 0xFFFFFFFFu) * kEightBase + (both >> 32) - kZeros;
}

inline Word SixteenCharsValue(const char* chars) {
  return SixteenCharsValueOf(_mm_loadu_si128(reinterpret_cast<const __m128i*>(chars)));
}

// More than a word's characters as the sixteen bytes that end at end, the
// bytes before the characters made '0' under a mask that keeps the last
// count bytes (a window into 16 zero bytes and 16 of 0xFF): a digit is '0'
// with bits added, so that setting the bits of '0' in every byte keeps it.
inline Word TrailingCharsValue(const char* end, const int32_t count) {
  constexpr int32_t kBlockBytes = sizeof(__m128i);
  alignas(kBlockBytes) static constexpr unsigned char kKeep[2 * kBlockBytes] = {
      0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
      0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
  if (count <= kWordBytes) return TrailingDigitsValue(end, count);
  const __m128i chars = _mm_loadu_si128(reinterpret_cast<const __m128i*>(end - kBlockBytes));
  const __m128i keep = _mm_loadu_si128(reinterpret_cast<const __m128i*>(kKeep + count));
  return SixteenCharsValueOf(_mm_or_si128(_mm_and_si128(chars, keep), _mm_set1_epi8('0')));
}
#else
inline Word SixteenCharsValue(const char* chars) { return SixteenCharsValuePortable(chars); }
inline Word TrailingCharsValue(const char* end, const int32_t count) { return TrailingCharsValuePortable(end, count); }
#endif

// The bytes of a word that are not ASCII digits, each flagged by its top bit
// (and any byte after such a byte possibly flagged too). A byte's top bit is
// set in word + (0x80 - ':') when it is ':' to 0xB9, and in word - '0' when it
// is below '0' or 0xB0 and above: one of the two flags every byte but a
// digit. A borrow or carry between bytes only arises at such a byte and moves
// to the bytes after it, so the lowest flagged byte is the first non-digit.
inline Word NonDigitFlags(const Word word) {
  return ((word - '0' * kEveryByte) | (word + (0x80 - ':') * kEveryByte)) & kTopBits;
}

// The first byte in [from, end) that is not an ASCII digit, or end; eight
// bytes a word.
inline const char* SkipDigits(const char* from, const char* end) {
  for (; end - from >= kWordBytes; from += kWordBytes) {
    const Word outside = NonDigitFlags(LoadLittle(from));
    if (outside != 0) return from + LowestSetByte(outside);
  }
  while (from < end && *from >= '0' && *from <= '9') ++from;
  return from;
}

// SkipDigits for a text with kWordBytes bytes of room on either side:
// whole words are read, up to kWordBytes bytes from end on, and what lies
// there is not taken.
inline const char* SkipDigitsInRoomPortable(const char* from, const char* const end) {
  for (; from < end; from += kWordBytes) {
    const Word outside = NonDigitFlags(LoadLittle(from));
    if (outside != 0) return std::min(from + LowestSetByte(outside), end);
  }
  return end;
}

#if RAVUR_SSE2_WORDS
// Sixteen bytes a step while at least a word is left (last, a word before
// end, lies in the room before a short text), then a word: a byte plus
// 0x80 - '0' is -128 to -119 (as a signed byte) for a digit only. The
// bound is hidden from the optimiser, which would compare the other way
// round and then invert the result.
inline const char* SkipDigitsInRoom(const char* from, const char* const end) {
  constexpr int32_t kBlockBytes = sizeof(__m128i);
  const __m128i toSigned = _mm_set1_epi8(static_cast<char>(0x80 - '0'));
  __m128i lastDigit = _mm_set1_epi8(static_cast<char>(-128 + 9));
  __asm__("" : "+x"(lastDigit));
  for (const char* const last = end - kWordBytes; from <= last; from += kBlockBytes) {
    const __m128i bytes = _mm_add_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(from)), toSigned);
    const auto outside = static_cast<uint32_t>(_mm_movemask_epi8(_mm_cmpgt_epi8(bytes, lastDigit)));
    if (outside != 0) return std::min(from + static_cast<uint32_t>(__builtin_ctz(outside)), end);
  }
  return SkipDigitsInRoomPortable(from, end);
}
#else
inline const char* SkipDigitsInRoom(const char* from, const char* const end) {
  return SkipDigitsInRoomPortable(from, end);
}
#endif

}  // namespace ravur::detail
