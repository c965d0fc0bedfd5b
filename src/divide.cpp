#include "divide.h"

#include <algorithm>

namespace ravur::detail {

// The division of limbs: quotient = floor(u / v), u of m limbs, v of n limbs
// (B = kLimbBase = 10^9 the limb radix, v's top limb not 0).
//
// Routes, by the divisor. Where a 128-bit integer type is at hand
// (RAVUR_DOUBLE_WORDS), in the pair radix P = B^2 = 10^18, two limbs a digit:
//   v < 2^64 (n <= 2, or n = 3 below 2^64)  DivideByOneWord: short division,
//                                           each pair one two-word-by-one-word
//                                           division (divq on x86-64);
//   2^64 <= v, n <= 4                       DivideByTwoWords: short division,
//                                           each pair one three-word-by-two-
//                                           word division by a reciprocal
//                                           (Moller and Granlund), no division
//                                           instruction;
//   n > 4                                   DividePairs: Knuth's Algorithm D
//                                           (TAOCP vol. 2, 4.3.1) in radix P.
// Elsewhere, in the limb radix B (DivideInLimbRadix):
//   n = 1                                   DivideShort<1>: one 64-by-64-bit
//                                           division a limb;
//   n = 2                                   DivideShort<2>: each limb estimated
//                                           in doubles, corrected once;
//   n >= 3                                  Algorithm D, each quotient limb
//                                           estimated in doubles from the top
//                                           limbs, without D1's scaling.
// Every route may stop at a zero remainder with only zero limbs of u below
// it, the quotient's limbs below being 0.
//
// The bounds each route relies on, each margin a static_assert where it is
// used:
//  (1) P = 10^18 < 2^60: a pair fits a word. For v < 2^64 the remainder is
//      below v, so remainder x P + pair < v x P < v x 2^64: its quotient pair
//      is below P, one word, as divq requires (its high word below v).
//  (2) n <= 4: v < B^4 = 10^36 < 2^120, two words; remainder x P + pair <
//      v x P < 2^180, three words, with a quotient pair < P (Algorithm 5's
//      precondition: the top two words below v).
//  (3) DividePairs: after D1 scales v's top pair to at least P / 2, Knuth's
//      estimate from the top two pairs, tested against the third, is the
//      quotient pair or one above it (Theorem B and exercise 4.3.1-20); D6
//      adds v back once.
//  (4) DivideShort<2>: v < B^2 = 10^18, value = remainder x B + limb < v x B,
//      value / v < B. Five roundings of 2^-53 each put the estimate within
//      B x 5 x 2^-53 < 10^-6 of value / v, so its integer part is q - 1, q
//      or q + 1, and the rest value - estimate x v in [-v, 2v) fits 62 bits,
//      found exactly modulo 2^64.
//  (5) Algorithm D in radix B: with the top 3 limbs of v read as V (V >= B^2)
//      and the window's top 4 limbs as W', q = floor(W / v) <= W / v <
//      (W' + 1) / V, which exceeds W / v by less than (B + 2) / V <= (B + 2)
//      / B^2 < 10^-8. (W' + 1) x (1 / V) in doubles is off by a relative 2^-48
//      at most (16 roundings), below 2B x 2^-48 < 10^-5 for a value below 2B.
//      Adding the margin M = 1/1024 > 10^-8 + 10^-5, floor(estimate + M) is
//      at least q; and below q + 1 + 10^-8 + 10^-5 + M < q + 2, so at most
//      q + 1: D6's one add-back corrects it, as after Knuth's own estimate.

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

// Bound (4): the estimate's error, and the rest's room in a signed word.
constexpr double kDoubleUnit = 1.0 / 9007199254740992.0;  // 2^-53
static_assert(kLimbBase * 5 * kDoubleUnit < 1e-6, "(4): a two-limb quotient limb estimated within 10^-6");
static_assert(2 * (Wide{kLimbBase} * kLimbBase) < (Wide{1} << 62), "(4): the rest in [-v, 2v) fits a signed word");

// The quotient limb of value = remainder x kLimbBase + limb by a two-limb
// divisor v (remainder below v), estimated in doubles as value x (1 / v)
// (bound 4), then corrected by one step on the rest, found modulo 2^64.
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
// kEstimateLimbs limbs of v and one more of the window (bound 5), so that
// D1's scaling is not needed. q is below B, so the estimate is at most B.
constexpr int32_t kEstimateLimbs = 3;
static_assert(kEstimateLimbs == kShortDivisorLimbs + 1, "every longer divisor has the limbs the estimate reads");
constexpr double kEstimateMargin = 1.0 / 1024;
constexpr double kTopLimbsError = (kLimbBase + 2.0) / (static_cast<double>(kLimbBase) * kLimbBase);
constexpr double kRoundingError = 2.0 * kLimbBase * 32 * kDoubleUnit;  // 2B x 2^-48
static_assert(kTopLimbsError < 1e-8 && kRoundingError < 1e-5, "(5): the estimate's two errors");
static_assert(kEstimateMargin > kTopLimbsError + kRoundingError && kTopLimbsError + kRoundingError + kEstimateMargin < 1,
              "(5): the margin lifts the estimate to q at least, and to q + 1 at most");

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

void DivideInLimbRadix(Limb* u, const int32_t uCount, const Limb* v, const int32_t vCount, Limb* quotient) {
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
// kPairBase / 2 or above (bound 3).

namespace {

static_assert(kPairBase < (Wide{1} << 60), "(1): a pair fits a word, with room for a carry");
static_assert(static_cast<DoubleWord>(kPairBase) * kPairBase < (DoubleWord{1} << 120),
              "(2): a divisor of four limbs fits two words, its top byte free");

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
// In words, not in the 128-bit type: GCC passes 128-bit values through the
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
  DivideInLimbRadix(u, uCount, v, vCount, quotient);
#endif
}

}  // namespace ravur::detail
