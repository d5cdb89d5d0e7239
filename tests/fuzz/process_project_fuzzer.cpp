// The whole run, from the two texts to the report. The input holds the measured text, then a NUL
// byte and the published text (no NUL: no published text). A run that succeeds must give the
// report's fixed layout with one data line per observation and one results line per station
// pair, every number as the C library's printf writes it; a run that fails must say so in its
// message and leave no report; and the same texts must always give the same outcome.

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/analysis/calibration_uncertainty.h"
#include "core/analysis/full_test.h"
#include "core/analysis/report_text.h"
#include "core/data/text_lines.h"
#include "core/processing/project_processing.h"
#include "support/report_lines.h"
#include "tests/fuzz/fuzz_check.h"

namespace mensuro {
namespace {

using fuzz::Printf;
using fuzz::SameBits;
using fuzz::Shown;

constexpr std::string_view kFailurePrefix = "Error processing project:\n";

struct Outcome {
  int result = -1;
  MeasurementHeader header;
  ReportText report;
  std::string message;
  ProjectRun run;
};

Outcome Run(const fuzz::TwoTexts& texts) {
  Outcome outcome;
  outcome.result = ProcessProject(outcome.report, outcome.header, texts.first, texts.second,
                                  outcome.message, outcome.run);
  return outcome;
}

// Walks the report's lines (the joined report split at every line feed) against the expected
// ones.
class ReportLines {
 public:
  explicit ReportLines(const ReportText& report)
      : text_(JoinReportLines(report)), lines_(fuzz::Pieces(text_, '\n')) {}

  void Expect(std::string_view expected) {
    MENSURO_FUZZ_CHECK(next_ < lines_.size(),
                       Printf("report line %zu missing, expected ", next_ + 1) + Shown(expected));
    MENSURO_FUZZ_CHECK(lines_[next_] == expected, Printf("report line %zu is ", next_ + 1) +
                                                      Shown(lines_[next_]) + ", expected " +
                                                      Shown(expected));
    ++next_;
  }

  // A line that begins with `start` and ends with `end`.
  void ExpectAround(std::string_view start, std::string_view end) {
    MENSURO_FUZZ_CHECK(next_ < lines_.size(), Printf("report line %zu missing", next_ + 1));
    const std::string_view line = lines_[next_];
    MENSURO_FUZZ_CHECK(
        line.size() >= start.size() + end.size() && line.starts_with(start) && line.ends_with(end),
        Printf("report line %zu is ", next_ + 1) + Shown(line) + ", expected " + Shown(start) +
            " ... " + Shown(end));
    ++next_;
  }

  void ExpectEnd() {
    MENSURO_FUZZ_CHECK(next_ == lines_.size(),
                       Printf("report has %zu lines, expected %zu; line %zu is ", lines_.size(),
                              next_, next_ + 1) +
                           Shown(lines_[next_]));
  }

