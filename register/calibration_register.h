#pragma once

// The calibration register: every certificate issued, numbered, never changed, retrievable.
// Each record carries the SHA-256 of its own content and of the record issued before it, so an
// edit made behind the program's back breaks the chain and Verify finds it.
//
// The record's hash (recordSha256) is the SHA-256 of its canonical content. Records issued now
// are of format 2: the line "mensuro-register-record-2", then each field as its length in bytes
// (decimal), a colon and its bytes, in this order: number, issue date, issued at, replaces; the
// laboratory's name, address, accreditation and logo file; the client's name and address; the
// instrument's make, model and serial number; the reflector's make, model and prism constant;
// measured by, checked by, the baseline's certificate, the baseline; the SHA-256 of the measured
// and of the published text; the conditions, exclusions, accepted warnings and results JSON
// texts; scale, its uncertainty, constant, its uncertainty; the program's version;
// previousSha256; then the row's id, the number's prefix, year and sequence; the replacement's
// reason, the other-instrument flag (0 or 1), the date of measurement (YYYY-MM-DD); then the
// number of input files and each file's role, name and SHA-256. A baseline's record is of
// format 3: the line "mensuro-register-record-3", format 2's fields with its kind ("baseline")
// after the date of measurement, then the files. An instrument's record that keeps the first
// harmonic of its cyclic error is of format 4: the line "mensuro-register-record-4", format 3's
// fields (its kind "instrument") with the unit length, the amplitude, its standard error, the
// phase and the significance flag (0 or 1) after the kind, then the files; a standard error not
// given is the empty field. Records of format 1 (those
// issued before schema 3; their format column says 1) hash the line
// "mensuro-register-record-1" and the fields up to previousSha256 alone, and verify as they
// always did. Numbers are written in the shortest form that reads back to the same double,
// integers in decimal; a prism constant or a reason not given is the empty field. The PDF is
// made with the record's hash on it, so the chain takes it in
// the link instead: a record's previousSha256 is the SHA-256 of the record before it's
// recordSha256 followed by its pdfSha256 (both as hexadecimal text); 64 zeros for the first.
// The last record's PDF is thus covered by its stored hash alone until the next one is issued.
// The fields, their columns and their places in the content are one table, in record_fields.cpp.
//
// A chain that is whole can still have lost its newest records, or be an older copy put back.
// So each issue also notes its record in the head log (head_log.h), a file kept apart from the
// database, and issuing and Verify compare the register's end with the log's. The equipment
// records' chain is kept the same way in a head log of its own beside it.

#include <cstdint>
#include <ctime>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "core/certificate/certificate_details.h"
#include "core/equipment/equipment.h"
#include "register/database.h"
#include "register/head_log.h"
#include "register/register_records.h"

namespace mensuro {

// The newest schema this program writes; a register of a later one is refused.
inline constexpr int kRegisterSchemaVersion = 6;

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
  // The same of the equipment records and their head log.
  std::filesystem::path equipmentLog;
  std::optional<HeadLine> equipmentLogged;
  std::optional<HeadLine> equipmentEnd;  // the last equipment record's line
  bool equipmentMatches() const {
    return equipmentLogged ? equipmentEnd && equipmentLogged->number == equipmentEnd->number &&
                                 equipmentLogged->recordSha256 == equipmentEnd->recordSha256 &&
                                 equipmentLogged->link == equipmentEnd->link
                           : !equipmentEnd;
  }
};

class CalibrationRegister {
 public:
  // Opens the register at `location` (an SQLite file, created on first use, or a postgresql://
  // URI) for issuing, creating or upgrading its schema; throws RegisterError for a newer schema,
  // a database that can't be opened or an SQLite file on a network file system. `headLog`
  // names a PostgreSQL register's head log (HeadLogPath).
  static CalibrationRegister Open(const std::string& location, const std::string& headLog = {});

  // Opens the register at `location` only to read it: nothing is created, converted, upgraded
  // or written. Throws RegisterError for a register that isn't there or whose schema is not
  // this program's.
  static CalibrationRegister OpenForReading(const std::string& location,
                                            const std::string& headLog = {});

  // The settings the register holds; nothing before its first issue or AdoptSettings.
  std::optional<RegisterSettings> Settings();
  // Stores `settings` in a register that holds none. A register that holds the same keeps them;
  // one that holds others refuses them (RegisterError saying which differ), as it refuses a
  // prefix that is not letters and digits.
  void AdoptSettings(const RegisterSettings& settings);
  // Changes the laboratory's calibration interval (1 to 1200 months) in a register that holds
  // settings; RegisterRequestError for another interval or a register without settings.
  void SetIntervalMonths(int months);

