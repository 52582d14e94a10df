#pragma once
// The weight limits of the data source: dx1234_m for men, dx1234_w for women, one row per whole
// centimetre of height, read through the program's transaction.
#include "common/height_weight.h"

namespace common {

// Reads z1..z4 of the row with h - 1 < s <= h, the height bound as a real at both places.
WeightLimitLookup lookupWeightLimits(Sex sex, float height);

} // namespace common
