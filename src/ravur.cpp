#include "ravur.h"

#include "divide.h"
#include "limbs.h"
#include "numeral_runs.h"
#include "words.h"

#include <algorithm>
#include <cstring>

namespace ravur {

using namespace detail;

namespace {

constexpr int32_t kBase = 10;
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

// The result of an operation with an infinite operand, or whose integer
// digits do not fit the record: the cleared record, infinite, with the sign.
void MakeInfiniteResult(DxNumber* result, const bool isNegative) {
  InitDxNumberToZero(result);
  result->isNegative = isNegative ? 1 : 0;
  MakeInfinite(result);
}

// True when either operand is infinite: every operation answers that first.
bool EitherInfinite(const DxNumber* left, const DxNumber* right) {
  return (left->isInfinite | right->isInfinite) != 0;
}


}  // namespace

// --- The record --------------------------------------------------------------

void InitDxNumberToZero(DxNumber* number) { ClearBlock(number, sizeof *number); }

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

// Digits and their characters move eight a word: '0' added to or taken from
// every byte at once (a digit 0 to 9 never carries into the next byte), and
// the order reversed for the integer digits, which the record keeps least
// significant first and the text most significant first.
// One word of the copies below: to[0..8) from the eight bytes ending at
// fromEnd, reversed or not, with offset added to each.
template <bool kReversed>
void CopyWord(const char* fromEnd, char* to, const int8_t offset) {
  const char* from = fromEnd - kWordBytes;
  StoreLittle(to, (kReversed ? LoadBig(from) : LoadLittle(from)) + static_cast<Word>(offset) * kEveryByte);
}

// to[k] = from[k] + offset (kReversed: from[count - 1 - k] + offset) for k in
// [0, count): whole words, the last one overlapping the one before it when
// count is not a multiple of eight; a run shorter than a word byte by byte.
template <bool kReversed>
void CopyDigits(const char* from, char* to, const int32_t count, const int8_t offset) {
  if (count < kWordBytes) {
    for (int32_t k = 0; k < count; ++k) to[k] = static_cast<char>(from[kReversed ? count - 1 - k : k] + offset);
    return;
  }
  for (int32_t k = 0;; k += kWordBytes) {
    const int32_t at = std::min(k, count - kWordBytes);
    CopyWord<kReversed>(kReversed ? from + count - at : from + at + kWordBytes, to + at, offset);
    if (at == count - kWordBytes) return;
  }
}

}  // namespace

