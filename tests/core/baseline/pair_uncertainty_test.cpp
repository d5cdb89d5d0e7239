#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "core/baseline/baseline_library_entry.h"

namespace mensuro {
namespace {

using ::testing::HasSubstr;

TEST(pair_uncertainty, reads_names_and_numbers_with_blanks_around_them) {
  std::string reason;
  const auto pair = ParsePairUncertainty(" P1 ,P2, 0.35 ,2.1,inf", reason);
  ASSERT_TRUE(pair) << reason;
  EXPECT_EQ(pair->from, "P1");
  EXPECT_EQ(pair->to, "P2");
  EXPECT_EQ(pair->expandedMm, 0.35);
  EXPECT_EQ(pair->k, 2.1);
  EXPECT_FALSE(pair->dof);
  EXPECT_EQ(ParsePairUncertainty("A,B,1,2,12.5", reason)->dof, 12.5);
}

TEST(pair_uncertainty, refuses_each_malformed_form_with_its_reason) {
  const std::pair<const char*, const char*> cases[] = {
      {"A,B,1,2", "is not of the form From,To,U_mm,K,DOF"},
      {"A,B,1,2,3,4", "is not of the form From,To,U_mm,K,DOF"},
      {"A B 1 2 3", "is not of the form From,To,U_mm,K,DOF"},
      {",B,1,2,3", "a pillar name is empty"},
      {"A,A,1,2,3", "From and To are the same pillar, A"},
      {"A,B,x,2,3", "\"x\" is not a number (expected From,To,U_mm,K,DOF)"},
      {"A,B,0,2,3", "U_mm must be greater than 0"},
      {"A,B,inf,2,3", "U_mm must be greater than 0"},
      {"A,B,-1,2,3", "-1 is negative"},
      {"A,B,1,0,3", "the coverage factor K must be greater than 0"},
      {"A,B,1,inf,3", "the coverage factor K must be greater than 0"},
      {"A,B,1,2,0", "the degrees of freedom DOF must be greater than 0 (or inf)"},
  };
  for (const auto& [text, expected] : cases) {
    std::string reason;
    EXPECT_FALSE(ParsePairUncertainty(text, reason)) << text;
    EXPECT_THAT(reason, HasSubstr(expected)) << text;
  }
}

TEST(pair_uncertainty, gathers_the_lines_of_one_baseline_and_names_a_bad_one) {
  const std::string library =
      "1:North\n2:A,B,10\n3:uncertainty=0.3,1\n3:pair-uncertainty=A,B,0.4,2,inf\n"
      "1:South\n3:pair-uncertainty=A,B,1,2,inf\n"
      "1:North\n3:pair-uncertainty=B,A,0.5,2,30\n";
  std::string reason;
  const auto pairs = PairUncertainties(CollectBaseline(library, "North"), reason);
  ASSERT_TRUE(pairs) << reason;
  ASSERT_EQ(pairs->size(), 2u);
  EXPECT_EQ((*pairs)[0].expandedMm, 0.4);
  EXPECT_EQ((*pairs)[1].from, "B");
  EXPECT_EQ((*pairs)[1].dof, 30.0);

  EXPECT_FALSE(PairUncertainties(
      CollectBaseline(library + "3:pair-uncertainty=A,C,0.4,2\n", "North"), reason));
  EXPECT_EQ(reason,
            "line 9: the pair uncertainty \"A,C,0.4,2\" can't be read: \"A,C,0.4,2\" is not of "
            "the form From,To,U_mm,K,DOF");
}

}  // namespace
}  // namespace mensuro
