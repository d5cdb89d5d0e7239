#pragma once

// What a calibration's measured text was reduced from and how, as its certificate, its JSON and
// the plot window state it: the reduction moves the scale by a ppm or more, so a reader of the
// results must be able to see which was made.

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "core/reduction/atmospheric_correction.h"
#include "core/reduction/field_observations.h"
#include "core/reduction/field_reduction.h"
#include "core/reduction/station_heights.h"

namespace mensuro {

struct ValueRange {
  double smallest = 0.0;
  double largest = 0.0;
};

struct ReductionSummary {
  // Slope distances reduced here, or horizontal distances taken as the file gives them.
  FieldDistanceKind kind = FieldDistanceKind::kSlope;
  std::size_t observations = 0;
  // Slope distances only:
  std::optional<EdmCarrier> carrier;
  PublishedDistanceKind target = PublishedDistanceKind::kHorizontal;
  std::optional<double> horizontalAt;     // horizontal at this height; nothing: the marks' mean
  std::string heightsSource;              // "library baseline NAME" or "heights file NAME", UTF-8
  std::optional<ValueRange> temperature;  // °C
  std::optional<ValueRange> pressure;     // hPa
  std::optional<ValueRange> humidity;     // %, from the wet bulb when the file gives that
  bool humidityFromWetBulb = false;
};

// The summary of a reduction made with `settings`, the heights taken from `heightsSource`.
ReductionSummary SummariseReduction(const FieldReduction& reduction,
                                    const ReductionSettings& settings, std::string heightsSource);

// A statement of the summary: a label and its value, UTF-8.
struct SummaryLine {
  std::string label;
  std::string value;
};

// The statements, in the order every view shows them.
std::vector<SummaryLine> ReductionSummaryLines(const ReductionSummary& summary);

// How the certificate and the JSON name what the published distances are: "horizontal" or
// "mark to mark".
std::string_view PublishedDistanceKindText(PublishedDistanceKind kind);

}  // namespace mensuro
