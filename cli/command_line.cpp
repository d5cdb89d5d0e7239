#include "cli/command_line.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <memory>
#include <optional>
#include <string_view>
#include <vector>

#include <fmt/format.h>

#include "cli/read_option.h"
#include "core/data/number_text.h"
#include "register/database.h"
#include "resources/version_info.h"

namespace mensuro::cli {

std::string LowerExtension(const std::string& path) {
  std::string extension = std::filesystem::path(path).extension().string();
  std::transform(extension.begin(), extension.end(), extension.begin(), [](unsigned char c) {
    return static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
  });
  return extension;
}

namespace {

// Whether `path` ends in an extension the plot can be written as (.svg, .png or .pdf, letter
// case aside). Checked here, without Qt, so that a wrong name is a usage error before anything
// is processed or the document module loaded.
bool IsPlotFileName(const std::string& path) {
  const std::string extension = LowerExtension(path);
  return extension == ".svg" || extension == ".png" || extension == ".pdf";
}

// Help that shows each option's value and default but not the options it can't be used with:
// the descriptions and the usage errors say that where it matters.
class HelpFormatter : public CLI::Formatter {
 public:
  std::string make_option_opts(const CLI::Option* option) const override {
    std::string opts;
    if (option->get_type_size() != 0) {
      if (!option->get_type_name().empty()) {
        opts += " " + get_label(option->get_type_name());
      }
      if (!option->get_default_str().empty()) {
        opts += "=" + option->get_default_str();
      }
    }
    return opts;
  }
};

// What the program does, above the options.
constexpr const char* kDescription =
    "Checks an electronic distance meter against a calibration baseline: pairs and averages the "
    "measured distances, fits published minus observed against distance, tests the scale and "
    "constant errors, and prints the EDM Calibration Report.";

// The exit statuses and how the options bear on the output, below the options.
constexpr const char* kFooter =
    "Exit status: 0 report produced, 1 the calibration could not be processed (message on "
    "standard error), 2 wrong command line, a file that can't be read or written, or a "
    "baseline that the library lacks or whose uncertainty line is malformed, 3 a register that "
    "can't be opened or written, or that refuses to issue. The uncertainty "
    "options feed the correction's uncertainty and conformity, shown in the JSON, the plot and "
    "the certificate; the text report is the same with them as without. Lines of the input "
    "that were probably misread are named on standard error as FILE:LINE: warning: REASON; the "
    "run goes on, but no certificate is written while such a warning of a line that enters the "
    "result stands, or the outlier test finds an outlier (exit status 1, after the report), "
    "unless --accept-warnings is given. A report with observations left out is that of the "
    "measured file without their lines; a certificate needs the reason for each.";

// What the run does with a field file, below the exit statuses.
constexpr const char* kFieldFooter =
    "A field file given as MEASURED_FILE is reduced first, exactly as `mensuro-cli reduce` "
    "would with the same options, and its reduced measured text processed; the marks' heights "
    "come from the --baseline baseline, else from --heights. Observation lines (--exclude-line, "
    "warnings) are those of the reduced text.";

// How the register's equipment enters the run, below the field files.
constexpr const char* kEquipmentFooter =
    "Equipment named by serial is read from the register (--register, else MENSURO_REGISTER; "
    "only read, unless the run issues into it), each item with its certificate valid on the date "
    "of measurement (the measured text's date line, --date, or the field file's first "
    "observation date). A sensor's correction is added to every reading of its quantity before "
    "the reduction, so the report is that of the readings corrected by hand, and its standard "
    "uncertainty replaces that part of --sensor-uncertainty; a psychrometer's enters the "
    "humidity's in % RH at the file's mean readings. A library baseline whose name is a "
    "register baseline's serial gives the baseline's certificate and uncertainty. The JSON's "
    "uncertainty inputs list each item under \"equipment\". No certificate is written while an "
    "item's certificate is not valid on the date of measurement (exit status 1, after the "
    "report) unless --accept-expired gives the reason, which the certificate states.";

// The options of a calibration run, each of which --list-baselines excludes.
using RunOptions = std::vector<CLI::Option*>;

// How a field file is reduced, in a group of their own: none applies to a measured text.
void AddFieldOptions(CLI::App& app, CommandLine& line, CLI::Option* baseline, RunOptions& options) {
  constexpr const char* kGroup = "Field files";
  auto* field =
      app.add_flag("--field", line.field,
                   "Read MEASURED_FILE as a field file, and say what keeps it from being one");
  std::vector<CLI::Option*> added = AddReductionOptions(app, line.reduction, baseline);
  const std::vector<CLI::Option*> headerLines = AddHeaderLineOptions(app, line.reduction);
  added.insert(added.end(), headerLines.begin(), headerLines.end());
  added.push_back(field);
  for (CLI::Option* option : added) {
    option->group(kGroup);
  }
  options.insert(options.end(), added.begin(), added.end());
}

// The two texts: the measured file, and the published distances from a file or the library.
void AddInputOptions(CLI::App& app, CommandLine& line, RunOptions& options) {
  auto* measured =
      app.add_option("MEASURED_FILE", line.measuredFile,
                     "Measured data: header lines ($date, !time, #comment, @EDM, ^constant mm, "
                     "%scale ppm) and From,To,distance lines; or a field file, recognised by "
                     "its header row (see below)");
  auto* published = app.add_option("--published", line.publishedFile,
                                   "Published distances: From,To,distance lines of the baseline")
                        ->type_name("PUBLISHED_FILE");
  // A callback rather than a plain string, so that an empty name still counts as given.
  auto* baseline =
      app.add_option_function<std::string>(
             "--baseline", [&line](const std::string& name) { line.baselineName = name; },
             "Take the published distances of this baseline from the library")
          ->type_name("NAME")
          ->excludes(published);
  app.add_option("--library", line.libraryFile,
                 "The baseline library to use instead of the one installed with the program")
      ->type_name("LIBRARY_FILE");
  options.insert(options.end(), {measured, published, baseline});
  AddFieldOptions(app, line, baseline, options);
}

// What the run writes: the report file, the output's format, the certificate and the plot.
void AddOutputOptions(CLI::App& app, CommandLine& line, RunOptions& options) {
  auto* output =
      app.add_option("--output", line.outputFile, "Also write the report to this file (CR LF)")
          ->type_name("REPORT_FILE");
  auto* format = app.add_option("--format", line.format,
                                "text: the report; json: the header, observations, pairs, "
                                "results, verdicts, report lines, warnings and notes, the "
                                "correction's uncertainty and the ISO 17123-4 full test as one "
                                "JSON document")
                     ->check(CLI::IsMember({"text", "json"}))
                     ->capture_default_str();
  auto* certificate = app.add_option("--certificate", line.certificateFile,
                                     "Also write the PDF calibration certificate to this file")
                          ->type_name("FILE.pdf");
  auto* plot = app.add_option("--plot", line.plotFile,
                              "Also draw the calibration plot into this file, as SVG, PNG or PDF "
                              "by its extension")
                   ->type_name("FILE.svg|.png|.pdf");
  options.insert(options.end(), {output, format, certificate, plot});
}

// The register the certificate is issued into.
void AddRegisterOptions(CLI::App& app, CommandLine& line, RunOptions& options) {
  auto* location =
      app.add_option(
             "--register", line.registerLocation,
             "Issue the certificate into this register (an SQLite file, created on first "
             "use, or a postgresql:// URI): numbered, stored with its texts, results and "
             "PDF, and written to the --certificate file once stored; without --certificate, "
             "only read for the equipment named")
          ->type_name("REGISTER");
  auto* headLog =
      app.add_option("--head-log", line.headLogFile,
                     "A PostgreSQL register's head log, the file kept apart from the database "
                     "that each certificate issued is noted in (default: the environment variable "
                     "MENSURO_HEAD_LOG; an SQLite register's is REGISTER.heads beside it)")
          ->type_name("FILE");
  auto* replaces = app.add_option("--replaces", line.replaces,
                                  "The issued certificate that this one corrects and replaces")
                       ->type_name("NUMBER");
  auto* reason = app.add_option("--replace-reason", line.replaceReason,
                                "Why the certificate given to --replaces is replaced (required "
                                "with it); stored in the register and printed on the certificate")
                     ->type_name("TEXT");
  auto* otherInstrument =
      app.add_flag("--other-instrument", line.otherInstrument,
                   "With --replaces: the replaced certificate names another instrument (make, "
                   "model or serial), and this one corrects it");
  auto* settings =
      app.add_option("--laboratory-settings", line.laboratorySettingsFile,
                     "The laboratory's own lines and the certificate numbers' prefix, for a "
                     "register that holds no settings yet (default: mensuro-laboratory.json "
                     "beside an SQLite register, when there); a register keeps its own")
          ->type_name("FILE.json");
  options.insert(options.end(), {location, headLog, replaces, reason, otherInstrument, settings});
}

// The inputs of the correction's uncertainty budget and the acceptance it is judged against.
void AddUncertaintyOptions(CLI::App& app, UncertaintyInputs& inputs, RunOptions& options) {
  auto* baselineUncertainty = AddReadOption(
      app, "--baseline-uncertainty", inputs.baseline, ParseBaselineUncertainty, "A,B[,K[,DOF]]",
      "Expanded uncertainty of the published distances, A mm + B ppm at coverage factor K "
      "(default 2) with DOF degrees of freedom (default inf); it replaces the uncertainty that "
      "the library gives for the baseline");
  auto* sensorUncertainty = AddReadOption(
      app, "--sensor-uncertainty", inputs.sensors, ParseSensorUncertainty, "T,P,RH",
      "Standard uncertainties of the thermometer (K), barometer (hPa) and hygrometer (%)");
  auto* resolution = AddReadOption(app, "--resolution", inputs.resolution, ParseMillimetres, "MM",
                                   "The last digit the EDM displays, mm");
  auto* centring = AddReadOption(app, "--centring", inputs.centring, ParseMillimetres, "MM",
                                 "Half-width of the centring error at each end of a distance, mm");
  auto* acceptance =
      AddReadOption(app, "--acceptance", inputs.acceptance, ParseMmPlusPpm, "A,B",
                    "Maximum permissible error A mm + B ppm that the correction is judged against");
  options.insert(options.end(),
                 {baselineUncertainty, sensorUncertainty, resolution, centring, acceptance});
}

// The unit length U in metres: one finite number above 0.
std::optional<double> ParseUnitLength(std::string_view text, std::string& reason) {
  constexpr std::string_view kForm = "a length in m, greater than 0";
  const auto n = ReadNumberFields(text, 1, 1, kForm, reason, {.infinityAllowed = true});
  if (!n) {
    return std::nullopt;
  }
  const double length = (*n)[0];
  if (std::isfinite(length) && length > 0.0) {
    return length;
  }
  reason = fmt::format("{} is {} (expected {})", TrimBlanks(text),
                       std::isfinite(length) ? "zero" : "infinite", kForm);
  return std::nullopt;
}

// The number of cyclic harmonics: a whole number from 1 to kMaxCyclicHarmonics.
std::optional<int> ParseCyclicHarmonics(std::string_view text, std::string& reason) {
  constexpr std::string_view kForm = "1 or 2";
  const auto n = ReadNumberFields(text, 1, 1, kForm, reason);
  if (!n) {
    return std::nullopt;
  }
  const double harmonics = (*n)[0];
  if (harmonics >= 1.0 && harmonics <= kMaxCyclicHarmonics && std::floor(harmonics) == harmonics) {
    return static_cast<int>(harmonics);
  }
  reason = fmt::format("{} is not a number of harmonics (expected {})", TrimBlanks(text), kForm);
  return std::nullopt;
}

// The value of option `name` as `read` reads `text`; a malformed one fails the parse naming the
// option and why, as an uncertainty option's does.
template <typename Value>
Value ReadOrRefuse(const std::string& name, std::string_view text,
                   std::optional<Value> (*read)(std::string_view, std::string&)) {
  std::string reason;
  const std::optional<Value> value = read(text, reason);
  if (!value) {
    throw CLI::ValidationError(name, reason);
  }
  return *value;
}

// The cyclic error's unit length and harmonics. Each sets the run's cyclic settings whichever
// comes first, so that their order on the command line does not matter.
void AddCyclicOptions(CLI::App& app, CommandLine& line, RunOptions& options) {
  auto* unitLength =
      app.add_option_function<std::string>(
             "--unit-length",
             [&line](const std::string& text) {
               line.uncertainty.cyclic =
                   CyclicSettings{ReadOrRefuse("--unit-length", text, ParseUnitLength),
                                  line.cyclicHarmonics.value_or(1)};
             },
             "Also estimate the EDM's cyclic error of this unit length (half the fine modulation "
             "wavelength), m, jointly with the constant and scale; shown in the JSON, the plot "
             "and the certificate, never in the text report")
          ->type_name("U");
  auto* harmonics =
      app.add_option_function<std::string>(
             "--cyclic-harmonics",
             [&line](const std::string& text) {
               line.cyclicHarmonics =
                   ReadOrRefuse("--cyclic-harmonics", text, ParseCyclicHarmonics);
               if (line.uncertainty.cyclic) {
                 line.uncertainty.cyclic->harmonics = *line.cyclicHarmonics;
               }
             },
             "How many harmonics of the cyclic error to estimate, 1 or 2 (default 1); only with "
             "--unit-length")
          ->type_name("H");
  options.insert(options.end(), {unitLength, harmonics});
}

// What the surveyor leaves out of the fit, and the warnings the certificate may be issued with.
void AddReviewOptions(CLI::App& app, CommandLine& line, RunOptions& options) {
  auto* pair = app.add_option("--exclude", line.exclusions.pairs,
                              "Leave the observations of this station pair (either order) out "
                              "of the fit, for the reason given after the colon; repeatable")
                   ->type_name("FROM-TO[:REASON]")
                   ->allow_extra_args(false);
  auto* observation = app.add_option("--exclude-line", line.exclusions.lines,
                                     "Leave the observation on line N of the measured file out of "
                                     "the fit, for the reason given after the colon; repeatable")
                          ->type_name("N[:REASON]")
                          ->allow_extra_args(false);
  auto* accept = app.add_flag("--accept-warnings", line.acceptWarnings,
                              "Write the certificate although a warning says the input was "
                              "probably misread or the outlier test finds an outlier; the "
                              "certificate lists them");
  options.insert(options.end(), {pair, observation, accept});
}

}  // namespace

void DescribeCommandLine(CLI::App& app, CommandLine& line) {
  app.description(kDescription);
  RunOptions runOptions;
  AddInputOptions(app, line, runOptions);
  AddOutputOptions(app, line, runOptions);
  AddUncertaintyOptions(app, line.uncertainty, runOptions);
  AddCyclicOptions(app, line, runOptions);
  AddReviewOptions(app, line, runOptions);
  AddRegisterOptions(app, line, runOptions);
  const std::vector<CLI::Option*> details = AddCertificateDetailsOptions(app, line.details);
  runOptions.insert(runOptions.end(), details.begin(), details.end());
  const std::vector<CLI::Option*> equipment = AddEquipmentOptions(app, line.equipment);
  runOptions.insert(runOptions.end(), equipment.begin(), equipment.end());
  auto* list = app.add_flag("--list-baselines", line.listBaselines,
                            "Print the names of the library's baselines, one per line, in file "
                            "order");
  for (CLI::Option* option : runOptions) {
    list->excludes(option);
  }
  const std::optional<VersionInfo> version = ReadVersionInfo();
  app.set_version_flag("--version",
                       "mensuro-cli " + (version ? version->productVersion : std::string("?")),
                       "Print the program's version and exit");
  app.formatter(std::make_shared<HelpFormatter>());
  app.footer(std::string(kFooter) + "\n\n" + kFieldFooter + " " + FieldColumnsHelp() + "\n\n" +
             kEquipmentFooter);
}

void RefuseRunOnlyOptions(CLI::App& app) {
  for (CLI::App* command : app.get_subcommands([](CLI::App*) { return true; })) {
    for (const char* name : {"--unit-length", "--cyclic-harmonics"}) {
      command->excludes(app.get_option(name));
    }
  }
}

std::string CommandLineProblem(const CommandLine& line) {
  if (line.listBaselines) {
    return {};
  }
  if (line.measuredFile.empty()) {
    return "MEASURED_FILE is required";
  }
  if (line.publishedFile.empty() && !line.baselineName) {
    return "--published PUBLISHED_FILE or --baseline NAME is required";
  }
  if (!line.libraryFile.empty() && !line.baselineName) {
    return "--library is used only with --baseline or --list-baselines";
  }
  if (line.cyclicHarmonics && !line.uncertainty.cyclic) {
    return "--cyclic-harmonics is used only with --unit-length U";
  }
  if (!line.plotFile.empty() && !IsPlotFileName(line.plotFile)) {
    return "--plot needs a file name ending in .svg, .png or .pdf";
  }
  // A PDF under any other name is easily a slip for one of the run's texts.
  if (!line.certificateFile.empty() && LowerExtension(line.certificateFile) != ".pdf") {
    return "--certificate needs a file name ending in .pdf";
  }
  if (line.certificateFile.empty() && CertificateDetailsGiven(line.details)) {
    return "--details and the certificate's details (--laboratory, --client, --instrument-serial "
           "and the like) are used only with --certificate";
  }
  if (line.equipment.stateDueDate && line.certificateFile.empty()) {
    return "--state-due-date states the due date on the certificate: give --certificate FILE.pdf "
           "too";
  }
  if (!line.equipment.acceptExpired.empty() && !RegisterNeeded(line.equipment) &&
      !line.baselineName) {
    return "--accept-expired is used only with equipment from the register (--thermometer, "
           "--barometer, --hygrometer, --reflector, or a --baseline the register holds)";
  }
  // A run that names equipment reads the register without issuing into it.
  if (!line.registerLocation.empty() && line.certificateFile.empty() &&
      !RegisterNeeded(line.equipment)) {
    return "--register issues a certificate: give --certificate FILE.pdf too";
  }
  if (line.registerLocation.empty() &&
      (!line.replaces.empty() || !line.laboratorySettingsFile.empty() ||
       !line.headLogFile.empty())) {
    return "--replaces, --laboratory-settings and --head-log are used only with --register";
  }
  if (!line.headLogFile.empty() && !IsPostgresLocation(line.registerLocation)) {
    return "--head-log names a PostgreSQL register's head log; an SQLite register's is the file "
           "beside it, REGISTER.heads";
  }
  if (line.replaces.empty() && (!line.replaceReason.empty() || line.otherInstrument)) {
    return "--replace-reason and --other-instrument are used only with --replaces";
  }
  if (!line.replaces.empty() && line.replaceReason.empty()) {
    return "--replaces needs --replace-reason TEXT: why the certificate " + line.replaces +
           " is replaced";
  }
  return ReductionOptionsProblem(line.reduction);
}

}  // namespace mensuro::cli
