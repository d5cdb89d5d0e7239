// A baseline's certificates in the register: records of their own kind and format in the one
// chain of hashes, listed, found and verified beside the instruments' and kept out of an
// instrument's history.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/data/sha256.h"
#include "register/calibration_register.h"
#include "register/record_fields.h"
#include "register/register_location.h"
#include "register/register_text.h"
#include "support/time_zone.h"

namespace mensuro {
namespace {

using test::NoonOf;
using ::testing::ElementsAre;
using ::testing::HasSubstr;

CertificateDetails Details(const std::string& serial) {
  CertificateDetails d;
  d.laboratory = {"Survey Lab", "1 Base Line Road", "Accredited 0001", ""};
  d.client = {"Shire Survey Office", "Town Hall"};
  d.instrument = {"Maker", "TS-60", serial};
  return d;
}

IssueRequest InstrumentRequest(const std::string& serial) {
  IssueRequest request;
  request.details = Details(serial);
  request.baseline = "Valley baseline";
  request.measuredText = "A,B,100.0012\n";
  request.publishedText = "A,B,100\n";
  request.results = {2.0, 1.5, 0.0005, 0.0008, std::nullopt};
  request.programVersion = "Mensuro 1.0.0";
  request.measurementDate = "2026-01-01";
  return request;
}

// A baseline's survey measured with the reference instrument of serial `serial`.
IssueRequest BaselineRequest(const std::string& serial, const std::string& name = "Valley") {
  IssueRequest request;
  request.kind = RecordKind::kBaseline;
  request.details = Details(serial);
  request.baseline = name;
  request.measuredText = "$ 2026-02-01\nP1,P2,100.0001\nP1,P3,300.0002\nP2,P3,200.0003\n";
  request.conditionsJson = R"({"referenceScale":{"ppm":1.2,"expandedPpm":0.5,"k":2}})";
  request.exclusionsJson = "[]";
  request.acceptedWarningsJson = "[]";
  request.resultsJson = R"({"distances":[]})";
  request.programVersion = "Mensuro 1.0.0";
  request.measurementDate = "2026-02-01";
  request.files = {{"measured", "survey.txt", {}, request.measuredText}};
  return request;
}

std::string PdfOf(const CertificateIdentity& identity) {
  return "%PDF-1.7\n" + identity.number + "\n" + identity.recordSha256;
}

class baseline_record : public test::RegisterLocationTest {
 protected:
  RegisterEntry Issue(CalibrationRegister& r, const IssueRequest& request, const std::string& on) {
    return r.Issue(request, PdfOf, NoonOf(on));
  }
};

std::vector<std::string> Numbers(const std::vector<RegisterEntry>& entries) {
  std::vector<std::string> numbers;
  for (const RegisterEntry& entry : entries) {
    numbers.push_back(entry.identity.number);
  }
  return numbers;
}

TEST_P(baseline_record, of_its_own_kind_and_format_in_the_same_chain_and_numbers) {
  CalibrationRegister r = CalibrationRegister::Open(Location());
  const RegisterEntry before = Issue(r, InstrumentRequest("SN-1"), "2026-03-01");
  const RegisterEntry baseline = Issue(r, BaselineRequest("REF-9"), "2026-03-02");
  const RegisterEntry after = Issue(r, InstrumentRequest("SN-1"), "2026-03-03");
  EXPECT_EQ(baseline.identity.number, "MEN-2026-0002");
  EXPECT_EQ(baseline.recordFormat, 3);
  EXPECT_EQ(before.recordFormat, 2);
  EXPECT_EQ(after.recordFormat, 2);
  EXPECT_EQ(baseline.previousSha256, Sha256Hex(before.identity.recordSha256 + before.pdfSha256));
  EXPECT_EQ(after.previousSha256, Sha256Hex(baseline.identity.recordSha256 + baseline.pdfSha256));

  // Format 3 hashes what format 2 does, in format 2's layout, and the kind after it.
  RegisterEntry asFormat2 = baseline;
  asFormat2.recordFormat = 2;
  std::string format2 = CanonicalContent(asFormat2);
  const std::string files =
      "1:18:measured10:survey.txt64:" + Sha256Hex(BaselineRequest("").measuredText);
  ASSERT_TRUE(format2.ends_with(files));
  format2.replace(format2.size() - files.size(), files.size(), "8:baseline" + files);
  format2.replace(format2.find("-2\n"), 3, "-3\n");
  EXPECT_EQ(CanonicalContent(baseline), format2);
  EXPECT_EQ(baseline.identity.recordSha256, Sha256Hex(format2));

  const std::vector<RegisterEntry> listed = r.List();
  ASSERT_EQ(listed.size(), 3u);
  EXPECT_EQ(listed[0].kind, RecordKind::kInstrument);
  EXPECT_EQ(listed[1].kind, RecordKind::kBaseline);
  EXPECT_EQ(RecordKindText(listed[1]), "baseline Valley");
  const std::optional<RegisterEntry> found = r.Find(baseline.identity.number);
  ASSERT_TRUE(found);
  EXPECT_EQ(found->kind, RecordKind::kBaseline);
  EXPECT_EQ(found->baseline, "Valley");
  EXPECT_EQ(found->measuredText, BaselineRequest("").measuredText);
  EXPECT_EQ(found->resultsJson, R"({"distances":[]})");
  EXPECT_EQ(found->files.size(), 1u);

  RegisterFilter ofValley;
  ofValley.kind = RecordKind::kBaseline;
  ofValley.baseline = "Valley";
  EXPECT_THAT(Numbers(r.List(ofValley)), ElementsAre(baseline.identity.number));
  ofValley.baseline = "Hill";
  EXPECT_TRUE(r.List(ofValley).empty());

  const VerifyResult verified = r.Verify();
  EXPECT_TRUE(verified.intact) << verified.reason << verified.problem;
  EXPECT_EQ(verified.records, 3);

  // A baseline's certificate is replaced by a baseline's, never by an instrument's.
  IssueRequest wrongKind = InstrumentRequest("REF-9");
  wrongKind.replaces = baseline.identity.number;
  wrongKind.replaceReason = "misnamed";
  try {
    Issue(r, wrongKind, "2026-03-04");
    ADD_FAILURE() << "replaced by another kind";
  } catch (const RegisterRequestError& error) {
    EXPECT_THAT(error.what(), HasSubstr("a replacement is of the same kind"));
  }
}

TEST_P(baseline_record, verify_finds_a_baseline_record_changed_or_a_kind_changed) {
  CalibrationRegister r = CalibrationRegister::Open(Location());
  const RegisterEntry instrument = Issue(r, InstrumentRequest("SN-1"), "2026-03-01");
  const RegisterEntry baseline = Issue(r, BaselineRequest("REF-9"), "2026-03-02");
  const auto brokenAt = [&r]() {
    const VerifyResult result = r.Verify();
    return result.intact ? std::string() : result.firstBroken + ": " + result.reason;
  };
  EditBehindTheBack("UPDATE calibrations SET results_json = '{}' WHERE id = 2");
  EXPECT_EQ(brokenAt(), baseline.identity.number + ": its content no longer matches its hash");
  EditBehindTheBack("UPDATE calibrations SET results_json = '{\"distances\":[]}' WHERE id = 2");
  EXPECT_EQ(brokenAt(), "");
  // The kind is hashed in a baseline's record; an instrument's format hashes none, and takes
  // none but its own.
  EditBehindTheBack("UPDATE calibrations SET kind = 'instrument' WHERE id = 2");
  EXPECT_EQ(brokenAt(), baseline.identity.number + ": its content no longer matches its hash");
  EditBehindTheBack("UPDATE calibrations SET kind = 'baseline' WHERE id = 2");
  EditBehindTheBack("UPDATE calibrations SET kind = 'baseline' WHERE id = 1");
  EXPECT_EQ(brokenAt(),
            instrument.identity.number + ": its kind no longer matches its record format");
}

TEST_P(baseline_record, an_instruments_history_and_due_date_leave_out_its_baseline_surveys) {
  CalibrationRegister r = CalibrationRegister::Open(Location());
  const RegisterEntry calibration = Issue(r, InstrumentRequest("SN-1"), "2026-03-01");
  Issue(r, BaselineRequest("SN-1"), "2026-06-01");  // the same instrument as reference
  Issue(r, BaselineRequest("REF-9"), "2026-06-02");
  const std::vector<HistoryPoint> history = r.History(Details("SN-1").instrument);
  ASSERT_EQ(history.size(), 1u);
  EXPECT_EQ(history[0].entry.identity.number, calibration.identity.number);
  EXPECT_EQ(r.InstrumentsOfSerial("SN-1").size(), 1u);
  EXPECT_TRUE(r.InstrumentsOfSerial("REF-9").empty());
  const std::vector<InstrumentDue> due = r.DueCalibrations();
  ASSERT_EQ(due.size(), 1u);
  EXPECT_EQ(due[0].lastNumber, calibration.identity.number);
}

INSTANTIATE_TEST_SUITE_P(backend, baseline_record, ::testing::ValuesIn(test::RegisterBackends()),
                         [](const auto& info) { return info.param; });

}  // namespace
}  // namespace mensuro
