// mensuro-cli: processes a measured data file against published distances, from a file or from
// the baseline library, into the EDM Calibration Report, and on request the calibration plot
// and the PDF certificate (through the document module, loaded only then), for scripts and
// batch checks.

#include <algorithm>
#include <clocale>
#include <filesystem>
#include <iostream>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include <fmt/format.h>
#include <fmt/ranges.h>

#include "cli/baseline_command.h"
#include "cli/command_line.h"
#include "cli/document_drawing.h"
#include "cli/field_reduction_options.h"
#include "cli/library_baseline.h"
#include "cli/process_start.h"
#include "cli/reduce_command.h"
#include "cli/register_command.h"
#include "cli/register_issue.h"
#include "cli/run_equipment.h"
#include "cli/terminal_output.h"
#include "core/analysis/report_text.h"
#include "core/data/baseline_library.h"
#include "core/data/data_files.h"
#include "core/data/file_bytes.h"
#include "core/data/file_names.h"
#include "core/data/input_notices.h"
#include "core/data/same_file.h"
#include "core/data/station_pairs.h"
#include "core/data/text_encoding.h"
#include "core/data/text_file.h"
#include "core/data/visible_text.h"
#include "core/equipment/applied_equipment.h"
#include "core/processing/processed_calibration.h"
#include "core/reduction/field_table.h"
#include "json/calibration_json.h"
#include "register/head_log.h"

