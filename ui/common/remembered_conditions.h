#pragma once

// The calibration conditions of the uncertainty budget, remembered between runs of the program
// in the user's settings. The uncertainty of the published distances belongs to the baseline
// and is kept once; the others (sensors, resolution, centring, acceptance limit, cyclic error)
// belong to the instrument and are kept per EDM description, as its carrier is, so that one
// instrument's conditions never pass to the next. Each is kept in a text form of figures
// separated by commas, as the command line takes them ("A,B,K,DOF" for the baseline, "T,P,RH"
// for the sensors, "A,B" for the acceptance limit, one number for the resolution and the
// centring, "U,H" for the unit length in metres and the harmonics of the cyclic error); a
// condition not given has no entry. The instruments' entries are a list of the group
// "InstrumentConditions", each with the description as typed.

#include <QString>

#include "core/analysis/calibration_uncertainty.h"

namespace mensuro {

// The conditions last remembered for the instrument `edmDescription`, with the baseline's
// uncertainty; the instrument's are not given when nothing is remembered for it. An entry that
// no longer reads (a settings file edited by hand) counts as not given.
UncertaintyInputs RememberedConditions(const QString& edmDescription);

// Remembers `conditions`: the baseline's uncertainty, and the rest for `edmDescription`,
// forgetting those not given.
void RememberConditions(const QString& edmDescription, const UncertaintyInputs& conditions);

// Remembers the uncertainty of the published distances, the other conditions staying as they
// are.
void RememberBaselineUncertainty(const BaselineUncertainty& baseline);

}  // namespace mensuro