// The numeral's digit runs found and judged in one pass, then copied a run
// at a time.
void CharArrToDxNumber(const char* text, DxNumber* number) {
  InitDxNumberToZero(number);
  const size_t length = std::strlen(text);
  const NumeralRuns runs = ScanRunsWithin(text, length);
  if (RunsVerdict(text, length, runs) != NumeralStatus::kAccepted) return;
  const char* const intBegin = runs.intBegin;
  const char* const fracBegin = runs.fracBegin;
  const auto intCount = static_cast<int32_t>(runs.intEnd - intBegin);
  const auto fracCount = static_cast<int32_t>(runs.fracEnd - fracBegin);

  // The character just before the point becomes the units digit.
  number->intCount = intCount;
  CopyDigits<true>(intBegin, reinterpret_cast<char*>(number->intDigits), intCount, -'0');
  number->fracCount = fracCount;
  CopyDigits<false>(fracBegin, reinterpret_cast<char*>(number->fracDigits), fracCount, -'0');
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

// Every byte of the text's size is written: the characters, then zeros (the
// terminator, and for an infinite record the rest of its fixed size).
void DxNumberToCharArr(char* buffer, const DxNumber* number) {
  char* out = buffer;
  if (number->isInfinite) {
    std::memset(buffer, 0, kInfiniteTextSize);
    if (number->isNegative) *out++ = '-';
    std::memcpy(out, kInfiniteText, sizeof kInfiniteText - 1);
    return;
  }
  if (number->isNegative) *out++ = '-';
  const int32_t intCount = number->intCount;
  CopyDigits<true>(reinterpret_cast<const char*>(number->intDigits), out, intCount, '0');
  out += intCount;
  if (intCount == 0) *out++ = '0';
  const int32_t fracCount = number->fracCount;
  if (fracCount > 0) {
    *out++ = '.';
    CopyDigits<false>(reinterpret_cast<const char*>(number->fracDigits), out, fracCount, '0');
    out += fracCount;
  }
  *out = '\0';
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

// An infinite record lies beyond every finite one of its sign; two infinite
// records of one sign are equal.
int32_t DxCompare(const DxNumber* left, const DxNumber* right) {
  if (left->isNegative != right->isNegative) return left->isNegative ? -1 : 1;
  const int32_t magnitude =
      EitherInfinite(left, right) ? left->isInfinite - right->isInfinite : CompareMagnitudes(left, right);
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

// Digits added or subtracted eight a word, the least significant in the
// lowest byte. For a sum each byte of the right operand is raised by 246, so
// that a byte overflows exactly when its decimal digit sum (carry in
// included) reaches 10: the word's own carries are the decimal ones, and the
// bytes that did not carry get the 246 back. A difference borrows the same
// way, and the bytes that borrowed get the 10 that 256 overshoots. Where the
// carries went is read from x ^ y ^ result, whose bit 8i is the carry (or
// borrow) into byte i.
constexpr Word kDecimalComplement = 256 - kBase;  // 246
constexpr Word kLowBitOfEveryByte = kEveryByte;

Word AddDigitWord(const Word x, const Word y, Word* carry) {
  const Word biased = y + kDecimalComplement * kEveryByte;
  const Word partial = x + biased;
  const Word sum = partial + *carry;
  const Word carryOut = (partial < x || sum < partial) ? 1 : 0;
  const Word carriesOut = (((x ^ biased ^ sum) & kLowBitOfEveryByte) >> kByteBits) | (carryOut << (7 * kByteBits));
  *carry = carryOut;
  return sum - (carriesOut ^ kLowBitOfEveryByte) * kDecimalComplement;
}

Word SubtractDigitWord(const Word x, const Word y, Word* borrow) {
  const Word partial = x - y;
  const Word difference = partial - *borrow;
  const Word borrowOut = (x < y || partial < *borrow) ? 1 : 0;
  const Word borrowsOut = (((x ^ y ^ difference) & kLowBitOfEveryByte) >> kByteBits) | (borrowOut << (7 * kByteBits));
  *borrow = borrowOut;
  return difference - borrowsOut * kDecimalComplement;
}

// Applies a digit operation (AddDigitWord or SubtractDigitWord) to two
// magnitudes' digits over fracCount fraction and intCount integer positions,
// from the last fraction digit up, eight a word where eight remain; `single`
// does one digit with the same carry. Returns the carry out of the top.
template <typename WordStep, typename DigitStep>
Word ApplyDigits(const DxNumber* left, const DxNumber* right, DxNumber* result, const int32_t fracCount,
                 const int32_t intCount, WordStep wordStep, DigitStep single) {
  Word carry = 0;
  // Fraction digits run most significant first: whole words from the end,
  // reversed, then the first few one at a time.
  const int32_t leading = fracCount % kWordBytes;
  for (int32_t at = fracCount - kWordBytes; at >= leading; at -= kWordBytes) {
    const Word word = wordStep(LoadBig(left->fracDigits + at), LoadBig(right->fracDigits + at), &carry);
    StoreBig(result->fracDigits + at, word);
  }
  for (int32_t k = leading - 1; k >= 0; --k) {
    result->fracDigits[k] = single(left->fracDigits[k], right->fracDigits[k], &carry);
  }
  int32_t k = 0;
  for (; k + kWordBytes <= intCount; k += kWordBytes) {
    StoreLittle(result->intDigits + k, wordStep(LoadLittle(left->intDigits + k), LoadLittle(right->intDigits + k), &carry));
  }
  for (; k < intCount; ++k) result->intDigits[k] = single(left->intDigits[k], right->intDigits[k], &carry);
  return carry;
}

int8_t AddDigit(const int8_t x, const int8_t y, Word* carry) {
  const auto sum = static_cast<int32_t>(x + y + *carry);
  *carry = sum >= kBase ? 1 : 0;
  return static_cast<int8_t>(sum - static_cast<int32_t>(*carry) * kBase);
}

int8_t SubtractDigit(const int8_t x, const int8_t y, Word* borrow) {
  const auto difference = static_cast<int32_t>(x - y - static_cast<int32_t>(*borrow));
  *borrow = difference < 0 ? 1 : 0;
  return static_cast<int8_t>(difference + static_cast<int32_t>(*borrow) * kBase);
}

// result = |left| + |right|, schoolbook with carries from the last fraction
// digit up. result must be cleared. A carry out of the room's highest digit
// leaves the cleared record, infinite.
void AddMagnitudes(const DxNumber* left, const DxNumber* right, DxNumber* result) {
  result->fracCount = std::max(left->fracCount, right->fracCount);
  result->intCount = std::max(left->intCount, right->intCount);
  const Word carry = ApplyDigits(left, right, result, result->fracCount, result->intCount, AddDigitWord, AddDigit);
  if (carry > 0) {
    if (result->intCount == kIntCapacity) {
      MakeInfiniteResult(result, false);
      return;
    }
    result->intDigits[result->intCount++] = static_cast<int8_t>(carry);
  }
}

// result = |larger| - |smaller|, schoolbook with borrows; |larger| >= |smaller|
// so no borrow is left over. result must be cleared.
void SubtractMagnitudes(const DxNumber* larger, const DxNumber* smaller, DxNumber* result) {
  result->fracCount = std::max(larger->fracCount, smaller->fracCount);
  result->intCount = std::max(larger->intCount, smaller->intCount);
  ApplyDigits(larger, smaller, result, result->fracCount, result->intCount, SubtractDigitWord, SubtractDigit);
}

// result = left + right, both read with left's sign (that of the exact sum,
// infinite or not). result must be cleared.
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
  if (EitherInfinite(left, right)) {
    MakeInfiniteResult(result, (left->isInfinite ? left : right)->isNegative != 0);
    return;
  }
  InitDxNumberToZero(result);
  if (left->isNegative == right->isNegative) {
    AddWithLeftSign(left, right, result);
  } else {
    SubtractWithLeftSign(left, right, result);
  }
}

void DxSubtract(const DxNumber* left, const DxNumber* right, DxNumber* result) {
  if (EitherInfinite(left, right)) {
    MakeInfiniteResult(result, left->isInfinite ? left->isNegative != 0 : right->isNegative == 0);
    return;
  }
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
// Digits moved past the fraction's room are dropped (the value cut); a value
// whose integer digits no longer fit the record makes it infinite instead.

namespace {

// The integer digits of the value moved left by places > 0, from its highest
// non-zero digit.
int32_t IntDigitsMovedLeft(const DxNumber* number, const int32_t places) {
  int32_t top = number->intCount - 1;
  while (top >= 0 && number->intDigits[top] == 0) --top;
  if (top >= 0) return top + 1 + places;
  for (int32_t k = 0; k < number->fracCount; ++k) {
    if (number->fracDigits[k] != 0) return places - k;
  }
  return 0;
}

}  // namespace

void MoveFloatPoint(DxNumber* number, const int32_t requested) {
  // A shift past the whole room moves every digit out of it either way (a
  // non-zero digit beyond the integer room, or below the fraction's); the
  // bound keeps the count arithmetic far from overflow.
  constexpr int32_t kLongestShift = kIntCapacity + kFracCapacity;
  const int32_t places = std::clamp(requested, -kLongestShift, kLongestShift);
  if (places > 0 && places + number->intCount > kIntCapacity && IntDigitsMovedLeft(number, places) > kIntCapacity) {
    MakeInfiniteResult(number, number->isNegative != 0);
    return;
  }
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

// The digits of the record's integer form (its point moved to the end), most
// significant first, without leading zeros; a zero keeps one digit 0, and a
// record without any digit has none. Returns how many were written. This is
// the record a whole copy shifted by its own fracCount would hold.
int32_t IntegerForm(const DxNumber* number, int8_t* out) {
  int32_t top = number->intCount - 1;
  while (top > 0 && number->intDigits[top] == 0) --top;
  int32_t count = 0;
  if (top >= 0 && (number->intDigits[top] != 0 || number->fracCount == 0)) {
    count = top + 1;
    CopyDigits<true>(reinterpret_cast<const char*>(number->intDigits), reinterpret_cast<char*>(out), count, 0);
  }
  // Without integer digits, the fraction's leading zeros are not digits of
  // the form, but its last digit always is.
  int32_t first = 0;
  if (count == 0) {
    while (first < number->fracCount - 1 && number->fracDigits[first] == 0) ++first;
  }
  const int32_t fracDigits = number->fracCount - first;
  std::copy_n(number->fracDigits + first, fracDigits, out + count);
  return count + fracDigits;
}

bool IsZeroForm(const int8_t* digits, const int32_t count) { return count == 0 || (count == 1 && digits[0] == 0); }

// Room for the integer form of any record and the zeros GatherLimbs reads
// around it; the form starts at kGatherPad.
constexpr int32_t kFormRoom = kGatherPad + kFormDigits + kGatherPad;

// An operand's integer form with the zeros GatherLimbs reads before it: its
// count digits start at room + kGatherPad.
struct PaddedForm {
  int8_t room[kFormRoom];
  int32_t count;
};

int8_t* FormDigits(PaddedForm* form) { return form->room + kGatherPad; }

void TakeIntegerForm(const DxNumber* number, PaddedForm* form) {
  std::memset(form->room, 0, kGatherPad);
  form->count = IntegerForm(number, FormDigits(form));
}

// GatherLimbs of the form's first `count` digits, first clearing the
// positions after them.
int32_t GatherForm(PaddedForm* form, const int32_t count, const int32_t zerosBelow, Limb* limbs) {
  int8_t* const digits = FormDigits(form);
  std::memset(digits + count, 0, kGatherPad);
  return GatherLimbs(digits, count, zerosBelow, limbs);
}

// Fills the cleared record with the value x 10^-places, where the value has
// its top digit at weight 10^(digitCount - 1), inside the limbs: the record
// that a record of the value's digitCount integer digits, shifted by -places,
// holds. intCount is digitCount - places, 0 when that is not positive, and
// the fraction the value's lowest `places` digits, cut to the room. Only the
// value's digits are written: the positions around them are already 0. When
// the value's integer digits, from its highest non-zero one (a quotient's
// first digit may be 0), do not fit the room, the record is made infinite.
void PlaceDigits(const Limb* limbs, int32_t digitCount, const int32_t places, DxNumber* result) {
  if (digitCount - places > kIntCapacity) {
    while (digitCount > 0 && DigitOfLimbs(limbs, digitCount - 1) == 0) --digitCount;
    if (digitCount - places > kIntCapacity) {
      MakeInfinite(result);
      return;
    }
  }
  result->intCount = std::clamp(digitCount - places, 0, kIntCapacity);
  const int32_t zerosBelow = std::clamp(-places, 0, result->intCount);  // a negative shift's new units
  SpreadLimbs(limbs, std::max(places, 0), result->intCount - zerosBelow, result->intDigits + zerosBelow, 1);
  result->fracCount = std::clamp(places, 0, kFracCapacity);
  const int32_t lowest = places - result->fracCount;        // weight of the last fraction position
  const int32_t highest = std::min(places, digitCount) - 1;  // of the first the value reaches
  SpreadLimbs(limbs, lowest, std::max(highest - lowest + 1, 0), result->fracDigits + result->fracCount - 1, -1);
  AdjustBits(result);
}

}  // namespace

// --- Multiplication ----------------------------------------------------------
//
// Long multiplication on the operands' integer forms, gathered into limbs,
// then the point moved back by both operands' fraction lengths. The record
// holds the exact product with the shape the sum of shifted partial products
// gives it: the significant digits of a non-zero product; for a zero product,
// intCount 1 when some partial product had an integer digit (right form
// length - 1 + left form length >= 1), else 0.

void DxMultiply(const DxNumber* left, const DxNumber* right, DxNumber* result) {
  if (EitherInfinite(left, right)) {
    MakeInfiniteResult(result, left->isNegative != right->isNegative);
    return;
  }
  PaddedForm a;
  PaddedForm b;
  TakeIntegerForm(left, &a);
  TakeIntegerForm(right, &b);
  InitDxNumberToZero(result);
  if (IsZeroForm(FormDigits(&a), a.count) || IsZeroForm(FormDigits(&b), b.count)) {
    result->intCount = b.count > 0 && b.count - 1 + a.count >= 1 ? 1 : 0;
    MoveFloatPoint(result, -(left->fracCount + right->fracCount));
  } else {
    Limb aLimbs[kFormLimbs];
    Limb bLimbs[kFormLimbs];
    Limb product[kProductLimbs];
    const int32_t aLimbCount = GatherForm(&a, a.count, 0, aLimbs);
    const int32_t bLimbCount = GatherForm(&b, b.count, 0, bLimbs);
    MultiplyLimbs(aLimbs, aLimbCount, bLimbs, bLimbCount, product);
    // A product of a.count and b.count digits has a.count + b.count of them, or one fewer.
    const int32_t top = a.count + b.count - 1;
    const int32_t digitCount = DigitOfLimbs(product, top) == 0 ? top : top + 1;
    PlaceDigits(product, digitCount, left->fracCount + right->fracCount, result);
  }
  result->isNegative = left->isNegative != right->isNegative;
}

// --- Division ----------------------------------------------------------------
//
// Long division on the operands' integer forms A and B (aCount and bCount
// digits), aligned to the same number of digits n (the shorter one gets zeros
// below), so that every quotient digit is 0 to 9: the digits d0 d1 ... d126
// are those of floor(A' x 10^126 / B'), where A' and B' are the aligned forms,
// and the ones after the last non-zero remainder are zeros. Gathered as
// 0.d0d1d2..., they are shifted by 1 and by the point correction, and the
// shifts' normalisation trims the trailing zeros. The digits are computed on
// limbs and placed where the two shifts put them.
//
// B's zeros below divide out of the floor: the same digits are
// floor(A x 10^e / B) with e = kQuotientDigits - 1 + bCount - aCount, and for
// e < 0 (a dividend of many more digits than the divisor) floor(A / 10^-e / B):
// A's leading 126 + bCount digits over B. Either way the dividend has exactly
// kQuotientDigits - 1 + bCount digits, and the quotient is below 10^127
// because A' / B' < 10.

void DxDivide(const DxNumber* left, const DxNumber* right, DxNumber* result) {
  if (EitherInfinite(left, right)) {
    MakeInfiniteResult(result, left->isNegative != right->isNegative);
    return;
  }
  InitDxNumberToZero(result);
  if (IsZero(left)) return;
  if (IsZero(right)) {
    result->isNegative = left->isNegative;
    MakeInfinite(result);
    return;
  }
  PaddedForm a;
  PaddedForm b;
  TakeIntegerForm(left, &a);
  TakeIntegerForm(right, &b);
  const int32_t dividendDigits = kQuotientDigits - 1 + b.count;
  Limb dividend[kDividendLimbs];
  Limb divisor[kFormLimbs];
  const int32_t dividendCount = GatherForm(&a, std::min(a.count, dividendDigits),
                                           std::max(dividendDigits - a.count, 0), dividend);
  const int32_t divisorCount = GatherForm(&b, b.count, 0, divisor);
  Limb quotient[kFormLimbs];
  DivideLimbs(dividend, dividendCount, divisor, divisorCount, quotient);
  // 0.d0d1...d126 shifted by 1 and by the point correction.
  const int32_t pointCorrection = right->fracCount - left->fracCount + a.count - b.count;
  PlaceDigits(quotient, kQuotientDigits, kQuotientDigits - 1 - pointCorrection, result);
  if (left->isNegative != right->isNegative) result->isNegative = 1;
}

}  // namespace ravur
