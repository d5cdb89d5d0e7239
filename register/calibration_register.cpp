#include "register/calibration_register.h"

#include <fmt/format.h>
#include <fmt/ranges.h>

#include <algorithm>
#include <cctype>
#include <charconv>
#include <chrono>
#include <limits>
#include <map>
#include <thread>
#include <tuple>
#include <utility>

#include "core/data/file_names.h"
#include "core/data/local_time.h"
#include "core/data/sha256.h"
#include "register/equipment_register.h"
#include "register/network_file_system.h"
#include "register/record_fields.h"
#include "register/register_schema.h"
#include "register/register_text.h"

namespace mensuro {
namespace {

const std::string kNoRecord(64, '0');

// How many records' places Verify reads at once.
constexpr int kVerifyPage = 1000;

// How often Verify looks at the register's end while an issue is under way.
constexpr int kEndAttempts = 5;

constexpr std::string_view kEntryFrom =
    " FROM calibrations c LEFT JOIN calibrations r ON r.replaces = c.number";

// What the next record's previousSha256 holds: the hash of this record's hash and its PDF's.
std::string ChainLink(const std::string& recordSha256, const std::string& pdfSha256) {
  return Sha256Hex(recordSha256 + pdfSha256);
}

// The id of the row of `table` whose `key` columns hold `keys`, its other columns set to
// `values`; a new row when there is none. Nothing (NULL) when every key is empty: a detail
// not given names no entity.
SqlValue Upsert(Database& database, const std::string& table,
                const std::vector<std::string>& keyColumns, const std::vector<std::string>& keys,
                const std::vector<std::string>& valueColumns, const std::vector<SqlValue>& values) {
  if (std::all_of(keys.begin(), keys.end(), [](const std::string& key) { return key.empty(); })) {
    return std::monostate{};
  }
  std::string where;
  std::vector<SqlValue> keyValues;
  for (std::size_t i = 0; i < keyColumns.size(); ++i) {
    where += (i == 0 ? " WHERE " : " AND ") + keyColumns[i] + " = ?";
    keyValues.emplace_back(keys[i]);
  }
  const std::vector<SqlRow> found = database.Query("SELECT id FROM " + table + where, keyValues);
  if (!found.empty() && valueColumns.empty()) {
    return found[0].at(0);
  }
  if (!found.empty()) {
    std::string set;
    for (std::size_t i = 0; i < valueColumns.size(); ++i) {
      set += (i == 0 ? "" : ", ") + valueColumns[i] + " = ?";
    }
    std::vector<SqlValue> parameters = values;
    parameters.insert(parameters.end(), keyValues.begin(), keyValues.end());
    database.Query("UPDATE " + table + " SET " + set + where, parameters);
    return found[0].at(0);
  }
  const SqlValue id = database.Query("SELECT COALESCE(MAX(id), 0) + 1 FROM " + table).at(0).at(0);
  std::string columns = "id";
  std::string marks = "?";
  std::vector<SqlValue> parameters{id};
  for (std::size_t i = 0; i < keyColumns.size(); ++i) {
    columns += ", " + keyColumns[i];
    marks += ", ?";
    parameters.emplace_back(keys[i]);
  }
  for (std::size_t i = 0; i < valueColumns.size(); ++i) {
    columns += ", " + valueColumns[i];
    marks += ", ?";
    parameters.push_back(values[i]);
  }
  database.Query("INSERT INTO " + table + " (" + columns + ") VALUES (" + marks + ")", parameters);
  return id;
}

SqlValue Nullable(const std::optional<double>& value) {
  return value ? SqlValue{*value} : SqlValue{};
}

// The laboratory's local date and moment at `at` (default: now).
LocalMoment IssueMoment(std::optional<std::time_t> at) {
  const std::optional<LocalMoment> moment = at ? LocalMomentOf(*at) : LocalMomentNow();
  if (!moment) {
    throw RegisterError("the local date and time can't be read from the system clock");
  }
  return *moment;
}

// The settings' names in the register_settings table, with the member each holds.
struct SettingName {
  const char* name;
  std::string& (*of)(RegisterSettings& settings);
  const char* shown;  // as a message names it
};
constexpr SettingName kSettingNames[] = {
    {"prefix", [](RegisterSettings& s) -> std::string& { return s.prefix; },
     "the certificate numbers' prefix"},
    {"laboratory_name", [](RegisterSettings& s) -> std::string& { return s.laboratory.name; },
     "the laboratory's name"},
    {"laboratory_address", [](RegisterSettings& s) -> std::string& { return s.laboratory.address; },
     "the laboratory's address"},
    {"laboratory_accreditation",
     [](RegisterSettings& s) -> std::string& { return s.laboratory.accreditation; },
     "the laboratory's accreditation"},
    {"laboratory_logo_file",
     [](RegisterSettings& s) -> std::string& { return s.laboratory.logoFile; },
     "the laboratory's logo file"},
};

// The calibration interval's name in the register_settings table; a register without it keeps
// the default.
constexpr const char* kIntervalSetting = "interval_months";

// The longest calibration interval a register keeps: a hundred years.
constexpr int kLongestInterval = 1200;

std::optional<RegisterSettings> ReadSettings(Database& db) {
  const std::vector<SqlRow> rows = db.Query("SELECT name, value FROM register_settings");
  if (rows.empty()) {
    return std::nullopt;
  }
  RegisterSettings settings;
  for (const SqlRow& row : rows) {
    for (const SettingName& setting : kSettingNames) {
      if (TextOf(row.at(0)) == setting.name) {
        setting.of(settings) = TextOf(row.at(1));
      }
    }
    if (const std::string value = TextOf(row.at(1)); TextOf(row.at(0)) == kIntervalSetting) {
      int months = 0;
      const auto [end, error] = std::from_chars(value.data(), value.data() + value.size(), months);
      if (error == std::errc() && end == value.data() + value.size() && months >= 1) {
        settings.intervalMonths = months;
      }
    }
  }
  return settings;
}

void CheckInterval(int months) {
  if (months < 1 || months > kLongestInterval) {
    throw RegisterRequestError(
        fmt::format("the calibration interval of {} months is none: give 1 to {} months", months,
                    kLongestInterval));
  }
}

void WriteInterval(Database& db, int months) {
  db.Query("DELETE FROM register_settings WHERE name = ?", {kIntervalSetting});
  db.Query("INSERT INTO register_settings (name, value) VALUES (?, ?)",
           {kIntervalSetting, std::to_string(months)});
}

void WriteSettings(Database& db, RegisterSettings settings) {
  for (const SettingName& setting : kSettingNames) {
    db.Query("INSERT INTO register_settings (name, value) VALUES (?, ?)",
             {setting.name, setting.of(settings)});
  }
  WriteInterval(db, settings.intervalMonths);
}

// The prefix becomes part of file names and of the certificate: letters and digits only.
void CheckPrefix(const std::string& prefix) {
  if (prefix.empty() || !std::all_of(prefix.begin(), prefix.end(), [](unsigned char c) {
        return std::isalnum(c) != 0 && c < 0x80;
      })) {
    throw RegisterRequestError("the certificate numbers' prefix \"" + prefix +
                               "\" must be letters and digits");
  }
}

// The settings of `a` that `b` gives otherwise, as a message names them.
std::vector<std::string> DifferingSettings(RegisterSettings a, RegisterSettings b) {
  std::vector<std::string> differing;
  for (const SettingName& setting : kSettingNames) {
    if (setting.of(a) != setting.of(b)) {
      differing.emplace_back(setting.shown);
    }
  }
  return differing;
}

// The settings the register holds; a register without them takes `seed` as its own.
RegisterSettings SettingsOrSeed(Database& db, const RegisterSettings& seed) {
  if (std::optional<RegisterSettings> stored = ReadSettings(db)) {
    return *stored;
  }
  CheckPrefix(seed.prefix);
  WriteSettings(db, seed);
  return seed;
}

bool SameInstrument(const InstrumentDetails& a, const InstrumentDetails& b) {
  return a.make == b.make && a.model == b.model && a.serialNumber == b.serialNumber;
}

// Refuses to replace a certificate the register doesn't hold or one already replaced, a
// replacement without its reason, and one that names another instrument unknowingly.
void CheckReplaceable(Database& db, const IssueRequest& request) {
  const std::string& replaces = request.replaces;
  if (replaces.empty()) {
    return;
  }
  const std::vector<SqlRow> old = db.Query(
      "SELECT instrument_make, instrument_model, instrument_serial, kind FROM calibrations "
      "WHERE number = ?",
      {replaces});
  if (old.empty()) {
    throw RegisterRequestError("the certificate " + replaces +
                               " to be replaced is not in the register");
  }
  if (TextOf(old[0].at(3)) != RecordKindName(request.kind)) {
    throw RegisterRequestError("the certificate " + replaces + " is of a " + TextOf(old[0].at(3)) +
                               "'s calibration; a replacement is of the " + "same kind");
  }
  const std::vector<SqlRow> newer =
      db.Query("SELECT number FROM calibrations WHERE replaces = ?", {replaces});
  if (!newer.empty()) {
    throw RegisterRequestError("the certificate " + replaces + " was already replaced by " +
                               TextOf(newer[0].at(0)));
  }
  if (request.replaceReason.empty()) {
    throw RegisterRequestError("replacing the certificate " + replaces + " needs the reason why");
  }
  const InstrumentDetails oldInstrument{TextOf(old[0].at(0)), TextOf(old[0].at(1)),
                                        TextOf(old[0].at(2))};
  if (!request.otherInstrument && !SameInstrument(oldInstrument, request.details.instrument)) {
    throw RegisterRequestError(
        "the certificate " + replaces + " is of another instrument (" +
        InstrumentName(oldInstrument) + " serial " + oldInstrument.serialNumber +
        "); a replacement names the same instrument, unless it corrects the instrument itself");
  }
}

// The next certificate number of the issue date's year and the record's place in the chain.
struct NumberAllocation {
  std::string prefix;
  std::int64_t year = 0;
  std::int64_t sequence = 0;
  std::string number;
  std::int64_t position = 0;   // in the issue order, from 1
  std::string previousSha256;  // the link to the record before
};

NumberAllocation AllocateNumber(Database& db, const std::string& prefix,
                                const std::string& issueDate) {
  NumberAllocation allocation;
  allocation.prefix = prefix;
  allocation.year = std::stoll(issueDate.substr(0, 4));
  allocation.sequence =
      IntegerOf(db.Query("SELECT COALESCE(MAX(sequence), 0) + 1 FROM calibrations "
                         "WHERE prefix = ? AND year = ?",
                         {prefix, allocation.year})
                    .at(0)
                    .at(0));
  allocation.number = fmt::format("{}-{}-{:04}", prefix, allocation.year, allocation.sequence);
  const std::vector<SqlRow> last =
      db.Query("SELECT id, record_sha256, pdf_sha256 FROM calibrations ORDER BY id DESC LIMIT 1");
  allocation.position = last.empty() ? 1 : IntegerOf(last[0].at(0)) + 1;
  allocation.previousSha256 =
      last.empty() ? kNoRecord : ChainLink(TextOf(last[0].at(1)), TextOf(last[0].at(2)));
  return allocation;
}

// The record of `request` under the number allocated, issued at `moment`, with its hash; the
// PDF's hash is not yet known.
RegisterEntry RecordOf(const IssueRequest& request, const NumberAllocation& allocation,
                       const LocalMoment& moment) {
  RegisterEntry entry;
  entry.position = allocation.position;
  entry.kind = request.kind;
  entry.results = request.results;
  if (request.kind == RecordKind::kBaseline) {
    entry.recordFormat = kBaselineRecordFormat;
    entry.results.cyclic.reset();  // a baseline's survey certifies no instrument's error
  } else {
    entry.recordFormat = entry.results.cyclic ? kCyclicRecordFormat : kRecordFormat;
  }
  entry.identity.number = allocation.number;
  entry.identity.issueDate = moment.date;
  entry.identity.replaces = request.replaces;
  entry.identity.replaceReason = request.replaces.empty() ? "" : request.replaceReason;
  entry.prefix = allocation.prefix;
  entry.year = allocation.year;
  entry.sequence = allocation.sequence;
  entry.issuedAt = moment.moment;
  entry.measurementDate = request.measurementDate;
  entry.otherInstrument = !request.replaces.empty() && request.otherInstrument;
  for (const RecordFile& file : request.files) {
    entry.files.push_back({file.role, file.name, Sha256Hex(file.bytes), {}});
  }
  entry.details = request.details;
  entry.baseline = request.baseline;
  entry.measuredSha256 = Sha256Hex(request.measuredText);
  entry.publishedSha256 = Sha256Hex(request.publishedText);
  entry.programVersion = request.programVersion;
  entry.previousSha256 = allocation.previousSha256;
  entry.measuredText = request.measuredText;
  entry.publishedText = request.publishedText;
  entry.conditionsJson = request.conditionsJson;
  entry.exclusionsJson = request.exclusionsJson;
  entry.acceptedWarningsJson = request.acceptedWarningsJson;
  entry.resultsJson = request.resultsJson;
  entry.identity.recordSha256 = Sha256Hex(CanonicalContent(entry));
  return entry;
}

// Stores `entry` with its `pdf` and its `files`, and the laboratory, client, instrument and
// reflector it names.
void StoreRecord(Database& db, const RegisterEntry& entry, const std::vector<RecordFile>& files,
                 std::string_view pdf) {
  const CertificateDetails& d = entry.details;
  const RecordRow row{
      .laboratoryId =
          Upsert(db, "laboratories", {"name"}, {d.laboratory.name},
                 {"address", "accreditation", "logo_file"},
                 {d.laboratory.address, d.laboratory.accreditation, d.laboratory.logoFile}),
      .clientId = Upsert(db, "clients", {"name"}, {d.client.name}, {"address"}, {d.client.address}),
      .instrumentId =
          Upsert(db, "instruments", {"make", "model", "serial"},
                 {d.instrument.make, d.instrument.model, d.instrument.serialNumber}, {}, {}),
      .reflectorId =
          Upsert(db, "reflectors", {"make", "model"}, {d.reflector.make, d.reflector.model},
                 {"prism_constant_mm"}, {Nullable(d.reflector.prismConstantMm)}),
      .pdf = pdf};
  InsertRecord(db, entry, row);
  for (std::size_t i = 0; i < files.size(); ++i) {
    db.Query(
        "INSERT INTO calibration_files (calibration_id, position, role, name, sha256, bytes) "
        "VALUES (?, ?, ?, ?, ?, ?)",
        {entry.position, static_cast<std::int64_t>(i + 1), files[i].role, files[i].name,
         entry.files.at(i).sha256, SqlBlob{files[i].bytes}});
  }
}

// The files of the record `id` in their order, with their bytes when `withBytes`.
std::vector<RecordFile> FilesOf(Database& db, const SqlValue& id, bool withBytes) {
  std::vector<RecordFile> files;
  for (const SqlRow& row :
       db.Query(std::string("SELECT role, name, sha256") + (withBytes ? ", bytes" : "") +
                    " FROM calibration_files WHERE calibration_id = ? ORDER BY position",
                {id})) {
    RecordFile file{TextOf(row.at(0)), TextOf(row.at(1)), TextOf(row.at(2)), {}};
    if (withBytes) {
      const auto* bytes = std::get_if<SqlBlob>(&row.at(3));
      file.bytes = bytes != nullptr ? bytes->bytes : TextOf(row.at(3));
    }
    files.push_back(std::move(file));
  }
  return files;
}

// When a calibration was measured, for the history's order: its date of measurement, or its
// issue date when its record has none.
const std::string& HistoryDate(const RegisterEntry& entry) {
  return entry.measurementDate.empty() ? entry.identity.issueDate : entry.measurementDate;
}

// Runs `work`, giving a database's or the head log's failure as the register's.
template <typename Work>
auto Guarded(Work&& work) {
  try {
    return work();
  } catch (const DatabaseError& error) {
    throw RegisterError(error.what());
  } catch (const HeadLogError& error) {
    throw RegisterError(error.what());
  }
}

// Refuses a register whose schema is not the one this program reads: reading never upgrades.
void CheckSchemaForReading(Database& database, const std::string& location) {
  const int version = database.SchemaVersion();
  if (version == kRegisterSchemaVersion) {
    return;
  }
  if (version == 0) {
    throw RegisterError(location + " is not a Mensuro register (it has no schema)");
  }
  const std::string versions = " (schema " + std::to_string(version) + "; this version reads " +
                               std::to_string(kRegisterSchemaVersion) + ")";
  if (version > kRegisterSchemaVersion) {
    throw RegisterError("the register " + location + " was written by a newer version of Mensuro" +
                        versions);
  }
  throw RegisterError("the register " + location + " was written by an older version of Mensuro" +
                      versions +
                      ": reading leaves it as it is; issuing a certificate into it "
                      "upgrades it");
}

// The last record by id other than `besides`: number, record hash, PDF hash, moment of issue.
std::optional<HeadLine> LastRecord(Database& db, const std::string& besides = {}) {
  const std::vector<SqlRow> rows = db.Query(
      "SELECT number, record_sha256, pdf_sha256, issued_at FROM calibrations "
      "WHERE number <> ? ORDER BY id DESC LIMIT 1",
      {besides});
  if (rows.empty()) {
    return std::nullopt;
  }
  const std::string recordSha256 = TextOf(rows[0].at(1));
  return HeadLine{TextOf(rows[0].at(0)), recordSha256,
                  ChainLink(recordSha256, TextOf(rows[0].at(2))), TextOf(rows[0].at(3))};
}

// The same record: number, record hash and link (the moment of issue is not compared).
bool SameHead(const HeadLine& a, const HeadLine& b) {
  return a.number == b.number && a.recordSha256 == b.recordSha256 && a.link == b.link;
}

std::string HeadLogName(const std::filesystem::path& headLog) {
  return Utf8FromPath(headLog);
}

// The record hash stored for certificate `number`; nothing when the register holds none.
std::optional<std::string> CertificateRecordSha256(Database& db, const std::string& number) {
  const std::vector<SqlRow> found =
      db.Query("SELECT record_sha256 FROM calibrations WHERE number = ?", {number});
  if (found.empty()) {
    return std::nullopt;
  }
  return TextOf(found[0].at(0));
}

constexpr const char* kNoHeadLog =
    "a PostgreSQL register needs a head log to issue into: name one with --head-log FILE, the "
    "environment variable MENSURO_HEAD_LOG or the window's settings; nothing was issued";

// One of the register's two chains, the certificates' or the equipment records', with its head
// log and the words its messages use.
struct ChainEnd {
  std::filesystem::path log;  // empty: none named
  std::optional<HeadLine> (*last)(Database& db);
  std::optional<std::string> (*hashOf)(Database& db, const std::string& number);
  const char* endsAt;  // "the register ends at certificate " + number
  const char* holdsNone;
  const char* its;  // whose head log: the register's or the equipment records'
  const char* otherHash;
  const char* record;  // before a number: "certificate " + number
  const char* nothing;
  const char* noLog;
};

ChainEnd CertificateChain(const std::filesystem::path& headLog) {
  return {headLog,
          [](Database& db) { return LastRecord(db); },
          CertificateRecordSha256,
          "the register ends at certificate ",
          "the register holds no certificate",
          "its",
          "another record hash or PDF",
          "certificate ",
          "nothing was issued",
          kNoHeadLog};
}

ChainEnd EquipmentChain(const std::filesystem::path& headLog) {
  return {EquipmentHeadLogPath(headLog),
          LastEquipmentHead,
          EquipmentRecordSha256,
          "the equipment records end at ",
          "the register holds no equipment record",
          "their",
          "another record hash",
          "",
          "nothing was stored",
          "a PostgreSQL register needs a head log to enter equipment into: name one with "
          "--head-log FILE, the environment variable MENSURO_HEAD_LOG or the window's settings; "
          "nothing was stored"};
}

// Why a chain that ends at `end` (nothing: no record) doesn't end where its head log does.
std::string EndsElsewhere(const ChainEnd& chain, const std::optional<HeadLine>& end,
                          const HeadLine& logged) {
  const std::string chainEnd = end ? chain.endsAt + end->number : std::string(chain.holdsNone);
  const std::string headLog = std::string(chain.its) + " head log " + HeadLogName(chain.log);
  if (end && end->number == logged.number) {
    return chainEnd + ", with " + chain.otherHash + " than " + headLog +
           " noted: a record was changed or an older copy restored";
  }
  return chainEnd + " but " + headLog + " at " + logged.number +
         ": a record was removed or an older copy restored";
}

// `clause` as a sentence of its own: a capital first letter and a full stop.
std::string Sentence(std::string clause) {
  if (!clause.empty()) {
    clause[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(clause[0])));
    clause += '.';
  }
  return clause;
}

// Whether `last`, the head log's last line, is that of a change stopped before its commit or
// still under way: its head noted as pending and its record not in the register.
bool IsStoppedChange(Database& db, const ChainEnd& chain, const HeadLine& last) {
  return PendingHead(chain.log) == last && chain.hashOf(db, last.number) != last.recordSha256;
}

// Checks, before a change to `chain`, that it ends where its head log does (a stopped change's
// line taken back first); the lines to append before the new record's own (the chain's end when
// its log is not started yet).
std::vector<HeadLine> HeadsBeforeChange(Database& db, const ChainEnd& chain) {
  if (chain.log.empty()) {
    throw RegisterError(chain.noLog);
  }
  // The log's last line alone: a change costs the same however long the log has grown.
  std::optional<HeadLine> logged = LastHead(chain.log);
  if (logged && IsStoppedChange(db, chain, *logged)) {
    TakeBackLastHead(chain.log);  // a change stopped before its commit: its place is free
    logged = LastHead(chain.log);
  }
  const std::optional<HeadLine> before = chain.last(db);
  std::vector<HeadLine> heads;
  if (!logged) {
    if (before) {
      heads.push_back(*before);  // a chain older than its head log starts it with its end
    }
  } else if (!before || !SameHead(*before, *logged)) {
    throw RegisterError(EndsElsewhere(chain, before, *logged) + "; " + chain.nothing +
                        ". Check it with: mensuro-cli register verify");
  }
  return heads;
}

// Appends `heads` and then `head` to the head log `log` inside `transaction`: noted as pending
// until the commit, taken back when the transaction is rolled back.
void AppendHeadsInside(Transaction& transaction, const std::filesystem::path& log,
                       std::vector<HeadLine> heads, const HeadLine& head) {
  heads.push_back(head);
  MarkHeadPending(log, head);
  const std::uintmax_t size = AppendHeads(log, heads);
  transaction.OnRollback([log, size, head] {
    TakeBackHeads(log, size);
    ClearPendingHead(log, head);
  });
  transaction.OnCommit([log, head] { ClearPendingHead(log, head); });
}

// The head log's last line, or the one before it when the last is a change under way or stopped.
std::optional<HeadLine> LoggedHead(Database& db, const ChainEnd& chain) {
  if (chain.log.empty()) {
    return std::nullopt;
  }
  std::optional<HeadLine> last = LastHead(chain.log);
  if (last && IsStoppedChange(db, chain, *last)) {
    std::optional<HeadLine> before;
    ForEachHead(chain.log, [&before, &last](const HeadLine& line) {
      if (!(line == *last)) {
        before = line;
      }
    });
    last = std::move(before);
  }
  return last;
}

}  // namespace

