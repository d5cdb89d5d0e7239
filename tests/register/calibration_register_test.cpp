#include "register/calibration_register.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fmt/format.h>

#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <ctime>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "core/data/sha256.h"
#include "register/record_fields.h"
#include "register/register_location.h"
#include "register/register_schema.h"
#include "support/time_zone.h"

namespace mensuro {
namespace {

using test::NoonOf;

using ::testing::AnyOf;
using ::testing::HasSubstr;

IssueRequest Request(const std::string& serial = "SN-1", const std::string& client = "Geo Ltd",
                     double constantM = 0.0005, double scalePpm = 2.0) {
  IssueRequest request;
  CertificateDetails& d = request.details;
  d.laboratory = {"Survey Lab", "1 Base Line Road\nTown", "Accredited 0001", ""};
  d.client = {client, "2 Client Street"};
  d.instrument = {"Maker", "TS-10", serial};
  d.reflector = {"Maker", "Prism 1", -17.4};
  d.measuredBy = "A. Operator";
  d.checkedBy = "B. Checker";
  d.baselineCertificate = "Authority, No. 12, 2025-01-01";
  request.baseline = "Valley baseline";
  request.measuredText = "measured\r\n1 2 100.0012\r\n";
  request.publishedText = "published\n1 2 100.0000\n";
  request.conditionsJson = R"({"baseline":"1,2"})";
  request.exclusionsJson = "[]";
  request.acceptedWarningsJson = "[]";
  request.resultsJson = R"({"scale":2.0})";
  request.results = {scalePpm, 1.5, constantM, 0.0008, std::nullopt};
  request.programVersion = "Mensuro 1.0.0";
  request.measurementDate = "2026-01-01";
  return request;
}

// A stand-in PDF with the identity on it and bytes that are no text.
std::string PdfOf(const CertificateIdentity& identity) {
  return std::string("%PDF-1.7\n") + identity.number + "\n" + identity.recordSha256 +
         std::string("\0\xff\x80\r\n", 5);
}

class calibration_register : public test::RegisterLocationTest {
 protected:
  RegisterEntry Issue(CalibrationRegister& r, const std::string& date,
                      const IssueRequest& request = Request()) {
    return r.Issue(request, PdfOf, NoonOf(date));
  }
};

TEST_P(calibration_register, numbers_follow_the_year_and_the_prefix) {
  CalibrationRegister r = CalibrationRegister::Open(Location());
  CertificateIdentity seen;
  const RegisterEntry first = r.Issue(
      Request(),
      [&](const CertificateIdentity& identity) {
        seen = identity;
        return PdfOf(identity);
      },
      NoonOf("2026-03-01"));
  EXPECT_EQ(first.identity.number, "MEN-2026-0001");
  EXPECT_EQ(seen.number, first.identity.number);
  EXPECT_EQ(seen.recordSha256, first.identity.recordSha256);
  EXPECT_EQ(first.identity.recordSha256.size(), 64u);
  EXPECT_EQ(first.previousSha256, std::string(64, '0'));
  EXPECT_EQ(first.identity.issueDate, "2026-03-01");

  EXPECT_EQ(Issue(r, "2026-05-01").identity.number, "MEN-2026-0002");
  EXPECT_EQ(Issue(r, "2027-01-04").identity.number, "MEN-2027-0001");
  // Each year counts on its own, whatever the order of issue.
  const RegisterEntry late = Issue(r, "2026-12-31");
  EXPECT_EQ(late.identity.number, "MEN-2026-0003");
  EXPECT_EQ(late.position, 4);
}

// The register keeps the prefix and the laboratory it was given: a second opening issues under
// them, and other settings are refused rather than mixed into one register.
TEST_P(calibration_register, the_register_keeps_its_settings) {
  RegisterSettings settings;
  settings.prefix = "LAB";
  settings.laboratory = {"Survey Lab", "1 Base Line Road", "Accredited 0001", "logo.png"};
  {
    CalibrationRegister r = CalibrationRegister::Open(Location());
    EXPECT_FALSE(r.Settings());
    r.AdoptSettings(settings);
    r.AdoptSettings(settings);  // the same again: kept
  }
  CalibrationRegister r = CalibrationRegister::Open(Location());
  ASSERT_TRUE(r.Settings());
  EXPECT_EQ(r.Settings()->prefix, "LAB");
  EXPECT_EQ(r.Settings()->laboratory.logoFile, "logo.png");
  EXPECT_EQ(Issue(r, "2026-06-01").identity.number, "LAB-2026-0001");

  RegisterSettings other = settings;
  other.prefix = "MEN";
  other.laboratory.address = "Elsewhere";
  try {
    r.AdoptSettings(other);
    ADD_FAILURE() << "other settings adopted";
  } catch (const RegisterError& error) {
    EXPECT_THAT(
        error.what(),
        HasSubstr(
            "those given differ in the certificate numbers' prefix, the laboratory's address"));
  }
  EXPECT_EQ(r.Settings()->prefix, "LAB");
  other.prefix = "L-1";
  EXPECT_THROW(r.AdoptSettings(other), RegisterError);
}

// A register without settings takes the default prefix and the first request's laboratory.
TEST_P(calibration_register, the_first_issue_seeds_the_settings) {
  CalibrationRegister r = CalibrationRegister::Open(Location());
  Issue(r, "2026-06-01");
  ASSERT_TRUE(r.Settings());
  EXPECT_EQ(r.Settings()->prefix, "MEN");
  EXPECT_EQ(r.Settings()->laboratory.name, "Survey Lab");
}

// The issue date and the number's year are the laboratory's: 23:30 on 31 December at UTC+2 is
// 21:30 UTC, still the old year there, and already the new year in the laboratory.
TEST_P(calibration_register, a_late_evening_issue_east_of_utc_takes_the_local_date) {
  CalibrationRegister r = CalibrationRegister::Open(Location());
  const test::TimeZone zone("EET-2");
  const std::time_t lastEvening = NoonOf("2026-12-31") + 9 * 3600 + 30 * 60;  // 21:30 UTC
  EXPECT_EQ(r.Issue(Request(), PdfOf, lastEvening - 3 * 3600).identity.number,
            "MEN-2026-0001");                                                // 20:30 local
  const RegisterEntry late = r.Issue(Request(), PdfOf, lastEvening + 1800);  // 00:00 local
  EXPECT_EQ(late.identity.number, "MEN-2027-0001");
  EXPECT_EQ(late.identity.issueDate, "2027-01-01");
  EXPECT_EQ(late.issuedAt, "2027-01-01T00:00:00+02:00");
  EXPECT_EQ(r.Find(late.identity.number)->issuedAt, late.issuedAt);
  EXPECT_TRUE(r.Verify().intact);
}

TEST_P(calibration_register, list_filters_by_instrument_client_and_date) {
  CalibrationRegister r = CalibrationRegister::Open(Location());
  Issue(r, "2026-01-10", Request("SN-1", "Geo Ltd"));
  Issue(r, "2026-02-10", Request("SN-2", "Geo Ltd"));
  Issue(r, "2026-03-10", Request("SN-1", "Other"));

  const auto numbers = [](const std::vector<RegisterEntry>& entries) {
    std::vector<std::string> result;
    for (const RegisterEntry& entry : entries) {
      result.push_back(entry.identity.number);
    }
    return result;
  };
  EXPECT_THAT(numbers(r.List()),
              ::testing::ElementsAre("MEN-2026-0001", "MEN-2026-0002", "MEN-2026-0003"));
  EXPECT_THAT(numbers(r.List({.instrumentSerial = "SN-1",
                              .clientName = "",
                              .since = "",
                              .instrumentMake = "",
                              .instrumentModel = "",
                              .kind = std::nullopt,
                              .baseline = ""})),
              ::testing::ElementsAre("MEN-2026-0001", "MEN-2026-0003"));
  EXPECT_THAT(numbers(r.List({.instrumentSerial = "",
                              .clientName = "Geo Ltd",
                              .since = "",
                              .instrumentMake = "",
                              .instrumentModel = "",
                              .kind = std::nullopt,
                              .baseline = ""})),
              ::testing::ElementsAre("MEN-2026-0001", "MEN-2026-0002"));
  EXPECT_THAT(numbers(r.List({.instrumentSerial = "SN-1",
                              .clientName = "",
                              .since = "2026-02-01",
                              .instrumentMake = "",
                              .instrumentModel = "",
                              .kind = std::nullopt,
                              .baseline = ""})),
              ::testing::ElementsAre("MEN-2026-0003"));
  EXPECT_TRUE(r.List({.instrumentSerial = "SN-9",
                      .clientName = "",
                      .since = "",
                      .instrumentMake = "",
                      .instrumentModel = "",
                      .kind = std::nullopt,
                      .baseline = ""})
                  .empty());
}

TEST_P(calibration_register, find_gives_the_record_as_issued_and_the_pdf_byte_for_byte) {
  CalibrationRegister r = CalibrationRegister::Open(Location());
  const IssueRequest request = Request();
  std::string pdf;
  const RegisterEntry issued = r.Issue(
      request, [&](const CertificateIdentity& identity) { return pdf = PdfOf(identity); },
      NoonOf("2026-04-01"));

  const std::optional<RegisterEntry> found = r.Find(issued.identity.number);
  ASSERT_TRUE(found);
  EXPECT_EQ(found->identity.recordSha256, issued.identity.recordSha256);
  EXPECT_EQ(found->issuedAt, issued.issuedAt);
  EXPECT_EQ(found->details.laboratory.address, request.details.laboratory.address);
  EXPECT_EQ(found->details.reflector.prismConstantMm, -17.4);
  EXPECT_EQ(found->details.checkedBy, "B. Checker");
  EXPECT_EQ(found->measuredText, request.measuredText);
  EXPECT_EQ(found->publishedText, request.publishedText);
  EXPECT_EQ(found->measuredSha256, Sha256Hex(request.measuredText));
  EXPECT_EQ(found->conditionsJson, request.conditionsJson);
  EXPECT_EQ(found->resultsJson, request.resultsJson);
  EXPECT_EQ(found->results.constantUncertaintyM, 0.0008);
  EXPECT_EQ(found->pdfSha256, Sha256Hex(pdf));

  EXPECT_EQ(r.StoredCertificatePdf(issued.identity.number), pdf);
  EXPECT_FALSE(r.Find("MEN-2026-0002"));
  EXPECT_FALSE(r.StoredCertificatePdf("MEN-2026-0002"));
}

TEST_P(calibration_register, a_replacement_names_the_old_one_once) {
  CalibrationRegister r = CalibrationRegister::Open(Location());
  const RegisterEntry old = Issue(r, "2026-04-01");
  IssueRequest correction = Request();
  correction.replaces = old.identity.number;
  correction.replaceReason = "the client's address was wrong";
  const RegisterEntry newer = Issue(r, "2026-04-02", correction);
  EXPECT_EQ(newer.identity.replaces, old.identity.number);
  EXPECT_EQ(r.Find(newer.identity.number)->identity.replaceReason,
            "the client's address was wrong");

  const std::optional<RegisterEntry> oldNow = r.Find(old.identity.number);
  ASSERT_TRUE(oldNow);
  EXPECT_EQ(oldNow->replacedBy, newer.identity.number);
  EXPECT_EQ(oldNow->identity.recordSha256, old.identity.recordSha256);
  EXPECT_EQ(r.Find(newer.identity.number)->replacedBy, "");

  try {
    Issue(r, "2026-04-03", correction);
    ADD_FAILURE() << "replaced twice";
  } catch (const RegisterError& error) {
    EXPECT_THAT(error.what(), HasSubstr("already replaced by " + newer.identity.number));
  }
  correction.replaces = "MEN-2026-0099";
  EXPECT_THROW(Issue(r, "2026-04-03", correction), RegisterError);
  EXPECT_EQ(r.List().size(), 2u);
  EXPECT_TRUE(r.Verify().intact);
}

// A replacement says why, and names the instrument of the one it replaces unless it says it
// corrects the instrument itself.
TEST_P(calibration_register, a_replacement_needs_its_reason_and_the_same_instrument) {
  CalibrationRegister r = CalibrationRegister::Open(Location());
  const RegisterEntry old = Issue(r, "2026-04-01", Request("SN-1", "Geo Ltd"));
  IssueRequest other = Request("SN-7", "Other Ltd");
  other.replaces = old.identity.number;
  try {
    Issue(r, "2026-04-02", other);
    ADD_FAILURE() << "replaced without a reason";
  } catch (const RegisterError& error) {
    EXPECT_THAT(error.what(), HasSubstr("needs the reason why"));
  }
  other.replaceReason = "the serial was misread";
  try {
    Issue(r, "2026-04-02", other);
    ADD_FAILURE() << "replaced across instruments";
  } catch (const RegisterError& error) {
    EXPECT_THAT(error.what(), HasSubstr("is of another instrument (Maker TS-10 serial SN-1)"));
  }
  IssueRequest otherMake = Request("SN-1", "Geo Ltd");
  otherMake.details.instrument.make = "Another Maker";
  otherMake.replaces = old.identity.number;
  otherMake.replaceReason = "the make was misread";
  EXPECT_THROW(Issue(r, "2026-04-02", otherMake), RegisterError);
  EXPECT_EQ(r.List().size(), 1u);

  other.otherInstrument = true;
  const RegisterEntry newer = Issue(r, "2026-04-02", other);
  const std::optional<RegisterEntry> found = r.Find(newer.identity.number);
  ASSERT_TRUE(found);
  EXPECT_TRUE(found->otherInstrument);
  EXPECT_EQ(found->identity.replaceReason, "the serial was misread");
  EXPECT_EQ(r.Find(old.identity.number)->replacedBy, newer.identity.number);
  EXPECT_TRUE(r.Verify().intact);
}

// Issued out of order; the second is corrected by the fourth. The replaced one stays in the
// history, marked, compared with the calibration in force before it, and no reference itself.
TEST_P(calibration_register, history_keeps_replaced_ones_marked_and_compares_neighbours) {
  CalibrationRegister r = CalibrationRegister::Open(Location());
  const auto measured = [](IssueRequest request, const std::string& date) {
    request.measurementDate = date;
    return request;
  };
  Issue(r, "2026-06-01", measured(Request("SN-1", "Geo Ltd", 0.0006, 2.5), "2026-05-30"));
  const RegisterEntry wrong =
      Issue(r, "2025-06-01", measured(Request("SN-1", "Geo Ltd", 0.0100, 9.0), "2025-05-30"));
  Issue(r, "2026-06-01", measured(Request("SN-2"), "2026-05-30"));
  IssueRequest correction = measured(Request("SN-1", "Geo Ltd", 0.0005, 2.0), "2025-05-30");
  correction.replaces = wrong.identity.number;
  correction.replaceReason = "wrong constant";
  Issue(r, "2025-06-02", correction);
  Issue(r, "2027-06-01", measured(Request("SN-1", "Geo Ltd", 0.0040, 2.5), "2027-05-30"));

  const std::vector<HistoryPoint> history = r.History({"Maker", "TS-10", "SN-1"});
  ASSERT_EQ(history.size(), 4u);
  EXPECT_EQ(history[0].entry.identity.number, wrong.identity.number);
  EXPECT_TRUE(history[0].replaced);
  EXPECT_FALSE(history[0].constantEn);
  EXPECT_EQ(history[1].entry.identity.issueDate, "2025-06-02");
  EXPECT_FALSE(history[1].replaced);
  EXPECT_FALSE(history[1].constantEn) << "compared with the replaced one";
  EXPECT_EQ(history[2].entry.identity.issueDate, "2026-06-01");
  EXPECT_EQ(history[3].entry.identity.issueDate, "2027-06-01");
  // Within the uncertainty: 0.1 mm against sqrt(0.8^2 + 0.8^2) mm, 0.5 ppm against 1.5 sqrt 2.
  ASSERT_TRUE(history[2].constantEn && history[2].scaleEn);
  EXPECT_NEAR(*history[2].constantEn, 0.0001 / (0.0008 * std::sqrt(2.0)), 1e-12);
  EXPECT_NEAR(*history[2].scaleEn, 0.5 / (1.5 * std::sqrt(2.0)), 1e-12);
  // Beyond it: the constant moved by 3.4 mm.
  EXPECT_GT(*history[3].constantEn, 1.0);
  EXPECT_NEAR(*history[3].scaleEn, 0.0, 1e-12);
  EXPECT_FALSE(NormalisedError(1.0, 0.0, 2.0, 0.0));
}

// Two calibrations a year apart, issued on one day (the older one late): the date of
// measurement orders them.
TEST_P(calibration_register, history_follows_the_dates_of_measurement) {
  CalibrationRegister r = CalibrationRegister::Open(Location());
  IssueRequest recent = Request("SN-1", "Geo Ltd", 0.0006);
  recent.measurementDate = "2026-05-02";
  IssueRequest yearBefore = Request("SN-1", "Geo Ltd", 0.0001);
  yearBefore.measurementDate = "2025-05-02";
  const RegisterEntry first = Issue(r, "2026-05-20", recent);
  const RegisterEntry second = Issue(r, "2026-05-20", yearBefore);
  const std::vector<HistoryPoint> history = r.History({"Maker", "TS-10", "SN-1"});
  ASSERT_EQ(history.size(), 2u);
  EXPECT_EQ(history[0].entry.identity.number, second.identity.number);
  EXPECT_EQ(history[0].entry.measurementDate, "2025-05-02");
  EXPECT_EQ(history[1].entry.identity.number, first.identity.number);
}

// An instrument is make, model and serial: two makes with one serial have their own histories.
TEST_P(calibration_register, two_makes_with_one_serial_have_their_own_histories) {
  CalibrationRegister r = CalibrationRegister::Open(Location());
  IssueRequest other = Request("SN-1", "Geo Ltd", 0.0100);
  other.details.instrument.make = "Other Maker";
  Issue(r, "2026-01-10", Request("SN-1", "Geo Ltd", 0.0005));
  Issue(r, "2026-02-10", other);
  Issue(r, "2026-03-10", Request("SN-1", "Geo Ltd", 0.0006));

  const std::vector<HistoryPoint> maker = r.History({"Maker", "TS-10", "SN-1"});
  ASSERT_EQ(maker.size(), 2u);
  ASSERT_TRUE(maker[1].constantEn);
  EXPECT_LT(*maker[1].constantEn, 1.0) << "compared with the other make's";
  ASSERT_EQ(r.History({"Other Maker", "TS-10", "SN-1"}).size(), 1u);
  EXPECT_EQ(r.InstrumentsOfSerial("SN-1").size(), 2u);
  const std::unique_ptr<Database> database = OpenDatabase(Location());
  EXPECT_EQ(database->Query("SELECT id FROM instruments").size(), 2u);
  EXPECT_TRUE(r.Verify().intact);
}

// The files a calibration was made from come back byte for byte, and their hashes are part of
// the record.
TEST_P(calibration_register, input_files_are_kept_byte_for_byte) {
  CalibrationRegister r = CalibrationRegister::Open(Location());
  IssueRequest request = Request();
  request.files = {{"field", "survey.csv", {}, std::string("from,to\r\nA,B\0\xff", 16)},
                   {"heights", "heights.txt", {}, "A 1.5\n"}};
  const RegisterEntry issued = Issue(r, "2026-01-01", request);
  Issue(r, "2026-01-02");

  const std::optional<std::vector<RecordFile>> files = r.StoredFiles(issued.identity.number);
  ASSERT_TRUE(files);
  ASSERT_EQ(files->size(), 2u);
  EXPECT_EQ((*files)[0].role, "field");
  EXPECT_EQ((*files)[0].name, "survey.csv");
  EXPECT_EQ((*files)[0].bytes, request.files[0].bytes);
  EXPECT_EQ((*files)[1].bytes, request.files[1].bytes);
  const std::optional<RegisterEntry> found = r.Find(issued.identity.number);
  ASSERT_EQ(found->files.size(), 2u);
  EXPECT_EQ(found->files[1].sha256, Sha256Hex("A 1.5\n"));
  EXPECT_TRUE(r.StoredFiles("MEN-2026-0002")->empty());
  EXPECT_FALSE(r.StoredFiles("MEN-2026-0099"));
  EXPECT_TRUE(r.Verify().intact);

  EditBehindTheBack("UPDATE calibration_files SET bytes = X'41' WHERE position = 2",
                    "UPDATE calibration_files SET bytes = '\\x41'::bytea WHERE position = 2");
  const VerifyResult edited = r.Verify();
  EXPECT_FALSE(edited.intact);
  EXPECT_EQ(edited.firstBroken, issued.identity.number);
}

TEST_P(calibration_register, verify_names_the_first_edited_record) {
  CalibrationRegister r = CalibrationRegister::Open(Location());
  Issue(r, "2026-01-01");
  const RegisterEntry second = Issue(r, "2026-01-02");
  Issue(r, "2026-01-03");
  const VerifyResult clean = r.Verify();
  EXPECT_TRUE(clean.intact);
  EXPECT_EQ(clean.records, 3);

  EditBehindTheBack("UPDATE calibrations SET constant_m = 0.0001 WHERE id = 2");
  const VerifyResult edited = r.Verify();
  EXPECT_FALSE(edited.intact);
  EXPECT_EQ(edited.firstBroken, second.identity.number);
  // The gap in the numbers or the hash that covers them, whichever the walk meets first.
  EXPECT_THAT(edited.reason, AnyOf(HasSubstr("sequence number 7"), HasSubstr("content")));
}

TEST_P(calibration_register, verify_finds_an_edited_pdf) {
  CalibrationRegister r = CalibrationRegister::Open(Location());
  const RegisterEntry first = Issue(r, "2026-01-01");
  Issue(r, "2026-01-02");
  EditBehindTheBack("UPDATE calibrations SET pdf = X'25504446' WHERE id = 1",
                    "UPDATE calibrations SET pdf = '\\x25504446'::bytea WHERE id = 1");
  const VerifyResult edited = r.Verify();
  EXPECT_FALSE(edited.intact);
  EXPECT_EQ(edited.firstBroken, first.identity.number);
  EXPECT_THAT(edited.reason, HasSubstr("PDF"));
}

TEST_P(calibration_register, verify_finds_a_record_taken_out) {
  CalibrationRegister r = CalibrationRegister::Open(Location());
  Issue(r, "2026-01-01");
  Issue(r, "2026-01-02");
  const RegisterEntry third = Issue(r, "2026-01-03");
  EditBehindTheBack("DELETE FROM calibrations WHERE id = 2");
  const VerifyResult edited = r.Verify();
  EXPECT_FALSE(edited.intact);
  EXPECT_EQ(edited.firstBroken, third.identity.number);
  EXPECT_THAT(edited.reason, HasSubstr("records are missing before it"));
}

// Registers already issued keep verifying: the hashed content of format 1, the PDF's hash and
// the link between records stay byte for byte what they were when those registers were
// written; format 2 hashes the same and the row's id, the number's parts, the replacement's
// reason and flag, the date of measurement and the files.
TEST_P(calibration_register, hashes_stay_what_issued_registers_hold) {
  CalibrationRegister r = CalibrationRegister::Open(Location());
  const auto pdfOf = [](const CertificateIdentity&) { return std::string("%PDF-1.7 golden\n"); };
  const std::string pdfSha256 = "75f33b9af86cd8ac4e55b5e3f4361d683c27436226d9891bfabfd58479f8478a";
  const RegisterEntry first = r.Issue(Request(), pdfOf, NoonOf("2026-03-01"));
  IssueRequest correction = Request("SN-2", "Other Ltd", 0.00125, -3.25);
  correction.details.reflector.prismConstantMm = std::nullopt;
  correction.replaces = first.identity.number;
  correction.replaceReason = "wrong serial";
  correction.otherInstrument = true;
  correction.files = {{"measured", "m.txt", {}, "abc"}};
  const RegisterEntry second = r.Issue(correction, pdfOf, NoonOf("2026-03-02"));

  const std::string_view sameTexts = "10:Survey Lab21:1 Base Line Road\nTown15:Accredited 00010:";
  const std::string_view sameHashes =
      "11:A. Operator10:B. Checker29:Authority, No. 12, 2025-01-0115:Valley baseline"
      "64:cbb093339db9512cf4dbe45978f4c74f4061c813223b4b940a2a3e28b74967ad"
      "64:89b18cb35cf83a79fd1baf7aca0d4d585146ba3faefc7d8482e71d834e4981c9"
      "18:{\"baseline\":\"1,2\"}2:[]2:[]13:{\"scale\":2.0}";
  // The content of format `format`'s fields up to the link, with its tag.
  const auto firstContent = [&](int format) {
    return fmt::format("mensuro-register-record-{}\n13:MEN-2026-000110:2026-03-01{}:{}", format,
                       first.issuedAt.size(), first.issuedAt) +
           "0:" + std::string(sameTexts) +
           "7:Geo Ltd15:2 Client Street5:Maker5:TS-104:SN-15:Maker7:Prism 15:-17.4" +
           std::string(sameHashes) +
           "1:23:1.56:0.00056:0.000813:Mensuro 1.0.064:" + first.previousSha256;
  };
  const auto secondContent = [&](int format) {
    return fmt::format("mensuro-register-record-{}\n13:MEN-2026-000210:2026-03-02{}:{}", format,
                       second.issuedAt.size(), second.issuedAt) +
           "13:MEN-2026-0001" + std::string(sameTexts) +
           "9:Other Ltd15:2 Client Street5:Maker5:TS-104:SN-25:Maker7:Prism 10:" +
           std::string(sameHashes) +
           "5:-3.253:1.57:0.001256:0.000813:Mensuro 1.0.064:" + second.previousSha256;
  };
  RegisterEntry firstAsFormat1 = first;
  firstAsFormat1.recordFormat = 1;
  EXPECT_EQ(CanonicalContent(firstAsFormat1), firstContent(1));
  RegisterEntry secondAsFormat1 = second;
  secondAsFormat1.recordFormat = 1;
  EXPECT_EQ(CanonicalContent(secondAsFormat1), secondContent(1));

  EXPECT_EQ(first.previousSha256, std::string(64, '0'));
  EXPECT_EQ(first.identity.recordSha256,
            Sha256Hex(firstContent(2) + "1:13:MEN4:20261:10:1:010:2026-01-011:0"));
  EXPECT_EQ(first.pdfSha256, pdfSha256);
  EXPECT_EQ(second.previousSha256, Sha256Hex(first.identity.recordSha256 + pdfSha256));
  EXPECT_EQ(second.identity.recordSha256,
            Sha256Hex(secondContent(2) + "1:23:MEN4:20261:212:wrong serial1:110:2026-01-01" +
                      "1:18:measured5:m.txt64:" + Sha256Hex("abc")));
  EXPECT_EQ(second.pdfSha256, pdfSha256);
  // The laboratory's moment with its offset: 2026-03-01T13:00:00+01:00 and the like.
  EXPECT_EQ(first.issuedAt.size(), 25u);
  EXPECT_TRUE(first.issuedAt.starts_with("2026-03-0") && first.issuedAt[10] == 'T' &&
              (first.issuedAt[19] == '+' || first.issuedAt[19] == '-'));
  EXPECT_TRUE(r.Verify().intact);
}

// A record's number parts and its format are part of what its hash covers.
TEST_P(calibration_register, verify_finds_an_edited_sequence_or_format) {
  CalibrationRegister r = CalibrationRegister::Open(Location());
  Issue(r, "2026-01-01");
  const RegisterEntry second = Issue(r, "2026-01-02");
  const RegisterEntry third = Issue(r, "2026-01-03");
  EditBehindTheBack("UPDATE calibrations SET sequence = 7 WHERE id = 2");
  VerifyResult edited = r.Verify();
  EXPECT_FALSE(edited.intact);
  EXPECT_EQ(edited.firstBroken, second.identity.number);
  // The gap in the numbers or the hash that covers them, whichever the walk meets first.
  EXPECT_THAT(edited.reason, AnyOf(HasSubstr("sequence number 7"), HasSubstr("content")));

  EditBehindTheBack("UPDATE calibrations SET sequence = 2 WHERE id = 2");
  EXPECT_TRUE(r.Verify().intact);
  EditBehindTheBack("UPDATE calibrations SET record_format = 1 WHERE id = 3");
  edited = r.Verify();
  EXPECT_FALSE(edited.intact);
  EXPECT_EQ(edited.firstBroken, third.identity.number);
}

// The rows of every table of `from`, copied as they are into `to`; of the calibrations, the
// columns that `to` has (those of the schemas before 3).
void CopyRegister(Database& from, Database& to) {
  for (const char* table : {"laboratories", "clients", "instruments", "reflectors"}) {
    for (const SqlRow& row : from.Query(std::string("SELECT * FROM ") + table + " ORDER BY id")) {
      std::string marks = "?";
      for (std::size_t i = 1; i < row.size(); ++i) {
        marks += ", ?";
      }
      to.Query(std::string("INSERT INTO ") + table + " VALUES (" + marks + ")", row);
    }
  }
  std::string columns;
  std::string marks;
  for (const SqlRow& column : from.Query("SELECT name FROM pragma_table_info('calibrations')")) {
    const std::string name = std::get<std::string>(column.at(0));
    if (name != "record_format" && name != "replace_reason" && name != "other_instrument" &&
        name != "measurement_date" && name != "kind" && !name.starts_with("cyclic_")) {
      columns += (columns.empty() ? "" : ", ") + name;
      marks += marks.empty() ? "?" : ", ?";
    }
  }
  for (const SqlRow& row : from.Query("SELECT " + columns + " FROM calibrations ORDER BY id")) {
    to.Query("INSERT INTO calibrations (" + columns + ") VALUES (" + marks + ")", row);
  }
}

// Every value of `rows`, one row a line, the values parted by tabs.
std::string RowsText(const std::vector<SqlRow>& rows) {
  std::string text;
  for (const SqlRow& row : rows) {
    for (const SqlValue& value : row) {
      if (const auto* string = std::get_if<std::string>(&value)) {
        text += *string;
      } else if (const auto* integer = std::get_if<std::int64_t>(&value)) {
        text += std::to_string(*integer);
      }
      text += '\t';
    }
    text += '\n';
  }
  return text;
}

// The SHA-256 of the register's tables, columns, indexes and constraints as the database
// describes them.
std::string SchemaSha256(Database& database) {
  if (database.Dialect() == "sqlite") {
    return Sha256Hex(RowsText(
        database.Query("SELECT type, name, tbl_name, sql FROM sqlite_master ORDER BY name")));
  }
  return Sha256Hex(
      RowsText(database.Query(
          "SELECT table_name, column_name, data_type, is_nullable, column_default FROM "
          "information_schema.columns WHERE table_schema = current_schema() ORDER BY table_name, "
          "ordinal_position")) +
      RowsText(database.Query("SELECT indexname, indexdef FROM pg_indexes WHERE schemaname = "
                              "current_schema() ORDER BY indexname")) +
      RowsText(database.Query(
          "SELECT conrelid::regclass::text, conname, pg_get_constraintdef(oid) FROM pg_constraint "
          "WHERE connamespace = current_schema()::regnamespace ORDER BY 1, 2")));
}

// The schema of the registers made so far, on each database.
std::string MadeSchemaSha256(bool onSqlite) {
  return onSqlite ? "5a0ab3fc92d94e2a9a480505cf6b19ff625abfd7133e152501979253eb33ebee"
                  : "21aeae155bc629f4ea320e1686f70a4993da866eae4c96d6b74c0d51e163b4e8";
}

TEST_P(calibration_register, an_old_schema_is_upgraded_with_its_records_intact) {
  // Records as the second schema held them, of format 1: issued elsewhere, copied into a
  // register made with the first two steps alone, and hashed and chained as format 1 hashed.
  const std::string source = (Scratch().path() / "source.sqlite").string();
  std::vector<RegisterEntry> issued;
  std::vector<std::string> pdfs;  // as the source stored them
  {
    CalibrationRegister r = CalibrationRegister::Open(source);
    issued.push_back(Issue(r, "2026-01-01"));
    issued.push_back(Issue(r, "2026-01-02"));
  }
  {
    const std::unique_ptr<Database> old = OpenDatabase(Location());
    Transaction transaction(*old, Transaction::Kind::kWrite);
    UpgradeRegisterSchema(*old, 2);
    CopyRegister(*OpenDatabase(source), *old);
    std::string previous(64, '0');
    for (RegisterEntry& entry : issued) {
      pdfs.push_back(PdfOf(entry.identity));
      entry = *CalibrationRegister::Open(source).Find(entry.identity.number);
      entry.recordFormat = 1;
      entry.previousSha256 = previous;
      entry.identity.recordSha256 = Sha256Hex(CanonicalContent(entry));
      old->Query("UPDATE calibrations SET record_sha256 = ?, previous_sha256 = ? WHERE id = ?",
                 {entry.identity.recordSha256, previous, entry.position});
      previous = Sha256Hex(entry.identity.recordSha256 + entry.pdfSha256);
    }
    transaction.Commit();
    EXPECT_EQ(old->SchemaVersion(), 2);
  }

  CalibrationRegister r = CalibrationRegister::Open(Location());
  EXPECT_EQ(OpenDatabase(Location())->SchemaVersion(), kRegisterSchemaVersion);
  EXPECT_EQ(SchemaSha256(*OpenDatabase(Location())), MadeSchemaSha256(OnSqlite()));
  const std::optional<RegisterEntry> found = r.Find(issued[0].identity.number);
  ASSERT_TRUE(found);
  EXPECT_EQ(found->recordFormat, 1);
  EXPECT_EQ(found->identity.recordSha256, issued[0].identity.recordSha256);
  EXPECT_EQ(r.StoredCertificatePdf(issued[0].identity.number), pdfs[0]);
  EXPECT_TRUE(r.Verify().intact);
  // Issued after the upgrade: format 2, chained to the old ones; the instrument's key is now
  // make, model and serial, its references sound.
  IssueRequest otherMake = Request();
  otherMake.details.instrument.make = "Other Maker";
  EXPECT_EQ(Issue(r, "2026-01-03", otherMake).recordFormat, 2);
  EXPECT_TRUE(r.Verify().intact);
  // A baseline's record after them, of its own format, in the same chain.
  IssueRequest baseline = Request();
  baseline.kind = RecordKind::kBaseline;
  EXPECT_EQ(Issue(r, "2026-01-04", baseline).recordFormat, kBaselineRecordFormat);
  EXPECT_EQ(r.Find(issued[1].identity.number)->kind, RecordKind::kInstrument);
  EXPECT_TRUE(r.Verify().intact);
  const std::unique_ptr<Database> database = OpenDatabase(Location());
  EXPECT_EQ(database->Query("SELECT id FROM instruments").size(), 2u);
  if (OnSqlite()) {
    EXPECT_TRUE(database->Query("PRAGMA foreign_key_check").empty());
  }
  EXPECT_THROW(database->Query("UPDATE calibrations SET instrument_id = 99 WHERE id = 1"),
               DatabaseError)
      << "the reference to the instruments is gone";
  // The second step's unique index: a certificate is replaced once, by the database too.
  EXPECT_THROW(database->Query("UPDATE calibrations SET replaces = (SELECT MIN(number) FROM "
                               "calibrations)"),
               DatabaseError)
      << "the index on replaces is missing";
}

// A new register gets the tables, columns, indexes and constraints of those made before.
TEST_P(calibration_register, a_new_register_has_the_schema_of_those_made_before) {
  CalibrationRegister::Open(Location());
  EXPECT_EQ(SchemaSha256(*OpenDatabase(Location())), MadeSchemaSha256(OnSqlite()));
}

TEST_P(calibration_register, a_newer_schema_is_refused) {
  {
    const std::unique_ptr<Database> newer = OpenDatabase(Location());
    Transaction transaction(*newer, Transaction::Kind::kWrite);
    newer->SetSchemaVersion(kRegisterSchemaVersion + 1);
    transaction.Commit();
  }
  try {
    CalibrationRegister::Open(Location());
    ADD_FAILURE() << "opened";
  } catch (const RegisterError& error) {
    EXPECT_THAT(error.what(),
                HasSubstr(fmt::format("written by a newer version of Mensuro (schema {}; this "
                                      "version reads up to {})",
                                      kRegisterSchemaVersion + 1, kRegisterSchemaVersion)));
  }
}

TEST_P(calibration_register, names_are_stored_as_given) {
  CalibrationRegister r = CalibrationRegister::Open(Location());
  IssueRequest request =
      Request("SN'; DELETE FROM calibrations;--", "Robert'); DROP TABLE calibrations;--");
  request.details.measuredBy = "O'Brien \"Ltd\"; SELECT * FROM clients";
  request.details.laboratory.name = "Lab\\ % _ ? $1 \xc3\xa9";
  const RegisterEntry issued = Issue(r, "2026-01-01", request);
  Issue(r, "2026-01-02");

  const std::optional<RegisterEntry> found = r.Find(issued.identity.number);
  ASSERT_TRUE(found);
  EXPECT_EQ(found->details.client.name, request.details.client.name);
  EXPECT_EQ(found->details.instrument.serialNumber, request.details.instrument.serialNumber);
  EXPECT_EQ(found->details.measuredBy, request.details.measuredBy);
  EXPECT_EQ(found->details.laboratory.name, request.details.laboratory.name);
  EXPECT_EQ(r.List({.instrumentSerial = "",
                    .clientName = request.details.client.name,
                    .since = "",
                    .instrumentMake = "",
                    .instrumentModel = "",
                    .kind = std::nullopt,
                    .baseline = ""})
                .size(),
            1u);
  EXPECT_EQ(r.List().size(), 2u);
  EXPECT_TRUE(r.Verify().intact);
}

TEST_P(calibration_register, nothing_is_stored_when_the_pdf_fails) {
  CalibrationRegister r = CalibrationRegister::Open(Location());
  EXPECT_THROW(
      r.Issue(
          Request(),
          [](const CertificateIdentity&) -> std::string { throw std::runtime_error("no PDF"); },
          NoonOf("2026-01-01")),
      std::runtime_error);
  EXPECT_TRUE(r.List().empty());
  EXPECT_EQ(Issue(r, "2026-01-01").identity.number, "MEN-2026-0001");
}

INSTANTIATE_TEST_SUITE_P(backend, calibration_register,
                         ::testing::ValuesIn(test::RegisterBackends()),
                         [](const auto& info) { return info.param; });

}  // namespace
}  // namespace mensuro
