#include "core/baseline/baseline_text.h"

#include <fmt/format.h>

#include <algorithm>
#include <vector>

#include "core/data/visible_text.h"

namespace mensuro {
namespace {

enum class Align { kLeft, kRight };

struct Column {
  std::string_view title;  // none for every column: no title line
  Align align = Align::kRight;
};

using Row = std::vector<std::string>;

// The rows under their columns' titles, each column as wide as its widest cell, two blanks
// between columns; lines indented by two blanks, with no blanks at their end.
std::string Table(const std::vector<Column>& columns, const std::vector<Row>& rows) {
  std::vector<std::size_t> widths;
  for (const Column& column : columns) {
    widths.push_back(column.title.size());
  }
  for (const Row& row : rows) {
    for (std::size_t i = 0; i < row.size() && i < widths.size(); ++i) {
      widths[i] = std::max(widths[i], row[i].size());
    }
  }
  const auto line = [&](const auto& cellOf) {
    std::string text = " ";
    for (std::size_t i = 0; i < columns.size(); ++i) {
      const std::string_view cell = cellOf(i);
      const std::string padding(widths[i] - std::min(widths[i], cell.size()), ' ');
      text += ' ';
      text += columns[i].align == Align::kRight ? padding : std::string();
      text += cell;
      text += columns[i].align == Align::kLeft ? padding : std::string();
      text += ' ';
    }
    text.erase(text.find_last_not_of(' ') + 1);
    return text + '\n';
  };
  const bool titled = std::any_of(columns.begin(), columns.end(),
                                  [](const Column& column) { return !column.title.empty(); });
  std::string table = titled ? line([&](std::size_t i) { return columns[i].title; }) : "";
  for (const Row& row : rows) {
    table += line([&](std::size_t i) { return i < row.size() ? std::string_view(row[i]) : ""; });
  }
  return table;
}

std::string Name(std::string_view name) {
  return VisibleText(name);
}

std::string Metres(double metres) {
  return fmt::format("{:.4f}", metres);
}

std::string Millimetres(double metres) {
  return fmt::format("{:.2f}", metres * 1e3);
}

// The survey, its reference instrument and how the observations were weighted.
std::string SurveyPart(const BaselineCalibration& calibration, std::string_view name) {
  const MeasurementHeader& header = calibration.header;
  const BaselineAdjustment& adjustment = calibration.adjustment;
  const auto stated = [](const std::string& text) {
    return text.empty() ? std::string("not stated") : Name(text);
  };
  std::string text = fmt::format("Baseline Calibration: {}\n\n", Name(name));
  text += fmt::format("Reference instrument:  {}\n", stated(header.edmDescription));
  text += fmt::format("Date of measurement:   {}{}\n", stated(header.date),
                      header.time.empty() ? "" : " " + Name(header.time));
  if (!header.measuredFileName.empty()) {
    text += fmt::format("Measured file:         {}\n", Name(header.measuredFileName));
  }
  if (!header.comment.empty()) {
    text += fmt::format("Comment:               {}\n", Name(header.comment));
  }
  const ReferenceScale& scale = adjustment.referenceScale;
  text += scale.ppm == 0.0 && scale.expandedPpm == 0.0
              ? std::string("Scale correction:      none\n")
              : fmt::format(
                    "Scale correction:      {:+.3f} ppm, expanded uncertainty {:.3f} ppm "
                    "(k = {:.2f})\n",
                    scale.ppm, scale.expandedPpm, scale.k);
  text +=
      adjustment.aprioriMm == 0.0 && adjustment.aprioriPpm == 0.0
          ? std::string("A priori accuracy:     none stated, every observation weighted alike\n")
          : fmt::format("A priori accuracy:     {:.2f} mm + {:.2f} ppm\n", adjustment.aprioriMm,
                        adjustment.aprioriPpm);
  text += fmt::format("Pillar order:          {}\n",
                      adjustment.orderInferred ? "inferred from the observations" : "as given");
  return text;
}

std::string PillarsPart(const BaselineAdjustment& adjustment) {
  std::vector<Row> rows;
  for (const PillarPosition& pillar : adjustment.pillars) {
    rows.push_back(
        {Name(pillar.name), Metres(pillar.position), Millimetres(pillar.standardUncertainty)});
  }
  return "Pillars\n" + Table({{"Pillar", Align::kLeft}, {"Position m"}, {"u mm"}}, rows);
}

std::string DistancesPart(const BaselineAdjustment& adjustment) {
  std::vector<Row> rows;
  for (const CertifiedDistance& pair : adjustment.distances) {
    rows.push_back({Name(pair.from), Name(pair.to), Metres(pair.distance),
                    Millimetres(pair.expanded), fmt::format("{:.2f}", pair.k)});
  }
  return "Certified distances (U at about 95 %)\n" +
         Table({{"From", Align::kLeft}, {"To", Align::kLeft}, {"D m"}, {"U mm"}, {"k"}}, rows);
}

// The constant, the adjustment's figures and its variance test.
std::string AdjustmentPart(const BaselineAdjustment& adjustment) {
  const bool weighted = adjustment.aprioriMm != 0.0 || adjustment.aprioriPpm != 0.0;
  std::string text =
      fmt::format("Reference instrument constant c: {} mm, standard uncertainty {} mm\n\n",
                  Millimetres(adjustment.constant), Millimetres(adjustment.constantUncertainty));
  // Without a priori accuracies every weight is 1, and s0 is a length.
  const std::string s0 =
      weighted ? fmt::format("{:.3f}", adjustment.s0) : Millimetres(adjustment.s0) + " mm";
  text += "Adjustment\n" + Table({{"", Align::kLeft}, {}},
                                 {{"Observations m", std::to_string(adjustment.observationCount)},
                                  {"Unknowns n", std::to_string(adjustment.unknowns)},
                                  {"Degrees of freedom nu", std::to_string(adjustment.dof)},
                                  {"s0", s0}});
  text += "\n";
  if (const std::optional<SurveyVarianceTest>& test = adjustment.varianceTest) {
    text += fmt::format(
        "Variance test: chi-square {:.2f} {} critical {:.2f} (95 %, {} degrees of freedom): {}\n",
        test->chiSquare, test->passed ? "<=" : ">", test->critical, adjustment.dof,
        test->passed ? "passed"
                     : "failed; the survey scattered more than the reference instrument's "
                       "stated accuracy");
  } else {
    text += "Variance test: not made, the observations have no a priori accuracy\n";
  }
  return text;
}

std::string OutlierPart(const BaselineAdjustment& adjustment) {
  const SurveyOutlierTest& test = adjustment.outlierTest;
  if (!test.applicable) {
    return fmt::format("Outlier test: not applicable, {}\n", test.reason);
  }
  std::string text = fmt::format(
      "Outlier test (Pope's tau, alpha {:.4f} % for each observation): critical tau "
      "{:.3f}\n",
      test.alphaEach * 100.0, test.critical);
  std::vector<Row> rows;
  for (const SurveyObservation& observation : adjustment.observations) {
    if (observation.outlier) {
      rows.push_back({std::to_string(observation.line), Name(observation.from),
                      Name(observation.to), Metres(observation.distance),
                      Millimetres(observation.residual),
                      observation.standardizedResidual
                          ? fmt::format("{:.2f}", *observation.standardizedResidual)
                          : std::string()});
    }
  }
  if (rows.empty()) {
    return text + "  No observation is an outlier.\n";
  }
  return text + "  Outliers:\n" +
         Table({{"Line"},
                {"From", Align::kLeft},
                {"To", Align::kLeft},
                {"Distance m"},
                {"Residual mm"},
                {"w"}},
               rows);
}

std::string ExcludedPart(const std::vector<AppliedExclusion>& excluded) {
  std::string text = "Observations left out\n";
  for (const AppliedExclusion& applied : excluded) {
    // A line names itself; a pair is followed by the lines it took.
    std::string lines;
    for (std::size_t i = 0; applied.exclusion.line == 0 && i < applied.lines.size(); ++i) {
      lines +=
          fmt::format("{}{}", i == 0 ? (applied.lines.size() == 1 ? " (line " : " (lines ") : ", ",
                      applied.lines[i]);
    }
    const std::string& reason = applied.exclusion.reason;
    text += fmt::format("  {}{}{}: {}\n", Name(DescribeExclusion(applied.exclusion)), lines,
                        lines.empty() ? "" : ")",
                        reason.empty() ? std::string("no reason given") : Name(reason));
  }
  return text;
}

std::string ComparisonPart(const std::vector<DistanceComparison>& comparison,
                           std::string_view source) {
  std::string text = fmt::format("Comparison with the previous certificate ({})\n", Name(source));
  if (comparison.empty()) {
    return text + "  No pair of pillars is in both.\n";
  }
  std::vector<Row> rows;
  int moved = 0;
  for (const DistanceComparison& pair : comparison) {
    moved += pair.moved ? 1 : 0;
    rows.push_back({Name(pair.from), Name(pair.to), Metres(pair.previous),
                    Metres(pair.previous + pair.difference), Millimetres(pair.difference),
                    fmt::format("{:.2f}", pair.En),
                    pair.moved ? "moved beyond its uncertainty" : ""});
  }
  text += Table({{"From", Align::kLeft},
                 {"To", Align::kLeft},
                 {"Previous m"},
                 {"New m"},
                 {"Difference mm"},
                 {"En"},
                 {"", Align::kLeft}},
                rows);
  return text + (moved == 0
                     ? "  No pair moved beyond its uncertainty (|En| <= 1).\n"
                     : fmt::format("  {} pair{} moved beyond {} uncertainty (|En| > 1).\n", moved,
                                   moved == 1 ? "" : "s", moved == 1 ? "its" : "their"));
}

}  // namespace

std::string BaselineCalibrationText(const BaselineCalibration& calibration, std::string_view name) {
  const BaselineAdjustment& adjustment = calibration.adjustment;
  std::string text = SurveyPart(calibration, name);
  text += "\n" + PillarsPart(adjustment);
  text += "\n" + DistancesPart(adjustment);
  text += "\n" + AdjustmentPart(adjustment);
  text += "\n" + OutlierPart(adjustment);
  if (!calibration.excluded.empty()) {
    text += "\n" + ExcludedPart(calibration.excluded);
  }
  if (calibration.comparison) {
    text += "\n" + ComparisonPart(*calibration.comparison, calibration.previousSource);
  }
  return text;
}

}  // namespace mensuro
