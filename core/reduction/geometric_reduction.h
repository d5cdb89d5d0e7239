#pragma once

// The geometric reduction of a distance corrected for the atmosphere: from the line between
// instrument and reflector to the chord at height 0, and from there to the line between the two
// marks or to the horizontal distance on a sphere of radius R at a reference height.

#include <optional>

namespace mensuro {

inline constexpr double kEarthRadius = 6371000.0;  // m

// The chord at height 0, c0, of a distance D1 between points at heights h_a and h_b:
// c0² = (D1² − (h_b − h_a)²) / ((1 + h_a/R)(1 + h_b/R)). Nothing when the height difference is
// as large as the distance or larger: the line is then vertical or impossible.
std::optional<double> ChordAtZero(double distance, double heightA, double heightB);

// The distance between the marks at heights H_from and H_to whose chord at height 0 is c0:
// S = √(c0²(1 + H_from/R)(1 + H_to/R) + (H_to − H_from)²).
double MarkToMarkDistance(double chord, double fromHeight, double toHeight);

// The horizontal distance at the reference height H_ref: (R + H_ref)·2·asin(c0/2R).
double HorizontalDistance(double chord, double referenceHeight);

}  // namespace mensuro