CalibrationRegister::CalibrationRegister(std::unique_ptr<Database> database,
                                         std::filesystem::path headLog)
    : database_(std::move(database)), headLog_(std::move(headLog)) {}

CalibrationRegister CalibrationRegister::Open(const std::string& location,
                                              const std::string& headLog) {
  if (!IsPostgresLocation(location)) {
    if (const std::string network = NetworkFileSystemOf(location); !network.empty()) {
      throw RegisterError("the register " + location + " is on a network file system (" + network +
                          "), where SQLite can't keep two writers apart; keep a shared register "
                          "in PostgreSQL (--register postgresql://HOST/DATABASE) instead");
    }
  }
  return Guarded([&] {
    std::unique_ptr<Database> database = OpenDatabase(location);
    PrepareRegisterSchema(*database, location);
    return CalibrationRegister(std::move(database), HeadLogPath(location, headLog));
  });
}

std::optional<RegisterSettings> CalibrationRegister::Settings() {
  return Guarded([&] { return ReadSettings(*database_); });
}

void CalibrationRegister::AdoptSettings(const RegisterSettings& settings) {
  CheckPrefix(settings.prefix);
  CheckInterval(settings.intervalMonths);
  Guarded([&] {
    Transaction transaction(*database_, Transaction::Kind::kWrite);
    if (const std::optional<RegisterSettings> stored = ReadSettings(*database_)) {
      const std::vector<std::string> differing = DifferingSettings(*stored, settings);
      if (!differing.empty()) {
        throw RegisterRequestError(
            fmt::format("the register keeps the settings it holds, and those given differ in {} "
                        "(the register's: mensuro-cli register settings)",
                        fmt::join(differing, ", ")));
      }
      return;
    }
    WriteSettings(*database_, settings);
    transaction.Commit();
  });
}

