#include "documents/calibration_plot_data.h"

#include <fmt/format.h>

#include <algorithm>

#include "core/analysis/cyclic_text.h"
#include "core/analysis/flag_limit.h"
#include "core/data/station_pairs.h"
#include "core/units.h"
#include "documents/report_numbers.h"

namespace mensuro {
namespace {

// Points along the band: enough for its curve to look smooth at any size.
constexpr int kBandSegments = 60;
// Points along one unit length of the cyclic curve: smooth for two harmonics.
constexpr int kCyclicSegments = 120;

double FlagLimitMm(const MeasurementHeader& header, double P) {
  return FlagLimit(header, P) * kMillimetresPerMetre;
}

std::string PlotTitle(const MeasurementHeader& header) {
  if (header.edmDescription.empty()) {
    return header.date.empty() ? std::string("EDM calibration") : "EDM calibration, " + header.date;
  }
  return header.date.empty() ? header.edmDescription : header.edmDescription + ", " + header.date;
}

}  // namespace

namespace {

// Each observation as published less observed, at its published distance.
std::vector<PlotObservation> PlotObservations(const ProjectRun& run) {
  std::vector<PlotObservation> observations;
  for (const ProjectRecord& record : run.records.entries) {
    if (record.kind == kObservationKind) {
      observations.push_back(
          {.x = record.publishedDistance,
           .y = (record.publishedDistance - record.observedDistance) * kMillimetresPerMetre,
           .from = record.fromStation,
           .to = record.toStation,
           .observed = record.observedDistance,
           .line = record.line});
    }
  }
  return observations;
}

// Each pair of the fit, with what the outlier test says of it.
std::vector<PlotPair> PlotPairs(const ProcessedCalibration& calibration) {
  const ProjectRun& run = calibration.run;
  const OutlierTest& outliers = calibration.outlierTest;
  std::vector<PlotPair> pairs;
  for (std::size_t j = 0; j < run.analysis.entries.size(); ++j) {
    const AdjustmentEntry& entry = run.analysis.entries[j];
    const bool tested = outliers.applicable && j < outliers.pairs.size();
    pairs.push_back(
        {.from = entry.from,
         .to = entry.to,
         .P = entry.P,
         .C = entry.C,
         .d = entry.d,
         .differenceMm = entry.d * kMillimetresPerMetre,
         .residualMm = entry.r * kMillimetresPerMetre,
         .standardizedDifference = entry.standardizedDifference,
         .flagged = entry.flagged,
         .observations = entry.observations,
         .stdDevMm = entry.observationStdDev * kMillimetresPerMetre,
         .spreadMm = entry.observationSpread * kMillimetresPerMetre,
         .studentizedResidual =
             tested ? std::optional(outliers.pairs[j].studentizedResidual) : std::nullopt,
         .outlier = tested && outliers.pairs[j].outlier,
         .outlierLimit = tested ? outliers.critical : 0.0,
         .outlierTestReason = tested ? std::string() : outliers.reason});
  }
  return pairs;
}

// The band of the correction and its expanded uncertainty from 0 to the largest distance.
void AddBand(const ProcessedCalibration& calibration, CalibrationPlotData& data) {
  std::vector<double> distances;
  for (int i = 0; i <= kBandSegments; ++i) {
    distances.push_back(data.largestDistance * i / kBandSegments);
  }
  for (const CorrectionRow& row : CorrectionsAt(calibration, distances)) {
    const double middle = row.correction * kMillimetresPerMetre;
    const double halfWidth = row.expandedUncertainty * kMillimetresPerMetre;
    data.bandUpper.push_back({row.distance, middle + halfWidth});
    data.bandLower.push_back({row.distance, middle - halfWidth});
  }
}

// U, then each harmonic, the verdict and the design warning, as the certificate words them.
std::vector<std::string> CyclicPanel(const CyclicAnalysis& analysis) {
  std::vector<std::string> lines = {CyclicUnitLengthText(analysis.settings.unitLength)};
  for (const CyclicHarmonic& harmonic : analysis.harmonics) {
    lines.push_back(fmt::format("Harmonic {}: amplitude {}, phase {}; {}", harmonic.order,
                                CyclicAmplitudeText(harmonic), CyclicPhaseText(harmonic),
                                CyclicTestText(harmonic)));
  }
  lines.push_back("Verdict: " + CyclicVerdictText(analysis));
  if (!analysis.warning.empty()) {
    lines.push_back("Warning: " + analysis.warning);
  }
  return lines;
}

CyclicPlot MakeCyclicPlot(const CyclicAnalysis& analysis, const AdjustmentTable& entries) {
  CyclicPlot plot;
  plot.unitLength = analysis.settings.unitLength;
  for (const AdjustmentEntry& entry : entries) {
    plot.residuals.push_back(
        {UnitFraction(entry.C, plot.unitLength), entry.r * kMillimetresPerMetre});
  }
  if (analysis.estimable) {
    for (int i = 0; i <= kCyclicSegments; ++i) {
      const double fraction = static_cast<double>(i) / kCyclicSegments;
      plot.curve.push_back({fraction, CyclicTermAt(analysis, fraction) * kMillimetresPerMetre});
    }
  }
  plot.panel = CyclicPanel(analysis);
  return plot;
}

}  // namespace

CalibrationPlotData MakeCalibrationPlotData(const ProcessedCalibration& calibration) {
  const MeasurementHeader& header = calibration.header;
  const ProjectRun& run = calibration.run;
  CalibrationPlotData data;
  data.title = PlotTitle(header);
  data.observations = PlotObservations(run);
  data.pairs = PlotPairs(calibration);
  for (const PlotPair& pair : data.pairs) {
    data.largestDistance = std::max(data.largestDistance, pair.P);
  }

  const CalibrationResult& result = run.analysis.result;
  const auto fitted = [&](double P) {
    return PlotPoint{P, (result.constant + result.scale * P) * kMillimetresPerMetre};
  };
  const double end = data.largestDistance;
  data.fitStart = fitted(0.0);
  data.fitEnd = fitted(end);
  data.upperLimitStart = {0.0, FlagLimitMm(header, 0.0)};
  data.upperLimitEnd = {end, FlagLimitMm(header, end)};
  data.lowerLimitStart = {0.0, -FlagLimitMm(header, 0.0)};
  data.lowerLimitEnd = {end, -FlagLimitMm(header, end)};
  if (!run.analysis.entries.empty()) {
    AddBand(calibration, data);
  }
  if (calibration.cyclic) {
    data.cyclic = MakeCyclicPlot(*calibration.cyclic, run.analysis.entries);
  }
  return data;
}

std::vector<PlotObservation> ObservationsOfPair(const CalibrationPlotData& data,
                                                const std::string& from, const std::string& to) {
  const StationPairKey pair(from, to);
  std::vector<PlotObservation> found;
  for (const PlotObservation& observation : data.observations) {
    if (StationPairKey(observation.from, observation.to) == pair) {
      found.push_back(observation);
    }
  }
  return found;
}

std::string PairName(const PlotPair& pair) {
  return pair.from + "-" + pair.to;
}

std::string PairDescription(const PlotPair& pair) {
  std::string text =
      fmt::format("{}\nP = {:.4f} m\nC = {:.4f} m\nd = {} mm\nStd. residual {}{}", PairName(pair),
                  pair.P, pair.C, MillimetresText(pair.d), pair.flagged ? "*" : "",
                  FixedText(pair.standardizedDifference, 1));
  if (pair.observations > 1) {
    text += fmt::format("\n{} observations, s = {:.1f} mm, spread {:.1f} mm", pair.observations,
                        pair.stdDevMm, pair.spreadMm);
  }
  if (pair.studentizedResidual) {
    text += fmt::format("\nt = {} (limit \xb1{}){}", FixedText(*pair.studentizedResidual, 2),
                        FixedText(pair.outlierLimit, 2), pair.outlier ? ": an outlier" : "");
  } else {
    text += "\nOutlier test not applicable: " + pair.outlierTestReason;
  }
  return text;
}

}  // namespace mensuro
