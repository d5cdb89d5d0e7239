#include "register/register_text.h"

#include <utility>

namespace mensuro {

std::string InstrumentName(const InstrumentDetails& instrument) {
  std::string name = instrument.make;
  if (!instrument.model.empty()) {
    name += (name.empty() ? "" : " ") + instrument.model;
  }
  return name;
}

std::string RecordKindText(const RegisterEntry& entry) {
  return entry.kind == RecordKind::kBaseline ? "baseline " + entry.baseline
                                             : std::string(RecordKindName(entry.kind));
}

std::string RegisterStatus(const RegisterEntry& entry) {
  return entry.replacedBy.empty() ? "in force" : "replaced by " + entry.replacedBy;
}

std::vector<RegisterLine> RegisterEntryLines(const RegisterEntry& e) {
  const CertificateDetails& d = e.details;
  std::vector<RegisterLine> lines;
  const auto line = [&lines](std::string label, std::string value) {
    if (!value.empty()) {
      lines.push_back({std::move(label), std::move(value)});
    }
  };
  const bool baseline = e.kind == RecordKind::kBaseline;
  line("Certificate", e.identity.number);
  line("Kind", baseline ? "baseline calibration" : "instrument calibration");
  line("Issue date", e.identity.issueDate);
  line("Issued at", e.issuedAt);
  line("Date of measurement", e.measurementDate);
  line("Status", RegisterStatus(e));
  line("Replaced by", e.replacedBy);
  line("Replaces", e.identity.replaces);
  line("Reason for replacing", e.identity.replaceReason);
  line("Replaced instrument", e.otherInstrument ? "another, corrected by this certificate" : "");
  line("Laboratory", d.laboratory.name);
  line("Client", d.client.name);
  line(baseline ? "Reference instrument" : "Instrument", InstrumentName(d.instrument));
  line("Serial number", d.instrument.serialNumber);
  line("Reflector", InstrumentName({d.reflector.make, d.reflector.model, {}}));
  line("Prism constant",
       d.reflector.prismConstantMm ? PrismConstantText(*d.reflector.prismConstantMm) + " mm" : "");
  line("Measured by", d.measuredBy);
  line("Checked by", d.checkedBy);
  line("Baseline", e.baseline);
  line("Baseline certificate", d.baselineCertificate);
  // A baseline's results are its pairs' distances, in its results.
  line("Constant (mm)", baseline ? "" : ConstantText(e.results) + " (U, 95 %)");
  line("Scale (ppm)", baseline ? "" : ScaleText(e.results) + " (U, 95 %)");
  line("Cyclic error", e.results.cyclic ? CyclicFiguresText(*e.results.cyclic) : "");
  line("Program version", e.programVersion);
  line(baseline ? "Survey text SHA-256" : "Measured text SHA-256", e.measuredSha256);
  line("Published text SHA-256", baseline ? "" : e.publishedSha256);
  line("Certificate PDF SHA-256", e.pdfSha256);
  line("Record SHA-256", e.identity.recordSha256);
  line("Previous record SHA-256", e.previousSha256);
  for (const RecordFile& file : e.files) {
    line("Input file (" + file.role + ")", file.name + "  SHA-256 " + file.sha256);
  }
  return lines;
}

std::vector<std::string> VerifyFailureLines(const VerifyResult& result) {
  std::vector<std::string> lines;
  for (const std::string* problem : {&result.problem, &result.equipmentProblem}) {
    if (!problem->empty()) {
      lines.push_back(*problem);
    }
  }
  if (!lines.empty()) {
    return lines;
  }
  if (!result.brokenEquipment.empty()) {
    return {"The " + result.brokenEquipment + " no longer matches: " + result.reason};
  }
  return {"The record of certificate " + result.firstBroken +
          " no longer matches: " + result.reason};
}

}  // namespace mensuro