void CalibrationRegister::SetIntervalMonths(int months) {
  CheckInterval(months);
  Guarded([&] {
    Transaction transaction(*database_, Transaction::Kind::kWrite);
    if (!ReadSettings(*database_)) {
      throw RegisterRequestError(
          "the register holds no settings yet: its first issue or register init gives them");
    }
    WriteInterval(*database_, months);
    transaction.Commit();
  });
}

CalibrationRegister CalibrationRegister::OpenForReading(const std::string& location,
                                                        const std::string& headLog) {
  return Guarded([&] {
    std::unique_ptr<Database> database = OpenDatabase(location, DatabaseAccess::kReadOnly);
    CheckSchemaForReading(*database, location);
    return CalibrationRegister(std::move(database), HeadLogPath(location, headLog));
  });
}

RegisterEntry CalibrationRegister::Issue(
    const IssueRequest& request,
    const std::function<std::string(const CertificateIdentity&)>& pdfOf,
    std::optional<std::time_t> at) {
  const LocalMoment moment = IssueMoment(at);
  return Guarded([&] {
    Database& db = *database_;
    Transaction transaction(db, Transaction::Kind::kWrite);
    // The register must end where its head log does before a number is given out.
    const ChainEnd chain = CertificateChain(headLog_);
    std::vector<HeadLine> heads = HeadsBeforeChange(db, chain);
    const RegisterSettings settings = SettingsOrSeed(
        db, {.prefix = RegisterSettings{}.prefix, .laboratory = request.details.laboratory});
    CheckReplaceable(db, request);
    const NumberAllocation allocation = AllocateNumber(db, settings.prefix, moment.date);
    RegisterEntry entry = RecordOf(request, allocation, moment);
    const std::string pdf = pdfOf(entry.identity);
    entry.pdfSha256 = Sha256Hex(pdf);
    StoreRecord(db, entry, request.files, pdf);
    AppendHeadsInside(transaction, chain.log, std::move(heads),
                      {entry.identity.number, entry.identity.recordSha256,
                       ChainLink(entry.identity.recordSha256, entry.pdfSha256), entry.issuedAt});
    transaction.Commit();
    return entry;
  });
}

