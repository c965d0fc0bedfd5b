// The straightforward steps of the arithmetic, kept as the reference that the
// optimised library is compared against record by record.
#include "reference_ravur.h"

#include <algorithm>
#include <cstring>
#include <iterator>

namespace reference {

using ravur::kFracCapacity, ravur::kIntCapacity, ravur::kQuotientDigits;

ravur::DxOperation OperationOf(const Operation operation) {
  switch (operation) {
    case Operation::kAdd: return ravur::DxAdd;
    case Operation::kSubtract: return ravur::DxSubtract;
    case Operation::kMultiply: return ravur::DxMultiply;
    case Operation::kDivide: return ravur::DxDivide;
  }
  return nullptr;
}

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

// Appends at the position the count names. A digit past the room is not
// written: a zero is dropped, any other marks the record infinite (its
// integer digits do not fit), for the operation to clear it with Overflowed.
void AppendIntDigit(DxNumber* number, const int8_t digit) {
  if (number->intCount < kIntCapacity) {
    number->intDigits[number->intCount++] = digit;
  } else if (digit != 0) {
    number->isInfinite = 1;
  }
}
void AppendFracDigit(DxNumber* number, const int8_t digit) {
  if (number->fracCount < kFracCapacity) number->fracDigits[number->fracCount++] = digit;
}

int32_t MaxCount(const int32_t a, const int32_t b) { return a > b ? a : b; }

// An infinite record: every digit and count cleared, the flag and the sign set.
void SetInfinite(DxNumber* number, const bool negative) {
  std::memset(number, 0, sizeof *number);
  number->isInfinite = 1;
  number->isNegative = negative ? 1 : 0;
}

// A record marked infinite by AppendIntDigit made the infinite record, its sign kept.
void Overflowed(DxNumber* number) {
  if (number->isInfinite) SetInfinite(number, number->isNegative != 0);
}

}  // namespace

// --- The record --------------------------------------------------------------

void InitDxNumberToZero(DxNumber* number) { std::memset(number, 0, sizeof *number); }

// Each count lowered past the zeros at its end: the integer digits to one
// past the highest non-zero one (keeping one digit 0), the fraction digits to
// the last non-zero one.
void AdjustBits(DxNumber* number) {
  const auto nonZero = [](const int8_t digit) { return digit != 0; };
  if (number->intCount > 1) {
    const std::reverse_iterator<int8_t*> top(number->intDigits + number->intCount);
    const auto found = std::find_if(top, std::reverse_iterator<int8_t*>(number->intDigits + 1), nonZero);
    number->intCount = static_cast<int32_t>(found.base() - number->intDigits);
  }
  const std::reverse_iterator<int8_t*> last(number->fracDigits + number->fracCount);
  const auto found = std::find_if(last, std::reverse_iterator<int8_t*>(number->fracDigits), nonZero);
  number->fracCount = static_cast<int32_t>(found.base() - number->fracDigits);
}

// Every digit below the counts is 0.
int32_t IsZero(const DxNumber* number) {
  const auto zero = [](const int8_t digit) { return digit == 0; };
  return std::all_of(number->intDigits, number->intDigits + number->intCount, zero) &&
         std::all_of(number->fracDigits, number->fracDigits + number->fracCount, zero);
}

void MakeInfinite(DxNumber* number) { number->isInfinite = 1; }

// --- Comparison --------------------------------------------------------------

namespace {

// The digit of weight 10^w: an integer digit for w >= 0, a fraction digit
// for w < 0, 0 outside the counts.
int8_t DigitOfWeight(const DxNumber* number, const int32_t w) {
  return w >= 0 ? IntDigitAt(number, w) : FracDigitAt(number, -w - 1);
}

// 1, -1 or 0 as |left| is greater than, smaller than or equal to |right|:
// the digits of each weight, from the highest either record has down to the
// lowest, whatever zeros the counts take in.
int32_t CompareMagnitudes(const DxNumber* left, const DxNumber* right) {
  const int32_t high = MaxCount(left->intCount, right->intCount) - 1;
  const int32_t low = -MaxCount(left->fracCount, right->fracCount);
  for (int32_t w = high; w >= low; --w) {
    const int8_t l = DigitOfWeight(left, w);
    const int8_t r = DigitOfWeight(right, w);
    if (l != r) return l > r ? 1 : -1;
  }
  return 0;
}

}  // namespace

