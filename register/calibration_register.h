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
// The fields, their columns and their places in the content are one table, in record_fields.cpp.

#include <functional>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "core/certificate/certificate_details.h"
#include "register/database.h"
#include "register/register_records.h"

namespace mensuro {

// The newest schema this program writes; a register of a later one is refused.
inline constexpr int kRegisterSchemaVersion = 2;

// A failure of the register (a database error, a newer schema, a number not found, a
// replacement of a replaced certificate), with a message for the user.
class RegisterError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
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
  std::optional<std::string> StoredCertificatePdf(const std::string& number);
  // The instrument's calibrations in issue-date order, replaced ones left out.
  std::vector<HistoryPoint> History(const std::string& instrumentSerial);
  VerifyResult Verify();

 private:
  explicit CalibrationRegister(std::unique_ptr<Database> database, RegisterSettings settings);
  std::unique_ptr<Database> database_;
  RegisterSettings settings_;
};

}  // namespace mensuro
