#include "common/item_selection.h"

namespace common {

namespace {

struct ItemFlags {
    std::optional<ItemFlag> male;
    std::optional<ItemFlag> female;
};

// Indexed by TestItem.
const std::array<ItemFlags, kTestItemCount> kFlags = {{
    {std::nullopt, std::nullopt},         // HeightStandardWeight
    {std::nullopt, std::nullopt},         // VitalCapacityIndex
    {ItemFlag::xm_t_m, ItemFlag::xm_t_w}, // StepTest
    {ItemFlag::xm_1_m, std::nullopt},     // Run1000
    {std::nullopt, ItemFlag::xm_8_w},     // Run800
    {ItemFlag::xm_5_m, ItemFlag::xm_5_w}, // Run50
    {ItemFlag::xm_l_m, ItemFlag::xm_l_w}, // StandingLongJump
    {ItemFlag::xm_z_m, ItemFlag::xm_z_w}, // SitAndReach
    {std::nullopt, ItemFlag::xm_y_w},     // SitUps
    {ItemFlag::xm_w_m, ItemFlag::xm_w_w}, // GripIndex
}};

} // namespace

std::optional<ItemFlag> flagOf(TestItem item, Sex sex)
{
    const ItemFlags &f = kFlags[indexOf(item)];
    return sex == Sex::Male ? f.male : f.female;
}

TestedItems testedItems(const ItemSelection &selection, Sex sex)
{
    TestedItems tested{};
    for (TestItem item : kTestItemsInSumOrder) {
        if (isFixed(item)) {
            tested[indexOf(item)] = true;
            continue;
        }
        const std::optional<ItemFlag> flag = flagOf(item, sex);
        tested[indexOf(item)] = flag && selection[*flag] != QLatin1String("0");
    }
    return tested;
}

} // namespace common