namespace {

using namespace mensuro;
using namespace mensuro::cli;

// What was read when the run failed for want of station pairs.
std::string TooFewPairsText(const RecordTable& records) {
  const std::size_t pairs = GroupStationPairs(records).members.size();
  return fmt::format(
      "the measured file gives {} observation(s) of {} station pair(s); at least three different "
      "pairs are needed",
      CountRecords(records), pairs);
}

// The published text and the name it goes by in the report, or the exit code of the failure.
struct PublishedSource {
  std::string text;
  std::string name;
  int failure = kExitSuccess;
  std::string fileName;  // the file its lines come from: the published file or the library
  // For a baseline of the library, the library line of every line of the text, and its
  // uncertainty line if it has one.
  std::vector<std::size_t> libraryLines;
  std::optional<BaselineProperty> uncertainty;
  // The library baseline, its published text moved into `text`: its heights and the kind of
  // its distances.
  std::optional<CollectedBaseline> baseline;
  std::string bytes;  // the published file as given; empty for a library baseline
};

// Where a line of one of the two texts is in its file: the library's line for a baseline of the
// library, so that an editor opened there shows it.
struct FileLine {
  std::string_view fileName;
  std::size_t line = 0;
};

PublishedSource Refused(int exitCode) {
  PublishedSource refused;
  refused.failure = exitCode;
  return refused;
}

// A measured line is counted in the file given, the field file when the text was reduced from
// one (as `origin` maps it).
FileLine LocateLine(const InputLocation& where, const CommandLine& line,
                    const PublishedSource& published, const CalibrationOrigin& origin) {
  if (where.text == InputText::kMeasured) {
    return {line.measuredFile, FileLineOf(origin, where.line)};
  }
  const std::vector<std::size_t>& lines = published.libraryLines;
  const bool mapped = line.baselineName && where.line >= 1 && where.line <= lines.size();
  return {published.fileName, mapped ? lines[where.line - 1] : where.line};
}

PublishedSource ReadPublished(const CommandLine& line, const char* argv0) {
  std::string reason;
  if (!line.baselineName) {
    std::optional<std::string> bytes = ReadFileBytes(PathFromUtf8(line.publishedFile), reason);
    std::optional<std::string> published = bytes ? TextFileText(*bytes, reason) : std::nullopt;
    if (!published) {
      return Refused(Fail(
          kExitUsage, "cannot read the published file '" + line.publishedFile + "': " + reason));
    }
    return {std::move(*published), line.publishedFile, kExitSuccess, line.publishedFile, {}, {}, {},
            std::move(*bytes)};
  }
  const auto library = LibraryPath(line.libraryFile, argv0);
  std::optional<CollectedBaseline> found = LibraryBaseline(library, *line.baselineName);
  if (!found) {
    return Refused(kExitUsage);
  }
  CollectedBaseline& baseline = *found;
  std::optional<BaselineProperty> uncertainty = FindBaselineProperty(baseline, "uncertainty");
  std::string text = std::move(baseline.publishedText);
  std::vector<std::size_t> libraryLines = std::move(baseline.libraryLines);
  return {std::move(text),         *line.baselineName,     kExitSuccess,     Utf8FromPath(library),
          std::move(libraryLines), std::move(uncertainty), std::move(found), {}};
}

// What the library baseline says its published distances are; nothing for a published file, or
// when its line is malformed, which only a reduction needs.
std::optional<PublishedDistanceKind> BaselineKind(const PublishedSource& published) {
  if (!published.baseline) {
    return std::nullopt;
  }
  FieldFileError ignored;
  return BaselineDistanceKind(*published.baseline, ignored);
}

// The baseline's own certificate as its library line states it, in UTF-8 like every detail (each
// byte of the library is the character of its code); empty for a published file.
std::string LibraryCertificate(const PublishedSource& published) {
  const std::optional<BaselineProperty> property =
      published.baseline ? FindBaselineProperty(*published.baseline, "certificate") : std::nullopt;
  return property ? Latin1ToUtf8(property->value) : std::string();
}

// The baseline's site as its library line states it, in UTF-8; empty for a published file.
std::string LibrarySite(const PublishedSource& published) {
  const std::optional<BaselineProperty> property =
      published.baseline ? FindBaselineProperty(*published.baseline, "site") : std::nullopt;
  return property ? Latin1ToUtf8(property->value) : std::string();
}

// The files the run read, as the certificate names them: the measured or field file as given,
// the heights file of a reduction that read one, and the published file; a library baseline is
// no file of the calibration's own.
std::vector<InputFile> InputFilesOf(const CommandLine& line, std::string measuredBytes, bool field,
                                    const PublishedSource& published) {
  std::vector<InputFile> files;
  files.push_back(InputFileOf(field ? "field" : "measured", PathFromUtf8(line.measuredFile),
                              std::move(measuredBytes)));
  if (field && !published.baseline && !line.reduction.heightsFile.empty()) {
    // Read again: the reduction read it already, so it reads.
    std::string reason;
    const std::filesystem::path heights = PathFromUtf8(line.reduction.heightsFile);
    if (std::optional<std::string> bytes = ReadFileBytes(heights, reason)) {
      files.push_back(InputFileOf("heights", heights, std::move(*bytes)));
    }
  }
  if (!published.baseline) {
    files.push_back(InputFileOf("published", PathFromUtf8(line.publishedFile), published.bytes));
  }
  return files;
}

// The field file `line` names, reduced against the published source; nothing after saying why.
std::optional<ReducedFieldFile> ReduceMeasuredFile(const CommandLine& line, std::string_view text,
                                                   const PublishedSource& published,
                                                   const SensorCorrections& corrections = {}) {
  std::optional<HeightsBaseline> heights;
  if (published.baseline) {
    heights.emplace(*published.baseline, *line.baselineName, published.fileName);
  }
  return ReduceFieldFile(line.measuredFile, text, line.reduction, heights, corrections);
}

// The inputs of the uncertainty budget: the options', and the baseline uncertainty of the
// baseline's certificate in the register, else of the library baseline's own line, unless
// --baseline-uncertainty replaces it; the library baseline's pairs' own uncertainties, which
// the pairs that have them take instead; then the equipment's. Nothing when an uncertainty is
// malformed, after saying where.
std::optional<UncertaintyInputs> BudgetInputs(const CommandLine& line,
                                              const PublishedSource& published,
                                              const RunEquipment& equipment,
                                              const std::optional<ReducedFieldFile>& reduced) {
  UncertaintyInputs inputs = line.uncertainty;
  const AppliedEquipment* certified = AppliedOfKind(equipment, EquipmentKind::kBaseline);
  std::string reason;
  if (!inputs.baseline && certified) {
    inputs.baseline = ParseBaselineUncertainty(certified->certificate.baselineUncertainty, reason);
    if (!inputs.baseline) {
      Fail(kExitUsage,
           fmt::format("the baseline {}'s certificate {} in the register: its uncertainty: {}",
                       certified->serial, certified->certificate.number, reason));
      return std::nullopt;
    }
  } else if (!inputs.baseline && published.uncertainty) {
    const BaselineProperty& property = *published.uncertainty;
    inputs.baseline = ParseBaselineUncertainty(property.value, reason);
    if (!inputs.baseline) {
      Fail(kExitUsage, fmt::format("{}:{}: the baseline's uncertainty: {}", published.fileName,
                                   property.line, reason));
      return std::nullopt;
    }
  }
  if (published.baseline) {
    std::optional<std::vector<PairUncertainty>> pairs =
        PairUncertainties(*published.baseline, reason);
    if (!pairs) {
      Fail(kExitUsage, fmt::format("{}, {}", published.fileName, reason));
      return std::nullopt;
    }
    inputs.baselinePairs = std::move(*pairs);
  }
  if (equipment.applied.empty()) {
    return inputs;
  }
  return WithEquipment(std::move(inputs), equipment.applied,
                       reduced ? MeanReadings(reduced->reduction) : std::nullopt);
}

// Whether a field file's humidity is a wet bulb; nothing for a file without weather readings.
std::optional<bool> WetBulbReadings(const FieldReduction& reduction) {
  if (reduction.kind != FieldDistanceKind::kSlope || reduction.rows.empty()) {
    return std::nullopt;
  }
  return reduction.rows.front().observation.weather.wetBulb.has_value();
}

// The equipment the run names, from the register, for the date the measured text (reduced
// from a field file when it is one) states; a field file reduced again with the sensors'
// corrections. Returns kExitSuccess, or the exit code having said why not.
int ApplyEquipment(const CommandLine& line, std::string_view measured,
                   const PublishedSource& published, std::optional<ReducedFieldFile>& reduced,
                   RunEquipment& equipment) {
  const bool sensors = SensorsNamed(line.equipment);
  if (sensors && reduced && !WetBulbReadings(reduced->reduction)) {
    return Fail(kExitUsage, fmt::format("--thermometer, --barometer and --hygrometer correct a "
                                        "field file's weather readings, and '{}' gives none",
                                        line.measuredFile));
  }
  EquipmentQuery query;
  query.location = EquipmentRegister(line.equipment, line.registerLocation);
  if (query.location.empty() && !RegisterNeeded(line.equipment)) {
    return kExitSuccess;
  }
  query.headLog = line.headLogFile;
  query.date = StatedMeasurementDate(reduced ? std::string_view(reduced->measuredText) : measured);
  query.baselineName = published.baseline ? line.baselineName : std::nullopt;
  query.wetBulb = reduced ? WetBulbReadings(reduced->reduction) : std::nullopt;
  if (const int found = LookUpEquipment(line.equipment, query, equipment); found != kExitSuccess) {
    return found;
  }
  const bool corrected =
      std::any_of(equipment.applied.begin(), equipment.applied.end(),
                  [](const AppliedEquipment& item) { return IsSensor(item.kind); });
  if (corrected) {
    reduced = ReduceMeasuredFile(line, measured, published, SensorCorrectionsOf(equipment.applied));
    if (!reduced) {
      return kExitUsage;
    }
  }
  return kExitSuccess;
}

int ListNames(const CommandLine& line, const char* argv0) {
  const auto text = ReadLibrary(LibraryPath(line.libraryFile, argv0));
  if (!text) {
    return kExitUsage;
  }
  std::string names;
  for (const std::string& name : BaselineNames(SplitFileLines(*text))) {
    names += name;
    names += '\n';
  }
  PrintOut(names);
  std::cout.flush();
  return std::cout ? kExitSuccess : Fail(kExitUsage, "cannot write to standard output");
}

// Every listed warning and note as a compiler gives them, FILE:LINE: warning: REASON, so that
// an editor can jump to the line.
void PrintNotices(const InputNotices& notices, const CommandLine& line,
                  const PublishedSource& published, const CalibrationOrigin& origin) {
  std::string text;
  for (const InputNotice& notice : notices.listed) {
    const FileLine at = LocateLine(notice.where, line, published, origin);
    text += VisibleText(fmt::format("{}:{}: {}: {}", at.fileName, at.line,
                                    NoticeLevelName(notice.level), notice.reason));
    text += '\n';
  }
  const std::size_t unlisted = UnlistedNotices(notices);
  if (unlisted > 0) {
    text += fmt::format("mensuro-cli: {} more warnings and notes not listed\n", unlisted);
  }
  std::cerr << text;
}

// A line of one of the two texts as the messages count it.
NoticeLineOf LinesAsMessagesCount(const CommandLine& line, const PublishedSource& published,
                                  const CalibrationOrigin& origin) {
  return [&line, &published, &origin](const InputLocation& where) {
    return LocateLine(where, line, published, origin).line;
  };
}

// What reading the texts noticed, and what holds back the certificate (whether one was asked
// for or not), lines counted as the messages count them.
nlohmann::json ResultInputJson(const ProcessedCalibration& calibration, const CommandLine& line,
                               const PublishedSource& published) {
  return CalibrationInputJson(calibration,
                              LinesAsMessagesCount(line, published, calibration.origin));
}

// The message of a failed calibration: the core's reason, and what was read when it gives none.
std::string FailureText(const std::string& message, const ProjectRun& run) {
  return message == kProcessingFailurePrefix ? message + TooFewPairsText(run.records) : message;
}

// Reads the measured text (reduced from a field file when it is one), the published text and
// the inputs of the uncertainty budget into what `calibration` is processed from, with its
// origin, and where the published text came from into `published`. Returns kExitSuccess, or the
// exit code of what could not be read, having said why.
int ReadInputs(const CommandLine& line, const char* argv0, ProcessedCalibration& calibration,
               PublishedSource& published, RunEquipment& equipment) {
  std::string reason;
  // The bytes as given are kept to be named on the certificate; the text is what is read.
  std::optional<std::string> measuredBytes = ReadFileBytes(PathFromUtf8(line.measuredFile), reason);
  std::optional<std::string> measured =
      measuredBytes ? TextFileText(*measuredBytes, reason) : std::nullopt;
  if (!measured) {
    return Fail(kExitUsage, "cannot read the measured file '" + line.measuredFile + "': " + reason);
  }
  // Naming a column with --column says the file is a field file, as --field does.
  const bool field = line.field || !line.reduction.columns.empty() || IsFieldFileText(*measured);
  if (const std::vector<std::string_view> given = GivenReductionOptions(line.reduction);
      !field && !given.empty()) {
    return Fail(kExitUsage,
                fmt::format("{} apply only to field files, and '{}' is a measured text (a field "
                            "file's header row names at least from, to and a distance; --field "
                            "reads it as one)",
                            fmt::join(given, ", "), line.measuredFile));
  }
  if (SensorsNamed(line.equipment) && !field) {
    return Fail(kExitUsage, fmt::format("--thermometer, --barometer and --hygrometer correct a "
                                        "field file's readings, and '{}' is a measured text",
                                        line.measuredFile));
  }
  published = ReadPublished(line, argv0);
  if (published.failure != kExitSuccess) {
    return published.failure;
  }
  std::optional<ReducedFieldFile> reduced;
  if (field) {
    reduced = ReduceMeasuredFile(line, *measured, published);
    if (!reduced) {
      return kExitUsage;
    }
  }
  if (const int applied = ApplyEquipment(line, *measured, published, reduced, equipment);
      applied != kExitSuccess) {
    return applied;
  }
  if (reduced) {
    *measured = std::move(reduced->measuredText);
  }
  calibration.origin = CalibrationOrigin::Of(
      BaselineKind(published), reduced ? std::optional(std::move(reduced->summary)) : std::nullopt);
  if (reduced) {
    calibration.origin.fileLines = std::move(reduced->fieldLines);
  }
  // Only a certificate names the files (and the register keeps them): a report alone doesn't
  // hash them.
  if (!line.certificateFile.empty()) {
    calibration.origin.files = InputFilesOf(line, std::move(*measuredBytes), field, published);
  }
  std::optional<UncertaintyInputs> inputs = BudgetInputs(line, published, equipment, reduced);
  if (!inputs) {
    return kExitUsage;
  }
  // The texts move into the calibration rather than being copied: they may be large.
  calibration.conditions = std::move(*inputs);
  calibration.measuredText = std::move(*measured);
  calibration.publishedText = std::move(published.text);
  calibration.header.publishedSource = published.name;
  calibration.header.measuredFileName = line.measuredFile;
  return kExitSuccess;
}

// A calibration that could not be processed: the error object on standard output in JSON,
// else the message on standard error.
void PrintFailure(const std::string& message, const ProjectRun& run, const CommandLine& line,
                  const PublishedSource& published, const CalibrationOrigin& origin) {
  const std::string failure = FailureText(message, run);
  const InputLocation failedAt = run.failedAt.value_or(InputLocation{});
  const FileLine at = LocateLine(failedAt, line, published, origin);
  if (line.format == "json") {
    nlohmann::json document = {{"error", failure}};
    if (run.failedAt) {
      document["errorAt"] = {{"text", InputTextName(failedAt.text)}, {"line", at.line}};
    }
    document.update(InputNoticesJson(run.notices, LinesAsMessagesCount(line, published, origin)));
    PrintOut(JsonText(document));
  } else {
    // The line the failure names, as an editor finds it.
    PrintErrorLine("mensuro-cli: " + failure +
                   (run.failedAt ? fmt::format(" ({}:{})", at.fileName, at.line) : std::string()));
  }
}

// Whether equipment the run names is not valid on the date of measurement, and the laboratory
// gave no reason to use it anyway.
bool EquipmentWithheld(const CommandLine& line, const RunEquipment& equipment) {
  return !equipment.invalid.empty() && line.equipment.acceptExpired.empty();
}

// Whether the certificate asked for is withheld: a warning says the input was probably misread,
// or the outlier test finds an outlier, and the surveyor has not accepted it; or equipment is
// not valid on the date of measurement.
bool CertificateWithheld(const CommandLine& line, const ProcessedCalibration& calibration,
                         const RunEquipment& equipment) {
  return !line.certificateFile.empty() &&
         ((!line.acceptWarnings && !FindCertificateObstacles(calibration).empty()) ||
          EquipmentWithheld(line, equipment));
}

// Why the certificate was not written: each warning and outlier that stands in its way, and
// what to do.
int RefuseCertificate(const ProcessedCalibration& calibration, const CommandLine& line,
                      const PublishedSource& published, const RunEquipment& equipment) {
  const CertificateObstacles obstacles =
      line.acceptWarnings ? CertificateObstacles{} : FindCertificateObstacles(calibration);
  for (const InputNotice& warning : obstacles.listed) {
    const FileLine at = LocateLine(warning.where, line, published, calibration.origin);
    PrintErrorLine(VisibleText(fmt::format("mensuro-cli: no certificate: {}:{}: {}", at.fileName,
                                           at.line, warning.reason)));
  }
  if (obstacles.unlisted > 0) {
    PrintErrorLine(fmt::format("mensuro-cli: no certificate: {} more warnings not listed",
                               obstacles.unlisted));
  }
  std::vector<std::string> remedies;
  if (!obstacles.empty()) {
    remedies.push_back(
        obstacles.outliers > 0
            ? "mend the file or leave the outlier out with --exclude FROM-TO:REASON, "
              "or give --accept-warnings to issue the certificate with them listed"
            : "mend the file, or give --accept-warnings to issue the certificate "
              "with them listed");
  }
  if (EquipmentWithheld(line, equipment)) {
    for (const std::string& invalid : equipment.invalid) {
      PrintErrorLine(VisibleText("mensuro-cli: no certificate: " + invalid));
    }
    remedies.push_back(
        "give --accept-expired REASON to issue the certificate with that equipment, the reason "
        "stated");
  }
  return Fail(kExitProcessingFailed, fmt::format("{}", fmt::join(remedies, "; ")));
}

// Equipment not valid on the date of measurement and not applied, when no certificate is asked
// for (one asked for is refused, naming it).
void WarnOfInvalidEquipment(const CommandLine& line, const RunEquipment& equipment) {
  if (!line.certificateFile.empty() || !EquipmentWithheld(line, equipment)) {
    return;
  }
  for (const std::string& invalid : equipment.invalid) {
    PrintErrorLine(VisibleText("mensuro-cli: warning: " + invalid +
                               "; not applied (give --accept-expired REASON to apply it)"));
  }
}

// The report file and the documents the command line asks for, drawn by `documents` (loaded
// when a document is asked for); the certificate only when it is not withheld.
int WriteFiles(const CommandLine& line, const ProcessedCalibration& calibration,
               const CertificateDetails& details, const RunEquipment& equipment,
               const std::optional<DocumentModule>& documents) {
  std::string reason;
  if (!line.outputFile.empty() &&
      WriteReportFile(PathFromUtf8(line.outputFile), calibration.report, reason) != 0) {
    return Fail(kExitUsage, "cannot write the report file '" + line.outputFile + "': " + reason);
  }
  // A certificate issued into a register is written once the register holds it.
  const bool certificate = !line.certificateFile.empty() &&
                           !CertificateWithheld(line, calibration, equipment) &&
                           line.registerLocation.empty();
  if (!documents || (line.plotFile.empty() && !certificate)) {
    return kExitSuccess;
  }
  const DrawnDocuments drawn = DrawDocuments(
      *documents, calibration, line.plotFile.empty() ? MENSURO_NO_PLOT : PlotTypeOf(line.plotFile),
      certificate ? &details : nullptr, {});
  if (!drawn.failure.empty()) {
    return Fail(kExitUsage, drawn.failure);
  }
  if (!line.plotFile.empty()) {
    if (const int written = WriteDrawnDocument("plot", line.plotFile, drawn.plot);
        written != kExitSuccess) {
      return written;
    }
  }
  return certificate ? WriteDrawnDocument("certificate", line.certificateFile, drawn.certificate)
                     : kExitSuccess;
}

// The report, or the JSON document of the run, on standard output.
int PrintResults(const CommandLine& line, const ProcessedCalibration& calibration,
                 const PublishedSource& published) {
  // Line by line rather than joined: a report of a million observations is big enough.
  if (line.format == "json") {
    WriteCalibrationJson(std::cout, calibration, ResultInputJson(calibration, line, published));
  } else {
    for (const std::string& reportLine : calibration.report.lines) {
      PrintOut(reportLine);
    }
  }
  std::cout.flush();
  return std::cout ? kExitSuccess : Fail(kExitUsage, "cannot write to standard output");
}

// Why the run must write nothing: a file it would write is one it reads, or one it writes
// already; the empty text when none is.
std::string OutputsProblem(const CommandLine& line, const PublishedSource& published,
                           const CertificateDetails& details,
                           const std::optional<IssueOrder>& issue) {
  // The register read for equipment is one the run must not overwrite either.
  const std::string location = EquipmentRegister(line.equipment, line.registerLocation);
  const std::string registerFile =
      location.empty() || IsPostgresLocation(location) ? std::string() : location;
  const std::string& logo = (issue ? issue->details : details).laboratory.logoFile;
  return OutputOverInputProblem(
      {{"report file", line.outputFile},
       {"plot file", line.plotFile},
       {"certificate file", line.certificateFile}},
      {{"measured file", line.measuredFile},
       {line.baselineName ? "baseline library" : "published file", published.fileName},
       {"heights file", line.reduction.heightsFile},
       {"details file", line.details.detailsFile},
       {"logo", logo},
       {"laboratory settings file", issue ? issue->settingsFile : std::string()},
       {"register", registerFile},
       {"head log", line.registerLocation.empty()
                        ? std::string()
                        : Utf8FromPath(HeadLogPath(line.registerLocation, line.headLogFile))}});
}

// The certificate's details and the issue into the register that `line` asks for, once the
// files it names are checked against each other. Returns kExitSuccess, or the exit code having
// said why not.
int ReadOrders(const CommandLine& line, const PublishedSource& published,
               const RunEquipment& equipment, CertificateDetails& details,
               std::optional<IssueOrder>& issue) {
  std::string problem;
  if (!line.certificateFile.empty()) {
    // The baseline's certificate in the register says more than the library's line.
    const AppliedEquipment* certified = AppliedOfKind(equipment, EquipmentKind::kBaseline);
    std::optional<CertificateDetails> gathered =
        GatherCertificateDetails(line.details,
                                 certified && !certified->certificate.baselineCertificate.empty()
                                     ? certified->certificate.baselineCertificate
                                     : LibraryCertificate(published),
                                 problem);
    if (gathered) {
      gathered = WithReflector(std::move(*gathered), equipment, problem);
    }
    if (!gathered) {
      return Fail(kExitUsage, problem);
    }
    details = std::move(*gathered);
    details.dueDate = equipment.dueDate;
    if (details.baselineSite.empty()) {
      details.baselineSite = LibrarySite(published);
    }
  }
  // A run without a certificate reads the register only for its equipment.
  if (!line.registerLocation.empty() && !line.certificateFile.empty()) {
    issue = IssueOrderOf(line, details, problem);
    if (!issue) {
      return Fail(kExitUsage, problem);
    }
  }
  if (problem = OutputsProblem(line, published, details, issue); !problem.empty()) {
    return Fail(kExitUsage, problem);
  }
  if (!line.certificateFile.empty()) {
    if (problem = UnexplainedExclusionProblem(line.exclusions); !problem.empty()) {
      return Fail(kExitUsage, problem);
    }
  }
  return kExitSuccess;
}

int Run(const CommandLine& line, const char* argv0,
        const std::optional<DocumentModule>& documents) {
  ProcessedCalibration given;
  PublishedSource published;
  RunEquipment equipment;
  if (const int read = ReadInputs(line, argv0, given, published, equipment); read != kExitSuccess) {
    return read;
  }
  CertificateDetails details;
  std::optional<IssueOrder> issue;
  if (const int read = ReadOrders(line, published, equipment, details, issue);
      read != kExitSuccess) {
    return read;
  }
  WarnOfInvalidEquipment(line, equipment);
  std::string problem;
  std::optional<std::vector<Exclusion>> exclusions =
      ResolveExclusions(line.exclusions, given.measuredText, given.origin.fileLines, problem);
  if (!exclusions) {
    return Fail(kExitUsage, problem);
  }
  ProcessedCalibration calibration = ProcessCalibration(
      std::move(given.header), std::move(given.measuredText), std::move(given.publishedText),
      std::move(given.conditions), std::move(*exclusions));
  calibration.origin = std::move(given.origin);
  PrintNotices(calibration.run.notices, line, published, calibration.origin);
  if (!calibration.processed) {
    PrintFailure(calibration.failure, calibration.run, line, published, calibration.origin);
    return kExitProcessingFailed;
  }
  if (const int written = WriteFiles(line, calibration, details, equipment, documents);
      written != kExitSuccess) {
    return written;
  }
  if (issue && !CertificateWithheld(line, calibration, equipment)) {
    if (const int issued = IssueFromCommandLine(
            *issue, calibration, ResultInputJson(calibration, line, published), *documents);
        issued != kExitSuccess) {
      return issued;
    }
  }
  // The report and the JSON are written as always; only then is the certificate refused.
  if (const int printed = PrintResults(line, calibration, published); printed != kExitSuccess) {
    return printed;
  }
  return CertificateWithheld(line, calibration, equipment)
             ? RefuseCertificate(calibration, line, published, equipment)
             : kExitSuccess;
}

// A calibration run. The document module, and Qt with it, is loaded only when a document is
// asked for, and before anything is read or written: without it the run fails at once.
int RunCalibration(const CommandLine& line, const char* argv0) {
  std::optional<DocumentModule> documents;
  if (!line.plotFile.empty() || !line.certificateFile.empty()) {
    std::string reason;
    documents = LoadDocumentModule(argv0, reason);
    if (!documents) {
      return Fail(kExitUsage, reason);
    }
  }
  return Run(line, argv0, documents);
}

}  // namespace

