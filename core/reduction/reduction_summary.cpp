#include "core/reduction/reduction_summary.h"

#include <fmt/format.h>
#include <algorithm>
#include <utility>
#include <variant>

namespace mensuro {
namespace {

void Widen(std::optional<ValueRange>& range, double value) {
  if (!range) {
    range = ValueRange{value, value};
  } else {
    range->smallest = std::min(range->smallest, value);
    range->largest = std::max(range->largest, value);
  }
}

// A range as its readings were typed ("9.7 to 16.2"), one value when all are the same.
std::string RangeText(const ValueRange& range, std::string_view unit, int decimals = -1) {
  const auto number = [decimals](double value) {
    return decimals < 0 ? fmt::format("{}", value) : fmt::format("{:.{}f}", value, decimals);
  };
  const std::string smallest = number(range.smallest);
  const std::string largest = number(range.largest);
  return smallest == largest ? fmt::format("{} {}", smallest, unit)
                             : fmt::format("{} to {} {}", smallest, largest, unit);
}

std::string ReferenceText(const EdmCarrier& carrier) {
  if (const auto* index = std::get_if<double>(&carrier.reference)) {
    return fmt::format("refractive index n_REF = {}", *index);
  }
  const auto& atmosphere = std::get<ReferenceAtmosphere>(carrier.reference);
  return fmt::format("{} °C, {} hPa, {} % relative humidity", atmosphere.temperature,
                     atmosphere.pressure, atmosphere.humidity);
}

std::string TargetText(const ReductionSummary& summary) {
  if (summary.target == PublishedDistanceKind::kMarkToMark) {
    return "mark to mark";
  }
  return summary.horizontalAt
             ? fmt::format("horizontal, at the height {:.3f} m", *summary.horizontalAt)
             : std::string("horizontal, at the mean height of the two marks");
}

}  // namespace

ReductionSummary SummariseReduction(const FieldReduction& reduction,
                                    const ReductionSettings& settings, std::string heightsSource) {
  ReductionSummary summary;
  summary.kind = reduction.kind;
  summary.observations = reduction.rows.size();
  if (reduction.kind != FieldDistanceKind::kSlope) {
    return summary;
  }
  summary.carrier = settings.carrier;
  summary.target = reduction.target;
  summary.horizontalAt =
      reduction.target == PublishedDistanceKind::kHorizontal ? settings.horizontalAt : std::nullopt;
  summary.heightsSource = std::move(heightsSource);
  for (const ReducedObservation& row : reduction.rows) {
    const FieldWeather& weather = row.observation.weather;
    Widen(summary.temperature, weather.temperature);
    Widen(summary.pressure, weather.pressure);
    // From a wet bulb the humidity is the vapour pressure against saturation.
    Widen(summary.humidity,
          weather.humidity.value_or(100.0 * row.vapourPressure /
                                    SaturationVapourPressure(weather.temperature)));
    summary.humidityFromWetBulb = summary.humidityFromWetBulb || !weather.humidity.has_value();
  }
  return summary;
}

std::vector<SummaryLine> ReductionSummaryLines(const ReductionSummary& summary) {
  const std::size_t count = summary.observations;
  if (summary.kind != FieldDistanceKind::kSlope) {
    return {{"Field observations",
             fmt::format("{} horizontal distance{}, taken as the field file gives them", count,
                         count == 1 ? "" : "s")}};
  }
  std::vector<SummaryLine> lines = {
      {"Field observations",
       fmt::format("{} slope distance{}, corrected for the atmosphere (IAG 1999) and reduced to "
                   "the marks",
                   count, count == 1 ? "" : "s")}};
  if (summary.carrier) {
    lines.push_back({"Carrier wavelength", fmt::format("{} µm", summary.carrier->wavelength)});
    lines.push_back({"Reference", ReferenceText(*summary.carrier)});
  }
  lines.push_back({"Reduced to", TargetText(summary)});
  lines.push_back({"Heights of the marks", summary.heightsSource});
  if (summary.temperature) {
    lines.push_back({"Temperature", RangeText(*summary.temperature, "°C")});
  }
  if (summary.pressure) {
    lines.push_back({"Pressure", RangeText(*summary.pressure, "hPa")});
  }
  if (summary.humidity) {
    lines.push_back(
        {"Relative humidity", summary.humidityFromWetBulb
                                  ? RangeText(*summary.humidity, "%", 0) + " (from the wet bulb)"
                                  : RangeText(*summary.humidity, "%")});
  }
  return lines;
}

std::string_view PublishedDistanceKindText(PublishedDistanceKind kind) {
  return kind == PublishedDistanceKind::kMarkToMark ? "mark to mark" : "horizontal";
}

}  // namespace mensuro
