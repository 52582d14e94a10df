#pragma once
// The fixed band tables of the test items: six descending thresholds and seven point values. A value
// at or above t1 takes band 1, one at or above t(k) and below t(k-1) band k, any positive value below
// t6 band 7; 0 or less scores 0. Thresholds are the floats nearest to their decimals, so a value typed
// exactly as a threshold opens that threshold's band.
#include "common/test_items.h"

#include <array>

namespace common {

struct BandTable {
    std::array<float, 6> thresholds;
    std::array<int, 7> points;
};

// The points of `value` in `table`.
int bandPoints(const BandTable &table, float value);

// The table that scores `item` for `sex`; Run1000, Run800 and SitUps have one table for either sex.
// Not for HeightStandardWeight, which is scored by the weight limits of the height.
const BandTable &bandTable(TestItem item, Sex sex);

// Whether `item` has a table of its own for each sex.
bool hasTablePerSex(TestItem item);

// Scores a typed result of a band-scored item (the vital-capacity index included).
int scoreItem(TestItem item, Sex sex, float value);

// The vital capacity per kilogram of weight. A positive capacity without a positive weight cannot
// be scored: the window asks for the weight and keeps the score it showed.
struct VitalCapacityScore {
    bool missingWeight = false;
    int points = 0; // when not missingWeight
};
VitalCapacityScore scoreVitalCapacity(float capacity, float weight, Sex sex);

} // namespace common
