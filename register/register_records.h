#pragma once

// The register's records as the program holds them: what issuing stores, an issued
// certificate's entry, its instrument's history and what checking the register finds. No
// database here, so the documents and the window can draw and show records without it.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/certificate/certificate_details.h"

namespace mensuro {

// The format of the instrument records this program issues. Format 1 hashed the certificate's
// fields without the row's id and number parts; records of it keep verifying as they were issued.
inline constexpr int kRecordFormat = 2;

// What a record certifies: an instrument calibrated against a baseline, or a baseline's own
// distances from a survey with a reference instrument.
enum class RecordKind { kInstrument, kBaseline };

// The format of a baseline's record: format 2's fields and its kind. Instrument records stay of
// format 2, which hashes no kind: a record of format 2 or 1 is an instrument's.
inline constexpr int kBaselineRecordFormat = 3;

// The format of an instrument's record that keeps the first harmonic of its cyclic error:
// format 3's fields and the harmonic's. Records without it keep format 2 (or 3 for a baseline).
inline constexpr int kCyclicRecordFormat = 4;

// "instrument" or "baseline", as the register stores the kind.
std::string_view RecordKindName(RecordKind kind);

// A file the calibration was made from, as the register keeps it.
struct RecordFile {
  std::string role;    // "measured", "published", "field" or "heights"
  std::string name;    // without its folders
  std::string sha256;  // of the bytes, hexadecimal
  std::string bytes;   // filled only where the files themselves are asked for
};

// The first harmonic of a calibration's cyclic error, as the register keeps it.
struct RegisteredCyclic {
  double unitLengthM = 0.0;
  double amplitudeM = 0.0;
  std::optional<double> amplitudeStdErrorM;  // none when the amplitude is 0
  double phaseDegrees = 0.0;
  bool significant = false;
};

// The results of a calibration kept for its instrument's history.
struct RegisteredResults {
  double scalePpm = 0.0;
  double scaleUncertaintyPpm = 0.0;  // expanded, 95 percent
  double constantM = 0.0;
  double constantUncertaintyM = 0.0;  // expanded, 95 percent
  // When the cyclic error was estimated and could be: its first harmonic.
  std::optional<RegisteredCyclic> cyclic;
};

// What issuing stores, besides what the register adds (number, date, hashes, PDF).
struct IssueRequest {
  RecordKind kind = RecordKind::kInstrument;
  // Of a baseline's record: the reference instrument stands in details.instrument, the
  // baseline's name in `baseline`, the survey in `measuredText` (publishedText empty), the
  // reference scale and pillar order in `conditionsJson`, the adjustment in `resultsJson`.
  CertificateDetails details;
  std::string baseline;              // the library baseline's name or the published file's name
  std::string measuredText;          // exactly as processed
  std::string publishedText;         // exactly as processed
  std::string conditionsJson;        // the uncertainty inputs
  std::string exclusionsJson;        // what was left out of the fit, with reasons
  std::string acceptedWarningsJson;  // the misread warnings and outliers the operator accepted
  std::string resultsJson;           // the whole result as the command line's JSON gives it
  RegisteredResults results;
  std::string programVersion;
  std::string replaces;           // the number of the certificate this one corrects; empty: none
  std::string replaceReason;      // why, with `replaces`
  bool otherInstrument = false;   // the replaced one named another instrument, knowingly
  std::string measurementDate;    // YYYY-MM-DD
  std::vector<RecordFile> files;  // the files the texts were read from, with their bytes
};

// One issued calibration as the register holds it.
struct RegisterEntry {
  std::int64_t position = 0;  // in the issue order, from 1: the row's id
  int recordFormat = kRecordFormat;
  RecordKind kind = RecordKind::kInstrument;
  CertificateIdentity identity;
  // The number's parts as the row holds them.
  std::string prefix;
  std::int64_t year = 0;
  std::int64_t sequence = 0;
  std::string issuedAt;  // ISO 8601: the local moment with its offset (UTC, "Z", in format 1)
  std::string measurementDate;   // YYYY-MM-DD; empty in records of format 1
  bool otherInstrument = false;  // it replaces a certificate of another instrument
  CertificateDetails details;
  std::string baseline;
  std::string measuredSha256;
  std::string publishedSha256;
  RegisteredResults results;
  std::string programVersion;
  std::string pdfSha256;
  std::string previousSha256;  // the record before it; 64 zeros for the first
  std::string replacedBy;      // the certificate that corrects it; empty: in force
  // Filled by Find and Verify: the files it was made from, without their bytes.
  std::vector<RecordFile> files;
  // Filled by Find only: the stored texts and documents.
  std::string measuredText;
  std::string publishedText;
  std::string conditionsJson;
  std::string exclusionsJson;
  std::string acceptedWarningsJson;
  std::string resultsJson;
};

struct RegisterFilter {
  std::string instrumentSerial;    // empty: any
  std::string clientName;          // empty: any
  std::string since;               // YYYY-MM-DD, issue date on or after; empty: any
  std::string instrumentMake;      // empty: any
  std::string instrumentModel;     // empty: any
  std::optional<RecordKind> kind;  // none: both
  std::string baseline;            // a baseline record's baseline; empty: any
};

// One calibration of an instrument's history and the change from the one before it.
struct HistoryPoint {
  RegisterEntry entry;  // without texts
  // Normalised errors against the calibration before (none for the first):
  // E_n = |x2 - x1| / sqrt(U1^2 + U2^2); above 1 the value changed beyond its uncertainty.
  std::optional<double> constantEn;
  std::optional<double> scaleEn;
  // Replaced by a later certificate: kept in the history, compared with the calibration in
  // force before it, and never the reference of the next one.
  bool replaced = false;
};

struct VerifyResult {
  std::int64_t records = 0;  // how many were checked
  bool intact = true;
  std::string firstBroken;  // the number of the first record that no longer matches
  std::string reason;       // what does not match
  // What is wrong with the register as a whole (its end, its head log), as a sentence; empty
  // when a record was the fault (firstBroken, reason) or nothing is.
  std::string problem;
  std::string headLog;        // the head log checked against; empty: none named
  bool headLogFound = false;  // it exists and has a line
  std::string end;            // the number of the last record; empty: an empty register
  // The equipment records checked, and the first that no longer matches ("equipment record 3
  // (thermometer ACME T-100 serial 4711, certificate C-1)"; `reason` says why); empty: none.
  std::int64_t equipmentRecords = 0;
  std::string brokenEquipment;
  // What is wrong with the equipment records' end against their own head log, as a sentence;
  // empty when nothing is (or a record was the fault). The log checked against (empty: none
  // named) and whether it exists and has a line.
  std::string equipmentProblem;
  std::string equipmentHeadLog;
  bool equipmentHeadLogFound = false;
};

// The register's own settings, stored in it: the certificate numbers' prefix and the
// laboratory's lines on every certificate it issues.
struct RegisterSettings {
  std::string prefix = "MEN";
  LaboratoryDetails laboratory;
  // The laboratory's calibration interval for the instruments it calibrates.
  int intervalMonths = 12;
};

// When an instrument's next calibration falls due: its last calibration in force plus the
// laboratory's interval.
struct InstrumentDue {
  InstrumentDetails instrument;
  std::string lastNumber;           // the certificate of its last calibration
  std::string lastMeasurementDate;  // YYYY-MM-DD (the issue date for records that have none)
  std::string dueDate;              // YYYY-MM-DD
};

// The date `months` calendar months after `date` (YYYY-MM-DD), the month's last day where it is
// shorter: 2026-01-31 plus one month is 2026-02-28. The empty text for a date that is none.
std::string DateMonthsAfter(const std::string& date, int months);

// The date `days` days after `date` (YYYY-MM-DD; days may be negative); the empty text for a date
// that is none.
std::string DateDaysAfter(const std::string& date, int days);

// Normalised error of two results with expanded uncertainties u1 and u2; nothing when both
// uncertainties are zero.
std::optional<double> NormalisedError(double x1, double u1, double x2, double u2);

}  // namespace mensuro
