// The arithmetic as plain, unoptimised steps: whole-record copies, trial quotient
// digits counted down from 9 with a full multiplication each, partial products
// summed with the addition. Same record layout as the library's DxNumber, in a
// namespace of its own so that the two implementations can be linked together.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "ravur.h"

namespace reference {

struct DxNumber {
  int32_t intCount;
  int32_t fracCount;
  uint8_t isInfinite;
  uint8_t isNegative;
  int8_t intDigits[ravur::kIntCapacity];
  int8_t fracDigits[ravur::kFracCapacity];
};
static_assert(sizeof(DxNumber) == sizeof(ravur::DxNumber), "the layouts must match");

void InitDxNumberToZero(DxNumber* number);
void AdjustBits(DxNumber* number);
int32_t IsZero(const DxNumber* number);
void MakeInfinite(DxNumber* number);
int32_t DxCompare(const DxNumber* left, const DxNumber* right);
void DxAdd(const DxNumber* left, const DxNumber* right, DxNumber* result);
void DxSubtract(const DxNumber* left, const DxNumber* right, DxNumber* result);
void MoveFloatPoint(DxNumber* number, int32_t places);
void DxMultiply(const DxNumber* left, const DxNumber* right, DxNumber* result);
void DxDivide(const DxNumber* left, const DxNumber* right, DxNumber* result);

// --- Exact arithmetic: what the library must answer on any records ----------
//
// Values without any room, on which the rules of ravur.h are worked out for
// records of every size, whatever produced them: sums, differences and
// products exact unless they have more than kIntCapacity integer digits
// (infinite) or more than kFracCapacity fraction digits (cut); quotients cut
// at their 127th digit and at kFracCapacity; infinite operands sticky. Each
// check takes the library's records (ravur::DxNumber) and returns "" when the
// record is what the rules give, otherwise what differs.

// An exact signed decimal: the digits times 10^exponent.
struct Exact {
  bool negative = false;
  std::vector<int8_t> digits;  // least significant first, no 0 at either end; none for zero
  int32_t exponent = 0;        // the weight of digits[0]; 0 for zero
};

// The record's value and sign flag; the infinite flag is not read.
Exact ExactOf(const ravur::DxNumber& number);
// Integer digits of the value (0 when it is below 1), and fraction digits.
int32_t IntegerDigits(const Exact& value);
int32_t FractionDigits(const Exact& value);
// The value as text, the middle of a long one left out.
std::string Describe(const Exact& value);

enum class Operation : uint8_t { kAdd, kSubtract, kMultiply, kDivide };
// The library's operation of that name.
ravur::DxOperation OperationOf(Operation operation);

// The representation rules of ravur.h: flags 0 or 1, counts within the room,
// digits 0 to 9 below the counts and 0 at and beyond them, normalised.
std::string RecordFault(const ravur::DxNumber& number);
// result as operation(left, right) must give it (the representation rules not included).
std::string ResultFault(Operation operation, const ravur::DxNumber& left, const ravur::DxNumber& right,
                        const ravur::DxNumber& result);
// after as MoveFloatPoint(before, places) must leave it.
std::string ShiftFault(const ravur::DxNumber& before, int32_t places, const ravur::DxNumber& after);
// got as DxCompare(left, right) must return it.
std::string CompareFault(const ravur::DxNumber& left, const ravur::DxNumber& right, int32_t got);

}  // namespace reference
