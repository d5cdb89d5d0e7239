// The register's end: records taken from the end or an older copy put back are found by the head
// log, numbers and places that skip are named, a certificate's PDF is recognised, and a COMMIT
// that fails leaves no transaction (nor head line) behind.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "core/data/sha256.h"
#include "register/calibration_register.h"
#include "register/head_log.h"
#include "register/register_location.h"
#include "support/time_zone.h"

namespace mensuro {
namespace {

using ::testing::HasSubstr;

IssueRequest Request() {
  IssueRequest request;
  request.details.laboratory = {"Survey Lab", "1 Base Line Road", "Accredited 0001", ""};
  request.details.client = {"Geo Ltd", "2 Client Street"};
  request.details.instrument = {"Maker", "TS-10", "SN-1"};
  request.measuredText = "measured\n1 2 100.0012\n";
  request.publishedText = "published\n1 2 100.0000\n";
  request.results = {2.0, 1.5, 0.0005, 0.0008, std::nullopt};
  request.programVersion = "Mensuro 1.0.0";
  return request;
}

std::string PdfOf(const CertificateIdentity& identity) {
  return "%PDF-1.7\n" + identity.number + "\n" + identity.recordSha256 + "\n";
}

class register_chain : public test::RegisterLocationTest {
 protected:
  void SetUp() override {
    RegisterLocationTest::SetUp();
    // A PostgreSQL register's head log is named; an SQLite register's is beside it.
    headLog_ = OnSqlite() ? Location() + ".heads" : (Scratch().path() / "pg.heads").string();
  }

  CalibrationRegister Open() {
    return CalibrationRegister::Open(Location(), OnSqlite() ? std::string() : headLog_);
  }
  CalibrationRegister OpenForReading() {
    return CalibrationRegister::OpenForReading(Location(), OnSqlite() ? std::string() : headLog_);
  }
  RegisterEntry Issue(CalibrationRegister& r, const std::string& date) {
    return r.Issue(Request(), PdfOf, test::NoonOf(date));
  }
  std::vector<HeadLine> Heads() const { return ReadHeadLog(headLog_); }

