#include "register/calibration_register.h"

#include <fmt/format.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <utility>

#include "core/data/sha256.h"
#include "register/record_fields.h"
#include "register/register_schema.h"

namespace mensuro {
namespace {

const std::string kNoRecord(64, '0');

constexpr std::string_view kEntryFrom =
    " FROM calibrations c LEFT JOIN calibrations r ON r.replaces = c.number";

// What the next record's previousSha256 holds: the hash of this record's hash and its PDF's.
std::string ChainLink(const std::string& recordSha256, const std::string& pdfSha256) {
  return Sha256Hex(recordSha256 + pdfSha256);
}

bool IsIsoDate(const std::string& date) {
  if (date.size() != 10 || date[4] != '-' || date[7] != '-') {
    return false;
  }
  for (const std::size_t i : {0, 1, 2, 3, 5, 6, 8, 9}) {
    if (date[i] < '0' || date[i] > '9') {
      return false;
    }
  }
  const std::chrono::year_month_day day{std::chrono::year(std::stoi(date.substr(0, 4))),
                                        std::chrono::month(std::stoul(date.substr(5, 2))),
                                        std::chrono::day(std::stoul(date.substr(8, 2)))};
  return day.ok();
}

// Now in UTC: the date (YYYY-MM-DD) and the moment (ISO 8601, to the second).
std::pair<std::string, std::string> UtcNow() {
  const auto now = std::chrono::floor<std::chrono::seconds>(std::chrono::system_clock::now());
  const auto days = std::chrono::floor<std::chrono::days>(now);
  const std::chrono::year_month_day date{days};
  const std::chrono::hh_mm_ss time{now - days};
  const std::string day =
      fmt::format("{:04}-{:02}-{:02}", static_cast<int>(date.year()),
                  static_cast<unsigned>(date.month()), static_cast<unsigned>(date.day()));
  return {day, fmt::format("{}T{:02}:{:02}:{:02}Z", day, time.hours().count(),
                           time.minutes().count(), time.seconds().count())};
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

// The issue date (today's, in UTC, unless `today` gives one) and the moment of issue.
std::pair<std::string, std::string> IssueMoment(const std::string& today) {
  auto [issueDate, issuedAt] = UtcNow();
  if (!today.empty()) {
    if (!IsIsoDate(today)) {
      throw RegisterError("the issue date " + today + " is not a date of the form YYYY-MM-DD");
    }
    issueDate = today;
  }
  return {issueDate, issuedAt};
}

// Refuses to replace a certificate the register doesn't hold or one already replaced.
void CheckReplaceable(Database& db, const std::string& replaces) {
  if (replaces.empty()) {
    return;
  }
  if (db.Query("SELECT id FROM calibrations WHERE number = ?", {replaces}).empty()) {
    throw RegisterError("the certificate " + replaces + " to be replaced is not in the register");
  }
  const std::vector<SqlRow> newer =
      db.Query("SELECT number FROM calibrations WHERE replaces = ?", {replaces});
  if (!newer.empty()) {
    throw RegisterError("the certificate " + replaces + " was already replaced by " +
                        TextOf(newer[0].at(0)));
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

// The record of `request` under the number allocated, issued on `issueDate` at `issuedAt`, with
// its hash; the PDF's hash is not yet known.
RegisterEntry RecordOf(const IssueRequest& request, const NumberAllocation& allocation,
                       const std::string& issueDate, const std::string& issuedAt) {
  RegisterEntry entry;
  entry.position = allocation.position;
  entry.identity.number = allocation.number;
  entry.identity.issueDate = issueDate;
  entry.identity.replaces = request.replaces;
  entry.issuedAt = issuedAt;
  entry.details = request.details;
  entry.baseline = request.baseline;
  entry.measuredSha256 = Sha256Hex(request.measuredText);
  entry.publishedSha256 = Sha256Hex(request.publishedText);
  entry.results = request.results;
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

// Stores `entry` with its `pdf` under the number allocated, and the laboratory, client,
// instrument and reflector it names.
void StoreRecord(Database& db, const RegisterEntry& entry, const NumberAllocation& allocation,
                 std::string_view pdf) {
  const CertificateDetails& d = entry.details;
  const RecordRow row{
      .prefix = allocation.prefix,
      .year = allocation.year,
      .sequence = allocation.sequence,
      .laboratoryId =
          Upsert(db, "laboratories", {"name"}, {d.laboratory.name},
                 {"address", "accreditation", "logo_file"},
                 {d.laboratory.address, d.laboratory.accreditation, d.laboratory.logoFile}),
      .clientId = Upsert(db, "clients", {"name"}, {d.client.name}, {"address"}, {d.client.address}),
      .instrumentId = Upsert(db, "instruments", {"serial"}, {d.instrument.serialNumber},
                             {"make", "model"}, {d.instrument.make, d.instrument.model}),
      .reflectorId =
          Upsert(db, "reflectors", {"make", "model"}, {d.reflector.make, d.reflector.model},
                 {"prism_constant_mm"}, {Nullable(d.reflector.prismConstantMm)}),
      .pdf = pdf};
  InsertRecord(db, entry, row);
}

// Runs `work`, giving a database's failure as the register's.
template <typename Work>
auto Guarded(Work&& work) {
  try {
    return work();
  } catch (const DatabaseError& error) {
    throw RegisterError(error.what());
  }
}

}  // namespace

CalibrationRegister::CalibrationRegister(std::unique_ptr<Database> database,
                                         RegisterSettings settings)
    : database_(std::move(database)), settings_(std::move(settings)) {}

CalibrationRegister CalibrationRegister::Open(const std::string& location,
                                              RegisterSettings settings) {
  // The prefix becomes part of file names and of the certificate: letters and digits only.
  if (settings.prefix.empty() ||
      !std::all_of(settings.prefix.begin(), settings.prefix.end(),
                   [](unsigned char c) { return std::isalnum(c) != 0 && c < 0x80; })) {
    throw RegisterError("the certificate numbers' prefix \"" + settings.prefix +
                        "\" must be letters and digits");
  }
  return Guarded([&] {
    std::unique_ptr<Database> database = OpenDatabase(location);
    PrepareRegisterSchema(*database, location);
    return CalibrationRegister(std::move(database), std::move(settings));
  });
}

RegisterEntry CalibrationRegister::Issue(
    const IssueRequest& request,
    const std::function<std::string(const CertificateIdentity&)>& pdfOf, const std::string& today) {
  const auto [issueDate, issuedAt] = IssueMoment(today);
  return Guarded([&] {
    Database& db = *database_;
    Transaction transaction(db, Transaction::Kind::kWrite);
    CheckReplaceable(db, request.replaces);
    const NumberAllocation allocation = AllocateNumber(db, settings_.prefix, issueDate);
    RegisterEntry entry = RecordOf(request, allocation, issueDate, issuedAt);
    const std::string pdf = pdfOf(entry.identity);
    entry.pdfSha256 = Sha256Hex(pdf);
    StoreRecord(db, entry, allocation, pdf);
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
  where("c.client_name = ?", filter.clientName);
  where("c.issue_date >= ?", filter.since);
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
    return EntryOfRow(rows[0], true);
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

std::vector<HistoryPoint> CalibrationRegister::History(const std::string& instrumentSerial) {
  RegisterFilter filter;
  filter.instrumentSerial = instrumentSerial;
  std::vector<RegisterEntry> entries = List(filter);
  std::erase_if(entries, [](const RegisterEntry& entry) { return !entry.replacedBy.empty(); });
  std::stable_sort(entries.begin(), entries.end(),
                   [](const RegisterEntry& a, const RegisterEntry& b) {
                     return a.identity.issueDate < b.identity.issueDate;
                   });
  std::vector<HistoryPoint> history;
  for (RegisterEntry& entry : entries) {
    HistoryPoint point;
    if (!history.empty()) {
      const RegisteredResults& before = history.back().entry.results;
      const RegisteredResults& now = entry.results;
      point.constantEn = NormalisedError(before.constantM, before.constantUncertaintyM,
                                         now.constantM, now.constantUncertaintyM);
      point.scaleEn = NormalisedError(before.scalePpm, before.scaleUncertaintyPpm, now.scalePpm,
                                      now.scaleUncertaintyPpm);
    }
    point.entry = std::move(entry);
    history.push_back(std::move(point));
  }
  return history;
}

VerifyResult CalibrationRegister::Verify() {
  return Guarded([&] {
    VerifyResult result;
    Transaction transaction(*database_, Transaction::Kind::kRead);
    const std::vector<SqlRow> ids = database_->Query("SELECT id FROM calibrations ORDER BY id");
    std::string expectedPrevious = kNoRecord;
    // One record at a time: the PDFs of a whole register need not fit in memory together.
    for (const SqlRow& id : ids) {
      const std::vector<SqlRow> rows =
          database_->Query("SELECT " + EntryColumnsSql(true) + ", c.pdf" + std::string(kEntryFrom) +
                               " WHERE c.id = ?",
                           {id.at(0)});
      const RegisterEntry stored = EntryOfRow(rows.at(0), true);
      const SqlValue& pdfValue = rows.at(0).back();
      const auto* pdf = std::get_if<SqlBlob>(&pdfValue);
      ++result.records;

      RegisterEntry recomputed = stored;
      recomputed.measuredSha256 = Sha256Hex(stored.measuredText);
      recomputed.publishedSha256 = Sha256Hex(stored.publishedText);
      std::string reason;
      if (Sha256Hex(CanonicalContent(recomputed)) != stored.identity.recordSha256 ||
          recomputed.measuredSha256 != stored.measuredSha256 ||
          recomputed.publishedSha256 != stored.publishedSha256) {
        reason = "its content no longer matches its hash";
      } else if (stored.previousSha256 != expectedPrevious) {
        reason = "its link to the record before it no longer matches";
      } else if (pdf == nullptr || Sha256Hex(pdf->bytes) != stored.pdfSha256) {
        reason = "its PDF no longer matches its hash";
      }
      if (!reason.empty()) {
        result.intact = false;
        result.firstBroken = stored.identity.number;
        result.reason = reason;
        return result;
      }
      expectedPrevious = ChainLink(stored.identity.recordSha256, stored.pdfSha256);
    }
    return result;
  });
}

}  // namespace mensuro
