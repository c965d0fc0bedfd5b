// Decimal limbs: the library's working form, and the kernel on them.
//
// An operation gathers the decimal digits of its operands into limbs, computes
// on the limbs and spreads the answer back into decimal digits. The radix is
// the power of ten words.h chooses, so gathering and spreading are plain
// multiply-adds and divisions by ten.
#pragma once

#include <cstddef>
#include <cstdint>

#include "ravur_numeral.h"
#include "words.h"

// Private to the library: not installed, and out of the public namespace's way.
namespace ravur::detail {

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

// product[0..aCount + bCount) = a x b, schoolbook, for counts of 1 or more;
// aCount + bCount is at most kProductLimbs.
void MultiplyLimbs(const Limb* a, int32_t aCount, const Limb* b, int32_t bCount, Limb* product);

// to[0..count) = from[0..count) x scale (a limb), returning the limb carried
// out of the top: a limb's product plus the carry, below B, split by
// MultiplyAddSplit, fraction being LimbFraction(scale) (worked out once by a
// caller that scales several runs by one scale).
inline Limb ScaleLimbs(const Limb* from, const int32_t count, const Limb scale, const Limb fraction, Limb* to) {
  Limb carry = 0;
  for (int32_t i = 0; i < count; ++i) carry = MultiplyAddSplit(from[i], scale, fraction, carry, &to[i]);
  return carry;
}

// Decimal digits, eight a word (words.h).
constexpr int32_t kEightDigits = 8;

// Digits of a non-zero limb: with b its bit length, t = floor(b log10 2)
// (b x 1233 / 2^12 is that for b up to 64), it has t digits, or t + 1 once it
// reaches 10^t. No loop: random limbs would mispredict its end.
inline int32_t DigitCount(const Limb limb) {
  const int32_t bits = kWordBits - LeadingZeroBits(limb);
  const int32_t t = bits * 1233 >> 12;
  return t + (limb >= kPowersOfTen[t] ? 1 : 0);
}

}  // namespace ravur::detail
