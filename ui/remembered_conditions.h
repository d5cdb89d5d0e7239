#pragma once

// The calibration conditions of the uncertainty budget, remembered between runs of the program
// in the user's settings. Each is kept in the text form the command line takes ("A,B,K,DOF" for
// the baseline, "T,P,RH" for the sensors, "A,B" for the acceptance limit, one number for the
// resolution and the centring); a condition not given has no entry.

#include "core/analysis/calibration_uncertainty.h"

namespace mensuro {

// The conditions last remembered; an entry that no longer reads (a settings file edited by hand)
// counts as not given.
UncertaintyInputs RememberedConditions();

// Remembers `conditions`, forgetting those not given.
void RememberConditions(const UncertaintyInputs& conditions);

// Remembers the uncertainty of the published distances, the other conditions staying as they
// are.
void RememberBaselineUncertainty(const BaselineUncertainty& baseline);

}  // namespace mensuro
