// The laboratory's equipment in the register: certificates entered, superseded and retired as
// records of a chain of their own, the refusals that store nothing, and the due list of the
// instruments calibrated.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "register/calibration_register.h"
#include "register/register_location.h"
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
  CalibrationRegister Open() { return CalibrationRegister::Open(Location()); }
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

INSTANTIATE_TEST_SUITE_P(backend, equipment_register, ::testing::ValuesIn(test::RegisterBackends()),
                         [](const auto& info) { return info.param; });

}  // namespace
}  // namespace mensuro
