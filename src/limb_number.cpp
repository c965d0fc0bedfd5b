#include "limb_number.h"

#include <algorithm>
#include <cstring>

#include "words.h"

namespace ravur::detail {

namespace {

constexpr int32_t kEightDigits = 8;
constexpr Limb kDecimal = 10;

// Gives up the zero limbs at the top, so that the number is normalised.
void TrimTop(LimbNumber* number) {
  while (number->count > 0 && number->limbs[number->count - 1] == 0) --number->count;
}

void MakeZero(LimbNumber* number) {
  number->fracLimbs = 0;
  number->count = 0;
  number->isNegative = 0;
  number->isInfinite = 0;
}

// --- Text in ---------------------------------------------------------------------

// The value of `count` digit characters (at most kLimbDigits).
Limb CharsValue(const char* chars, const int32_t count) {
  Limb value = 0;
  for (int32_t i = 0; i < count; ++i) value = value * kDecimal + static_cast<Limb>(chars[i] - '0');
  return value;
}

// The value of nine digit characters: the first by itself, the other eight a word.
Limb NineCharsValue(const char* chars) {
  const Word digits = LoadLittle(chars + 1) - '0' * kEveryByte;
  return static_cast<Limb>(chars[0] - '0') * kPowersOfTen[kEightDigits] + EightDigitsValue(digits);
}

}  // namespace

// One pass that matches the numeral grammar (the record parser's) and finds
// the digit runs; leading integer zeros and trailing fraction zeros are
// skipped, then the fraction is cut in nines from the point down (the last
// group filled with zeros) and the integer in nines from the point up.
void ParseLimbNumber(const char* text, LimbNumber* number) {
  MakeZero(number);
  const bool isSigned = *text == '-' || *text == '+';
  const char* intBegin = text + (isSigned ? 1 : 0);
  const char* const end = intBegin + std::strlen(intBegin);
  const char* const intEnd = SkipDigits(intBegin, end);
  const char* fracBegin = intEnd;
  const char* fracEnd = intEnd;
  if (*intEnd == '.') {
    fracBegin = intEnd + 1;
    fracEnd = SkipDigits(fracBegin, end);
  }
  if (fracEnd != end || intEnd - intBegin > kMaxNumeralDigits || fracEnd - fracBegin > kMaxNumeralDigits) return;
  while (intBegin != intEnd && *intBegin == '0') ++intBegin;
  while (fracEnd != fracBegin && fracEnd[-1] == '0') --fracEnd;

  const auto fracDigits = static_cast<int32_t>(fracEnd - fracBegin);
  const int32_t fracLimbs = (fracDigits + kLimbDigits - 1) / kLimbDigits;
  Limb* limb = number->limbs + fracLimbs;
  const char* c = fracBegin;
  for (; fracEnd - c >= kLimbDigits; c += kLimbDigits) *--limb = NineCharsValue(c);
  if (c != fracEnd) {
    const auto count = static_cast<int32_t>(fracEnd - c);
    *--limb = CharsValue(c, count) * kPowersOfTen[kLimbDigits - count];
  }
  int32_t k = fracLimbs;
  const char* top = intEnd;
  for (; top - intBegin >= kLimbDigits; top -= kLimbDigits) number->limbs[k++] = NineCharsValue(top - kLimbDigits);
  if (top != intBegin) number->limbs[k++] = CharsValue(intBegin, static_cast<int32_t>(top - intBegin));
  number->fracLimbs = fracLimbs;
  number->count = k;
  TrimTop(number);
  number->isNegative = number->count > 0 && *text == '-';
}

// --- Sum and difference ------------------------------------------------------------

namespace {

// The limb of index `index` of the number, 0 outside the limbs in use.
Limb LimbAt(const LimbNumber* number, const int32_t index) {
  return index >= 0 && index < number->count ? number->limbs[index] : 0;
}

// result = |left| + |right| (kSubtract: |left| - |right|, with |left| >=
// |right|), schoolbook with carries (borrows) from the lowest limb up, both
// operands aligned on the result's point.
template <bool kSubtract>
void CombineMagnitudes(const LimbNumber* left, const LimbNumber* right, LimbNumber* result) {
  const int32_t fracLimbs = std::max(left->fracLimbs, right->fracLimbs);
  const int32_t leftShift = fracLimbs - left->fracLimbs;
  const int32_t rightShift = fracLimbs - right->fracLimbs;
  const int32_t top = std::max(left->count + leftShift, right->count + rightShift);
  Limb carry = 0;
  for (int32_t k = 0; k < top; ++k) {
    const Limb x = LimbAt(left, k - leftShift);
    const Limb y = LimbAt(right, k - rightShift);
    if (kSubtract) {
      const Limb subtrahend = y + carry;
      carry = x < subtrahend ? 1 : 0;
      result->limbs[k] = x + carry * kLimbBase - subtrahend;
    } else {
      const Limb sum = x + y + carry;
      carry = sum >= kLimbBase ? 1 : 0;
      result->limbs[k] = sum - carry * kLimbBase;
    }
  }
  result->count = top;
  if (!kSubtract && carry != 0) result->limbs[result->count++] = carry;
  result->fracLimbs = fracLimbs;
  result->isInfinite = 0;
  TrimTop(result);
}

// result = left + right, both read with left's sign.
void AddWithLeftSign(const LimbNumber* left, const LimbNumber* right, LimbNumber* result) {
  CombineMagnitudes<false>(left, right, result);
  result->isNegative = left->isNegative;
}

// result = left - right, both read with left's sign; equal magnitudes give a
// zero without sign, as the record operation's.
void SubtractWithLeftSign(const LimbNumber* left, const LimbNumber* right, LimbNumber* result) {
  const int32_t order = CompareLimbMagnitudes(left, right);
  if (order == 0) {
    MakeZero(result);
  } else if (order < 0) {
    CombineMagnitudes<true>(right, left, result);
    result->isNegative = !left->isNegative;
  } else {
    CombineMagnitudes<true>(left, right, result);
    result->isNegative = left->isNegative;
  }
}

}  // namespace

// Both operands normalised with the same weight of the top limb: the limbs
// compare pairwise from the top; where one runs out, any non-zero limb left
// below in the other decides.
int32_t CompareLimbMagnitudes(const LimbNumber* left, const LimbNumber* right) {
  if (left->count == 0 || right->count == 0) return (left->count != 0 ? 1 : 0) - (right->count != 0 ? 1 : 0);
  const int32_t leftTop = left->count - left->fracLimbs;
  const int32_t rightTop = right->count - right->fracLimbs;
  if (leftTop != rightTop) return leftTop > rightTop ? 1 : -1;
  int32_t i = left->count - 1;
  int32_t j = right->count - 1;
  for (; i >= 0 && j >= 0; --i, --j) {
    if (left->limbs[i] != right->limbs[j]) return left->limbs[i] > right->limbs[j] ? 1 : -1;
  }
  for (; i >= 0; --i) if (left->limbs[i] != 0) return 1;
  for (; j >= 0; --j) if (right->limbs[j] != 0) return -1;
  return 0;
}

// The same table of signs as the record operations: magnitudes of one kind
// each, operands of differing signs handed to the other.
void AddLimbNumbers(const LimbNumber* left, const LimbNumber* right, LimbNumber* result) {
  if (left->isNegative == right->isNegative) {
    AddWithLeftSign(left, right, result);
  } else {
    SubtractWithLeftSign(left, right, result);
  }
}

void SubtractLimbNumbers(const LimbNumber* left, const LimbNumber* right, LimbNumber* result) {
  if (left->isNegative == right->isNegative) {
    SubtractWithLeftSign(left, right, result);
  } else {
    AddWithLeftSign(left, right, result);
  }
}

// --- Product -------------------------------------------------------------------------

// Aligned on the point, the operands' limbs multiply as integers and the
// product's point lies below both operands' fraction limbs.
void MultiplyLimbNumbers(const LimbNumber* left, const LimbNumber* right, LimbNumber* result) {
  result->fracLimbs = left->fracLimbs + right->fracLimbs;
  result->count = 0;
  if (left->count != 0 && right->count != 0) {
    MultiplyLimbs(left->limbs, left->count, right->limbs, right->count, result->limbs);
    result->count = left->count + right->count;
    TrimTop(result);
  }
  result->isNegative = left->isNegative != right->isNegative;
  result->isInfinite = 0;
}

// --- Quotient --------------------------------------------------------------------------
//
// A dividend whose top digit has weight 10^(eL - 1) over a divisor whose top
// digit has 10^(eR - 1) generates its first digit at 10^(eL - eR), so the
// cut keeps s = kQuotientDigits - 1 - (eL - eR) fraction digits: the quotient
// is floor(|L| / |R| x 10^s) x 10^-s. With f = ceil(s / kLimbDigits) fraction
// limbs, floor(|L| / |R| x kLimbBase^f) has the same digits and the
// 9f - s (0 to 8) digits below them, which are cut from its lowest limb; and
// |L| / |R| x kLimbBase^f is the quotient of the operands' limbs (integers)
// with the dividend's limbs moved f + (R's fraction limbs) - (L's) limbs up
// (or, that many down, dropped: the floor of a floor is the floor). The
// divisor's low zero limbs divide out of both the same way.

namespace {

// Digits of a non-zero limb.
int32_t DigitCount(const Limb limb) {
  int32_t count = 1;
  while (count < kLimbDigits && limb >= kPowersOfTen[count]) ++count;
  return count;
}

// e with the top digit of the non-zero number at weight 10^(e - 1).
int32_t TopDigitExponent(const LimbNumber* number) {
  return kLimbDigits * (number->count - number->fracLimbs - 1) + DigitCount(number->limbs[number->count - 1]);
}

// ceil(s / kLimbDigits) for either sign of s.
int32_t LimbsForDigits(const int32_t digits) {
  return digits >= 0 ? (digits + kLimbDigits - 1) / kLimbDigits : -(-digits / kLimbDigits);
}

}  // namespace

namespace {

// Divisor limbs beyond those that decide the quotient (see DivideByTopLimbs).
constexpr int32_t kGuardLimbs = 2;

// floor(u / v) from v's top limbs alone, when they decide it: u has uCount
// limbs, v vCount (top limb not zero), the quotient qCount = uCount - vCount
// + 1 limbs; true when quotient[0..qCount) is written.
//
// With keep = qCount + kGuardLimbs of v's limbs, j = vCount - keep below
// them, and one limb more of the quotient than asked for: n = floor(u B / v)
// (B = kLimbBase) and Q0 = floor(U / V), U = floor(u B / B^j) (u's limbs
// from j - 1 up) and V = floor(v / B^j). Q0 is n or n + 1: u B >= n v gives
// U >= floor(n v / B^j) >= n V; and U / V < u B / (v - B^j), which exceeds
// u B / v by less than 1 as n + 1 <= B^(qCount + 1) and v >= B^(keep + j -
// 1) = B^(qCount + 1 + j). Dropping Q0's lowest limb therefore gives
// floor(u / v) = floor(n / B) unless that limb is 0, where n may lie a unit
// below, in the limbs above; then the caller divides by all of v.
bool DivideByTopLimbs(const Limb* u, const int32_t uCount, const Limb* v, const int32_t vCount, Limb* quotient) {
  const int32_t qCount = uCount - vCount + 1;
  const int32_t keep = qCount + kGuardLimbs;
  const int32_t below = vCount - keep;  // j
  if (below < 1) return false;
  Limb top[kDividendLimbs];
  const int32_t topCount = uCount - below + 1;
  std::copy_n(u + below - 1, topCount, top);
  Limb extended[kDividendLimbs];
  DivideLimbs(top, topCount, v + below, keep, extended);
  if (extended[0] == 0) return false;
  std::copy_n(extended + 1, qCount, quotient);
  return true;
}

}  // namespace

void DivideLimbNumbers(const LimbNumber* left, const LimbNumber* right, LimbNumber* result) {
  MakeZero(result);
  if (left->count == 0) return;
  if (right->count == 0) {
    result->isInfinite = 1;
    result->isNegative = left->isNegative;
    return;
  }
  const int32_t kept = kQuotientDigits - 1 - (TopDigitExponent(left) - TopDigitExponent(right));
  const int32_t fracLimbs = LimbsForDigits(kept);
  const int32_t cut = kLimbDigits * fracLimbs - kept;
  const Limb* divisor = right->limbs;
  int32_t divisorCount = right->count;
  int32_t shift = fracLimbs + right->fracLimbs - left->fracLimbs;
  while (divisor[0] == 0) {
    ++divisor;
    --divisorCount;
    --shift;
  }
  // The quotient is below 10^(kQuotientDigits + cut), so the dividend has at
  // most a quotient's limbs more than the divisor.
  Limb dividend[kDividendLimbs];
  int32_t dividendCount;
  if (shift >= 0) {
    std::fill_n(dividend, shift, 0);
    std::copy_n(left->limbs, left->count, dividend + shift);
    dividendCount = shift + left->count;
  } else {
    dividendCount = left->count + shift;
    std::copy_n(left->limbs - shift, dividendCount, dividend);
  }
  Limb quotient[kDividendLimbs];
  if (!DivideByTopLimbs(dividend, dividendCount, divisor, divisorCount, quotient)) {
    DivideLimbs(dividend, dividendCount, divisor, divisorCount, quotient);
  }
  const int32_t quotientCount = dividendCount - divisorCount + 1;
  quotient[0] -= quotient[0] % kPowersOfTen[cut];
  // A negative count of fraction limbs: the quotient's lowest limb lies
  // -fracLimbs limbs above the point.
  const int32_t below = std::max(-fracLimbs, 0);
  std::fill_n(result->limbs, below, 0);
  std::copy_n(quotient, quotientCount, result->limbs + below);
  result->fracLimbs = std::max(fracLimbs, 0);
  result->count = below + quotientCount;
  TrimTop(result);
  result->isNegative = left->isNegative != right->isNegative;
}

// --- Text out ------------------------------------------------------------------------

namespace {

// The digits of a limb below its top one as characters, most significant
// first when stored big-endian; top gets the top digit.
Word LowEightChars(const Limb limb, Limb* top) {
  *top = limb / kPowersOfTen[kEightDigits];
  return EightDigitBytes(limb - *top * kPowersOfTen[kEightDigits]) + '0' * kEveryByte;
}

// The characters of 00 to 99, two a number.
struct DigitPairs {
  char chars[200];
};
constexpr DigitPairs MakeDigitPairs() {
  DigitPairs pairs{};
  for (int32_t n = 0; n < 100; ++n) {
    pairs.chars[2 * n] = static_cast<char>('0' + n / 10);
    pairs.chars[2 * n + 1] = static_cast<char>('0' + n % 10);
  }
  return pairs;
}
constexpr DigitPairs kDigitPairs = MakeDigitPairs();

// Writes the two digits of n (below 100).
void WritePair(const Limb n, char* out) { std::memcpy(out, kDigitPairs.chars + 2 * n, 2); }

// Writes the nine digits of a limb, leading zeros included: the top digit,
// then four pairs from the two halves of the lower eight.
char* WriteNineDigits(const Limb limb, char* out) {
  const Limb top = limb / kPowersOfTen[kEightDigits];
  const Limb eight = limb - top * kPowersOfTen[kEightDigits];
  const Limb high = eight / 10000;
  const Limb low = eight - high * 10000;
  out[0] = static_cast<char>('0' + top);
  WritePair(high / 100, out + 1);
  WritePair(high % 100, out + 3);
  WritePair(low / 100, out + 5);
  WritePair(low % 100, out + 7);
  return out + kLimbDigits;
}

// Writes limbs[from], limbs[from - 1], ... limbs[to], nine digits each.
char* WriteLimbs(const Limb* limbs, const int32_t from, const int32_t to, char* out) {
  for (int32_t k = from; k >= to; --k) out = WriteNineDigits(limbs[k], out);
  return out;
}

// Writes a non-zero limb without its leading zeros: below 10^8, the eight
// characters shifted up past the leading '0's, stored whole (the bytes after
// the digits are overwritten by what follows or by the terminator).
char* WriteLeadingLimb(const Limb limb, char* out) {
  if (limb >= kPowersOfTen[kEightDigits]) return WriteNineDigits(limb, out);
  Limb top;
  const Word chars = LowEightChars(limb, &top);
  const int32_t digits = HighestSetByte(chars - '0' * kEveryByte) + 1;
  StoreBig(out, chars << (kByteBits * (kWordBytes - digits)));
  return out + digits;
}

// Writes the nine digits of a non-zero limb without its trailing zeros.
char* WriteTrailingLimb(const Limb limb, char* out) {
  Limb top;
  const Word chars = LowEightChars(limb, &top);
  StoreBig(out + 1, chars);
  out[0] = static_cast<char>('0' + top);
  const Word digits = chars - '0' * kEveryByte;
  return out + (digits == 0 ? 1 : kLimbDigits - LowestSetByte(digits));
}

}  // namespace

size_t FormatLimbNumber(const LimbNumber* number, char* buffer) {
  static constexpr char kInfiniteText[] = "#INFINITE";
  char* out = buffer;
  if (number->isNegative) *out++ = '-';
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

}  // namespace ravur::detail