std::vector<RegisterEntry> CalibrationRegister::List(const RegisterFilter& filter) {
  std::string sql = "SELECT " + EntryColumnsSql(false) + std::string(kEntryFrom);
  std::vector<SqlValue> parameters;
  const auto where = [&](std::string_view condition, const std::string& value) {
    if (!value.empty()) {
      sql += parameters.empty() ? " WHERE " : " AND ";
      sql += condition;
      parameters.emplace_back(value);
    }
  };
  where("c.instrument_serial = ?", filter.instrumentSerial);
  where("c.instrument_make = ?", filter.instrumentMake);
  where("c.instrument_model = ?", filter.instrumentModel);
  where("c.client_name = ?", filter.clientName);
  where("c.issue_date >= ?", filter.since);
  where("c.kind = ?", filter.kind ? std::string(RecordKindName(*filter.kind)) : std::string());
  where("c.baseline = ?", filter.baseline);
  sql += " ORDER BY c.id";
  return Guarded([&] {
    std::vector<RegisterEntry> entries;
    for (const SqlRow& row : database_->Query(sql, parameters)) {
      entries.push_back(EntryOfRow(row, false));
    }
    return entries;
  });
}

std::optional<RegisterEntry> CalibrationRegister::Find(const std::string& number) {
  return Guarded([&]() -> std::optional<RegisterEntry> {
    const std::vector<SqlRow> rows = database_->Query(
        "SELECT " + EntryColumnsSql(true) + std::string(kEntryFrom) + " WHERE c.number = ?",
        {number});
    if (rows.empty()) {
      return std::nullopt;
    }
    RegisterEntry entry = EntryOfRow(rows[0], true);
    entry.files = FilesOf(*database_, entry.position, false);
    return entry;
  });
}

