#include "core/processing/identity_check.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace mensuro {
namespace {

using ::testing::ElementsAre;

TEST(identity_check, names_every_part_missing_in_order) {
  ProcessedCalibration calibration;
  EXPECT_THAT(MissingIdentity({}, calibration),
              ElementsAre(IdentityPart::kLaboratoryName, IdentityPart::kClientName,
                          IdentityPart::kInstrumentMake, IdentityPart::kInstrumentModel,
                          IdentityPart::kInstrumentSerial, IdentityPart::kMeasurementDate,
                          IdentityPart::kBaseline, IdentityPart::kBaselineUncertainty));

  CertificateDetails details;
  details.laboratory.name = "Survey Lab";
  details.client.name = "Geo Ltd";
  details.instrument = {"Maker", "TS-10", "SN-1"};
  calibration.header.date = "05-12-2026";
  calibration.header.publishedSource = "Valley baseline";
  calibration.conditions.baseline = BaselineUncertainty{};
  EXPECT_TRUE(MissingIdentity(details, calibration).empty());
  EXPECT_EQ(MeasurementDateOf(calibration), "2026-12-05");

  // A date the calendar lacks is no date; an instrument without its model is not named.
  calibration.header.date = "31-11-2026";
  details.instrument.model.clear();
  EXPECT_THAT(MissingIdentity(details, calibration),
              ElementsAre(IdentityPart::kInstrumentModel, IdentityPart::kMeasurementDate));
  EXPECT_EQ(MissingIdentityText(MissingIdentity(details, calibration),
                                [](IdentityPart part) {
                                  return part == IdentityPart::kInstrumentModel ? "--model" : "";
                                }),
            "the instrument's model (--model), the date of measurement");
}

}  // namespace
}  // namespace mensuro
