#include "limbs.h"
#include "words.h"

#include <algorithm>
#include <cstring>

namespace ravur::detail {

namespace {

constexpr Limb kDecimal = 10;

// Eight decimal digits a word (words.h).
constexpr int32_t kEightDigits = 8;

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
}  // namespace

void MultiplyLimbs(const Limb* a, const int32_t aCount, const Limb* b, const int32_t bCount, Limb* product) {
  Wide columns[kProductLimbs];
  std::fill_n(columns, aCount + bCount, 0);
  for (int32_t first = 0; first < aCount; first += kRowsPerBlock) {
    const int32_t last = std::min(first + kRowsPerBlock, aCount);
    for (int32_t i = first; i < last; ++i) {
      const Wide factor = a[i];
      Wide* row = columns + i;
      for (int32_t k = 0; k < bCount; ++k) row[k] += factor * b[k];
    }
    // Every column this block reached back below the radix; the rows so far
    // form a number of at most last + bCount limbs, so nothing carries out.
    Wide carry = 0;
    for (int32_t j = first; j < last + bCount; ++j) {
      const Wide value = columns[j] + carry;
      carry = value / kLimbBase;
      columns[j] = value - carry * kLimbBase;
    }
  }
  std::copy_n(columns, aCount + bCount, product);
}

// --- Division ----------------------------------------------------------------
//
// Long division of limbs, TAOCP vol. 2, 4.3.1, Algorithm D, with the decimal
// radix kLimbBase. A divisor of one or two limbs takes the short division
// instead.

namespace {

// True when limbs[0..n) are all zero.
bool IsZeroRun(const Limb* limbs, const int32_t n) {
  return std::all_of(limbs, limbs + n, [](const Limb limb) { return limb == 0; });
}

// A divisor of at most two limbs, below kLimbBase^2 = 10^18 < 2^60, fits one
// Wide; each step of the short division below then divides remainder x
// kLimbBase + u[j], below v x kLimbBase, which the Step type holds: Wide for
// a one-limb divisor (below 10^18), DoubleWide for a two-limb one (below
// 10^27 < 2^90, a 128-by-64-bit division whose quotient fits one limb).
// Without a 128-bit integer type a two-limb divisor takes Algorithm D, as a
// longer one does.
#if !defined(CALC_PORTABLE_ARITHMETIC) && defined(__SIZEOF_INT128__)
#define RAVUR_DOUBLE_WIDE 1
__extension__ typedef unsigned __int128 DoubleWide;
constexpr int32_t kShortDivisorLimbs = 2;
#else
#define RAVUR_DOUBLE_WIDE 0
#endif

// Short division (TAOCP vol. 2, 4.3.1, exercise 16) of u by the non-zero
// divisor v, into a cleared quotient: a zero remainder with only zero limbs
// below it leaves the quotient's remaining limbs as they are.
template <typename Step>
void DivideShort(const Limb* u, const int32_t uCount, const Wide v, Limb* quotient) {
  Wide remainder = 0;
  for (int32_t j = uCount - 1; j >= 0; --j) {
    const Step value = static_cast<Step>(remainder) * kLimbBase + u[j];
    const auto digit = static_cast<Limb>(value / v);
    quotient[j] = digit;
    remainder = static_cast<Wide>(value - static_cast<Step>(digit) * v);
    if (remainder == 0 && IsZeroRun(u, j)) return;
  }
}

// limbs[0..count) x= factor, returning the limb carried out of the top.
Limb MultiplyByLimb(Limb* limbs, const int32_t count, const Limb factor) {
  Wide carry = 0;
  for (int32_t i = 0; i < count; ++i) {
    const Wide value = static_cast<Wide>(limbs[i]) * factor + carry;
    carry = value / kLimbBase;
    limbs[i] = static_cast<Limb>(value - carry * kLimbBase);
  }
  return static_cast<Limb>(carry);
}

// Step D3: the estimate of the quotient limb of the window u[0..n] over v,
// from the window's top two limbs and v's top limb, lowered while v's top
// two limbs show it too high, that is while it exceeds the window's top three
// limbs over them. It is then never too low, and at most one too high (v's
// top limb being at least half the radix). It may start at the radix or one
// above, which the 64-bit products hold; once rest reaches the radix the test
// fails, so it is lowered at most twice.
Wide EstimateQuotientLimb(const Limb* window, const Limb* v, const int32_t n) {
  const Wide top = static_cast<Wide>(window[n]) * kLimbBase + window[n - 1];
  Wide estimate = top / v[n - 1];
  Wide rest = top - estimate * v[n - 1];
  while (estimate * v[n - 2] > rest * kLimbBase + window[n - 2]) {
    --estimate;
    rest += v[n - 1];
  }
  return estimate;
}

// Step D4: window[0..n] -= estimate x v; true when that went below zero.
// The carry from one limb to the next, 0 down to -kLimbBase, is kept with
// kBias added: the limb's value plus the bias, from 0 (an estimate of the
// radix itself) up to below 2 x kBias, is then split by one unsigned
// division, its quotient being the biased carry out. The top limb is only compared, not stored: the next
// window starts one limb lower and ends below it.
bool SubtractMultiple(Limb* window, const Limb* v, const int32_t n, const Wide estimate) {
  constexpr Wide kBias = Wide{kLimbBase} * kLimbBase;
  Wide biasedCarry = kBias;
  for (int32_t i = 0; i < n; ++i) {
    const Wide value = biasedCarry + window[i] - estimate * v[i];
    const Wide high = value / kLimbBase;
    window[i] = static_cast<Limb>(value - high * kLimbBase);
    biasedCarry = high + (kBias - kLimbBase);
  }
  return biasedCarry + window[n] < kBias;
}

// Step D6: window[0..n) += v, after a subtraction that went below zero by
// less than v; the carry out of the top cancels that deficit.
void AddBack(Limb* window, const Limb* v, const int32_t n) {
  Limb carry = 0;
  for (int32_t i = 0; i < n; ++i) {
    const Limb sum = window[i] + v[i] + carry;
    carry = sum >= kLimbBase ? 1 : 0;
    window[i] = sum - carry * kLimbBase;
  }
}

}  // namespace

void DivideLimbs(Limb* u, const int32_t uCount, const Limb* v, const int32_t vCount, Limb* quotient) {
  std::fill_n(quotient, uCount - vCount + 1, 0);  // an exact division stops early
  if (vCount == 1) {
    DivideShort<Wide>(u, uCount, v[0], quotient);
    return;
  }
#if RAVUR_DOUBLE_WIDE
  if (vCount == kShortDivisorLimbs) {
    DivideShort<DoubleWide>(u, uCount, static_cast<Wide>(v[1]) * kLimbBase + v[0], quotient);
    return;
  }
#endif
  // Step D1: scale both by the factor that brings v's top limb to at least
  // kLimbBase / 2 (the quotient does not change), so that each estimate
  // below starts at most two too high and is lowered at most twice.
  const Limb factor = kLimbBase / (v[vCount - 1] + 1);
  Limb divisor[kFormLimbs];
  std::copy_n(v, vCount, divisor);
  MultiplyByLimb(divisor, vCount, factor);
  int32_t low = 0;  // u's limbs below low are zero, and stay so below each window
  while (low < uCount && u[low] == 0) ++low;
  u[uCount] = MultiplyByLimb(u + low, uCount - low, factor);
  // Steps D2 to D7: one quotient limb per window, from the top.
  for (int32_t j = uCount - vCount; j >= 0; --j) {
    Limb* window = u + j;
    Wide estimate = EstimateQuotientLimb(window, divisor, vCount);
    if (SubtractMultiple(window, divisor, vCount, estimate)) {
      --estimate;
      AddBack(window, divisor, vCount);
    }
    quotient[j] = static_cast<Limb>(estimate);
    // A zero remainder with nothing but zeros below it: the quotient is exact.
    if (window[vCount - 1] == 0 && j <= low && IsZeroRun(window, vCount)) return;
  }
}

}  // namespace ravur::detail