std::optional<std::vector<RecordFile>> CalibrationRegister::StoredFiles(const std::string& number) {
  return Guarded([&]() -> std::optional<std::vector<RecordFile>> {
    const std::vector<SqlRow> rows =
        database_->Query("SELECT id FROM calibrations WHERE number = ?", {number});
    if (rows.empty()) {
      return std::nullopt;
    }
    return FilesOf(*database_, rows[0].at(0), true);
  });
}

std::vector<InstrumentDetails> CalibrationRegister::InstrumentsOfSerial(const std::string& serial) {
  return Guarded([&] {
    std::vector<InstrumentDetails> instruments;
    for (const SqlRow& row : database_->Query(
             "SELECT DISTINCT instrument_make, instrument_model FROM calibrations WHERE "
             "instrument_serial = ? AND kind = ? ORDER BY instrument_make, instrument_model",
             {serial, std::string(RecordKindName(RecordKind::kInstrument))})) {
      instruments.push_back({TextOf(row.at(0)), TextOf(row.at(1)), serial});
    }
    return instruments;
  });
}

std::optional<std::string> CalibrationRegister::StoredCertificatePdf(const std::string& number) {
  return Guarded([&]() -> std::optional<std::string> {
    const std::vector<SqlRow> rows =
        database_->Query("SELECT pdf FROM calibrations WHERE number = ?", {number});
    if (rows.empty()) {
      return std::nullopt;
    }
    const SqlValue& pdf = rows[0].at(0);
    const auto* bytes = std::get_if<SqlBlob>(&pdf);
    return bytes != nullptr ? bytes->bytes : TextOf(pdf);  // as edited, when no longer bytes
  });
}

