// The arithmetic as plain, unoptimised steps: whole-record copies, trial quotient
// digits counted down from 9 with a full multiplication each, partial products
// summed with the addition. Same record layout as the library's DxNumber, in a
// namespace of its own so that the two implementations can be linked together.
#pragma once

#include <cstdint>

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

}  // namespace reference
