#include "register/equipment_register.h"

#include <fmt/format.h>

#include <algorithm>
#include <charconv>
#include <map>
#include <utility>

#include "core/analysis/calibration_uncertainty.h"
#include "core/data/sha256.h"
#include "register/calibration_register.h"
#include "register/equipment_fields.h"
#include "register/record_fields.h"

namespace mensuro {
namespace {

const std::string kNoRecord(64, '0');

// How many equipment records CheckEquipmentChain reads at once.
constexpr int kChainPage = 1000;

// Refuses a certificate that is wrong in itself, whatever the register holds.
void CheckCertificateAlone(const EquipmentItem& item, const EquipmentCertificate& c) {
  if (item.serial.empty()) {
    throw RegisterRequestError("an item of equipment needs its serial");
  }
  if (c.number.empty()) {
    throw RegisterRequestError("the certificate of the " + EquipmentName(item) +
                               " needs its number");
  }
  for (const auto& [label, date] :
       {std::pair{"date", &c.date}, {"last valid day", &c.validUntil}}) {
    if (!IsIsoDate(*date)) {
      throw RegisterRequestError(fmt::format(
          "the certificate {}'s {} '{}' is not a date of the calendar written YYYY-MM-DD", c.number,
          label, *date));
    }
  }
  if (c.validUntil < c.date) {
    throw RegisterRequestError(
        fmt::format("the certificate {} is valid until {}, before its "
                    "calibration on {}",
                    c.number, c.validUntil, c.date));
  }
  for (const auto& [label, value] : {std::pair{"standard uncertainty", c.standardUncertainty},
                                     {"scale uncertainty", c.scaleUncertaintyPpm},
                                     {"constant uncertainty", c.constantUncertaintyMm}}) {
    if (value < 0.0) {
      throw RegisterRequestError(
          fmt::format("the certificate {}'s {} {} is negative", c.number, label, value));
    }
  }
  if (item.kind == EquipmentKind::kBaseline) {
    std::string reason;
    if (!ParseBaselineUncertainty(c.baselineUncertainty, reason)) {
      throw RegisterRequestError(fmt::format("the certificate {}'s baseline uncertainty '{}': {}",
                                             c.number, c.baselineUncertainty, reason));
    }
  }
  if (!c.supersedes.empty() && c.reason.empty()) {
    throw RegisterRequestError("superseding the certificate " + c.supersedes +
                               " needs the reason why");
  }
}

// The row id of the item of that kind and serial, with its make and model; nothing when none.
struct ItemRow {
  std::int64_t id = 0;
  std::string make;
  std::string model;
};
std::optional<ItemRow> FindItemRow(Database& db, EquipmentKind kind, const std::string& serial) {
  const std::vector<SqlRow> rows =
      db.Query("SELECT id, make, model FROM equipment_items WHERE kind = ? AND serial = ?",
               {std::string(EquipmentKindName(kind)), serial});
  if (rows.empty()) {
    return std::nullopt;
  }
  return ItemRow{IntegerOf(rows[0].at(0)), TextOf(rows[0].at(1)), TextOf(rows[0].at(2))};
}

// Chains `record` to the last equipment record, hashes it and stores it under item `itemId`.
void AppendRecord(Database& db, EquipmentRecord record, std::int64_t itemId) {
  const std::vector<SqlRow> last =
      db.Query("SELECT id, record_sha256 FROM equipment_records ORDER BY id DESC LIMIT 1");
  record.position = last.empty() ? 1 : IntegerOf(last[0].at(0)) + 1;
  record.previousSha256 = last.empty() ? kNoRecord : TextOf(last[0].at(1));
  record.certificate.supersededBy.clear();
  record.recordSha256 = Sha256Hex(EquipmentCanonicalContent(record));
  InsertEquipmentRecord(db, record, itemId);
}

EquipmentItem StoredItem(Database& db, EquipmentKind kind, const std::string& serial) {
  std::vector<EquipmentItem> items = ReadEquipment(db, kind, serial);
  if (items.empty()) {
    throw RegisterError("the " + std::string(EquipmentKindName(kind)) + " serial " + serial +
                        " went missing while it was stored");
  }
  return std::move(items.front());
}

// The certificate numbered `number` of an item; nullptr when it holds none.
const EquipmentCertificate* CertificateNumbered(const EquipmentItem& item,
                                                const std::string& number) {
  const auto found = std::ranges::find(item.certificates, number, &EquipmentCertificate::number);
  return found == item.certificates.end() ? nullptr : &*found;
}

// "equipment record 3 (thermometer ACME T-100 serial 4711, certificate C-1)".
std::string RecordName(const EquipmentRecord& record) {
  std::string name = fmt::format("equipment record {} ({} {} {} serial {}", record.position,
                                 record.kind, record.make, record.model, record.serial);
  if (!record.certificate.number.empty()) {
    name += ", certificate " + record.certificate.number;
  } else if (record.action == kEquipmentRetirementAction) {
    name += ", retirement";
  }
  return name + ")";
}

}  // namespace

EquipmentItem StoreEquipmentCertificate(Database& db, const EquipmentItem& item,
                                        const EquipmentCertificate& certificate,
                                        const LocalMoment& moment) {
  CheckCertificateAlone(item, certificate);
  const std::optional<ItemRow> row = FindItemRow(db, item.kind, item.serial);
  std::int64_t itemId = 0;
  if (row) {
    if (row->make != item.make || row->model != item.model) {
      throw RegisterRequestError(fmt::format(
          "the register holds the {} serial {} as make '{}' model '{}', not '{}' '{}': two items "
          "of one serial and kind can't be told apart",
          EquipmentKindName(item.kind), item.serial, row->make, row->model, item.make, item.model));
    }
    const EquipmentItem stored = StoredItem(db, item.kind, item.serial);
    if (!stored.retiredOn.empty()) {
      throw RegisterRequestError(
          fmt::format("the {} was retired on {}; it takes no more "
                      "certificates",
                      EquipmentName(stored), stored.retiredOn));
    }
    if (CertificateNumbered(stored, certificate.number) != nullptr) {
      throw RegisterRequestError(fmt::format("the {} holds the certificate {} already",
                                             EquipmentName(stored), certificate.number));
    }
    if (!certificate.supersedes.empty()) {
      const EquipmentCertificate* old = CertificateNumbered(stored, certificate.supersedes);
      if (old == nullptr) {
        throw RegisterRequestError(
            fmt::format("the certificate {} to be superseded is not one "
                        "of the {}",
                        certificate.supersedes, EquipmentName(stored)));
      }
      if (!old->supersededBy.empty()) {
        throw RegisterRequestError(
            fmt::format("the certificate {} of the {} was already "
                        "superseded by {}",
                        old->number, EquipmentName(stored), old->supersededBy));
      }
    }
    itemId = row->id;
  } else {
    if (!certificate.supersedes.empty()) {
      throw RegisterRequestError(fmt::format(
          "the certificate {} to be superseded is not one of the {}: the register holds no "
          "certificate of it",
          certificate.supersedes, EquipmentName(item)));
    }
    itemId =
        IntegerOf(db.Query("SELECT COALESCE(MAX(id), 0) + 1 FROM equipment_items").at(0).at(0));
    db.Query(
        "INSERT INTO equipment_items (id, kind, make, model, serial) VALUES (?, ?, ?, ?, ?)",
        {itemId, std::string(EquipmentKindName(item.kind)), item.make, item.model, item.serial});
  }
  EquipmentRecord record;
  record.action = kEquipmentCertificateAction;
  record.kind = EquipmentKindName(item.kind);
  record.make = item.make;
  record.model = item.model;
  record.serial = item.serial;
  record.certificate = certificate;
  record.certificate.enteredAt = moment.moment;
  if (certificate.supersedes.empty()) {
    record.certificate.reason.clear();  // a reason belongs to a supersession
  }
  AppendRecord(db, std::move(record), itemId);
  return StoredItem(db, item.kind, item.serial);
}

EquipmentItem StoreEquipmentRetirement(Database& db, EquipmentKind kind, const std::string& serial,
                                       const std::string& reason, const LocalMoment& moment) {
  const std::optional<ItemRow> row = FindItemRow(db, kind, serial);
  if (!row) {
    throw RegisterRequestError(
        fmt::format("the register holds no {} of serial {}", EquipmentKindName(kind), serial));
  }
  const EquipmentItem stored = StoredItem(db, kind, serial);
  if (!stored.retiredOn.empty()) {
    throw RegisterRequestError(
        fmt::format("the {} was retired already on {}", EquipmentName(stored), stored.retiredOn));
  }
  if (reason.empty()) {
    throw RegisterRequestError("retiring the " + EquipmentName(stored) + " needs the reason why");
  }
  EquipmentRecord record;
  record.action = kEquipmentRetirementAction;
  record.kind = EquipmentKindName(kind);
  record.make = stored.make;
  record.model = stored.model;
  record.serial = serial;
  record.certificate.date = moment.date;
  record.certificate.reason = reason;
  record.certificate.enteredAt = moment.moment;
  AppendRecord(db, std::move(record), row->id);
  return StoredItem(db, kind, serial);
}

std::vector<EquipmentItem> ReadEquipment(Database& db, std::optional<EquipmentKind> kind,
                                         const std::optional<std::string>& serial) {
  std::string sql = "SELECT i.id, i.kind, i.make, i.model, i.serial, " +
                    EquipmentRecordColumnsSql() +
                    " FROM equipment_items i JOIN equipment_records e ON e.item_id = i.id";
  std::vector<SqlValue> parameters;
  if (kind) {
    sql += " WHERE i.kind = ?";
    parameters.emplace_back(std::string(EquipmentKindName(*kind)));
  }
  if (serial) {
    sql += parameters.empty() ? " WHERE " : " AND ";
    sql += "i.serial = ?";
    parameters.emplace_back(*serial);
  }
  sql += " ORDER BY i.id, e.id";
  std::map<std::int64_t, EquipmentItem> byId;
  for (const SqlRow& row : db.Query(sql, parameters)) {
    const std::int64_t id = IntegerOf(row.at(0));
    auto [at, added] = byId.try_emplace(id);
    EquipmentItem& item = at->second;
    if (added) {
      // A kind not of this program's names (edited behind its back) reads as the first; Verify
      // names the record.
      item.kind = EquipmentKindOf(TextOf(row.at(1))).value_or(EquipmentKind::kThermometer);
      item.make = TextOf(row.at(2));
      item.model = TextOf(row.at(3));
      item.serial = TextOf(row.at(4));
    }
    const EquipmentRecord record = EquipmentRecordOfRow(SqlRow(row.begin() + 5, row.end()));
    if (record.action == kEquipmentRetirementAction) {
      item.retiredOn = record.certificate.date;
      item.retireReason = record.certificate.reason;
    } else {
      item.certificates.push_back(record.certificate);
    }
  }
  std::vector<EquipmentItem> items;
  for (auto& [id, item] : byId) {
    for (const EquipmentCertificate& newer : item.certificates) {
      for (EquipmentCertificate& older : item.certificates) {
        if (!newer.supersedes.empty() && older.number == newer.supersedes) {
          older.supersededBy = newer.number;
        }
      }
    }
    items.push_back(std::move(item));
  }
  std::ranges::stable_sort(items, [](const EquipmentItem& a, const EquipmentItem& b) {
    return std::pair{a.kind, a.serial} < std::pair{b.kind, b.serial};
  });
  return items;
}

std::string EquipmentHeadNumber(std::int64_t position) {
  return fmt::format("equipment-{}", position);
}

std::optional<HeadLine> LastEquipmentHead(Database& db) {
  const std::vector<SqlRow> rows = db.Query(
      "SELECT id, record_sha256, entered_at FROM equipment_records ORDER BY id DESC LIMIT 1");
  if (rows.empty()) {
    return std::nullopt;
  }
  const std::string recordSha256 = TextOf(rows[0].at(1));
  return HeadLine{EquipmentHeadNumber(IntegerOf(rows[0].at(0))), recordSha256, recordSha256,
                  TextOf(rows[0].at(2))};
}

std::optional<std::string> EquipmentRecordSha256(Database& db, const std::string& number) {
  constexpr std::string_view kPrefix = "equipment-";
  std::int64_t position = 0;
  if (!number.starts_with(kPrefix)) {
    return std::nullopt;
  }
  const char* const end = number.data() + number.size();
  const auto [at, error] = std::from_chars(number.data() + kPrefix.size(), end, position);
  if (error != std::errc() || at != end) {
    return std::nullopt;
  }
  const std::vector<SqlRow> rows =
      db.Query("SELECT record_sha256 FROM equipment_records WHERE id = ?", {position});
  if (rows.empty()) {
    return std::nullopt;
  }
  return TextOf(rows[0].at(0));
}

EquipmentChainCheck CheckEquipmentChain(Database& db) {
  EquipmentChainCheck check;
  std::string expectedPrevious = kNoRecord;
  for (std::int64_t after = 0;;) {
    const std::vector<SqlRow> page =
        db.Query("SELECT " + EquipmentRecordColumnsSql() +
                     ", i.kind, i.make, i.model, i.serial FROM equipment_records e LEFT JOIN "
                     "equipment_items i ON i.id = e.item_id WHERE e.id > ? ORDER BY e.id LIMIT " +
                     std::to_string(kChainPage),
                 {after});
    if (page.empty()) {
      return check;
    }
    for (const SqlRow& row : page) {
      const EquipmentRecord record = EquipmentRecordOfRow(row);
      after = record.position;
      ++check.records;
      std::string reason;
      if (record.position != check.records) {
        reason = fmt::format(
            "records are missing before it: it is equipment record {} of the "
            "order entered, after record {}",
            record.position, check.records - 1);
      } else if (Sha256Hex(EquipmentCanonicalContent(record)) != record.recordSha256) {
        reason = "its content no longer matches its hash";
      } else if (record.previousSha256 != expectedPrevious) {
        reason = "its link to the equipment record before it no longer matches";
      } else {
        const std::size_t item = row.size() - 4;
        if (TextOf(row.at(item)) != record.kind || TextOf(row.at(item + 1)) != record.make ||
            TextOf(row.at(item + 2)) != record.model || TextOf(row.at(item + 3)) != record.serial) {
          reason = "its item's kind, make, model or serial no longer match it";
        }
      }
      if (!reason.empty()) {
        check.broken = RecordName(record);
        check.reason = std::move(reason);
        return check;
      }
      expectedPrevious = record.recordSha256;
    }
  }
}

}  // namespace mensuro
