#pragma once

// The processed calibration: one value holding everything the views of a calibration show (the
// fixed report, the analysis, what reading the texts noticed, the uncertainty budget and table
// under the conditions in force, the full test of ISO 17123-4), built by one function. The text
// report, the JSON, the plot and the certificate are writers of it; none computes a statistic
// of its own. When the conditions change, the calibration is processed again with them.

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "core/analysis/calibration_uncertainty.h"
#include "core/analysis/cyclic_error.h"
#include "core/analysis/full_test.h"
#include "core/analysis/outlier_test.h"
#include "core/analysis/report_text.h"
#include "core/data/measurement_header.h"
#include "core/processing/exclusions.h"
#include "core/processing/project_processing.h"
#include "core/reduction/reduction_summary.h"
#include "core/reduction/station_heights.h"

namespace mensuro {

// A file the calibration was made from, as it was given (a field file before its reduction, a
// heights file, a measured or published file): the register keeps its bytes, and the certificate
// names it by its file name alone with the SHA-256 of these bytes, so that `sha256sum` of the
// named file matches.
struct InputFile {
  std::string role;    // "measured", "published", "field" or "heights"
  std::string name;    // the file's name without its folders
  std::string bytes;   // as read; empty where only the hash was handed on (the document module)
  std::string sha256;  // of `bytes`, 64 lowercase hexadecimal digits
};

// The file at `path` read as `bytes`, in the role `role`: named without its folders, hashed.
InputFile InputFileOf(std::string role, const std::filesystem::path& path, std::string bytes);

// Where the texts came from, beyond what the report prints: what the certificate and the JSON
// state of them. The caller that read the texts knows it and sets it.
struct CalibrationOrigin {
  // The origin of texts whose published distances the library baseline says are `baseline`
  // (nothing: a published file), the measured text reduced as `reduction` says (nothing: typed
  // or loaded as it is). Slope distances were reduced to what the published ones were said to
  // be, so their target states the kind; distances taken as given state nothing.
  static CalibrationOrigin Of(std::optional<PublishedDistanceKind> baseline,
                              std::optional<ReductionSummary> reduction);

  // What the published distances are, as the library baseline says; nothing when the published
  // text doesn't say (a published file).
  std::optional<PublishedDistanceKind> publishedDistances;
  // How the measured text was reduced from a field file; nothing for a measured text as such.
  std::optional<ReductionSummary> reduction;
  // When the measured text was reduced from a field file that nobody sees (the command line's
  // direct run), the field file's line of each of its lines, 0 for a header line; empty when the
  // measured text is itself what the surveyor has, and its lines are the ones to name.
  std::vector<std::size_t> fileLines;
  // The files the texts were read from, in the order above; none for a text typed or edited in
  // the window, or a library baseline's distances.
  std::vector<InputFile> files;
};

// The line of the surveyor's own file that holds line `measuredLine` of the measured text; 0 for
// a line the file has no line for.
std::size_t FileLineOf(const CalibrationOrigin& origin, std::size_t measuredLine);

struct ProcessedCalibration {
  // What it was computed from: the header as the run used it (header lines of the measured text
  // applied), the two texts and the conditions of the uncertainty budget.
  MeasurementHeader header;
  std::string measuredText;
  std::string publishedText;
  UncertaintyInputs conditions;
  // What the surveyor left out of the fit, each with the observation lines it leaves out. The
  // run reads the measured text without those lines; `measuredText` stays as it was given.
  std::vector<AppliedExclusion> exclusions;
  CalibrationOrigin origin;  // kept when the calibration is processed again

  // What it found. `run` holds the observations, the analysis and the notices on success and
  // on failure alike; the rest is filled in on success only.
  bool processed = false;
  std::string failure;  // kProcessingFailurePrefix and the reason, when not processed
  ProjectRun run;
  ReportText report;                       // the fixed report
  CorrectionUncertainty uncertainty;       // budget and table under `conditions`
  std::optional<FullTestResult> fullTest;  // when every pair of 4 or more stations was measured
  OutlierTest outlierTest;                 // of the pairs of the fit
  // The cyclic error estimated with the constant and scale, when the conditions ask for it.
  std::optional<CyclicAnalysis> cyclic;
};

// What holds back the certificate until the surveyor leaves it out of the fit with a reason or
// accepts it: the warnings of a probably misread line that enters the result (an observation
// kept in the fit, a header line, the published line whose distance a pair of the fit takes),
// and each outlier of the outlier test, given at its pair's first observation. A line that
// enters nothing (a title line, the distance of a pair not observed, an observation left out)
// holds nothing back; it is still reported.
struct CertificateObstacles {
  std::vector<InputNotice> listed;  // by text and line
  // Misread warnings beyond the listed notices: their lines are not known, so they count.
  std::size_t unlisted = 0;
  std::size_t outliers = 0;  // of `listed`, the outliers of the outlier test

  bool empty() const { return listed.empty() && unlisted == 0; }
  bool misread() const { return listed.size() > outliers || unlisted > 0; }
};

// What holds back the certificate of `calibration`; the command line, the window and the
// register all ask this.
CertificateObstacles FindCertificateObstacles(const ProcessedCalibration& calibration);

// Processes the measured text, without the observations `exclusions` leave out, against the
// published text under `header` and `conditions`. The texts move into the result, so a large
// file is not copied.
ProcessedCalibration ProcessCalibration(MeasurementHeader header, std::string measuredText,
                                        std::string publishedText, UncertaintyInputs conditions,
                                        std::vector<Exclusion> exclusions = {});

// The same calibration processed again under other conditions.
ProcessedCalibration WithConditions(const ProcessedCalibration& calibration,
                                    UncertaintyInputs conditions);

// The same calibration processed again with other exclusions.
ProcessedCalibration WithExclusions(const ProcessedCalibration& calibration,
                                    std::vector<Exclusion> exclusions);

// The exclusions of `calibration` as they were asked for.
std::vector<Exclusion> ExclusionsOf(const ProcessedCalibration& calibration);

// The exclusions of `calibration` with every line counted in the surveyor's own file, as the
// certificate and the JSON name them.
std::vector<AppliedExclusion> ExclusionsInFileLines(const ProcessedCalibration& calibration);

// The correction and its uncertainty at each of `distances` (metres), under the calibration's
// conditions: for drawing the band along the fitted line.
std::vector<CorrectionRow> CorrectionsAt(const ProcessedCalibration& calibration,
                                         const std::vector<double>& distances);

}  // namespace mensuro
