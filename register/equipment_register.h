#pragma once

// The laboratory's equipment in the register's database: entering a certificate, retiring an
// item, reading the items back with their certificates, and walking the equipment records'
// chain. Each works inside the caller's transaction; CalibrationRegister opens it.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/data/local_time.h"
#include "core/equipment/equipment.h"
#include "register/database.h"
#include "register/head_log.h"

namespace mensuro {

// Enters `certificate` for the item `item` names at `moment`, in the open write transaction.
// Throws RegisterRequestError, storing nothing, for the refusals
// CalibrationRegister::AddEquipmentCertificate lists.
EquipmentItem StoreEquipmentCertificate(Database& db, const EquipmentItem& item,
                                        const EquipmentCertificate& certificate,
                                        const LocalMoment& moment);

// Retires the item of that kind and serial on `moment`'s date, in the open write transaction.
EquipmentItem StoreEquipmentRetirement(Database& db, EquipmentKind kind, const std::string& serial,
                                       const std::string& reason, const LocalMoment& moment);

// The items with their certificates, ordered by kind and serial; of one kind and of one serial
// when given.
std::vector<EquipmentItem> ReadEquipment(Database& db, std::optional<EquipmentKind> kind,
                                         const std::optional<std::string>& serial);

// The equipment records' lines in their head log: `equipment-<position>`, the record's hash, and
// as link the record's hash again, for that is what the next equipment record's previousSha256
// holds.
std::string EquipmentHeadNumber(std::int64_t position);
// The last equipment record as its head log's line; nothing when there is none.
std::optional<HeadLine> LastEquipmentHead(Database& db);
// The record hash of the equipment record a head log line numbers; nothing when there is none.
std::optional<std::string> EquipmentRecordSha256(Database& db, const std::string& number);

// What walking the equipment records found.
struct EquipmentChainCheck {
  std::int64_t records = 0;  // checked
  // The first record that no longer matches, as RecordName names it ("equipment record 3
  // (thermometer ACME T-100 serial 4711, certificate C-1)"), and why; empty: none.
  std::string broken;
  std::string reason;
};

// Walks the equipment records in the order entered: each matches its hash, the record before it
// and its item's row, and the ids follow on with no gap.
EquipmentChainCheck CheckEquipmentChain(Database& db);

}  // namespace mensuro