std::vector<HistoryPoint> CalibrationRegister::History(const InstrumentDetails& instrument) {
  RegisterFilter filter;
  filter.instrumentSerial = instrument.serialNumber;
  filter.instrumentMake = instrument.make;
  filter.instrumentModel = instrument.model;
  filter.kind = RecordKind::kInstrument;  // a reference instrument's baseline surveys are not
  std::vector<RegisterEntry> entries = List(filter);
  // Two calibrations issued on one day a year apart are a year apart: the date of measurement
  // orders them; the issue order those measured on one day.
  std::stable_sort(entries.begin(), entries.end(),
                   [](const RegisterEntry& a, const RegisterEntry& b) {
                     return HistoryDate(a) < HistoryDate(b);
                   });
  // Each is compared with the latest calibration in force before it; a replaced one is never
  // the reference of the next.
  std::vector<HistoryPoint> history;
  history.reserve(entries.size());
  for (RegisterEntry& entry : entries) {
    HistoryPoint& point = history.emplace_back();
    point.replaced = !entry.replacedBy.empty();
    point.entry = std::move(entry);
  }
  std::optional<std::size_t> reference;
  for (std::size_t i = 0; i < history.size(); ++i) {
    HistoryPoint& point = history[i];
    if (reference) {
      const RegisteredResults& before = history[*reference].entry.results;
      const RegisteredResults& now = point.entry.results;
      point.constantEn = NormalisedError(before.constantM, before.constantUncertaintyM,
                                         now.constantM, now.constantUncertaintyM);
      point.scaleEn = NormalisedError(before.scalePpm, before.scaleUncertaintyPpm, now.scalePpm,
                                      now.scaleUncertaintyPpm);
    }
    if (!point.replaced) {
      reference = i;
    }
  }
  return history;
}

