#pragma once
// A study year's settings row: 13 item flags, six for men and seven for women. An item is switched
// off for a sex only by the flag "0"; NULL, empty, "1" or any other text leaves it tested. Run800 and
// SitUps are never tested for men, Run1000 never for women; the fixed items are always tested.
#include "common/test_items.h"

#include <QString>
#include <array>
#include <optional>

namespace common {

enum class ItemFlag {
    xm_t_m, xm_1_m, xm_5_m, xm_l_m, xm_z_m, xm_w_m,
    xm_t_w, xm_8_w, xm_5_w, xm_l_w, xm_z_w, xm_y_w, xm_w_w,
};
constexpr int kItemFlagCount = 13;

// Column names in the order the score windows copy them.
constexpr std::array<const char *, kItemFlagCount> kItemFlagColumns = {
    "xm_t_m", "xm_1_m", "xm_5_m", "xm_l_m", "xm_z_m", "xm_w_m",
    "xm_t_w", "xm_8_w", "xm_5_w", "xm_l_w", "xm_z_w", "xm_y_w", "xm_w_w",
};

struct ItemSelection {
    std::array<QString, kItemFlagCount> flags; // a null QString is a NULL column
    QString &operator[](ItemFlag f) { return flags[static_cast<int>(f)]; }
    const QString &operator[](ItemFlag f) const { return flags[static_cast<int>(f)]; }
};

// The flag that decides `item` for `sex`; none where the sex never takes the item or the item is fixed.
std::optional<ItemFlag> flagOf(TestItem item, Sex sex);

// Indexed by TestItem: whether the item is tested (its controls enabled) for `sex`.
using TestedItems = std::array<bool, kTestItemCount>;
TestedItems testedItems(const ItemSelection &selection, Sex sex);

} // namespace common
