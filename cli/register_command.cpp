#include "cli/register_command.h"

#include <fmt/format.h>
#include <fmt/ranges.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <exception>
#include <filesystem>
#include <nlohmann/json.hpp>
#include <optional>
#include <string_view>
#include <system_error>
#include <vector>

#include "cli/command_line.h"
#include "cli/document_drawing.h"
#include "cli/register_issue.h"
#include "cli/terminal_output.h"
#include "core/baseline/baseline_history.h"
#include "core/data/csv_cell.h"
#include "core/data/file_bytes.h"
#include "core/data/file_names.h"
#include "core/data/local_time.h"
#include "core/data/same_file.h"
#include "core/data/visible_text.h"
#include "core/units.h"
#include "json/baseline_json.h"
#include "json/calibration_json.h"
#include "json/certificate_details_json.h"
#include "json/equipment_json.h"
#include "register/calibration_issue.h"
#include "register/calibration_register.h"
#include "register/register_text.h"

namespace mensuro::cli {
namespace {

// The register the command names: --register, else the environment's.
std::string RegisterLocation(const RegisterCommandLine& line) {
  if (!line.location.empty()) {
    return line.location;
  }
  const char* const fromEnvironment = std::getenv(kRegisterEnvironment);
  return fromEnvironment != nullptr ? fromEnvironment : "";
}

// Columns padded to their widest cell (counted in characters, not bytes), two blanks apart.
std::string AlignedTable(const std::vector<std::vector<std::string>>& rows) {
  const auto width = [](const std::string& text) {
    return static_cast<std::size_t>(std::count_if(text.begin(), text.end(), [](char c) {
      return (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    }));
  };
  std::vector<std::size_t> widths;
  for (const auto& row : rows) {
    widths.resize(std::max(widths.size(), row.size()));
    for (std::size_t i = 0; i < row.size(); ++i) {
      widths[i] = std::max(widths[i], width(row[i]));
    }
  }
  std::string text;
  for (const auto& row : rows) {
    std::string line;
    for (std::size_t i = 0; i < row.size(); ++i) {
      line += row[i];
      if (i + 1 < row.size()) {
        line += std::string(widths[i] - width(row[i]) + 2, ' ');
      }
    }
    text += line + "\n";
  }
  return text;
}

std::string CsvTable(const std::vector<std::vector<std::string>>& rows) {
  std::string text;
  for (const auto& row : rows) {
    std::string line;
    for (std::size_t i = 0; i < row.size(); ++i) {
      if (i > 0) {
        line += ',';
      }
      line += CsvCell(row[i]);
    }
    text += line + "\r\n";
  }
  return text;
}

std::string Number(double value) {
  return fmt::format("{}", value);  // shortest round trip, locale-free
}

// The summary columns of the list and the CSV export.
std::vector<std::string> SummaryHeadings() {
  return {"number",   "issueDate",  "instrumentMake", "instrumentModel", "instrumentSerial",
          "client",   "constantMm", "constantUMm",    "scalePpm",        "scaleUPpm",
          "replaces", "replacedBy", "recordSha256",   "measurementDate", "replaceReason",
          "kind",     "baseline"};
}

std::vector<std::string> SummaryRow(const RegisterEntry& entry) {
  const RegisteredResults& r = entry.results;
  return {entry.identity.number,
          entry.identity.issueDate,
          entry.details.instrument.make,
          entry.details.instrument.model,
          entry.details.instrument.serialNumber,
          entry.details.client.name,
          Number(r.constantM * kMillimetresPerMetre),
          Number(r.constantUncertaintyM * kMillimetresPerMetre),
          Number(r.scalePpm),
          Number(r.scaleUncertaintyPpm),
          entry.identity.replaces,
          entry.replacedBy,
          entry.identity.recordSha256,
          entry.measurementDate,
          entry.identity.replaceReason,
          std::string(RecordKindName(entry.kind)),
          entry.baseline};
}

// A stored JSON text as a member: parsed back, or as text when it is not JSON.
nlohmann::json StoredJson(const std::string& text) {
  if (text.empty()) {
    return nullptr;
  }
  nlohmann::json parsed = nlohmann::json::parse(text, nullptr, false);
  return parsed.is_discarded() ? nlohmann::json(text) : parsed;
}

// The first cyclic harmonic the record keeps (metres, degrees).
nlohmann::json CyclicJson(const RegisteredCyclic& cyclic) {
  return {{"unitLengthM", cyclic.unitLengthM},
          {"amplitudeM", cyclic.amplitudeM},
          {"amplitudeStdErrorM", OrNull(cyclic.amplitudeStdErrorM)},
          {"phaseDegrees", cyclic.phaseDegrees},
          {"significant", cyclic.significant}};
}

nlohmann::json EntryJson(const RegisterEntry& entry, bool withContent) {
  const RegisteredResults& r = entry.results;
  nlohmann::json json = {
      {"number", entry.identity.number},
      {"issueDate", entry.identity.issueDate},
      {"issuedAt", entry.issuedAt},
      {"position", entry.position},
      {"details", CertificateDetailsJson(entry.details)},
      {"baseline", entry.baseline},
      {"constantM", r.constantM},
      {"constantUncertaintyM", r.constantUncertaintyM},
      {"scalePpm", r.scalePpm},
      {"scaleUncertaintyPpm", r.scaleUncertaintyPpm},
      {"programVersion", entry.programVersion},
      {"replaces", entry.identity.replaces.empty() ? nlohmann::json(nullptr)
                                                   : nlohmann::json(entry.identity.replaces)},
      {"replacedBy",
       entry.replacedBy.empty() ? nlohmann::json(nullptr) : nlohmann::json(entry.replacedBy)},
      {"measuredSha256", entry.measuredSha256},
      {"publishedSha256", entry.publishedSha256},
      {"pdfSha256", entry.pdfSha256},
      {"recordSha256", entry.identity.recordSha256},
      {"previousSha256", entry.previousSha256},
      {"measurementDate", entry.measurementDate.empty() ? nlohmann::json(nullptr)
                                                        : nlohmann::json(entry.measurementDate)},
      {"replaceReason", entry.identity.replaceReason.empty()
                            ? nlohmann::json(nullptr)
                            : nlohmann::json(entry.identity.replaceReason)},
      {"otherInstrument", entry.otherInstrument},
      {"recordFormat", entry.recordFormat},
      {"kind", RecordKindName(entry.kind)},
  };
  // Only a record with cyclic figures has the member: the entries of every other record read
  // as they always have.
  if (r.cyclic) {
    json["cyclic"] = CyclicJson(*r.cyclic);
  }
  if (withContent) {
    nlohmann::json files = nlohmann::json::array();
    for (const RecordFile& file : entry.files) {
      files.push_back({{"role", file.role}, {"name", file.name}, {"sha256", file.sha256}});
    }
    json["files"] = std::move(files);
    json["measuredText"] = entry.measuredText;
    json["publishedText"] = entry.publishedText;
    json["conditions"] = StoredJson(entry.conditionsJson);
    json["exclusions"] = StoredJson(entry.exclusionsJson);
    json["acceptedWarnings"] = StoredJson(entry.acceptedWarningsJson);
    json["results"] = StoredJson(entry.resultsJson);
  }
  return json;
}

int List(CalibrationRegister& reg, const RegisterCommandLine& line) {
  RegisterFilter filter;
  filter.instrumentSerial = line.instrument;
  filter.clientName = line.client;
  filter.since = line.since;
  const std::vector<RegisterEntry> entries = reg.List(filter);
  if (line.format == "json") {
    nlohmann::json list = nlohmann::json::array();
    for (const RegisterEntry& entry : entries) {
      list.push_back(EntryJson(entry, false));
    }
    PrintOut(JsonText(list));
  } else if (line.format == "csv") {
    std::vector<std::vector<std::string>> rows = {SummaryHeadings()};
    for (const RegisterEntry& entry : entries) {
      rows.push_back(SummaryRow(entry));
    }
    PrintOut(CsvTable(rows));
  } else {
    std::vector<std::vector<std::string>> rows = {{"Certificate", "Issued", "Kind", "Instrument",
                                                   "Serial", "Client", "Constant (mm)",
                                                   "Scale (ppm)", "Status"}};
    for (const RegisterEntry& e : entries) {
      // A baseline's record names its reference instrument and certifies no constant or scale.
      const bool baseline = e.kind == RecordKind::kBaseline;
      rows.push_back({e.identity.number, e.identity.issueDate, RecordKindText(e),
                      InstrumentName(e.details.instrument), e.details.instrument.serialNumber,
                      e.details.client.name, baseline ? "-" : ConstantText(e.results),
                      baseline ? "-" : ScaleText(e.results), RegisterStatus(e)});
    }
    // Names come from the register as typed: control characters are shown, not sent.
    PrintOut(
        TerminalText(entries.empty() ? std::string("No certificates.\n") : AlignedTable(rows)));
  }
  return kExitSuccess;
}

std::string ShowText(const RegisterEntry& entry) {
  std::vector<std::vector<std::string>> rows;
  for (const RegisterLine& line : RegisterEntryLines(entry)) {
    rows.push_back({line.label + ":", line.value});
  }
  return AlignedTable(rows);
}

int Show(CalibrationRegister& reg, const RegisterCommandLine& line) {
  const std::optional<RegisterEntry> entry = reg.Find(line.number);
  if (!entry) {
    return Fail(kExitUsage, "the register holds no certificate " + line.number);
  }
  PrintOut(line.format == "json" ? JsonText(EntryJson(*entry, true))
                                 : TerminalText(ShowText(*entry)));
  return kExitSuccess;
}

int Reissue(CalibrationRegister& reg, const RegisterCommandLine& line) {
  const std::optional<std::string> pdf = reg.StoredCertificatePdf(line.number);
  if (!pdf) {
    return Fail(kExitUsage, "the register holds no certificate " + line.number);
  }
  if (WriteFileBytes(PathFromUtf8(line.certificateFile), *pdf) != 0) {
    return Fail(kExitUsage, "cannot write the certificate file '" + line.certificateFile + "'");
  }
  return kExitSuccess;
}

// `register files NUMBER --folder DIR`: the files the certificate was made from, written back
// byte for byte; nothing is written when one of them would overwrite a file.
int Files(CalibrationRegister& reg, const RegisterCommandLine& line) {
  const std::optional<std::vector<RecordFile>> files = reg.StoredFiles(line.number);
  if (!files) {
    return Fail(kExitUsage, "the register holds no certificate " + line.number);
  }
  if (files->empty()) {
    PrintOut(
        TerminalText("The register holds no input files of certificate " + line.number + ".\n"));
    return kExitSuccess;
  }
  const std::filesystem::path folder = PathFromUtf8(line.folder);
  std::vector<std::filesystem::path> targets;
  for (const RecordFile& file : *files) {
    // A stored name is a file name alone; anything else is not written anywhere.
    const std::filesystem::path name = PathFromUtf8(file.name);
    if (name.empty() || name != name.filename() || name == "." || name == "..") {
      return Fail(kExitUsage, "the stored file name '" + file.name + "' is not a file name");
    }
    const std::filesystem::path target = folder / name;
    std::error_code status;
    if (std::filesystem::exists(target, status) ||
        std::ranges::find(targets, target) != targets.end()) {
      return Fail(kExitUsage, "'" + Utf8FromPath(target) +
                                  "' exists already; nothing written (choose another --folder)");
    }
    targets.push_back(target);
  }
  std::error_code status;
  std::filesystem::create_directories(folder, status);
  for (std::size_t i = 0; i < files->size(); ++i) {
    if (WriteFileBytes(targets[i], (*files)[i].bytes) != 0) {
      return Fail(kExitUsage, "cannot write the file '" + Utf8FromPath(targets[i]) + "'");
    }
    PrintOut(TerminalText(fmt::format("{}: {}\n", (*files)[i].role, Utf8FromPath(targets[i]))));
  }
  return kExitSuccess;
}

// `register settings`: the prefix and the laboratory's lines the register holds.
int Settings(CalibrationRegister& reg, const RegisterCommandLine& line) {
  const std::optional<RegisterSettings> settings = reg.Settings();
  if (line.format == "json") {
    nlohmann::json json = nullptr;
    if (settings) {
      CertificateDetails details;
      details.laboratory = settings->laboratory;
      json = {{"certificatePrefix", settings->prefix},
              {"laboratory", CertificateDetailsJson(details).at("laboratory")},
              {"intervalMonths", settings->intervalMonths}};
    }
    PrintOut(JsonText(json));
    return kExitSuccess;
  }
  if (!settings) {
    PrintOut("The register holds no settings yet: its first issue or register init gives them.\n");
    return kExitSuccess;
  }
  const LaboratoryDetails& lab = settings->laboratory;
  std::vector<std::vector<std::string>> rows;
  for (const auto& [label, value] : std::vector<std::pair<std::string, std::string>>{
           {"Certificate prefix", settings->prefix},
           {"Laboratory", lab.name},
           {"Laboratory address", lab.address},
           {"Accreditation", lab.accreditation},
           {"Logo file", lab.logoFile},
           {"Calibration interval", fmt::format("{} months", settings->intervalMonths)}}) {
    if (!value.empty()) {
      rows.push_back({label + ":", value});
    }
  }
  PrintOut(TerminalText(AlignedTable(rows)));
  return kExitSuccess;
}

std::string EnText(const std::optional<double>& en) {
  return en ? fmt::format("{:.2f}", *en) : std::string("-");
}

// The instrument as its latest calibration names it: "Geodimetric TS 16 serial 1864207".
std::string HistoryTitle(const std::vector<HistoryPoint>& history) {
  const InstrumentDetails& instrument = history.back().entry.details.instrument;
  const std::string name = InstrumentName(instrument);
  return (name.empty() ? "" : name + " ") + "serial " + instrument.serialNumber;
}

// The certificates of the baseline `name` in force, with their distances, into `certificates`.
// Returns the exit code, having said why not when there is none or one's results don't read.
int BaselineCertificates(CalibrationRegister& reg, const std::string& name,
                         std::vector<BaselineCertificateDistances>& certificates) {
  RegisterFilter filter;
  filter.kind = RecordKind::kBaseline;
  filter.baseline = name;
  for (const RegisterEntry& listed : reg.List(filter)) {
    if (!listed.replacedBy.empty()) {
      continue;  // its distances were corrected by the one that replaces it
    }
    const std::optional<RegisterEntry> entry = reg.Find(listed.identity.number);
    std::string reason = "it went missing while it was read";
    std::optional<BaselineCalibration> calibration;
    if (entry) {
      const nlohmann::json results = nlohmann::json::parse(entry->resultsJson, nullptr, false);
      reason = "its results are no JSON";
      if (!results.is_discarded()) {
        calibration = BaselineCalibrationFromJson(results, reason);
      }
    }
    if (!calibration) {
      return Fail(kExitRegister,
                  VisibleText("the certificate " + listed.identity.number + " of the baseline " +
                              name + " can't be read: " + reason));
    }
    certificates.push_back({listed.identity.number, listed.measurementDate,
                            listed.identity.issueDate,
                            std::move(calibration->adjustment.distances)});
  }
  if (certificates.empty()) {
    return Fail(kExitUsage,
                VisibleText("the register holds no certificate of the baseline " + name));
  }
  return kExitSuccess;
}

std::string MillimetresOrDash(const std::optional<double>& metres) {
  return metres ? fmt::format("{:+.2f}", *metres * kMillimetresPerMetre) : std::string("-");
}

// `register history --baseline NAME`: each pair's certified distance over the baseline's
// certificates, and how it changed from one to the next.
int BaselineHistory(CalibrationRegister& reg, const RegisterCommandLine& line) {
  std::vector<BaselineCertificateDistances> certificates;
  if (const int read = BaselineCertificates(reg, line.baseline, certificates);
      read != kExitSuccess) {
    return read;
  }
  const std::vector<PairHistory> pairs = BaselinePairHistory(std::move(certificates));
  if (line.format == "json") {
    nlohmann::json list = nlohmann::json::array();
    for (const PairHistory& pair : pairs) {
      nlohmann::json points = nlohmann::json::array();
      for (const PairHistoryPoint& p : pair.points) {
        points.push_back(
            {{"number", p.number},
             {"measurementDate", p.measurementDate.empty() ? nlohmann::json(nullptr)
                                                           : nlohmann::json(p.measurementDate)},
             {"distance", p.distance},
             {"U", p.expanded},
             {"change", OrNull(p.change)},
             {"En", OrNull(p.En)}});
      }
      list.push_back({{"from", pair.from}, {"to", pair.to}, {"certificates", std::move(points)}});
    }
    PrintOut(JsonText({{"baseline", line.baseline}, {"pairs", std::move(list)}}));
    return kExitSuccess;
  }
  std::string text = "History of the baseline " + line.baseline + "\n";
  for (const PairHistory& pair : pairs) {
    std::vector<std::vector<std::string>> rows = {
        {"Certificate", "Measured", "D (m)", "U (mm)", "Change (mm)", "E_n", "Note"}};
    for (const PairHistoryPoint& p : pair.points) {
      rows.push_back({p.number, p.measurementDate.empty() ? "-" : p.measurementDate,
                      fmt::format("{:.5f}", p.distance),
                      fmt::format("{:.2f}", p.expanded * kMillimetresPerMetre),
                      MillimetresOrDash(p.change), p.En ? fmt::format("{:+.2f}", *p.En) : "-",
                      p.En && std::abs(*p.En) > 1.0 ? "moved beyond its uncertainty" : ""});
    }
    text += "\nPair " + pair.from + "-" + pair.to + "\n" + AlignedTable(rows);
  }
  text +=
      "\nU: expanded uncertainty (95 %). Change: the distance less the certificate's before; "
      "E_n = change / sqrt(U^2 + U_before^2), above 1 in size the pair moved beyond its "
      "uncertainty. In the order of the dates of measurement.\n";
  PrintOut(TerminalText(text));
  return kExitSuccess;
}

int History(CalibrationRegister& reg, const RegisterCommandLine& line, const char* argv0) {
  if (!line.baseline.empty()) {
    return BaselineHistory(reg, line);
  }
  if (line.serial.empty()) {
    return Fail(kExitUsage, "register history needs an instrument's SERIAL or --baseline NAME");
  }
  // An instrument is its make, model and serial: a serial that two instruments share needs the
  // make or the model to tell which.
  std::vector<InstrumentDetails> instruments = reg.InstrumentsOfSerial(line.serial);
  std::erase_if(instruments, [&line](const InstrumentDetails& instrument) {
    return (!line.make.empty() && instrument.make != line.make) ||
           (!line.model.empty() && instrument.model != line.model);
  });
  if (instruments.empty()) {
    return Fail(kExitUsage, "the register holds no certificate of the instrument " + line.serial);
  }
  if (instruments.size() > 1) {
    std::vector<std::string> names;
    for (const InstrumentDetails& instrument : instruments) {
      names.push_back("make '" + instrument.make + "' model '" + instrument.model + "'");
    }
    return Fail(kExitUsage,
                VisibleText(fmt::format("the register holds {} instruments of serial {}: {}; "
                                        "give --make and --model to choose one",
                                        instruments.size(), line.serial, fmt::join(names, ", "))));
  }
  const std::vector<HistoryPoint> history = reg.History(instruments.front());
  if (line.format == "json") {
    nlohmann::json list = nlohmann::json::array();
    for (const HistoryPoint& point : history) {
      nlohmann::json json = EntryJson(point.entry, false);
      json["constantEn"] = OrNull(point.constantEn);
      json["scaleEn"] = OrNull(point.scaleEn);
      json["replaced"] = point.replaced;
      list.push_back(std::move(json));
    }
    PrintOut(JsonText(list));
  } else {
    std::string text = "History of " + HistoryTitle(history) + "\n\n";
    // The cyclic error's column only for an instrument whose calibrations estimated it.
    const bool cyclic = std::ranges::any_of(
        history, [](const HistoryPoint& p) { return p.entry.results.cyclic.has_value(); });
    std::vector<std::vector<std::string>> rows = {{"Measured", "Issued", "Certificate",
                                                   "Constant (mm)", "E_n", "Scale (ppm)", "E_n",
                                                   "Change"}};
    if (cyclic) {
      rows.front().insert(rows.front().end() - 1, "Cyclic error (1st harmonic)");
    }
    for (const HistoryPoint& p : history) {
      std::vector<std::string> changed;
      if (p.replaced) {
        changed.push_back("replaced by " + p.entry.replacedBy + ";");
      }
      std::vector<std::string> beyond;
      if (p.constantEn && *p.constantEn > 1.0) {
        beyond.push_back("constant");
      }
      if (p.scaleEn && *p.scaleEn > 1.0) {
        beyond.push_back("scale");
      }
      if (!beyond.empty()) {
        changed.push_back(
            fmt::format("{} changed beyond its uncertainty", fmt::join(beyond, " and ")));
      }
      rows.push_back({p.entry.measurementDate.empty() ? "-" : p.entry.measurementDate,
                      p.entry.identity.issueDate, p.entry.identity.number,
                      ConstantText(p.entry.results), EnText(p.constantEn),
                      ScaleText(p.entry.results), EnText(p.scaleEn),
                      fmt::format("{}", fmt::join(changed, " "))});
      if (cyclic) {
        const std::optional<RegisteredCyclic>& figures = p.entry.results.cyclic;
        rows.back().insert(rows.back().end() - 1,
                           figures ? CyclicAmplitudeText(*figures) : std::string("-"));
      }
    }
    text += AlignedTable(rows);
    text +=
        "\nU: expanded uncertainty (95 %). E_n = |x2 - x1| / sqrt(U1^2 + U2^2) against the "
        "calibration in force before; above 1 the value changed beyond its uncertainty. In the "
        "order of the dates of measurement.\n";
    if (cyclic) {
      text +=
          "Cyclic error: the first harmonic's amplitude \u00b1 its standard error, on the "
          "instrument's unit length U.\n";
    }
    PrintOut(TerminalText(text));
  }
  if (!line.plotFile.empty()) {
    std::string reason;
    const std::optional<DocumentModule> documents = LoadDocumentModule(argv0, reason);
    if (!documents) {
      return Fail(kExitUsage, reason);
    }
    const DrawnDocuments drawn =
        DrawHistoryPlot(*documents, history, HistoryTitle(history), PlotTypeOf(line.plotFile));
    if (!drawn.failure.empty()) {
      return Fail(kExitUsage, drawn.failure);
    }
    return WriteDrawnDocument("history plot", line.plotFile, drawn.plot);
  }
  return kExitSuccess;
}

int Export(CalibrationRegister& reg, const RegisterCommandLine& line) {
  const std::vector<RegisterEntry> entries = reg.List();
  if (line.format == "csv") {
    std::vector<std::vector<std::string>> rows = {SummaryHeadings()};
    for (const RegisterEntry& entry : entries) {
      rows.push_back(SummaryRow(entry));
    }
    PrintOut(CsvTable(rows));
    return kExitSuccess;
  }
  // Every record whole, one at a time, so the export never holds two copies of the texts.
  PrintOut("[\n");
  for (std::size_t i = 0; i < entries.size(); ++i) {
    const std::optional<RegisterEntry> entry = reg.Find(entries[i].identity.number);
    if (!entry) {
      return Fail(kExitRegister, "the certificate " + entries[i].identity.number +
                                     " went missing during the export");
    }
    std::string text = JsonText(EntryJson(*entry, true));
    text.pop_back();  // the line feed: a comma may follow
    PrintOut(text + (i + 1 < entries.size() ? ",\n" : "\n"));
  }
  PrintOut("]\n");
  return kExitSuccess;
}

int Verify(CalibrationRegister& reg, const RegisterCommandLine& line) {
  const VerifyResult result =
      reg.Verify({.head = line.head, .progress = [](std::int64_t checked, std::int64_t total) {
                    ShowProgress(fmt::format("verifying: {} of {} records", checked, total));
                  }});
  ShowProgress({});
  if (result.intact) {
    PrintOut(
        fmt::format("The register is intact: {} records, each matching its hash and the "
                    "record before it.\n",
                    result.records));
    if (result.equipmentRecords > 0) {
      PrintOut(
          fmt::format("Its {} equipment records each match their hash and the equipment "
                      "record before them.\n",
                      result.equipmentRecords));
    }
    if (result.headLog.empty()) {
      PrintOut("No head log is named: where the register ends was not checked.\n");
    } else if (!result.headLogFound) {
      PrintOut(TerminalText("Its head log " + result.headLog +
                            " has no line yet: where the register ends was not checked.\n"));
    } else {
      PrintOut(TerminalText(
          "It ends where its head log " + result.headLog + " does, at " +
          (result.end.empty() ? std::string("no certificate") : "certificate " + result.end) +
          ".\n"));
    }
    if (!line.head.empty()) {
      PrintOut("It ends at the head given.\n");
    }
    if (result.equipmentHeadLogFound) {
      PrintOut(TerminalText("Its equipment records end where their head log " +
                            result.equipmentHeadLog + " does.\n"));
    } else if (result.equipmentRecords > 0 && !result.equipmentHeadLog.empty()) {
      PrintOut(TerminalText("Its equipment head log " + result.equipmentHeadLog +
                            " has no line yet: where the equipment records end was not "
                            "checked.\n"));
    }
    return kExitSuccess;
  }
  for (const std::string& failure : VerifyFailureLines(result)) {
    PrintOut(TerminalText(failure + "\n"));
  }
  return kExitProcessingFailed;
}

int VerifyCertificate(CalibrationRegister& reg, const RegisterCommandLine& line) {
  std::string reason;
  const std::optional<std::string> pdf = ReadFileBytes(PathFromUtf8(line.pdfFile), reason);
  if (!pdf) {
    return Fail(kExitUsage, "cannot read the certificate file '" + line.pdfFile + "': " + reason);
  }
  const CertificateCheck check = reg.CheckCertificate(*pdf);
  if (!check.held) {
    PrintOut(TerminalText(check.reason + "\n"));
    return kExitProcessingFailed;
  }
  PrintOut(TerminalText(
      "The register holds this certificate unchanged.\nCertificate:     " + check.number +
      "\nRecord SHA-256:  " + check.recordSha256 + "\nPDF SHA-256:     " + check.pdfSha256 + "\n"));
  return kExitSuccess;
}

int Head(CalibrationRegister& reg) {
  const HeadState head = reg.Head();
  if (head.headLog.empty()) {
    return Fail(kExitUsage,
                std::string("no head log: give --head-log FILE or set ") + kHeadLogEnvironment);
  }
  std::string text = "Head log:  " + Utf8FromPath(head.headLog) + "\n";
  text +=
      "Last line: " + (head.logged ? HeadLineText(*head.logged) : std::string("none yet")) + "\n";
  text +=
      "Register:  " +
      (head.endNumber.empty() ? std::string("no certificate")
                              : head.endNumber + " " + head.endRecordSha256 + " " + head.endLink) +
      "\n";
  if (head.matches()) {
    text += head.logged ? "The register ends where its head log does.\n" : "Both are empty.\n";
  } else if (!head.logged) {
    text += "The head log has no line yet; issuing starts it with the register's end.\n";
  } else {
    text +=
        "The register does not end where its head log does: see mensuro-cli register "
        "verify.\n";
  }
  // The equipment records' log, once they have one or records to put in it.
  const bool equipmentFaulty = head.equipmentLogged && !head.equipmentMatches();
  if (head.equipmentLogged || head.equipmentEnd) {
    text += "Equipment head log:  " + Utf8FromPath(head.equipmentLog) + "\n";
    text += "Last line:           " +
            (head.equipmentLogged ? HeadLineText(*head.equipmentLogged) : std::string("none yet")) +
            "\n";
    text += "Equipment records:   " +
            (head.equipmentEnd ? head.equipmentEnd->number + " " + head.equipmentEnd->recordSha256
                               : std::string("none")) +
            "\n";
    if (!head.equipmentLogged) {
      text += "The equipment head log has no line yet; the next change starts it with their end.\n";
    } else if (head.equipmentMatches()) {
      text += "The equipment records end where their head log does.\n";
    } else {
      text +=
          "The equipment records do not end where their head log does: see mensuro-cli register "
          "verify.\n";
    }
  }
  PrintOut(TerminalText(text));
  return (head.matches() || !head.logged) && !equipmentFaulty ? kExitSuccess
                                                              : kExitProcessingFailed;
}

// A date option's check: a day of the calendar written YYYY-MM-DD.
const CLI::Validator kIsoDateCheck(
    [](std::string& text) {
      return IsIsoDate(text) ? std::string()
                             : "'" + text + "' is not a date of the calendar written YYYY-MM-DD";
    },
    "", "date");

// `register init`: a new register with its settings.
void AddInitCommand(CLI::App& reg, RegisterCommandLine& line) {
  CLI::App* init = reg.add_subcommand(
      "init",
      "Makes a register and stores its settings: the certificate numbers' prefix and "
      "the laboratory's lines");
  init->add_option("--prefix", line.prefix,
                   "The certificate numbers' prefix, letters and digits (default: the "
                   "laboratory settings file's, else MEN)")
      ->type_name("PREFIX");
  init->add_option("--laboratory-settings", line.laboratorySettingsFile,
                   "The laboratory's lines (and prefix), laid out as a laboratory settings file")
      ->type_name("FILE.json");
  init->add_option("--interval-months", line.intervalMonths,
                   "The laboratory's calibration interval for the instruments it calibrates "
                   "(default 12)")
      ->type_name("MONTHS")
      ->check(CLI::Range(1, 1200));
}

// `register settings`: what the register holds as its settings.
void AddSettingsCommand(CLI::App& reg, RegisterCommandLine& line) {
  CLI::App* settings =
      reg.add_subcommand("settings", "The register's settings: prefix and laboratory");
  settings->add_option("--format", line.format, "text (default) or json")
      ->check(CLI::IsMember({"text", "json"}));
  settings
      ->add_option("--interval-months", line.intervalMonths,
                   "Changes the laboratory's calibration interval, after which `register due` "
                   "counts an instrument's next calibration due")
      ->type_name("MONTHS")
      ->check(CLI::Range(1, 1200));
}

// `register files NUMBER --folder DIR`: the files a certificate was made from.
void AddFilesCommand(CLI::App& reg, RegisterCommandLine& line) {
  CLI::App* files = reg.add_subcommand(
      "files", "Writes the files a certificate was made from back, byte for byte");
  files->add_option("NUMBER", line.number, "The certificate number")->required();
  files
      ->add_option("--folder", line.folder,
                   "The folder to write them into (made when missing); an existing file is "
                   "never overwritten")
      ->type_name("DIR")
      ->required();
}

// `register init`: the register made (or opened) and its settings stored; a register that holds
// other settings refuses them.
int Init(const std::string& location, const RegisterCommandLine& line) {
  RegisterSettings settings;
  if (!line.laboratorySettingsFile.empty()) {
    std::string problem;
    const std::optional<LaboratorySettings> file =
        ReadLaboratorySettings(PathFromUtf8(line.laboratorySettingsFile), problem);
    if (!file) {
      return Fail(kExitUsage, problem);
    }
    settings = SettingsOfFile(*file);
  }
  if (!line.prefix.empty()) {
    settings.prefix = line.prefix;
  }
  if (!IsPostgresLocation(location)) {
    std::error_code ignored;
    std::filesystem::create_directories(PathFromUtf8(location).parent_path(), ignored);
  }
  if (line.intervalMonths) {
    settings.intervalMonths = *line.intervalMonths;
  }
  CalibrationRegister reg = CalibrationRegister::Open(location, line.headLog);
  reg.AdoptSettings(settings);
  if (line.intervalMonths) {
    reg.SetIntervalMonths(*line.intervalMonths);  // a register made before keeps its others
  }
  PrintOut(TerminalText("The register " + location + " issues certificates numbered " +
                        settings.prefix + "-YEAR-SEQUENCE.\n"));
  return kExitSuccess;
}

// `register list`: the certificates issued, some of them by instrument, client or date.
void AddListCommand(CLI::App& reg, RegisterCommandLine& line) {
  CLI::App* list = reg.add_subcommand("list", "The certificates issued, in issue order");
  list->add_option("--instrument", line.instrument, "Only this instrument serial number")
      ->type_name("SERIAL");
  list->add_option("--client", line.client, "Only this client")->type_name("NAME");
  list->add_option("--since", line.since, "Only those issued on or after this date")
      ->type_name("YYYY-MM-DD")
      ->check(kIsoDateCheck);
  list->add_option("--format", line.format, "text (default), json or csv")
      ->check(CLI::IsMember({"text", "json", "csv"}));
}

// `register show NUMBER`: one certificate's record.
void AddShowCommand(CLI::App& reg, RegisterCommandLine& line) {
  CLI::App* show = reg.add_subcommand("show", "One certificate's record");
  show->add_option("NUMBER", line.number, "The certificate number")->required();
  show->add_option("--format", line.format, "text (default) or json, with the stored texts")
      ->check(CLI::IsMember({"text", "json"}));
}

// `register reissue NUMBER`: the stored certificate written again.
void AddReissueCommand(CLI::App& reg, RegisterCommandLine& line) {
  CLI::App* reissue =
      reg.add_subcommand("reissue", "Writes the stored certificate again, byte for byte");
  reissue->add_option("NUMBER", line.number, "The certificate number")->required();
  reissue->add_option("--certificate", line.certificateFile, "The PDF file to write")
      ->type_name("CERTIFICATE_PDF")
      ->required();
}

// `register history SERIAL`: an instrument's calibrations, and a plot of them.
void AddHistoryCommand(CLI::App& reg, RegisterCommandLine& line) {
  CLI::App* history = reg.add_subcommand(
      "history",
      "An instrument's calibrations in the order of their dates of measurement and the changes "
      "between them");
  CLI::Option* serial =
      history->add_option("SERIAL", line.serial, "The instrument's serial number");
  history->add_option("--make", line.make, "The instrument's make, when two share the serial")
      ->type_name("TEXT");
  history->add_option("--model", line.model, "The instrument's model, when two share the serial")
      ->type_name("TEXT");
  history->add_option("--plot", line.plotFile, "Also draw the history: SVG, PNG or PDF")
      ->type_name("PLOT_FILE");
  history->add_option("--format", line.format, "text (default) or json")
      ->check(CLI::IsMember({"text", "json"}));
  history
      ->add_option("--baseline", line.baseline,
                   "A baseline's history instead: each pair's certified distance on each of its "
                   "certificates and the change from the one before")
      ->type_name("NAME")
      ->excludes(serial);
}

// `register export`: every record, as JSON unless CSV is asked for.
void AddExportCommand(CLI::App& reg, RegisterCommandLine& line) {
  CLI::App* exported = reg.add_subcommand("export", "Every record, with its texts and results");
  exported->add_option("--format", line.format, "json (default) or csv")
      ->check(CLI::IsMember({"json", "csv"}));
  exported->callback([&line] {
    if (line.format == "text") {
      line.format = "json";
    }
  });
}

// A number as the register's texts show it: shortest round trip, a sign for corrections.
std::string Signed(double value) {
  return fmt::format("{:+}", value);
}

// What a certificate states of its item, by kind: "+0.15 °C, u 0.05 °C".
std::string CertifiedText(EquipmentKind kind, const EquipmentCertificate& c) {
  const std::string unit(CorrectionUnit(kind));
  switch (kind) {
    case EquipmentKind::kReflector:
      return fmt::format("prism constant {} mm, u {} mm", Number(c.correction),
                         Number(c.standardUncertainty));
    case EquipmentKind::kReferenceInstrument:
      return fmt::format("scale {} ppm, U {} ppm; constant {} mm, U {} mm", Signed(c.scalePpm),
                         Number(c.scaleUncertaintyPpm), Signed(c.constantMm),
                         Number(c.constantUncertaintyMm));
    case EquipmentKind::kBaseline:
      return fmt::format("{}; uncertainty {}", c.baselineCertificate, c.baselineUncertainty);
    default:
      return fmt::format("{} {}, u {} {}", Signed(c.correction), unit,
                         Number(c.standardUncertainty), unit);
  }
}

// The certificate an item holds in force today; nothing when none is.
std::optional<EquipmentCertificate> InForce(const EquipmentItem& item, const std::string& today) {
  return CertificateOn(item, today).certificate;
}

std::string EquipmentStatus(const EquipmentItem& item, const std::string& today) {
  if (!item.retiredOn.empty()) {
    return "retired " + item.retiredOn;
  }
  const CertificateOnDate on = CertificateOn(item, today);
  switch (on.validity) {
    case EquipmentValidity::kValid:
      return "valid";
    case EquipmentValidity::kExpired:
      return "expired";
    case EquipmentValidity::kNotYetValid:
      return "not yet valid";
    default:
      return "no certificate in force";
  }
}

std::string Today() {
  const std::optional<LocalMoment> now = LocalMomentNow();
  if (!now) {
    throw RegisterError("the local date can't be read from the system clock");
  }
  return now->date;
}

std::optional<EquipmentKind> KindOption(const RegisterCommandLine& line) {
  return line.kind.empty() ? std::nullopt : EquipmentKindOf(line.kind);
}

// The items of `serial`, of --kind when given.
std::vector<EquipmentItem> ItemsOfSerial(CalibrationRegister& reg,
                                         const RegisterCommandLine& line) {
  std::vector<EquipmentItem> items = reg.EquipmentOfSerial(line.serial);
  if (const std::optional<EquipmentKind> kind = KindOption(line)) {
    std::erase_if(items, [kind](const EquipmentItem& item) { return item.kind != *kind; });
  }
  return items;
}

std::string NoItemMessage(const RegisterCommandLine& line) {
  return "the register holds no " + (line.kind.empty() ? std::string("equipment") : line.kind) +
         " of serial " + line.serial;
}

// The items as a JSON array.
std::string ItemsJsonText(const std::vector<EquipmentItem>& items) {
  nlohmann::json list = nlohmann::json::array();
  for (const EquipmentItem& item : items) {
    list.push_back(EquipmentItemJson(item));
  }
  return JsonText(list);
}

// `register equipment add FILE.json`: a certificate entered, the item registered with its first.
int EquipmentAdd(CalibrationRegister& reg, const RegisterCommandLine& line) {
  std::string problem;
  std::optional<EquipmentFile> file = ReadEquipmentFile(PathFromUtf8(line.equipmentFile), problem);
  if (!file) {
    return Fail(kExitUsage, problem);
  }
  file->certificate.supersedes = line.supersedes;
  file->certificate.reason = line.reason;
  const EquipmentItem item = reg.AddEquipmentCertificate(file->item, file->certificate);
  if (line.format == "json") {
    PrintOut(JsonText(EquipmentItemJson(item)));
    return kExitSuccess;
  }
  const EquipmentCertificate& c = file->certificate;
  PrintOut(TerminalText(
      fmt::format("Entered certificate {} of the {}: calibrated {}, valid until {}{}.\n", c.number,
                  EquipmentName(item), c.date, c.validUntil,
                  c.supersedes.empty() ? std::string() : "; it supersedes " + c.supersedes)));
  return kExitSuccess;
}

// `register equipment list`: the items with their certificate in force.
int EquipmentList(CalibrationRegister& reg, const RegisterCommandLine& line) {
  std::vector<EquipmentItem> items = reg.ListEquipment(KindOption(line));
  const std::string today = Today();
  if (line.dueWithinDays) {
    // In use, and the certificate in force ends within the days given, or has ended.
    const std::string until = DateDaysAfter(today, *line.dueWithinDays);
    std::erase_if(items, [&](const EquipmentItem& item) {
      const std::optional<EquipmentCertificate> c = InForce(item, today);
      return !item.retiredOn.empty() || (c && c->validUntil > until);
    });
  }
  if (line.format == "json") {
    PrintOut(ItemsJsonText(items));
    return kExitSuccess;
  }
  std::vector<std::vector<std::string>> rows = {
      {"Kind", "Make", "Model", "Serial", "Certificate", "Valid until", "Status"}};
  for (const EquipmentItem& item : items) {
    const std::optional<EquipmentCertificate> c = InForce(item, today);
    rows.push_back({std::string(EquipmentKindName(item.kind)), item.make, item.model, item.serial,
                    c ? c->number : "-", c ? c->validUntil : "-", EquipmentStatus(item, today)});
  }
  PrintOut(TerminalText(items.empty() ? std::string("No equipment.\n") : AlignedTable(rows)));
  return kExitSuccess;
}

std::string EquipmentShowText(const EquipmentItem& item) {
  std::string text = EquipmentName(item) + "\n";
  if (!item.retiredOn.empty()) {
    text += "Retired on " + item.retiredOn + ": " + item.retireReason + "\n";
  }
  std::vector<std::vector<std::string>> rows = {
      {"Certificate", "Issued by", "Calibrated", "Valid until", "Certified", "Entered", "Status"}};
  for (const EquipmentCertificate& c : item.certificates) {
    std::string status = c.supersededBy.empty() ? "in force" : "superseded by " + c.supersededBy;
    if (!c.supersedes.empty()) {
      status += "; supersedes " + c.supersedes + ": " + c.reason;
    }
    rows.push_back({c.number, c.issuedBy, c.date, c.validUntil, CertifiedText(item.kind, c),
                    c.enteredAt, status});
  }
  return text + AlignedTable(rows);
}

// `register equipment show SERIAL`: every certificate of the items of that serial.
int EquipmentShow(CalibrationRegister& reg, const RegisterCommandLine& line) {
  const std::vector<EquipmentItem> items = ItemsOfSerial(reg, line);
  if (items.empty()) {
    return Fail(kExitUsage, NoItemMessage(line));
  }
  if (line.format == "json") {
    PrintOut(ItemsJsonText(items));
    return kExitSuccess;
  }
  std::string text;
  for (const EquipmentItem& item : items) {
    text += (text.empty() ? "" : "\n") + EquipmentShowText(item);
  }
  PrintOut(TerminalText(text));
  return kExitSuccess;
}

// `register equipment retire SERIAL --reason TEXT`: the item taken out of use today.
int EquipmentRetire(CalibrationRegister& reg, const RegisterCommandLine& line) {
  const std::vector<EquipmentItem> items = ItemsOfSerial(reg, line);
  if (items.empty()) {
    return Fail(kExitUsage, NoItemMessage(line));
  }
  if (items.size() > 1) {
    std::vector<std::string_view> kinds;
    for (const EquipmentItem& item : items) {
      kinds.push_back(EquipmentKindName(item.kind));
    }
    return Fail(kExitUsage,
                VisibleText(fmt::format("the register holds {} items of serial {} ({}); give "
                                        "--kind to choose one",
                                        items.size(), line.serial, fmt::join(kinds, ", "))));
  }
  const EquipmentItem retired = reg.RetireEquipment(items.front().kind, line.serial, line.reason);
  if (line.format == "json") {
    PrintOut(JsonText(EquipmentItemJson(retired)));
    return kExitSuccess;
  }
  PrintOut(TerminalText(fmt::format("Retired the {} on {}: {}.\n", EquipmentName(retired),
                                    retired.retiredOn, retired.retireReason)));
  return kExitSuccess;
}

// `register due`: each instrument's last calibration and when its next falls due.
int Due(CalibrationRegister& reg, const RegisterCommandLine& line) {
  std::vector<InstrumentDue> due = reg.DueCalibrations();
  if (line.withinDays) {
    const std::string until = DateDaysAfter(Today(), *line.withinDays);
    std::erase_if(due, [&until](const InstrumentDue& d) { return d.dueDate > until; });
  }
  if (line.format == "json") {
    nlohmann::json list = nlohmann::json::array();
    for (const InstrumentDue& d : due) {
      list.push_back({{"make", d.instrument.make},
                      {"model", d.instrument.model},
                      {"serial", d.instrument.serialNumber},
                      {"lastNumber", d.lastNumber},
                      {"lastMeasurementDate", d.lastMeasurementDate},
                      {"dueDate", d.dueDate}});
    }
    PrintOut(JsonText(list));
    return kExitSuccess;
  }
  std::vector<std::vector<std::string>> rows = {
      {"Instrument", "Serial", "Last certificate", "Measured", "Due"}};
  for (const InstrumentDue& d : due) {
    rows.push_back({InstrumentName(d.instrument), d.instrument.serialNumber, d.lastNumber,
                    d.lastMeasurementDate, d.dueDate});
  }
  PrintOut(TerminalText(due.empty() ? std::string("No calibrations due.\n") : AlignedTable(rows)));
  return kExitSuccess;
}

// The kinds' names, for --kind.
std::vector<std::string> KindNames() {
  std::vector<std::string> names;
  for (EquipmentKind kind : kEquipmentKinds) {
    names.emplace_back(EquipmentKindName(kind));
  }
  return names;
}

// `register equipment ...`: the laboratory's equipment and its certificates.
void AddEquipmentCommand(CLI::App& reg, RegisterCommandLine& line) {
  CLI::App* equipment = reg.add_subcommand(
      "equipment",
      "The laboratory's equipment (sensors, reflectors, reference instruments, baselines) and "
      "its certificates, each entry a record chained like the certificates'");
  equipment->require_subcommand(1);
  const std::string kinds = fmt::format("{}", fmt::join(KindNames(), ", "));

  CLI::App* add = equipment->add_subcommand(
      "add",
      "Enters an item's certificate from a file laid out as examples/equipment-*.json; "
      "the item is registered with its first");
  add->add_option("FILE", line.equipmentFile, "The equipment file")
      ->type_name("FILE.json")
      ->required();
  CLI::Option* supersedes =
      add->add_option("--supersedes", line.supersedes,
                      "The item's certificate this one corrects; it stays in the register, "
                      "marked superseded")
          ->type_name("NUMBER");
  add->add_option("--reason", line.reason, "Why it is superseded")
      ->type_name("TEXT")
      ->needs(supersedes);
  add->add_option("--format", line.format, "text (default) or json")
      ->check(CLI::IsMember({"text", "json"}));

  CLI::App* list = equipment->add_subcommand(
      "list", "The items with the certificate in force today, ordered by kind and serial");
  list->add_option("--kind", line.kind, "Only this kind: " + kinds)
      ->check(CLI::IsMember(KindNames()));
  list->add_option("--due-within", line.dueWithinDays,
                   "Only the items in use whose certificate in force ends within DAYS of today, "
                   "or has ended")
      ->type_name("DAYS")
      ->check(CLI::NonNegativeNumber);
  list->add_option("--format", line.format, "text (default) or json")
      ->check(CLI::IsMember({"text", "json"}));

  CLI::App* show = equipment->add_subcommand(
      "show", "Every certificate of the items of a serial, superseded ones marked");
  show->add_option("SERIAL", line.serial, "The item's serial")->required();
  show->add_option("--kind", line.kind, "Only the item of this kind: " + kinds)
      ->check(CLI::IsMember(KindNames()));
  show->add_option("--format", line.format, "text (default) or json")
      ->check(CLI::IsMember({"text", "json"}));

  CLI::App* retire = equipment->add_subcommand(
      "retire", "Takes an item out of use today; it keeps its certificates and takes no more");
  retire->add_option("SERIAL", line.serial, "The item's serial")->required();
  retire
      ->add_option("--kind", line.kind, "The item's kind, when items of two kinds share the serial")
      ->check(CLI::IsMember(KindNames()));
  retire->add_option("--reason", line.reason, "Why it is retired")->type_name("TEXT")->required();
  retire->add_option("--format", line.format, "text (default) or json")
      ->check(CLI::IsMember({"text", "json"}));
  for (CLI::App* subcommand : equipment->get_subcommands({})) {
    subcommand->fallthrough();
  }
}

// `register due`: the instruments' next calibrations.
void AddDueCommand(CLI::App& reg, RegisterCommandLine& line) {
  CLI::App* due = reg.add_subcommand(
      "due",
      "Each instrument's last calibration in force, its date of measurement and the date the "
      "register's calibration interval brings the next one due, soonest first");
  due->add_option("--within", line.withinDays, "Only those due within DAYS of today, or overdue")
      ->type_name("DAYS")
      ->check(CLI::NonNegativeNumber);
  due->add_option("--format", line.format, "text (default) or json")
      ->check(CLI::IsMember({"text", "json"}));
}

}  // namespace

CLI::App* DescribeRegisterCommand(CLI::App& app, RegisterCommandLine& line) {
  CLI::App* reg = app.add_subcommand(
      "register",
      "What the calibration register holds: the certificates issued, an instrument's "
      "history, and whether every record is as it was issued");
  reg->require_subcommand(1);
  reg->add_option("--register", line.location,
                  std::string("The register: an SQLite file or a postgresql:// URI (default: the "
                              "environment variable ") +
                      kRegisterEnvironment + ")")
      ->type_name("REGISTER");
  reg->add_option("--head-log", line.headLog,
                  std::string("A PostgreSQL register's head log (default: the environment "
                              "variable ") +
                      kHeadLogEnvironment + "; an SQLite register's is REGISTER.heads beside it)")
      ->type_name("FILE");

  AddInitCommand(*reg, line);
  AddSettingsCommand(*reg, line);
  AddListCommand(*reg, line);
  AddFilesCommand(*reg, line);
  AddShowCommand(*reg, line);
  AddReissueCommand(*reg, line);
  AddHistoryCommand(*reg, line);
  AddExportCommand(*reg, line);
  AddEquipmentCommand(*reg, line);
  AddDueCommand(*reg, line);

  CLI::App* verify = reg->add_subcommand(
      "verify",
      "Walks the chain of record hashes, checks that numbers follow on with no gap and that the "
      "register ends where its head log does; names the first record that no longer matches, "
      "or what is missing at the end (exit 1)");
  verify
      ->add_option("--head", line.head,
                   "A record hash or link noted elsewhere: the register must end there")
      ->type_name("SHA256");
  CLI::App* verifyCertificate = reg->add_subcommand(
      "verify-certificate",
      "Whether the register holds this certificate's PDF unchanged, under a record that "
      "matches its hash (exit 1 when not)");
  verifyCertificate->add_option("FILE", line.pdfFile, "The certificate's PDF file")
      ->type_name("FILE.pdf")
      ->required();
  reg->add_subcommand("head",
                      "The head log's last line and whether the register ends there (exit 1 "
                      "when not)");
  // --register may follow the subcommand's name too.
  for (CLI::App* subcommand : reg->get_subcommands({})) {
    subcommand->fallthrough();
  }
  reg->footer(
      "Exit status: 0 done, 1 verify found a record that no longer matches or records missing, "
      "verify-certificate found the file not held unchanged, or head found the register not "
      "ending at its head log's end, 2 wrong command line, a certificate not found or a file "
      "that can't be read or written or a request the register refuses, 3 a register that "
      "can't be opened or read. Only init, settings --interval-months, equipment add and "
      "equipment retire write; the other commands only read the register: nothing is created, "
      "converted or written.");
  return reg;
}

int RunRegister(const CLI::App& registerCommand, const RegisterCommandLine& line,
                const char* argv0) {
  const std::string location = RegisterLocation(line);
  if (location.empty()) {
    return Fail(kExitUsage, std::string("no register: give --register FILE or URI, or set ") +
                                kRegisterEnvironment);
  }
  const auto parsed = [&registerCommand](const char* name) {
    return registerCommand.get_subcommand(name)->parsed();
  };
  // Only issuing and init create a register: a name mistyped here finds nothing rather than a
  // new one.
  if (std::error_code status; !parsed("init") && !IsPostgresLocation(location) &&
                              !std::filesystem::exists(PathFromUtf8(location), status)) {
    return Fail(kExitUsage, "there is no register '" + location + "'");
  }
  if (const std::string problem = OutputOverInputProblem(
          {{"certificate file", line.certificateFile}, {"plot file", line.plotFile}},
          {{"register", IsPostgresLocation(location) ? std::string() : location},
           {"head log", Utf8FromPath(HeadLogPath(location, line.headLog))}});
      !problem.empty()) {
    return Fail(kExitUsage, problem);
  }
  if (!line.headLog.empty() && !IsPostgresLocation(location)) {
    return Fail(kExitUsage,
                "--head-log names a PostgreSQL register's head log; an SQLite register's is the "
                "file beside it, REGISTER.heads");
  }
  try {
    if (parsed("init")) {
      return Init(location, line);
    }
    if (parsed("equipment")) {
      const CLI::App* equipment = registerCommand.get_subcommand("equipment");
      const auto equipmentParsed = [equipment](const char* name) {
        return equipment->get_subcommand(name)->parsed();
      };
      // Entering and retiring write; listing and showing only read.
      if (equipmentParsed("add") || equipmentParsed("retire")) {
        CalibrationRegister reg = CalibrationRegister::Open(location, line.headLog);
        return equipmentParsed("add") ? EquipmentAdd(reg, line) : EquipmentRetire(reg, line);
      }
      CalibrationRegister reg = CalibrationRegister::OpenForReading(location, line.headLog);
      return equipmentParsed("list") ? EquipmentList(reg, line) : EquipmentShow(reg, line);
    }
    if (parsed("settings") && line.intervalMonths) {
      CalibrationRegister reg = CalibrationRegister::Open(location, line.headLog);
      reg.SetIntervalMonths(*line.intervalMonths);
      return Settings(reg, line);
    }
    CalibrationRegister reg = CalibrationRegister::OpenForReading(location, line.headLog);
    if (parsed("due")) {
      return Due(reg, line);
    }
    if (parsed("settings")) {
      return Settings(reg, line);
    }
    if (parsed("files")) {
      return Files(reg, line);
    }
    if (parsed("list")) {
      return List(reg, line);
    }
    if (parsed("show")) {
      return Show(reg, line);
    }
    if (parsed("reissue")) {
      return Reissue(reg, line);
    }
    if (parsed("history")) {
      return History(reg, line, argv0);
    }
    if (parsed("export")) {
      return Export(reg, line);
    }
    if (parsed("verify-certificate")) {
      return VerifyCertificate(reg, line);
    }
    if (parsed("head")) {
      return Head(reg);
    }
    return Verify(reg, line);
  } catch (const RegisterRequestError& error) {
    return Fail(kExitUsage, error.what());
  } catch (const RegisterError& error) {
    ShowProgress({});
    return Fail(kExitRegister, error.what());
  } catch (const std::exception& error) {
    return Fail(kExitUsage, error.what());
  }
}

}  // namespace mensuro::cli
