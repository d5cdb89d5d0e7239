#pragma once

// The instrument's specified accuracy a + b·D and the limit of three times it, beyond which a
// station pair is flagged: one definition for the flags, the spread warnings and the plot's
// limit lines.

#include "core/data/measurement_header.h"

namespace mensuro {

// How many specified accuracies a difference may reach before it is flagged.
inline constexpr double kFlagMultiple = 3.0;

// a + b·D in metres at the distance D (metres), a in mm and b in ppm.
double SpecifiedAccuracy(double constantErrorMm, double ppmError, double distance);

// kFlagMultiple times the header's specified accuracy at the distance D (metres), in metres.
double FlagLimit(const MeasurementHeader& header, double distance);

}  // namespace mensuro
