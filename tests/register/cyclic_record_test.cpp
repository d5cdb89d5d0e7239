// The cyclic error's first harmonic in the register: kept with a calibration's results in a
// record format of its own, read back, verified; records without it hash what they always did.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "core/data/sha256.h"
#include "register/calibration_register.h"
#include "register/record_fields.h"
#include "register/register_location.h"
#include "register/register_schema.h"
#include "support/time_zone.h"

namespace mensuro {
namespace {

using test::NoonOf;
using ::testing::HasSubstr;

// A significant first harmonic of 0.48 mm at 38.2 degrees on a unit length of 5 m.
constexpr RegisteredCyclic kCyclic{.unitLengthM = 5.0,
                                   .amplitudeM = 0.00048,
                                   .amplitudeStdErrorM = 0.00005,
                                   .phaseDegrees = 38.2,
                                   .significant = true};

IssueRequest Request(std::optional<RegisteredCyclic> cyclic = std::nullopt) {
  IssueRequest request;
  CertificateDetails& d = request.details;
  d.laboratory = {"Survey Lab", "1 Base Line Road", "Accredited 0001", ""};
  d.client = {"Geo Ltd", "2 Client Street"};
  d.instrument = {"Maker", "TS-10", "SN-1"};
  d.reflector = {"Maker", "Prism 1", -17.4};
  request.baseline = "Valley baseline";
  request.measuredText = "A,B,100.0012\n";
  request.publishedText = "A,B,100\n";
  request.conditionsJson = R"({"cyclic":{"unitLength":5.0}})";
  request.exclusionsJson = "[]";
  request.acceptedWarningsJson = "[]";
  request.resultsJson = R"({"scale":2.0})";
  request.results = {2.0, 1.5, 0.0005, 0.0008, cyclic};
  request.programVersion = "Mensuro 1.0.0";
  request.measurementDate = "2026-01-01";
  return request;
}

std::string PdfOf(const CertificateIdentity& identity) {
  return "%PDF-1.7\n" + identity.number + "\n" + identity.recordSha256;
}

class cyclic_record : public test::RegisterLocationTest {
 protected:
  RegisterEntry Issue(CalibrationRegister& r, const IssueRequest& request, const std::string& on) {
    return r.Issue(request, PdfOf, NoonOf(on));
  }
  // The first record that no longer matches and why; empty when the register is intact.
  std::string BrokenAt(CalibrationRegister& r) {
    const VerifyResult result = r.Verify();
    return result.intact ? std::string() : result.firstBroken + ": " + result.reason;
  }
};

void ExpectCyclic(const std::optional<RegisteredCyclic>& read, const RegisteredCyclic& issued) {
  ASSERT_TRUE(read.has_value());
  EXPECT_EQ(read->unitLengthM, issued.unitLengthM);
  EXPECT_EQ(read->amplitudeM, issued.amplitudeM);
  EXPECT_EQ(read->amplitudeStdErrorM, issued.amplitudeStdErrorM);
  EXPECT_EQ(read->phaseDegrees, issued.phaseDegrees);
  EXPECT_EQ(read->significant, issued.significant);
}

TEST_P(cyclic_record, a_record_with_cyclic_figures_reads_back_with_them_and_verifies) {
  CalibrationRegister r = CalibrationRegister::Open(Location());
  const RegisterEntry issued = Issue(r, Request(kCyclic), "2026-03-01");
  // An amplitude of 0 has no standard error, and is no significant cyclic error.
  const RegisteredCyclic none{.unitLengthM = 2.5,
                              .amplitudeM = 0.0,
                              .amplitudeStdErrorM = std::nullopt,
                              .phaseDegrees = 0.0,
                              .significant = false};
  const RegisterEntry zero = Issue(r, Request(none), "2026-04-01");
  EXPECT_EQ(issued.recordFormat, kCyclicRecordFormat);
  EXPECT_EQ(zero.recordFormat, kCyclicRecordFormat);

  const std::optional<RegisterEntry> found = r.Find(issued.identity.number);
  ASSERT_TRUE(found);
  EXPECT_EQ(found->recordFormat, kCyclicRecordFormat);
  ExpectCyclic(found->results.cyclic, kCyclic);
  // The figures follow the kind, in the order of their columns.
  EXPECT_THAT(CanonicalContent(*found), HasSubstr("10:instrument1:57:0.000485:5e-054:38.21:1"));
  const std::vector<RegisterEntry> listed = r.List();
  ASSERT_EQ(listed.size(), 2u);
  ExpectCyclic(listed[1].results.cyclic, none);
  const std::vector<HistoryPoint> history = r.History(Request().details.instrument);
  ASSERT_EQ(history.size(), 2u);
  ExpectCyclic(history[0].entry.results.cyclic, kCyclic);
  EXPECT_EQ(BrokenAt(r), "");

  // A baseline's survey certifies no instrument: it keeps its own format and no figures.
  IssueRequest survey = Request(kCyclic);
  survey.kind = RecordKind::kBaseline;
  const RegisterEntry baseline = Issue(r, survey, "2026-05-01");
  EXPECT_EQ(baseline.recordFormat, kBaselineRecordFormat);
  EXPECT_FALSE(r.Find(baseline.identity.number)->results.cyclic);
  EXPECT_EQ(BrokenAt(r), "");
}

TEST_P(cyclic_record, verify_finds_cyclic_figures_changed_or_put_on_a_record_without_them) {
  CalibrationRegister r = CalibrationRegister::Open(Location());
  const RegisterEntry plain = Issue(r, Request(), "2026-03-01");
  const RegisterEntry cyclic = Issue(r, Request(kCyclic), "2026-03-02");
  const std::string changed = cyclic.identity.number + ": its content no longer matches its hash";
  EditBehindTheBack("UPDATE calibrations SET cyclic_amplitude_m = 0.0001 WHERE id = 2");
  EXPECT_EQ(BrokenAt(r), changed);
  EditBehindTheBack("UPDATE calibrations SET cyclic_amplitude_m = 0.00048 WHERE id = 2");
  EXPECT_EQ(BrokenAt(r), "");
  EditBehindTheBack("UPDATE calibrations SET cyclic_significant = 0 WHERE id = 2");
  EXPECT_EQ(BrokenAt(r), changed);
  EditBehindTheBack("UPDATE calibrations SET cyclic_significant = 1 WHERE id = 2");
  EditBehindTheBack("UPDATE calibrations SET cyclic_amplitude_std_error_m = NULL WHERE id = 2");
  EXPECT_EQ(BrokenAt(r), changed);
  EditBehindTheBack("UPDATE calibrations SET cyclic_amplitude_std_error_m = 0.00005 WHERE id = 2");
  EXPECT_EQ(BrokenAt(r), "");
  // A record of format 2 hashes no cyclic figures and has none.
  EditBehindTheBack("UPDATE calibrations SET cyclic_phase_degrees = 10 WHERE id = 1");
  EXPECT_EQ(BrokenAt(r),
            plain.identity.number + ": its cyclic error figures no longer match its record format");
}

// Records without cyclic figures hash exactly what they hashed before the register could keep
// them: the hashes below were computed by the program of schema 5.
TEST_P(cyclic_record, records_without_cyclic_figures_keep_their_format_and_hash) {
  const test::TimeZone utc("UTC");
  CalibrationRegister r = CalibrationRegister::Open(Location());
  const RegisterEntry instrument = Issue(r, Request(), "2026-03-01");
  IssueRequest survey = Request();
  survey.kind = RecordKind::kBaseline;
  const RegisterEntry baseline = Issue(r, survey, "2026-03-02");
  EXPECT_EQ(instrument.recordFormat, 2);
  EXPECT_EQ(baseline.recordFormat, 3);
  EXPECT_EQ(instrument.identity.recordSha256,
            "4e6a44e9493b8c745a7e207777ea86c628cc6d9e44c7bcbaae7b72539d3bbfa9");
  EXPECT_EQ(baseline.identity.recordSha256,
            "cd49dcf09e14611eef34fb8395e94e363c5c17177e9cba8a03eaf10c5b5f1e92");
  EXPECT_TRUE(r.Verify().intact);
}

// Every row of `table` in `from` copied into `to`, in the columns `columns` names.
void CopyRows(Database& from, Database& to, const std::string& table, const std::string& columns) {
  const std::size_t count = static_cast<std::size_t>(std::ranges::count(columns, ',')) + 1;
  std::string marks = "?";
  for (std::size_t i = 1; i < count; ++i) {
    marks += ", ?";
  }
  for (const SqlRow& row : from.Query("SELECT " + columns + " FROM " + table)) {
    to.Query("INSERT INTO " + table + " (" + columns + ") VALUES (" + marks + ")", row);
  }
}

// A register of schema 5, as the program before the cyclic figures left it, is upgraded when a
// certificate is issued into it: its records keep their format and hash and verify, and the
// new record keeps its figures in the same chain.
TEST_P(cyclic_record, a_register_of_schema_5_is_upgraded_with_its_records_intact) {
  const std::string source = (Scratch().path() / "source.sqlite").string();
  std::vector<RegisterEntry> issued;
  {
    CalibrationRegister r = CalibrationRegister::Open(source);
    issued.push_back(Issue(r, Request(), "2026-01-01"));
    IssueRequest survey = Request();
    survey.kind = RecordKind::kBaseline;
    survey.files = {{"measured", "survey.txt", {}, "P1,P2,100.0001\n"}};
    issued.push_back(Issue(r, survey, "2026-01-02"));
  }
  {
    const std::unique_ptr<Database> from = OpenDatabase(source);
    const std::unique_ptr<Database> old = OpenDatabase(Location());
    Transaction transaction(*old, Transaction::Kind::kWrite);
    UpgradeRegisterSchema(*old, 5);
    CopyRows(*from, *old, "laboratories", "id, name, address, accreditation, logo_file");
    CopyRows(*from, *old, "clients", "id, name, address");
    CopyRows(*from, *old, "instruments", "id, serial, make, model");
    CopyRows(*from, *old, "reflectors", "id, make, model, prism_constant_mm");
    std::string columns;
    for (const SqlRow& column : from->Query("SELECT name FROM pragma_table_info('calibrations')")) {
      const std::string name = std::get<std::string>(column.at(0));
      if (!name.starts_with("cyclic_")) {
        columns += (columns.empty() ? "" : ", ") + name;
      }
    }
    CopyRows(*from, *old, "calibrations", columns);
    CopyRows(*from, *old, "calibration_files",
             "calibration_id, position, role, name, sha256, bytes");
    transaction.Commit();
    EXPECT_EQ(old->SchemaVersion(), 5);
  }

  CalibrationRegister r = CalibrationRegister::Open(Location());
  EXPECT_EQ(OpenDatabase(Location())->SchemaVersion(), 6);
  for (const RegisterEntry& entry : issued) {
    const std::optional<RegisterEntry> found = r.Find(entry.identity.number);
    ASSERT_TRUE(found);
    EXPECT_EQ(found->recordFormat, entry.recordFormat);
    EXPECT_EQ(found->identity.recordSha256, entry.identity.recordSha256);
    EXPECT_FALSE(found->results.cyclic);
  }
  EXPECT_EQ(BrokenAt(r), "");
  const RegisterEntry cyclic = Issue(r, Request(kCyclic), "2026-01-03");
  EXPECT_EQ(cyclic.recordFormat, kCyclicRecordFormat);
  ExpectCyclic(r.Find(cyclic.identity.number)->results.cyclic, kCyclic);
  EXPECT_EQ(BrokenAt(r), "");
}

INSTANTIATE_TEST_SUITE_P(backend, cyclic_record, ::testing::ValuesIn(test::RegisterBackends()),
                         [](const auto& info) { return info.param; });

}  // namespace
}  // namespace mensuro
