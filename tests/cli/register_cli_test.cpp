// mensuro-cli and the register: issuing numbered certificates, what `register` prints of them,
// the stored PDF written again byte for byte, a correction, the history and the chain of hashes
// checked after an edit made with SQLite's own tool.

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <ctime>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "cli/cli_expect.h"
#include "cli/cli_run.h"
#include "register/calibration_register.h"
#include "support/time_zone.h"

namespace mensuro::test {
namespace {

CliRun Register(const TempDir& dir, std::vector<std::string> args) {
  args.insert(args.begin(), "register");
  args.insert(args.end(), {"--register", "register.sqlite"});
  return RunCli(dir, args);
}

// The value on the line of `text` labelled `label` (the label, a colon, blanks, the value);
// empty when there is no such line.
std::string ValueOf(const std::string& shown, const std::string& label) {
  const std::string text = "\n" + shown;
  const std::size_t at = text.find("\n" + label + ":");
  if (at == std::string::npos) {
    return {};
  }
  const std::size_t end = text.find('\n', at + 1);
  const std::string line = text.substr(at + 1, end - at - 1);
  return line.substr(line.find_first_not_of(' ', label.size() + 1));
}

// The year on the laboratory's clock, as the numbers take it.
std::string ThisYear() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
#ifdef _WIN32
  localtime_s(&local, &now);
#else
  localtime_r(&now, &local);
#endif
  return std::to_string(1900 + local.tm_year);
}

// A register of two certificates of the seven-pillar example, the second correcting the first.
class cli_register_issuing : public ::testing::Test {
 protected:
  void SetUp() override {
    // The laboratory's settings beside the register give the numbers' prefix.
    std::ofstream(dir.path() / "mensuro-laboratory.json")
        << R"({"laboratory": {"name": "Kellerby Laboratory"}, "certificatePrefix": "KSL"})";
    issued = RunSevenPillar(dir, {"--register", "register.sqlite", "--details", kExampleDetails,
                                  "--certificate", "a.pdf"});
    ASSERT_EQ(issued.exitCode, 0) << issued.err;
    const CliRun corrected = RunSevenPillar(
        dir, {"--register", "register.sqlite", "--details", kExampleDetails, "--client",
              "Corrected Client", "--replaces", first, "--replace-reason",
              "the client was misnamed", "--certificate", "b.pdf"});
    ASSERT_EQ(corrected.exitCode, 0) << corrected.err;
  }

