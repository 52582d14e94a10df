#pragma once
// The height-and-weight score: a height outside the weight-limit tables is brought into their range
// one centimetre at a time, the weight moving along with it, and the weight is placed among the four
// limits that the data source holds for that height. All arithmetic in single precision.
#include "common/test_items.h"

#include <QString>
#include <array>
#include <functional>
#include <optional>

namespace common {

constexpr float kLowestHeight = 140.0f;
constexpr float kRaiseWeightPerCm = 0.5f;
constexpr float kLowerWeightPerCm = 0.9f;
// Heights at or above the bound are lowered: the tables end at 190 cm (men) and 186 cm (women).
constexpr float upperHeightBound(Sex sex) { return sex == Sex::Male ? 191.0f : 187.0f; }

struct Body {
    float height = 0.0f; // cm
    float weight = 0.0f; // kg
};

// Raises a height below 140 and then lowers one at or above the sex's bound, step by step.
Body clampHeight(Body body, Sex sex);

// Weight limits z1 <= z2 <= z3 <= z4 in kg.
using WeightLimits = std::array<float, 4>;

// Only four ascending numbers place every weight in one band: the index of the first limit that is
// missing or below the one before it, or -1 when the limits are usable.
int firstUnusableLimit(const std::array<std::optional<float>, 4> &limits);

// 7 at or above z4, 9 from z3, 15 from z2, 9 from z1, 7 below z1: each limit opens the band above it.
int weightBandPoints(float weight, const WeightLimits &limits);

// The outcome of reading the limits of one whole-centimetre height.
struct WeightLimitLookup {
    enum class Status { Found, NoRow, Failed };
    Status status = Status::Failed;
    std::array<std::optional<float>, 4> limits; // NULL, or a text that is no number, stays empty
    QString error;                              // the driver's text when Failed
};
// Reads the limits for the row s with h - 1 < s <= h of the sex's table.
using WeightLimitSource = std::function<WeightLimitLookup(Sex sex, float height)>;

struct HeightWeightScore {
    enum class Outcome {
        NotMeasured, // height or weight empty, 0 or negative: 0 points, nothing looked up
        Scored,      // judged against the row found for this height
        NoRow,       // no row for the height: 0 points
        InvalidRow,  // the row's limits are not four ascending numbers (NULL, text, out of order): 0 points
        QueryFailed, // the lookup failed: 0 points, `error` holds the driver's text
    };
    Outcome outcome = Outcome::NotMeasured;
    int points = 0;
    Body body;              // as typed, then clamped when measured
    WeightLimits limits{};  // the row's limits when Scored
    QString error;

    // The whole centimetre whose row was looked up.
    int wholeHeight() const { return static_cast<int>(body.height); }
};

HeightWeightScore scoreHeightWeight(Body typed, Sex sex, const WeightLimitSource &lookup);

} // namespace common