 private:
  std::string text_;
  std::vector<std::string_view> lines_;
  std::size_t next_ = 0;
};

std::size_t DistinctPairs(const RecordTable& records) {
  std::set<std::pair<std::string, std::string>> pairs;
  for (const ProjectRecord& record : records.entries) {
    if (record.kind == kObservationKind) {
      pairs.insert(std::minmax(record.fromStation, record.toStation));
    }
  }
  return pairs.size();
}

// The station pairs as the analysis must find them, grouped here by an ordered map rather than
// the core's hash map: in the order of the observations that close them, with the names of that
// last observation, its published distance and the magnitude of the mean observed distance
// (summed in table order, as the analysis sums).
void CheckPairs(const RecordTable& records, const AdjustmentTable& entries) {
  struct Pair {
    std::size_t last = 0;
    double sum = 0.0;
    std::size_t count = 0;
  };
  std::map<std::pair<std::string_view, std::string_view>, Pair> pairs;
  for (std::size_t i = 0; i < records.entries.size(); ++i) {
    const ProjectRecord& record = records.entries[i];
    if (record.kind == kObservationKind) {
      const std::string_view a = record.fromStation;
      const std::string_view b = record.toStation;
      Pair& pair = pairs[{std::min(a, b), std::max(a, b)}];
      pair.last = i;
      pair.sum += record.observedDistance;
      ++pair.count;
    }
  }
  std::map<std::size_t, const Pair*> byLast;
  for (const auto& [names, pair] : pairs) {
    byLast.emplace(pair.last, &pair);
  }
  MENSURO_FUZZ_CHECK(entries.size() == byLast.size(),
                     Printf("%zu pairs reported, %zu measured", entries.size(), byLast.size()));
  std::size_t n = 0;
  for (const auto& [last, pair] : byLast) {
    const ProjectRecord& closing = records.entries[last];
    const AdjustmentEntry& entry = entries[n++];
    MENSURO_FUZZ_CHECK(entry.from == closing.fromStation && entry.to == closing.toStation,
                       Printf("pair %zu is ", n) + Shown(entry.from) + " - " + Shown(entry.to));
    MENSURO_FUZZ_CHECK(SameBits(entry.P, closing.publishedDistance), Printf("pair %zu", n));
    const double C = std::fabs(pair->sum / static_cast<double>(pair->count));
    MENSURO_FUZZ_CHECK(SameBits(entry.C, C), Printf("pair %zu: C %a, expected %a", n, entry.C, C));
  }
}

// The title and the header's lines.
void ExpectHeading(ReportLines& lines, const MeasurementHeader& header) {
  lines.Expect("");
  lines.Expect("          EDM Calibration Report");
  lines.Expect("");
  lines.Expect("Date: " + header.date);
  lines.Expect("Time: " + header.time);
  lines.Expect("EDM Description: " + header.edmDescription);
  lines.Expect("Comment: " + header.comment);
  lines.Expect("Published Baseline: " + header.publishedSource);
  lines.Expect("Measured Calibration File Name: " + header.measuredFileName);
  // The instrument's accuracy, with one decimal each.
  lines.ExpectAround("EDM ",
                     Printf(": +/- %.1f mm + %.1f PPM", header.constantError, header.ppmError));
}

// A data line per observation, in the order of the measured text.
void ExpectDataLines(ReportLines& lines, const RecordTable& records) {
  lines.Expect("");
  lines.Expect("Data:");
  lines.Expect("");
  lines.Expect("  From             To              Observed      Published");
  lines.Expect("  Sta.             Sta.            Horiz. Dist.  Horiz. Dist.  Diff.");
  // Station names hold no NUL (the measured text ends at the first one), so %s shows them whole.
  for (const ProjectRecord& record : records.entries) {
    if (record.kind == kObservationKind) {
      lines.Expect(Printf("  %-15.15s  %-15.15s  %9.4f     %9.4f   %7.4f",
                          record.fromStation.c_str(), record.toStation.c_str(),
                          record.observedDistance, record.publishedDistance,
                          record.publishedDistance - record.observedDistance));
    }
  }
}

// A results line per station pair, and their RMS.
void ExpectResultLines(ReportLines& lines, const CalibrationAnalysis& analysis) {
  const CalibrationResult& result = analysis.result;
  lines.Expect("");
  lines.Expect("Results:");
  lines.Expect("");
  lines.Expect("  From           To           Avg. Observed  Published                      Std.");
  lines.Expect(
      "  Sta.           Sta.         Horiz. Dist.  Horiz. Dist.  Diff.  Residual  Residual");
  for (const AdjustmentEntry& entry : analysis.entries) {
    MENSURO_FUZZ_CHECK(entry.flagged == (entry.standardizedDifference >= 3.0),
                       Printf("%g", entry.standardizedDifference));
    lines.Expect(Printf("  %-13.13s  %-14.14s  %9.4f    %9.4f   %7.4f  %7.4f    %c%.1f",
                        entry.from.c_str(), entry.to.c_str(), entry.C, entry.P, entry.d, entry.r,
                        entry.flagged ? '*' : ' ', entry.standardizedDifference));
  }
  lines.Expect(std::string(53, ' ') + " RMS:" + Printf("%7.4f", result.rms));
}

// The fitted scale and constant errors and the statistics of the fit.
void ExpectStatistics(ReportLines& lines, const CalibrationAnalysis& analysis) {
  const CalibrationResult& result = analysis.result;
  lines.Expect("");
  lines.Expect("    Null Hypothesis, HO: EDM scale error and EDM constant error = 0.0");
  lines.Expect("");
  lines.Expect(Printf("    Scale Error: %.3f ppm", result.scale * 1000000.0));
  lines.Expect(Printf("    Constant Error: %.4fm", result.constant));
  lines.Expect("");
  lines.Expect(Printf("    Standard Error of Scale: %.3f ppm", result.scaleStdError * 1000000.0));
  lines.Expect(Printf("    Standard Error of Constant: %.4fm", result.constantStdError));
  lines.Expect("");
  lines.Expect(
      Printf("    Covariance: %f   Correlation: %f ", result.covariance, result.correlation));
  lines.Expect(Printf("    Variance of Unit Weight: %f", result.unitWeightVariance));
  lines.Expect(
      Printf("    Standard Error of Unit Weight: %.7f", std::sqrt(result.unitWeightVariance)));
  lines.Expect("");
  lines.Expect(Printf("    Scale t-Value: %.4f", result.scaleT));
  lines.Expect(Printf("    Constant t-Value: %.4f", result.constantT));
  lines.Expect("");
  lines.Expect(Printf("    Degrees of Freedom: %zu", analysis.entries.size() - 2));
  lines.Expect(
      Printf("    Critical t-Value at the 5 percent significance level: %.4f", result.criticalT));
}

// Whether each error passes its t-test.
void ExpectVerdicts(ReportLines& lines, const CalibrationAnalysis& analysis) {
  const CalibrationResult& result = analysis.result;
  lines.Expect("");
  if (analysis.scaleTestPassed) {
    lines.Expect("        Passes the t-test for the scale error. (The scale factor is 0.0.)");
    lines.Expect(
        Printf("          %.4f is less than %.4f. ", std::fabs(result.scaleT), result.criticalT));
  } else {
    lines.Expect("     ** Fails the t-test for the scale error. (The scale factor is not 0.0.)");
    lines.Expect(Printf("          %.4f is greater than %.4f. ", std::fabs(result.scaleT),
                        result.criticalT));
  }
  lines.Expect("");
  if (analysis.constantTestPassed) {
    lines.Expect("        Passes the t-test for the constant error. (The constant is 0.0.)");
    lines.Expect(Printf("          %.4f is less than %.4f. ", std::fabs(result.constantT),
                        result.criticalT));
  } else {
    lines.Expect("     ***Fails the t-test for the constant error. (The constant is not 0.0.)");
    lines.Expect(Printf("          %.4f is greater than %.4f. ", std::fabs(result.constantT),
                        result.criticalT));
  }
  lines.Expect("");
}

// The advice for each failed test, which ends the report.
void ExpectAdvice(ReportLines& lines, const CalibrationAnalysis& analysis) {
  // The advice for each failed test is set off by an empty line and closed by a line holding
  // one blank, which the next advice (or the end of the report) follows directly.
  std::string_view lastLine = "";
  if (!analysis.scaleTestPassed) {
    lines.Expect(lastLine);
    lines.Expect("**  Failing the t-test for the scale error is indicative of not having the");
    lines.Expect("      atmospheric correction set correctly, or a vertical collimation error.");
    lines.Expect(
        "      Check the atmospheric correction setting and/or the vertical collimation on");
    lines.Expect("      the EDM/data collector.");
    lines.Expect("");
    lastLine = " ";
  }
  if (!analysis.constantTestPassed) {
    lines.Expect(lastLine);
    lines.Expect("*** Failing the t-test for the constant error is indicative of an incorrect");
    lines.Expect("      prism constant. Check the prism constant setting on EDM/data collector.");
    lines.Expect("");
    lastLine = " ";
  }
  lines.Expect(lastLine);
}

void CheckReport(const Outcome& outcome) {
  const CalibrationAnalysis& analysis = outcome.run.analysis;
  MENSURO_FUZZ_CHECK(outcome.message.empty(), Shown(outcome.message));
  MENSURO_FUZZ_CHECK(analysis.entries.size() >= 3, Printf("%zu", analysis.entries.size()));
  CheckPairs(outcome.run.records, analysis.entries);

  ReportLines lines(outcome.report);
  ExpectHeading(lines, outcome.header);
  ExpectDataLines(lines, outcome.run.records);
  ExpectResultLines(lines, analysis);
  ExpectStatistics(lines, analysis);
  ExpectVerdicts(lines, analysis);
  ExpectAdvice(lines, analysis);
  lines.ExpectEnd();
}

void CheckFailure(const Outcome& outcome) {
  MENSURO_FUZZ_CHECK(outcome.report.lines.empty(), Printf("%zu", outcome.report.lines.size()));
  MENSURO_FUZZ_CHECK(std::string_view(outcome.message).starts_with(kFailurePrefix),
                     Shown(outcome.message));
  // Without a reason the run had fewer than three station pairs to fit.
  if (outcome.message.size() == kFailurePrefix.size()) {
    MENSURO_FUZZ_CHECK(DistinctPairs(outcome.run.records) < 3,
                       Printf("%zu pairs", DistinctPairs(outcome.run.records)));
  }
}

// Every listed warning or note names a line of its text that holds what it shows, in the order
// of texts and lines, and the counts agree with the list.
void CheckNotices(const Outcome& outcome, const fuzz::TwoTexts& texts) {
  const InputNotices& notices = outcome.run.notices;
  MENSURO_FUZZ_CHECK(
      notices.listed.size() == std::min(kListedNoticeLimit, notices.warnings + notices.notes),
      Printf("%zu listed of %zu", notices.listed.size(), notices.warnings + notices.notes));
  std::vector<std::string_view> lines[2];
  for (const int i : {0, 1}) {
    std::string_view text = i == 0 ? texts.first : texts.second;
    while (!text.empty()) {
      const std::size_t end = std::min(text.find('\n'), text.size());
      lines[i].push_back(TrimLineEnd(text.substr(0, end)));
      text.remove_prefix(std::min(end + 1, text.size()));
    }
  }
  const InputNotice* previous = nullptr;
  for (const InputNotice& notice : notices.listed) {
    const auto& ofText = lines[notice.where.text == InputText::kMeasured ? 0 : 1];
    MENSURO_FUZZ_CHECK(notice.where.line >= 1 && notice.where.line <= ofText.size(),
                       Printf("line %zu of %zu", notice.where.line, ofText.size()));
    MENSURO_FUZZ_CHECK(ofText[notice.where.line - 1] == notice.content,
                       Printf("line %zu: ", notice.where.line) + Shown(notice.content));
    if (previous != nullptr) {
      MENSURO_FUZZ_CHECK(
          std::pair(previous->where.text, previous->where.line) <=
              std::pair(notice.where.text, notice.where.line),
          Printf("line %zu after line %zu", notice.where.line, previous->where.line));
    }
    previous = &notice;
  }
}

// The budget of any fitted run: at most eleven rows from 0 m in equal steps reaching the longest
// published distance, and an expanded uncertainty no smaller than the standard one wherever
// the fit's standard errors are numbers. The full test, where it applies, has its degrees of
// freedom.
void CheckUncertainty(const Outcome& outcome) {
  const CalibrationAnalysis& analysis = outcome.run.analysis;
  UncertaintyInputs inputs;
  inputs.baseline = BaselineUncertainty{{0.5, 1.0}, 2.0, 20.0};
  inputs.resolution = 0.1;
  inputs.acceptance = MmPlusPpm{2.0, 2.0};
  const CorrectionUncertainty budget = AnalyseUncertainty(analysis, inputs);
  MENSURO_FUZZ_CHECK(!budget.table.empty() && budget.table.size() <= 11,
                     Printf("%zu rows", budget.table.size()));
  MENSURO_FUZZ_CHECK(budget.table.front().distance == 0.0, "the table starts away from 0");
  double longest = 0.0;
  for (const AdjustmentEntry& entry : analysis.entries) {
    longest = std::max(longest, entry.P);
  }
  MENSURO_FUZZ_CHECK(budget.table.back().distance >= longest, "the table stops short");
  const bool known = std::isfinite(analysis.result.constantStdError) &&
                     std::isfinite(analysis.result.scaleStdError);
  for (const CorrectionRow& row : budget.table) {
    MENSURO_FUZZ_CHECK(row.conformity.has_value(), "a row without a verdict");
    if (known && std::isfinite(row.standardUncertainty)) {
      MENSURO_FUZZ_CHECK(row.coverageFactor >= 1.959963984540054 &&
                             row.expandedUncertainty >= row.standardUncertainty,
                         Printf("k %.17g", row.coverageFactor));
    }
  }
  if (const auto test =
          RunFullTest(analysis.entries, outcome.header.constantError, outcome.header.ppmError)) {
    MENSURO_FUZZ_CHECK(test->stations >= 4 &&
                           test->dof == static_cast<int>(analysis.entries.size()) - test->stations,
                       Printf("%d stations, %d dof", test->stations, test->dof));
  }
}

}  // namespace
}  // namespace mensuro

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace mensuro;
  const fuzz::TwoTexts texts = fuzz::SplitAtNul(fuzz::InputText(data, size));

  const Outcome first = Run(texts);
  MENSURO_FUZZ_CHECK(first.result == 0 || first.result == 1, Printf("%d", first.result));
  if (first.result == 0) {
    CheckReport(first);
    CheckUncertainty(first);
  } else {
    CheckFailure(first);
  }
  CheckNotices(first, texts);
  // Fewer than three pairs can never be fitted.
  if (DistinctPairs(first.run.records) < 3) {
    MENSURO_FUZZ_CHECK(first.result == 1, "a report from fewer than three station pairs");
  }

  const Outcome second = Run(texts);
  MENSURO_FUZZ_CHECK(second.result == first.result, "the same texts, another result");
  MENSURO_FUZZ_CHECK(second.report.lines == first.report.lines, "the same texts, another report");
  MENSURO_FUZZ_CHECK(second.message == first.message, Shown(second.message));
  return 0;
}
