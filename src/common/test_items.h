#pragma once
// The test items of a school year, the sex they are scored for, and the study-year codes.
#include <QString>
#include <array>
#include <optional>

namespace common {

enum class Sex { Male, Female };

// In the order in which the year total sums their scores.
enum class TestItem {
    HeightStandardWeight, // s
    VitalCapacityIndex,   // f
    StepTest,             // t
    Run1000,              // 1, men
    Run800,               // 8, women
    Run50,                // 5
    StandingLongJump,     // l
    SitAndReach,          // z
    SitUps,               // y, women
    GripIndex,            // w
};
constexpr int kTestItemCount = 10;

constexpr std::array<TestItem, kTestItemCount> kTestItemsInSumOrder = {
    TestItem::HeightStandardWeight, TestItem::VitalCapacityIndex, TestItem::StepTest,
    TestItem::Run1000,              TestItem::Run800,             TestItem::Run50,
    TestItem::StandingLongJump,     TestItem::SitAndReach,        TestItem::SitUps,
    TestItem::GripIndex,
};

constexpr int indexOf(TestItem item) { return static_cast<int>(item); }

// The one-letter code that recurs in control, column and variable names.
constexpr char itemCode(TestItem item)
{
    constexpr char codes[kTestItemCount] = {'s', 'f', 't', '1', '8', '5', 'l', 'z', 'y', 'w'};
    return codes[indexOf(item)];
}

// Height/weight and vital capacity are tested in every year for both sexes.
constexpr bool isFixed(TestItem item)
{
    return item == TestItem::HeightStandardWeight || item == TestItem::VitalCapacityIndex;
}

// Study-year codes of the settings table: "41" to "44" for university years 1 to 4.
inline QString studyYearCode(int year) { return QString::number(40 + year); }

} // namespace common
