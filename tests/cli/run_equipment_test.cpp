// The register's equipment looked up for a run: the due date from the register's interval, and
// a register that is only read.

#include "cli/run_equipment.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "register/calibration_register.h"
#include "support/temp_dir.h"

namespace mensuro::cli {
namespace {

std::string DueDate(const std::string& location) {
  EquipmentOptions options;
  options.stateDueDate = true;
  EquipmentQuery query;
  query.location = location;
  query.date = "2026-08-31";
  RunEquipment found;
  EXPECT_EQ(LookUpEquipment(options, query, found), 0);
  return found.dueDate;
}

TEST(run_equipment, due_date_follows_the_register_s_interval) {
  const test::TempDir dir;
  const std::string location = (dir.path() / "reg.sqlite").string();
  CalibrationRegister::Open(location);
  EXPECT_EQ(DueDate(location), "2027-08-31");  // no settings: 12 months
  RegisterSettings settings;
  settings.laboratory.name = "Survey Laboratory";
  settings.intervalMonths = 6;
  CalibrationRegister::Open(location).AdoptSettings(settings);
  EXPECT_EQ(DueDate(location), "2027-02-28");
}

TEST(run_equipment, a_register_that_is_not_there_is_not_made) {
  const test::TempDir dir;
  EquipmentOptions options;
  options.thermometer = "T1";
  EquipmentQuery query;
  query.location = (dir.path() / "none.sqlite").string();
  query.date = "2026-08-31";
  RunEquipment found;
  EXPECT_EQ(LookUpEquipment(options, query, found), 3);
  EXPECT_TRUE(std::filesystem::is_empty(dir.path()));
}

}  // namespace
}  // namespace mensuro::cli