namespace {

// Why `stored`, read with its PDF, doesn't match what it was issued as; empty when it does.
std::string RecordMismatch(const RegisterEntry& stored, const SqlBlob* pdf) {
  RegisterEntry recomputed = stored;
  recomputed.measuredSha256 = Sha256Hex(stored.measuredText);
  recomputed.publishedSha256 = Sha256Hex(stored.publishedText);
  const bool filesIntact = std::ranges::all_of(
      stored.files, [](const RecordFile& file) { return Sha256Hex(file.bytes) == file.sha256; });
  if (Sha256Hex(CanonicalContent(recomputed)) != stored.identity.recordSha256 ||
      recomputed.measuredSha256 != stored.measuredSha256 ||
      recomputed.publishedSha256 != stored.publishedSha256 || !filesIntact) {
    return "its content no longer matches its hash";
  }
  // Formats before the baseline records' hash no kind: theirs is an instrument's.
  if (stored.recordFormat < kBaselineRecordFormat && stored.kind != RecordKind::kInstrument) {
    return "its kind no longer matches its record format";
  }
  // Formats before the cyclic one hash no cyclic figures: theirs have none.
  if (stored.recordFormat < kCyclicRecordFormat && stored.results.cyclic) {
    return "its cyclic error figures no longer match its record format";
  }
  if (pdf == nullptr || Sha256Hex(pdf->bytes) != stored.pdfSha256) {
    return "its PDF no longer matches its hash";
  }
  return {};
}

// The record of certificate `id` (a row id) whole, with its PDF; nothing when it's gone.
std::optional<std::pair<RegisterEntry, SqlValue>> RecordWithPdf(Database& db, const SqlValue& id) {
  std::vector<SqlRow> rows = db.Query(
      "SELECT " + EntryColumnsSql(true) + ", c.pdf" + std::string(kEntryFrom) + " WHERE c.id = ?",
      {id});
  if (rows.empty()) {
    return std::nullopt;
  }
  RegisterEntry entry = EntryOfRow(rows[0], true);
  entry.files = FilesOf(db, id, true);
  return std::pair{std::move(entry), std::move(rows[0].back())};
}

// What is wrong with the chain's end against its head log (every record it names is there with
// its hash, and the chain ends at its last line; a last line of a change under way, `skipLast`,
// left aside) and against `head` (a record hash or link noted elsewhere); empty when nothing is.
// The log is read line by line. `logged` says whether it has a line.
std::string EndProblem(Database& db, const ChainEnd& chain, bool skipLast, const std::string& head,
                       bool& logged) {
  const std::optional<HeadLine> end = chain.last(db);
  std::string problem;
  std::optional<HeadLine> last;
  std::optional<HeadLine> checked;  // the line before `last`, already checked
  const auto check = [&](const HeadLine& line) {
    if (!problem.empty()) {
      return;
    }
    const std::optional<std::string> stored = chain.hashOf(db, line.number);
    if (!stored) {
      problem = chain.record + line.number + " is in the head log " + HeadLogName(chain.log) +
                " but not in the register";
    } else if (*stored != line.recordSha256) {
      problem = chain.record + line.number + " is in the register with another record hash than " +
                chain.its + " head log " + HeadLogName(chain.log) + " noted";
    }
  };
  if (!chain.log.empty()) {
    // Each line is checked once the next is read, so the last can be left aside.
    ForEachHead(chain.log, [&](const HeadLine& line) {
      if (last) {
        check(*last);
        checked = std::move(last);
      }
      last = line;
    });
  }
  if (last && !skipLast) {
    check(*last);
    checked = std::move(last);
  }
  logged = checked.has_value();
  if (!problem.empty()) {
    return problem;
  }
  if (checked && !(end && SameHead(*end, *checked))) {
    return EndsElsewhere(chain, end, *checked);
  }
  if (!head.empty() && !(end && (end->recordSha256 == head || end->link == head))) {
    return (end ? "the register ends at certificate " + end->number + " (record hash " +
                      end->recordSha256 + ", link " + end->link + ")"
                : std::string("the register holds no certificate")) +
           ", not at the head " + head + " given";
  }
  return {};
}

// EndProblem against the chain as it is now, with the head log read after it: a record stored
// meanwhile is then in both. A change under way has its line in the log before its record
// commits; it is asked again a few times before it counts as missing.
std::string SettledEndProblem(Database& db, const ChainEnd& chain, const std::string& head,
                              bool& logged) {
  std::string problem;
  for (int attempt = 1; attempt <= kEndAttempts; ++attempt) {
    const std::optional<HeadLine> last = chain.log.empty() ? std::nullopt : LastHead(chain.log);
    const bool underWay = last && IsStoppedChange(db, chain, *last);
    problem = EndProblem(db, chain, underWay, head, logged);
    if (problem.empty() || !underWay) {
      break;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(100 * attempt));
  }
  return Sentence(problem);
}

// What Verify carries from one record to the next.
class ChainWalk {
 public:
  // Why the next record, whose row is `row` (id, number, prefix, year, sequence), no longer
  // matches; empty when it does.
  std::string Step(Database& db, const SqlRow& row) {
    ++records_;
    const std::int64_t id = IntegerOf(row.at(0));
    if (id != records_) {
      return fmt::format(
          "records are missing before it: it is record {} of the issue order, "
          "after record {}",
          id, records_ - 1);
    }
    // Within a prefix and a year the numbers run 1, 2, 3...
    const std::int64_t sequence = IntegerOf(row.at(4));
    auto& [lastSequence, lastNumber] = lastOf_[{TextOf(row.at(2)), IntegerOf(row.at(3))}];
    if (sequence != lastSequence + 1) {
      return lastSequence == 0
                 ? fmt::format("its sequence number is {}, where its year's first is 1", sequence)
                 : fmt::format("its sequence number {} does not follow {} of certificate {}",
                               sequence, lastSequence, lastNumber);
    }
    lastSequence = sequence;
    lastNumber = TextOf(row.at(1));

    const auto record = RecordWithPdf(db, row.at(0));
    if (!record) {
      return "it went missing while the register was checked";
    }
    const RegisterEntry& stored = record->first;
    std::string reason = RecordMismatch(stored, std::get_if<SqlBlob>(&record->second));
    if (reason.empty() && stored.previousSha256 != expectedPrevious_) {
      reason = "its link to the record before it no longer matches";
    }
    expectedPrevious_ = ChainLink(stored.identity.recordSha256, stored.pdfSha256);
    return reason;
  }

 private:
  std::int64_t records_ = 0;
  std::string expectedPrevious_ = kNoRecord;
  // The last sequence number of each prefix and year, and its certificate.
  std::map<std::pair<std::string, std::int64_t>, std::pair<std::int64_t, std::string>> lastOf_;
};

}  // namespace

VerifyResult CalibrationRegister::Verify(const VerifyOptions& options) {
  return Guarded([&] {
    VerifyResult result;
    result.headLog = HeadLogName(headLog_);
    Transaction transaction(*database_, Transaction::Kind::kRead);
    const std::int64_t total =
        IntegerOf(database_->Query("SELECT COUNT(*) FROM calibrations").at(0).at(0));
    ChainWalk walk;
    for (std::int64_t after = std::numeric_limits<std::int64_t>::min();;) {
      // The records' places and numbers a page at a time, so memory stays flat however long
      // the register; each record whole, one at a time.
      const std::vector<SqlRow> page = database_->Query(
          "SELECT id, number, prefix, year, sequence FROM calibrations WHERE id > ? ORDER BY id "
          "LIMIT " +
              std::to_string(kVerifyPage),
          {after});
      if (page.empty()) {
        break;
      }
      after = IntegerOf(page.back().at(0));
      for (const SqlRow& row : page) {
        ++result.records;
        if (std::string reason = walk.Step(*database_, row); !reason.empty()) {
          result.intact = false;
          result.firstBroken = TextOf(row.at(1));
          result.reason = std::move(reason);
          return result;
        }
        result.end = TextOf(row.at(1));
        if (options.progress) {
          options.progress(result.records, total);
        }
      }
    }
    const EquipmentChainCheck equipment = CheckEquipmentChain(*database_);
    result.equipmentRecords = equipment.records;
    if (!equipment.broken.empty()) {
      result.intact = false;
      result.brokenEquipment = equipment.broken;
      result.reason = equipment.reason;
      return result;
    }
    transaction.Commit();
    result.problem = SettledEndProblem(*database_, CertificateChain(headLog_), options.head,
                                       result.headLogFound);
    const ChainEnd equipmentChain = EquipmentChain(headLog_);
    result.equipmentHeadLog = HeadLogName(equipmentChain.log);
    result.equipmentProblem =
        SettledEndProblem(*database_, equipmentChain, {}, result.equipmentHeadLogFound);
    result.intact = result.problem.empty() && result.equipmentProblem.empty();
    return result;
  });
}

