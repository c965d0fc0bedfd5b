#include "limbs.h"
#include "words.h"

#include <algorithm>
#include <cstring>

namespace ravur::detail {

namespace {

constexpr Limb kDecimal = 10;

// Eight decimal digits a word (words.h).
constexpr int32_t kEightDigits = 8;

// The eight '0' characters of a word.
constexpr Word kZeroChars = '0' * kEveryByte;

static_assert(kNumeralPad >= kWordBytes, "the parser reads a word before the text and past its terminator");

// Digits of a non-zero limb: with b its bit length, t = floor(b log10 2)
// (b x 1233 / 2^12 is that for b up to 30), it has t digits, or t + 1 once it
// reaches 10^t. No loop: random limbs would mispredict its end.
int32_t DigitCount(const Limb limb) {
  const int32_t bits = kWordBits - LeadingZeroBits(limb);
  const int32_t t = bits * 1233 >> 12;
  return t + (limb >= kPowersOfTen[t] ? 1 : 0);
}

}  // namespace

// Limb k (from the least significant) holds the digits from position
// total - kLimbDigits x (k + 1) of the digits followed by the zeros below.
// The lowest zerosBelow / kLimbDigits limbs lie wholly in those zeros; each
// limb above them is nine digits read in one go, the ones outside
// digits[0..count) being the zeros around them.
int32_t GatherLimbs(const int8_t* digits, const int32_t count, const int32_t zerosBelow, Limb* limbs) {
  const int32_t total = count + zerosBelow;
  const int32_t limbCount = (total + kLimbDigits - 1) / kLimbDigits;
  const int32_t zeroLimbs = zerosBelow / kLimbDigits;
  std::fill_n(limbs, zeroLimbs, 0);
  for (int32_t k = zeroLimbs; k < limbCount; ++k) {
    const int32_t first = total - kLimbDigits * (k + 1);  // from -kGatherPad to count - 1
    limbs[k] = static_cast<Limb>(digits[first]) * kPowersOfTen[kEightDigits] + EightDigitsValue(LoadLittle(digits + first + 1));
  }
  return limbCount;
}

namespace {

// Writes the lowest `count` digits of value to digits[0], digits[kStep], ...
template <int32_t kStep>
void SpreadLimb(Limb value, const int32_t count, int8_t* digits) {
  for (int32_t i = 0; i < count; ++i) {
    const Limb rest = value / kDecimal;
    digits[i * kStep] = static_cast<int8_t>(value - rest * kDecimal);
    value = rest;
  }
}

// All kLimbDigits digits of value: the top one by a division, the other
// eight split in the lanes of one word (EightDigitBytes).
template <int32_t kStep>
void SpreadWholeLimb(const Limb value, int8_t* digits) {
  const Limb top = value / kPowersOfTen[kEightDigits];
  const Word bytes = EightDigitBytes(value - top * kPowersOfTen[kEightDigits]);
  if (kStep > 0) {
    StoreLittle(digits, bytes);
  } else {
    StoreBig(digits - (kEightDigits - 1), bytes);
  }
  digits[kEightDigits * kStep] = static_cast<int8_t>(top);
}

// SpreadLimbs for one direction, known when compiled, so that a whole limb's
// nine digits are written by straight-line code.
template <int32_t kStep>
void SpreadRun(const Limb* limbs, const int32_t first, const int32_t count, int8_t* digits) {
  int32_t k = first / kLimbDigits;
  int32_t at = 0;  // digits written
  const int32_t below = first % kLimbDigits;  // digits of limbs[k] under the run
  if (below > 0 && count > 0) {
    at = std::min(kLimbDigits - below, count);
    SpreadLimb<kStep>(limbs[k++] / kPowersOfTen[below], at, digits);
  }
  for (; at + kLimbDigits <= count; ++k, at += kLimbDigits) SpreadWholeLimb<kStep>(limbs[k], digits + at * kStep);
  if (at < count) SpreadLimb<kStep>(limbs[k], count - at, digits + at * kStep);
}

}  // namespace

void SpreadLimbs(const Limb* limbs, const int32_t first, const int32_t count, int8_t* digits, const int32_t step) {
  if (step > 0) {
    SpreadRun<1>(limbs, first, count, digits);
  } else {
    SpreadRun<-1>(limbs, first, count, digits);
  }
}

int8_t DigitOfLimbs(const Limb* limbs, const int32_t position) {
  return static_cast<int8_t>(limbs[position / kLimbDigits] / kPowersOfTen[position % kLimbDigits] % kDecimal);
}

// Schoolbook long multiplication (TAOCP vol. 2, 4.3.1, Algorithm M) with the
// carries deferred: the rows' products are summed into 64-bit columns and
// carried once per block of kRowsPerBlock rows. A column below the radix plus
// that many products of two limbs stays below 2^64, so no sum overflows, and
// the inner loop is one multiply-add per product.
namespace {
constexpr int32_t kRowsPerBlock = 18;
static_assert(static_cast<Wide>(kRowsPerBlock) * (kLimbBase - 1) * (kLimbBase - 1) <= UINT64_MAX - kLimbBase,
              "a block's column sums fit 64 bits");

// Up to this many limb products, a product is taken in columns with no
// clearing, blocks or pairs: every column sums at most min(aCount, bCount)
// products, at most kRowsPerBlock.
constexpr int32_t kRowProducts = 25;
static_assert(kRowProducts < (kRowsPerBlock + 1) * (kRowsPerBlock + 1), "a short product's columns fit 64 bits");

// out[0..count) = factor x limbs[0..count), returning the limb carried out of
// the top: a limb's product plus a carry fits one Wide.
Limb MultiplyByLimb(const Wide factor, const Limb* limbs, const int32_t count, Limb* out) {
  Wide carry = 0;
  for (int32_t k = 0; k < count; ++k) {
    const Wide value = factor * limbs[k] + carry;
    carry = value / kLimbBase;
    out[k] = static_cast<Limb>(value - carry * kLimbBase);
  }
  return static_cast<Limb>(carry);
}

// product = a x b for at most kRowProducts limb products, in columns carried
// once at the end: the first row writes its columns, and every later row
// adds to the columns below its last one and writes that one, so no column
// is cleared first.
void MultiplyShort(const Limb* a, const int32_t aCount, const Limb* b, const int32_t bCount, Limb* product) {
  if (aCount == 0 || bCount == 0) {
    std::fill_n(product, aCount + bCount, 0);
    return;
  }
  Wide columns[kRowProducts + 1];
  for (int32_t k = 0; k < bCount; ++k) columns[k] = Wide{a[0]} * b[k];
  for (int32_t i = 1; i < aCount; ++i) {
    const Wide factor = a[i];
    Wide* row = columns + i;
    for (int32_t k = 0; k < bCount - 1; ++k) row[k] += factor * b[k];
    row[bCount - 1] = factor * b[bCount - 1];
  }
  Wide carry = 0;
  for (int32_t j = 0; j < aCount + bCount - 1; ++j) {
    const Wide value = columns[j] + carry;
    carry = value / kLimbBase;
    product[j] = static_cast<Limb>(value - carry * kLimbBase);
  }
  product[aCount + bCount - 1] = static_cast<Limb>(carry);
}

// columns[0..aCount + bCount) = a x b in digits of some radix, schoolbook
// with the carries deferred: the rows' products summed into the columns,
// which are carried once per block of kBlockRows rows (few enough that a
// block's sums fit a Column). split(value, &digit) gives a column value's
// digit and returns its carry on. Nothing carries out of a block's top
// column: the rows so far form a number of at most last + bCount digits.
template <int32_t kBlockRows, typename Digit, typename Column, typename Split>
void MultiplyInColumns(const Digit* a, const int32_t aCount, const Digit* b, const int32_t bCount, Column* columns,
                       const Split split) {
  std::fill_n(columns, aCount + bCount, 0);
  for (int32_t first = 0; first < aCount; first += kBlockRows) {
    const int32_t last = std::min(first + kBlockRows, aCount);
    for (int32_t i = first; i < last; ++i) {
      const Column factor = a[i];
      Column* row = columns + i;
      // Unrolled: the loop's own steps would be a third of each product's.
#pragma GCC unroll 4
      for (int32_t k = 0; k < bCount; ++k) row[k] += factor * b[k];
    }
    Column carry = 0;
    for (int32_t j = first; j < last + bCount; ++j) {
      Digit digit = 0;
      carry = split(columns[j] + carry, &digit);
      columns[j] = digit;
    }
  }
}

// product = a x b in 64-bit columns (see kRowsPerBlock).
void MultiplyColumns(const Limb* a, const int32_t aCount, const Limb* b, const int32_t bCount, Limb* product) {
  Wide columns[kProductLimbs];
  MultiplyInColumns<kRowsPerBlock>(a, aCount, b, bCount, columns, [](const Wide value, Limb* limb) {
    const Wide carry = value / kLimbBase;
    *limb = static_cast<Limb>(value - carry * kLimbBase);
    return carry;
  });
  std::copy_n(columns, aCount + bCount, product);
}

#if RAVUR_DOUBLE_WORDS

// --- Pairs of limbs ------------------------------------------------------------
//
// Where a 128-bit integer type is at hand, long products and quotients take
// two limbs as one digit of the radix kPairBase = kLimbBase^2 = 10^18 < 2^60:
// a product of two pairs is one multiplication of two words, and splitting
// a two-word value by kPairBase one division.

constexpr Wide kPairBase = Wide{kLimbBase} * kLimbBase;

// pairs[i] = limbs[2i] + limbs[2i + 1] x kLimbBase; returns the pairs' count.
int32_t PairLimbs(const Limb* limbs, const int32_t count, Wide* pairs) {
  for (int32_t i = 0; i < count / 2; ++i) pairs[i] = limbs[2 * i] + Wide{limbs[2 * i + 1]} * kLimbBase;
  if (count % 2 != 0) pairs[count / 2] = limbs[count - 1];
  return (count + 1) / 2;
}

// limbs[0..count) from pairs[0..(count + 1) / 2) (held in any unsigned type,
// each below kPairBase), for a number below kLimbBase^count: an odd count's
// top pair is a single limb.
template <typename Pair>
void UnpairLimbs(const Pair* pairs, const int32_t count, Limb* limbs) {
  for (int32_t j = 0; j < count / 2; ++j) {
    const auto pair = static_cast<Wide>(pairs[j]);
    const Wide high = pair / kLimbBase;
    limbs[2 * j] = static_cast<Limb>(pair - high * kLimbBase);
    limbs[2 * j + 1] = static_cast<Limb>(high);
  }
  if (count % 2 != 0) limbs[count - 1] = static_cast<Limb>(pairs[count / 2]);
}

// value / divisor, *remainder the rest, for a value below divisor x 2^64.
Wide DivideDoubleWord(const DoubleWord value, const Wide divisor, Wide* remainder) {
  return DivideTwoWords({static_cast<Wide>(value >> kWordBits), static_cast<Wide>(value)}, divisor, remainder);
}

// value = high x kPairBase + *low, returning high, for a value below
// kPairBase x 2^64.
Wide SplitPair(const DoubleWord value, Wide* low) { return DivideDoubleWord(value, kPairBase, low); }

// The paired product is carried once per block of kPairRowsPerBlock rows, as
// the limb columns are: a column below kPairBase plus that many products and
// a carry below 2^64 stays below kPairBase x 2^64, so that SplitPair takes it.
constexpr int32_t kPairLimbs = (kFormLimbs + 1) / 2;
constexpr int32_t kPairRowsPerBlock = 18;
static_assert(static_cast<DoubleWord>(kPairRowsPerBlock) * (kPairBase - 1) * (kPairBase - 1) + kPairBase + UINT64_MAX <
                  static_cast<DoubleWord>(kPairBase) << kWordBits,
              "a block's column sums split by one two-word division");

void MultiplyPairs(const Limb* a, const int32_t aCount, const Limb* b, const int32_t bCount, Limb* product) {
  Wide aPairs[kPairLimbs];
  Wide bPairs[kPairLimbs];
  const int32_t aPairCount = PairLimbs(a, aCount, aPairs);
  const int32_t bPairCount = PairLimbs(b, bCount, bPairs);
  DoubleWord columns[2 * kPairLimbs];
  MultiplyInColumns<kPairRowsPerBlock>(aPairs, aPairCount, bPairs, bPairCount, columns, SplitPair);
  UnpairLimbs(columns, aCount + bCount, product);  // the product is below kLimbBase^(aCount + bCount)
}

#endif

}  // namespace

void MultiplyLimbsPortable(const Limb* a, const int32_t aCount, const Limb* b, const int32_t bCount, Limb* product) {
  if (aCount * bCount <= kRowProducts) {
    MultiplyShort(a, aCount, b, bCount, product);
  } else {
    MultiplyColumns(a, aCount, b, bCount, product);
  }
}

// Longer operands take two limbs as one where a 128-bit integer type allows.
void MultiplyLimbs(const Limb* a, const int32_t aCount, const Limb* b, const int32_t bCount, Limb* product) {
#if RAVUR_DOUBLE_WORDS
  if (aCount * bCount > kRowProducts) {
    MultiplyPairs(a, aCount, b, bCount, product);
    return;
  }
  MultiplyShort(a, aCount, b, bCount, product);
#else
  MultiplyLimbsPortable(a, aCount, b, bCount, product);
#endif
}

// --- Division ----------------------------------------------------------------
//
// Long division of limbs, TAOCP vol. 2, 4.3.1, Algorithm D, with the decimal
// radix kLimbBase. A divisor of one or two limbs takes the short division
// instead.

namespace {

// True when digits[0..n) (limbs, or pairs of them) are all zero.
template <typename Digit>
bool IsZeroRun(const Digit* digits, const int32_t n) {
  return std::all_of(digits, digits + n, [](const Digit digit) { return digit == 0; });
}

// A divisor of at most two limbs, below kLimbBase^2 = 10^18 < 2^60, fits one
// Wide, and takes the short division: each step divides remainder x
// kLimbBase + u[j], below v x kLimbBase, by v. For a one-limb divisor that is
// below 10^18, one Wide; for a two-limb one below 10^27 < 2^90, more than a
// Wide, but its quotient limb q fits one and its remainder one Wide.
constexpr int32_t kShortDivisorLimbs = 2;

// The quotient limb of value = remainder x kLimbBase + limb by a two-limb
// divisor v (remainder below v), estimated in doubles as
// (remainder x kLimbBase + limb) x (1 / v): five roundings, each off by a
// relative 2^-53 (less in wider registers), put the estimate within 10^-6 of
// value / v < kLimbBase, so that its integer part is q - 1, q or q + 1. The
// rest value - estimate x v is then in [-v, 2v), below 2^61 either way, and
// is found exactly modulo 2^64, where the terms wrap; one step corrects it.
Limb DivideByTwoLimbs(const Wide remainder, const Limb limb, const Wide v, const double inverse, Wide* rest) {
  const double value = static_cast<double>(static_cast<int64_t>(remainder)) * kLimbBase + limb;
  Wide estimate = static_cast<uint32_t>(static_cast<int32_t>(value * inverse));
  Wide left = remainder * kLimbBase + limb - estimate * v;
  if (static_cast<int64_t>(left) < 0) {
    --estimate;
    left += v;
  } else if (left >= v) {
    ++estimate;
    left -= v;
  }
  *rest = left;
  return static_cast<Limb>(estimate);
}

// Short division (TAOCP vol. 2, 4.3.1, exercise 16) of u by the non-zero
// divisor v, into a cleared quotient: a zero remainder with only zero limbs
// below it leaves the quotient's remaining limbs as they are.
template <int32_t kDivisorLimbs>
void DivideShort(const Limb* u, const int32_t uCount, const Wide v, Limb* quotient) {
  const double inverse = 1 / static_cast<double>(static_cast<int64_t>(v));
  Wide remainder = 0;
  for (int32_t j = uCount - 1; j >= 0; --j) {
    if constexpr (kDivisorLimbs == 1) {
      const Wide value = remainder * kLimbBase + u[j];
      quotient[j] = static_cast<Limb>(value / v);
      remainder = value - quotient[j] * v;
    } else {
      quotient[j] = DivideByTwoLimbs(remainder, u[j], v, inverse, &remainder);
    }
    if (remainder == 0 && IsZeroRun(u, j)) return;
  }
}

// Step D3 of Algorithm D, its estimate taken in floating point from the top
// limbs, so that D1's scaling is not needed. With the top m = kEstimateLimbs
// limbs of v (n >= m: shorter divisors take the short division) read as V
// and the window's top m + 1 limbs as W' (both of weight B^(n-m), B =
// kLimbBase), the quotient limb q = floor(W / v) satisfies q <= W / v < (W' +
// 1) / V, and (W' + 1) / V exceeds W / v by less than (W' + V + 1) / V^2 <
// (B + 2) / V, which is below 10^-8 (V >= B^2). In doubles,
// (W' + 1) x (1 / V) is off by a relative 2^-48 at most (16 roundings),
// below 10^-5 for a value below 2B. With kEstimateMargin added, the floor is
// therefore never below q and at most q + 1: D6's one add-back corrects it,
// as after Knuth's own estimate. q is below B, so the estimate is at most B.
constexpr int32_t kEstimateLimbs = 3;
static_assert(kEstimateLimbs == kShortDivisorLimbs + 1, "every longer divisor has the limbs the estimate reads");
constexpr double kEstimateMargin = 1.0 / 1024;

// A limb as a double; below 2^31, it converts as a signed 32-bit value, the
// conversion every target has as one step.
double LimbValue(const Limb limb) { return static_cast<double>(static_cast<int32_t>(limb)); }

// limbs[top], limbs[top - 1], ... limbs[top - kCount + 1] read as one
// number (kCount 3 or 4). Each limb is weighed by its own power of the
// radix and the products summed in pairs, not by Horner's rule: they do not
// wait for one another, which shortens the chain each quotient limb waits on.
constexpr double kRadix = kLimbBase;
constexpr double kRadixSquared = kRadix * kRadix;
constexpr double kRadixCubed = kRadixSquared * kRadix;

template <int32_t kCount>
double TopLimbsValue(const Limb* limbs, const int32_t top) {
  static_assert(kCount == 3 || kCount == 4, "three or four limbs");
  const double low = LimbValue(limbs[top - kCount + 2]) * kRadix + LimbValue(limbs[top - kCount + 1]);
  if constexpr (kCount == 3) return LimbValue(limbs[top]) * kRadixSquared + low;
  return (LimbValue(limbs[top]) * kRadixCubed + LimbValue(limbs[top - 1]) * kRadixSquared) + low;
}

Wide EstimateQuotientLimb(const Limb* window, const int32_t n, const double inverse) {
  const double top = TopLimbsValue<kEstimateLimbs + 1>(window, n);
  return static_cast<Wide>(static_cast<int64_t>((top + 1) * inverse + kEstimateMargin));
}

// Step D4: window[0..n] -= estimate x v; true when that went below zero.
// The carry from one limb to the next, 0 down to -kLimbBase, is kept with
// kBias added: the limb's value plus the bias, from 0 (an estimate of the
// radix itself) up to below 2 x kBias, is then split by one unsigned
// division, its quotient being the biased carry out. The top limb is only
// compared, not stored: the next window starts one limb lower and ends below
// it.
bool SubtractMultiple(Limb* window, const Limb* v, const int32_t n, const Wide estimate) {
  constexpr Wide kBias = Wide{kLimbBase} * kLimbBase;
  Wide biasedCarry = kBias;
  // Unrolled twice; four times costs divisors of a few limbs more than it saves.
#pragma GCC unroll 2
  for (int32_t i = 0; i < n; ++i) {
    const Wide value = biasedCarry + window[i] - estimate * v[i];
    const Wide high = value / kLimbBase;
    window[i] = static_cast<Limb>(value - high * kLimbBase);
    biasedCarry = high + (kBias - kLimbBase);
  }
  return biasedCarry + window[n] < kBias;
}

// Step D6: window[0..n) += v in digits of kRadix (limbs, or pairs of them),
// after a subtraction that went below zero by less than v; the carry out of
// the top cancels that deficit.
template <typename Digit, Digit kRadix>
void AddBack(Digit* window, const Digit* v, const int32_t n) {
  Digit carry = 0;
  for (int32_t i = 0; i < n; ++i) {
    const Digit sum = window[i] + v[i] + carry;
    carry = sum >= kRadix ? 1 : 0;
    window[i] = sum - carry * kRadix;
  }
}

}  // namespace

void DivideLimbsPortable(Limb* u, const int32_t uCount, const Limb* v, const int32_t vCount, Limb* quotient) {
  std::fill_n(quotient, uCount - vCount + 1, 0);  // an exact division stops early
  if (vCount == 1) {
    DivideShort<1>(u, uCount, v[0], quotient);
    return;
  }
  if (vCount == kShortDivisorLimbs) {
    DivideShort<kShortDivisorLimbs>(u, uCount, static_cast<Wide>(v[1]) * kLimbBase + v[0], quotient);
    return;
  }
  // Steps D2 to D7, one quotient limb per window from the top, without D1's
  // scaling: the estimate above needs none. u's limbs below low are zero, and
  // stay so below each window.
  int32_t low = 0;
  while (low < uCount && u[low] == 0) ++low;
  u[uCount] = 0;
  const double inverse = 1 / TopLimbsValue<kEstimateLimbs>(v, vCount - 1);
  for (int32_t j = uCount - vCount; j >= 0; --j) {
    Limb* window = u + j;
    Wide estimate = EstimateQuotientLimb(window, vCount, inverse);
    if (SubtractMultiple(window, v, vCount, estimate)) {
      --estimate;
      AddBack<Limb, kLimbBase>(window, v, vCount);
    }
    quotient[j] = static_cast<Limb>(estimate);
    // A zero remainder with nothing but zeros below it: the quotient is exact.
    if (window[vCount - 1] == 0 && j <= low && IsZeroRun(window, vCount)) return;
  }
}

#if RAVUR_DOUBLE_WORDS

// --- Division in pairs -------------------------------------------------------
//
// Algorithm D in the radix kPairBase = 10^18, two limbs a digit (as the
// paired product takes them): half the quotient digits and a quarter of the
// multiply-subtract steps of the limb radix, each step a multiplication and
// a division of two words. D1's scaling puts the divisor's top pair at
// kPairBase / 2 or above, so that D3's estimate from the top pairs, tested
// against the next one, is the quotient digit or one above it.

namespace {

// Room for a dividend's or a divisor's pairs, with the pair D1 adds on top.
constexpr int32_t kDividendPairs = (kDividendLimbs + 1) / 2 + 1;

// pairs[0..count) x= scale (below kPairBase), returning the pair carried out.
Wide ScalePairs(Wide* pairs, const int32_t count, const Wide scale) {
  Wide carry = 0;
  for (int32_t i = 0; i < count; ++i) carry = SplitPair(static_cast<DoubleWord>(pairs[i]) * scale + carry, &pairs[i]);
  return carry;
}

// Step D4: window[0..n] -= estimate x v; true when that went below zero. The
// top pair is only compared, not stored: the next window starts one pair
// lower and ends below it. Each product is split apart from the carry before
// it, which is added to the split's low pair after: the splits, each a
// division instruction, then do not wait for each other.
bool SubtractPairs(Wide* window, const Wide* v, const int32_t n, const Wide estimate) {
  Wide carry = 0;   // of the products, below kPairBase
  Wide borrow = 0;  // 0 or 1
  for (int32_t i = 0; i < n; ++i) {
    Wide low = 0;
    const Wide high = SplitPair(static_cast<DoubleWord>(estimate) * v[i], &low);
    low += carry;
    const Wide wrap = low >= kPairBase ? 1 : 0;
    low -= wrap * kPairBase;
    carry = high + wrap;
    const Wide subtrahend = low + borrow;
    borrow = window[i] < subtrahend ? 1 : 0;
    window[i] = window[i] + borrow * kPairBase - subtrahend;
  }
  return window[n] < carry + borrow;
}

// Step D3: the estimate of window[0..n] / v from the top pairs (n >= 2, v's
// top pair scaled), Knuth's q-hat after its test against v[n - 2].
Wide EstimatePair(const Wide* window, const Wide* v, const int32_t n) {
  const Wide top = v[n - 1];
  Wide estimate = kPairBase - 1;
  Wide rest = window[n - 1] + top;  // when window[n] is top: rest of the estimate kPairBase - 1
  if (window[n] < top) {
    estimate = DivideDoubleWord(static_cast<DoubleWord>(window[n]) * kPairBase + window[n - 1], top, &rest);
  }
  while (rest < kPairBase && static_cast<DoubleWord>(estimate) * v[n - 2] >
                                 static_cast<DoubleWord>(rest) * kPairBase + window[n - 2]) {
    --estimate;
    rest += top;
  }
  return estimate;
}

// Writes the quotient's pair j, as it is found, as limbs 2j and 2j + 1,
// those of them below count: the quotient is below kLimbBase^count.
void PutQuotientPair(const Wide pair, const int32_t j, Limb* quotient, const int32_t count) {
  const Wide high = pair / kLimbBase;
  if (2 * j < count) quotient[2 * j] = static_cast<Limb>(pair - high * kLimbBase);
  if (2 * j + 1 < count) quotient[2 * j + 1] = static_cast<Limb>(high);
}

// floor(u / v) in pairs, for v of three limbs or more: DivideLimbs's
// quotient, written as limbs.
void DividePairs(const Limb* u, const int32_t uCount, const Limb* v, const int32_t vCount, Limb* quotient) {
  Wide dividend[kDividendPairs + 1];
  Wide divisor[kDividendPairs];
  const int32_t m = PairLimbs(u, uCount, dividend);
  const int32_t n = PairLimbs(v, vCount, divisor);
  // The dividend's pairs below low are zero; they stay so when scaled (no
  // carry reaches them) and below each window.
  int32_t low = 0;
  while (low < m && dividend[low] == 0) ++low;
  // Step D1.
  const Wide scale = kPairBase / (divisor[n - 1] + 1);
  ScalePairs(divisor, n, scale);
  dividend[m] = ScalePairs(dividend + low, m - low, scale);
  const int32_t quotientLimbs = uCount - vCount + 1;
  std::fill_n(quotient, quotientLimbs, 0);  // an exact division stops early
  for (int32_t j = m - n; j >= 0; --j) {
    Wide* window = dividend + j;
    Wide estimate = EstimatePair(window, divisor, n);
    if (SubtractPairs(window, divisor, n, estimate)) {
      --estimate;
      AddBack<Wide, kPairBase>(window, divisor, n);
    }
    PutQuotientPair(estimate, j, quotient, quotientLimbs);
    if (window[n - 1] == 0 && j <= low && IsZeroRun(window, n)) return;
  }
}

// --- Division by a divisor of two words ---------------------------------------
//
// A divisor of three or four limbs lies in [kPairBase, kPairBase^2), below
// 10^36 < 2^120: it is one binary number of two words. Its quotient is then a
// short division in the radix kPairBase, each step dividing remainder x
// kPairBase + the next pair of u (below divisor x kPairBase < 2^180, three
// words) by the divisor, for one quotient pair below kPairBase. Each step is
// Möller and Granlund's division of three words by two with a reciprocal
// found once ("Improved division by invariant integers", IEEE Trans. Comput.
// 60(2), 2011, Algorithms 5 and 6): a few multiplications, no division. The
// divisor is held shifted up until its top bit is set, and so is every
// remainder: each pair is shifted as it comes in, the quotient unchanged.

constexpr int32_t kTwoWordDivisorLimbs = 4;

Wide HighWord(const DoubleWord value) { return static_cast<Wide>(value >> kWordBits); }
DoubleWord FromWords(const Wide high, const Wide low) { return (static_cast<DoubleWord>(high) << kWordBits) | low; }

// limbs[0..count) as one binary number, for at most four limbs (below 10^36).
DoubleWord LimbsValue(const Limb* limbs, const int32_t count) {
  // Above a one-limb divisor's quotient pairs, which reach one limb past u's
  // when their count is odd, the count is -1.
  if (count <= 0) return 0;
  DoubleWord value = limbs[count - 1];
  for (int32_t k = count - 2; k >= 0; --k) value = value * kLimbBase + limbs[k];
  return value;
}

// floor((2^192 - 1) / d) - 2^64 for d with its top bit set (Algorithm 6:
// the reciprocal of d's top word, corrected for its low word).
Wide ReciprocalOfTwoWords(const DoubleWord d) {
  const Wide d1 = HighWord(d);
  const auto d0 = static_cast<Wide>(d);
  Wide rest;
  Wide v = DivideTwoWords({~d1, ~Wide{0}}, d1, &rest);  // floor((2^128 - 1) / d1) - 2^64
  Wide p = d1 * v + d0;
  if (p < d0) {
    --v;
    if (p >= d1) {
      --v;
      p -= d1;
    }
    p -= d1;
  }
  const DoubleWord t = static_cast<DoubleWord>(v) * d0;
  p += HighWord(t);
  if (p < HighWord(t)) {
    --v;
    if (FromWords(p, static_cast<Wide>(t)) >= d) --v;
  }
  return v;
}

// (u21 x 2^64 + u0) / d, *remainder the rest, for u21 below d, d's top bit
// set and v its reciprocal (Algorithm 5, in two-word arithmetic modulo 2^128).
// In words, not in the 128-bit type: GCC 12 passes 128-bit values through the
// stack in this loop.
Wide DivideThreeWords(const TwoWords u21, const Wide u0, const TwoWords d, const Wide v, TwoWords* remainder) {
  const TwoWords estimate = AddTwoWords(MultiplyWords(v, u21.high), u21);
  Wide q1 = estimate.high;
  const Wide r1 = u21.low - q1 * d.high;
  const TwoWords beforeD = SubtractTwoWords({r1, u0}, MultiplyWords(d.low, q1));
  TwoWords r = SubtractTwoWords(beforeD, d);
  // The first correction, back to the value before d was taken, is made
  // about a quarter of the time and unpredictably: by a mask, not a branch
  // (which costs more than its instructions). The second one is rare.
  const Wide keep = 0 - static_cast<Wide>(r.high < estimate.low ? 1 : 0);
  q1 -= keep;
  r.low = beforeD.low ^ ((beforeD.low ^ r.low) & keep);
  r.high = beforeD.high ^ ((beforeD.high ^ r.high) & keep);
  if (!IsBelow(r, d)) {
    ++q1;
    r = SubtractTwoWords(r, d);
  }
  *remainder = r;
  return q1;
}

// floor(u / divisor) as a short division in the radix kPairBase, each pair
// written as two of the quotient's quotientLimbs limbs as it is found (the
// top pair of an odd count as one), u's pairs below zeroPairs known to be 0
// (the zeros a dividend is moved up by): step(pair, &remainder) divides
// remainder x kPairBase + pair by the divisor, returning the quotient's pair
// and leaving the rest. The quotient is below kLimbBase^quotientLimbs, so
// the limbs of u above the quotient's pairs (u has one limb fewer than the
// divisor above the quotient's limbs) read as a number below the divisor:
// given as `remainder`, they start it.
template <typename Remainder, typename Step, typename ZeroStep>
inline void DivideInPairs(const Limb* u, const int32_t quotientLimbs, const int32_t zeroPairs, Remainder remainder,
                          const Step step, const ZeroStep zeroStep, Limb* quotient) {
  const auto put = [quotient](const int32_t j, const Wide pair) {
    const Wide high = pair / kLimbBase;
    quotient[2 * j] = static_cast<Limb>(pair - high * kLimbBase);
    quotient[2 * j + 1] = static_cast<Limb>(high);
  };
  int32_t j = (quotientLimbs + 1) / 2 - 1;
  if (quotientLimbs % 2 != 0) {
    // The top pair of an odd count is a single limb.
    quotient[2 * j] = static_cast<Limb>(step(u[2 * j] + Wide{u[2 * j + 1]} * kLimbBase, &remainder));
    --j;
  }
  for (; j >= zeroPairs; --j) put(j, step(u[2 * j] + Wide{u[2 * j + 1]} * kLimbBase, &remainder));
  // The pairs known to be 0: zeroStep(&remainder) is step(0, &remainder).
  for (; j >= 0; --j) put(j, zeroStep(&remainder));
}

// The limbs of u above the quotient's pairs, as one binary number.
DoubleWord LimbsAbovePairs(const Limb* u, const int32_t uCount, const int32_t quotientLimbs) {
  const int32_t above = (quotientLimbs + 1) / 2 * 2;
  return LimbsValue(u + above, uCount - above);
}

// floor(u / divisor), for a divisor of three or four limbs that is at least
// 2^64: DivideLimbs's quotient, written as its quotientLimbs limbs.
inline void DivideByTwoWords(const Limb* u, const int32_t uCount, const int32_t zeroPairs, const DoubleWord divisor,
                      Limb* quotient, const int32_t quotientLimbs) {
  const int32_t shift = LeadingZeroBits(HighWord(divisor));  // 8 to 63: below 2^120, at least 2^64
  const DoubleWord shiftedDivisor = divisor << shift;
  const TwoWords d = {HighWord(shiftedDivisor), static_cast<Wide>(shiftedDivisor)};
  const Wide scale = Wide{1} << shift;
  const Wide reciprocal = ReciprocalOfTwoWords(shiftedDivisor);
  // remainder x kPairBase + pair x 2^shift as u21 x 2^64 + u0, the remainder
  // shifted as d is: the low word of the remainder times kPairBase (below
  // 2^124) takes the shifted pair's low word without a carry out, and the
  // middle word's terms, the high words of that and of the shifted pair
  // (below 2^60 x 2^63), fit one word.
  // The step given the remainder's low word times kPairBase with the shifted
  // pair's low word added, and the shifted pair's high word; a zero pair has
  // nothing to shift or add.
  const auto divide = [d, reciprocal](const TwoWords lower, const Wide pairHigh, TwoWords* remainder) {
    const TwoWords u21 = AddTwoWords(MultiplyWords(remainder->high, kPairBase), {0, lower.high + pairHigh});
    return DivideThreeWords(u21, lower.low, d, reciprocal, remainder);
  };
  const auto step = [scale, divide](const Wide pair, TwoWords* remainder) {
    const TwoWords shifted = MultiplyWords(pair, scale);
    return divide(AddTwoWords(MultiplyWords(remainder->low, kPairBase), {0, shifted.low}), shifted.high, remainder);
  };
  const auto zeroStep = [divide](TwoWords* remainder) {
    return divide(MultiplyWords(remainder->low, kPairBase), 0, remainder);
  };
  const DoubleWord above = LimbsAbovePairs(u, uCount, quotientLimbs) << shift;
  DivideInPairs(u, quotientLimbs, zeroPairs, TwoWords{HighWord(above), static_cast<Wide>(above)}, step, zeroStep,
                quotient);
}

// floor(u / divisor), for a divisor below 2^64: each step one division of
// two words by one, remainder x kPairBase + pair below divisor x kPairBase,
// for a quotient pair below kPairBase: half the steps of the limb radix. The
// quotient's top pair reaches one limb past u's when a one-limb divisor
// leaves an odd count of quotient limbs: u[uCount] is set to 0 for it.
void DivideByOneWord(Limb* u, const int32_t uCount, const int32_t zeroPairs, const Wide divisor, Limb* quotient,
                     const int32_t quotientLimbs) {
  u[uCount] = 0;
  const auto step = [divisor](const Wide pair, Wide* remainder) {
    return DivideDoubleWord(static_cast<DoubleWord>(*remainder) * kPairBase + pair, divisor, remainder);
  };
  const auto zeroStep = [step](Wide* remainder) { return step(0, remainder); };
  DivideInPairs(u, quotientLimbs, zeroPairs, static_cast<Wide>(LimbsAbovePairs(u, uCount, quotientLimbs)), step,
                zeroStep, quotient);
}

}  // namespace

#endif

// Where a 128-bit integer type allows, divisors of up to four limbs are
// divided as one binary number of one or two words, and longer ones in
// pairs.
void DivideMovedLimbs(Limb* u, const int32_t uCount, const int32_t zeroLimbs, const Limb* v, const int32_t vCount,
                      Limb* quotient) {
#if RAVUR_DOUBLE_WORDS
  if (vCount > kTwoWordDivisorLimbs) {
    DividePairs(u, uCount, v, vCount, quotient);
    return;
  }
  const DoubleWord divisor = LimbsValue(v, vCount);
  if (HighWord(divisor) != 0) {
    DivideByTwoWords(u, uCount, zeroLimbs / 2, divisor, quotient, uCount - vCount + 1);
  } else {
    DivideByOneWord(u, uCount, zeroLimbs / 2, static_cast<Wide>(divisor), quotient, uCount - vCount + 1);
  }
#else
  static_cast<void>(zeroLimbs);
  DivideLimbsPortable(u, uCount, v, vCount, quotient);
#endif
}

void DivideLimbs(Limb* u, const int32_t uCount, const Limb* v, const int32_t vCount, Limb* quotient) {
  DivideMovedLimbs(u, uCount, 0, v, vCount, quotient);
}

namespace {

// Gives up the zero limbs at the top, so that the number is normalised.
void TrimTop(LimbNumber* number) {
  // Counted in a local: a limb may alias the count (uint32_t and int32_t), so
  // a loop on the member would store and reload it every step.
  int32_t count = number->count;
  while (count > 0 && number->limbs[count - 1] == 0) --count;
  number->count = count;
}

void MakeZero(LimbNumber* number) {
  number->fracLimbs = 0;
  number->count = 0;
  number->isNegative = 0;
  number->isInfinite = 0;
}

// --- Text in ---------------------------------------------------------------------

// The value of the count (1 to kEightDigits) digit characters at chars
// followed by kEightDigits - count zeros, read as one word: the bytes after
// the digits are cleared once the characters are digits (the digits borrow
// nothing from the bytes above them).
Limb LeadingDigitsValue(const char* chars, const int32_t count) {
  const Word digits = (LoadLittle(chars) - kZeroChars) & (~Word{0} >> (kByteBits * (kEightDigits - count)));
  return EightDigitsValue(digits);
}

// The value of the count (1 to kEightDigits) digit characters that end at
// end, read as the word that ends there: the bytes before the digits are
// shifted out before '0' is taken from the digits (a byte below '0' there
// would borrow from them).
Limb TrailingDigitsValue(const char* end, const int32_t count) {
  const int32_t others = kByteBits * (kEightDigits - count);
  const Word chars = LoadLittle(end - kWordBytes) >> others << others;
  return EightDigitsValue(chars - (kZeroChars << others));
}

// The value of nine digit characters: the first by itself, the other eight a word.
Limb NineCharsValue(const char* chars) {
  const Word digits = LoadLittle(chars + 1) - kZeroChars;
  return static_cast<Limb>(chars[0] - '0') * kPowersOfTen[kEightDigits] + EightDigitsValue(digits);
}

// The first character in [from, end) that is not '0', or end, a word at a
// time: nothing from end on is read.
const char* SkipLeadingZeros(const char* from, const char* end) {
  for (; end - from >= kWordBytes; from += kWordBytes) {
    const Word others = LoadLittle(from) ^ kZeroChars;
    if (others != 0) return from + LowestSetByte(others);
  }
  while (from != end && *from == '0') ++from;
  return from;
}

// Just past the last character before end that is not '0' (one lies
// behind), a word at a time: up to kWordBytes - 1 bytes before the one found
// are read.
const char* SkipTrailingZeros(const char* end) {
  for (;; end -= kWordBytes) {
    const Word others = LoadLittle(end - kWordBytes) ^ kZeroChars;
    if (others != 0) return end - kWordBytes + HighestSetByte(others) + 1;
  }
}

// The digit runs of a numeral's text: intBegin to intEnd the integer
// digits (after any sign), fracBegin to fracEnd the fraction digits (after
// the point; both at intEnd when there is none).
struct NumeralRuns {
  const char* intBegin;
  const char* intEnd;
  const char* fracBegin;
  const char* fracEnd;
};

// The runs of the front of text that the numeral grammar reads: a sign,
// digits, a point, digits. skip(from) finds the first byte at or after from
// that is not a digit, short of limit, the first byte the grammar may not
// take (nullptr when a byte that ends the text stops it).
template <typename Skip>
NumeralRuns ScanRuns(const char* text, const char* limit, const Skip skip) {
  const bool isSigned = text != limit && (*text == '-' || *text == '+');
  const char* const intBegin = text + (isSigned ? 1 : 0);
  const char* const intEnd = skip(intBegin);
  if (intEnd == limit || *intEnd != '.') return {intBegin, intEnd, intEnd, intEnd};
  return {intBegin, intEnd, intEnd + 1, skip(intEnd + 1)};
}

// One pass that matches the numeral grammar (the record parser's) and finds
// the digit runs (ScanRuns); then, refused in the order CheckNumeral refuses
// (the grammar, the integer digits, the fraction digits), or built:
// leading integer zeros and trailing fraction zeros are skipped, then the
// fraction is cut in nines from the point down (the last group, followed by
// zeros, read as a word from its first digit) and the integer in nines from
// the point up (the top group read as the word that ends at its last digit).
// Inline: the parsers are its callers, and the call costs a tenth of a numeral's parse.
inline NumeralStatus BuildLimbNumber(const char* text, const size_t length, const NumeralRuns& runs,
                                     LimbNumber* number) {
  if (runs.fracEnd != text + length) return NumeralStatus::kNotANumber;
  // A text of at most kMaxNumeralDigits bytes has no run longer.
  if (length > static_cast<size_t>(kMaxNumeralDigits)) {
    if (runs.intEnd - runs.intBegin > kMaxNumeralDigits) return NumeralStatus::kTooManyIntDigits;
    if (runs.fracEnd - runs.fracBegin > kMaxNumeralDigits) return NumeralStatus::kTooManyFracDigits;
  }
  const char* intBegin = runs.intBegin;
  const char* const intEnd = runs.intEnd;
  const char* const fracBegin = runs.fracBegin;
  const char* fracEnd = runs.fracEnd;
  // Within the integer digits: at a front's limit, more digits may follow.
  if (*intBegin == '0') intBegin = SkipLeadingZeros(intBegin, intEnd);
  if (fracEnd != fracBegin && fracEnd[-1] == '0') fracEnd = SkipTrailingZeros(fracEnd);

  const auto fracDigits = static_cast<int32_t>(fracEnd - fracBegin);
  const auto fracLimbs = static_cast<int32_t>(static_cast<uint32_t>(fracDigits + kLimbDigits - 1) / kLimbDigits);
  Limb* limb = number->limbs + fracLimbs;
  const char* c = fracBegin;
  for (; fracEnd - c >= kLimbDigits; c += kLimbDigits) *--limb = NineCharsValue(c);
  if (c != fracEnd) *--limb = LeadingDigitsValue(c, static_cast<int32_t>(fracEnd - c)) * kDecimal;
  int32_t k = fracLimbs;
  const char* top = intEnd;
  for (; top - intBegin >= kLimbDigits; top -= kLimbDigits) number->limbs[k++] = NineCharsValue(top - kLimbDigits);
  if (top != intBegin) {
    const auto count = static_cast<int32_t>(top - intBegin);
    number->limbs[k++] = TrailingDigitsValue(top, count);
  }
  number->fracLimbs = fracLimbs;
  number->count = k;
  // An integer part begins with a digit that is not 0; without one, the
  // fraction's top limbs may be 0.
  if (k == fracLimbs) TrimTop(number);
  number->isNegative = number->count > 0 && *text == '-';
  return NumeralStatus::kAccepted;
}

}  // namespace

NumeralStatus ParseLimbNumber(const char* text, const size_t length, LimbNumber* number) {
  MakeZero(number);
  if (length > static_cast<size_t>(kMaxNumeralLength)) return NumeralStatus::kNotANumber;
  // The byte that ends the text stops the runs.
  const NumeralRuns runs = ScanRuns(text, nullptr, SkipDigitsToStop);
  return BuildLimbNumber(text, length, runs, number);
}

NumeralStatus ParseLimbFront(const char* text, const size_t available, size_t* length, LimbNumber* number) {
  MakeZero(number);
  const char* const limit = text + available;
  const NumeralRuns runs = ScanRuns(text, limit, [limit](const char* from) { return SkipDigits(from, limit); });
  *length = static_cast<size_t>(runs.fracEnd - text);
  // A front longer than any numeral is judged, not built (it has been read).
  if (*length > static_cast<size_t>(kMaxNumeralLength)) return CheckNumeral(text, *length);
  return BuildLimbNumber(text, *length, runs, number);
}

// --- Sum and difference ------------------------------------------------------------

namespace {

// An operand of a sum or difference as the result sees it: its limbs lie at
// the result's indices [shift, end), and it reads as 0 elsewhere.
struct Placed {
  const Limb* limbs;
  int32_t shift;
  int32_t end;
};

Placed Place(const LimbNumber* number, const int32_t fracLimbs) {
  const int32_t shift = fracLimbs - number->fracLimbs;
  return {number->limbs, shift, shift + number->count};
}

// One limb of a + b (kSubtract: a - b) with the carry (borrow) in, which the
// carry out replaces.
template <bool kSubtract>
Limb CombineLimb(const Limb a, const Limb b, Limb* carry) {
  if (kSubtract) {
    const Limb subtrahend = b + *carry;
    *carry = a < subtrahend ? 1 : 0;
    return a + *carry * kLimbBase - subtrahend;
  }
  const Limb sum = a + b + *carry;
  *carry = sum >= kLimbBase ? 1 : 0;
  return sum - *carry * kLimbBase;
}

// The result's limbs [from, to) of x + y (kSubtract: x - y), where x has
// limbs throughout when kHasX and reads as 0 otherwise, and so y.
template <bool kSubtract, bool kHasX, bool kHasY>
void CombineRun(const Placed& x, const Placed& y, const int32_t from, const int32_t to, Limb* carry, Limb* out) {
  for (int32_t k = from; k < to; ++k) {
    out[k] = CombineLimb<kSubtract>(kHasX ? x.limbs[k - x.shift] : 0, kHasY ? y.limbs[k - y.shift] : 0, carry);
  }
}

// Up to this many limbs, a sum or difference reads each operand from a copy
// at its place among zeros: finding the runs costs more than the copies.
constexpr int32_t kShortCombineLimbs = 6;

// A short operand's copy: a block of zeros, its limbs as a block at its place
// (a whole block read from them, within a number's room), and a block of
// zeros over whatever that block took past them. Fixed-size blocks are a few
// vector moves, and the sum then reads limbs with no test of where they lie
// (a test whose outcome is as random as the operands' lengths).
constexpr int32_t kShortBlockLimbs = 8;
constexpr int32_t kShortRoomLimbs = kShortCombineLimbs + kShortBlockLimbs;
static_assert(kShortBlockLimbs > kShortCombineLimbs && kShortBlockLimbs <= kNumberLimbs,
              "a block covers any short operand's limbs and the zeros below and above them");

void PlaceShort(const Placed& x, Limb* room) {
  std::fill_n(room, kShortBlockLimbs, 0);
  std::copy_n(x.limbs, kShortBlockLimbs, room + x.shift);
  std::fill_n(room + x.end, kShortBlockLimbs, 0);
}

// result = |left| + |right| (kSubtract: |left| - |right|, with |left| >=
// |right|), schoolbook with carries (borrows) from the lowest limb up, both
// operands aligned on the result's point. Beyond kShortCombineLimbs, the
// limbs are taken in runs between the operands' edges, in each of which
// either operand has limbs throughout or none.
template <bool kSubtract>
inline void CombineMagnitudes(const LimbNumber* left, const LimbNumber* right, LimbNumber* result) {
  const int32_t fracLimbs = std::max(left->fracLimbs, right->fracLimbs);
  const Placed x = Place(left, fracLimbs);
  const Placed y = Place(right, fracLimbs);
  const int32_t top = std::max(x.end, y.end);
  Limb carry = 0;
  if (top <= kShortCombineLimbs) {
    Limb xs[kShortRoomLimbs];
    Limb ys[kShortRoomLimbs];
    PlaceShort(x, xs);
    PlaceShort(y, ys);
    for (int32_t k = 0; k < top; ++k) result->limbs[k] = CombineLimb<kSubtract>(xs[k], ys[k], &carry);
  } else {
    for (int32_t from = 0; from < top;) {
      int32_t to = top;
      for (const int32_t edge : {x.shift, x.end, y.shift, y.end}) {
        if (edge > from && edge < to) to = edge;
      }
      const bool hasX = from >= x.shift && from < x.end;
      const bool hasY = from >= y.shift && from < y.end;
      if (hasX && hasY) {
        CombineRun<kSubtract, true, true>(x, y, from, to, &carry, result->limbs);
      } else if (hasX) {
        CombineRun<kSubtract, true, false>(x, y, from, to, &carry, result->limbs);
      } else if (hasY) {
        CombineRun<kSubtract, false, true>(x, y, from, to, &carry, result->limbs);
      } else {
        CombineRun<kSubtract, false, false>(x, y, from, to, &carry, result->limbs);
      }
      from = to;
    }
  }
  result->count = top;
  if (!kSubtract && carry != 0) result->limbs[result->count++] = carry;
  result->fracLimbs = fracLimbs;
  result->isInfinite = 0;
  TrimTop(result);
}

// result = left + right, both read with left's sign.
void AddWithLeftSign(const LimbNumber* left, const LimbNumber* right, LimbNumber* result) {
  CombineMagnitudes<false>(left, right, result);
  result->isNegative = left->isNegative;
}

// result = left - right, both read with left's sign; equal magnitudes give a
// zero without sign, as the record operation's.
void SubtractWithLeftSign(const LimbNumber* left, const LimbNumber* right, LimbNumber* result) {
  const int32_t order = CompareLimbMagnitudes(left, right);
  if (order == 0) {
    MakeZero(result);
  } else if (order < 0) {
    CombineMagnitudes<true>(right, left, result);
    result->isNegative = !left->isNegative;
  } else {
    CombineMagnitudes<true>(left, right, result);
    result->isNegative = left->isNegative;
  }
}

}  // namespace

// Both operands normalised with the same weight of the top limb: the limbs
// compare pairwise from the top; where one runs out, any non-zero limb left
// below in the other decides.
int32_t CompareLimbMagnitudes(const LimbNumber* left, const LimbNumber* right) {
  if (left->count == 0 || right->count == 0) return (left->count != 0 ? 1 : 0) - (right->count != 0 ? 1 : 0);
  const int32_t leftTop = left->count - left->fracLimbs;
  const int32_t rightTop = right->count - right->fracLimbs;
  if (leftTop != rightTop) return leftTop > rightTop ? 1 : -1;
  int32_t i = left->count - 1;
  int32_t j = right->count - 1;
  for (; i >= 0 && j >= 0; --i, --j) {
    if (left->limbs[i] != right->limbs[j]) return left->limbs[i] > right->limbs[j] ? 1 : -1;
  }
  for (; i >= 0; --i) if (left->limbs[i] != 0) return 1;
  for (; j >= 0; --j) if (right->limbs[j] != 0) return -1;
  return 0;
}

// The same table of signs as the record operations: magnitudes of one kind
// each, operands of differing signs handed to the other.
void AddLimbNumbers(const LimbNumber* left, const LimbNumber* right, LimbNumber* result) {
  if (left->isNegative == right->isNegative) {
    AddWithLeftSign(left, right, result);
  } else {
    SubtractWithLeftSign(left, right, result);
  }
}

void SubtractLimbNumbers(const LimbNumber* left, const LimbNumber* right, LimbNumber* result) {
  if (left->isNegative == right->isNegative) {
    SubtractWithLeftSign(left, right, result);
  } else {
    AddWithLeftSign(left, right, result);
  }
}

// --- Product -------------------------------------------------------------------------

// Aligned on the point, the operands' limbs multiply as integers and the
// product's point lies below both operands' fraction limbs.
void MultiplyLimbNumbers(const LimbNumber* left, const LimbNumber* right, LimbNumber* result) {
  result->fracLimbs = left->fracLimbs + right->fracLimbs;
  result->count = 0;
  if (left->count != 0 && right->count != 0) {
    MultiplyLimbs(left->limbs, left->count, right->limbs, right->count, result->limbs);
    // The product of two top limbs that are not 0 is at least 1: of the
    // product's limbs, only the top one may be 0.
    const int32_t count = left->count + right->count;
    result->count = result->limbs[count - 1] == 0 ? count - 1 : count;
  }
  result->isNegative = left->isNegative != right->isNegative;
  result->isInfinite = 0;
}

// --- Quotient --------------------------------------------------------------------------
//
// A dividend whose top digit has weight 10^(eL - 1) over a divisor whose top
// digit has 10^(eR - 1) generates its first digit at 10^(eL - eR), so the
// cut keeps s = kQuotientDigits - 1 - (eL - eR) fraction digits: the quotient
// is floor(|L| / |R| x 10^s) x 10^-s. With f = ceil(s / kLimbDigits) fraction
// limbs, floor(|L| / |R| x kLimbBase^f) has the same digits and the
// 9f - s (0 to 8) digits below them, which are cut from its lowest limb; and
// |L| / |R| x kLimbBase^f is the quotient of the operands' limbs (integers)
// with the dividend's limbs moved f + (R's fraction limbs) - (L's) limbs up
// (or, that many down, dropped: the floor of a floor is the floor). The
// divisor's low zero limbs divide out of both the same way.

namespace {

// e with the top digit of the non-zero number at weight 10^(e - 1), for the
// number's top limb of topDigits digits.
int32_t TopDigitExponent(const LimbNumber* number, const int32_t topDigits) {
  return kLimbDigits * (number->count - number->fracLimbs - 1) + topDigits;
}

// ceil(s / kLimbDigits) for either sign of s.
int32_t LimbsForDigits(const int32_t digits) {
  return digits >= 0 ? (digits + kLimbDigits - 1) / kLimbDigits : -(-digits / kLimbDigits);
}

}  // namespace

namespace {

// Divisor limbs beyond those that decide the quotient (see DivideByTopLimbs).
constexpr int32_t kGuardLimbs = 2;

// floor(u / v) from v's top limbs alone, when they decide it: u has uCount
// limbs, v vCount (top limb not zero), the quotient qCount = uCount - vCount
// + 1 limbs; true when quotient[0..qCount) is written.
//
// With keep = qCount + kGuardLimbs of v's limbs, j = vCount - keep below
// them, and one limb more of the quotient than asked for: n = floor(u B / v)
// (B = kLimbBase) and Q0 = floor(U / V), U = floor(u B / B^j) (u's limbs
// from j - 1 up) and V = floor(v / B^j). Q0 is n or n + 1: u B >= n v gives
// U >= floor(n v / B^j) >= n V; and U / V < u B / (v - B^j), which exceeds
// u B / v by less than 1 as n + 1 <= B^(qCount + 1) and v >= B^(keep + j -
// 1) = B^(qCount + 1 + j). Dropping Q0's lowest limb therefore gives
// floor(u / v) = floor(n / B) unless that limb is 0, where n may lie a unit
// below, in the limbs above; then the caller divides by all of v.
bool DivideByTopLimbs(const Limb* u, const int32_t uCount, const Limb* v, const int32_t vCount, Limb* quotient) {
  const int32_t qCount = uCount - vCount + 1;
  const int32_t keep = qCount + kGuardLimbs;
  const int32_t below = vCount - keep;  // j
  if (below < 1) return false;
  Limb top[kDividendLimbs];
  const int32_t topCount = uCount - below + 1;
  std::copy_n(u + below - 1, topCount, top);
  Limb extended[kDividendLimbs];
  DivideLimbs(top, topCount, v + below, keep, extended);
  if (extended[0] == 0) return false;
  std::copy_n(extended + 1, qCount, quotient);
  return true;
}

// The longest divisor DivideLimbNumbers packs (a limb fewer the gain).
constexpr int32_t kPackedDivisorLimbs = 5;

// out = limbs[0..count) x 10^k (k from 1 to kLimbDigits - 1), normalised:
// count or count + 1 limbs.
int32_t MultiplyByPowerOfTen(const Limb* limbs, const int32_t count, const int32_t k, Limb* out) {
  out[count] = MultiplyByLimb(kPowersOfTen[k], limbs, count, out);
  return out[count] == 0 ? count : count + 1;
}

// A short run, the most common: up to kShortRunLimbs limbs moved up by up to
// kShortShiftLimbs.
constexpr int32_t kShortRunLimbs = 8;
constexpr int32_t kShortShiftLimbs = 16;
static_assert(kShortShiftLimbs + kShortRunLimbs <= kDividendLimbs && kShortRunLimbs <= kNumberLimbs,
              "a short run's fixed-size moves stay within the dividend and its source");

// to[0..shift) = 0 and to[shift..shift + count) = limbs[0..count), from a
// number's limbs (or a copy of them) into a dividend. A short run is moved in
// fixed sizes, as a few vector moves where a library call would cost more
// than the move: the zeros reach past the shift and the limbs past the count,
// where nothing is read.
void PlaceLimbs(const Limb* limbs, const int32_t count, const int32_t shift, Limb* to) {
  if (count <= kShortRunLimbs && shift <= kShortShiftLimbs) {
    std::fill_n(to, kShortShiftLimbs, 0);
    std::copy_n(limbs, kShortRunLimbs, to + shift);
    return;
  }
  std::fill_n(to, shift, 0);
  std::copy_n(limbs, count, to + shift);
}

}  // namespace

void DivideLimbNumbers(const LimbNumber* left, const LimbNumber* right, LimbNumber* result) {
  MakeZero(result);
  if (left->count == 0) return;
  if (right->count == 0) {
    result->isInfinite = 1;
    result->isNegative = left->isNegative;
    return;
  }
  const int32_t leftTopDigits = DigitCount(left->limbs[left->count - 1]);
  const int32_t rightTopDigits = DigitCount(right->limbs[right->count - 1]);
  const int32_t kept =
      kQuotientDigits - 1 - (TopDigitExponent(left, leftTopDigits) - TopDigitExponent(right, rightTopDigits));
  const int32_t fracLimbs = LimbsForDigits(kept);
  const int32_t cut = kLimbDigits * fracLimbs - kept;
  const Limb* divisor = right->limbs;
  int32_t divisorCount = right->count;
  int32_t shift = fracLimbs + right->fracLimbs - left->fracLimbs;
  while (divisor[0] == 0) {
    ++divisor;
    --divisorCount;
    --shift;
  }
  // A short divisor whose digits would fit one limb fewer once the zeros in
  // its lowest limb are dropped is packed so: with t the digits of its top
  // limb and 10^t dividing its lowest, V = V' x 10^t, and the quotient
  // floor(L B^shift / V) is floor(L x 10^(9 - t) x B^(shift - 1) / V'), where
  // V' is V x 10^(9 - t) without its lowest limb, then 0. It pays when that
  // takes the divisor down a word: three limbs (18 + t digits, two words) to
  // two (one word), five to four (two words, not the long division). One
  // limb never packs (10^t does not divide a limb of t digits); two or four
  // divide in the same steps either way; a long divisor is not packed: its
  // quotient mostly comes from its top limbs alone.
  Limb packed[kFormLimbs + 1];
  Limb scaled[kNumberLimbs + 1];
  const Limb* dividendLimbs = left->limbs;
  int32_t dividendLimbCount = left->count;
  if (divisorCount % 2 != 0 && divisorCount <= kPackedDivisorLimbs && divisor[0] % kPowersOfTen[rightTopDigits] == 0) {
    MultiplyByPowerOfTen(divisor, divisorCount, kLimbDigits - rightTopDigits, packed);
    divisor = packed + 1;
    --divisorCount;
    dividendLimbCount = MultiplyByPowerOfTen(left->limbs, left->count, kLimbDigits - rightTopDigits, scaled);
    dividendLimbs = scaled;
    --shift;
  }
  // The quotient is below 10^(kQuotientDigits + cut), so the dividend has at
  // most a quotient's limbs more than the divisor.
  Limb dividend[kDividendLimbs];
  int32_t dividendCount;
  if (shift >= 0) {
    PlaceLimbs(dividendLimbs, dividendLimbCount, shift, dividend);
    dividendCount = shift + dividendLimbCount;
  } else {
    dividendCount = dividendLimbCount + shift;
    std::copy_n(dividendLimbs - shift, dividendCount, dividend);
  }
  // The quotient is written in place: a negative count of fraction limbs
  // puts its lowest limb -fracLimbs limbs above the point, and the quotient
  // of numerals ends within the number's room (see kNumberLimbs). Both
  // routes write quotient[0..quotientCount).
  const int32_t below = std::max(-fracLimbs, 0);
  std::fill_n(result->limbs, below, 0);
  Limb* const quotient = result->limbs + below;
  if (!DivideByTopLimbs(dividend, dividendCount, divisor, divisorCount, quotient)) {
    DivideMovedLimbs(dividend, dividendCount, std::max(shift, 0), divisor, divisorCount, quotient);
  }
  const int32_t quotientCount = dividendCount - divisorCount + 1;
  quotient[0] -= quotient[0] % kPowersOfTen[cut];
  result->fracLimbs = std::max(fracLimbs, 0);
  result->count = below + quotientCount;
  TrimTop(result);
  result->isNegative = left->isNegative != right->isNegative;
}

// --- Text out ------------------------------------------------------------------------

namespace {

// The characters of 000 to 999, three a number in four bytes (the fourth
// one, written past the group and always overwritten, is 0), so that one
// whole-word move writes a group; the same characters as numbers, the
// first one lowest, so that the characters of several groups are put
// together in a word by shifts, on a machine of either byte order; and each
// number's trailing zero digits among its three (3 for 0).
constexpr int32_t kGroupDigits = 3;
constexpr int32_t kGroupBytes = 4;
constexpr Limb kGroupScale = 1000;
struct DigitGroups {
  char chars[kGroupScale * kGroupBytes];
  uint32_t words[kGroupScale];
  uint8_t trailingZeros[kGroupScale];
};
constexpr DigitGroups MakeDigitGroups() {
  DigitGroups groups{};
  for (Limb n = 0; n < kGroupScale; ++n) {
    const char digits[kGroupDigits] = {static_cast<char>('0' + n / 100), static_cast<char>('0' + n / 10 % 10),
                                       static_cast<char>('0' + n % 10)};
    for (int32_t i = 0; i < kGroupDigits; ++i) {
      groups.chars[kGroupBytes * n + i] = digits[i];
      groups.words[n] |= static_cast<uint32_t>(digits[i]) << (kByteBits * i);
    }
    while (groups.trailingZeros[n] < kGroupDigits && digits[kGroupDigits - 1 - groups.trailingZeros[n]] == '0') {
      ++groups.trailingZeros[n];
    }
  }
  return groups;
}
constexpr DigitGroups kDigitGroups = MakeDigitGroups();

// limb / 10^6 in fixed point: kGroupShift fraction bits, scaled by
// kScaleToTop = ceil(2^54 / 10^6).
constexpr int32_t kGroupShift = 54;
constexpr Wide kFractionMask = (Wide{1} << kGroupShift) - 1;
constexpr Limb kTopGroupWeight = 1000000;
constexpr Wide kScaleToTop = ((Wide{1} << kGroupShift) + kTopGroupWeight - 1) / kTopGroupWeight;
static_assert(kScaleToTop <= UINT64_MAX / (kLimbBase - 1) && kFractionMask <= UINT64_MAX / kGroupScale,
              "the fixed-point steps stay within 64 bits");

// A limb's groups are taken a step at a time, top first: TopGroup gives the
// top group and leaves the rest of limb / 10^6 in *rest, and each NextGroup
// gives the next group and leaves the rest after it.
//
// t = limb x kScaleToTop is limb / 10^6 with the top group above bit 54, and
// each multiplication of the fraction bits by 1000 brings the next group
// above it. t exceeds the exact limb x 2^54 / 10^6 by less than limb < 10^9,
// an excess 1000^k x 10^9 after k groups, while the exact value lies at
// least 1000^k x 2^54 / 10^6 > 1.8 x 1000^k x 10^10 below the next group's
// step: no group comes out too high.
Wide TopGroupPortable(const Limb limb, Wide* rest) {
  const Wide t = limb * kScaleToTop;
  *rest = t & kFractionMask;
  return t >> kGroupShift;
}
Wide NextGroupPortable(Wide* rest) {
  const Wide t = *rest * kGroupScale;
  *rest = t & kFractionMask;
  return t >> kGroupShift;
}

#if RAVUR_DOUBLE_WORDS
// The same steps in 64.64 fixed point: limb x ceil(2^64 / 10^6) holds the
// top group in its high word and the rest in its low word, and one
// multiplication of the low word by 1000 gives the next group and rest, with
// no masking. The excess is below 10^9 x 1000^k after k groups, far below
// the 2^64 / 1000 x 1000^k between two steps of the group.
Wide TopGroup(const Limb limb, Wide* rest) {
  constexpr Wide kScale = static_cast<Wide>((DoubleWord{1} << kWordBits) / kTopGroupWeight) + 1;
  const TwoWords t = MultiplyWords(limb, kScale);
  *rest = t.low;
  return t.high;
}
Wide NextGroup(Wide* rest) {
  const TwoWords t = MultiplyWords(*rest, kGroupScale);
  *rest = t.low;
  return t.high;
}
#else
Wide TopGroup(const Limb limb, Wide* rest) { return TopGroupPortable(limb, rest); }
Wide NextGroup(Wide* rest) { return NextGroupPortable(rest); }
#endif

}  // namespace

LimbGroups GroupsOfLimbPortable(const Limb limb) {
  Wide rest = 0;
  const Wide top = TopGroupPortable(limb, &rest);
  const Wide middle = NextGroupPortable(&rest);
  return {top, middle, NextGroupPortable(&rest)};
}

LimbGroups GroupsOfLimb(const Limb limb) {
  Wide rest = 0;
  const Wide top = TopGroup(limb, &rest);
  const Wide middle = NextGroup(&rest);
  return {top, middle, NextGroup(&rest)};
}

namespace {

// Writes the group's three characters, a whole-word move that writes one
// byte past them.
void WriteGroup(const Wide group, char* out) {
  std::memcpy(out, kDigitGroups.chars + kGroupBytes * group, kGroupBytes);
}

// Writes the nine digits of a limb, leading zeros included, and returns its
// groups. Each group is written as soon as it is found, while its index is
// still in the register the multiplication left it in; each group's move
// writes one byte past it, which the next group (or what follows the limb)
// overwrites.
LimbGroups WriteGroupsOf(const Limb limb, char* out) {
  Wide rest = 0;
  const Wide top = TopGroup(limb, &rest);
  WriteGroup(top, out);
  const Wide middle = NextGroup(&rest);
  WriteGroup(middle, out + kGroupDigits);
  const Wide bottom = NextGroup(&rest);
  WriteGroup(bottom, out + 2 * kGroupDigits);
  return {top, middle, bottom};
}

char* WriteNineDigits(const Limb limb, char* out) {
  WriteGroupsOf(limb, out);
  return out + kLimbDigits;
}

// Writes limbs[from], limbs[from - 1], ... limbs[to], nine digits each.
char* WriteLimbs(const Limb* limbs, const int32_t from, const int32_t to, char* out) {
  // Unrolled: the loop's own steps would be a fifth of each limb's.
#pragma GCC unroll 4
  for (int32_t k = from; k >= to; --k) out = WriteNineDigits(limbs[k], out);
  return out;
}

// WriteLimbs for an integer part's limbs below its leading one: few, in a
// number of any size up to the widest, and a loop unrolled for many would
// enter it by a jump chosen by their count, as random as the results'
// magnitudes.
char* WriteFewLimbs(const Limb* limbs, const int32_t from, const int32_t to, char* out) {
#pragma GCC unroll 1
  for (int32_t k = from; k >= to; --k) out = WriteNineDigits(limbs[k], out);
  return out;
}

// Writes a non-zero limb without its leading zeros: its first eight
// characters, put together in a word as its groups are found (the bottom
// group's last character falls out of it), shifted down past those zeros,
// then its last character after them. Up to eight bytes past the last digit
// are written. The word is put together from the groups, not read from
// characters just written: a word read across the separate moves of the
// groups would wait for them to reach memory.
char* WriteLeadingLimb(const Limb limb, char* out) {
  Wide rest = 0;
  Word chars = kDigitGroups.words[TopGroup(limb, &rest)];
  chars |= Word{kDigitGroups.words[NextGroup(&rest)]} << (kGroupDigits * kByteBits);
  const Wide bottom = NextGroup(&rest);
  chars |= Word{kDigitGroups.words[bottom]} << (2 * kGroupDigits * kByteBits);
  const int32_t zeros = kLimbDigits - DigitCount(limb);  // 0 to 8
  // In two halves: all eight characters shift out of a limb of one digit.
  const int32_t halfShift = kByteBits / 2 * zeros;
  StoreLittle(out, chars >> halfShift >> halfShift);
  out[kLimbDigits - 1 - zeros] = kDigitGroups.chars[kGroupBytes * bottom + kGroupDigits - 1];
  return out + kLimbDigits - zeros;
}

// Writes the nine digits of a non-zero limb and ends the text after the last
// one that is not '0'. Its trailing zeros are the bottom group's, and when
// that group is 0 (3 zeros) the middle group's too, and so on: added under
// masks, not chosen by branches, as the zeros of a result's last limb are
// as random as its digit count.
char* WriteTrailingLimb(const Limb limb, char* out) {
  const LimbGroups groups = WriteGroupsOf(limb, out);
  const uint32_t bottomIsZero = 0u - (groups.bottom == 0 ? 1u : 0u);
  const uint32_t middleIsZero = 0u - (groups.middle == 0 ? 1u : 0u);
  const uint32_t zeros =
      kDigitGroups.trailingZeros[groups.bottom] +
      ((kDigitGroups.trailingZeros[groups.middle] + (kDigitGroups.trailingZeros[groups.top] & middleIsZero)) &
       bottomIsZero);
  return out + kLimbDigits - zeros;
}

}  // namespace

size_t FormatLimbNumber(const LimbNumber* number, char* buffer) {
  // The sign written, and then kept or written over, with no branch: result
  // signs are as random as the operands'.
  char* out = buffer;
  *out = '-';
  out += number->isNegative;
  if (number->isInfinite) {
    std::memcpy(out, kInfiniteText, sizeof kInfiniteText);
    return static_cast<size_t>(out - buffer) + sizeof kInfiniteText - 1;
  }
  const int32_t count = number->count;
  const int32_t fracLimbs = number->fracLimbs;
  if (count > fracLimbs) {
    out = WriteLeadingLimb(number->limbs[count - 1], out);
    out = WriteFewLimbs(number->limbs, count - 2, fracLimbs, out);
  } else {
    *out++ = '0';
  }
  const int32_t inUse = std::min(count, fracLimbs);  // fraction limbs in use
  int32_t lowest = 0;
  while (lowest < inUse && number->limbs[lowest] == 0) ++lowest;
  if (lowest < inUse) {
    *out++ = '.';
    // The fraction's leading zero limbs, not in use, then the limbs in use.
    const auto zeros = static_cast<size_t>(kLimbDigits * (fracLimbs - inUse));
    if (zeros > 0) std::memset(out, '0', zeros);
    out = WriteLimbs(number->limbs, inUse - 1, lowest + 1, out + zeros);
    out = WriteTrailingLimb(number->limbs[lowest], out);
  }
  *out = '\0';
  return static_cast<size_t>(out - buffer);
}

}  // namespace ravur::detail
