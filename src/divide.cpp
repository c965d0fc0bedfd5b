#include "divide.h"

#include <algorithm>

namespace ravur::detail {

// The division of limbs: quotient = floor(u / v), u of m limbs, v of n limbs
// (B = kLimbBase the limb radix, v's top limb not 0), one quotient limb a
// step from the top. Every step divides a window of u's limbs by v, the
// window being the previous step's remainder with u's next limb below it.
//
// Routes, by the divisor's length:
//   n = 1   DivideByLimb: short division (TAOCP vol. 2, 4.3.1, exercise 16),
//           each step one DivideLimbSum of remainder x B + u[j] by v.
//   n = 2   DivideByTwoLimbs: Algorithm D below, after its D1, the remainder
//           held as two limbs and each step's estimate corrected on it
//           directly.
//   n >= 3  DivideLong: Knuth's Algorithm D (TAOCP vol. 2, 4.3.1) in the
//           radix B: D1 scales v and u by d = floor(B / (v[n-1] + 1)); each
//           step estimates its quotient limb from the window's top two limbs
//           over v's top limb (D3), subtracts that multiple of v (D4) and
//           adds v back once when it went below zero (D6). The windows are
//           held complemented (4), which makes D4 a multiply-add.
// Every route stops at a zero remainder with only zero limbs of u below it,
// the quotient's limbs below being 0.
//
// The bounds each route relies on, each margin a static_assert:
//  (1) B < 2^(kLimbBits - 2) (words.h). A remainder r < v makes
//      r x B + u[j] < v x B < v x 2^kLimbBits: DivideLimbSum takes it, and
//      its quotient is below B.
//  (2) D1: with d = floor(B / (v[n-1] + 1)), the scaled top limb is at least
//      floor(B / 2) (Knuth's choice of d, 4.3.1), and d x v < B^n: v stays n
//      limbs and u gains one, u[m].
//  (3) D3: a window w[0..n] below v x B has w[n] <= v[n-1]. For w[n] < v[n-1],
//      w[n] x B + w[n-1] < v[n-1] x B: the estimate q' is one division (1),
//      and for w[n] = v[n-1] it is B - 1, with the rest w[n-1] + v[n-1]
//      below 2B. Lowered while q' x v[n-2] > rest x B + w[n-2], q' is the
//      quotient limb q or q + 1 (Theorem B and exercise 4.3.1-20, for the
//      scaled v of (2)). The test is false once rest >= q', as v[n-2] < B
//      makes q' x v[n-2] < q' x B <= rest x B; a rest below q' is below B.
//  (4) D4 on the complemented window: w[0..n] is held as w' = B^(n+1) - 1 -
//      w, each limb w'[i] = (B - 1) - w[i], so w - q' x v is the complement
//      of w' + q' x v: a sum, no borrows. With the carry in c <= B, a limb's
//      sum q' x v[i] + (w'[i] + c) is at most (B - 1)^2 + (B - 1) + B = B^2,
//      with w'[i] + c < 2B, as MultiplyAddSplit takes it: its low limb is
//      the limb and its high one, at most B, the carry out. The split
//      estimates from q' and v[i] alone, so that only the additions and
//      comparisons after it wait for the carry. The difference is below zero
//      when the sum reaches B^(n+1): when the carry out of limb n-1 and
//      w'[n] add up to B or more. A zero window is all limbs B - 1, and u's
//      zero limbs below low as well.
//  (5) D6: after (3) the difference is -e, 0 < e < v, and the n limbs below
//      the top hold (B^(n+1) - 1 + e) mod B^n = e - 1; less v modulo B^n
//      (the borrow out of the top dropped) they hold B^n - 1 - (v - e), the
//      complement of the remainder v - e in [0, v).
//  (6) n = 2 (DivideByTwoLimbs): the remainder r < v = v1 x B + v0 < (v1 +
//      1) x B, read as r1 x B + r0 (r1 <= v1). The estimate from r over v1
//      alone, without (3)'s test, is q, q + 1 or q + 2 (Theorem B); for r1
//      < v1, r < v1 x B < v1 x 2^kLimbBits, so DivideLimbSum takes it (1).
//      Its rest' is below 2B, so rest' x B + u[j] < 2B^2, and q' x v0 <
//      B^2; the window is raised by v < B^2 at most twice until it reaches
//      q' x v0: every value stays below 4B^2, within a LimbSum.

namespace {

constexpr Limb kTop = kLimbBase - 1;
constexpr LimbSum kLargestSum = LimbSum{kTop} * kTop + kLimbBase + kTop;  // (4)
static_assert(kLargestSum < LimbSum{kLimbBase} << kLimbBits && kLargestSum / kLimbBase <= kLimbBase &&
                  LimbSum{kLimbBase} + kTop <= ~Limb{0},
              "(4): a limb's sum in D4 is one division by B, its carry at most B, and carry plus limb a limb");
static_assert(LimbSum{kLimbBase} * kLimbBase <= ~LimbSum{0} / 4, "(6): the two-limb window below 4B^2");

// True when limbs[0..n) are all kTop: a complemented window of zeros.
bool IsTopRun(const Limb* limbs, const int32_t n) {
  return std::all_of(limbs, limbs + n, [](const Limb limb) { return limb == kTop; });
}

// Short division of u by the one-limb divisor v (bound 1); u's limbs below
// low are zero.
void DivideByLimb(const Limb* u, const int32_t uCount, const int32_t low, const Limb v, Limb* quotient) {
  Limb remainder = 0;
  for (int32_t j = uCount - 1; j >= 0; --j) {
    quotient[j] = DivideLimbSum(LimbSum{remainder} * kLimbBase + u[j], v, &remainder);
    if (remainder == 0 && j <= low) {
      std::fill_n(quotient, j, 0);
      return;
    }
  }
}

// Step D3 (bound 3): the estimate of window[0..n] / v from the top limbs
// (n >= 2, v scaled), the window held complemented.
Limb EstimateQuotientLimb(const Limb* window, const Limb* v, const int32_t n) {
  const Limb top = v[n - 1];
  const Limb w2 = kTop - window[n], w1 = kTop - window[n - 1], w0 = kTop - window[n - 2];  // w[n], w[n-1], w[n-2]
  Limb estimate = kLimbBase - 1;
  Limb rest = w1 + top;  // when w[n] is top: the rest of the estimate B - 1
  if (w2 < top) estimate = DivideLimbSum(LimbSum{w2} * kLimbBase + w1, top, &rest);
  while (rest < estimate && LimbSum{estimate} * v[n - 2] > LimbSum{rest} * kLimbBase + w0) {
    --estimate;
    rest += top;
  }
  return estimate;
}

// Step D4 (bound 4): window[0..n] -= estimate x v, adding it to the
// complemented window, fractions[i] being LimbFraction(v[i]); true when that
// went below zero. The top limb is only compared, not stored: the next
// window starts one limb lower and ends below it.
bool SubtractMultiple(Limb* window, const Limb* v, const Limb* fractions, const int32_t n, const Limb estimate) {
  Limb carry = 0;
  int32_t i = 0;
  do {
    carry = MultiplyAddSplit(estimate, v[i], fractions[i], window[i] + carry, &window[i]);
  } while (++i < n);
  return carry + window[n] > kTop;
}

// Step D6 (bound 5): window[0..n) += v, subtracting v from the complemented
// window modulo B^n.
void AddBack(Limb* window, const Limb* v, const int32_t n) {
  Limb borrow = 0;
  for (int32_t i = 0; i < n; ++i) {
    const Limb sub = v[i] + borrow;
    borrow = window[i] < sub ? 1 : 0;
    window[i] = window[i] - sub + borrow * kLimbBase;
  }
}

// Algorithm D for n = 2 (bound 6), the remainder held as one LimbSum r and
// each step's D3 and D4 fused: the estimate q' of r / v1 leaves rest' = r -
// q' x v1, and the window less q' x v, the next remainder, is rest' x B +
// u[j] - q' x v0. The remainder is never split into limbs: the next estimate
// divides it whole.
void DivideByTwoLimbs(const Limb* u, const int32_t uCount, const int32_t low, const Limb* v, Limb* quotient) {
  const LimbSum divisor = LimbSum{v[1]} * kLimbBase + v[0];
  const LimbSum topOfLargest = LimbSum{v[1]} * kLimbBase;  // r from here on has the top limb v1
  LimbSum remainder = LimbSum{u[uCount]} * kLimbBase + u[uCount - 1];
  for (int32_t j = uCount - 2; j >= 0; --j) {
    Limb estimate = kLimbBase - 1;
    Limb rest = 0;
    if (remainder < topOfLargest) {
      estimate = DivideLimbSum(remainder, v[1], &rest);
    } else {
      rest = static_cast<Limb>(remainder - LimbSum{estimate} * v[1]);
    }
    LimbSum window = LimbSum{rest} * kLimbBase + u[j];
    const LimbSum subtrahend = LimbSum{estimate} * v[0];
    while (window < subtrahend) {
      --estimate;
      window += divisor;
    }
    quotient[j] = estimate;
    remainder = window - subtrahend;
    if (remainder == 0 && j <= low) {
      std::fill_n(quotient, j, 0);
      return;
    }
  }
}

// Algorithm D for n >= 2; u's limbs below low are zero, and stay so when
// scaled (no carry reaches them) and below each window: for n >= 3, whose
// windows are complemented, they are B - 1.
void DivideLong(Limb* u, const int32_t uCount, const int32_t low, const Limb* v, const int32_t n, Limb* quotient) {
  // Step D1 (bound 2), and the dividend complemented (bound 4).
  const Limb scale = kLimbBase / (v[n - 1] + 1);
  const Limb scaleFraction = LimbFraction(scale);
  Limb scaled[kDividendLimbs];
  if (n == 2) {
    u[uCount] = 0;
    if (scale > 1) {
      ScaleLimbs(v, n, scale, scaleFraction, scaled);
      v = scaled;
      u[uCount] = ScaleLimbs(u + low, uCount - low, scale, scaleFraction, u + low);
    }
    DivideByTwoLimbs(u, uCount, low, v, quotient);
    return;
  }
  ScaleLimbs(v, n, scale, scaleFraction, scaled);
  Limb fractions[kDividendLimbs];
  std::transform(scaled, scaled + n, fractions, LimbFraction);
  std::fill_n(u, low, kTop);
  Limb carry = 0;
  for (int32_t i = low; i < uCount; ++i) {
    Limb limb;
    carry = MultiplyAddSplit(u[i], scale, scaleFraction, carry, &limb);
    u[i] = kTop - limb;
  }
  u[uCount] = kTop - carry;
  for (int32_t j = uCount - n; j >= 0; --j) {
    Limb* const window = u + j;
    Limb estimate = EstimateQuotientLimb(window, scaled, n);
    if (SubtractMultiple(window, scaled, fractions, n, estimate)) {
      --estimate;
      AddBack(window, scaled, n);
    }
    quotient[j] = estimate;
    if (window[n - 1] == kTop && j <= low && IsTopRun(window, n)) {
      std::fill_n(quotient, j, 0);
      return;
    }
  }
}

}  // namespace

void DivideMovedLimbs(Limb* u, const int32_t uCount, const int32_t zeroLimbs, const Limb* v, const int32_t vCount,
                      Limb* quotient) {
  int32_t low = zeroLimbs;
  while (low < uCount && u[low] == 0) ++low;
  if (vCount == 1) {
    DivideByLimb(u, uCount, low, v[0], quotient);
  } else {
    DivideLong(u, uCount, low, v, vCount, quotient);
  }
}

}  // namespace ravur::detail
