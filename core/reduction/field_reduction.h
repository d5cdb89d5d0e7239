#pragma once

// From field observations to the distances a calibration compares with the published ones:
// each slope distance corrected for the atmosphere (first velocity correction) and reduced
// geometrically to the marks, horizontal or mark to mark as the published distances are. The
// result is written as the observation lines of an ordinary measured text, and every step as a
// log for checking.

#include <optional>
#include <string>
#include <vector>

#include "core/equipment/equipment.h"
#include "core/reduction/atmospheric_correction.h"
#include "core/reduction/field_observations.h"
#include "core/reduction/field_table.h"
#include "core/reduction/station_heights.h"

namespace mensuro {

struct ReductionSettings {
  // The instrument's carrier and reference; needed for slope distances.
  std::optional<EdmCarrier> carrier;
  PublishedDistanceKind target = PublishedDistanceKind::kHorizontal;
  // The height horizontal distances are given at; the mean of the two marks' heights without.
  std::optional<double> horizontalAt;
  // Added to the readings of the weather sensors before anything else: their certificates'
  // corrections.
  SensorCorrections sensorCorrections;
};

// One observation through every step. For a file of horizontal distances only `reduced` is set
// (to the distance given).
struct ReducedObservation {
  FieldObservation observation;
  double withoutSetting = 0.0;         // D0, m
  double vapourPressure = 0.0;         // e, hPa
  double airRefractivity = 0.0;        // N_L
  double referenceRefractivity = 0.0;  // N_REF
  double corrected = 0.0;              // D1, m
  double fromMark = 0.0;               // H_from, m
  double toMark = 0.0;                 // H_to, m
  double instrumentPoint = 0.0;        // h_a, m
  double reflectorPoint = 0.0;         // h_b, m
  double chord = 0.0;                  // c0, m
  double referenceHeight = 0.0;        // H_ref, m (horizontal distances)
  double reduced = 0.0;                // the distance for the measured text, m
};

struct FieldReduction {
  FieldDistanceKind kind = FieldDistanceKind::kSlope;
  PublishedDistanceKind target = PublishedDistanceKind::kHorizontal;
  std::vector<ReducedObservation> rows;
};

// Whether the observations need the instrument's carrier and the marks' heights.
bool NeedsReduction(const FieldObservations& observations);

// Reduces every observation. Nothing, with the error at the observation's line, when a station
// has no height, a height difference is as large as the distance, or slope distances come
// without the instrument's carrier.
std::optional<FieldReduction> ReduceFieldObservations(const FieldObservations& observations,
                                                      const StationHeights& heights,
                                                      const ReductionSettings& settings,
                                                      FieldFileError& error);

// The observation lines of a measured text, "FROM,TO,DISTANCE" with the distance to 5 decimals,
// each ending in CR LF.
std::string ReducedObservationLines(const FieldReduction& reduction);

// The log of every step as CSV (UTF-8, comma, decimal point), a row per observation; the steps a
// file of horizontal distances doesn't take are empty cells.
std::string ReductionLogCsv(const FieldReduction& reduction);

}  // namespace mensuro
