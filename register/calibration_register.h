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
//
// A chain that is whole can still have lost its newest records, or be an older copy put back.
// So each issue also notes its record in the head log (head_log.h), a file kept apart from the
// database, and issuing and Verify compare the register's end with the log's.

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "core/certificate/certificate_details.h"
#include "register/database.h"
#include "register/head_log.h"
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

// A request the register turns down as wrong in itself rather than failing: a certificate to
// replace that it doesn't hold or that was replaced already, a date that is none, a prefix of
// other than letters and digits.
class RegisterRequestError : public RegisterError {
 public:
  using RegisterError::RegisterError;
};

// What Verify checks beyond the records themselves, and whom it tells how far it got.
struct VerifyOptions {
  // A record hash or link the laboratory noted elsewhere: the register must end there.
  std::string head;
  // Called after each record with the records checked and the records in all.
  std::function<void(std::int64_t checked, std::int64_t total)> progress;
};

// What the register says of a certificate's PDF file.
struct CertificateCheck {
  bool held = false;   // the register holds these bytes, under a record that matches its hash
  std::string number;  // the record holding them; empty: none
  std::string recordSha256;
  std::string pdfSha256;  // of the file
  std::string reason;     // why not held, as a sentence
};

// Where the register's database ends and where its head log does.
struct HeadState {
  std::filesystem::path headLog;   // empty: none named
  std::optional<HeadLine> logged;  // the head log's last line; nothing: no line yet
  std::string endNumber;           // the database's last record; empty: none
  std::string endRecordSha256;
  std::string endLink;
  bool matches() const {
    return logged ? logged->number == endNumber && logged->recordSha256 == endRecordSha256 &&
                        logged->link == endLink
                  : endNumber.empty();
  }
};

class CalibrationRegister {
 public:
  // Opens the register at `location` (an SQLite file, created on first use, or a postgresql://
  // URI) for issuing, creating or upgrading its schema; throws RegisterError for a newer schema,
  // a database that can't be opened or an SQLite file on a network file system. `headLog`
  // names a PostgreSQL register's head log (HeadLogPath).
  static CalibrationRegister Open(const std::string& location, RegisterSettings settings = {},
                                  const std::string& headLog = {});

  // Opens the register at `location` only to read it: nothing is created, converted, upgraded
  // or written. Throws RegisterError for a register that isn't there or whose schema is not
  // this program's.
  static CalibrationRegister OpenForReading(const std::string& location,
                                            const std::string& headLog = {});

  // Issues a certificate: in one write transaction, allocates the next number of the year,
  // hashes the record, asks `pdfOf` for the certificate's PDF with that identity and stores
  // record and PDF together. Nothing is stored when `pdfOf` throws. `today` (YYYY-MM-DD) is
  // the issue date; empty: today's date (UTC). The record's line goes into the head log before
  // the transaction commits; a register whose end is not its head log's is refused.
  RegisterEntry Issue(const IssueRequest& request,
                      const std::function<std::string(const CertificateIdentity&)>& pdfOf,
                      const std::string& today = {});

  std::vector<RegisterEntry> List(const RegisterFilter& filter = {});
  std::optional<RegisterEntry> Find(const std::string& number);
  // The stored PDF, byte for byte.
  std::optional<std::string> StoredCertificatePdf(const std::string& number);
  // The instrument's calibrations in issue-date order, replaced ones left out.
  std::vector<HistoryPoint> History(const std::string& instrumentSerial);
  // Walks the records in issue order, one at a time: each matches its hash and the record
  // before it, numbers and places follow on with no gap, the head log's certificates are all
  // there unchanged and the register ends where its head log (and `options.head`) does.
  VerifyResult Verify(const VerifyOptions& options = {});

  // Whether the register holds the certificate whose PDF is `pdf`, unchanged.
  CertificateCheck CheckCertificate(std::string_view pdf);

  // The head log's last line and the database's last record.
  HeadState Head();

 private:
  CalibrationRegister(std::unique_ptr<Database> database, RegisterSettings settings,
                      std::filesystem::path headLog);
  // Appends the issued `entry` to the head log, inside `transaction`, after checking that the
  // register ended where the head log does; taken back when the transaction is rolled back.
  void AppendToHeadLog(Transaction& transaction, const RegisterEntry& entry);

  std::unique_ptr<Database> database_;
  RegisterSettings settings_;
  std::filesystem::path headLog_;
};

}  // namespace mensuro
