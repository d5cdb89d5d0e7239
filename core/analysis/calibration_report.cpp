#include "core/analysis/calibration_report.h"

#include <fmt/compile.h>
#include <fmt/printf.h>

#include <cmath>
#include <iterator>
#include <string>
#include <string_view>

namespace mensuro {
namespace {

// A station name in a table column: left-justified, padded with blanks and cut to `width`
// bytes. Names are single-byte texts, so the column is counted in bytes, not in characters of
// some multi-byte encoding.
void AppendColumn(std::string& out, std::string_view name, std::size_t width) {
  const std::string_view shown = name.substr(0, width);
  out.append(shown);
  out.append(width - shown.size(), ' ');
}

void AppendHeader(ReportText& report, const MeasurementHeader& header) {
  AppendReportLine(report, "\n          EDM Calibration Report\n");
  AppendReportLine(report, "\n");
  AppendReportLine(report, fmt::sprintf("Date: %s\n", header.date));
  AppendReportLine(report, fmt::sprintf("Time: %s\n", header.time));
  AppendReportLine(report, fmt::sprintf("EDM Description: %s\n", header.edmDescription));
  AppendReportLine(report, fmt::sprintf("Comment: %s\n", header.comment));
  AppendReportLine(report, fmt::sprintf("Published Baseline: %s\n", header.publishedSource));
  AppendReportLine(report,
                   fmt::sprintf("Measured Calibration File Name: %s\n", header.measuredFileName));
  AppendReportLine(report, fmt::sprintf("EDM Specifications: +/- %.1f mm + %.1f PPM\n",
                                        header.constantError, header.ppmError));
}

// Every observation as measured, before averaging.
void AppendData(ReportText& report, const RecordTable& table) {
  AppendReportLine(report, "\nData:\n");
  AppendReportLine(report, "\n  From             To              Observed      Published\n");
  AppendReportLine(report,
                   "  Sta.             Sta.            Horiz. Dist.  Horiz. Dist.  Diff.\n");
  // "  %-15.15s  %-15.15s  %9.4f     %9.4f   %7.4f\n", built piece by piece: with one line per
  // observation this is the report's hot path.
  for (const ProjectRecord& record : table.entries) {
    if (record.kind != kObservationKind) {
      continue;
    }
    // Exactly the line's usual 70 characters: a million observations make a million lines.
    std::string line;
    line.reserve(70);
    line += "  ";
    AppendColumn(line, record.fromStation, 15);
    line += "  ";
    AppendColumn(line, record.toStation, 15);
    line += "  ";
    // printf's "%9.4f" and "%7.4f", aligned right explicitly as printf aligns every value ({fmt}
    // would put "inf" and "nan" on the left).
    fmt::format_to(std::back_inserter(line), FMT_COMPILE("{:>9.4f}"), record.observedDistance);
    line += "     ";
    fmt::format_to(std::back_inserter(line), FMT_COMPILE("{:>9.4f}"), record.publishedDistance);
    line += "   ";
    fmt::format_to(std::back_inserter(line), FMT_COMPILE("{:>7.4f}"),
                   record.publishedDistance - record.observedDistance);
    line += '\n';
    AppendReportLine(report, std::move(line));
  }
}

// The averaged pairs with residual and standardized difference; an asterisk flags a
// difference of three times the specified accuracy or more.
void AppendResults(ReportText& report, const CalibrationAnalysis& analysis) {
  AppendReportLine(report, "\nResults:\n");
  AppendReportLine(
      report,
      "\n  From           To           Avg. Observed  Published                      Std.\n");
  AppendReportLine(
      report,
      "  Sta.           Sta.         Horiz. Dist.  Horiz. Dist.  Diff.  Residual  Residual\n");
  // "  %-13.13s  %-14.14s  %9.4f    %9.4f   %7.4f  %7.4f    %s\n" with the flag text "*%.1f" or
  // " %.1f", built piece by piece like the data lines.
  for (const AdjustmentEntry& entry : analysis.entries) {
    std::string line;
    line.reserve(96);
    line += "  ";
    AppendColumn(line, entry.from, 13);
    line += "  ";
    AppendColumn(line, entry.to, 14);
    line += "  ";
    fmt::format_to(std::back_inserter(line), FMT_COMPILE("{:>9.4f}"), entry.C);
    line += "    ";
    fmt::format_to(std::back_inserter(line), FMT_COMPILE("{:>9.4f}"), entry.P);
    line += "   ";
    fmt::format_to(std::back_inserter(line), FMT_COMPILE("{:>7.4f}"), entry.d);
    line += "  ";
    fmt::format_to(std::back_inserter(line), FMT_COMPILE("{:>7.4f}"), entry.r);
    line += "    ";
    line += entry.flagged ? '*' : ' ';
    fmt::format_to(std::back_inserter(line), FMT_COMPILE("{:.1f}"), entry.standardizedDifference);
    line += '\n';
    AppendReportLine(report, std::move(line));
  }
  // "RMS:" starts in column 55, its value stands under the Diff. column.
  AppendReportLine(report, fmt::sprintf("  %51.51c RMS:%7.4f\n", ' ', analysis.result.rms));
}

void AppendStatistics(ReportText& report, const CalibrationResult& result) {
  AppendReportLine(report,
                   "\n    Null Hypothesis, HO: EDM scale error and EDM constant error = 0.0\n");
  AppendReportLine(report, fmt::sprintf("\n    Scale Error: %.3f ppm\n", result.scale * 1000000.0));
  AppendReportLine(report, fmt::sprintf("    Constant Error: %.4fm\n", result.constant));
  AppendReportLine(report, fmt::sprintf("\n    Standard Error of Scale: %.3f ppm\n",
                                        result.scaleStdError * 1000000.0));
  AppendReportLine(
      report, fmt::sprintf("    Standard Error of Constant: %.4fm\n", result.constantStdError));
  AppendReportLine(report, fmt::sprintf("\n    Covariance: %f   Correlation: %f \n",
                                        result.covariance, result.correlation));
  AppendReportLine(report,
                   fmt::sprintf("    Variance of Unit Weight: %f\n", result.unitWeightVariance));
  AppendReportLine(report, fmt::sprintf("    Standard Error of Unit Weight: %.7f\n",
                                        std::sqrt(result.unitWeightVariance)));
  AppendReportLine(report, fmt::sprintf("\n    Scale t-Value: %.4f\n", result.scaleT));
  AppendReportLine(report, fmt::sprintf("    Constant t-Value: %.4f\n", result.constantT));
  AppendReportLine(report, fmt::sprintf("\n    Degrees of Freedom: %d\n", result.degreesOfFreedom));
  AppendReportLine(report,
                   fmt::sprintf("    Critical t-Value at the 5 percent significance level: %.4f\n",
                                result.criticalT));
}

// The verdicts print the magnitudes of the t-values against the critical value.
void AppendVerdicts(ReportText& report, const CalibrationAnalysis& analysis) {
  const CalibrationResult& result = analysis.result;
  if (analysis.scaleTestPassed) {
    AppendReportLine(
        report, "\n        Passes the t-test for the scale error. (The scale factor is 0.0.)\n");
    AppendReportLine(report, fmt::sprintf("          %.4f is less than %.4f. \n",
                                          std::fabs(result.scaleT), result.criticalT));
  } else {
    AppendReportLine(
        report, "\n     ** Fails the t-test for the scale error. (The scale factor is not 0.0.)\n");
    AppendReportLine(report, fmt::sprintf("          %.4f is greater than %.4f. \n",
                                          std::fabs(result.scaleT), result.criticalT));
  }
  if (analysis.constantTestPassed) {
    AppendReportLine(
        report, "\n        Passes the t-test for the constant error. (The constant is 0.0.)\n");
    AppendReportLine(report, fmt::sprintf("          %.4f is less than %.4f. \n\n",
                                          std::fabs(result.constantT), result.criticalT));
  } else {
    AppendReportLine(
        report, "\n     ***Fails the t-test for the constant error. (The constant is not 0.0.)\n");
    AppendReportLine(report, fmt::sprintf("          %.4f is greater than %.4f. \n\n",
                                          std::fabs(result.constantT), result.criticalT));
  }
}

// What a failed test usually means in the field, scale first.
void AppendAdvice(ReportText& report, const CalibrationAnalysis& analysis) {
  AppendReportLine(report, "");
  if (!analysis.scaleTestPassed) {
    AppendReportLine(
        report, "\n**  Failing the t-test for the scale error is indicative of not having the\n");
    AppendReportLine(
        report, "      atmospheric correction set correctly, or a vertical collimation error.\n");
    AppendReportLine(
        report,
        "      Check the atmospheric correction setting and/or the vertical collimation on\n");
    AppendReportLine(report, "      the EDM/data collector.\n\n");
    AppendReportLine(report, " ");
  }
  if (!analysis.constantTestPassed) {
    AppendReportLine(
        report, "\n*** Failing the t-test for the constant error is indicative of an incorrect\n");
    AppendReportLine(
        report,
        "      prism constant. Check the prism constant setting on EDM/data collector.\n\n");
    AppendReportLine(report, " ");
  }
}

}  // namespace

void WriteCalibrationReport(ReportText& report, const MeasurementHeader& header,
                            const RecordTable& table, const CalibrationAnalysis& analysis) {
  StartReport(report);
  AppendHeader(report, header);
  AppendData(report, table);
  AppendResults(report, analysis);
  AppendStatistics(report, analysis.result);
  AppendVerdicts(report, analysis);
  AppendAdvice(report, analysis);
}

}  // namespace mensuro
