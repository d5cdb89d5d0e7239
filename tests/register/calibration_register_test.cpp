#include "register/calibration_register.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "core/data/sha256.h"
#include "register/register_location.h"
#include "register/register_schema.h"

namespace mensuro {
namespace {

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
  request.results = {scalePpm, 1.5, constantM, 0.0008};
  request.programVersion = "Mensuro 1.0.0";
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
    return r.Issue(request, PdfOf, date);
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
      "2026-03-01");
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

  CalibrationRegister other = CalibrationRegister::Open(Location(), {.prefix = "LAB"});
  EXPECT_EQ(Issue(other, "2026-06-01").identity.number, "LAB-2026-0001");
  EXPECT_THROW(Issue(r, "2026-02-30"), RegisterError);
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
  EXPECT_THAT(numbers(r.List({.instrumentSerial = "SN-1", .clientName = "", .since = ""})),
              ::testing::ElementsAre("MEN-2026-0001", "MEN-2026-0003"));
  EXPECT_THAT(numbers(r.List({.instrumentSerial = "", .clientName = "Geo Ltd", .since = ""})),
              ::testing::ElementsAre("MEN-2026-0001", "MEN-2026-0002"));
  EXPECT_THAT(
      numbers(r.List({.instrumentSerial = "SN-1", .clientName = "", .since = "2026-02-01"})),
      ::testing::ElementsAre("MEN-2026-0003"));
  EXPECT_TRUE(r.List({.instrumentSerial = "SN-9", .clientName = "", .since = ""}).empty());
}

