#pragma once

// The residuals of a baseline survey's adjustment against the observed distance, as the
// Baseline Calibration window shows them.

#include <memory>

#include "core/baseline/baseline_adjustment.h"

class QChart;

namespace mensuro {

// Every observation's residual (mm) at its observed distance (m), with a zero line; the
// observations the outlier test flags in a series of their own (named "outliers"), the others in
// the series named "residuals".
std::unique_ptr<QChart> MakeBaselineResidualChart(const BaselineAdjustment& adjustment);

}  // namespace mensuro
