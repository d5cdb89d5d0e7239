#pragma once

// The figures the register keeps of a calibration, the constant and scale corrections with their
// expanded uncertainties, and how they read: the register's list and the certificate show the
// same figures in the same words.

#include <string>

#include "core/processing/processed_calibration.h"
#include "register/register_records.h"

namespace mensuro {

// The corrections of `calibration` and their expanded uncertainties under its conditions.
RegisteredResults RegisteredResultsOf(const ProcessedCalibration& calibration);

// Constant (mm) and scale (ppm) with their expanded uncertainties, as "+0.68 ± 1.20".
std::string ConstantText(const RegisteredResults& results);
std::string ScaleText(const RegisteredResults& results);

// The first cyclic harmonic's amplitude with its standard error and the unit length, as the
// history gives them: "0.48 ± 0.05 mm, U = 5.000 m".
std::string CyclicAmplitudeText(const RegisteredCyclic& cyclic);

// All the figures the register keeps of it: "0.48 ± 0.05 mm, phase 38.2°, significant (first
// harmonic, U = 5.000 m)"; the phase "undefined" when the amplitude is 0.
std::string CyclicFiguresText(const RegisteredCyclic& cyclic);

}  // namespace mensuro
