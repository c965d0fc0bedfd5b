#include "limbs.h"

#include <algorithm>

namespace ravur::detail {

// Schoolbook long multiplication (TAOCP vol. 2, 4.3.1, Algorithm M) with the
// carries deferred: the rows' products are summed into LimbSum columns, the
// first row writing its columns and the ones above cleared, and carried once
// per block of kRowsPerBlock rows; the inner loop is one multiply-add per
// product. A column holds a limb left by the blocks below, the block's
// products and a carry, which came out of SplitLimbSum and so is at most
// kLargestSplit / B: at most kLargestSplit, which SplitLimbSum takes. Nothing
// carries out of a block's top column: the rows so far form a number of at
// most last + bCount limbs.
namespace {
constexpr int32_t kRowsPerBlock = 18;
static_assert(LimbSum{kRowsPerBlock} * (kLimbBase - 1) * (kLimbBase - 1) + (kLimbBase - 1) <=
                  kLargestSplit - kLargestSplit / kLimbBase,
              "a block's column sums and carry split by SplitLimbSum");

// Up to kShortProducts limb products, the columns are summed with nothing
// cleared and carried once, straight into the product: no column sums more
// than min(aCount, bCount) products, within a block's.
constexpr int32_t kShortProducts = 16;
static_assert(kShortProducts < (kRowsPerBlock + 1) * (kRowsPerBlock + 1), "a short product's columns are a block's");

void MultiplyShort(const Limb* a, const int32_t aCount, const Limb* b, const int32_t bCount, Limb* product) {
  LimbSum columns[kShortProducts];
  for (int32_t k = 0; k < bCount; ++k) columns[k] = LimbSum{a[0]} * b[k];
  for (int32_t i = 1; i < aCount; ++i) {
    LimbSum* const row = columns + i;
    for (int32_t k = 0; k + 1 < bCount; ++k) row[k] += LimbSum{a[i]} * b[k];
    row[bCount - 1] = LimbSum{a[i]} * b[bCount - 1];
  }
  LimbSum carry = 0;
  for (int32_t j = 0; j + 1 < aCount + bCount; ++j) carry = SplitLimbSum(columns[j] + carry, &product[j]);
  product[aCount + bCount - 1] = static_cast<Limb>(carry);
}

}  // namespace

void MultiplyLimbs(const Limb* a, const int32_t aCount, const Limb* b, const int32_t bCount, Limb* product) {
  if (aCount * bCount <= kShortProducts) {
    MultiplyShort(a, aCount, b, bCount, product);
    return;
  }
  LimbSum columns[kProductLimbs];
  for (int32_t k = 0; k < bCount; ++k) columns[k] = LimbSum{a[0]} * b[k];
  std::fill_n(columns + bCount, aCount, 0);
  for (int32_t first = 0; first < aCount; first += kRowsPerBlock) {
    const int32_t last = std::min(first + kRowsPerBlock, aCount);
    for (int32_t i = std::max(first, 1); i < last; ++i) {
      const LimbSum factor = a[i];
      LimbSum* row = columns + i;
      // Unrolled: the loop's own steps would be a third of each product's.
#pragma GCC unroll 4
      for (int32_t k = 0; k < bCount; ++k) row[k] += factor * b[k];
    }
    LimbSum carry = 0;
    for (int32_t j = first; j < last + bCount; ++j) {
      Limb digit = 0;
      carry = SplitLimbSum(columns[j] + carry, &digit);
      columns[j] = digit;
    }
  }
  std::copy_n(columns, aCount + bCount, product);
}

}  // namespace ravur::detail
