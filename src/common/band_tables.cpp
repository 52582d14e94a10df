#include "common/band_tables.h"

#include <cassert>

namespace common {

namespace {

constexpr std::array<int, 7> kRunPoints = {10, 12, 13, 15, 16, 17, 20};
constexpr std::array<int, 7> kTwentyPoints = {20, 17, 16, 15, 13, 12, 10};
constexpr std::array<int, 7> kVitalPoints = {15, 13, 12, 11, 10, 9, 8};
constexpr std::array<int, 7> kRun50Points = {15, 18, 20, 23, 25, 26, 30};
constexpr std::array<int, 7> kJumpPoints = {30, 26, 25, 23, 20, 18, 15};

constexpr BandTable kStepMale{{59.0f, 54.0f, 50.0f, 46.0f, 43.0f, 40.0f}, kTwentyPoints};
constexpr BandTable kStepFemale{{56.0f, 52.0f, 48.0f, 44.0f, 42.0f, 25.0f}, kTwentyPoints};
constexpr BandTable kRun1000{{5.05f, 4.30f, 4.19f, 4.01f, 3.40f, 3.37f}, kRunPoints};
constexpr BandTable kRun800{{5.04f, 4.31f, 4.20f, 4.01f, 3.46f, 3.38f}, kRunPoints};
constexpr BandTable kVitalMale{{75.0f, 70.0f, 64.0f, 57.0f, 54.0f, 44.0f}, kVitalPoints};
constexpr BandTable kVitalFemale{{61.0f, 57.0f, 51.0f, 46.0f, 42.0f, 32.0f}, kVitalPoints};
constexpr BandTable kRun50Male{{8.5f, 8.1f, 7.8f, 7.4f, 7.1f, 6.9f}, kRun50Points};
constexpr BandTable kRun50Female{{11.1f, 9.9f, 9.7f, 9.2f, 8.8f, 8.4f}, kRun50Points};
constexpr BandTable kJumpMale{{255.0f, 250.0f, 239.0f, 227.0f, 220.0f, 195.0f}, kJumpPoints};
constexpr BandTable kJumpFemale{{196.0f, 187.0f, 178.0f, 166.0f, 161.0f, 139.0f}, kJumpPoints};
constexpr BandTable kReachMale{{18.1f, 16.0f, 12.3f, 8.9f, 6.7f, 0.1f}, kTwentyPoints};
constexpr BandTable kReachFemale{{18.1f, 16.2f, 13.0f, 9.0f, 7.8f, 3.0f}, kTwentyPoints};
constexpr BandTable kSitUps{{44.0f, 41.0f, 35.0f, 28.0f, 24.0f, 20.0f}, kTwentyPoints};
constexpr BandTable kGripMale{{75.0f, 70.0f, 63.0f, 56.0f, 51.0f, 41.0f}, kTwentyPoints};
constexpr BandTable kGripFemale{{57.0f, 52.0f, 46.0f, 40.0f, 36.0f, 29.0f}, kTwentyPoints};

struct ItemTables {
    const BandTable *male;
    const BandTable *female; // the same as male for an item with one table
};

// Indexed by TestItem; height/weight has no band table.
constexpr std::array<ItemTables, kTestItemCount> kTables = {{
    {nullptr, nullptr},           // HeightStandardWeight
    {&kVitalMale, &kVitalFemale}, // VitalCapacityIndex
    {&kStepMale, &kStepFemale},   // StepTest
    {&kRun1000, &kRun1000},       // Run1000
    {&kRun800, &kRun800},         // Run800
    {&kRun50Male, &kRun50Female}, // Run50
    {&kJumpMale, &kJumpFemale},   // StandingLongJump
    {&kReachMale, &kReachFemale}, // SitAndReach
    {&kSitUps, &kSitUps},         // SitUps
    {&kGripMale, &kGripFemale},   // GripIndex
}};

} // namespace

int bandPoints(const BandTable &table, float value)
{
    if (!(value > 0.0f))
        return 0;
    for (int k = 0; k < 6; ++k) {
        if (value >= table.thresholds[k])
            return table.points[k];
    }
    return table.points[6];
}

const BandTable &bandTable(TestItem item, Sex sex)
{
    const ItemTables &t = kTables[indexOf(item)];
    assert(t.male && "height/weight is scored by weight limits");
    return sex == Sex::Male ? *t.male : *t.female;
}

bool hasTablePerSex(TestItem item)
{
    const ItemTables &t = kTables[indexOf(item)];
    return t.male && t.male != t.female;
}

int scoreItem(TestItem item, Sex sex, float value) { return bandPoints(bandTable(item, sex), value); }

VitalCapacityScore scoreVitalCapacity(float capacity, float weight, Sex sex)
{
    float index = 0.0f;
    if (weight > 0.0f)
        index = capacity / weight;
    else if (capacity > 0.0f)
        return {true, 0};
    return {false, scoreItem(TestItem::VitalCapacityIndex, sex, index)};
}

} // namespace common