int32_t DxCompare(const DxNumber* left, const DxNumber* right) {
  if (left->isNegative != right->isNegative) return left->isNegative ? -1 : 1;
  int32_t magnitude = 0;
  if (left->isInfinite && right->isInfinite) {
    magnitude = 0;
  } else if (left->isInfinite) {
    magnitude = 1;
  } else if (right->isInfinite) {
    magnitude = -1;
  } else {
    magnitude = CompareMagnitudes(left, right);
  }
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
  if (left->isInfinite) return SetInfinite(result, left->isNegative != 0);
  if (right->isInfinite) return SetInfinite(result, right->isNegative != 0);
  if (left->isNegative != right->isNegative) {
    const DxNumber flipped = WithSignOf(right, left);
    DxSubtract(left, &flipped, result);
    return;
  }
  AddMagnitudes(left, right, result);
  result->isNegative = left->isNegative;
  Overflowed(result);
  AdjustBits(result);
}

void DxSubtract(const DxNumber* left, const DxNumber* right, DxNumber* result) {
  InitDxNumberToZero(result);
  if (left->isInfinite) return SetInfinite(result, left->isNegative != 0);
  if (right->isInfinite) return SetInfinite(result, right->isNegative == 0);
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

// Digits appended past the fraction's room are dropped (cut); a non-zero one
// past the integer's makes the record infinite.
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
  Overflowed(number);
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
// The integer forms are records too: this holds for operands whose integer
// forms and product fit kIntCapacity digits (those of accepted numerals do).
void DxMultiply(const DxNumber* left, const DxNumber* right, DxNumber* result) {
  if (left->isInfinite || right->isInfinite) return SetInfinite(result, left->isNegative != right->isNegative);
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
// are gathered as 0.d0d1d2... and the point is put back at the end. As the
// multiplication, for operands whose integer forms fit kIntCapacity digits.
void DxDivide(const DxNumber* left, const DxNumber* right, DxNumber* result) {
  if (left->isInfinite || right->isInfinite) return SetInfinite(result, left->isNegative != right->isNegative);
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

// --- Exact arithmetic --------------------------------------------------------
//
// Digit by digit, but for the product, which goes four digits a word so that
// chains of the widest records stay quick.

namespace {

bool IsZeroValue(const Exact& value) { return value.digits.empty(); }

// Trims zeros at both ends of the digits, moving the exponent up by the low ones.
void Canonical(Exact* value) {
  while (!value->digits.empty() && value->digits.back() == 0) value->digits.pop_back();
  size_t low = 0;
  while (low < value->digits.size() && value->digits[low] == 0) ++low;
  value->digits.erase(value->digits.begin(), value->digits.begin() + static_cast<std::ptrdiff_t>(low));
  value->exponent = value->digits.empty() ? 0 : value->exponent + static_cast<int32_t>(low);
}

// The weight of the highest digit; the value must not be zero.
int32_t Top(const Exact& value) { return value.exponent + static_cast<int32_t>(value.digits.size()) - 1; }

int8_t DigitOf(const Exact& value, const int32_t weight) {
  const int64_t k = int64_t{weight} - value.exponent;
  return k >= 0 && k < static_cast<int64_t>(value.digits.size()) ? value.digits[static_cast<size_t>(k)] : 0;
}

// 1, -1 or 0 as |a| is greater than, smaller than or equal to |b|.
int32_t CompareMagnitude(const Exact& a, const Exact& b) {
  if (IsZeroValue(a) || IsZeroValue(b)) return IsZeroValue(a) ? (IsZeroValue(b) ? 0 : -1) : 1;
  if (Top(a) != Top(b)) return Top(a) > Top(b) ? 1 : -1;
  for (int32_t weight = Top(a); weight >= std::min(a.exponent, b.exponent); --weight) {
    const int8_t x = DigitOf(a, weight);
    const int8_t y = DigitOf(b, weight);
    if (x != y) return x > y ? 1 : -1;
  }
  return 0;
}

// |a| + |b| (sign 1) or |a| - |b| (sign -1, |a| >= |b|), non-negative.
Exact Combine(const Exact& a, const Exact& b, const int32_t sign) {
  Exact sum;
  if (IsZeroValue(a) && IsZeroValue(b)) return sum;
  const int32_t low = IsZeroValue(a) ? b.exponent : IsZeroValue(b) ? a.exponent : std::min(a.exponent, b.exponent);
  const int32_t high = std::max(IsZeroValue(a) ? low : Top(a), IsZeroValue(b) ? low : Top(b)) + 1;
  sum.exponent = low;
  int32_t carry = 0;
  for (int32_t weight = low; weight <= high; ++weight) {
    int32_t digit = DigitOf(a, weight) + sign * DigitOf(b, weight) + carry;
    carry = digit >= 10 ? 1 : digit < 0 ? -1 : 0;
    digit -= carry * 10;
    sum.digits.push_back(static_cast<int8_t>(digit));
  }
  Canonical(&sum);
  return sum;
}

Exact Sum(const Exact& a, const Exact& b) {
  if (a.negative == b.negative) {
    Exact sum = Combine(a, b, 1);
    sum.negative = a.negative;
    return sum;
  }
  const int32_t order = CompareMagnitude(a, b);
  Exact difference = order >= 0 ? Combine(a, b, -1) : Combine(b, a, -1);
  difference.negative = order >= 0 ? a.negative : b.negative;
  return difference;
}

// The product, four digits a word: columns of words summed in 64 bits (each
// product below 10^8, a few hundred of them), carried once at the end.
Exact Product(const Exact& a, const Exact& b) {
  Exact product;
  product.negative = a.negative != b.negative;
  if (IsZeroValue(a) || IsZeroValue(b)) return product;
  const auto words = [](const Exact& value) {
    constexpr uint64_t kScale[4] = {1, 10, 100, 1000};
    std::vector<uint64_t> out((value.digits.size() + 3) / 4, 0);
    for (size_t k = 0; k < value.digits.size(); ++k) out[k / 4] += static_cast<uint64_t>(value.digits[k]) * kScale[k % 4];
    return out;
  };
  const std::vector<uint64_t> x = words(a);
  const std::vector<uint64_t> y = words(b);
  std::vector<uint64_t> columns(x.size() + y.size() + 1, 0);
  for (size_t i = 0; i < x.size(); ++i) {
    for (size_t j = 0; j < y.size(); ++j) columns[i + j] += x[i] * y[j];
  }
  uint64_t carry = 0;
  for (uint64_t& column : columns) {
    const uint64_t value = column + carry;
    column = value % 10000;
    carry = value / 10000;
  }
  for (const uint64_t column : columns) {
    uint64_t rest = column;
    for (int k = 0; k < 4; ++k, rest /= 10) product.digits.push_back(static_cast<int8_t>(rest % 10));
  }
  product.exponent = a.exponent + b.exponent;
  Canonical(&product);
  return product;
}

Exact Shifted(Exact value, const int32_t places) {
  if (!IsZeroValue(value)) value.exponent += places;
  return value;
}

// The value cut toward zero at the weight 10^weight: digits below it dropped.
Exact CutBelow(Exact value, const int32_t weight) {
  if (IsZeroValue(value) || value.exponent >= weight) return value;
  const int64_t drop = int64_t{weight} - value.exponent;
  if (drop >= static_cast<int64_t>(value.digits.size())) {
    value.digits.clear();
  } else {
    value.digits.erase(value.digits.begin(), value.digits.begin() + drop);
    value.exponent = weight;
  }
  Canonical(&value);
  return value;
}

Exact PowerOfTen(const int32_t weight) {
  Exact power;
  power.digits = {1};
  power.exponent = weight;
  return power;
}

Exact Magnitude(Exact value) {
  value.negative = false;
  return value;
}

// What a record must hold: infinite with a sign, or a value with a sign.
struct Outcome {
  bool isInfinite = false;
  bool isNegative = false;
  Exact value;
};

Outcome Infinite(const bool negative) { return Outcome{true, negative, Exact{}}; }

// A finite result's value: infinite when its integer digits do not fit the
// record, otherwise cut to the fraction room; the sign as given.
Outcome Fitted(const Exact& value, const bool negative) {
  if (IntegerDigits(value) > kIntCapacity) return Infinite(negative);
  return Outcome{false, negative, CutBelow(value, -kFracCapacity)};
}

std::string Sign(const bool negative) { return negative ? "-" : "+"; }

std::string Differs(const Outcome& want, const ravur::DxNumber& got) {
  const Exact value = ExactOf(got);
  const std::string wantText = want.isInfinite ? Sign(want.isNegative) + "#INFINITE"
                                               : Sign(want.isNegative) + Describe(want.value);
  const std::string gotText = got.isInfinite ? Sign(got.isNegative != 0) + "#INFINITE"
                                             : Sign(got.isNegative != 0) + Describe(value);
  if (want.isInfinite != (got.isInfinite != 0) || want.isNegative != (got.isNegative != 0) ||
      (!want.isInfinite && CompareMagnitude(want.value, value) != 0)) {
    return "want " + wantText + ", got " + gotText;
  }
  return "";
}

// A sum or difference: the infinite operand's sign (the left one's when both
// are), or the right one's turned for a difference; a zero result is negative
// only when both terms are (-0 + -0).
Outcome SumOutcome(const ravur::DxNumber& left, const ravur::DxNumber& right, const bool subtract) {
  const bool rightNegative = (right.isNegative != 0) != subtract;
  if (left.isInfinite || right.isInfinite) return Infinite(left.isInfinite ? left.isNegative != 0 : rightNegative);
  const Exact a = ExactOf(left);
  Exact b = ExactOf(right);
  b.negative = rightNegative;
  const Exact sum = Sum(a, b);
  return Fitted(sum, IsZeroValue(sum) ? a.negative && b.negative : sum.negative);
}

Outcome ProductOutcome(const ravur::DxNumber& left, const ravur::DxNumber& right) {
  const bool negative = left.isNegative != right.isNegative;
  if (left.isInfinite || right.isInfinite) return Infinite(negative);
  return Fitted(Product(ExactOf(left), ExactOf(right)), negative);
}

// The quotient is checked rather than computed: with u the weight of its
// 127th digit counted from the first one generated (10^(ta - tb) for the top
// digits' weights 10^ta and 10^tb of the operands) and w the larger of u and
// 10^-kFracCapacity, q = |a| / |b| cut at w is the multiple of w with
// q x |b| <= |a| < (q + w) x |b|.
std::string QuotientFault(const ravur::DxNumber& left, const ravur::DxNumber& right, const ravur::DxNumber& got) {
  const bool negative = left.isNegative != right.isNegative;
  if (left.isInfinite || right.isInfinite) return Differs(Infinite(negative), got);
  const Exact a = Magnitude(ExactOf(left));
  const Exact b = Magnitude(ExactOf(right));
  if (IsZeroValue(a)) return Differs(Outcome{}, got);
  if (IsZeroValue(b)) return Differs(Infinite(left.isNegative != 0), got);
  if (CompareMagnitude(a, Shifted(b, kIntCapacity)) >= 0) return Differs(Infinite(negative), got);
  if (got.isInfinite || (got.isNegative != 0) != negative) {
    return "want a finite quotient of sign " + Sign(negative) + ", got " + Sign(got.isNegative != 0) +
           (got.isInfinite ? "#INFINITE" : Describe(ExactOf(got)));
  }
  const int32_t unit = std::max(Top(a) - Top(b) - (ravur::kQuotientDigits - 1), -kFracCapacity);
  const Exact q = Magnitude(ExactOf(got));
  if (!IsZeroValue(q) && q.exponent < unit) {
    return "quotient " + Describe(q) + " has a digit below 10^" + std::to_string(unit);
  }
  if (CompareMagnitude(Product(q, b), a) > 0) return "quotient " + Describe(q) + " too large";
  if (CompareMagnitude(Product(Sum(q, PowerOfTen(unit)), b), a) <= 0) {
    return "quotient " + Describe(q) + " too small by at least 10^" + std::to_string(unit);
  }
  return "";
}

}  // namespace

Exact ExactOf(const ravur::DxNumber& number) {
  Exact value;
  value.negative = number.isNegative != 0;
  const int32_t intCount = std::clamp(number.intCount, 0, kIntCapacity);
  const int32_t fracCount = std::clamp(number.fracCount, 0, kFracCapacity);
  for (int32_t k = fracCount - 1; k >= 0; --k) value.digits.push_back(number.fracDigits[k]);
  for (int32_t k = 0; k < intCount; ++k) value.digits.push_back(number.intDigits[k]);
  value.exponent = -fracCount;
  Canonical(&value);
  return value;
}

int32_t IntegerDigits(const Exact& value) { return IsZeroValue(value) ? 0 : std::max(Top(value) + 1, 0); }

int32_t FractionDigits(const Exact& value) { return IsZeroValue(value) ? 0 : std::max(-value.exponent, 0); }

std::string Describe(const Exact& value) {
  const int32_t intDigits = IntegerDigits(value);
  const int32_t fracDigits = FractionDigits(value);
  std::string text;
  for (int32_t weight = intDigits - 1; weight >= 0; --weight) text += static_cast<char>('0' + DigitOf(value, weight));
  if (text.empty()) text = "0";
  if (fracDigits > 0) text += '.';
  for (int32_t weight = -1; weight >= -fracDigits; --weight) text += static_cast<char>('0' + DigitOf(value, weight));
  if (text.size() <= 80) return text;
  return text.substr(0, 30) + "..." + text.substr(text.size() - 30) + " (" + std::to_string(intDigits) +
         " integer, " + std::to_string(fracDigits) + " fraction digits)";
}

std::string RecordFault(const ravur::DxNumber& number) {
  if (number.isInfinite > 1 || number.isNegative > 1) return "a flag is neither 0 nor 1";
  if (number.intCount < 0 || number.intCount > kIntCapacity) return "intCount " + std::to_string(number.intCount);
  if (number.fracCount < 0 || number.fracCount > kFracCapacity) return "fracCount " + std::to_string(number.fracCount);
  for (int32_t k = 0; k < kIntCapacity; ++k) {
    const int8_t digit = number.intDigits[k];
    if (k < number.intCount ? digit < 0 || digit > 9 : digit != 0) {
      return "intDigits[" + std::to_string(k) + "] holds " + std::to_string(digit);
    }
  }
  for (int32_t k = 0; k < kFracCapacity; ++k) {
    const int8_t digit = number.fracDigits[k];
    if (k < number.fracCount ? digit < 0 || digit > 9 : digit != 0) {
      return "fracDigits[" + std::to_string(k) + "] holds " + std::to_string(digit);
    }
  }
  if (number.intCount > 1 && number.intDigits[number.intCount - 1] == 0) return "a leading integer zero";
  if (number.fracCount > 0 && number.fracDigits[number.fracCount - 1] == 0) return "a trailing fraction zero";
  return "";
}

std::string ResultFault(const Operation operation, const ravur::DxNumber& left, const ravur::DxNumber& right,
                        const ravur::DxNumber& result) {
  switch (operation) {
    case Operation::kAdd: return Differs(SumOutcome(left, right, false), result);
    case Operation::kSubtract: return Differs(SumOutcome(left, right, true), result);
    case Operation::kMultiply: return Differs(ProductOutcome(left, right), result);
    case Operation::kDivide: return QuotientFault(left, right, result);
  }
  return "no such operation";
}

// A shift by 0 only normalises (the flag stays); any other drops the flag and
// moves the digits, the record then infinite when they no longer fit.
std::string ShiftFault(const ravur::DxNumber& before, const int32_t places, const ravur::DxNumber& after) {
  if (places == 0) {
    if (before.isInfinite) return Differs(Infinite(before.isNegative != 0), after);
    return Differs(Outcome{false, before.isNegative != 0, ExactOf(before)}, after);
  }
  const int32_t reach = kIntCapacity + kFracCapacity + 1;  // any longer shift does what this one does
  return Differs(Fitted(Shifted(ExactOf(before), std::clamp(places, -reach, reach)), before.isNegative != 0), after);
}

// The sign flags first; an infinite record beyond every finite one of its
// sign, two of one sign equal.
std::string CompareFault(const ravur::DxNumber& left, const ravur::DxNumber& right, const int32_t got) {
  int32_t want = 0;
  if (left.isNegative != right.isNegative) {
    want = left.isNegative ? -1 : 1;
  } else {
    int32_t magnitude = 0;
    if (left.isInfinite || right.isInfinite) {
      magnitude = left.isInfinite == right.isInfinite ? 0 : left.isInfinite ? 1 : -1;
    } else {
      magnitude = CompareMagnitude(ExactOf(left), ExactOf(right));
    }
    want = left.isNegative ? -magnitude : magnitude;
  }
  if (got == want) return "";
  return "compare gave " + std::to_string(got) + ", want " + std::to_string(want);
}

}  // namespace reference
