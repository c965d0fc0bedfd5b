// Signed decimal numbers as limbs aligned on the point: the form Result
// computes in. A numeral is parsed straight into it, the sum, difference,
// product and quotient are computed on it, and the answer is written as text
// straight from it, with the same text the record operations give.
#pragma once

#include <cstddef>
#include <cstdint>

#include "limbs.h"

// Private to the library, as the limbs are.
namespace ravur::detail {

// The room of a number: a product of two accepted numerals, each up to
// kNumeralSideLimbs limbs on either side of the point, has the most limbs of
// any value formed on accepted numerals (a sum has one limb more than an
// operand; a quotient at most kQuotientDigits + kLimbDigits - 1 digits from
// its first one, which lies at most 2 x kNumeralSideLimbs limbs above the
// point).
constexpr int32_t kNumberLimbs = 4 * kNumeralSideLimbs;

// A signed decimal number: limbs[k] has weight kLimbBase^(k - fracLimbs), so
// limbs[0..fracLimbs) are the fraction, nine digits each from the point down,
// and the integer lies above them. Only limbs[0..count) are in use; every
// limb at or beyond count reads as 0, so count may be below fracLimbs (a
// number below kLimbBase^(count - fracLimbs) without leading zero limbs).
// Normalised: count is 0 (zero) or limbs[count - 1] is not 0. Low zero limbs
// are allowed. When isInfinite is 1 the limbs carry no meaning; the sign does.
struct LimbNumber {
  int32_t fracLimbs;
  int32_t count;
  uint8_t isNegative;
  uint8_t isInfinite;
  Limb limbs[kNumberLimbs];
};

// Parses a zero-terminated text the way CharArrToDxNumber does: a numeral
// CheckNumeral accepts becomes its normalised value, a zero without sign;
// anything else becomes zero.
void ParseLimbNumber(const char* text, LimbNumber* number);

// The exact sum and difference, and the product whose sign comes from the
// operands' signs alone (0 x -5 is -0), of normalised operands; result is a
// third number.
void AddLimbNumbers(const LimbNumber* left, const LimbNumber* right, LimbNumber* result);
void SubtractLimbNumbers(const LimbNumber* left, const LimbNumber* right, LimbNumber* result);
void MultiplyLimbNumbers(const LimbNumber* left, const LimbNumber* right, LimbNumber* result);

// The quotient cut, not rounded, to kQuotientDigits digits counted from the
// first generated one (the digit of the weight of the dividend's top digit
// over the divisor's top digit), as DxDivide cuts it; 0 for a zero dividend,
// infinite with the dividend's sign for a zero divisor. The operands are
// parsed numerals (or fit their room).
void DivideLimbNumbers(const LimbNumber* left, const LimbNumber* right, LimbNumber* result);

// 1, -1 or 0 as |left| is greater than, smaller than or equal to |right|.
int32_t CompareLimbMagnitudes(const LimbNumber* left, const LimbNumber* right);

// Bytes the text of any number formed on accepted numerals needs, with the
// terminator and the kLimbDigits - 1 bytes the writer may use past it.
constexpr int32_t kLimbTextRoom = kLongestText + kLimbDigits;

// Writes the text DxNumberToCharArr gives the same value: optional "-", then
// "#INFINITE" or the integer digits ("0" when there are none), then "." and
// the fraction digits without trailing zeros when there are any; then the
// terminator. Returns the length. buffer holds kLimbTextRoom bytes.
size_t FormatLimbNumber(const LimbNumber* number, char* buffer);

}  // namespace ravur::detail
