// The straightforward steps of the arithmetic, kept as the reference that the
// optimised library is compared against record by record.
#include "reference_ravur.h"

#include <cstring>

namespace reference {

using ravur::kFracCapacity, ravur::kIntCapacity, ravur::kQuotientDigits;

namespace {

constexpr int32_t kBase = 10;

// Digit reads that treat every position at or beyond the count as 0, so that
// a read can never leave the array, however far a shift reaches.
int8_t IntDigitAt(const DxNumber* number, const int32_t k) {
  return k < number->intCount ? number->intDigits[k] : 0;
}
int8_t FracDigitAt(const DxNumber* number, const int32_t k) {
  return k < number->fracCount ? number->fracDigits[k] : 0;
}

// Appends at the position the count names; a digit past the room is dropped
// rather than written out of bounds (no accepted numeral gets there).
void AppendIntDigit(DxNumber* number, const int8_t digit) {
  if (number->intCount < kIntCapacity) number->intDigits[number->intCount++] = digit;
}
void AppendFracDigit(DxNumber* number, const int8_t digit) {
  if (number->fracCount < kFracCapacity) number->fracDigits[number->fracCount++] = digit;
}

int32_t MaxCount(const int32_t a, const int32_t b) { return a > b ? a : b; }

}  // namespace

// --- The record --------------------------------------------------------------

void InitDxNumberToZero(DxNumber* number) { std::memset(number, 0, sizeof *number); }

void AdjustBits(DxNumber* number) {
  while (number->intCount > 1 && number->intDigits[number->intCount - 1] == 0) --number->intCount;
  while (number->fracCount > 0 && number->fracDigits[number->fracCount - 1] == 0) --number->fracCount;
}

int32_t IsZero(const DxNumber* number) {
  if (number->fracCount != 0) return 0;
  return number->intCount == 0 || (number->intCount == 1 && number->intDigits[0] == 0);
}

void MakeInfinite(DxNumber* number) { number->isInfinite = 1; }

// --- Comparison --------------------------------------------------------------

namespace {

// A record without integer digits reads as the single integer digit 0.
int32_t EffectiveIntCount(const DxNumber* number) { return number->intCount == 0 ? 1 : number->intCount; }

// 1, -1 or 0 as |left| is greater than, smaller than or equal to |right|.
int32_t CompareMagnitudes(const DxNumber* left, const DxNumber* right) {
  const int32_t leftInt = EffectiveIntCount(left);
  const int32_t rightInt = EffectiveIntCount(right);
  if (leftInt != rightInt) return leftInt > rightInt ? 1 : -1;
  for (int32_t k = leftInt - 1; k >= 0; --k) {
    if (left->intDigits[k] != right->intDigits[k]) return left->intDigits[k] > right->intDigits[k] ? 1 : -1;
  }
  const int32_t common = left->fracCount < right->fracCount ? left->fracCount : right->fracCount;
  for (int32_t k = 0; k < common; ++k) {
    if (left->fracDigits[k] != right->fracDigits[k]) return left->fracDigits[k] > right->fracDigits[k] ? 1 : -1;
  }
  if (left->fracCount != right->fracCount) return left->fracCount > right->fracCount ? 1 : -1;
  return 0;
}

}  // namespace

int32_t DxCompare(const DxNumber* left, const DxNumber* right) {
  if (left->isNegative != right->isNegative) return left->isNegative ? -1 : 1;
  const int32_t magnitude = CompareMagnitudes(left, right);
  return left->isNegative ? -magnitude : magnitude;
}

// --- Addition and subtraction ------------------------------------------------
//
// Each signed operation does magnitudes of one kind only and hands operands of
// differing signs to the other, with the right operand's sign flipped:
//
//   left  right |  DxAdd              DxSubtract
//   ----  ----- |  ------------------ ------------------
//   +     +     |  +(|l| + |r|)       |l| - |r|, signed by the larger
//   -     -     |  -(|l| + |r|)       |r| - |l|, signed by the larger
//   +     -     |  l - (-r)           l + (-r)
//   -     +     |  l - (-r)           l + (-r)

namespace {

// result = |left| + |right|, schoolbook with carries from the last fraction
// digit up. result must be cleared.
void AddMagnitudes(const DxNumber* left, const DxNumber* right, DxNumber* result) {
  int32_t carry = 0;
  const int32_t fracCount = MaxCount(left->fracCount, right->fracCount);
  for (int32_t k = fracCount - 1; k >= 0; --k) {
    const int32_t sum = left->fracDigits[k] + right->fracDigits[k] + carry;
    carry = sum / kBase;
    result->fracDigits[k] = static_cast<int8_t>(sum % kBase);
  }
  result->fracCount = fracCount;
  const int32_t intCount = MaxCount(left->intCount, right->intCount);
  for (int32_t k = 0; k < intCount; ++k) {
    const int32_t sum = left->intDigits[k] + right->intDigits[k] + carry;
    carry = sum / kBase;
    result->intDigits[k] = static_cast<int8_t>(sum % kBase);
  }
  result->intCount = intCount;
  if (carry > 0) AppendIntDigit(result, static_cast<int8_t>(carry));
}

// result = |larger| - |smaller|, schoolbook with borrows; |larger| >= |smaller|
// so no borrow is left over. result must be cleared.
void SubtractMagnitudes(const DxNumber* larger, const DxNumber* smaller, DxNumber* result) {
  int32_t borrow = 0;
  const auto subtractDigit = [&borrow](const int32_t top, const int32_t bottom) {
    int32_t digit = top - bottom - borrow;
    borrow = digit < 0 ? 1 : 0;
    return static_cast<int8_t>(digit + borrow * kBase);
  };
  const int32_t fracCount = MaxCount(larger->fracCount, smaller->fracCount);
  for (int32_t k = fracCount - 1; k >= 0; --k) {
    result->fracDigits[k] = subtractDigit(larger->fracDigits[k], smaller->fracDigits[k]);
  }
  result->fracCount = fracCount;
  const int32_t intCount = MaxCount(larger->intCount, smaller->intCount);
  for (int32_t k = 0; k < intCount; ++k) {
    result->intDigits[k] = subtractDigit(larger->intDigits[k], smaller->intDigits[k]);
  }
  result->intCount = intCount;
}

// A whole-record copy of the right operand carrying the left operand's sign,
// for the hand-over between addition and subtraction.
DxNumber WithSignOf(const DxNumber* number, const DxNumber* signSource) {
  DxNumber copy = *number;
  copy.isNegative = signSource->isNegative;
  return copy;
}

}  // namespace

void DxAdd(const DxNumber* left, const DxNumber* right, DxNumber* result) {
  InitDxNumberToZero(result);
  if (left->isNegative != right->isNegative) {
    const DxNumber flipped = WithSignOf(right, left);
    DxSubtract(left, &flipped, result);
    return;
  }
  AddMagnitudes(left, right, result);
  result->isNegative = left->isNegative;
  AdjustBits(result);
}

void DxSubtract(const DxNumber* left, const DxNumber* right, DxNumber* result) {
  InitDxNumberToZero(result);
  if (left->isNegative != right->isNegative) {
    const DxNumber flipped = WithSignOf(right, left);
    DxAdd(left, &flipped, result);
    return;
  }
  const int32_t order = DxCompare(left, right);
  if (order == 0) return;
  const bool leftIsSmaller = left->isNegative ? order == 1 : order == -1;
  if (leftIsSmaller) {
    SubtractMagnitudes(right, left, result);
    result->isNegative = !left->isNegative;
  } else {
    SubtractMagnitudes(left, right, result);
    result->isNegative = left->isNegative;
  }
  AdjustBits(result);
}

// --- Decimal point shift -----------------------------------------------------

void MoveFloatPoint(DxNumber* number, const int32_t places) {
  if (places == 0) {
    AdjustBits(number);
    return;
  }
  const DxNumber old = *number;
  InitDxNumberToZero(number);
  number->isNegative = old.isNegative;
  if (places > 0) {
    for (int32_t k = places; k < old.fracCount; ++k) AppendFracDigit(number, old.fracDigits[k]);
    for (int32_t k = places - 1; k >= 0; --k) AppendIntDigit(number, FracDigitAt(&old, k));
    for (int32_t k = 0; k < old.intCount; ++k) AppendIntDigit(number, old.intDigits[k]);
  } else {
    const int32_t shift = -places;
    for (int32_t k = shift; k < old.intCount; ++k) AppendIntDigit(number, old.intDigits[k]);
    for (int32_t k = shift - 1; k >= 0; --k) AppendFracDigit(number, IntDigitAt(&old, k));
    for (int32_t k = 0; k < old.fracCount; ++k) AppendFracDigit(number, old.fracDigits[k]);
  }
  AdjustBits(number);
}

// --- Multiplication ----------------------------------------------------------

namespace {

// A whole-record copy with its point moved to the end: an integer, no leading zeros.
DxNumber IntegerForm(const DxNumber* number) {
  DxNumber integer = *number;
  MoveFloatPoint(&integer, integer.fracCount);
  return integer;
}

// partial = |a| x digit x 10^shift, for integers a. partial is cleared here.
void PartialProduct(const DxNumber* a, const int32_t digit, const int32_t shift, DxNumber* partial) {
  InitDxNumberToZero(partial);
  partial->intCount = shift + a->intCount;
  int32_t carry = 0;
  for (int32_t k = 0; k < a->intCount; ++k) {
    const int32_t value = digit * a->intDigits[k] + carry;
    carry = value / kBase;
    partial->intDigits[shift + k] = static_cast<int8_t>(value % kBase);
  }
  if (carry != 0) AppendIntDigit(partial, static_cast<int8_t>(carry));
}

}  // namespace

// Long multiplication: one partial product per digit of the right operand's
// integer form, summed, then the point moved back by both fraction lengths.
void DxMultiply(const DxNumber* left, const DxNumber* right, DxNumber* result) {
  const DxNumber a = IntegerForm(left);
  const DxNumber b = IntegerForm(right);
  DxNumber sum;
  DxNumber partial;
  InitDxNumberToZero(&sum);
  InitDxNumberToZero(result);
  for (int32_t i = 0; i < b.intCount; ++i) {
    PartialProduct(&a, b.intDigits[i], i, &partial);
    DxAdd(&sum, &partial, result);
    sum = *result;
  }
  *result = sum;
  MoveFloatPoint(result, -(left->fracCount + right->fracCount));
  result->isNegative = left->isNegative != right->isNegative;
}

// --- Division ----------------------------------------------------------------

namespace {

// The largest digit d in 1..9 with divisor x d <= remainder, counting down
// from 9; needs remainder > divisor. Leaves divisor x d in multiple.
int32_t TrialDigit(const DxNumber* remainder, const DxNumber* divisor, DxNumber* multiple) {
  DxNumber digit;
  int32_t d = kBase;
  do {
    --d;
    InitDxNumberToZero(&digit);
    digit.intCount = 1;
    digit.intDigits[0] = static_cast<int8_t>(d);
    DxMultiply(divisor, &digit, multiple);
  } while (DxCompare(multiple, remainder) > 0);
  return d;
}

}  // namespace

// Schoolbook long division on the operands' integer forms, aligned to the same
// number of integer digits so that every quotient digit is 0 to 9. The digits
// are gathered as 0.d0d1d2... and the point is put back at the end.
void DxDivide(const DxNumber* left, const DxNumber* right, DxNumber* result) {
  DxNumber remainder = IntegerForm(left);
  DxNumber divisor = IntegerForm(right);
  int32_t pointCorrection = right->fracCount - left->fracCount;
  InitDxNumberToZero(result);
  if (IsZero(left)) return;
  if (IsZero(right)) {
    result->isNegative = left->isNegative;
    MakeInfinite(result);
    return;
  }
  remainder.isNegative = 0;
  divisor.isNegative = 0;
  while (remainder.intCount != divisor.intCount) {
    if (remainder.intCount < divisor.intCount) {
      MoveFloatPoint(&remainder, 1);
      --pointCorrection;
    } else {
      MoveFloatPoint(&divisor, 1);
      ++pointCorrection;
    }
  }

  DxNumber multiple;
  DxNumber next;
  while (result->fracCount < kQuotientDigits) {
    const int32_t order = DxCompare(&remainder, &divisor);
    if (order < 0) {
      MoveFloatPoint(&remainder, 1);
      AppendFracDigit(result, 0);
      continue;
    }
    if (order == 0) {
      AppendFracDigit(result, 1);
      break;
    }
    const int32_t digit = TrialDigit(&remainder, &divisor, &multiple);
    AppendFracDigit(result, static_cast<int8_t>(digit));
    if (DxCompare(&multiple, &remainder) == 0) break;
    DxSubtract(&remainder, &multiple, &next);
    MoveFloatPoint(&next, 1);
    remainder = next;
  }
  MoveFloatPoint(result, 1);
  MoveFloatPoint(result, pointCorrection);
  if (left->isNegative != right->isNegative) result->isNegative = 1;
}

}  // namespace reference