TEST_P(calibration_register, find_gives_the_record_as_issued_and_the_pdf_byte_for_byte) {
  CalibrationRegister r = CalibrationRegister::Open(Location());
  const IssueRequest request = Request();
  std::string pdf;
  const RegisterEntry issued = r.Issue(
      request, [&](const CertificateIdentity& identity) { return pdf = PdfOf(identity); },
      "2026-04-01");

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
  const RegisterEntry newer = Issue(r, "2026-04-02", correction);
  EXPECT_EQ(newer.identity.replaces, old.identity.number);

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

TEST_P(calibration_register, history_leaves_out_replaced_ones_and_compares_neighbours) {
  CalibrationRegister r = CalibrationRegister::Open(Location());
  // Issued out of date order; the second one is corrected by the fourth.
  Issue(r, "2026-06-01", Request("SN-1", "Geo Ltd", 0.0006, 2.5));
  const RegisterEntry wrong = Issue(r, "2025-06-01", Request("SN-1", "Geo Ltd", 0.0100, 9.0));
  Issue(r, "2026-06-01", Request("SN-2"));
  IssueRequest correction = Request("SN-1", "Geo Ltd", 0.0005, 2.0);
  correction.replaces = wrong.identity.number;
  Issue(r, "2025-06-02", correction);
  Issue(r, "2027-06-01", Request("SN-1", "Geo Ltd", 0.0040, 2.5));

  const std::vector<HistoryPoint> history = r.History("SN-1");
  ASSERT_EQ(history.size(), 3u);
  EXPECT_EQ(history[0].entry.identity.issueDate, "2025-06-02");
  EXPECT_EQ(history[1].entry.identity.issueDate, "2026-06-01");
  EXPECT_EQ(history[2].entry.identity.issueDate, "2027-06-01");
  EXPECT_FALSE(history[0].constantEn);
  // Within the uncertainty: 0.1 mm against sqrt(0.8^2 + 0.8^2) mm, 0.5 ppm against 1.5 sqrt 2.
  ASSERT_TRUE(history[1].constantEn && history[1].scaleEn);
  EXPECT_NEAR(*history[1].constantEn, 0.0001 / (0.0008 * std::sqrt(2.0)), 1e-12);
  EXPECT_NEAR(*history[1].scaleEn, 0.5 / (1.5 * std::sqrt(2.0)), 1e-12);
  // Beyond it: the constant moved by 3.4 mm.
  EXPECT_GT(*history[2].constantEn, 1.0);
  EXPECT_NEAR(*history[2].scaleEn, 0.0, 1e-12);
  EXPECT_FALSE(NormalisedError(1.0, 0.0, 2.0, 0.0));
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
  EXPECT_THAT(edited.reason, HasSubstr("content"));
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

// The canonical content of a record: `before` the moment of issue (the clock's), `after` it up
// to the link to the record before, then that link, which closes the content.
std::string Content(std::string_view before, const RegisterEntry& entry, std::string_view after) {
  return std::string(before) + entry.issuedAt + std::string(after) + entry.previousSha256;
}

// Registers already issued keep verifying: the hashed content, the PDF's hash and the link
// between records stay byte for byte what they were when those registers were written.
TEST_P(calibration_register, hashes_stay_what_issued_registers_hold) {
  CalibrationRegister r = CalibrationRegister::Open(Location());
  const auto pdfOf = [](const CertificateIdentity&) { return std::string("%PDF-1.7 golden\n"); };
  const std::string pdfSha256 = "75f33b9af86cd8ac4e55b5e3f4361d683c27436226d9891bfabfd58479f8478a";
  const RegisterEntry first = r.Issue(Request(), pdfOf, "2026-03-01");
  IssueRequest correction = Request("SN-2", "Other Ltd", 0.00125, -3.25);
  correction.details.reflector.prismConstantMm = std::nullopt;
  correction.replaces = first.identity.number;
  const RegisterEntry second = r.Issue(correction, pdfOf, "2026-03-02");

  const std::string_view sameTexts = "10:Survey Lab21:1 Base Line Road\nTown15:Accredited 00010:";
  const std::string_view sameHashes =
      "11:A. Operator10:B. Checker29:Authority, No. 12, 2025-01-0115:Valley baseline"
      "64:cbb093339db9512cf4dbe45978f4c74f4061c813223b4b940a2a3e28b74967ad"
      "64:89b18cb35cf83a79fd1baf7aca0d4d585146ba3faefc7d8482e71d834e4981c9"
      "18:{\"baseline\":\"1,2\"}2:[]2:[]13:{\"scale\":2.0}";
  EXPECT_EQ(first.previousSha256, std::string(64, '0'));
  EXPECT_EQ(first.identity.recordSha256,
            Sha256Hex(Content("mensuro-register-record-1\n13:MEN-2026-000110:2026-03-0120:", first,
                              std::string("0:") + std::string(sameTexts) +
                                  "7:Geo Ltd15:2 Client Street5:Maker5:TS-104:SN-15:Maker"
                                  "7:Prism 15:-17.4" +
                                  std::string(sameHashes) +
                                  "1:23:1.56:0.00056:0.000813:Mensuro 1.0.064:")));
  EXPECT_EQ(first.pdfSha256, pdfSha256);
  EXPECT_EQ(second.previousSha256, Sha256Hex(first.identity.recordSha256 + pdfSha256));
  EXPECT_EQ(second.identity.recordSha256,
            Sha256Hex(Content("mensuro-register-record-1\n13:MEN-2026-000210:2026-03-0220:", second,
                              std::string("13:MEN-2026-0001") + std::string(sameTexts) +
                                  "9:Other Ltd15:2 Client Street5:Maker5:TS-104:SN-25:Maker"
                                  "7:Prism 10:" +
                                  std::string(sameHashes) +
                                  "5:-3.253:1.57:0.001256:0.000813:Mensuro 1.0.064:")));
  EXPECT_EQ(second.pdfSha256, pdfSha256);
  EXPECT_EQ(first.issuedAt.size(), 20u);
  EXPECT_TRUE(first.issuedAt.starts_with("20") && first.issuedAt.ends_with("Z"));
  EXPECT_TRUE(r.Verify().intact);
}

// The rows of every table of `from`, copied as they are into `to`.
void CopyRegister(Database& from, Database& to) {
  for (const char* table :
       {"laboratories", "clients", "instruments", "reflectors", "calibrations"}) {
    for (const SqlRow& row : from.Query(std::string("SELECT * FROM ") + table + " ORDER BY id")) {
      std::string marks = "?";
      for (std::size_t i = 1; i < row.size(); ++i) {
        marks += ", ?";
      }
      to.Query(std::string("INSERT INTO ") + table + " VALUES (" + marks + ")", row);
    }
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
  return onSqlite ? "22e3970d2b03e7f132773d94ac270aefba4a94049cac5ead42eef8cbaa0184b2"
                  : "0a8c99e8d3cdb2e5b7901aaaa659fe08325517bc68de659bb44446b3f769dc29";
}

TEST_P(calibration_register, an_old_schema_is_upgraded_with_its_records_intact) {
  // A record as the first schema held it: issued elsewhere, then copied into a register made
  // with the first step alone.
  const std::string source = (Scratch().path() / "source.sqlite").string();
  RegisterEntry issued;
  {
    CalibrationRegister r = CalibrationRegister::Open(source);
    issued = Issue(r, "2026-01-01");
    Issue(r, "2026-01-02");
  }
  {
    const std::unique_ptr<Database> old = OpenDatabase(Location());
    Transaction transaction(*old, Transaction::Kind::kWrite);
    UpgradeRegisterSchema(*old, 1);
    CopyRegister(*OpenDatabase(source), *old);
    transaction.Commit();
    EXPECT_EQ(old->SchemaVersion(), 1);
  }

  CalibrationRegister r = CalibrationRegister::Open(Location());
  EXPECT_EQ(OpenDatabase(Location())->SchemaVersion(), kRegisterSchemaVersion);
  EXPECT_EQ(SchemaSha256(*OpenDatabase(Location())), MadeSchemaSha256(OnSqlite()));
  const std::optional<RegisterEntry> found = r.Find(issued.identity.number);
  ASSERT_TRUE(found);
  EXPECT_EQ(found->identity.recordSha256, issued.identity.recordSha256);
  EXPECT_EQ(r.StoredCertificatePdf(issued.identity.number), PdfOf(issued.identity));
  EXPECT_TRUE(r.Verify().intact);
  // The second step's unique index: a certificate is replaced once, by the database too.
  const std::unique_ptr<Database> database = OpenDatabase(Location());
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
    EXPECT_THAT(error.what(), HasSubstr("written by a newer version of Mensuro (schema 3; this "
                                        "version reads up to 2)"));
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
  EXPECT_EQ(r.List({.instrumentSerial = "", .clientName = request.details.client.name, .since = ""})
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
          "2026-01-01"),
      std::runtime_error);
  EXPECT_TRUE(r.List().empty());
  EXPECT_EQ(Issue(r, "2026-01-01").identity.number, "MEN-2026-0001");
}

INSTANTIATE_TEST_SUITE_P(backend, calibration_register,
                         ::testing::ValuesIn(test::RegisterBackends()),
                         [](const auto& info) { return info.param; });

}  // namespace
}  // namespace mensuro