int main(int argc, char** argv) {
  // The system's messages (why a file can't be read, say) in the user's language and
  // characters. Numbers are read and written the same in any locale; the other categories are
  // not loaded, as they cost a short run more than its report does.
  std::setlocale(LC_CTYPE, "");
#ifdef LC_MESSAGES  // not in Windows' C library, whose messages follow LC_CTYPE
  std::setlocale(LC_MESSAGES, "");
#endif
  // The streams alone write the output, so they needn't keep in step with C's stdio.
  std::ios::sync_with_stdio(false);
  WriteStandardStreamsAsBytes();
  std::vector<std::string> arguments = Utf8Arguments(argc, argv);
  std::vector<char*> argumentPointers;
  for (std::string& argument : arguments) {
    argumentPointers.push_back(argument.data());
  }

  CLI::App app{"", "mensuro-cli"};
  CommandLine line;
  DescribeCommandLine(app, line);
  ReduceCommandLine reduceLine;
  const CLI::App* reduce = DescribeReduceCommand(app, reduceLine);
  RegisterCommandLine registerLine;
  const CLI::App* registerCommand = DescribeRegisterCommand(app, registerLine);
  BaselineCommandLine baselineLine;
  const CLI::App* baseline = DescribeBaselineCommand(app, baselineLine);
  RefuseRunOnlyOptions(app);
  try {
    app.parse(static_cast<int>(argumentPointers.size()), argumentPointers.data());
  } catch (const CLI::CallForHelp&) {
    PrintOut(app.help());
    return kExitSuccess;
  } catch (const CLI::CallForVersion& version) {
    PrintOut(std::string(version.what()) + "\n");
    return kExitSuccess;
  } catch (const CLI::ParseError& error) {
    return Fail(kExitUsage, std::string(error.what()) + " (see --help)");
  }
  if (reduce->parsed()) {
    return RunReduce(reduceLine, argv[0]);
  }
  if (registerCommand->parsed()) {
    return RunRegister(*registerCommand, registerLine, argv[0]);
  }
  if (baseline->parsed()) {
    return RunBaseline(baselineLine, argv[0]);
  }
  if (const std::string problem = CommandLineProblem(line); !problem.empty()) {
    return Fail(kExitUsage, problem + " (see --help)");
  }
  return line.listBaselines ? ListNames(line, argv[0]) : RunCalibration(line, argv[0]);
}
