// Certificate details: one set overridden by another, and the prism constant's text.

#include "core/certificate/certificate_details.h"

#include <gtest/gtest.h>

#include <string>

namespace mensuro {
namespace {

TEST(certificate_details, a_given_detail_overrides_and_an_empty_one_keeps) {
  CertificateDetails base;
  base.laboratory.name = "Base Lab";
  base.client.address = "1 Road\nTown";
  base.reflector.prismConstantMm = -30.0;
  base.baselineCertificate = "from the library";
  CertificateDetails given;
  given.laboratory.name = "Given Lab";
  given.instrument.serialNumber = "S-17";
  given.baselineCertificate = "from the option";

  const CertificateDetails both = OverrideDetails(base, given);
  EXPECT_EQ(both.laboratory.name, "Given Lab");
  EXPECT_EQ(both.client.address, "1 Road\nTown");
  EXPECT_EQ(both.instrument.serialNumber, "S-17");
  EXPECT_EQ(both.baselineCertificate, "from the option");
  EXPECT_EQ(both.reflector.prismConstantMm, -30.0);
  EXPECT_FALSE(HasDetails(CertificateDetails()));
  EXPECT_TRUE(HasDetails(given));

  // A prism constant of 0 is given, unlike none.
  given.reflector.prismConstantMm = 0.0;
  EXPECT_EQ(OverrideDetails(base, given).reflector.prismConstantMm, 0.0);
  CertificateDetails prismOnly;
  prismOnly.reflector.prismConstantMm = 0.0;
  EXPECT_TRUE(HasDetails(prismOnly));
}

TEST(certificate_details, prism_constant_written_shortest_and_read_whole) {
  EXPECT_EQ(PrismConstantText(-17.5), "-17.5");
  EXPECT_EQ(PrismConstantText(-34.4), "-34.4");
  EXPECT_EQ(PrismConstantText(30.0), "30");
  EXPECT_EQ(PrismConstantText(-0.0), "0");
  std::string reason;
  EXPECT_EQ(ReadPrismConstant(" -17.5 ", reason), -17.5);
  EXPECT_FALSE(ReadPrismConstant("-17,5", reason).has_value());
  EXPECT_NE(reason.find("\"-17,5\""), std::string::npos) << reason;
  EXPECT_FALSE(ReadPrismConstant("", reason).has_value());
}

}  // namespace
}  // namespace mensuro
