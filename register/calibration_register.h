#pragma once

// The calibration register: every certificate issued, numbered, never changed, retrievable.
// Each record carries the SHA-256 of its own content and of the record issued before it, so an
// edit made behind the program's back breaks the chain and Verify finds it.
//
// The record's hash (recordSha256) is the SHA-256 of its canonical content: the line
// "mensuro-register-record-1", then each field as its length in bytes (decimal), a colon and
// its bytes, in this order: number, issue date, issued at, replaces; the laboratory's name,
// address, accreditation and logo file; the client's name and address; the instrument's make,
// model and serial number; the reflector's make, model and prism constant; measured by,
// checked by, the baseline's certificate, the baseline; the SHA-256 of the measured and of the
// published text; the conditions, exclusions, accepted warnings and results JSON texts; scale,
// its uncertainty, constant, its uncertainty; the program's version; previousSha256. Numbers are
// written in the shortest form that reads back to the same double; a prism constant not given
// is the empty field. The PDF is made with the record's hash on it, so the chain takes it in
// the link instead: a record's previousSha256 is the SHA-256 of the record before it's
// recordSha256 followed by its pdfSha256 (both as hexadecimal text); 64 zeros for the first.
// The last record's PDF is thus covered by its stored hash alone until the next one is issued.

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/certificate/certificate_details.h"
#include "register/database.h"

namespace mensuro {

// The newest schema this program writes; a register of a later one is refused.
inline constexpr int kRegisterSchemaVersion = 2;

// A failure of the register (a database error, a newer schema, a number not found, a
// replacement of a replaced certificate), with a message for the user.
class RegisterError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The results of a calibration kept for its instrument's history.
struct RegisteredResults {
  double scalePpm = 0.0;
  double scaleUncertaintyPpm = 0.0;  // expanded, 95 percent
  double constantM = 0.0;
  double constantUncertaintyM = 0.0;  // expanded, 95 percent
};

// What issuing stores, besides what the register adds (number, date, hashes, PDF).
struct IssueRequest {
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
  std::string replaces;  // the number of the certificate this one corrects; empty: none
};

// One issued calibration as the register holds it.
struct RegisterEntry {
  std::int64_t position = 0;  // in the issue order, from 1
  CertificateIdentity identity;
  std::string issuedAt;  // UTC, ISO 8601
  CertificateDetails details;
  std::string baseline;
  std::string measuredSha256;
  std::string publishedSha256;
  RegisteredResults results;
  std::string programVersion;
  std::string pdfSha256;
  std::string previousSha256;  // the record before it; 64 zeros for the first
  std::string replacedBy;      // the certificate that corrects it; empty: in force
  // Filled by Find only: the stored texts and documents.
  std::string measuredText;
  std::string publishedText;
  std::string conditionsJson;
  std::string exclusionsJson;
  std::string acceptedWarningsJson;
  std::string resultsJson;
};

struct RegisterFilter {
  std::string instrumentSerial;  // empty: any
  std::string clientName;        // empty: any
  std::string since;             // YYYY-MM-DD, issue date on or after; empty: any
};

// One calibration of an instrument's history and the change from the one before it.
struct HistoryPoint {
  RegisterEntry entry;  // without texts
  // Normalised errors against the calibration before (none for the first):
  // E_n = |x2 - x1| / sqrt(U1^2 + U2^2); above 1 the value changed beyond its uncertainty.
  std::optional<double> constantEn;
  std::optional<double> scaleEn;
};

struct VerifyResult {
  std::int64_t records = 0;  // how many were checked
  bool intact = true;
  std::string firstBroken;  // the number of the first record that no longer matches
  std::string reason;       // what does not match
};

// The register's settings: the certificate number's prefix.
struct RegisterSettings {
  std::string prefix = "MEN";
};

class CalibrationRegister {
 public:
  // Opens the register at `location` (an SQLite file, created on first use, or a postgresql://
  // URI), creating or upgrading its schema; throws RegisterError for a newer schema or a
  // database that can't be opened.
  static CalibrationRegister Open(const std::string& location, RegisterSettings settings = {});

  // Issues a certificate: in one write transaction, allocates the next number of the year,
  // hashes the record, asks `pdfOf` for the certificate's PDF with that identity and stores
  // record and PDF together. Nothing is stored when `pdfOf` throws. `today` (YYYY-MM-DD) is
  // the issue date; empty: today's date (UTC).
  RegisterEntry Issue(const IssueRequest& request,
                      const std::function<std::string(const CertificateIdentity&)>& pdfOf,
                      const std::string& today = {});

  std::vector<RegisterEntry> List(const RegisterFilter& filter = {});
  std::optional<RegisterEntry> Find(const std::string& number);
  // The stored PDF, byte for byte.
  std::optional<std::string> CertificatePdf(const std::string& number);
  // The instrument's calibrations in issue-date order, replaced ones left out.
  std::vector<HistoryPoint> History(const std::string& instrumentSerial);
  VerifyResult Verify();

 private:
  explicit CalibrationRegister(std::unique_ptr<Database> database, RegisterSettings settings);
  std::unique_ptr<Database> database_;
  RegisterSettings settings_;
};

// Normalised error of two results with expanded uncertainties u1 and u2; nothing when both
// uncertainties are zero.
std::optional<double> NormalisedError(double x1, double u1, double x2, double u2);

}  // namespace mensuro
