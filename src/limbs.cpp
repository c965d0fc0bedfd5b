#include "limbs.h"

#include <algorithm>

namespace {

constexpr Limb kDecimal = 10;

// 10^k for k = 0 to kLimbDigits.
constexpr Limb kPowersOfTen[kLimbDigits + 1] = {1, 10, 100, 1000, 10000, 100000, 1000000, 10000000, 100000000,
                                                kLimbBase};


}  // namespace

int32_t GatherLimbs(const int8_t* digits, const int32_t count, const int32_t zerosBelow, Limb* limbs) {
  const int32_t total = count + zerosBelow;
  const int32_t limbCount = (total + kLimbDigits - 1) / kLimbDigits;
  // The top limb takes the digits left over by whole limbs below it.
  int32_t next = 0;  // the next digit of digits, counted from the most significant
  int32_t end = total - (limbCount - 1) * kLimbDigits;
  for (int32_t k = limbCount - 1; k >= 0; --k, end += kLimbDigits) {
    if (next >= count) {
      limbs[k] = 0;
      continue;
    }
    const int32_t last = std::min(end, count);
    Limb value = 0;
    for (; next < last; ++next) value = value * kDecimal + static_cast<Limb>(digits[next]);
    limbs[k] = value * kPowersOfTen[end - last];  // the zeros below, when the digits end inside this limb
    next = end;
  }
  return limbCount;
}

namespace {

constexpr Limb kHundred = kDecimal * kDecimal;

// The digits of 0 to 99 as they lie in memory for each direction: units
// first for kStep 1, tens first for kStep -1.
struct DigitPairs {
  int8_t upward[kHundred][2];
  int8_t downward[kHundred][2];
};
constexpr DigitPairs MakeDigitPairs() {
  DigitPairs table{};
  for (Limb n = 0; n < kHundred; ++n) {
    const auto units = static_cast<int8_t>(n % kDecimal);
    const auto tens = static_cast<int8_t>(n / kDecimal);
    table.upward[n][0] = units;
    table.upward[n][1] = tens;
    table.downward[n][0] = tens;
    table.downward[n][1] = units;
  }
  return table;
}
constexpr DigitPairs kDigitPairs = MakeDigitPairs();

// Writes the lowest `count` digits of value to digits[0], digits[kStep], ...
template <int32_t kStep>
void SpreadLimb(Limb value, const int32_t count, int8_t* digits) {
  for (int32_t i = 0; i < count; ++i) {
    const Limb rest = value / kDecimal;
    digits[i * kStep] = static_cast<int8_t>(value - rest * kDecimal);
    value = rest;
  }
}

// All kLimbDigits digits of value, two a division.
template <int32_t kStep>
void SpreadWholeLimb(Limb value, int8_t* digits) {
  for (int32_t i = 0; i + 1 < kLimbDigits; i += 2) {
    const Limb rest = value / kHundred;
    const Limb pair = value - rest * kHundred;
    if (kStep > 0) {
      std::copy_n(kDigitPairs.upward[pair], 2, digits + i);
    } else {
      std::copy_n(kDigitPairs.downward[pair], 2, digits - i - 1);
    }
    value = rest;
  }
  digits[(kLimbDigits - 1) * kStep] = static_cast<int8_t>(value);
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

// Schoolbook long multiplication (TAOCP vol. 2, 4.3.1, Algorithm M): one row
// per limb of a, its carry taken along the row. Each step's value,
// product[i + k] + a[i] x b[k] + carry, is below kLimbBase^2, so the carry
// stays below kLimbBase.
void MultiplyLimbs(const Limb* a, const int32_t aCount, const Limb* b, const int32_t bCount, Limb* product) {
  std::fill_n(product, aCount + bCount, 0);
  for (int32_t i = 0; i < aCount; ++i) {
    const Wide factor = a[i];
    if (factor == 0) continue;
    Limb* row = product + i;
    Wide carry = 0;
    for (int32_t k = 0; k < bCount; ++k) {
      const Wide value = row[k] + factor * b[k] + carry;
      carry = value / kLimbBase;
      row[k] = static_cast<Limb>(value - carry * kLimbBase);
    }
    row[bCount] = static_cast<Limb>(carry);
  }
}

// --- Division ----------------------------------------------------------------
//
// Long division of limbs, TAOCP vol. 2, 4.3.1, Algorithm D, with the decimal
// radix kLimbBase. A one-limb divisor takes the short division instead.

namespace {

// quotient = floor(u / v) for a single non-zero limb v.
void DivideByLimb(const Limb* u, const int32_t uCount, const Limb v, Limb* quotient) {
  Wide remainder = 0;
  for (int32_t j = uCount - 1; j >= 0; --j) {
    const Wide value = remainder * kLimbBase + u[j];
    quotient[j] = static_cast<Limb>(value / v);
    remainder = value - quotient[j] * static_cast<Wide>(v);
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
// The carry from one limb to the next, 0 or negative, is kept with kBias
// added: the limb's value plus the bias, at least kLimbBase - 1 and below
// 2 x kBias, is then split by one unsigned division, its quotient being the
// biased carry out. The top limb is only compared, not stored: the next
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
  if (vCount == 1) {
    DivideByLimb(u, uCount, v[0], quotient);
    return;
  }
  // Step D1: scale both by the factor that brings v's top limb to at least
  // kLimbBase / 2 (the quotient does not change), so that each estimate
  // below starts at most two too high and is lowered at most twice.
  const Limb factor = kLimbBase / (v[vCount - 1] + 1);
  Limb divisor[kLimbCapacity];
  std::copy_n(v, vCount, divisor);
  MultiplyByLimb(divisor, vCount, factor);
  u[uCount] = MultiplyByLimb(u, uCount, factor);
  // Steps D2 to D7: one quotient limb per window, from the top.
  for (int32_t j = uCount - vCount; j >= 0; --j) {
    Limb* window = u + j;
    Wide estimate = EstimateQuotientLimb(window, divisor, vCount);
    if (SubtractMultiple(window, divisor, vCount, estimate)) {
      --estimate;
      AddBack(window, divisor, vCount);
    }
    quotient[j] = static_cast<Limb>(estimate);
  }
}
