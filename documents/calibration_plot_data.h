#pragma once

// What the calibration plot shows, taken from a successful run: plain numbers in metres along
// the baseline and millimetres across it, so that every drawing of the plot (window, exported
// picture, certificate) draws the same points.

#include <optional>
#include <string>
#include <vector>

#include "core/data/measurement_header.h"
#include "core/processing/processed_calibration.h"

namespace mensuro {

struct PlotPoint {
  double x = 0.0;  // published distance, metres
  double y = 0.0;  // millimetres
};

// One observation as the plot marks it, and where it was read.
struct PlotObservation {
  double x = 0.0;  // published distance, metres
  double y = 0.0;  // published minus observed, millimetres
  std::string from = std::string();
  std::string to = std::string();
  double observed = 0.0;  // metres
  std::size_t line = 0;   // of the measured text, from 1
};

// One station pair as the plot marks it.
struct PlotPair {
  std::string from;
  std::string to;
  double P = 0.0;             // published distance, metres
  double C = 0.0;             // mean observed distance, metres
  double d = 0.0;             // P - C, metres, as the report holds it
  double differenceMm = 0.0;  // d in millimetres
  double residualMm = 0.0;    // of the unweighted fit
  double standardizedDifference = 0.0;
  bool flagged = false;
  int observations = 0;   // averaged into C
  double stdDevMm = 0.0;  // of one observation
  double spreadMm = 0.0;  // largest minus smallest observation
  // The outlier test of the pair: its externally studentized residual t against the limit, or
  // why the test does not apply to the calibration.
  std::optional<double> studentizedResidual = std::nullopt;  // when the test applies
  bool outlier = false;                                      // |t| > outlierLimit
  double outlierLimit = 0.0;
  std::string outlierTestReason = std::string();  // when it does not apply
};

// The cyclic error as the plot shows it: the residual of each pair of the fit against the
// fractional part of its observed distance over the unit length, with the fitted cyclic term over
// one unit length, and the panel that tells what was found.
struct CyclicPlot {
  double unitLength = 0.0;  // U, metres
  // x: the fractional part of C/U (0..1), y: the residual of the unweighted fit (mm), in the
  // order of the fit's pairs.
  std::vector<PlotPoint> residuals;
  // The fitted cyclic term (mm) from 0 to 1 of the unit length; none when not estimable.
  std::vector<PlotPoint> curve;
  // U, each harmonic's amplitude, phase and F test, the verdict and any design warning; UTF-8.
  std::vector<std::string> panel;
};

struct CalibrationPlotData {
  std::string title;                          // EDM description and date
  std::vector<PlotObservation> observations;  // P minus every single observed distance
  std::vector<PlotPair> pairs;                // in the report's order
  // The fitted line constant + scale * P and the flag limits +-3 (a + b P) from 0 to the
  // largest published distance.
  PlotPoint fitStart;
  PlotPoint fitEnd;
  PlotPoint upperLimitStart;
  PlotPoint upperLimitEnd;
  PlotPoint lowerLimitStart;
  PlotPoint lowerLimitEnd;
  // The correction IC(D) plus and minus its expanded uncertainty U(D), from 0 to the largest
  // published distance: a band around the fitted line, narrowest near the mean distance.
  std::vector<PlotPoint> bandUpper;
  std::vector<PlotPoint> bandLower;
  double largestDistance = 0.0;  // metres
  // When the calibration's conditions give a unit length.
  std::optional<CyclicPlot> cyclic = std::nullopt;
};

// The plot of a processed calibration, with the uncertainty band of its budget.
CalibrationPlotData MakeCalibrationPlotData(const ProcessedCalibration& calibration);

// The observations of the pair from `from` to `to`, in either direction, in text order.
std::vector<PlotObservation> ObservationsOfPair(const CalibrationPlotData& data,
                                                const std::string& from, const std::string& to);

// "P1-P4" for the pair from P1 to P4.
std::string PairName(const PlotPair& pair);

// What hovering a pair's marker tells: its pair, P, C, d and standardized difference, one per
// line, for a pair measured more than once its observations' count, standard deviation and
// spread, and last its t of the outlier test with the limit, or why the test does not apply.
// Bytes as the texts hold them (Latin-1), the limit's sign a Latin-1 plus-minus.
std::string PairDescription(const PlotPair& pair);

}  // namespace mensuro
