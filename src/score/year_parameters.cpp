#include "score/year_parameters.h"

#include <cassert>

namespace score {

namespace {

constexpr Message kMissingWeightNotice{"提示", "如要得到肺活量成绩，请先正确输入体重！"};
constexpr Message kMissingWeightError{"错误", "请先正确输入体重。"};

// Years 1 to 3: inputs 2 to 12, then the score edits and boxes, the close button, total and grade.
constexpr TabScheme kEarlyTabs{
    2, 1, {0, 13, 14, 15, 16, 16, 17, 19, 20, 21, 22}, {13, 14, 15, 16, 17}, 12, 27, 27, 27};
// Year 4: the graduation panel takes 10 to 30; score edits, total and grade are no tab stops.
constexpr TabScheme kLateTabs{40, 10, {}, {150, 160, 170, 180, 190}, 200, 210, 0, 0};

constexpr ItemPanelLayout kYear1Panel{82, 87, 104, 475, 92, 741, 100, 96, 1093, 84,
                                      {1070, 104, 283, 76}, {37, 28, 1431, 1176}};
constexpr ItemPanelLayout kYear23Panel{82, 87, 100, 475, 88, 741, 96, 92, 1093, 80,
                                       {1070, 100, 283, 76}, {37, 24, 1431, 1176}};
constexpr ItemPanelLayout kYear4Panel{87, 91, 92, 480, 80, 745, 88, 84, 1097, 72,
                                      {1074, 92, 283, 76}, {41, 16, 1431, 1176}};

constexpr std::array<Geometry, 4> kEarlyBonus{{
    {1545, 564, 1202, 76}, {1545, 644, 928, 76}, {1545, 720, 928, 76}, {1545, 796, 1143, 76}}};

constexpr RightPanelLayout kYear1Right{
    {1499, 28, 297, 264}, {1531, 100, 174, 72}, {1531, 184, 174, 72}, {1792, 28, 1138, 264},
    {1819, 92, 439, 172}, {2263, 92, 635, 172}, {1499, 504, 1435, 392}, kEarlyBonus,
    {1495, 912, 1445, 164}, {1541, 980, 1353, 76}, {2149, 1100, 297, 100}, {2592, 1096, 343, 100}};
constexpr RightPanelLayout kYear23Right{
    {1499, 24, 297, 264}, {1531, 96, 174, 72}, {1531, 180, 174, 72}, {1792, 24, 1138, 264},
    {1819, 88, 439, 172}, {2263, 88, 635, 172}, {1499, 504, 1435, 392}, kEarlyBonus,
    {1495, 912, 1445, 164}, {1541, 980, 1353, 76}, {2231, 1096, 297, 100}, {2592, 1096, 343, 100}};
constexpr RightPanelLayout kYear4Right{
    {1504, 16, 297, 264}, {1536, 88, 174, 72}, {1536, 172, 174, 72}, {1797, 16, 1138, 264},
    {1824, 76, 439, 172}, {2267, 76, 635, 172}, {1504, 640, 1435, 392},
    {{{1550, 704, 1202, 76}, {1550, 784, 928, 76}, {1550, 860, 928, 76}, {1550, 936, 1143, 76}}},
    {1499, 1028, 1445, 164}, {1545, 1096, 1353, 76}, {2231, 1228, 297, 100}, {2597, 1228, 343, 100}};

const std::array<YearParameters, 4> kYears = {{
    {1, "w_jsq_dx1", "41", "大学一年级成绩", "w_xm_dx1", {"注意", "请先设置好大学一年级测试项目！"},
     kMissingWeightNotice, 3008, 1388, kYear1Panel, kYear1Right, kEarlyTabs},
    {2, "w_jsq_dx2", "42", "大学二年级成绩", "w_xm_dx2", {"注意", "请先设置好大学二年级测试项目！"},
     kMissingWeightError, 3008, 1384, kYear23Panel, kYear23Right, kEarlyTabs},
    {3, "w_jsq_dx3", "43", "大学三年级成绩", "w_xm_dx3", {"注意", "请先设置好大学三年级测试项目！"},
     kMissingWeightError, 3008, 1384, kYear23Panel, kYear23Right, kEarlyTabs},
    {4, "w_jsq_dx4", "44", "大学四年级成绩", "w_xm_dx4", {"注意", "请先设置好大学四年级测试项目！"},
     kMissingWeightNotice, 3003, 1492, kYear4Panel, kYear4Right, kLateTabs},
}};

} // namespace

const YearParameters &yearParameters(int year)
{
    assert(year >= 1 && year <= 4);
    return kYears[year - 1];
}

} // namespace score
