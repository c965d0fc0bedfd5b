#include "ravur.h"

#include "number.h"
#include "numeral_runs.h"
#include "text.h"
#include "words.h"

#include <algorithm>
#include <cstring>

namespace ravur {

using namespace detail;

namespace {

// A minus sign, the marker and the terminator.
constexpr int32_t kInfiniteTextSize = 1 + sizeof kInfiniteText;

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

// Writes the record's integer digits as characters, most significant first,
// then '.' and its fraction digits; returns where the point is.
char* WriteDigitChars(const DxNumber* number, char* out) {
  CopyDigits<true>(reinterpret_cast<const char*>(number->intDigits), out, number->intCount, '0');
  char* const point = out + number->intCount;
  *point = '.';
  CopyDigits<false>(reinterpret_cast<const char*>(number->fracDigits), point + 1, number->fracCount, '0');
  return point;
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
  if (number->intCount == 0) *out++ = '0';
  char* const point = WriteDigitChars(number, out);
  *(number->fracCount > 0 ? point + 1 + number->fracCount : point) = '\0';
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

// The record's value as limbs, aligned on the point, normalised; the flags
// copied (an infinite record's digits are read like any others). Its digits
// are read as a numeral's text, with the room the parser reads around it.
void ReadRecord(const DxNumber* number, RecordLimbs* value) {
  char text[kNumeralPad + kFormDigits + 1];
  std::memset(text, 0, kNumeralPad);
  const char* const point = WriteDigitChars(number, text + kNumeralPad);
  ReadDigitRuns(text + kNumeralPad, point, point + 1, point + 1 + number->fracCount, value);
  value->isNegative = number->isNegative;
  value->isInfinite = number->isInfinite;
}

// The record of value x 10^shift (an infinite value: infinite, no digits),
// with its sign: exact, cut after kFracCapacity fraction digits, or infinite
// when its integer digits do not fit kIntCapacity. A finite value below 1
// has the digit 0 before the point (intCount 1) when hasIntDigit says so, as
// the operation does, and no integer digits otherwise.
//
// The limbs are written as text, top first, so that position p of the limbs
// (weight 10^(p - places)) is the character at units - p; the integer digits
// p - places and the fraction digits places - 1 - p are copied from it, from
// the lowest non-zero limb's to the top digit's: every other position of the
// cleared record is 0 already, and only the zeros at the end of that limb are
// left to trim.
template <int32_t kRoom>
void PlaceNumber(const LimbsIn<kRoom>* value, const int32_t shift, const bool hasIntDigit, DxNumber* result) {
  InitDxNumberToZero(result);
  result->isNegative = value->isNegative;
  if (value->isInfinite) {
    MakeInfinite(result);
    return;
  }
  const Limb* const limbs = value->limbs;
  int32_t lowLimb = 0;
  while (lowLimb < value->count && limbs[lowLimb] == 0) ++lowLimb;
  if (lowLimb == value->count) {
    result->intCount = hasIntDigit ? 1 : 0;
    return;
  }
  const int32_t places = kLimbDigits * value->fracLimbs - shift;
  const int32_t top = kLimbDigits * (value->count - 1) + DigitCount(limbs[value->count - 1]);
  if (top - places > kIntCapacity) {
    MakeInfinite(result);
    return;
  }
  char text[kLimbDigits * kRoom + 1];
  const char* const units = WriteLimbDigits(limbs, value->count, text) - 1;
  result->intCount = std::max(top - places, 0);
  const int32_t newUnits = std::clamp(-places, 0, result->intCount);  // zeros a shift brings below the value
  const int32_t intRun = result->intCount - newUnits;
  if (intRun > 0) {
    CopyDigits<true>(units - (std::max(places, 0) + intRun - 1), reinterpret_cast<char*>(result->intDigits + newUnits),
                     intRun, -'0');
  }
  const int32_t lowest = std::max(places - kFracCapacity, kLimbDigits * lowLimb);
  const int32_t highest = std::min(places, top) - 1;
  if (highest >= lowest) {
    result->fracCount = places - lowest;
    CopyDigits<false>(units - highest, reinterpret_cast<char*>(result->fracDigits + (places - 1 - highest)),
                      highest - lowest + 1, -'0');
    AdjustBits(result);
  }
  if (result->intCount == 0 && hasIntDigit) result->intCount = 1;
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

// The infinite record with the sign infiniteIsNegative when either operand is
// infinite; otherwise reads both operands into limbs, applies the limb
// operation and places its value, hasIntDigit(l, r, value) giving the shape
// of a value below 1.
template <typename LimbOperation, typename Shape>
void ApplyToValues(const DxNumber* left, const DxNumber* right, DxNumber* result, const bool infiniteIsNegative,
                   const LimbOperation operation, const Shape hasIntDigit) {
  if (EitherInfinite(left, right)) {
    InitDxNumberToZero(result);
    result->isNegative = infiniteIsNegative ? 1 : 0;
    return MakeInfinite(result);
  }
  RecordLimbs l;
  RecordLimbs r;
  RecordLimbs value;
  ReadRecord(left, &l);
  ReadRecord(right, &r);
  operation(&l, &r, &value);
  PlaceNumber(&value, 0, hasIntDigit(l, r, value), result);
}

// A sum or difference has the digit 0 before the point when either operand
// has integer digits, but the difference of equal magnitudes (a zero sum of
// operands of differing signs, a zero difference of operands of one sign) is
// the cleared zero, intCount 0. An infinite operand gives its sign, the
// subtrahend's turned.
template <bool kSubtract>
void CombineRecords(const DxNumber* left, const DxNumber* right, DxNumber* result) {
  const auto shape = [left, right](const RecordLimbs&, const RecordLimbs&, const RecordLimbs& value) {
    const bool cancelled = value.count == 0 && (left->isNegative != right->isNegative) != kSubtract;
    return !cancelled && (left->intCount > 0 || right->intCount > 0);
  };
  const bool infiniteIsNegative = left->isInfinite ? left->isNegative != 0 : (right->isNegative != 0) != kSubtract;
  ApplyToValues(left, right, result, infiniteIsNegative,
                kSubtract ? SubtractLimbNumbers<kRecordLimbs> : AddLimbNumbers<kRecordLimbs>, shape);
}

}  // namespace

void DxAdd(const DxNumber* left, const DxNumber* right, DxNumber* result) {
  CombineRecords<false>(left, right, result);
}

void DxSubtract(const DxNumber* left, const DxNumber* right, DxNumber* result) {
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

// The integer digits of an operand without fraction digits, from its
// highest non-zero one, as its limbs give them; a zero with integer digits
// has one, a record without any has none.
int32_t IntDigitsOf(const DxNumber* number, const RecordLimbs& value) {
  return value.count == 0 ? std::min(number->intCount, 1) : TopDigitExponent(&value);
}

}  // namespace

void DxMultiply(const DxNumber* left, const DxNumber* right, DxNumber* result) {
  // The shape of a zero product (ravur.h): the one long multiplication gives,
  // its partial products summed, the right operand's digits shifted by the
  // left one's reaching the units (b - 1 + a >= 1).
  const auto shape = [left, right](const RecordLimbs& l, const RecordLimbs& r, const RecordLimbs& product) {
    if (product.count != 0 || left->fracCount != 0 || right->fracCount != 0) return false;
    const int32_t b = IntDigitsOf(right, r);
    return b > 0 && b - 1 + IntDigitsOf(left, l) >= 1;
  };
  ApplyToValues(left, right, result, left->isNegative != right->isNegative, MultiplyLimbNumbers<kRecordLimbs>, shape);
}

// A quotient without integer digits keeps the digit 0 when its first
// generated digit lies at the units or above (the dividend's top digit at a
// weight at least the divisor's).
void DxDivide(const DxNumber* left, const DxNumber* right, DxNumber* result) {
  const auto shape = [](const RecordLimbs& l, const RecordLimbs& r, const RecordLimbs&) {
    return l.count != 0 && r.count != 0 && TopDigitExponent(&l) >= TopDigitExponent(&r);
  };
  ApplyToValues(left, right, result, left->isNegative != right->isNegative, DivideLimbNumbers<kRecordLimbs>, shape);
}

}  // namespace ravur
