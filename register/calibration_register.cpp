#include "register/calibration_register.h"

#include <fmt/format.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cmath>
#include <utility>

#include "core/data/sha256.h"
#include "register/register_schema.h"

namespace mensuro {
namespace {

const std::string kNoRecord(64, '0');

// The columns of a record as List gives it, then the texts Find adds.
constexpr std::string_view kEntryColumns =
    "c.id, c.number, c.issue_date, c.issued_at, c.replaces, c.laboratory_name, "
    "c.laboratory_address, c.laboratory_accreditation, c.laboratory_logo_file, c.client_name, "
    "c.client_address, c.instrument_make, c.instrument_model, c.instrument_serial, "
    "c.reflector_make, c.reflector_model, c.prism_constant_mm, c.measured_by, c.checked_by, "
    "c.baseline_certificate, c.baseline, c.measured_sha256, c.published_sha256, c.scale_ppm, "
    "c.scale_uncertainty_ppm, c.constant_m, c.constant_uncertainty_m, c.program_version, "
    "c.pdf_sha256, c.previous_sha256, c.record_sha256, r.number";
constexpr std::string_view kTextColumns =
    ", c.measured_text, c.published_text, c.conditions_json, c.exclusions_json, "
    "c.accepted_warnings_json, c.results_json";
constexpr std::string_view kEntryFrom =
    " FROM calibrations c LEFT JOIN calibrations r ON r.replaces = c.number";

std::string Text(const SqlValue& value) {
  const auto* text = std::get_if<std::string>(&value);
  return text != nullptr ? *text : std::string();
}
std::int64_t Integer(const SqlValue& value) {
  const auto* integer = std::get_if<std::int64_t>(&value);
  return integer != nullptr ? *integer : 0;
}
std::optional<double> OptionalReal(const SqlValue& value) {
  if (const auto* real = std::get_if<double>(&value)) {
    return *real;
  }
  if (const auto* integer = std::get_if<std::int64_t>(&value)) {
    return static_cast<double>(*integer);
  }
  return std::nullopt;
}
double Real(const SqlValue& value) {
  return OptionalReal(value).value_or(0.0);
}

RegisterEntry EntryOf(const SqlRow& row, bool withTexts) {
  std::size_t i = 0;
  const auto next = [&]() -> const SqlValue& { return row.at(i++); };
  RegisterEntry entry;
  entry.position = Integer(next());
  entry.identity.number = Text(next());
  entry.identity.issueDate = Text(next());
  entry.issuedAt = Text(next());
  entry.identity.replaces = Text(next());
  CertificateDetails& d = entry.details;
  d.laboratory.name = Text(next());
  d.laboratory.address = Text(next());
  d.laboratory.accreditation = Text(next());
  d.laboratory.logoFile = Text(next());
  d.client.name = Text(next());
  d.client.address = Text(next());
  d.instrument.make = Text(next());
  d.instrument.model = Text(next());
  d.instrument.serialNumber = Text(next());
  d.reflector.make = Text(next());
  d.reflector.model = Text(next());
  d.reflector.prismConstantMm = OptionalReal(next());
  d.measuredBy = Text(next());
  d.checkedBy = Text(next());
  d.baselineCertificate = Text(next());
  entry.baseline = Text(next());
  entry.measuredSha256 = Text(next());
  entry.publishedSha256 = Text(next());
  entry.results.scalePpm = Real(next());
  entry.results.scaleUncertaintyPpm = Real(next());
  entry.results.constantM = Real(next());
  entry.results.constantUncertaintyM = Real(next());
  entry.programVersion = Text(next());
  entry.pdfSha256 = Text(next());
  entry.previousSha256 = Text(next());
  entry.identity.recordSha256 = Text(next());
  entry.replacedBy = Text(next());
  if (withTexts) {
    entry.measuredText = Text(next());
    entry.publishedText = Text(next());
    entry.conditionsJson = Text(next());
    entry.exclusionsJson = Text(next());
    entry.acceptedWarningsJson = Text(next());
    entry.resultsJson = Text(next());
  }
  return entry;
}

// The record's canonical content: a version tag, then each field as its length in bytes,
// a colon and the bytes, in a fixed order. Numbers are written in their shortest form that
// reads back to the same double; a prism constant not given is the empty field.
std::string CanonicalContent(const RegisterEntry& e) {
  std::string content = "mensuro-register-record-1\n";
  const auto field = [&content](std::string_view bytes) {
    content += std::to_string(bytes.size());
    content += ':';
    content += bytes;
  };
  const auto number = [&field](double value) { field(fmt::format("{}", value)); };
  const CertificateDetails& d = e.details;
  for (const std::string* text :
       {&e.identity.number, &e.identity.issueDate, &e.issuedAt, &e.identity.replaces,
        &d.laboratory.name, &d.laboratory.address, &d.laboratory.accreditation,
        &d.laboratory.logoFile, &d.client.name, &d.client.address, &d.instrument.make,
        &d.instrument.model, &d.instrument.serialNumber, &d.reflector.make, &d.reflector.model}) {
    field(*text);
  }
  field(d.reflector.prismConstantMm ? fmt::format("{}", *d.reflector.prismConstantMm) : "");
  for (const std::string* text : {&d.measuredBy, &d.checkedBy, &d.baselineCertificate, &e.baseline,
                                  &e.measuredSha256, &e.publishedSha256, &e.conditionsJson,
                                  &e.exclusionsJson, &e.acceptedWarningsJson, &e.resultsJson}) {
    field(*text);
  }
  number(e.results.scalePpm);
  number(e.results.scaleUncertaintyPpm);
  number(e.results.constantM);
  number(e.results.constantUncertaintyM);
  field(e.programVersion);
  field(e.previousSha256);
  return content;
}

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
  auto [issueDate, issuedAt] = UtcNow();
  if (!today.empty()) {
    if (!IsIsoDate(today)) {
      throw RegisterError("the issue date " + today + " is not a date of the form YYYY-MM-DD");
    }
    issueDate = today;
  }
  return Guarded([&] {
    Database& db = *database_;
    Transaction transaction(db, Transaction::Kind::kWrite);
    if (!request.replaces.empty()) {
      if (db.Query("SELECT id FROM calibrations WHERE number = ?", {request.replaces}).empty()) {
        throw RegisterError("the certificate " + request.replaces +
                            " to be replaced is not in the register");
      }
      const std::vector<SqlRow> newer =
          db.Query("SELECT number FROM calibrations WHERE replaces = ?", {request.replaces});
      if (!newer.empty()) {
        throw RegisterError("the certificate " + request.replaces + " was already replaced by " +
                            Text(newer[0].at(0)));
      }
    }

    const CertificateDetails& d = request.details;
    const SqlValue laboratoryId =
        Upsert(db, "laboratories", {"name"}, {d.laboratory.name},
               {"address", "accreditation", "logo_file"},
               {d.laboratory.address, d.laboratory.accreditation, d.laboratory.logoFile});
    const SqlValue clientId =
        Upsert(db, "clients", {"name"}, {d.client.name}, {"address"}, {d.client.address});
    const SqlValue instrumentId =
        Upsert(db, "instruments", {"serial"}, {d.instrument.serialNumber}, {"make", "model"},
               {d.instrument.make, d.instrument.model});
    const SqlValue reflectorId =
        Upsert(db, "reflectors", {"make", "model"}, {d.reflector.make, d.reflector.model},
               {"prism_constant_mm"}, {Nullable(d.reflector.prismConstantMm)});

    const std::int64_t year = std::stoll(issueDate.substr(0, 4));
    const std::int64_t sequence =
        Integer(db.Query("SELECT COALESCE(MAX(sequence), 0) + 1 FROM calibrations "
                         "WHERE prefix = ? AND year = ?",
                         {settings_.prefix, year})
                    .at(0)
                    .at(0));
    const std::vector<SqlRow> last =
        db.Query("SELECT id, record_sha256, pdf_sha256 FROM calibrations ORDER BY id DESC LIMIT 1");

    RegisterEntry entry;
    entry.position = last.empty() ? 1 : Integer(last[0].at(0)) + 1;
    entry.identity.number = fmt::format("{}-{}-{:04}", settings_.prefix, year, sequence);
    entry.identity.issueDate = issueDate;
    entry.identity.replaces = request.replaces;
    entry.issuedAt = issuedAt;
    entry.details = d;
    entry.baseline = request.baseline;
    entry.measuredSha256 = Sha256Hex(request.measuredText);
    entry.publishedSha256 = Sha256Hex(request.publishedText);
    entry.results = request.results;
    entry.programVersion = request.programVersion;
    entry.previousSha256 =
        last.empty() ? kNoRecord : ChainLink(Text(last[0].at(1)), Text(last[0].at(2)));
    entry.measuredText = request.measuredText;
    entry.publishedText = request.publishedText;
    entry.conditionsJson = request.conditionsJson;
    entry.exclusionsJson = request.exclusionsJson;
    entry.acceptedWarningsJson = request.acceptedWarningsJson;
    entry.resultsJson = request.resultsJson;
    entry.identity.recordSha256 = Sha256Hex(CanonicalContent(entry));

    const std::string pdf = pdfOf(entry.identity);
    entry.pdfSha256 = Sha256Hex(pdf);

    const SqlValue replaces = request.replaces.empty() ? SqlValue{} : SqlValue{request.replaces};
    db.Query(
        "INSERT INTO calibrations (id, number, prefix, year, sequence, issue_date, issued_at, "
        "laboratory_id, client_id, instrument_id, reflector_id, laboratory_name, "
        "laboratory_address, laboratory_accreditation, laboratory_logo_file, client_name, "
        "client_address, instrument_make, instrument_model, instrument_serial, reflector_make, "
        "reflector_model, prism_constant_mm, measured_by, checked_by, baseline_certificate, "
        "baseline, measured_text, measured_sha256, published_text, published_sha256, "
        "conditions_json, exclusions_json, accepted_warnings_json, results_json, scale_ppm, "
        "scale_uncertainty_ppm, constant_m, constant_uncertainty_m, program_version, pdf, "
        "pdf_sha256, replaces, previous_sha256, record_sha256) VALUES (?, ?, ?, ?, ?, ?, ?, ?, "
        "?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, "
        "?, ?, ?, ?, ?, ?, ?, ?)",
        {entry.position,
         entry.identity.number,
         settings_.prefix,
         year,
         sequence,
         entry.identity.issueDate,
         entry.issuedAt,
         laboratoryId,
         clientId,
         instrumentId,
         reflectorId,
         d.laboratory.name,
         d.laboratory.address,
         d.laboratory.accreditation,
         d.laboratory.logoFile,
         d.client.name,
         d.client.address,
         d.instrument.make,
         d.instrument.model,
         d.instrument.serialNumber,
         d.reflector.make,
         d.reflector.model,
         Nullable(d.reflector.prismConstantMm),
         d.measuredBy,
         d.checkedBy,
         d.baselineCertificate,
         entry.baseline,
         entry.measuredText,
         entry.measuredSha256,
         entry.publishedText,
         entry.publishedSha256,
         entry.conditionsJson,
         entry.exclusionsJson,
         entry.acceptedWarningsJson,
         entry.resultsJson,
         entry.results.scalePpm,
         entry.results.scaleUncertaintyPpm,
         entry.results.constantM,
         entry.results.constantUncertaintyM,
         entry.programVersion,
         SqlBlob{pdf},
         entry.pdfSha256,
         replaces,
         entry.previousSha256,
         entry.identity.recordSha256});
    transaction.Commit();
    return entry;
  });
}

std::vector<RegisterEntry> CalibrationRegister::List(const RegisterFilter& filter) {
  std::string sql = "SELECT " + std::string(kEntryColumns) + std::string(kEntryFrom);
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
      entries.push_back(EntryOf(row, false));
    }
    return entries;
  });
}

