#include "ravur.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>

namespace {

constexpr int32_t kBase = 10;
constexpr char kInfiniteText[] = "#INFINITE";
// A minus sign, the marker and the terminator.
constexpr int32_t kInfiniteTextSize = 1 + sizeof kInfiniteText;

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

// --- Text form ---------------------------------------------------------------

namespace {

enum NumeralPart : uint8_t { kSignPart, kIntPart, kFracPart, kRefused };

bool IsDigitChar(const char c) { return c >= '0' && c <= '9'; }

// Counts up to one past the limit, so a long token cannot overflow the count.
void CountDigit(int32_t* count) {
  if (*count <= kMaxNumeralDigits) ++*count;
}

}  // namespace

void StartNumeralScan(NumeralScan* scan) { *scan = NumeralScan{kSignPart, 0, 0}; }

void ScanNumeralChar(NumeralScan* scan, const char c) {
  switch (scan->part) {
    case kSignPart:
      scan->part = kIntPart;
      if (c == '-' || c == '+') return;
      [[fallthrough]];
    case kIntPart:
      if (IsDigitChar(c)) {
        CountDigit(&scan->intDigits);
      } else if (c == '.') {
        scan->part = kFracPart;
      } else {
        scan->part = kRefused;
      }
      return;
    case kFracPart:
      if (IsDigitChar(c)) {
        CountDigit(&scan->fracDigits);
      } else {
        scan->part = kRefused;
      }
      return;
    default:
      return;
  }
}

NumeralStatus NumeralScanStatus(const NumeralScan* scan) {
  if (scan->part == kRefused) return NumeralStatus::kNotANumber;
  if (scan->intDigits > kMaxNumeralDigits) return NumeralStatus::kTooManyIntDigits;
  if (scan->fracDigits > kMaxNumeralDigits) return NumeralStatus::kTooManyFracDigits;
  return NumeralStatus::kAccepted;
}

namespace {

// Adds a run of digits to a count, stopping one past the limit as CountDigit does.
void CountDigits(int32_t* count, const size_t run) {
  *count = static_cast<int32_t>(std::min<size_t>(static_cast<size_t>(*count) + run, kMaxNumeralDigits + 1));
}

size_t DigitRun(const char* text, const size_t length) {
  size_t run = 0;
  while (run < length && IsDigitChar(text[run])) ++run;
  return run;
}

}  // namespace

// The same steps as ScanNumeralChar on every byte, with each run of digits
// counted in one go.
void ScanNumeralText(NumeralScan* scan, const char* text, const size_t length) {
  size_t i = 0;
  while (i < length && scan->part != kRefused) {
    if (scan->part == kSignPart) {
      ScanNumeralChar(scan, text[i++]);
      continue;
    }
    const size_t run = DigitRun(text + i, length - i);
    CountDigits(scan->part == kIntPart ? &scan->intDigits : &scan->fracDigits, run);
    i += run;
    if (i < length) ScanNumeralChar(scan, text[i++]);
  }
}

NumeralStatus CheckNumeral(const char* text, const size_t length) {
  NumeralScan scan;
  StartNumeralScan(&scan);
  ScanNumeralText(&scan, text, length);
  return NumeralScanStatus(&scan);
}

// One pass over the text that both matches the numeral grammar (the same one
// the scanner above accepts) and finds the digit runs, then one pass per run.
void CharArrToDxNumber(const char* text, DxNumber* number) {
  InitDxNumberToZero(number);
  const bool isSigned = *text == '-' || *text == '+';
  const char* intBegin = text + (isSigned ? 1 : 0);
  const char* c = intBegin;
  while (IsDigitChar(*c)) ++c;
  const char* intEnd = c;
  const char* fracBegin = c;
  if (*c == '.') {
    fracBegin = ++c;
    while (IsDigitChar(*c)) ++c;
  }
  const auto intCount = static_cast<int32_t>(intEnd - intBegin);
  const auto fracCount = static_cast<int32_t>(c - fracBegin);
  if (*c != '\0' || intCount > kMaxNumeralDigits || fracCount > kMaxNumeralDigits) return;

  // The character just before the point becomes the units digit.
  number->intCount = intCount;
  for (int32_t k = 0; k < intCount; ++k) number->intDigits[k] = static_cast<int8_t>(intEnd[-1 - k] - '0');
  number->fracCount = fracCount;
  for (int32_t k = 0; k < fracCount; ++k) number->fracDigits[k] = static_cast<int8_t>(fracBegin[k] - '0');
  number->isNegative = *text == '-';
  AdjustBits(number);
  if (IsZero(number)) number->isNegative = 0;
}

int32_t CharArrLenByDxNumber(const DxNumber* number) {
  if (number->isInfinite) return kInfiniteTextSize;
  int32_t size = number->intCount + number->fracCount + 1;
  if (number->intCount == 0) ++size;   // the "0" standing in
  if (number->fracCount > 0) ++size;   // the point
  if (number->isNegative) ++size;      // the minus
  return size;
}

void DxNumberToCharArr(char* buffer, const DxNumber* number) {
  std::memset(buffer, 0, static_cast<size_t>(CharArrLenByDxNumber(number)));
  char* out = buffer;
  if (number->isNegative) *out++ = '-';
  if (number->isInfinite) {
    std::memcpy(out, kInfiniteText, sizeof kInfiniteText - 1);
    return;
  }
  for (int32_t k = number->intCount - 1; k >= 0; --k) *out++ = static_cast<char>('0' + number->intDigits[k]);
  if (number->intCount == 0) *out++ = '0';
  if (number->fracCount > 0) {
    *out++ = '.';
    for (int32_t k = 0; k < number->fracCount; ++k) *out++ = static_cast<char>('0' + number->fracDigits[k]);
  }
}

namespace {
struct FreeDeleter {
  void operator()(char* text) const { std::free(text); }
};
}  // namespace

const char* Result(const char* left, const char* right, const DxOperation operation) {
  // Released by the next call, and at exit for the last one.
  static std::unique_ptr<char[], FreeDeleter> s_szRes;
  s_szRes.reset();

  DxNumber l;
  DxNumber r;
  DxNumber answer;
  CharArrToDxNumber(left, &l);
  CharArrToDxNumber(right, &r);
  operation(&l, &r, &answer);

  const int32_t size = CharArrLenByDxNumber(&answer);
  s_szRes.reset(static_cast<char*>(std::malloc(static_cast<size_t>(size))));
  if (!s_szRes) return nullptr;
  DxNumberToCharArr(s_szRes.get(), &answer);
  return s_szRes.get();
}

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
// differing signs to the other, as if the right operand's sign were flipped:
//
//   left  right |  DxAdd                      DxSubtract
//   ----  ----- |  -------------------------  -------------------------
//   +     +     |  +(|l| + |r|)               |l| - |r|, signed by the larger
//   -     -     |  -(|l| + |r|)               |r| - |l|, signed by the larger
//   +     -     |  as DxSubtract(l, -r)       as DxAdd(l, -r)
//   -     +     |  as DxSubtract(l, -r)       as DxAdd(l, -r)
//
// The hand-over reads the right operand's digits in place instead of copying
// the record with a flipped sign: only its magnitude is read after the sign
// test, so the result is the same record.

namespace {

// result = |left| + |right|, schoolbook with carries from the last fraction
// digit up. result must be cleared.
void AddMagnitudes(const DxNumber* left, const DxNumber* right, DxNumber* result) {
  int32_t carry = 0;
  const int32_t fracCount = std::max(left->fracCount, right->fracCount);
  for (int32_t k = fracCount - 1; k >= 0; --k) {
    const int32_t sum = left->fracDigits[k] + right->fracDigits[k] + carry;
    carry = sum >= kBase ? 1 : 0;
    result->fracDigits[k] = static_cast<int8_t>(sum - carry * kBase);
  }
  result->fracCount = fracCount;
  const int32_t intCount = std::max(left->intCount, right->intCount);
  for (int32_t k = 0; k < intCount; ++k) {
    const int32_t sum = left->intDigits[k] + right->intDigits[k] + carry;
    carry = sum >= kBase ? 1 : 0;
    result->intDigits[k] = static_cast<int8_t>(sum - carry * kBase);
  }
  result->intCount = intCount;
  if (carry > 0) AppendIntDigit(result, static_cast<int8_t>(carry));
}

// result = |larger| - |smaller|, schoolbook with borrows; |larger| >= |smaller|
// so no borrow is left over. result must be cleared.
void SubtractMagnitudes(const DxNumber* larger, const DxNumber* smaller, DxNumber* result) {
  int32_t borrow = 0;
  const auto subtractDigit = [&borrow](const int32_t top, const int32_t bottom) {
    const int32_t digit = top - bottom - borrow;
    borrow = digit < 0 ? 1 : 0;
    return static_cast<int8_t>(digit + borrow * kBase);
  };
  const int32_t fracCount = std::max(larger->fracCount, smaller->fracCount);
  for (int32_t k = fracCount - 1; k >= 0; --k) {
    result->fracDigits[k] = subtractDigit(larger->fracDigits[k], smaller->fracDigits[k]);
  }
  result->fracCount = fracCount;
  const int32_t intCount = std::max(larger->intCount, smaller->intCount);
  for (int32_t k = 0; k < intCount; ++k) {
    result->intDigits[k] = subtractDigit(larger->intDigits[k], smaller->intDigits[k]);
  }
  result->intCount = intCount;
}

// result = left + right, both read with left's sign. result must be cleared.
void AddWithLeftSign(const DxNumber* left, const DxNumber* right, DxNumber* result) {
  AddMagnitudes(left, right, result);
  result->isNegative = left->isNegative;
  AdjustBits(result);
}

// result = left - right, both read with left's sign. Equal magnitudes leave the
// cleared zero (intCount 0), not passed through AdjustBits.
void SubtractWithLeftSign(const DxNumber* left, const DxNumber* right, DxNumber* result) {
  const int32_t order = CompareMagnitudes(left, right);
  if (order == 0) return;
  if (order < 0) {
    SubtractMagnitudes(right, left, result);
    result->isNegative = !left->isNegative;
  } else {
    SubtractMagnitudes(left, right, result);
    result->isNegative = left->isNegative;
  }
  AdjustBits(result);
}

}  // namespace

void DxAdd(const DxNumber* left, const DxNumber* right, DxNumber* result) {
  InitDxNumberToZero(result);
  if (left->isNegative == right->isNegative) {
    AddWithLeftSign(left, right, result);
  } else {
    SubtractWithLeftSign(left, right, result);
  }
}

void DxSubtract(const DxNumber* left, const DxNumber* right, DxNumber* result) {
  InitDxNumberToZero(result);
  if (left->isNegative == right->isNegative) {
    SubtractWithLeftSign(left, right, result);
  } else {
    AddWithLeftSign(left, right, result);
  }
}

// --- Decimal point shift -----------------------------------------------------
//
// Digits are appended in this order, each at the position its count names:
//   to the right by d: fraction digits d.. stay; fraction digits d-1 down to 0
//     (zeros past the fraction's end) become the lowest integer digits; the old
//     integer digits go above them;
//   to the left by e: integer digits e.. stay; integer digits e-1 down to 0
//     (zeros past the integer's top) become the first fraction digits; the old
//     fraction digits follow.
// Each new digit is computed by its position instead of being appended, and
// only the positions in use are copied and cleared: every other position holds
// 0 before and after, so the record comes out as a whole clear-and-append gives it.

void MoveFloatPoint(DxNumber* number, const int32_t requested) {
  // A shift past the whole room moves every digit out of it either way; the
  // bound keeps the count arithmetic far from overflow.
  constexpr int32_t kLongestShift = kIntCapacity + kFracCapacity;
  const int32_t places = std::clamp(requested, -kLongestShift, kLongestShift);
  if (places != 0) {
    DxNumber old;  // only the counts and the digits in use are filled
    old.intCount = number->intCount;
    old.fracCount = number->fracCount;
    std::memcpy(old.intDigits, number->intDigits, static_cast<size_t>(old.intCount));
    std::memcpy(old.fracDigits, number->fracDigits, static_cast<size_t>(old.fracCount));
    std::memset(number->intDigits, 0, static_cast<size_t>(old.intCount));
    std::memset(number->fracDigits, 0, static_cast<size_t>(old.fracCount));
    number->isInfinite = 0;
    if (places > 0) {
      number->intCount = std::min(places + old.intCount, kIntCapacity);
      number->fracCount = std::max(old.fracCount - places, 0);
      for (int32_t j = 0; j < number->intCount; ++j) {
        number->intDigits[j] = j < places ? FracDigitAt(&old, places - 1 - j) : old.intDigits[j - places];
      }
      if (number->fracCount > 0) {
        std::memcpy(number->fracDigits, old.fracDigits + places, static_cast<size_t>(number->fracCount));
      }
    } else {
      const int32_t shift = -places;
      number->intCount = std::max(old.intCount - shift, 0);
      number->fracCount = std::min(shift + old.fracCount, kFracCapacity);
      if (number->intCount > 0) {
        std::memcpy(number->intDigits, old.intDigits + shift, static_cast<size_t>(number->intCount));
      }
      for (int32_t i = 0; i < number->fracCount; ++i) {
        number->fracDigits[i] = i < shift ? IntDigitAt(&old, shift - 1 - i) : old.fracDigits[i - shift];
      }
    }
  }
  AdjustBits(number);
}

// --- Integer forms -----------------------------------------------------------

namespace {

// Room for the digits of any record, integer and fraction together.
constexpr int32_t kAllDigits = kIntCapacity + kFracCapacity;

// The digits of the record's integer form (its point moved to the end), most
// significant first, without leading zeros; a zero keeps one digit 0, and a
// record without any digit has none. Returns how many were written. This is
// the record a whole copy shifted by its own fracCount would hold.
int32_t IntegerForm(const DxNumber* number, int8_t* out) {
  int32_t top = number->intCount - 1;
  while (top > 0 && number->intDigits[top] == 0) --top;
  int32_t count = 0;
  if (top >= 0 && (number->intDigits[top] != 0 || number->fracCount == 0)) {
    for (int32_t k = top; k >= 0; --k) out[count++] = number->intDigits[k];
  }
  for (int32_t k = 0; k < number->fracCount; ++k) {
    if (count > 0 || number->fracDigits[k] != 0 || k == number->fracCount - 1) out[count++] = number->fracDigits[k];
  }
  return count;
}

bool IsZeroForm(const int8_t* digits, const int32_t count) { return count == 0 || (count == 1 && digits[0] == 0); }

}  // namespace

// --- Multiplication ----------------------------------------------------------
//
// Long multiplication on the operands' integer forms, then the point moved back
// by both operands' fraction lengths. The partial products are accumulated in
// place, one column sum per product digit, and carried once: the same exact
// integer the sum of shifted partial products gives. Its record shape is that
// sum's too: the significant digits of a non-zero product; for a zero product,
// intCount 1 when some partial product had an integer digit (right form
// length - 1 + left form length >= 1), else 0.

namespace {

// Rows of digit products (each at most 81) that a 16-bit column sum holds
// before it is folded into the 32-bit one: narrow sums make the inner loop
// twice as wide per instruction. No accepted numeral needs a second block.
constexpr int32_t kRowsPerBlock = UINT16_MAX / ((kBase - 1) * (kBase - 1));

// sums[i + k + 1] += a[i] x b[k]: column sums of the product, most significant first.
void AccumulateColumns(const int8_t* a, const int32_t aCount, const int8_t* b, const int32_t bCount,
                       uint32_t* sums) {
  uint16_t right[kAllDigits];
  std::copy_n(b, bCount, right);
  uint16_t block[2 * kAllDigits];
  const int32_t columns = aCount + bCount;
  for (int32_t first = 0; first < aCount; first += kRowsPerBlock) {
    std::fill_n(block, columns, 0);
    const int32_t last = std::min(first + kRowsPerBlock, aCount);
    for (int32_t i = first; i < last; ++i) {
      const auto digit = static_cast<uint16_t>(a[i]);
      if (digit == 0) continue;
      uint16_t* column = block + i + 1;
      for (int32_t k = 0; k < bCount; ++k) column[k] = static_cast<uint16_t>(column[k] + digit * right[k]);
    }
    for (int32_t j = 0; j < columns; ++j) sums[j] += block[j];
  }
}

}  // namespace

void DxMultiply(const DxNumber* left, const DxNumber* right, DxNumber* result) {
  int8_t a[kAllDigits];
  int8_t b[kAllDigits];
  const int32_t aCount = IntegerForm(left, a);
  const int32_t bCount = IntegerForm(right, b);
  InitDxNumberToZero(result);
  if (IsZeroForm(a, aCount) || IsZeroForm(b, bCount)) {
    result->intCount = bCount > 0 && bCount - 1 + aCount >= 1 ? 1 : 0;
  } else {
    const int32_t columns = aCount + bCount;
    uint32_t sums[2 * kAllDigits];
    std::fill_n(sums, columns, 0);
    AccumulateColumns(a, aCount, b, bCount, sums);
    // Carry from the lowest column up, writing integer digits units first.
    const int32_t intCount = std::min(columns, kIntCapacity);
    uint32_t carry = 0;
    for (int32_t j = 0; j < intCount; ++j) {
      const uint32_t value = sums[columns - 1 - j] + carry;
      carry = value / kBase;
      result->intDigits[j] = static_cast<int8_t>(value - carry * kBase);
    }
    result->intCount = intCount;
    AdjustBits(result);
  }
  MoveFloatPoint(result, -(left->fracCount + right->fracCount));
  result->isNegative = left->isNegative != right->isNegative;
}

// --- Division ----------------------------------------------------------------
//
// Long division on the operands' integer forms A and B, aligned to the same
// number of digits n (the shorter one gets zeros below), so that every quotient
// digit is 0 to 9: the digits d0 d1 ... d126 are those of
// floor(A' x 10^126 / B'), where A' and B' are the aligned forms, and the ones
// after the last non-zero remainder are zeros. Gathered as 0.d0d1d2..., they
// are shifted by 1 and by the point correction, and the shifts' normalisation
// trims the trailing zeros: stopping as soon as a remainder reaches zero gives
// the same record, so the loop always runs to kQuotientDigits.
//
// The running remainder R is kept in decimal positions that may hold any
// small signed value (its value is still sum r[i] x 10^(n-i)), so that taking
// a multiple of B' off R is one independent operation per position, with no
// borrow chain. Each quotient digit is estimated from R's and B's leading
// positions; an estimate one off leaves R in [-B', 2B') instead of [0, B'),
// which the next digit (then -11 to 20) absorbs. At the end the quotient digits and
// the last remainder are carried into ordinary digits, and the quotient is
// moved by the units that bring the remainder into [0, B'): the exact floor.

namespace {

// Leading positions read for an estimate. When B has no more digits than
// this, the positions below it are never touched and still hold digits 0 to 9,
// so the estimate is exactly floor(R / B'). Otherwise B's leading part is at
// least 10^(kEstimateDigits-1) and every position of R stays within
// +-(9 + kQuotientDigits x 20 x 9), so R's lower positions move the estimate
// by at most 2541 / 10^5 + 20 / 10^5 < 1: it is within 1 of R / B'. The
// leading value stays below 3 x 10^7, so the estimate is a 32-bit division.
constexpr int32_t kEstimateDigits = 6;

// One position of the remainder or the quotient. By the bound above every
// position fits in 16 bits (|value| <= 22869), and narrow positions make
// taking a multiple off R twice as wide per instruction. Sums of positions are
// formed in 32 bits before they are stored.
using Position = int16_t;

// Taking a multiple off R runs over whole groups of this many positions, the
// divisor padded with zeros: a zero takes nothing off, and fixed-size groups
// compile to one vector instruction each, with no tail loop.
constexpr int32_t kGroup = 8;

struct LongDivision {
  Position remainder[1 + kAllDigits + kQuotientDigits + kGroup];  // R, then the zeros brought down
  Position divisor[kAllDigits + kGroup];                          // B, most significant first, zeros after
  int32_t divisorCount;                                  // digits of B
  int32_t n;                                             // digits of the aligned forms
  Position quotient[kQuotientDigits];                    // estimated digits, any sign
};

// Floor of a / b for b > 0, for either sign of a.
int32_t FloorDivide(const int32_t a, const int32_t b) { return a >= 0 ? a / b : -((-a + b - 1) / b); }

int32_t LeadingValue(const Position* positions, const int32_t count) {
  int32_t value = 0;
  for (int32_t k = 0; k < count; ++k) value = value * kBase + positions[k];
  return value;
}

// R -= digit x B' over the positions where B' has digits (its zeros below take
// nothing), in whole groups.
void SubtractMultiple(Position* r, const Position* divisor, const int32_t count, const Position digit) {
  for (int32_t group = 0; group < count; group += kGroup) {
    Position* target = r + 1 + group;
    const Position* source = divisor + group;
    for (int32_t i = 0; i < kGroup; ++i) target[i] = static_cast<Position>(target[i] - digit * source[i]);
  }
}

// Rewrites positions[0..count) as ordinary digits 0 to 9, carrying from the
// last; returns what is carried out of the first (the value's multiple of 10^count).
int32_t CarryToDigits(Position* positions, const int32_t count) {
  int32_t carry = 0;
  for (int32_t i = count - 1; i >= 0; --i) {
    const int32_t value = positions[i] + carry;
    carry = FloorDivide(value, kBase);
    positions[i] = static_cast<Position>(value - carry * kBase);
  }
  return carry;
}

// Compares the remainder's ordinary digits r[1..n] (r[0] already 0) with B'.
int32_t CompareWithDivisor(const LongDivision* division, const Position* r) {
  for (int32_t i = 0; i < division->n; ++i) {
    const int32_t d = i < division->divisorCount ? division->divisor[i] : 0;
    if (r[i + 1] != d) return r[i + 1] < d ? -1 : 1;
  }
  return 0;
}

// r[0..n] += sign x B', then carried into ordinary digits with r[0] the top.
void AddDivisor(const LongDivision* division, Position* r, const int32_t sign) {
  for (int32_t i = 0; i < division->divisorCount; ++i) {
    r[i + 1] = static_cast<Position>(r[i + 1] + sign * division->divisor[i]);
  }
  r[0] = static_cast<Position>(r[0] + CarryToDigits(r + 1, division->n));
}

void EstimateQuotient(LongDivision* division) {
  const int32_t used = std::min(division->divisorCount, kEstimateDigits);
  const int32_t divisorTop = LeadingValue(division->divisor, used);
  Position* r = division->remainder;
  // The value of R's leading used + 1 positions. Taking digit x B' off R takes
  // digit x divisorTop off it, and moving the window makes it ten times that
  // plus the next position: the same value summed afresh, at constant cost.
  int32_t top = LeadingValue(r, used + 1);
  for (int32_t j = 0; j < kQuotientDigits; ++j, ++r) {
    const auto digit = static_cast<Position>(FloorDivide(top, divisorTop));
    SubtractMultiple(r, division->divisor, division->divisorCount, digit);
    division->quotient[j] = digit;
    if (j + 1 < kQuotientDigits) {
      top = kBase * (top - digit * divisorTop) + r[used + 1];
      r[1] = static_cast<Position>(r[1] + kBase * r[0]);  // R x 10: the window moves onto the next position
      r[0] = 0;
    }
  }
}

// Brings the last remainder into [0, B') by moving the quotient by whole
// units, then carries the quotient into ordinary digits.
void CorrectQuotient(LongDivision* division) {
  Position* r = division->remainder + kQuotientDigits - 1;
  r[0] = static_cast<Position>(r[0] + CarryToDigits(r + 1, division->n));
  Position* last = &division->quotient[kQuotientDigits - 1];
  while (r[0] < 0) {
    --*last;
    AddDivisor(division, r, 1);
  }
  while (r[0] > 0 || CompareWithDivisor(division, r) >= 0) {
    ++*last;
    AddDivisor(division, r, -1);
  }
  CarryToDigits(division->quotient, kQuotientDigits);
}

}  // namespace

void DxDivide(const DxNumber* left, const DxNumber* right, DxNumber* result) {
  InitDxNumberToZero(result);
  if (IsZero(left)) return;
  if (IsZero(right)) {
    result->isNegative = left->isNegative;
    MakeInfinite(result);
    return;
  }
  int8_t a[kAllDigits];
  int8_t b[kAllDigits];
  const int32_t aCount = IntegerForm(left, a);
  const int32_t bCount = IntegerForm(right, b);
  LongDivision division;
  division.n = std::max(aCount, bCount);
  division.divisorCount = bCount;
  std::fill_n(division.remainder, 1 + division.n + kQuotientDigits + kGroup, 0);
  std::copy_n(a, aCount, division.remainder + 1);
  std::copy_n(b, bCount, division.divisor);
  std::fill_n(division.divisor + bCount, kGroup, 0);
  EstimateQuotient(&division);
  CorrectQuotient(&division);

  for (const Position digit : division.quotient) AppendFracDigit(result, static_cast<int8_t>(digit));
  MoveFloatPoint(result, 1);
  MoveFloatPoint(result, right->fracCount - left->fracCount + aCount - bCount);
  if (left->isNegative != right->isNegative) result->isNegative = 1;
}
