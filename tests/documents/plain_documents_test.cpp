// What crosses the document module's plain C boundary comes back as it went: the calibration
// processed again from its plain form is the one it came from, and the certificate's details
// and the history lose nothing the documents show.

#include "documents/module/plain_documents.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

namespace mensuro::test {
namespace {

ProcessedCalibration FieldCalibration() {
  MeasurementHeader header;
  header.ppmError = 1.5;
  header.comment = "Kellerby";
  header.publishedSource = "published.txt";
  UncertaintyInputs conditions;
  conditions.baseline = BaselineUncertainty{{0.3, 1.2}, 2.0, 30.0};
  conditions.sensors = SensorUncertainty{0.2, 0.3, 2.0};
  conditions.centring = 0.1;
  conditions.acceptance = MmPlusPpm{2.0, 2.0};
  AppliedEquipment barometer{EquipmentKind::kBarometer, "Baro", "B-2", "77", {}, "due in a week"};
  barometer.certificate.number = "K-9";
  barometer.certificate.issuedBy = "Calibration Service";
  barometer.certificate.date = "2025-04-01";
  barometer.certificate.validUntil = "2026-03-31";
  barometer.certificate.correction = 2.0;
  barometer.certificate.standardUncertainty = 0.3;
  barometer.certificate.supersedes = "K-8";
  barometer.certificate.reason = "pressure mistyped";
  barometer.certificate.enteredAt = "2025-04-02T09:00:00+02:00";
  AppliedEquipment reference{EquipmentKind::kReferenceInstrument, "Geo", "R1", "5", {}, {}};
  reference.certificate.scalePpm = -1.5;
  reference.certificate.scaleUncertaintyPpm = 0.4;
  reference.certificate.constantMm = 0.2;
  reference.certificate.constantUncertaintyMm = 0.1;
  AppliedEquipment baseline{EquipmentKind::kBaseline, "SSO", "Kellerby", "KB", {}, {}};
  baseline.certificate.baselineCertificate = "SSO-118";
  baseline.certificate.baselineUncertainty = "0.3,1.5,2,inf";
  baseline.certificate.supersededBy = "SSO-119";
  conditions.equipment = {barometer, reference, baseline};
  conditions.baselinePairs = {{"A", "C", 0.5, 2.0, 12.0}, {"D", "A", 0.9, 2.5, std::nullopt}};
  ProcessedCalibration calibration =
      ProcessCalibration(header, "A,B,99.997\nA,C,299.995\nA,D,599.991\nB,C,199.998\nB,D,500.001\n",
                         "A,B,100\nA,C,300\nA,D,600\nB,C,200\nB,D,500\n", conditions,
                         {{"B", "D", 0, "knocked tripod"}});
  ReductionSummary reduction;
  reduction.observations = 5;
  reduction.carrier = EdmCarrier{0.658, ReferenceAtmosphere{12.0, 1013.25, 60.0}};
  reduction.target = PublishedDistanceKind::kMarkToMark;
  reduction.horizontalAt = 0.25;
  reduction.heightsSource = "library baseline Kellerby";
  reduction.pressure = ValueRange{1008.2, 1008.4};
  reduction.humidityFromWetBulb = true;
  calibration.origin = CalibrationOrigin::Of(PublishedDistanceKind::kMarkToMark, reduction);
  calibration.origin.fileLines = {0, 2, 3, 4, 5, 6};
  calibration.origin.files = {InputFileOf("field", "in/field.csv", "from,to,sd\n"),
                              InputFileOf("published", "published.txt", "A,B,100\n")};
  return calibration;
}

TEST(plain_documents, a_calibration_processed_again_from_its_plain_form_is_the_same) {
  const ProcessedCalibration calibration = FieldCalibration();
  ASSERT_TRUE(calibration.processed) << calibration.failure;
  const ProcessedCalibration again = CalibrationOf(PlainCalibrationOf(calibration).calibration);
  ASSERT_TRUE(again.processed) << again.failure;
  EXPECT_EQ(again.report.lines, calibration.report.lines);
  EXPECT_EQ(ExclusionsOf(again), ExclusionsOf(calibration));
  EXPECT_EQ(again.exclusions.size(), 1u);
  EXPECT_EQ(again.uncertainty.table.size(), calibration.uncertainty.table.size());
  EXPECT_EQ(again.uncertainty.conformity, calibration.uncertainty.conformity);
  // The pairs' own baseline uncertainties cross, so the budget is the same.
  ASSERT_EQ(again.conditions.baselinePairs.size(), 2u);
  const PairUncertainty& own = again.conditions.baselinePairs[1];
  EXPECT_EQ(std::tie(own.from, own.to, own.expandedMm, own.k, own.dof),
            std::make_tuple("D", "A", 0.9, 2.5, std::optional<double>()));
  EXPECT_EQ(again.conditions.baselinePairs[0].dof, 12.0);
  for (std::size_t i = 0; i < calibration.uncertainty.table.size(); ++i) {
    EXPECT_EQ(again.uncertainty.table[i].expandedUncertainty,
              calibration.uncertainty.table[i].expandedUncertainty);
  }
  EXPECT_EQ(again.conditions.baseline->dof, 30.0);
  EXPECT_EQ(again.conditions.centring, 0.1);
  EXPECT_FALSE(again.conditions.resolution);
  EXPECT_EQ(again.origin.publishedDistances, PublishedDistanceKind::kMarkToMark);
  EXPECT_EQ(again.origin.fileLines, calibration.origin.fileLines);
  // The equipment crosses whole, every figure and text of each certificate.
  const std::vector<AppliedEquipment>& equipment = calibration.conditions.equipment;
  ASSERT_EQ(again.conditions.equipment.size(), equipment.size());
  for (std::size_t i = 0; i < equipment.size(); ++i) {
    const AppliedEquipment& a = again.conditions.equipment[i];
    const AppliedEquipment& b = equipment[i];
    EXPECT_EQ(a.kind, b.kind);
    EXPECT_EQ(std::tie(a.make, a.model, a.serial, a.acceptedReason),
              std::tie(b.make, b.model, b.serial, b.acceptedReason));
    const EquipmentCertificate& c = a.certificate;
    const EquipmentCertificate& d = b.certificate;
    EXPECT_EQ(std::tie(c.number, c.issuedBy, c.date, c.validUntil, c.baselineCertificate,
                       c.baselineUncertainty, c.supersedes, c.reason, c.enteredAt, c.supersededBy),
              std::tie(d.number, d.issuedBy, d.date, d.validUntil, d.baselineCertificate,
                       d.baselineUncertainty, d.supersedes, d.reason, d.enteredAt, d.supersededBy));
    EXPECT_EQ(std::tie(c.correction, c.standardUncertainty, c.scalePpm, c.scaleUncertaintyPpm,
                       c.constantMm, c.constantUncertaintyMm),
              std::tie(d.correction, d.standardUncertainty, d.scalePpm, d.scaleUncertaintyPpm,
                       d.constantMm, d.constantUncertaintyMm));
  }
  // The files cross by role, name and hash; their bytes stay on the command line's side.
  ASSERT_EQ(again.origin.files.size(), 2u);
  for (std::size_t i = 0; i < 2; ++i) {
    EXPECT_EQ(again.origin.files[i].role, calibration.origin.files[i].role);
    EXPECT_EQ(again.origin.files[i].name, calibration.origin.files[i].name);
    EXPECT_EQ(again.origin.files[i].sha256, calibration.origin.files[i].sha256);
    EXPECT_EQ(again.origin.files[i].bytes, "");
  }
  EXPECT_EQ(again.origin.files[0].name, "field.csv");
  ASSERT_TRUE(again.origin.reduction);
  const std::vector<SummaryLine> lines = ReductionSummaryLines(*calibration.origin.reduction);
  const std::vector<SummaryLine> linesAgain = ReductionSummaryLines(*again.origin.reduction);
  ASSERT_EQ(linesAgain.size(), lines.size());
  for (std::size_t i = 0; i < lines.size(); ++i) {
    EXPECT_EQ(linesAgain[i].label, lines[i].label);
    EXPECT_EQ(linesAgain[i].value, lines[i].value);
  }
  // A calibration typed as it is: no reduction, no kind of distances.
  ProcessedCalibration typed = calibration;
  typed.origin = {};
  const ProcessedCalibration typedAgain = CalibrationOf(PlainCalibrationOf(typed).calibration);
  EXPECT_FALSE(typedAgain.origin.reduction);
  EXPECT_FALSE(typedAgain.origin.publishedDistances);
}

// The unit length and the harmonics cross, so the module's documents show the cyclic terms the
// calibration has; a calibration without them gets none.
TEST(plain_documents, the_cyclic_settings_cross_and_the_terms_are_estimated_again) {
  UncertaintyInputs conditions;
  conditions.cyclic = CyclicSettings{4.5, 1};
  const ProcessedCalibration calibration = ProcessCalibration(
      MeasurementHeader(),
      "A,B,99.9983\nA,C,201.1014\nA,D,299.9957\nA,E,402.4021\nA,F,500.3008\n"
      "A,G,603.0019\n",
      "A,B,100\nA,C,201.1\nA,D,300\nA,E,402.4\nA,F,500.3\nA,G,603\n", conditions);
  ASSERT_TRUE(calibration.cyclic && calibration.cyclic->estimable);
  const ProcessedCalibration again = CalibrationOf(PlainCalibrationOf(calibration).calibration);
  ASSERT_TRUE(again.cyclic && again.cyclic->estimable);
  EXPECT_EQ(again.cyclic->settings, calibration.cyclic->settings);
  EXPECT_EQ(again.cyclic->harmonics[0].amplitude, calibration.cyclic->harmonics[0].amplitude);
  EXPECT_EQ(again.cyclic->constant, calibration.cyclic->constant);

  const ProcessedCalibration plain = WithConditions(calibration, {});
  EXPECT_FALSE(CalibrationOf(PlainCalibrationOf(plain).calibration).cyclic);
}

TEST(plain_documents, certificate_details_and_history_cross_whole) {
  CertificateDetails details;
  details.laboratory = {"Lab", "1 Road\nTown", "No. 4", "logo.png"};
  details.client = {"Client", "2 Street"};
  details.instrument = {"Make", "Model", "SN 7"};
  details.reflector = {"Prism", "GPR1", -17.5};
  details.measuredBy = "A";
  details.checkedBy = "B";
  details.baselineCertificate = "SSO-1";
  details.procedure = "QP-7";
  details.baselineSite = "Kellerby Quarry";
  details.dueDate = "2027-03-14";
  const CertificateIdentity identity = {"MEN-2026-0007", "2026-03-14", std::string(64, 'a'),
                                        "MEN-2026-0006", "the scale was mistyped"};
  const MensuroCertificate plain = PlainCertificateOf(details, identity);
  const CertificateDetails back = DetailsOf(plain);
  EXPECT_EQ(back.laboratory.address, details.laboratory.address);
  EXPECT_EQ(back.laboratory.logoFile, details.laboratory.logoFile);
  EXPECT_EQ(back.client.address, details.client.address);
  EXPECT_EQ(back.instrument.serialNumber, details.instrument.serialNumber);
  EXPECT_EQ(back.reflector.prismConstantMm, -17.5);
  EXPECT_EQ(back.baselineCertificate, details.baselineCertificate);
  EXPECT_EQ(back.procedure, details.procedure);
  EXPECT_EQ(back.baselineSite, details.baselineSite);
  EXPECT_EQ(back.dueDate, details.dueDate);
  const CertificateIdentity identityBack = IdentityOf(plain);
  EXPECT_EQ(identityBack.number, identity.number);
  EXPECT_EQ(identityBack.recordSha256, identity.recordSha256);
  EXPECT_EQ(identityBack.replaces, identity.replaces);
  EXPECT_EQ(identityBack.replaceReason, identity.replaceReason);
  EXPECT_FALSE(DetailsOf(PlainCertificateOf({}, {})).reflector.prismConstantMm);

  std::vector<HistoryPoint> history(2);
  history[0].entry.identity.issueDate = "2025-01-02";
  history[0].entry.results = {1.5, 0.8, 0.002, 0.0004, std::nullopt};
  history[1].entry.identity.issueDate = "2026-01-02";
  history[1].entry.measurementDate = "2025-12-30";
  history[1].scaleEn = 1.4;
  const std::vector<MensuroHistoryPoint> points = PlainHistoryOf(history);
  const std::vector<HistoryPoint> historyBack = HistoryOf(points.data(), points.size());
  ASSERT_EQ(historyBack.size(), 2u);
  EXPECT_EQ(historyBack[0].entry.identity.issueDate, "2025-01-02");
  EXPECT_EQ(historyBack[0].entry.results.constantUncertaintyM, 0.0004);
  EXPECT_EQ(historyBack[0].entry.results.scalePpm, 1.5);
  EXPECT_FALSE(historyBack[0].scaleEn);
  EXPECT_EQ(historyBack[1].scaleEn, 1.4);
  EXPECT_EQ(historyBack[1].entry.measurementDate, "2025-12-30");
  EXPECT_EQ(historyBack[0].entry.measurementDate, "");
  EXPECT_FALSE(historyBack[1].constantEn);
}

}  // namespace
}  // namespace mensuro::test