std::optional<RegisterEntry> CalibrationRegister::Find(const std::string& number) {
  return Guarded([&]() -> std::optional<RegisterEntry> {
    const std::vector<SqlRow> rows =
        database_->Query("SELECT " + std::string(kEntryColumns) + std::string(kTextColumns) +
                             std::string(kEntryFrom) + " WHERE c.number = ?",
                         {number});
    if (rows.empty()) {
      return std::nullopt;
    }
    return EntryOf(rows[0], true);
  });
}

std::optional<std::string> CalibrationRegister::CertificatePdf(const std::string& number) {
  return Guarded([&]() -> std::optional<std::string> {
    const std::vector<SqlRow> rows =
        database_->Query("SELECT pdf FROM calibrations WHERE number = ?", {number});
    if (rows.empty()) {
      return std::nullopt;
    }
    const SqlValue& pdf = rows[0].at(0);
    const auto* bytes = std::get_if<SqlBlob>(&pdf);
    return bytes != nullptr ? bytes->bytes : Text(pdf);  // as edited, when no longer bytes
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
          database_->Query("SELECT " + std::string(kEntryColumns) + std::string(kTextColumns) +
                               ", c.pdf" + std::string(kEntryFrom) + " WHERE c.id = ?",
                           {id.at(0)});
      const RegisterEntry stored = EntryOf(rows.at(0), true);
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
