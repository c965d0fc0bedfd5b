// Signed decimal numbers as limbs aligned on the point, and the four
// operations on them: the form WriteResult and Result compute in. A numeral
// is parsed straight into it (text.h), the sum, difference, product and
// quotient are computed on it, and the answer is written as text straight
// from it, with the same text the record operations give.
#pragma once

#include <cstdint>

#include "limbs.h"

namespace ravur::detail {

// The room of a number: a product of two accepted numerals, each up to
// kNumeralSideLimbs limbs on either side of the point, has the most limbs of
// any value formed on accepted numerals (a sum has one limb more than an
// operand; a quotient at most kQuotientDigits + kLimbDigits - 1 digits from
// its first one, which lies at most 2 x kNumeralSideLimbs limbs above the
// point).
constexpr int32_t kNumberLimbs = 4 * kNumeralSideLimbs;
// The room of a number formed on records (ravur.h's DxNumber): a product of
// two integer forms of a record each, kProductLimbs, and a limb on either
// side for the alignment on the point; a sum or a quotient of records, or a
// record itself, has fewer.
constexpr int32_t kRecordLimbs = kProductLimbs + 2;

// A signed decimal number: limbs[k] has weight kLimbBase^(k - fracLimbs), so
// limbs[0..fracLimbs) are the fraction, kLimbDigits digits each from the
// point down, and the integer lies above them. Only limbs[0..count) are in use; every
// limb at or beyond count reads as 0, so count may be below fracLimbs (a
// number below kLimbBase^(count - fracLimbs) without leading zero limbs).
// Normalised: count is 0 (zero) or limbs[count - 1] is not 0. Low zero limbs
// are allowed. When isInfinite is 1 the limbs carry no meaning; the sign does.
// kRoom limbs of room: kNumberLimbs for numerals, kRecordLimbs for records.
template <int32_t kRoom>
struct LimbsIn {
  int32_t fracLimbs;
  int32_t count;
  uint8_t isNegative;
  uint8_t isInfinite;
  Limb limbs[kRoom];
};
using LimbNumber = LimbsIn<kNumberLimbs>;
using RecordLimbs = LimbsIn<kRecordLimbs>;

// Gives up the zero limbs at the top, so that the number is normalised.
template <int32_t kRoom>
void TrimTop(LimbsIn<kRoom>* number) {
  // Counted in a local: a limb may alias the count (uint32_t and int32_t), so
  // a loop on the member would store and reload it every step.
  int32_t count = number->count;
  while (count > 0 && number->limbs[count - 1] == 0) --count;
  number->count = count;
}

template <int32_t kRoom>
void MakeZero(LimbsIn<kRoom>* number) {
  number->fracLimbs = 0;
  number->count = 0;
  number->isNegative = 0;
  number->isInfinite = 0;
}

// e with the top digit of the non-zero number at weight 10^(e - 1).
template <int32_t kRoom>
int32_t TopDigitExponent(const LimbsIn<kRoom>* number) {
  return kLimbDigits * (number->count - number->fracLimbs - 1) + DigitCount(number->limbs[number->count - 1]);
}

// 1, -1 or 0 as |left| is greater than, smaller than or equal to |right|, for
// normalised operands.
template <int32_t kRoom>
int32_t CompareLimbMagnitudes(const LimbsIn<kRoom>* left, const LimbsIn<kRoom>* right);

// The exact sum and difference, and the product whose sign comes from the
// operands' signs alone (0 x -5 is -0), of normalised operands; result is a
// third number. Defined for the two rooms above.
template <int32_t kRoom>
void AddLimbNumbers(const LimbsIn<kRoom>* left, const LimbsIn<kRoom>* right, LimbsIn<kRoom>* result);
template <int32_t kRoom>
void SubtractLimbNumbers(const LimbsIn<kRoom>* left, const LimbsIn<kRoom>* right, LimbsIn<kRoom>* result);
template <int32_t kRoom>
void MultiplyLimbNumbers(const LimbsIn<kRoom>* left, const LimbsIn<kRoom>* right, LimbsIn<kRoom>* result);

// The quotient cut, not rounded, to kQuotientDigits digits counted from the
// first generated one (the digit of the weight of the dividend's top digit
// over the divisor's top digit), as DxDivide cuts it; 0 for a zero dividend,
// infinite with the dividend's sign for a zero divisor.
template <int32_t kRoom>
void DivideLimbNumbers(const LimbsIn<kRoom>* left, const LimbsIn<kRoom>* right, LimbsIn<kRoom>* result);

}  // namespace ravur::detail
