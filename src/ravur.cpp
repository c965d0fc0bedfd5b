#include "ravur.h"

#include "number.h"
#include "numeral_runs.h"
#include "words.h"

#include <algorithm>
#include <cstring>

namespace ravur {

using namespace detail;

namespace {

// A minus sign, the marker and the terminator.
constexpr int32_t kInfiniteTextSize = 1 + sizeof kInfiniteText;

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

// --- Records as limbs ----------------------------------------------------------
//
// Every record operation is the limb form's: the operands are read into limbs
// by value, the limb operation runs, and its value is placed into the result
// record. The record's own rules are applied there, in one place: the cut
// after kFracCapacity fraction digits, infinite beyond kIntCapacity integer
// digits, and the shape of a value without integer digits, which is the
// operation's to say: intCount 1 (the digit 0) or 0.

namespace {

// A record's integer digits, most significant first, after the zeros
// GatherLimbs reads before them.
struct IntegerDigits {
  int8_t room[kGatherPad + kIntCapacity];
};

// The fraction limbs GatherLimbs can read within the record: it reads the
// whole of every limb, up to kLimbDigits x fracLimbs digits.
constexpr int32_t kFracLimbsInPlace = kFracCapacity / kLimbDigits;

// The record's value as limbs, aligned on the point, normalised; the flags
// copied (an infinite record's digits are read like any others). The
// fraction's digits are read in place (every position past fracCount holds
// 0), the integer's from a reversed copy.
void ReadRecord(const DxNumber* number, RecordLimbs* value) {
  const int32_t fracLimbs = (number->fracCount + kLimbDigits - 1) / kLimbDigits;
  const int32_t zerosBelow = kLimbDigits * fracLimbs - number->fracCount;
  if (fracLimbs <= kFracLimbsInPlace) {
    GatherLimbs(number->fracDigits, number->fracCount, zerosBelow, value->limbs);
  } else {
    int8_t fraction[kFracCapacity + kGatherPad];
    std::memcpy(fraction, number->fracDigits, sizeof number->fracDigits);
    std::memset(fraction + kFracCapacity, 0, kGatherPad);
    GatherLimbs(fraction, number->fracCount, zerosBelow, value->limbs);
  }
  IntegerDigits integer;
  int8_t* const digits = integer.room + kGatherPad;
  std::memset(integer.room, 0, kGatherPad);
  CopyDigits<true>(reinterpret_cast<const char*>(number->intDigits), reinterpret_cast<char*>(digits),
                   number->intCount, 0);
  value->count = fracLimbs + GatherLimbs(digits, number->intCount, 0, value->limbs + fracLimbs);
  value->fracLimbs = fracLimbs;
  value->isNegative = number->isNegative;
  value->isInfinite = number->isInfinite;
  TrimTop(value);
}

// Fills the cleared record with the value x 10^-places, where the value has
// its top digit at weight 10^(digitCount - 1), inside the limbs: the record
// that a record of the value's digitCount integer digits, shifted by -places,
// holds. intCount is digitCount - places, 0 when that is not positive, and
// the fraction the value's lowest `places` digits, cut to the room. Only the
// value's digits are written: the positions around them are already 0. When
// the value's integer digits, from its highest non-zero one, do not fit the
// room, the record is made infinite (a zero never is).
void PlaceDigits(const Limb* limbs, int32_t digitCount, const int32_t places, DxNumber* result) {
  if (digitCount - places > kIntCapacity) {
    while (digitCount > 0 && DigitOfLimbs(limbs, digitCount - 1) == 0) --digitCount;
    if (digitCount > 0 && digitCount - places > kIntCapacity) {
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

// The record of value x 10^shift (an infinite value: infinite, no digits),
// with its sign. A finite value below 1 has the digit 0 before the point
// (intCount 1) when hasIntDigit says so, as the operation does, and no
// integer digits otherwise.
template <int32_t kRoom>
void PlaceNumber(const LimbsIn<kRoom>* value, const int32_t shift, const bool hasIntDigit, DxNumber* result) {
  InitDxNumberToZero(result);
  if (value->isInfinite) {
    MakeInfinite(result);
  } else {
    PlaceDigits(value->limbs, kLimbDigits * value->count, kLimbDigits * value->fracLimbs - shift, result);
    const bool noIntValue = result->intCount == 0 || (result->intCount == 1 && result->intDigits[0] == 0);
    if (noIntValue && !result->isInfinite) result->intCount = hasIntDigit ? 1 : 0;
  }
  result->isNegative = value->isNegative;
}

}  // namespace

// --- Arithmetic -----------------------------------------------------------------

// An infinite record lies beyond every finite one of its sign; two infinite
// records of one sign are equal.
int32_t DxCompare(const DxNumber* left, const DxNumber* right) {
  if (left->isNegative != right->isNegative) return left->isNegative ? -1 : 1;
  int32_t magnitude = left->isInfinite - right->isInfinite;
  if (!EitherInfinite(left, right)) {
    RecordLimbs l;
    RecordLimbs r;
    ReadRecord(left, &l);
    ReadRecord(right, &r);
    magnitude = CompareLimbMagnitudes(&l, &r);
  }
  return left->isNegative ? -magnitude : magnitude;
}

namespace {

// A sum or difference of records (kSubtract: a difference). Its value has
// the digit 0 before the point when either operand has integer digits; the
// difference of equal magnitudes (a zero sum of operands of differing signs,
// a zero difference of operands of one sign) is the cleared zero, intCount 0.
template <bool kSubtract>
void CombineRecords(const DxNumber* left, const DxNumber* right, DxNumber* result) {
  RecordLimbs l;
  RecordLimbs r;
  RecordLimbs value;
  ReadRecord(left, &l);
  ReadRecord(right, &r);
  if (kSubtract) {
    SubtractLimbNumbers(&l, &r, &value);
  } else {
    AddLimbNumbers(&l, &r, &value);
  }
  const bool cancelled = value.count == 0 && (left->isNegative != right->isNegative) != kSubtract;
  PlaceNumber(&value, 0, !cancelled && (left->intCount > 0 || right->intCount > 0), result);
}

}  // namespace

void DxAdd(const DxNumber* left, const DxNumber* right, DxNumber* result) {
  if (EitherInfinite(left, right)) {
    MakeInfiniteResult(result, (left->isInfinite ? left : right)->isNegative != 0);
    return;
  }
  CombineRecords<false>(left, right, result);
}

void DxSubtract(const DxNumber* left, const DxNumber* right, DxNumber* result) {
  if (EitherInfinite(left, right)) {
    MakeInfiniteResult(result, left->isInfinite ? left->isNegative != 0 : right->isNegative == 0);
    return;
  }
  CombineRecords<true>(left, right, result);
}

// A shift of the digits as a value: a value without integer digits keeps the
// digit 0 when intCount + places, where the old integer digits end up, is at
// least 1.
void MoveFloatPoint(DxNumber* number, const int32_t requested) {
  // A shift past the whole room moves every digit out of it either way (a
  // non-zero digit beyond the integer room, or below the fraction's); the
  // bound keeps the count arithmetic far from overflow.
  constexpr int32_t kLongestShift = kIntCapacity + kFracCapacity;
  const int32_t places = std::clamp(requested, -kLongestShift, kLongestShift);
  RecordLimbs value;
  ReadRecord(number, &value);
  value.isInfinite = 0;
  const bool keepsInfinite = places == 0 && number->isInfinite;
  PlaceNumber(&value, places, number->intCount + places >= 1, number);
  if (keepsInfinite) MakeInfinite(number);
}

namespace {

// The integer digits from the highest non-zero one; a zero with integer
// digits has one, a record without any has none.
int32_t SignificantIntDigits(const DxNumber* number) {
  int32_t count = number->intCount;
  while (count > 1 && number->intDigits[count - 1] == 0) --count;
  return count;
}

// The shape of a zero product (ravur.h): the one long multiplication gives,
// its partial products summed, the right operand's digits shifted by the
// left one's reaching the units (b - 1 + a >= 1).
bool ZeroProductHasIntDigit(const DxNumber* left, const DxNumber* right) {
  const int32_t a = SignificantIntDigits(left);
  const int32_t b = SignificantIntDigits(right);
  return left->fracCount == 0 && right->fracCount == 0 && b > 0 && b - 1 + a >= 1;
}

}  // namespace

void DxMultiply(const DxNumber* left, const DxNumber* right, DxNumber* result) {
  if (EitherInfinite(left, right)) {
    MakeInfiniteResult(result, left->isNegative != right->isNegative);
    return;
  }
  RecordLimbs l;
  RecordLimbs r;
  RecordLimbs product;
  ReadRecord(left, &l);
  ReadRecord(right, &r);
  MultiplyLimbNumbers(&l, &r, &product);
  PlaceNumber(&product, 0, product.count == 0 && ZeroProductHasIntDigit(left, right), result);
}

// A quotient without integer digits keeps the digit 0 when its first
// generated digit lies at the units or above (the dividend's top digit at a
// weight at least the divisor's).
void DxDivide(const DxNumber* left, const DxNumber* right, DxNumber* result) {
  if (EitherInfinite(left, right)) {
    MakeInfiniteResult(result, left->isNegative != right->isNegative);
    return;
  }
  RecordLimbs l;
  RecordLimbs r;
  RecordLimbs quotient;
  ReadRecord(left, &l);
  ReadRecord(right, &r);
  DivideLimbNumbers(&l, &r, &quotient);
  const bool units = l.count != 0 && r.count != 0 && TopDigitExponent(&l) >= TopDigitExponent(&r);
  PlaceNumber(&quotient, 0, units, result);
}

}  // namespace ravur