CertificateCheck CalibrationRegister::CheckCertificate(std::string_view pdf) {
  return Guarded([&] {
    CertificateCheck check;
    check.pdfSha256 = Sha256Hex(pdf);
    const std::vector<SqlRow> ids = database_->Query(
        "SELECT id FROM calibrations WHERE pdf_sha256 = ? ORDER BY id", {check.pdfSha256});
    if (ids.empty()) {
      check.reason = "The register holds no certificate whose PDF has this file's SHA-256 (" +
                     check.pdfSha256 +
                     "): the file was changed, or it is not a certificate of this register.";
      return check;
    }
    const auto record = RecordWithPdf(*database_, ids[0].at(0));
    if (!record) {
      check.reason = "Its record went missing while it was checked.";
      return check;
    }
    check.number = record->first.identity.number;
    check.recordSha256 = record->first.identity.recordSha256;
    if (const std::string mismatch =
            RecordMismatch(record->first, std::get_if<SqlBlob>(&record->second));
        !mismatch.empty()) {
      check.reason = "The register holds this file as certificate " + check.number +
                     ", but the record of it has been changed since it was issued: " + mismatch +
                     ".";
      return check;
    }
    check.held = true;
    return check;
  });
}

EquipmentItem CalibrationRegister::AddEquipmentCertificate(const EquipmentItem& item,
                                                           const EquipmentCertificate& certificate,
                                                           std::optional<std::time_t> at) {
  const LocalMoment moment = IssueMoment(at);
  return ChangeEquipment(
      [&] { return StoreEquipmentCertificate(*database_, item, certificate, moment); });
}

EquipmentItem CalibrationRegister::RetireEquipment(EquipmentKind kind, const std::string& serial,
                                                   const std::string& reason,
                                                   std::optional<std::time_t> at) {
  const LocalMoment moment = IssueMoment(at);
  return ChangeEquipment(
      [&] { return StoreEquipmentRetirement(*database_, kind, serial, reason, moment); });
}

EquipmentItem CalibrationRegister::ChangeEquipment(const std::function<EquipmentItem()>& store) {
  return Guarded([&] {
    Transaction transaction(*database_, Transaction::Kind::kWrite);
    // The equipment records must end where their head log does before one is added.
    const ChainEnd chain = EquipmentChain(headLog_);
    std::vector<HeadLine> heads = HeadsBeforeChange(*database_, chain);
    EquipmentItem stored = store();
    AppendHeadsInside(transaction, chain.log, std::move(heads), *LastEquipmentHead(*database_));
    transaction.Commit();
    return stored;
  });
}

std::vector<EquipmentItem> CalibrationRegister::ListEquipment(std::optional<EquipmentKind> kind) {
  return Guarded([&] { return ReadEquipment(*database_, kind, std::nullopt); });
}

std::vector<EquipmentItem> CalibrationRegister::EquipmentOfSerial(const std::string& serial) {
  return Guarded([&] { return ReadEquipment(*database_, std::nullopt, serial); });
}

std::optional<EquipmentItem> CalibrationRegister::FindEquipment(EquipmentKind kind,
                                                                const std::string& serial) {
  return Guarded([&]() -> std::optional<EquipmentItem> {
    std::vector<EquipmentItem> items = ReadEquipment(*database_, kind, serial);
    if (items.empty()) {
      return std::nullopt;
    }
    return std::move(items.front());
  });
}

std::vector<InstrumentDue> CalibrationRegister::DueCalibrations() {
  const int interval = Settings().value_or(RegisterSettings{}).intervalMonths;
  // Each instrument's last calibration in force: a replaced one never counts.
  std::map<std::tuple<std::string, std::string, std::string>, RegisterEntry> last;
  RegisterFilter instruments;
  instruments.kind = RecordKind::kInstrument;
  for (RegisterEntry& entry : List(instruments)) {
    if (!entry.replacedBy.empty()) {
      continue;
    }
    const InstrumentDetails& i = entry.details.instrument;
    auto [at, added] = last.try_emplace({i.make, i.model, i.serialNumber}, entry);
    if (!added && HistoryDate(at->second) <= HistoryDate(entry)) {
      at->second = std::move(entry);  // the later measured, or issued later on the same day
    }
  }
  std::vector<InstrumentDue> due;
  for (const auto& [instrument, entry] : last) {
    due.push_back({entry.details.instrument, entry.identity.number, HistoryDate(entry),
                   DateMonthsAfter(HistoryDate(entry), interval)});
  }
  std::ranges::stable_sort(due, {}, &InstrumentDue::dueDate);
  return due;
}

HeadState CalibrationRegister::Head() {
  return Guarded([&] {
    HeadState state;
    state.headLog = headLog_;
    state.logged = LoggedHead(*database_, CertificateChain(headLog_));
    if (const std::optional<HeadLine> end = LastRecord(*database_)) {
      state.endNumber = end->number;
      state.endRecordSha256 = end->recordSha256;
      state.endLink = end->link;
    }
    const ChainEnd equipment = EquipmentChain(headLog_);
    state.equipmentLog = equipment.log;
    state.equipmentLogged = LoggedHead(*database_, equipment);
    state.equipmentEnd = LastEquipmentHead(*database_);
    return state;
  });
}

}  // namespace mensuro