  const TempDir dir;
  const std::string first = "KSL-" + ThisYear() + "-0001";
  const std::string second = "KSL-" + ThisYear() + "-0002";
  CliRun issued;  // the first
};

TEST_F(cli_register_issuing, issues_numbered_certificates_and_lists_and_shows_them) {
  EXPECT_EQ(issued.out, RunSevenPillar(dir, {}).out);  // the report as always
  // Under Wine, Qt may add notes of its own before it. The new head follows the number.
  EXPECT_TRUE(Contains(issued.err, "mensuro-cli: issued certificate " + first +
                                       "\nmensuro-cli: the register's head is now " + first + " "))
      << issued.err;
  const std::string headLog = ReadBytes(dir.path() / "register.sqlite.heads");
  EXPECT_TRUE(headLog.starts_with(first + " ")) << headLog;
  EXPECT_TRUE(issued.err.ends_with(headLog.substr(0, headLog.find('\n') + 1))) << issued.err;
  ASSERT_TRUE(std::filesystem::exists(dir.path() / "a.pdf"));
  EXPECT_FALSE(std::filesystem::exists(dir.path() / ("a.pdf." + first + ".part")));

  const CliRun csv = Register(dir, {"list", "--format", "csv"});
  ASSERT_EQ(csv.exitCode, 0) << csv.err;
  EXPECT_TRUE(Contains(csv.out, "number,issueDate,instrumentMake")) << csv.out;
  EXPECT_TRUE(Contains(csv.out, first + "," + ThisYear())) << csv.out;
  EXPECT_TRUE(Contains(csv.out, ",," + second + ",")) << csv.out;  // replaced by the second
  EXPECT_TRUE(Contains(csv.out, "Corrected Client,")) << csv.out;
  const CliRun byClient = Register(dir, {"list", "--client", "Corrected Client"});
  EXPECT_TRUE(Contains(byClient.out, second) && !Contains(byClient.out, first)) << byClient.out;

  const CliRun shown = Register(dir, {"show", second});
  ASSERT_EQ(shown.exitCode, 0) << shown.err;
  for (const std::string part : {"Replaces:", "Serial number:", "1864207", "Record SHA-256:"}) {
    EXPECT_TRUE(Contains(shown.out, part)) << "missing " << part << " in\n" << shown.out;
  }
  EXPECT_EQ(ValueOf(Register(dir, {"show", first}).out, "Replaced by"), second);
  EXPECT_EQ(ValueOf(shown.out, "Reason for replacing"), "the client was misnamed");
  // The measured text's date, 05-12-2026, as the date of measurement.
  EXPECT_EQ(ValueOf(shown.out, "Date of measurement"), "2026-12-05");
  const nlohmann::json json =
      nlohmann::json::parse(Register(dir, {"list", "--format", "json"}).out);
  EXPECT_EQ(json.at(1).at("replaceReason"), "the client was misnamed");
  EXPECT_EQ(json.at(0).at("replaceReason"), nullptr);
}

// A replacement names the instrument of the one it replaces, unless it says it corrects the
// instrument itself.
TEST_F(cli_register_issuing, a_replacement_of_another_instrument_is_said_so) {
  const std::vector<std::string> replacing = {"--register",          "register.sqlite",
                                              "--details",           kExampleDetails,
                                              "--replaces",          second,
                                              "--replace-reason",    "the serial was misread",
                                              "--instrument-serial", "1864270",
                                              "--certificate",       "c.pdf"};
  const CliRun refused = RunSevenPillar(dir, replacing);
  EXPECT_EQ(refused.exitCode, 2);
  EXPECT_TRUE(Contains(refused.err, "is of another instrument (Geodimetric TS 16 serial 1864207)"))
      << refused.err;
  EXPECT_FALSE(std::filesystem::exists(dir.path() / "c.pdf"));
  std::vector<std::string> knowingly = replacing;
  knowingly.push_back("--other-instrument");
  const CliRun accepted = RunSevenPillar(dir, knowingly);
  ASSERT_EQ(accepted.exitCode, 0) << accepted.err;
  const nlohmann::json shown = nlohmann::json::parse(
      Register(dir, {"show", "KSL-" + ThisYear() + "-0003", "--format", "json"}).out);
  EXPECT_EQ(shown.at("otherInstrument"), true);
  EXPECT_EQ(shown.at("replaceReason"), "the serial was misread");
}

// The register keeps the settings its first issue found beside it; a settings file that says
// otherwise later is refused, and without it the register's own prefix numbers the next.
TEST_F(cli_register_issuing, the_register_keeps_its_prefix_and_laboratory) {
  const CliRun settings = Register(dir, {"settings"});
  ASSERT_EQ(settings.exitCode, 0) << settings.err;
  EXPECT_EQ(ValueOf(settings.out, "Certificate prefix"), "KSL") << settings.out;
  EXPECT_TRUE(Contains(settings.out, "Kellerby Laboratory")) << settings.out;

  std::ofstream(dir.path() / "mensuro-laboratory.json")
      << R"({"laboratory": {"name": "Kellerby Laboratory"}, "certificatePrefix": "OTHER"})";
  const std::vector<std::string> issue = {"--register",    "register.sqlite", "--details",
                                          kExampleDetails, "--certificate",   "c.pdf"};
  const CliRun refused = RunSevenPillar(dir, issue);
  EXPECT_EQ(refused.exitCode, 2);
  EXPECT_TRUE(Contains(refused.err, "those given differ in the certificate numbers' prefix"))
      << refused.err;
  EXPECT_FALSE(std::filesystem::exists(dir.path() / "c.pdf"));

  std::filesystem::remove(dir.path() / "mensuro-laboratory.json");
  const CliRun third = RunSevenPillar(dir, issue);
  ASSERT_EQ(third.exitCode, 0) << third.err;
  EXPECT_TRUE(Contains(third.err, "issued certificate KSL-" + ThisYear() + "-0003\n")) << third.err;
}

TEST_F(cli_register_issuing, exports_reissues_and_verifies_the_certificates_issued) {
  // The export holds every record whole, texts included.
  const CliRun exported = Register(dir, {"export"});
  ASSERT_EQ(exported.exitCode, 0) << exported.err;
  const nlohmann::json records = nlohmann::json::parse(exported.out);
  ASSERT_EQ(records.size(), 2u);
  EXPECT_EQ(records[1]["number"], second);
  EXPECT_EQ(records[1]["replaces"], first);
  EXPECT_EQ(records[0]["measuredText"], ReadBytes(kSevenPillarMeasured));
  EXPECT_TRUE(records[0]["results"]["result"].contains("scale")) << records[0]["results"];

  // The stored certificate, written again, is the file issued, byte for byte.
  ASSERT_EQ(Register(dir, {"reissue", first, "--certificate", "again.pdf"}).exitCode, 0);
  EXPECT_EQ(ReadBytes(dir.path() / "again.pdf"), ReadBytes(dir.path() / "a.pdf"));
#ifndef _WIN32  // poppler's pdftotext and SQLite's own tool are the build machine's
  const CliRun text = RunShell(dir, "pdftotext a.pdf -");
  EXPECT_TRUE(Contains(text.out, first)) << text.out;
  const std::string replacing = RunShell(dir, "pdftotext b.pdf -").out;
  EXPECT_TRUE(Contains(replacing, "Replaces:") && Contains(replacing, first)) << replacing;

  const CliRun intact = Register(dir, {"verify"});
  EXPECT_EQ(intact.exitCode, 0) << intact.err;
  EXPECT_TRUE(Contains(intact.out, "intact: 2 records")) << intact.out;
  // An edit behind the program's back, with SQLite's own tool, is named.
  ASSERT_EQ(RunShell(dir,
                     "sqlite3 register.sqlite \"UPDATE calibrations SET client_name = "
                     "'Someone Else' WHERE number = '" +
                         first + "'\"")
                .exitCode,
            0);
  const CliRun broken = Register(dir, {"verify"});
  EXPECT_EQ(broken.exitCode, 1);
  EXPECT_TRUE(Contains(broken.out, "certificate " + first + " no longer matches")) << broken.out;
#endif
}

// One run issues the certificate and draws the plot: the module draws twice in one process.
TEST(cli_register, issues_a_certificate_and_writes_the_plot_in_one_run) {
  const TempDir dir;
  const CliRun plot = RunSevenPillar(dir, {"--plot", "alone.svg"});
  ASSERT_EQ(plot.exitCode, 0) << plot.err;
  const CliRun issued =
      RunSevenPillar(dir, {"--register", "register.sqlite", "--details", kExampleDetails, "--plot",
                           "p.svg", "--certificate", "c.pdf"});
  ASSERT_EQ(issued.exitCode, 0) << issued.err;
  EXPECT_EQ(issued.out, plot.out);
  EXPECT_TRUE(Contains(issued.err, "mensuro-cli: issued certificate MEN-" + ThisYear() + "-0001\n"))
      << issued.err;
  EXPECT_EQ(ReadBytes(dir.path() / "p.svg"), ReadBytes(dir.path() / "alone.svg"));
  ASSERT_EQ(
      Register(dir, {"reissue", "MEN-" + ThisYear() + "-0001", "--certificate", "r.pdf"}).exitCode,
      0);
  EXPECT_EQ(ReadBytes(dir.path() / "r.pdf"), ReadBytes(dir.path() / "c.pdf"));
  EXPECT_TRUE(ReadBytes(dir.path() / "c.pdf").starts_with("%PDF"));
}

TEST(cli_register, history_in_date_order_with_its_normalised_errors_and_plot) {
  const TempDir dir;
  for (const std::string pdf : {"a.pdf", "b.pdf"}) {
    ASSERT_EQ(RunSevenPillar(dir, {"--register", "register.sqlite", "--details", kExampleDetails,
                                   "--instrument-serial", "SN 77", "--certificate", pdf})
                  .exitCode,
              0);
  }
  const CliRun history = Register(dir, {"history", "SN 77", "--plot", "history.svg"});
  ASSERT_EQ(history.exitCode, 0) << history.err;
  EXPECT_TRUE(history.out.starts_with("History of Geodimetric TS 16 serial SN 77\n"))
      << history.out;
  EXPECT_TRUE(Contains(history.out, "2026-12-05  " + ThisYear())) << history.out;
  // The first has nothing to compare with; the second, the same calibration again, E_n 0.
  EXPECT_TRUE(Contains(history.out, "-0001")) << history.out;
  EXPECT_TRUE(Contains(history.out, "0.00")) << history.out;
  EXPECT_FALSE(Contains(history.out, "changed beyond its uncertainty\n")) << history.out;
  EXPECT_TRUE(ReadBytes(dir.path() / "history.svg").starts_with("<?xml"));
  const CliRun json = Register(dir, {"history", "SN 77", "--format", "json"});
  EXPECT_TRUE(Contains(json.out, "\"constantEn\": null")) << json.out;
  EXPECT_TRUE(Contains(json.out, "\"constantEn\": 0")) << json.out;

  // Another make with the same serial is another instrument: the history asks which.
  ASSERT_EQ(RunSevenPillar(dir, {"--register", "register.sqlite", "--details", kExampleDetails,
                                 "--instrument-serial", "SN 77", "--instrument-make", "Other",
                                 "--certificate", "c.pdf"})
                .exitCode,
            0);
  const CliRun which = Register(dir, {"history", "SN 77"});
  EXPECT_EQ(which.exitCode, 2);
  EXPECT_TRUE(Contains(which.err,
                       "2 instruments of serial SN 77: make 'Geodimetric' model "
                       "'TS 16', make 'Other' model 'TS 16'; give --make and --model"))
      << which.err;
  const CliRun other = Register(dir, {"history", "SN 77", "--make", "Other"});
  ASSERT_EQ(other.exitCode, 0) << other.err;
  EXPECT_TRUE(Contains(other.out, "-0003") && !Contains(other.out, "-0001")) << other.out;
}

// The cyclic figures a record keeps are shown with it, and the history gives the first
// harmonic's amplitude where a calibration has it; an instrument without them shows none.
TEST(cli_register, show_and_history_give_the_cyclic_figures_a_record_keeps) {
  const TempDir dir;
  {
    CalibrationRegister reg = CalibrationRegister::Open((dir.path() / "register.sqlite").string());
    IssueRequest request;
    request.details.laboratory.name = "Survey Lab";
    request.details.client.name = "Geo Ltd";
    request.details.instrument = {"Maker", "TS-10", "SN-1"};
    request.measuredText = "measured";
    request.publishedText = "published";
    request.results = {2.0, 1.5, 0.0005, 0.0008, std::nullopt};
    request.measurementDate = "2026-01-05";
    const auto pdf = [](const CertificateIdentity& identity) { return "%PDF " + identity.number; };
    reg.Issue(request, pdf, NoonOf("2026-01-10"));
    request.results.cyclic = RegisteredCyclic{.unitLengthM = 5.0,
                                              .amplitudeM = 0.00048,
                                              .amplitudeStdErrorM = 0.00005,
                                              .phaseDegrees = 38.2,
                                              .significant = true};
    request.measurementDate = "2026-02-05";
    reg.Issue(request, pdf, NoonOf("2026-02-10"));
    request.details.instrument.serialNumber = "SN-2";
    request.results.cyclic.reset();
    reg.Issue(request, pdf, NoonOf("2026-03-10"));
  }
  EXPECT_EQ(ValueOf(Register(dir, {"show", "MEN-2026-0002"}).out, "Cyclic error"),
            "0.48 \u00b1 0.05 mm, phase 38.2\u00b0, significant (first harmonic, U = 5.000 m)");
  EXPECT_EQ(ValueOf(Register(dir, {"show", "MEN-2026-0001"}).out, "Cyclic error"), "");
  const nlohmann::json shown =
      nlohmann::json::parse(Register(dir, {"show", "MEN-2026-0002", "--format", "json"}).out);
  EXPECT_EQ(shown.at("cyclic"), nlohmann::json::parse(R"({"unitLengthM": 5.0,
      "amplitudeM": 0.00048, "amplitudeStdErrorM": 0.00005, "phaseDegrees": 38.2,
      "significant": true})"));

  const CliRun history = Register(dir, {"history", "SN-1"});
  ASSERT_EQ(history.exitCode, 0) << history.err;
  const auto rowOf = [&](const std::string& number) {
    const std::size_t at = history.out.find(number);
    return at == std::string::npos ? std::string()
                                   : history.out.substr(at, history.out.find('\n', at) - at);
  };
  EXPECT_TRUE(Contains(history.out, "Cyclic error (1st harmonic)")) << history.out;
  EXPECT_TRUE(Contains(rowOf("MEN-2026-0002"), "0.48 \u00b1 0.05 mm, U = 5.000 m")) << history.out;
  EXPECT_FALSE(Contains(rowOf("MEN-2026-0001"), " mm, U = ")) << history.out;
  const nlohmann::json points =
      nlohmann::json::parse(Register(dir, {"history", "SN-1", "--format", "json"}).out);
  ASSERT_EQ(points.size(), 2u);
  EXPECT_FALSE(points[0].contains("cyclic")) << "a record without figures reads as before";
  EXPECT_EQ(points[1].at("cyclic").at("amplitudeM"), 0.00048);
  EXPECT_EQ(points[1].at("cyclic").at("amplitudeStdErrorM"), 0.00005);
  EXPECT_EQ(points[1].at("cyclic").at("unitLengthM"), 5.0);

  const CliRun plain = Register(dir, {"history", "SN-2"});
  ASSERT_EQ(plain.exitCode, 0) << plain.err;
  EXPECT_FALSE(Contains(plain.out, "Cyclic")) << plain.out;
  EXPECT_EQ(Register(dir, {"verify"}).exitCode, 0);
}

// A numbered certificate identifies what it certifies: everything missing is named at once,
// with the option that gives it, and nothing is issued.
TEST(cli_register, an_issue_without_its_identity_names_all_that_is_missing) {
  const TempDir dir;
  const CliRun bare = RunSevenPillar(
      dir, {"--register", "register.sqlite", "--client", "Geo Ltd", "--certificate", "c.pdf"});
  EXPECT_EQ(bare.exitCode, 2);
  EXPECT_TRUE(Contains(bare.err,
                       "no certificate issued: a numbered certificate needs the laboratory's "
                       "name (--laboratory, or the register's settings), the instrument's make "
                       "(--instrument-make), the instrument's model (--instrument-model), the "
                       "instrument's serial number (--instrument-serial)\n"))
      << bare.err;
  EXPECT_FALSE(std::filesystem::exists(dir.path() / "c.pdf"));
  EXPECT_TRUE(Contains(Register(dir, {"list"}).out, "No certificates.")) << "issued all the same";
}

TEST(cli_register, a_replacement_needs_its_reason) {
  const TempDir dir;
  const CliRun noReason =
      RunSevenPillar(dir, {"--register", "register.sqlite", "--details", kExampleDetails,
                           "--replaces", "MEN-2026-0001", "--certificate", "c.pdf"});
  ExpectOneErrorLine(noReason, "--replaces needs --replace-reason TEXT");
  const CliRun alone =
      RunSevenPillar(dir, {"--register", "register.sqlite", "--details", kExampleDetails,
                           "--other-instrument", "--certificate", "c.pdf"});
  ExpectOneErrorLine(alone,
                     "--replace-reason and --other-instrument are used only with --replaces");
}

// `register init` stores the settings; dates given to the register's commands are days of the
// calendar.
TEST(cli_register, init_stores_the_settings_and_dates_are_checked) {
  const TempDir dir;
  const CliRun init = Register(dir, {"init", "--prefix", "REG"});
  ASSERT_EQ(init.exitCode, 0) << init.err;
  EXPECT_EQ(ValueOf(Register(dir, {"settings"}).out, "Certificate prefix"), "REG");
  const CliRun again = Register(dir, {"init", "--prefix", "OTHER"});
  EXPECT_EQ(again.exitCode, 2);
  EXPECT_TRUE(Contains(again.err, "those given differ in the certificate numbers' prefix"))
      << again.err;
  ASSERT_EQ(RunSevenPillar(dir, {"--register", "register.sqlite", "--details", kExampleDetails,
                                 "--certificate", "c.pdf"})
                .exitCode,
            0);
  EXPECT_TRUE(Contains(Register(dir, {"list"}).out, "REG-" + ThisYear() + "-0001"));

  const CliRun impossible = Register(dir, {"list", "--since", "2026-02-30"});
  EXPECT_EQ(impossible.exitCode, 2);
  EXPECT_TRUE(Contains(impossible.err, "'2026-02-30' is not a date of the calendar"))
      << impossible.err;
  EXPECT_EQ(Register(dir, {"list", "--since", "2026-02-28"}).exitCode, 0);
  const std::string number = "REG-" + ThisYear() + "-0001";
  // The measured file the calibration was made from comes back as it was given.
  const CliRun measured = Register(dir, {"files", number, "--folder", "given"});
  EXPECT_EQ(measured.exitCode, 0) << measured.err;
  EXPECT_EQ(ReadBytes(dir.path() / "given" / "seven-pillar-measured.txt"),
            ReadBytes(kSevenPillarMeasured));
#ifndef _WIN32  // SQLite's own tool is the build machine's
  // A stored file comes back byte for byte, and never over a file that is there.
  ASSERT_EQ(RunShell(dir,
                     "sqlite3 register.sqlite \"DELETE FROM calibration_files; INSERT INTO "
                     "calibration_files VALUES (1, 1, 'field', 'survey.csv', 'x', "
                     "X'410D0A00FF')\"")
                .exitCode,
            0);
  const CliRun written = Register(dir, {"files", number, "--folder", "out"});
  ASSERT_EQ(written.exitCode, 0) << written.err;
  EXPECT_EQ(ReadBytes(dir.path() / "out" / "survey.csv"), std::string("A\r\n\0\xff", 5));
  const CliRun over = Register(dir, {"files", number, "--folder", "out"});
  EXPECT_EQ(over.exitCode, 2);
  EXPECT_TRUE(Contains(over.err, "exists already; nothing written")) << over.err;
  ASSERT_EQ(RunShell(dir,
                     "sqlite3 register.sqlite \"UPDATE calibration_files SET name = "
                     "'../evil.csv'\"")
                .exitCode,
            0);
  const CliRun outside = Register(dir, {"files", number, "--folder", "elsewhere"});
  EXPECT_EQ(outside.exitCode, 2);
  EXPECT_TRUE(Contains(outside.err, "is not a file name")) << outside.err;
  EXPECT_FALSE(std::filesystem::exists(dir.path() / "evil.csv"));
#endif
}

TEST(cli_register, refusals_name_what_is_wrong_and_write_nothing) {
  const TempDir dir;
  const CliRun noCertificate = RunSevenPillar(dir, {"--register", "register.sqlite"});
  EXPECT_EQ(noCertificate.exitCode, 2);
  EXPECT_TRUE(Contains(noCertificate.err, "--register issues a certificate")) << noCertificate.err;

  const CliRun missing = Register(dir, {"list"});
  EXPECT_EQ(missing.exitCode, 2);
  EXPECT_TRUE(Contains(missing.err, "there is no register 'register.sqlite'")) << missing.err;
  EXPECT_FALSE(std::filesystem::exists(dir.path() / "register.sqlite"));

  const CliRun unknown = RunSevenPillar(
      dir, {"--register", "register.sqlite", "--details", kExampleDetails, "--replaces",
            "MEN-2020-0001", "--replace-reason", "typing error", "--certificate", "c.pdf"});
  EXPECT_EQ(unknown.exitCode, 2);
  EXPECT_TRUE(Contains(unknown.err, "no certificate issued: ")) << unknown.err;
  EXPECT_FALSE(std::filesystem::exists(dir.path() / "c.pdf"));
  EXPECT_EQ(Register(dir, {"show", "MEN-2020-0001"}).exitCode, 2);
  // A prefix that could reach outside the certificate's folder is refused.
  std::ofstream(dir.path() / "mensuro-laboratory.json") << R"({"certificatePrefix": "../X"})";
  const CliRun prefix =
      RunSevenPillar(dir, {"--register", "register.sqlite", "--certificate", "d.pdf"});
  EXPECT_EQ(prefix.exitCode, 2);
  EXPECT_TRUE(Contains(prefix.err, "must be letters and digits")) << prefix.err;
#ifndef _WIN32
  // A register of a later schema is refused as it stands.
  ASSERT_EQ(RunShell(dir, "sqlite3 register.sqlite 'PRAGMA user_version = 99'").exitCode, 0);
  const CliRun newer = Register(dir, {"list"});
  EXPECT_EQ(newer.exitCode, 3);
  EXPECT_TRUE(Contains(newer.err, "newer version of Mensuro")) << newer.err;
#endif
}

#ifndef _WIN32  // SQLite's own tool and POSIX permissions
TEST_F(cli_register_issuing, the_newest_record_deleted_is_named_and_its_number_not_issued_again) {
  ASSERT_EQ(RunShell(dir, "sqlite3 register.sqlite \"DELETE FROM calibrations WHERE number = '" +
                              second + "'\"")
                .exitCode,
            0);
  const CliRun verified = Register(dir, {"verify"});
  EXPECT_EQ(verified.exitCode, 1);
  EXPECT_TRUE(Contains(verified.out, "Certificate " + second +
                                         " is in the head log register.sqlite.heads but not in "
                                         "the register.\n"))
      << verified.out;
  const CliRun head = Register(dir, {"head"});
  EXPECT_EQ(head.exitCode, 1);
  EXPECT_TRUE(Contains(head.out, "The register does not end where its head log does")) << head.out;

  const CliRun refused = RunSevenPillar(dir, {"--register", "register.sqlite", "--details",
                                              kExampleDetails, "--certificate", "c.pdf"});
  EXPECT_EQ(refused.exitCode, 3);
  EXPECT_TRUE(Contains(refused.err,
                       "mensuro-cli: no certificate issued: the register ends at "
                       "certificate " +
                           first + " but its head log register.sqlite.heads at " + second))
      << refused.err;
  EXPECT_TRUE(Contains(refused.err, "nothing was issued")) << refused.err;
  EXPECT_FALSE(std::filesystem::exists(dir.path() / "c.pdf"));
  EXPECT_FALSE(Contains(Register(dir, {"list"}).out, second));
}

TEST_F(cli_register_issuing, verify_checks_the_end_and_a_certificate_file) {
  const CliRun intact = Register(dir, {"verify"});
  EXPECT_EQ(intact.exitCode, 0) << intact.err;
  EXPECT_TRUE(Contains(intact.out,
                       "It ends where its head log register.sqlite.heads does, at "
                       "certificate " +
                           second + ".\n"))
      << intact.out;
  EXPECT_EQ(intact.err, "");  // no progress when standard error is no terminal
  const CliRun wrongHead = Register(dir, {"verify", "--head", std::string(64, '0')});
  EXPECT_EQ(wrongHead.exitCode, 1);
  EXPECT_TRUE(Contains(wrongHead.out, "The register ends at certificate " + second))
      << wrongHead.out;

  const CliRun held = Register(dir, {"verify-certificate", "b.pdf"});
  EXPECT_EQ(held.exitCode, 0) << held.err;
  EXPECT_TRUE(
      Contains(held.out,
               "The register holds this certificate unchanged.\nCertificate:     " + second + "\n"))
      << held.out;
  std::string changed = ReadBytes(dir.path() / "b.pdf");
  changed.back() = changed.back() == ' ' ? '\n' : ' ';
  dir.Write("changed.pdf", changed);
  const CliRun notHeld = Register(dir, {"verify-certificate", "changed.pdf"});
  EXPECT_EQ(notHeld.exitCode, 1);
  EXPECT_TRUE(Contains(notHeld.out,
                       "The register holds no certificate whose PDF has this file's "
                       "SHA-256"))
      << notHeld.out;
}

TEST_F(cli_register_issuing, a_read_only_copy_is_read_without_a_change) {
  const std::filesystem::path copy = dir.path() / "backup";
  std::filesystem::create_directory(copy);
  for (const char* name : {"register.sqlite", "register.sqlite.heads"}) {
    std::filesystem::copy_file(dir.path() / name, copy / name);
    std::filesystem::permissions(copy / name, std::filesystem::perms::owner_read |
                                                  std::filesystem::perms::group_read |
                                                  std::filesystem::perms::others_read);
  }
  const std::string bytes = ReadBytes(copy / "register.sqlite");
  std::filesystem::permissions(
      copy, std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec |
                std::filesystem::perms::group_read | std::filesystem::perms::group_exec);
  const auto onCopy = [&](std::vector<std::string> args) {
    args.insert(args.begin(), "register");
    args.insert(args.end(), {"--register", "backup/register.sqlite"});
    return RunCli(dir, args);
  };
  const CliRun verified = onCopy({"verify"});
  EXPECT_EQ(verified.exitCode, 0) << verified.err;
  EXPECT_TRUE(Contains(verified.out, "intact: 2 records")) << verified.out;
  const CliRun listed = onCopy({"list"});
  EXPECT_EQ(listed.exitCode, 0) << listed.err;
  EXPECT_TRUE(Contains(listed.out, second)) << listed.out;
  EXPECT_EQ(onCopy({"show", first}).exitCode, 0);
  EXPECT_EQ(onCopy({"verify-certificate", "a.pdf"}).exitCode, 0);
  EXPECT_EQ(ReadBytes(copy / "register.sqlite"), bytes);
  EXPECT_FALSE(std::filesystem::exists(copy / "register.sqlite-wal"));
  EXPECT_FALSE(std::filesystem::exists(copy / "register.sqlite-shm"));
  std::filesystem::permissions(copy, std::filesystem::perms::owner_all);
}

TEST(cli_register, a_register_that_is_no_database_exits_3) {
  const TempDir dir;
  dir.Write("register.sqlite", std::string(4096, 'x'));
  const CliRun listed = Register(dir, {"list"});
  EXPECT_EQ(listed.exitCode, 3);
  EXPECT_TRUE(Contains(listed.err, "register.sqlite: file is not a database")) << listed.err;
  const CliRun issued =
      RunSevenPillar(dir, {"--register", "register.sqlite", "--certificate", "c.pdf"});
  EXPECT_EQ(issued.exitCode, 3);
  EXPECT_TRUE(Contains(issued.err, "mensuro-cli: no certificate issued: ")) << issued.err;
  EXPECT_EQ(ReadBytes(dir.path() / "register.sqlite"), std::string(4096, 'x'));
  // PostgreSQL without a head log: refused before any server is asked.
  const CliRun noHeadLog = RunSevenPillar(
      dir, {"--register", "postgresql://127.0.0.1:1/register", "--certificate", "c.pdf"});
  EXPECT_EQ(noHeadLog.exitCode, 2);
  EXPECT_TRUE(Contains(noHeadLog.err,
                       "issuing into a PostgreSQL register needs its head log: "
                       "give --head-log FILE or set MENSURO_HEAD_LOG"))
      << noHeadLog.err;
  // Nor is the head log written over.
  const CliRun overHeadLog = RunSevenPillar(dir, {"--register", "postgresql://127.0.0.1:1/register",
                                                  "--head-log", "h.pdf", "--certificate", "h.pdf"});
  EXPECT_EQ(overHeadLog.exitCode, 2);
  EXPECT_TRUE(Contains(overHeadLog.err, "the certificate file 'h.pdf' is the head log 'h.pdf'"))
      << overHeadLog.err;
  EXPECT_EQ(Register(dir, {"reissue", "MEN-2026-0001", "--certificate", "register.sqlite.heads"})
                .exitCode,
            2);
  const CliRun headLog = RunSevenPillar(
      dir, {"--register", "register.sqlite", "--head-log", "h.heads", "--certificate", "c.pdf"});
  EXPECT_EQ(headLog.exitCode, 2);
  EXPECT_TRUE(Contains(headLog.err, "--head-log names a PostgreSQL register's head log"))
      << headLog.err;
}
#endif

}  // namespace
}  // namespace mensuro::test
