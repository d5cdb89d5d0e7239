#pragma once

#include <cstddef>
#include <functional>
#include <nlohmann/json.hpp>
#include <optional>
#include <ostream>
#include <string>

#include "core/analysis/calibration_uncertainty.h"
#include "core/analysis/full_test.h"
#include "core/analysis/outlier_test.h"
#include "core/analysis/report_text.h"
#include "core/data/input_notices.h"
#include "core/data/measurement_header.h"
#include "core/processing/exclusions.h"
#include "core/processing/processed_calibration.h"
#include "core/processing/project_processing.h"
#include "core/reduction/reduction_summary.h"

namespace mensuro {

// Writes the results of a successful run as one JSON document to `out`: the header as the run
// left it, every observation, every station pair, the fitted values, both verdicts and the
// report's lines, followed by the members of `input` (what reading the texts noticed). Each pair
// carries its studentized residual and outlier verdict from `outliers`. Doubles keep
// every bit (shortest round-trip form); values that are not finite become null. The document is
// written member by member, so a run of a million observations never holds a second copy of them as
// JSON; the text is that of JsonText on the whole document.
void WriteResultsJson(std::ostream& out, const MeasurementHeader& header, const ProjectRun& run,
                      const OutlierTest& outliers, const ReportText& report,
                      const nlohmann::json& input);

// The outlier test: its level for all pairs and for one, the degrees of freedom, the limit and
// the outlying pairs; or the reason it does not apply.
nlohmann::json OutlierTestJson(const OutlierTest& test, const AdjustmentTable& entries);

// What was left out of the fit: each pair (from, to) or line, its reason, the measured lines it
// took and the observation on each (from, to, distance, line).
nlohmann::json ExcludedJson(const std::vector<AppliedExclusion>& exclusions);

// The correction's uncertainty budget: covariance and correlation of constant and scale, the
// inputs as given (in their own units), the correction table (metres) and the overall
// conformity (the inputs as ConditionsJson writes them). Infinite degrees of freedom and a
// conformity without an acceptance limit are null.
nlohmann::json UncertaintyJson(const UncertaintyInputs& inputs,
                               const CorrectionUncertainty& budget);

// A number, or null when there is none.
nlohmann::json OrNull(const std::optional<double>& value);

// The inputs of the uncertainty budget as given, each in its own units; null where not given.
// A run that estimates the cyclic error gives its "cyclic": {"unitLength" (m), "harmonics"}.
// A run that used equipment lists it under "equipment": each item's kind, make, model, serial
// and certificate (number, issuedBy, date, validUntil and its figures), with "acceptedReason"
// when that certificate was not valid on the date of measurement.
nlohmann::json ConditionsJson(const UncertaintyInputs& inputs);
// The same with, when station pairs of the calibration have uncertainties of their own,
// "baselinePairs": each pair's from, to, source ("pair", "formula" or "none"), U_mm, k and dof
// (null for infinite), and "baselineLeftOut" with the reason when a pair has neither.
nlohmann::json ConditionsJson(const UncertaintyInputs& inputs, const CorrectionUncertainty& budget);

// The cyclic error estimated with the constant and scale (metres, the scale a fraction as the
// result's): the unit length, degrees of freedom, s0, the joint model's constant and scale with
// their standard errors, each harmonic (sine and cosine terms, amplitude, phase in degrees, their
// standard errors or null when the amplitude is 0, F against its critical value and the
// verdict), the largest correlation with the constant or scale and the design warning (null
// when none). Terms that are not estimable give the unit length and the reason alone.
nlohmann::json CyclicJson(const CyclicAnalysis& analysis);

// The ISO 17123-4 full test (lengths in metres), or null where it does not apply.
nlohmann::json FullTestJson(const std::optional<FullTestResult>& test);

// What the published distances are: "horizontal", "mark to mark", or null when nothing says.
nlohmann::json PublishedDistancesJson(const std::optional<PublishedDistanceKind>& kind);

// How the measured text was reduced from a field file: the number of observations and the kind
// of their distances, and for slope distances the instrument's carrier (wavelength in µm), what
// they were reduced to (the reference height in metres, null for the marks' mean), where the
// heights came from and the range of the weather.
nlohmann::json ReductionJson(const ReductionSummary& summary);

// Writes the JSON document of a processed calibration to `out`: WriteResultsJson with the
// uncertainty budget, the full test, the outlier test, what was left out, what the published
// distances are, for a field file its reduction and, when the conditions ask for it, the cyclic
// error, besides the members of `input`.
void WriteCalibrationJson(std::ostream& out, const ProcessedCalibration& calibration,
                          nlohmann::json input);

// The line a notice names for a line of one of the two texts, in the file the caller counts its
// lines in.
using NoticeLineOf = std::function<std::size_t(const InputLocation& where)>;

// A line of the texts as processed; a measured line counted in the surveyor's field file when
// `origin` maps the text to one.
std::size_t ProcessedTextLine(const CalibrationOrigin& origin, const InputLocation& where);

// What reading the texts noticed: the warnings and the notes listed (each with its text, line,
// reason and content) and, when some were not listed, how many.
nlohmann::json InputNoticesJson(const InputNotices& notices, const NoticeLineOf& lineOf);

// InputNoticesJson of the calibration's run with what holds back its certificate, whether one was
// asked for or not: the members of the results' JSON that tell what reading noticed.
nlohmann::json CalibrationInputJson(const ProcessedCalibration& calibration,
                                    const NoticeLineOf& lineOf);

// Text of a JSON document for output, indented by two blanks and ending in a line feed. Bytes
// that are not UTF-8 (station names in a single-byte code page) are replaced by U+FFFD rather
// than failing the output.
std::string JsonText(const nlohmann::json& document);

}  // namespace mensuro
