#include "limbs.h"

#include <algorithm>

namespace ravur::detail {

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

void MultiplyInLimbRadix(const Limb* a, const int32_t aCount, const Limb* b, const int32_t bCount, Limb* product) {
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
  MultiplyInLimbRadix(a, aCount, b, bCount, product);
#endif
}


}  // namespace ravur::detail
