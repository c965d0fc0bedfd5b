// Decimal limbs: the library's working form, and the kernel on them.
//
// An operation gathers the decimal digits of its operands into limbs, computes
// on the limbs and spreads the answer back into decimal digits. The radix is a
// power of ten, so gathering and spreading are plain multiply-adds and
// divisions by ten; only a short divisor is taken as one binary number
// (divide.cpp).
#pragma once

#include <cstddef>
#include <cstdint>

#include "ravur_numeral.h"
#include "words.h"

// Private to the library: not installed, and out of the public namespace's way.
namespace ravur::detail {

// Decimal digits in one limb, and the limb radix 10^kLimbDigits.
constexpr int32_t kLimbDigits = 9;
constexpr uint32_t kLimbBase = 1000000000;

// 10^k for k = 0 to kLimbDigits.
inline constexpr uint32_t kPowersOfTen[kLimbDigits + 1] = {1,         10,        100,        1000, 10000, 100000,
                                                           1000000,   10000000,  100000000,  kLimbBase};

// One limb, 0 to kLimbBase - 1. Two limbs' product plus two limbs fits the
// 64-bit word the arithmetic works in.
using Limb = uint32_t;
using Wide = uint64_t;

// A non-negative integer as limbs: limbs[i] has weight kLimbBase^i (least
// significant first), every limb is below kLimbBase, and limbs at or beyond
// the count in use are not read. Leading zero limbs are allowed.

// Limbs on one side of the point of an accepted numeral, aligned on the point.
constexpr int32_t kNumeralSideLimbs = (kMaxNumeralDigits + kLimbDigits - 1) / kLimbDigits;

// Room, for records of any digits within their room (not only accepted
// numerals): an operand's integer form has up to all the record's digits,
// kFormLimbs limbs; a product two forms' limbs; a division's dividend the
// divisor's form and kQuotientDigits - 1 digits more, with one limb to spare
// for the division's normalisation.
constexpr int32_t kFormDigits = kIntCapacity + kFracCapacity;
constexpr int32_t kFormLimbs = (kFormDigits + kLimbDigits - 1) / kLimbDigits;
constexpr int32_t kProductLimbs = 2 * kFormLimbs;
constexpr int32_t kDividendLimbs = (kQuotientDigits - 1 + kFormDigits + kLimbDigits - 1) / kLimbDigits + 1;

// The zeros GatherLimbs reads around its digits: it takes every limb's
// kLimbDigits digits in one go, so the limbs cut by either end of the digits
// read up to kGatherPad positions past that end.
constexpr int32_t kGatherPad = kLimbDigits - 1;

// Gathers the decimal number digits[0..count) x 10^zerosBelow (digits most
// significant first, each 0 to 9) into limbs; returns the count of limbs
// written, ceil((count + zerosBelow) / kLimbDigits). digits[-kGatherPad..0)
// and digits[count..count + kGatherPad) must be readable and hold 0.
int32_t GatherLimbs(const int8_t* digits, int32_t count, int32_t zerosBelow, Limb* limbs);

// Spreads `count` decimal digits of the limbs, from the one of weight
// 10^first upward, to digits[0], digits[step], digits[2 x step], ... (step 1
// or -1). The run lies inside the limbs: first + count is at most
// kLimbDigits x their count.
void SpreadLimbs(const Limb* limbs, int32_t first, int32_t count, int8_t* digits, int32_t step);

// The decimal digit of weight 10^position, a position inside the limbs.
int8_t DigitOfLimbs(const Limb* limbs, int32_t position);

// product[0..aCount + bCount) = a x b, schoolbook; aCount + bCount is at most
// kProductLimbs.
void MultiplyLimbs(const Limb* a, int32_t aCount, const Limb* b, int32_t bCount, Limb* product);
// The same product in the limb radix, by 32-bit limbs alone: MultiplyLimbs's
// route without a 128-bit integer type (with one, it takes two limbs as one).
void MultiplyInLimbRadix(const Limb* a, int32_t aCount, const Limb* b, int32_t bCount, Limb* product);

// Decimal digits, eight a word (words.h), and their base.
constexpr Limb kDecimal = 10;
constexpr int32_t kEightDigits = 8;

// Digits of a non-zero limb: with b its bit length, t = floor(b log10 2)
// (b x 1233 / 2^12 is that for b up to 30), it has t digits, or t + 1 once it
// reaches 10^t. No loop: random limbs would mispredict its end.
inline int32_t DigitCount(const Limb limb) {
  const int32_t bits = kWordBits - LeadingZeroBits(limb);
  const int32_t t = bits * 1233 >> 12;
  return t + (limb >= kPowersOfTen[t] ? 1 : 0);
}

#if RAVUR_DOUBLE_WORDS

// Pairs of limbs: where a 128-bit integer type is at hand, long products and
// quotients take two limbs as one digit of the radix kPairBase = kLimbBase^2
// = 10^18 < 2^60: a product of two pairs is one multiplication of two words,
// and splitting a two-word value by kPairBase one division.
constexpr Wide kPairBase = Wide{kLimbBase} * kLimbBase;

// pairs[i] = limbs[2i] + limbs[2i + 1] x kLimbBase; returns the pairs' count.
inline int32_t PairLimbs(const Limb* limbs, const int32_t count, Wide* pairs) {
  for (int32_t i = 0; i < count / 2; ++i) pairs[i] = limbs[2 * i] + Wide{limbs[2 * i + 1]} * kLimbBase;
  if (count % 2 != 0) pairs[count / 2] = limbs[count - 1];
  return (count + 1) / 2;
}

// value / divisor, *remainder the rest, for a value below divisor x 2^64.
inline Wide DivideDoubleWord(const DoubleWord value, const Wide divisor, Wide* remainder) {
  return DivideTwoWords({static_cast<Wide>(value >> kWordBits), static_cast<Wide>(value)}, divisor, remainder);
}

// value = high x kPairBase + *low, returning high, for a value below
// kPairBase x 2^64.
inline Wide SplitPair(const DoubleWord value, Wide* low) { return DivideDoubleWord(value, kPairBase, low); }

#endif

}  // namespace ravur::detail
