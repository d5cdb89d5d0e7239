// The laboratory's equipment in the register: certificates entered, superseded and retired as
// records of a chain of their own with a head log of its own, the refusals that store nothing,
// and the due list of the instruments calibrated.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "register/calibration_register.h"
#include "register/head_log.h"
#include "register/register_location.h"
#include "register/register_schema.h"
#include "support/time_zone.h"

namespace mensuro {
namespace {

using test::NoonOf;
using ::testing::HasSubstr;

EquipmentItem Thermometer(const std::string& serial = "T-4711") {
  return {.kind = EquipmentKind::kThermometer,
          .make = "Calderon Instruments",
          .model = "DT-20",
          .serial = serial,
          .certificates = {},
          .retiredOn = {},
          .retireReason = {}};
}

EquipmentCertificate Certificate(const std::string& number, const std::string& date = "2026-03-02",
                                 const std::string& validUntil = "2027-03-01") {
  EquipmentCertificate c;
  c.number = number;
  c.issuedBy = "Northfield Calibration Laboratory";
  c.date = date;
  c.validUntil = validUntil;
  c.correction = 0.15;
  c.standardUncertainty = 0.05;
  return c;
}

class equipment_register : public test::RegisterLocationTest {
 protected:
  // A PostgreSQL register issues only with a head log named.
  CalibrationRegister Open() {
    return CalibrationRegister::Open(Location(), OnSqlite() ? std::string() : PostgresHeadLog());
  }
  std::string PostgresHeadLog() const { return (Scratch().path() / "pg.heads").string(); }
  std::string CertificateLog() const {
    return OnSqlite() ? Location() + ".heads" : PostgresHeadLog();
  }
  // The equipment records' head log, beside the certificates'.
  std::string EquipmentLog() const { return CertificateLog() + ".equipment"; }
  // Two certificates of the thermometer entered and the second superseding the first.
  void EnterTwo(CalibrationRegister& r) {
    r.AddEquipmentCertificate(Thermometer(), Certificate("C-1"), NoonOf("2026-03-05"));
    EquipmentCertificate second = Certificate("C-2", "2026-09-01", "2027-08-31");
    second.supersedes = "C-1";
    second.reason = "recalibrated";
    r.AddEquipmentCertificate(Thermometer(), second, NoonOf("2026-09-02"));
  }
  // The next change must be refused with `message`, storing nothing and logging nothing.
  void ExpectEndRefused(CalibrationRegister& r, const std::string& message) {
    const std::vector<HeadLine> logged = ReadHeadLog(EquipmentLog());
    const std::vector<EquipmentItem> before = r.ListEquipment();
    try {
      r.AddEquipmentCertificate(Thermometer("T-2"), Certificate("C-9"), NoonOf("2026-10-01"));
      ADD_FAILURE() << "entered";
    } catch (const RegisterError& error) {
      EXPECT_THAT(error.what(), HasSubstr(message));
      EXPECT_THAT(error.what(), HasSubstr("nothing was stored. Check it with: mensuro-cli "
                                          "register verify"));
    }
    EXPECT_EQ(r.ListEquipment().size(), before.size());
    EXPECT_EQ(ReadHeadLog(EquipmentLog()), logged);
  }
  // The register must refuse `certificate` with a message holding `message`, and store nothing.
  void ExpectRefused(CalibrationRegister& r, const EquipmentItem& item,
                     const EquipmentCertificate& certificate, const std::string& message) {
    const std::vector<EquipmentItem> before = r.ListEquipment();
    try {
      r.AddEquipmentCertificate(item, certificate, NoonOf("2026-03-05"));
      ADD_FAILURE() << "entered " << certificate.number;
    } catch (const RegisterRequestError& error) {
      EXPECT_THAT(error.what(), HasSubstr(message));
    }
    const std::vector<EquipmentItem> after = r.ListEquipment();
    ASSERT_EQ(after.size(), before.size());
    for (std::size_t i = 0; i < after.size(); ++i) {
      EXPECT_EQ(after[i].certificates.size(), before[i].certificates.size());
    }
    EXPECT_EQ(r.Verify().equipmentRecords, Records(before));
  }
  static std::int64_t Records(const std::vector<EquipmentItem>& items) {
    std::int64_t records = 0;
    for (const EquipmentItem& item : items) {
      records += static_cast<std::int64_t>(item.certificates.size()) + !item.retiredOn.empty();
    }
    return records;
  }
};

TEST_P(equipment_register, certificates_are_stored_and_read_back_by_kind_and_serial) {
  CalibrationRegister r = Open();
  EquipmentCertificate first = Certificate("NCL-26-0117");
  first.reason = "no supersession: not kept";
  r.AddEquipmentCertificate(Thermometer(), first, NoonOf("2026-03-05"));
  EquipmentItem barometer{.kind = EquipmentKind::kBarometer,
                          .make = "Halvorsen Messtechnik",
                          .model = "PB-5",
                          .serial = "T-4711",  // another kind may share the serial
                          .certificates = {},
                          .retiredOn = {},
                          .retireReason = {}};
  EquipmentCertificate pressure = Certificate("HM-2026-88");
  pressure.correction = -0.4;
  pressure.standardUncertainty = 0.1;
  r.AddEquipmentCertificate(barometer, pressure, NoonOf("2026-03-06"));
  const EquipmentItem stored = r.AddEquipmentCertificate(
      Thermometer(), Certificate("NCL-27-0020", "2027-02-20", "2028-02-19"), NoonOf("2027-02-21"));
  ASSERT_EQ(stored.certificates.size(), 2u);

  const std::optional<EquipmentItem> found =
      CalibrationRegister::OpenForReading(Location())
          .FindEquipment(EquipmentKind::kThermometer, "T-4711");
  ASSERT_TRUE(found);
  EXPECT_EQ(found->make, "Calderon Instruments");
  EXPECT_EQ(found->model, "DT-20");
  ASSERT_EQ(found->certificates.size(), 2u);
  const EquipmentCertificate& c = found->certificates[0];
  EXPECT_EQ(c.number, "NCL-26-0117");
  EXPECT_EQ(c.issuedBy, "Northfield Calibration Laboratory");
  EXPECT_EQ(c.date, "2026-03-02");
  EXPECT_EQ(c.validUntil, "2027-03-01");
  EXPECT_EQ(c.correction, 0.15);
  EXPECT_EQ(c.standardUncertainty, 0.05);
  EXPECT_EQ(c.reason, "");
  EXPECT_THAT(c.enteredAt, HasSubstr("2026-03-05T12:00:00"));
  EXPECT_EQ(found->certificates[1].number, "NCL-27-0020");

  EXPECT_FALSE(r.FindEquipment(EquipmentKind::kHygrometer, "T-4711"));
  const std::vector<EquipmentItem> both = r.EquipmentOfSerial("T-4711");
  ASSERT_EQ(both.size(), 2u);
  EXPECT_EQ(both[0].kind, EquipmentKind::kThermometer);  // in the kinds' order
  EXPECT_EQ(both[1].kind, EquipmentKind::kBarometer);
  EXPECT_EQ(both[1].certificates.at(0).correction, -0.4);
  EXPECT_EQ(r.ListEquipment(EquipmentKind::kBarometer).size(), 1u);
  EXPECT_EQ(r.ListEquipment().size(), 2u);

  const VerifyResult verified = r.Verify();
  EXPECT_TRUE(verified.intact) << verified.reason << verified.problem;
  EXPECT_EQ(verified.equipmentRecords, 3);
  EXPECT_EQ(verified.records, 0);
}

TEST_P(equipment_register, each_refusal_stores_nothing) {
  CalibrationRegister r = Open();
  r.AddEquipmentCertificate(Thermometer(), Certificate("C-1"), NoonOf("2026-03-05"));

  EquipmentItem otherMake = Thermometer();
  otherMake.make = "Halvorsen Messtechnik";
  ExpectRefused(r, otherMake, Certificate("C-2"), "two items of one serial and kind");
  ExpectRefused(r, Thermometer(), Certificate("C-1"), "holds the certificate C-1 already");
  EquipmentCertificate unknown = Certificate("C-2");
  unknown.supersedes = "C-0";
  unknown.reason = "typing error";
  ExpectRefused(r, Thermometer(), unknown, "C-0 to be superseded is not one of the thermometer");
  EquipmentCertificate noReason = Certificate("C-2");
  noReason.supersedes = "C-1";
  ExpectRefused(r, Thermometer(), noReason, "superseding the certificate C-1 needs the reason");
  ExpectRefused(r, Thermometer(), Certificate("C-2", "2026-02-30"), "'2026-02-30' is not a date");
  ExpectRefused(r, Thermometer(), Certificate("C-2", "2026-03-02", ""), "last valid day ''");
  ExpectRefused(r, Thermometer(), Certificate("C-2", "2026-03-02", "2026-03-01"),
                "valid until 2026-03-01, before its calibration on 2026-03-02");
  EquipmentCertificate negative = Certificate("C-2");
  negative.standardUncertainty = -0.01;
  ExpectRefused(r, Thermometer(), negative, "standard uncertainty -0.01 is negative");
  EquipmentItem baseline = Thermometer("Valley line");
  baseline.kind = EquipmentKind::kBaseline;
  EquipmentCertificate badLine = Certificate("B-1");
  badLine.baselineUncertainty = "0.3";
  ExpectRefused(r, baseline, badLine, "baseline uncertainty '0.3'");
  // An item not registered yet is not registered by a refused certificate.
  ExpectRefused(r, Thermometer("T-9"), negative, "is negative");
  EXPECT_FALSE(r.FindEquipment(EquipmentKind::kThermometer, "T-9"));
}

TEST_P(equipment_register, a_superseded_certificate_stays_marked_and_is_superseded_once) {
  CalibrationRegister r = Open();
  r.AddEquipmentCertificate(Thermometer(), Certificate("C-1"), NoonOf("2026-03-05"));
  EquipmentCertificate corrected = Certificate("C-1a");
  corrected.correction = 0.12;
  corrected.supersedes = "C-1";
  corrected.reason = "typing error in the correction";
  const EquipmentItem item =
      r.AddEquipmentCertificate(Thermometer(), corrected, NoonOf("2026-03-06"));
  ASSERT_EQ(item.certificates.size(), 2u);
  EXPECT_EQ(item.certificates[0].supersededBy, "C-1a");
  EXPECT_EQ(item.certificates[1].supersedes, "C-1");
  EXPECT_EQ(item.certificates[1].reason, "typing error in the correction");
  EXPECT_EQ(item.certificates[1].supersededBy, "");
  // The one valid on a day is the correction.
  EXPECT_EQ(CertificateOn(item, "2026-06-01").certificate->number, "C-1a");

  EquipmentCertificate again = Certificate("C-1b");
  again.supersedes = "C-1";
  again.reason = "again";
  ExpectRefused(r, Thermometer(), again,
                "C-1 of the thermometer Calderon Instruments DT-20 "
                "serial T-4711 was already superseded by C-1a");
}

TEST_P(equipment_register, a_retired_item_keeps_its_certificates_and_takes_no_more) {
  CalibrationRegister r = Open();
  r.AddEquipmentCertificate(Thermometer(), Certificate("C-1"), NoonOf("2026-03-05"));
  EXPECT_THROW(r.RetireEquipment(EquipmentKind::kThermometer, "T-4711", "", NoonOf("2026-09-01")),
               RegisterRequestError);
  EXPECT_THROW(r.RetireEquipment(EquipmentKind::kBarometer, "T-4711", "lost", NoonOf("2026-09-01")),
               RegisterRequestError);
  const EquipmentItem retired = r.RetireEquipment(EquipmentKind::kThermometer, "T-4711",
                                                  "sensor cracked", NoonOf("2026-09-01"));
  EXPECT_EQ(retired.retiredOn, "2026-09-01");
  EXPECT_EQ(retired.retireReason, "sensor cracked");
  EXPECT_EQ(retired.certificates.size(), 1u);
  ExpectRefused(r, Thermometer(), Certificate("C-2"), "was retired on 2026-09-01");
  try {
    r.RetireEquipment(EquipmentKind::kThermometer, "T-4711", "again", NoonOf("2026-09-02"));
    ADD_FAILURE() << "retired twice";
  } catch (const RegisterRequestError& error) {
    EXPECT_THAT(error.what(), HasSubstr("was retired already on 2026-09-01"));
  }
  EXPECT_EQ(r.Verify().equipmentRecords, 2);
}

TEST_P(equipment_register, verify_names_a_changed_equipment_record) {
  CalibrationRegister r = Open();
  r.AddEquipmentCertificate(Thermometer(), Certificate("C-1"), NoonOf("2026-03-05"));
  r.AddEquipmentCertificate(Thermometer(), Certificate("C-2", "2026-09-01", "2027-08-31"),
                            NoonOf("2026-09-02"));
  r.RetireEquipment(EquipmentKind::kThermometer, "T-4711", "worn out", NoonOf("2026-12-01"));
  ASSERT_TRUE(r.Verify().intact);

  EditBehindTheBack("UPDATE equipment_records SET correction = 0.5 WHERE id = 2");
  VerifyResult edited = r.Verify();
  EXPECT_FALSE(edited.intact);
  EXPECT_EQ(edited.brokenEquipment,
            "equipment record 2 (thermometer Calderon Instruments DT-20 serial T-4711, "
            "certificate C-2)");
  EXPECT_THAT(edited.reason, HasSubstr("no longer matches its hash"));

  // The item's row changed under its records is found too.
  EditBehindTheBack("UPDATE equipment_records SET correction = 0.15 WHERE id = 2");
  EditBehindTheBack("UPDATE equipment_items SET make = 'Other' WHERE id = 1");
  edited = r.Verify();
  EXPECT_EQ(edited.brokenEquipment.substr(0, 18), "equipment record 1");
  EXPECT_THAT(edited.reason, HasSubstr("item's kind, make, model or serial"));

  // A record taken out breaks the order.
  EditBehindTheBack("UPDATE equipment_items SET make = 'Calderon Instruments' WHERE id = 1");
  ASSERT_TRUE(r.Verify().intact);
  EditBehindTheBack("DELETE FROM equipment_records WHERE id = 2");
  edited = r.Verify();
  EXPECT_EQ(edited.brokenEquipment.substr(0, 18), "equipment record 3");
  EXPECT_THAT(edited.reason, HasSubstr("records are missing before it"));
}

TEST_P(equipment_register, each_change_is_logged_in_a_head_log_of_its_own) {
  CalibrationRegister r = Open();
  EnterTwo(r);
  r.RetireEquipment(EquipmentKind::kThermometer, "T-4711", "worn out", NoonOf("2026-12-01"));
  const std::vector<HeadLine> heads = ReadHeadLog(EquipmentLog());
  ASSERT_EQ(heads.size(), 3u);
  for (std::size_t i = 0; i < heads.size(); ++i) {
    EXPECT_EQ(heads[i].number, "equipment-" + std::to_string(i + 1));
    EXPECT_EQ(heads[i].link, heads[i].recordSha256);  // what the next record links to
  }
  EXPECT_NE(heads[0].recordSha256, heads[1].recordSha256);
  EXPECT_TRUE(ReadHeadLog(CertificateLog()).empty());
  EXPECT_TRUE(r.Head().equipmentMatches());
  const VerifyResult verified = r.Verify();
  EXPECT_TRUE(verified.intact) << verified.problem << verified.equipmentProblem;
  EXPECT_TRUE(verified.equipmentHeadLogFound);
  EXPECT_EQ(verified.equipmentHeadLog, EquipmentLog());
}

TEST_P(equipment_register, the_newest_record_deleted_is_found_and_refuses_the_next_change) {
  CalibrationRegister r = Open();
  EnterTwo(r);
  // The superseding certificate taken out: the superseded one looks in force again.
  EditBehindTheBack("DELETE FROM equipment_records WHERE id = 2");
  const VerifyResult verified = r.Verify();
  EXPECT_FALSE(verified.intact);
  EXPECT_EQ(verified.equipmentProblem,
            "Equipment-2 is in the head log " + EquipmentLog() + " but not in the register.");
  EXPECT_FALSE(r.Head().equipmentMatches());
  ExpectEndRefused(r, "the equipment records end at equipment-1 but their head log " +
                          EquipmentLog() + " at equipment-2");
}

TEST_P(equipment_register, an_older_copy_put_back_is_found_and_refuses_the_next_change) {
  const std::string copy = (Scratch().path() / "older.sqlite").string();
  {
    CalibrationRegister r = Open();
    r.AddEquipmentCertificate(Thermometer(), Certificate("C-1"), NoonOf("2026-03-05"));
  }
  if (OnSqlite()) {
    std::filesystem::copy_file(Location(), copy);  // closed: the whole register is in the file
  }
  {
    CalibrationRegister r = Open();
    r.RetireEquipment(EquipmentKind::kThermometer, "T-4711", "dropped", NoonOf("2026-06-01"));
  }
  if (OnSqlite()) {
    std::filesystem::copy_file(copy, Location(), std::filesystem::copy_options::overwrite_existing);
    std::filesystem::remove(Location() + "-wal");
    std::filesystem::remove(Location() + "-shm");
  } else {
    // A dump taken before the retirement restored.
    EditBehindTheBack("DELETE FROM equipment_records WHERE id = 2");
  }
  CalibrationRegister r = Open();
  EXPECT_TRUE(r.FindEquipment(EquipmentKind::kThermometer, "T-4711")->retiredOn.empty());
  EXPECT_FALSE(r.Verify().intact);
  ExpectEndRefused(r, "but their head log " + EquipmentLog() + " at equipment-2");

  // Put back with a record changed in the place of the log's last: named as changed.
  EditBehindTheBack("UPDATE equipment_records SET record_sha256 = '" + std::string(64, 'f') +
                    "' WHERE id = 1");
  const std::vector<HeadLine> logged = ReadHeadLog(EquipmentLog());
  ASSERT_EQ(logged.size(), 2u);
  std::filesystem::resize_file(EquipmentLog(), HeadLineText(logged.front()).size() + 1);
  ExpectEndRefused(r,
                   "the equipment records end at equipment-1, with another record hash than "
                   "their head log");
}

TEST_P(equipment_register, records_from_before_the_log_start_it_with_their_end) {
  {
    CalibrationRegister r = Open();
    EnterTwo(r);
  }
  std::filesystem::remove(EquipmentLog());  // as a register of a version without it
  const VerifyResult before = Open().Verify();
  EXPECT_TRUE(before.intact) << before.equipmentProblem;
  EXPECT_FALSE(before.equipmentHeadLogFound);

  CalibrationRegister r = Open();
  r.RetireEquipment(EquipmentKind::kThermometer, "T-4711", "worn out", NoonOf("2026-12-01"));
  const std::vector<HeadLine> heads = ReadHeadLog(EquipmentLog());
  ASSERT_EQ(heads.size(), 2u);
  EXPECT_EQ(heads[0].number, "equipment-2");
  EXPECT_EQ(heads[1].number, "equipment-3");
  const VerifyResult after = r.Verify();
  EXPECT_TRUE(after.intact) << after.equipmentProblem;
  EXPECT_TRUE(after.equipmentHeadLogFound);
}

TEST_P(equipment_register, a_schema_3_register_is_upgraded_and_takes_equipment) {
  {
    const std::unique_ptr<Database> old = OpenDatabase(Location());
    Transaction transaction(*old, Transaction::Kind::kWrite);
    UpgradeRegisterSchema(*old, 3);
    old->Query("INSERT INTO register_settings (name, value) VALUES ('prefix', 'LAB')");
    transaction.Commit();
  }
  CalibrationRegister r = Open();
  EXPECT_EQ(OpenDatabase(Location())->SchemaVersion(), kRegisterSchemaVersion);
  // A register whose settings predate the interval has the default.
  EXPECT_EQ(r.Settings()->intervalMonths, 12);
  EXPECT_EQ(r.Settings()->prefix, "LAB");
  r.AddEquipmentCertificate(Thermometer(), Certificate("C-1"), NoonOf("2026-03-05"));
  EXPECT_EQ(r.ListEquipment().size(), 1u);
  r.SetIntervalMonths(24);
  EXPECT_EQ(r.Settings()->intervalMonths, 24);
  EXPECT_THROW(r.SetIntervalMonths(0), RegisterRequestError);
  EXPECT_TRUE(r.Verify().intact);
}

IssueRequest Calibration(const std::string& serial, const std::string& measured) {
  IssueRequest request;
  request.details.laboratory = {"Survey Lab", "1 Base Line Road", "Accredited 0001", ""};
  request.details.instrument = {"Geodimetric", "TS 16", serial};
  request.measuredText = "measured\n";
  request.publishedText = "published\n";
  request.programVersion = "Mensuro 1.0.0";
  request.measurementDate = measured;
  return request;
}

TEST_P(equipment_register, the_due_list_follows_the_last_calibration_in_force_across_the_year) {
  CalibrationRegister r = Open();
  r.AdoptSettings({.prefix = "MEN", .laboratory = {}, .intervalMonths = 2});
  const auto issue = [&r](const IssueRequest& request, const std::string& on) {
    return r.Issue(
        request, [](const CertificateIdentity& id) { return id.number; }, NoonOf(on));
  };
  issue(Calibration("A", "2026-11-30"), "2026-12-01");
  // Measured later but issued first: the date of measurement decides.
  issue(Calibration("B", "2026-12-31"), "2027-01-02");
  issue(Calibration("B", "2026-06-01"), "2027-01-03");
  // A replaced calibration never counts.
  const RegisterEntry wrong = issue(Calibration("C", "2026-10-15"), "2026-10-16");
  IssueRequest corrected = Calibration("C", "2026-10-10");
  corrected.replaces = wrong.identity.number;
  corrected.replaceReason = "wrong date of measurement";
  issue(corrected, "2026-10-17");

  const std::vector<InstrumentDue> due = r.DueCalibrations();
  ASSERT_EQ(due.size(), 3u);
  EXPECT_EQ(due[0].instrument.serialNumber, "C");
  EXPECT_EQ(due[0].lastMeasurementDate, "2026-10-10");
  EXPECT_EQ(due[0].dueDate, "2026-12-10");
  EXPECT_EQ(due[1].instrument.serialNumber, "A");
  EXPECT_EQ(due[1].dueDate, "2027-01-30");
  EXPECT_EQ(due[2].instrument.serialNumber, "B");
  EXPECT_EQ(due[2].lastMeasurementDate, "2026-12-31");
  EXPECT_EQ(due[2].dueDate, "2027-02-28");
}

TEST(equipment_dates, months_and_days_after_a_date) {
  EXPECT_EQ(DateMonthsAfter("2026-01-31", 1), "2026-02-28");
  EXPECT_EQ(DateMonthsAfter("2028-01-31", 1), "2028-02-29");
  EXPECT_EQ(DateMonthsAfter("2026-11-15", 3), "2027-02-15");
  EXPECT_EQ(DateMonthsAfter("2026-12-31", 12), "2027-12-31");
  EXPECT_EQ(DateMonthsAfter("2026-13-01", 1), "");
  EXPECT_EQ(DateDaysAfter("2026-12-31", 1), "2027-01-01");
  EXPECT_EQ(DateDaysAfter("2028-03-01", -1), "2028-02-29");
}

INSTANTIATE_TEST_SUITE_P(backend, equipment_register, ::testing::ValuesIn(test::RegisterBackends()),
                         [](const auto& info) { return info.param; });

}  // namespace
}  // namespace mensuro
