#pragma once
// What tells the year score windows apart: class name, study-year code, titles, settings window,
// messages, window size, layout and tab scheme. One row per study year.
#include <array>

namespace score {

struct Geometry {
    int x, y, width, height;
};

// The item panel: row r (0 height, 1 weight, 2 step test … 10 grip index) lies 100 units below row 0.
struct ItemPanelLayout {
    int labelX, weightLabelX, labelY; // item labels; st_s2 has an x of its own
    int inputX, inputY;
    int unitX, unitY, heightUnitY; // unit labels; st_13 has a y of its own
    int scoreX, scoreY;
    Geometry st_111, gb_4;
};

struct RightPanelLayout {
    Geometry gb_sex, rb_sex_man, rb_sex_woman, gb_6, em_xn_t, sle_dj;
    Geometry gb_3;
    std::array<Geometry, 4> cbx; // cbx_1 .. cbx_4
    Geometry gb_5, cbx_59, cb_2, cb_1;
};

// Tab values; 0 takes a control out of the Tab sequence (a click still focuses it).
struct TabScheme {
    int firstInput, inputStep;        // em_s1 .. em_w in row order
    std::array<int, 11> scoreEdits;   // per row; the height row has none
    std::array<int, 5> boxes;         // cbx_1 .. cbx_4, cbx_59
    int cb_2, cb_1, sle_dj, em_xn_t;
};

struct Message {
    const char *title;
    const char *text;
};

struct YearParameters {
    int year;
    const char *className;
    const char *studyYearCode; // nj of the settings row
    const char *title;         // the window's and gb_6's
    const char *settingsWindow;
    Message setUpFirst;    // while the year has no settings row
    Message missingWeight; // a vital capacity without a weight
    int width, height;     // outer size in units
    ItemPanelLayout panel;
    RightPanelLayout right;
    TabScheme tabs;
};

// Study years 1 to 4.
const YearParameters &yearParameters(int year);

} // namespace score