  // Issues a certificate: in one write transaction, allocates the next number of the year,
  // hashes the record, asks `pdfOf` for the certificate's PDF with that identity and stores
  // record, files and PDF together. Nothing is stored when `pdfOf` throws. The issue date and
  // the number's year are the laboratory's local date at `at` (default: now); a register without
  // settings takes the default prefix and the request's laboratory as its own. A replacement
  // needs its reason, and must name the same instrument (make, model, serial) unless the
  // request says it knowingly names another. The record's line goes into the head log before
  // the transaction commits; a register whose end is not its head log's is refused.
  RegisterEntry Issue(const IssueRequest& request,
                      const std::function<std::string(const CertificateIdentity&)>& pdfOf,
                      std::optional<std::time_t> at = std::nullopt);

  std::vector<RegisterEntry> List(const RegisterFilter& filter = {});
  std::optional<RegisterEntry> Find(const std::string& number);
  // The stored PDF, byte for byte.
  std::optional<std::string> StoredCertificatePdf(const std::string& number);
  // The files a certificate was made from, with their bytes; nothing when the register holds no
  // such certificate.
  std::optional<std::vector<RecordFile>> StoredFiles(const std::string& number);
  // The instruments (make, model, serial) the register holds calibrations of with `serial`.
  std::vector<InstrumentDetails> InstrumentsOfSerial(const std::string& serial);
  // The instrument's calibrations (make, model and serial; an empty make or model: any) in the
  // order of their dates of measurement (the issue date for records that have none), replaced
  // ones marked.
  std::vector<HistoryPoint> History(const InstrumentDetails& instrument);
  // Walks the records in issue order, one at a time: each matches its hash and the record
  // before it, numbers and places follow on with no gap, the head log's certificates are all
  // there unchanged and the register ends where its head log (and `options.head`) does; the
  // equipment records the same against theirs.
  VerifyResult Verify(const VerifyOptions& options = {});

  // Whether the register holds the certificate whose PDF is `pdf`, unchanged.
  CertificateCheck CheckCertificate(std::string_view pdf);

  // The head log's last line and the database's last record.
  HeadState Head();

  // The laboratory's equipment. Every change is a record hashed and chained like a
  // certificate's, and Verify walks them too; nothing entered is ever changed. Each change's
  // line goes into the equipment records' head log before the transaction commits; equipment
  // records that don't end where that log does take no more (RegisterError), nor does a
  // PostgreSQL register without a head log.
  //
  // Enters `certificate` for the item `item` names (kind, make, model, serial; its own
  // certificates are ignored), registering the item on its first certificate. The certificate
  // may supersede one of the item's own (`supersedes`, with its `reason`). Throws
  // RegisterRequestError, storing nothing, for a serial of that kind registered under another
  // make or model, a number the item holds already, a certificate to supersede it doesn't hold
  // or that was superseded already, a supersession without reason, a date that is none or a
  // validity that ends before the calibration, a negative uncertainty, or a retired item.
  // Returns the item as stored.
  EquipmentItem AddEquipmentCertificate(const EquipmentItem& item,
                                        const EquipmentCertificate& certificate,
                                        std::optional<std::time_t> at = std::nullopt);
  // Takes the item of that kind and serial out of use on the laboratory's date at `at`, with the
  // reason; RegisterRequestError when there is none, it is retired already or no reason is given.
  EquipmentItem RetireEquipment(EquipmentKind kind, const std::string& serial,
                                const std::string& reason,
                                std::optional<std::time_t> at = std::nullopt);
  // The items, with all their certificates, ordered by kind and serial; of one kind when given.
  std::vector<EquipmentItem> ListEquipment(std::optional<EquipmentKind> kind = std::nullopt);
  // The items of every kind with that serial.
  std::vector<EquipmentItem> EquipmentOfSerial(const std::string& serial);
  // The item of that kind and serial.
  std::optional<EquipmentItem> FindEquipment(EquipmentKind kind, const std::string& serial);

  // Each instrument's last calibration in force and the date the laboratory's interval
  // (RegisterSettings::intervalMonths) brings its next one due, soonest first.
  std::vector<InstrumentDue> DueCalibrations();

 private:
  CalibrationRegister(std::unique_ptr<Database> database, std::filesystem::path headLog);

  // Stores one equipment record with `store`, in a write transaction, once the equipment
  // records are found to end where their head log does, and notes it in that log.
  EquipmentItem ChangeEquipment(const std::function<EquipmentItem()>& store);

  std::unique_ptr<Database> database_;
  std::filesystem::path headLog_;
};

}  // namespace mensuro
