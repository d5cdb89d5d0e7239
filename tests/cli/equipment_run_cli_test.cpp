// A calibration run that names the laboratory's equipment from a register: the sensors'
// certificates correct the field file's readings and give the budget its uncertainties exactly
// as readings edited by hand and --sensor-uncertainty would, equipment not valid on the date of
// measurement holds back the certificate, and what can't be meant is a usage error.

#include <fmt/format.h>
#include <fmt/ranges.h>
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "cli/cli_expect.h"
#include "cli/cli_run.h"
#include "core/data/number_text.h"
#include "register/calibration_register.h"

namespace mensuro::test {
namespace {

const std::vector<std::string> kRun = {"field.csv",
                                       "--baseline",
                                       kSevenPillarBaseline,
                                       "--library",
                                       MENSURO_SHIPPED_LIBRARY,
                                       "--wavelength",
                                       "0.658",
                                       "--reference-conditions",
                                       "12,1013.25,60",
                                       "--edm",
                                       "X",
                                       "--constant",
                                       "2",
                                       "--ppm",
                                       "2",
                                       "--date",
                                       "05-12-2026"};

std::vector<std::string> FieldRun(std::vector<std::string> more) {
  std::vector<std::string> args = kRun;
  args.insert(args.end(), more.begin(), more.end());
  return args;
}

std::string Example() {
  return ReadBytes(std::filesystem::path(MENSURO_EXAMPLES_DIR) / "seven-pillar-field.csv");
}

// The example field file with `edit` applied to the cells of every observation row.
template <typename Edit>
std::string EditedRows(Edit&& edit) {
  const std::string text = Example();
  std::string edited;
  bool header = true;
  for (std::size_t start = 0, end = 0; start < text.size(); start = end) {
    end = text.find('\n', start);
    end = end == std::string::npos ? text.size() : end + 1;
    std::string line = text.substr(start, end - start);
    if (!header && line.find(',') != std::string::npos) {
      std::vector<std::string> cells;
      for (std::size_t from = 0, comma = 0; comma != std::string::npos; from = comma + 1) {
        comma = line.find(',', from);
        cells.push_back(line.substr(from, comma == std::string::npos ? comma : comma - from));
      }
      edit(cells);
      line = fmt::format("{}", fmt::join(cells, ","));
    }
    header = false;
    edited += line;
  }
  return edited;
}

// The example with `dt` added to every temperature and `dp` to every pressure, as a surveyor
// would edit it (the columns' one decimal kept).
std::string EditedByHand(double dt, double dp) {
  return EditedRows([dt, dp](std::vector<std::string>& cells) {
    cells[6] = fmt::format("{:.1f}", ReadNumber(cells[6]) + dt);
    cells[7] = fmt::format("{:.1f}", ReadNumber(cells[7]) + dp);
  });
}

EquipmentCertificate Certificate(std::string number, std::string date, std::string validUntil,
                                 double correction, double uncertainty) {
  EquipmentCertificate c;
  c.number = std::move(number);
  c.issuedBy = "Calibration Service";
  c.date = std::move(date);
  c.validUntil = std::move(validUntil);
  c.correction = correction;
  c.standardUncertainty = uncertainty;
  return c;
}

void Add(const TempDir& dir, EquipmentKind kind, std::string serial,
         const EquipmentCertificate& certificate) {
  CalibrationRegister reg = CalibrationRegister::Open((dir.path() / "reg.sqlite").string());
  reg.AddEquipmentCertificate({kind, "Acme", "M-1", std::move(serial), {}, {}, {}}, certificate);
}

// The example field file, and a register with a thermometer (+1.0 °C), a barometer (+2 hPa), both
// valid on the example's date, 2026-12-05, a thermometer whose certificate ran out the day before,
// a psychrometer and a reflector (-17.4 mm).
void StockLaboratory(const TempDir& dir) {
  dir.Write("field.csv", Example());
  Add(dir, EquipmentKind::kThermometer, "T1",
      Certificate("TC-1", "2026-06-01", "2027-05-31", 1.0, 0.2));
  Add(dir, EquipmentKind::kBarometer, "B1",
      Certificate("BC-1", "2026-06-01", "2027-05-31", 2.0, 0.5));
  Add(dir, EquipmentKind::kThermometer, "T-OLD",
      Certificate("TC-0", "2025-12-05", "2026-12-04", 1.0, 0.2));
  Add(dir, EquipmentKind::kPsychrometer, "W1",
      Certificate("WC-1", "2026-06-01", "2027-05-31", 0.1, 0.2));
  Add(dir, EquipmentKind::kReflector, "R1",
      Certificate("RC-1", "2026-06-01", "2027-05-31", -17.4, 0.3));
}

const Env kNoEnvironmentRegister = {{"MENSURO_REGISTER", ""}};

// The JSON text without the uncertainty inputs' "equipment" member.
std::string WithoutEquipment(const std::string& json) {
  const std::size_t start = json.find(",\n      \"equipment\": [");
  const std::size_t end = json.find("\n      ]", start);
  if (start == std::string::npos || end == std::string::npos) {
    return json;
  }
  return json.substr(0, start) + json.substr(end + 8);
}

TEST(cli_equipment_run, sensor_certificates_give_the_run_of_readings_corrected_by_hand) {
  const TempDir lab;
  StockLaboratory(lab);
  Add(lab, EquipmentKind::kBaseline, kSevenPillarBaseline, [] {
    EquipmentCertificate c = Certificate("BL-7", "2026-03-14", "2028-03-13", 0.0, 0.0);
    c.baselineCertificate = "Survey Office, certificate BL-7 of 2026-03-14";
    c.baselineUncertainty = "0.4,1.0,2,inf";
    return c;
  }());
  const TempDir byHand;
  byHand.Write("field.csv", EditedByHand(1.0, 2.0));
  const std::vector<std::string> named = {"--register", "reg.sqlite",  "--thermometer",
                                          "T1",         "--barometer", "B1"};
  const std::vector<std::string> figures = {"--sensor-uncertainty", "0.2,0.5,0",
                                            "--baseline-uncertainty", "0.4,1.0,2,inf"};
  const CliRun text = RunCli(lab, FieldRun(named));
  ASSERT_EQ(text.exitCode, 0) << text.err;
  EXPECT_EQ(text.out, RunCli(byHand, FieldRun({})).out);
  EXPECT_NE(text.out, RunCli(lab, FieldRun({})).out);  // the corrections tell

  std::vector<std::string> json = named;
  json.insert(json.end(), {"--format", "json"});
  const CliRun applied = RunCli(lab, FieldRun(json));
  const CliRun given = RunCli(
      byHand, FieldRun({"--format", "json", figures[0], figures[1], figures[2], figures[3]}));
  ASSERT_EQ(applied.exitCode, 0) << applied.err;
  EXPECT_EQ(WithoutEquipment(applied.out), given.out);

  const nlohmann::json equipment =
      nlohmann::json::parse(applied.out)["uncertainty"]["inputs"]["equipment"];
  ASSERT_EQ(equipment.size(), 3u) << equipment;
  EXPECT_EQ(equipment[0]["kind"], "thermometer");
  EXPECT_EQ(equipment[0]["serial"], "T1");
  EXPECT_EQ(equipment[0]["certificate"]["number"], "TC-1");
  EXPECT_EQ(equipment[1]["certificate"]["correction"], 2.0);
  EXPECT_EQ(equipment[2]["kind"], "baseline");
  EXPECT_FALSE(equipment[0].contains("acceptedReason"));
}

TEST(cli_equipment_run, expired_equipment_holds_back_the_certificate_unless_accepted) {
  const TempDir lab;
  StockLaboratory(lab);
  // From the environment's register, which a run only reads: nothing is issued into it.
  const Env environment = {{"MENSURO_REGISTER", "reg.sqlite"}};
  const std::vector<std::string> expired = {"--thermometer", "T-OLD", "--certificate", "c.pdf"};
  const CliRun refused = RunCli(lab, FieldRun(expired), environment);
  EXPECT_EQ(refused.exitCode, 1);
  EXPECT_TRUE(Contains(refused.err,
                       "no certificate: the thermometer Acme M-1 serial T-OLD's "
                       "certificate TC-0 (calibrated 2025-12-05, valid until "
                       "2026-12-04) had expired on the date of measurement "
                       "2026-12-05"))
      << refused.err;
  EXPECT_TRUE(Contains(LastLine(refused.err), "give --accept-expired REASON")) << refused.err;
  EXPECT_FALSE(std::filesystem::exists(lab.path() / "c.pdf"));
  // The report is written all the same, its readings not corrected.
  EXPECT_EQ(refused.out, RunCli(lab, FieldRun({})).out);

  std::vector<std::string> accepted = expired;
  accepted.insert(accepted.end(), {"--accept-expired", "checked against the reference on the day",
                                   "--format", "json"});
  const CliRun issued = RunCli(lab, FieldRun(accepted), environment);
  ASSERT_EQ(issued.exitCode, 0) << issued.err;
  EXPECT_TRUE(std::filesystem::exists(lab.path() / "c.pdf"));
  const nlohmann::json item =
      nlohmann::json::parse(issued.out)["uncertainty"]["inputs"]["equipment"][0];
  EXPECT_EQ(item["acceptedReason"], "checked against the reference on the day");
  EXPECT_EQ(item["certificate"]["validUntil"], "2026-12-04");
}

// The due date reaches the numbered certificate only when asked for: the register's interval
// after the date of measurement.
TEST(cli_equipment_run, the_issued_certificate_states_the_due_date_only_when_asked) {
#ifdef _WIN32
  GTEST_SKIP() << "poppler's pdftotext is the build machine's";
#endif
  const TempDir lab;
  StockLaboratory(lab);
  std::vector<std::string> issue =
      FieldRun({"--register", "reg.sqlite", "--thermometer", "T1", "--details", kExampleDetails,
                "--certificate", "due.pdf", "--state-due-date"});
  const CliRun stated = RunCli(lab, issue, kNoEnvironmentRegister);
  ASSERT_EQ(stated.exitCode, 0) << stated.err;
  const std::string words = CertificateWords(lab, "due.pdf");
  EXPECT_TRUE(Contains(words, "Next calibration due: 2027-12-05")) << words;
  EXPECT_TRUE(Contains(words, "TC-1")) << words;

  issue.pop_back();
  issue.back() = "plain.pdf";
  const CliRun plain = RunCli(lab, issue, kNoEnvironmentRegister);
  ASSERT_EQ(plain.exitCode, 0) << plain.err;
  EXPECT_FALSE(Contains(CertificateWords(lab, "plain.pdf"), "Next calibration due")) << plain.err;
}

TEST(cli_equipment_run, what_cannot_be_meant_is_a_usage_error) {
  const TempDir lab;
  StockLaboratory(lab);
  // The example read with a psychrometer: 8.5 °C wet bulb in place of every humidity.
  std::string wetBulb = EditedRows([](std::vector<std::string>& cells) { cells[8] = "8.5"; });
  wetBulb.replace(wetBulb.find("humidity"), 8, "wet_bulb");
  lab.Write("wet.csv", wetBulb);
  const auto run = [&lab](std::vector<std::string> args) {
    return RunCli(lab, args, kNoEnvironmentRegister);
  };
  ExpectOneErrorLine(run(FieldRun({"--thermometer", "T1"})),
                     "give --register REGISTER or set "
                     "MENSURO_REGISTER");
  ExpectOneErrorLine(run(FieldRun({"--register", "reg.sqlite", "--barometer", "B9"})),
                     "the register holds no barometer of serial 'B9' (--barometer)");
  ExpectOneErrorLine(run(FieldRun({"--register", "reg.sqlite", "--hygrometer", "W1"})),
                     "--hygrometer W1 is a psychrometer (wet bulb), and the field file gives "
                     "relative humidity");
  // Without --date: the example states no date of its own.
  std::vector<std::string> undated(kRun.begin(), kRun.end() - 2);
  undated.insert(undated.end(), {"--register", "reg.sqlite", "--thermometer", "T1"});
  ExpectOneErrorLine(run(undated), "the measured file states none");
  ExpectOneErrorLine(
      run({kSevenPillarMeasured, "--baseline", kSevenPillarBaseline, "--library",
           MENSURO_SHIPPED_LIBRARY, "--register", "reg.sqlite", "--thermometer", "T1"}),
      "correct a field file's readings, and");
  ExpectOneErrorLine(run({kSevenPillarMeasured, "--baseline", kSevenPillarBaseline, "--library",
                          MENSURO_SHIPPED_LIBRARY, "--register", "reg.sqlite", "--reflector", "R1",
                          "--certificate", "c.pdf", "--prism-constant", "-30"}),
                     "the certificate's details give the prism constant -30 mm, and the "
                     "reflector Acme M-1 serial R1 has -17.4 mm by its certificate RC-1");
  // The wet-bulb file takes the psychrometer of the serial.
  std::vector<std::string> wet = FieldRun({"--register", "reg.sqlite", "--hygrometer", "W1"});
  wet[0] = "wet.csv";
  const CliRun psychrometer = run(wet);
  EXPECT_EQ(psychrometer.exitCode, 0) << psychrometer.err;
}

}  // namespace
}  // namespace mensuro::test
