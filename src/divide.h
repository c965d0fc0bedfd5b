// The division of limbs: floor(u / v) for the multiplication's and the
// division's working form (limbs.h).
#pragma once

#include <cstdint>

#include "limbs.h"

namespace ravur::detail {

// quotient[0..uCount - vCount + 1) = floor(u / v), for vCount <= uCount <=
// kDividendLimbs and a non-zero top limb of v, for a dividend moved up by
// zeroLimbs zero limbs (u[0..zeroLimbs) are 0), which it may take for granted
// instead of reading them. It may stop at a zero remainder with only zero
// limbs of u below it, writing the quotient's limbs below as 0. u must hold
// uCount + 1 limbs; it is overwritten.
void DivideMovedLimbs(Limb* u, int32_t uCount, int32_t zeroLimbs, const Limb* v, int32_t vCount, Limb* quotient);
// DivideMovedLimbs for a dividend not known to have zero limbs.
inline void DivideLimbs(Limb* u, const int32_t uCount, const Limb* v, const int32_t vCount, Limb* quotient) {
  DivideMovedLimbs(u, uCount, 0, v, vCount, quotient);
}

}  // namespace ravur::detail
