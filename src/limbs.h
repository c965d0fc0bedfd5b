// Decimal limbs: the working form of the multiplication and the division.
//
// An operation gathers the decimal digits of its operands into limbs, computes
// on the limbs and spreads the answer back into decimal digits. The radix is a
// power of ten, so gathering and spreading are plain multiply-adds and
// divisions by ten, with no binary radix conversion.
#pragma once

#include <cstddef>
#include <cstdint>

#include "ravur_numeral.h"

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
// The same product by 32-bit limbs alone: what MultiplyLimbs does without a
// 128-bit integer type (where it has one, it takes two limbs as one).
void MultiplyLimbsPortable(const Limb* a, int32_t aCount, const Limb* b, int32_t bCount, Limb* product);

// quotient[0..uCount - vCount + 1) = floor(u / v), for vCount <= uCount <=
// kDividendLimbs and a non-zero top limb of v; it may stop at a zero
// remainder with only zero limbs of u below it, writing the quotient's limbs
// below as 0. u must hold uCount + 1 limbs; it is overwritten.
void DivideLimbs(Limb* u, int32_t uCount, const Limb* v, int32_t vCount, Limb* quotient);
// DivideLimbs for a dividend moved up by zeroLimbs zero limbs (u[0..zeroLimbs)
// are 0), which it may take for granted instead of reading them.
void DivideMovedLimbs(Limb* u, int32_t uCount, int32_t zeroLimbs, const Limb* v, int32_t vCount, Limb* quotient);
// The same quotient by 32-bit limbs alone: what DivideLimbs does without a
// 128-bit integer type (where it has one, it divides a divisor of up to four
// limbs as one binary number of one or two words, in steps of two limbs, and
// longer ones in pairs of limbs).
void DivideLimbsPortable(Limb* u, int32_t uCount, const Limb* v, int32_t vCount, Limb* quotient);

// Signed decimal numbers as limbs aligned on the point: the form Result
// computes in. A numeral is parsed straight into it, the sum, difference,
// product and quotient are computed on it, and the answer is written as text
// straight from it, with the same text the record operations give.

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

// Parses a text of `length` bytes, ended by text[length], which is neither a
// digit nor '.' (a terminator, a separator), the way CharArrToDxNumber does:
// a numeral CheckNumeral accepts becomes its normalised value, a zero without
// sign; anything else becomes zero. Returns CheckNumeral's verdict on the text, except that a length
// above kMaxNumeralLength stands for any text longer than a numeral: none of
// it is read, it becomes zero, and kNotANumber stands for the verdict. The
// text is read in whole words: kNumeralPad bytes before it and after the byte
// that ends it must be readable (of any value).
constexpr int32_t kNumeralPad = 8;
NumeralStatus ParseLimbNumber(const char* text, size_t length, LimbNumber* number);
// Parses the front of the `available` bytes at text that the numeral grammar
// reads (a sign, digits, a point, digits; none of the bytes past them), with
// its length in *length, as ParseLimbNumber parses a text of that length,
// but returning CheckNumeral's verdict on a front of any length.
// kNumeralPad bytes before text, and as many from text[available] on, must be
// readable.
NumeralStatus ParseLimbFront(const char* text, size_t available, size_t* length, LimbNumber* number);

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

// A limb's three groups of three digits, the top one first: what the text
// of a limb is written from, by the same steps, one group at a time.
// GroupsOfLimb takes them in 64.64 fixed point where a 128-bit integer type
// allows; GroupsOfLimbPortable in 64-bit words alone.
struct LimbGroups {
  Wide top;
  Wide middle;
  Wide bottom;
};
LimbGroups GroupsOfLimb(Limb limb);
LimbGroups GroupsOfLimbPortable(Limb limb);
// Bytes the text of any number formed on accepted numerals needs, with the
// terminator and the kLimbDigits - 1 bytes the writer may use past it.
constexpr int32_t kLimbTextRoom = kLongestText + kLimbDigits;

// Writes the text DxNumberToCharArr gives the same value: optional "-", then
// "#INFINITE" or the integer digits ("0" when there are none), then "." and
// the fraction digits without trailing zeros when there are any; then the
// terminator. Returns the length. buffer holds kLimbTextRoom bytes.
size_t FormatLimbNumber(const LimbNumber* number, char* buffer);

}  // namespace ravur::detail