  std::string headLog_;
};

TEST_P(register_chain, each_issue_appends_its_head_in_number_order) {
  CalibrationRegister r = Open();
  const RegisterEntry first = Issue(r, "2026-01-01");
  const RegisterEntry second = Issue(r, "2026-01-02");
  const std::vector<HeadLine> heads = Heads();
  ASSERT_EQ(heads.size(), 2u);
  EXPECT_EQ(heads[0].number, first.identity.number);
  EXPECT_EQ(heads[0].recordSha256, first.identity.recordSha256);
  // The link is what the next record holds as previousSha256.
  EXPECT_EQ(heads[0].link, second.previousSha256);
  EXPECT_EQ(heads[1].link, Sha256Hex(second.identity.recordSha256 + second.pdfSha256));
  EXPECT_EQ(heads[1].issuedAt, second.issuedAt);
  const HeadState head = r.Head();
  EXPECT_TRUE(head.matches());
  EXPECT_EQ(head.endNumber, second.identity.number);

  const VerifyResult verified = OpenForReading().Verify();
  EXPECT_TRUE(verified.intact) << verified.problem << verified.reason;
  EXPECT_TRUE(verified.headLogFound);
  EXPECT_EQ(verified.end, second.identity.number);
}

TEST_P(register_chain, the_newest_record_deleted_is_named_and_its_number_never_issued_again) {
  CalibrationRegister r = Open();
  Issue(r, "2026-01-01");
  const RegisterEntry newest = Issue(r, "2026-01-02");
  EditBehindTheBack("DELETE FROM calibrations WHERE id = 2");

  const VerifyResult verified = OpenForReading().Verify();
  EXPECT_FALSE(verified.intact);
  EXPECT_THAT(verified.problem,
              HasSubstr("Certificate " + newest.identity.number + " is in the head log " +
                        headLog_ + " but not in the register"));
  EXPECT_FALSE(r.Head().matches());
  try {
    Issue(r, "2026-01-03");
    ADD_FAILURE() << "issued";
  } catch (const RegisterError& error) {
    EXPECT_THAT(error.what(), HasSubstr("the register ends at certificate MEN-2026-0001 but its "
                                        "head log " +
                                        headLog_ + " at " + newest.identity.number));
    EXPECT_THAT(error.what(), HasSubstr("nothing was issued"));
    EXPECT_THAT(error.what(), HasSubstr("register verify"));
  }
  EXPECT_EQ(r.List().size(), 1u);
  EXPECT_EQ(Heads().size(), 2u);  // nothing appended
}

TEST_P(register_chain, an_older_copy_restored_beside_a_newer_head_log_is_refused) {
  const std::string copy = (Scratch().path() / "older.sqlite").string();
  {
    CalibrationRegister r = Open();
    Issue(r, "2026-01-01");
  }
  if (OnSqlite()) {
    std::filesystem::copy_file(Location(), copy);  // closed: the whole register is in the file
  }
  {
    CalibrationRegister r = Open();
    Issue(r, "2026-01-02");
  }
  if (OnSqlite()) {
    std::filesystem::copy_file(copy, Location(), std::filesystem::copy_options::overwrite_existing);
    std::filesystem::remove(Location() + "-wal");
    std::filesystem::remove(Location() + "-shm");
  } else {
    // A dump of the first record restored: the second is gone.
    EditBehindTheBack("DELETE FROM calibrations WHERE id = 2");
  }
  CalibrationRegister r = Open();
  EXPECT_THROW(Issue(r, "2026-01-03"), RegisterError);
  EXPECT_EQ(r.List().size(), 1u);
  EXPECT_FALSE(OpenForReading().Verify().intact);
}

TEST_P(register_chain, a_register_without_a_head_log_starts_it_with_its_end_once) {
  RegisterEntry first;
  {
    CalibrationRegister r = Open();
    first = Issue(r, "2026-01-01");
  }
  std::filesystem::remove(headLog_);  // as a register made before head logs
  const VerifyResult before = OpenForReading().Verify();
  EXPECT_TRUE(before.intact);
  EXPECT_FALSE(before.headLogFound);

  CalibrationRegister r = Open();
  const RegisterEntry second = Issue(r, "2026-01-02");
  const std::vector<HeadLine> heads = Heads();
  ASSERT_EQ(heads.size(), 2u);
  EXPECT_EQ(heads[0].number, first.identity.number);
  EXPECT_EQ(heads[0].issuedAt, first.issuedAt);
  EXPECT_EQ(heads[1].number, second.identity.number);
  EXPECT_TRUE(OpenForReading().Verify().intact);
}

TEST_P(register_chain, a_gap_in_a_years_numbers_is_named) {
  CalibrationRegister r = Open();
  Issue(r, "2026-01-01");
  Issue(r, "2026-01-02");
  const RegisterEntry third = Issue(r, "2026-01-03");
  EditBehindTheBack("UPDATE calibrations SET sequence = 4 WHERE id = 3");
  const VerifyResult verified = OpenForReading().Verify();
  EXPECT_FALSE(verified.intact);
  EXPECT_EQ(verified.firstBroken, third.identity.number);
  EXPECT_THAT(verified.reason, HasSubstr("its sequence number 4 does not follow 2"));
}

// An issue stopped between its head line and its commit (killed, a crash) left a line whose
// record never was: its head is still noted as pending, so its number is free again.
TEST_P(register_chain, the_line_of_an_issue_stopped_before_its_commit_is_taken_back) {
  CalibrationRegister r = Open();
  const RegisterEntry first = Issue(r, "2026-01-01");
  const HeadLine stopped{"MEN-2026-0002", std::string(64, 'a'), std::string(64, 'b'),
                         "2026-01-02T10:00:00Z"};
  MarkHeadPending(headLog_, stopped);
  AppendHeads(headLog_, {stopped});
  EXPECT_TRUE(OpenForReading().Verify().intact);

  const RegisterEntry second = Issue(r, "2026-01-02");
  EXPECT_EQ(second.identity.number, "MEN-2026-0002");
  const std::vector<HeadLine> heads = Heads();
  ASSERT_EQ(heads.size(), 2u);
  EXPECT_EQ(heads[1].recordSha256, second.identity.recordSha256);
  EXPECT_FALSE(std::filesystem::exists(PendingHeadPath(headLog_)));
  EXPECT_TRUE(OpenForReading().Verify().intact);

  // Without the note, the same line names a record removed.
  AppendHeads(headLog_, {stopped});
  EXPECT_THROW(Issue(r, "2026-01-03"), RegisterError);
  EXPECT_EQ(first.identity.number, "MEN-2026-0001");
}

TEST_P(register_chain, verify_checks_the_head_given_and_reports_progress) {
  CalibrationRegister r = Open();
  Issue(r, "2026-01-01");
  const RegisterEntry last = Issue(r, "2026-01-02");
  std::vector<std::int64_t> progress;
  const VerifyOptions byHash{.head = last.identity.recordSha256,
                             .progress = [&](std::int64_t checked, std::int64_t total) {
                               EXPECT_EQ(total, 2);
                               progress.push_back(checked);
                             }};
  EXPECT_TRUE(r.Verify(byHash).intact);
  EXPECT_EQ(progress, (std::vector<std::int64_t>{1, 2}));
  EXPECT_TRUE(r.Verify({.head = Heads().back().link, .progress = {}}).intact);

  const VerifyResult wrong = r.Verify({.head = last.previousSha256, .progress = {}});
  EXPECT_FALSE(wrong.intact);
  EXPECT_THAT(wrong.problem, HasSubstr("The register ends at certificate " + last.identity.number +
                                       " (record hash " + last.identity.recordSha256));
  EXPECT_THAT(wrong.problem, HasSubstr("not at the head " + last.previousSha256 + " given"));
}

TEST_P(register_chain, a_certificate_file_is_recognised_unchanged_and_not_otherwise) {
  CalibrationRegister r = Open();
  const RegisterEntry issued = Issue(r, "2026-01-01");
  const std::string pdf = PdfOf(issued.identity);

  const CertificateCheck held = OpenForReading().CheckCertificate(pdf);
  EXPECT_TRUE(held.held) << held.reason;
  EXPECT_EQ(held.number, issued.identity.number);
  EXPECT_EQ(held.recordSha256, issued.identity.recordSha256);
  EXPECT_EQ(held.pdfSha256, Sha256Hex(pdf));

  const CertificateCheck changed = r.CheckCertificate(pdf + " ");
  EXPECT_FALSE(changed.held);
  EXPECT_THAT(changed.reason, HasSubstr("holds no certificate whose PDF has this file's SHA-256"));

  EditBehindTheBack("UPDATE calibrations SET client_name = 'Other' WHERE id = 1");
  const CertificateCheck edited = r.CheckCertificate(pdf);
  EXPECT_FALSE(edited.held);
  EXPECT_THAT(edited.reason, HasSubstr("as certificate " + issued.identity.number +
                                       ", but the record of it has been changed"));
}

TEST_P(register_chain, reading_needs_the_programs_schema_and_creates_nothing) {
  if (OnSqlite()) {
    EXPECT_THROW(OpenForReading(), RegisterError);
    EXPECT_FALSE(std::filesystem::exists(Location()));
  }
  Open();
  EditBehindTheBack("PRAGMA user_version = 1", "UPDATE mensuro_schema_version SET version = 1");
  try {
    OpenForReading();
    ADD_FAILURE() << "opened";
  } catch (const RegisterError& error) {
    EXPECT_THAT(error.what(), HasSubstr("was written by an older version of Mensuro (schema 1; "
                                        "this version reads " +
                                        std::to_string(kRegisterSchemaVersion) + ")"));
  }
  EditBehindTheBack("PRAGMA user_version = 99", "UPDATE mensuro_schema_version SET version = 99");
  try {
    OpenForReading();
    ADD_FAILURE() << "opened";
  } catch (const RegisterError& error) {
    EXPECT_THAT(error.what(), HasSubstr("was written by a newer version of Mensuro (schema 99"));
  }
}

TEST_P(register_chain, a_postgres_register_issues_only_with_a_head_log) {
  if (OnSqlite()) {
    // An SQLite register's head log is always the file beside it.
    EXPECT_EQ(HeadLogPath(Location(), "elsewhere.heads"), Location() + ".heads");
    return;
  }
  const char* const environment = std::getenv(kHeadLogEnvironment);
  const std::string kept = environment != nullptr ? environment : "";
  test::SetEnvironment(kHeadLogEnvironment, {});
  CalibrationRegister r = CalibrationRegister::Open(Location());
  try {
    Issue(r, "2026-01-01");
    ADD_FAILURE() << "issued";
  } catch (const RegisterError& error) {
    EXPECT_THAT(error.what(), HasSubstr("a PostgreSQL register needs a head log to issue into"));
  }
  EXPECT_TRUE(r.List().empty());
  EquipmentCertificate certificate;
  certificate.number = "C-1";
  certificate.date = "2026-03-02";
  certificate.validUntil = "2027-03-01";
  try {
    r.AddEquipmentCertificate({.kind = EquipmentKind::kThermometer,
                               .make = "Calderon Instruments",
                               .model = "DT-20",
                               .serial = "T-1",
                               .certificates = {},
                               .retiredOn = {},
                               .retireReason = {}},
                              certificate, test::NoonOf("2026-03-05"));
    ADD_FAILURE() << "entered";
  } catch (const RegisterError& error) {
    EXPECT_THAT(error.what(),
                HasSubstr("a PostgreSQL register needs a head log to enter equipment into"));
  }
  EXPECT_TRUE(r.ListEquipment().empty());
  test::SetEnvironment(kHeadLogEnvironment, kept);
}

INSTANTIATE_TEST_SUITE_P(backend, register_chain, ::testing::ValuesIn(test::RegisterBackends()),
                         [](const auto& info) { return info.param; });

}  // namespace
}  // namespace mensuro
