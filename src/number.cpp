#include "number.h"

#include <algorithm>

#include "divide.h"

namespace ravur::detail {

// --- Sum and difference ------------------------------------------------------------

namespace {

// An operand of a sum or difference as the result sees it: its limbs lie at
// the result's indices [shift, end), and it reads as 0 elsewhere.
struct Placed {
  const Limb* limbs;
  int32_t shift;
  int32_t end;
};

template <int32_t kRoom>
Placed Place(const LimbsIn<kRoom>* number, const int32_t fracLimbs) {
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
constexpr int32_t kShortCombineLimbs = 5;

// A short operand's copy: a block of zeros, its limbs as a block at its place
// (a whole block read from them, within a number's room), and a block of
// zeros over whatever that block took past them. Fixed-size blocks are a few
// vector moves, and the sum then reads limbs with no test of where they lie
// (a test whose outcome is as random as the operands' lengths).
constexpr int32_t kShortBlockLimbs = 6;
constexpr int32_t kShortRoomLimbs = kShortCombineLimbs + kShortBlockLimbs;
static_assert(kShortBlockLimbs > kShortCombineLimbs && kShortBlockLimbs <= kNumberLimbs && kNumberLimbs <= kRecordLimbs,
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
template <bool kSubtract, int32_t kRoom>
inline void CombineMagnitudes(const LimbsIn<kRoom>* left, const LimbsIn<kRoom>* right, LimbsIn<kRoom>* result) {
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

}  // namespace

// Both operands normalised with the same weight of the top limb: the limbs
// compare pairwise from the top; where one runs out, any non-zero limb left
// below in the other decides.
template <int32_t kRoom>
int32_t CompareLimbMagnitudes(const LimbsIn<kRoom>* left, const LimbsIn<kRoom>* right) {
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

namespace {

// result = left + right, both read with left's sign.
template <int32_t kRoom>
void AddWithLeftSign(const LimbsIn<kRoom>* left, const LimbsIn<kRoom>* right, LimbsIn<kRoom>* result) {
  CombineMagnitudes<false, kRoom>(left, right, result);
  result->isNegative = left->isNegative;
}

// result = left - right, both read with left's sign; equal magnitudes give a
// zero without sign, as the record operation's.
template <int32_t kRoom>
void SubtractWithLeftSign(const LimbsIn<kRoom>* left, const LimbsIn<kRoom>* right, LimbsIn<kRoom>* result) {
  const int32_t order = CompareLimbMagnitudes(left, right);
  if (order == 0) {
    MakeZero(result);
  } else if (order < 0) {
    CombineMagnitudes<true, kRoom>(right, left, result);
    result->isNegative = !left->isNegative;
  } else {
    CombineMagnitudes<true, kRoom>(left, right, result);
    result->isNegative = left->isNegative;
  }
}

}  // namespace

// The same table of signs as the record operations: magnitudes of one kind
// each, operands of differing signs handed to the other.
template <int32_t kRoom>
void AddLimbNumbers(const LimbsIn<kRoom>* left, const LimbsIn<kRoom>* right, LimbsIn<kRoom>* result) {
  if (left->isNegative == right->isNegative) return AddWithLeftSign(left, right, result);
  SubtractWithLeftSign(left, right, result);
}

template <int32_t kRoom>
void SubtractLimbNumbers(const LimbsIn<kRoom>* left, const LimbsIn<kRoom>* right, LimbsIn<kRoom>* result) {
  if (left->isNegative == right->isNegative) return SubtractWithLeftSign(left, right, result);
  AddWithLeftSign(left, right, result);
}

// --- Product -------------------------------------------------------------------------

// Aligned on the point, the operands' limbs multiply as integers and the
// product's point lies below both operands' fraction limbs.
template <int32_t kRoom>
void MultiplyLimbNumbers(const LimbsIn<kRoom>* left, const LimbsIn<kRoom>* right, LimbsIn<kRoom>* result) {
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
// kLimbDigits f - s (0 to kLimbDigits - 1) digits below them, which are cut from its lowest limb; and
// |L| / |R| x kLimbBase^f is the quotient of the operands' limbs (integers)
// with the dividend's limbs moved f + (R's fraction limbs) - (L's) limbs up
// (or, that many down, dropped: the floor of a floor is the floor). The
// divisor's low zero limbs divide out of both the same way.

namespace {

// ceil(s / kLimbDigits) for either sign of s.
int32_t LimbsForDigits(const int32_t digits) {
  return digits >= 0 ? (digits + kLimbDigits - 1) / kLimbDigits : -(-digits / kLimbDigits);
}

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

// The longest divisor DivideLimbNumbers packs: two limbs or three, packed
// into one or two, for the short routes of the division.
constexpr int32_t kPackedDivisorLimbs = 3;

// out = limbs[0..count) x 10^k (k from 1 to kLimbDigits - 1), normalised:
// count or count + 1 limbs.
int32_t MultiplyByPowerOfTen(const Limb* limbs, const int32_t count, const int32_t k, Limb* out) {
  out[count] = ScaleLimbs(limbs, count, kPowersOfTen[k], LimbFraction(kPowersOfTen[k]), out);
  return out[count] == 0 ? count : count + 1;
}

}  // namespace

template <int32_t kRoom>
void DivideLimbNumbers(const LimbsIn<kRoom>* left, const LimbsIn<kRoom>* right, LimbsIn<kRoom>* result) {
  MakeZero(result);
  if (left->count == 0) return;
  if (right->count == 0) {
    result->isInfinite = 1;
    result->isNegative = left->isNegative;
    return;
  }
  const int32_t rightTopDigits = DigitCount(right->limbs[right->count - 1]);
  const int32_t kept = kQuotientDigits - 1 - (TopDigitExponent(left) - TopDigitExponent(right));
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
  // A divisor of n limbs (2 or 3) whose digits would fit n - 1 limbs once the
  // zeros in its lowest limb are dropped is packed so, for the shorter
  // route: with t the digits of its top limb and 10^t dividing its lowest,
  // V x 10^(kLimbDigits - t) = V' x B, and the quotient floor(L B^shift / V)
  // is floor(L x 10^(kLimbDigits - t) x B^(shift - 1) / V'). (A divisor of
  // one limb never passes the test: its limb is below 10^t.) A longer
  // divisor is not packed: its quotient mostly comes from its top limbs
  // alone.
  Limb packed[kFormLimbs + 1];
  Limb scaled[kRoom + 1];
  const Limb* dividendLimbs = left->limbs;
  int32_t dividendLimbCount = left->count;
  if (divisorCount <= kPackedDivisorLimbs && divisor[0] % kPowersOfTen[rightTopDigits] == 0) {
    MultiplyByPowerOfTen(divisor, divisorCount, kLimbDigits - rightTopDigits, packed);
    divisor = packed + 1;
    --divisorCount;
    dividendLimbCount = MultiplyByPowerOfTen(left->limbs, left->count, kLimbDigits - rightTopDigits, scaled);
    dividendLimbs = scaled;
    --shift;
  }
  // The quotient is below 10^(kQuotientDigits + cut), so the dividend has at
  // most a quotient's limbs more than the divisor.
  Limb dividend[kDividendLimbs + 1];
  int32_t dividendCount;
  if (shift >= 0) {
    std::fill_n(dividend, shift, 0);
    std::copy_n(dividendLimbs, dividendLimbCount, dividend + shift);
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

// The two rooms the library computes in.
template void AddLimbNumbers(const LimbNumber*, const LimbNumber*, LimbNumber*);
template void SubtractLimbNumbers(const LimbNumber*, const LimbNumber*, LimbNumber*);
template void MultiplyLimbNumbers(const LimbNumber*, const LimbNumber*, LimbNumber*);
template void DivideLimbNumbers(const LimbNumber*, const LimbNumber*, LimbNumber*);
template int32_t CompareLimbMagnitudes(const RecordLimbs*, const RecordLimbs*);
template void AddLimbNumbers(const RecordLimbs*, const RecordLimbs*, RecordLimbs*);
template void SubtractLimbNumbers(const RecordLimbs*, const RecordLimbs*, RecordLimbs*);
template void MultiplyLimbNumbers(const RecordLimbs*, const RecordLimbs*, RecordLimbs*);
template void DivideLimbNumbers(const RecordLimbs*, const RecordLimbs*, RecordLimbs*);

}  // namespace ravur::detail
