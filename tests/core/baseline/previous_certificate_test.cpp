// The previous certificate of a baseline: each pair's expanded uncertainty from the library's
// lines in their order of precedence, or from the uncertainty given for a published file; and
// the lines that can't be compared with, named where they are.

#include "core/baseline/previous_certificate.h"

#include <gtest/gtest.h>

#include <string>

namespace mensuro {
namespace {

CollectedBaseline Library(std::string_view bytes) {
  return CollectBaseline(bytes, "Line");
}

TEST(previous_certificate, a_pairs_own_line_then_the_baselines_then_the_one_given) {
  const BaselineUncertainty given{{1.0, 10.0}, 2.0, std::nullopt};
  // The own line names the pair the other way round.
  const CollectedBaseline stated = Library(
      "1:Line\n2:A,B,100.0000\n2:A,C,300.0000\n3:uncertainty=0.3,1.5,2,inf\n"
      "3:pair-uncertainty=C,A,0.45,2.05,30\n");
  PreviousCertificateProblem problem;
  auto previous = PreviousFromLibrary(stated, given, problem);
  ASSERT_TRUE(previous) << problem.reason;
  ASSERT_EQ(previous->size(), 2u);
  EXPECT_EQ((*previous)[0].from + "-" + (*previous)[0].to, "A-B");
  EXPECT_DOUBLE_EQ((*previous)[0].distance, 100.0);
  EXPECT_NEAR((*previous)[0].expanded, 0.3e-3 + 1.5e-6 * 100.0, 1e-15);
  EXPECT_NEAR((*previous)[1].expanded, 0.45e-3, 1e-15);

  // Without the baseline's line, the uncertainty given; without that, none.
  const CollectedBaseline bare = Library("1:Line\n2:A,B,100.0000\n2:A,C,300.0000\n");
  previous = PreviousFromLibrary(bare, given, problem);
  ASSERT_TRUE(previous) << problem.reason;
  EXPECT_NEAR((*previous)[1].expanded, 1.0e-3 + 10.0e-6 * 300.0, 1e-15);
  EXPECT_FALSE(PreviousFromLibrary(bare, std::nullopt, problem));
  EXPECT_TRUE(problem.uncertaintyMissing);
  EXPECT_EQ(problem.line, 2u);
  EXPECT_EQ(problem.reason, "the library states no uncertainty of A-B");

  // A published file's pairs take the uncertainty given.
  previous = PreviousFromPublished("A,B,100\r\n\r\nB C 250.5\r\n", given, problem);
  ASSERT_TRUE(previous) << problem.reason;
  ASSERT_EQ(previous->size(), 2u);
  EXPECT_EQ((*previous)[1].from + "-" + (*previous)[1].to, "B-C");
  EXPECT_NEAR((*previous)[1].expanded, 1.0e-3 + 10.0e-6 * 250.5, 1e-15);
}

TEST(previous_certificate, lines_that_cant_be_compared_with_are_named_at_their_line) {
  const BaselineUncertainty given{{1.0, 1.0}, 2.0, std::nullopt};
  PreviousCertificateProblem problem;
  const auto refused = [&](std::string_view library) {
    problem = {};
    return !PreviousFromLibrary(Library(library), given, problem).has_value();
  };
  // A pair twice, the other way round: at the library's line of the second.
  EXPECT_TRUE(refused("1:Line\n2:A,B,100\n3:height=A,1\n2:B,A,100.0001\n"));
  EXPECT_EQ(problem.line, 4u);
  EXPECT_EQ(problem.reason, "a second distance of B-A (the first is on line 2)");
  EXPECT_TRUE(refused("1:Line\n2:A,B,0\n"));
  EXPECT_EQ(problem.line, 2u);
  EXPECT_TRUE(refused("1:Line\n3:uncertainty=0.3,1\n"));
  EXPECT_EQ(problem.reason, "no From,To,distance line: no pair to compare with");
  // The baseline's uncertainty is read only for a pair that needs it.
  EXPECT_TRUE(refused("1:Line\n2:A,B,100\n3:uncertainty=x\n"));
  EXPECT_EQ(problem.line, 3u);
  EXPECT_FALSE(refused("1:Line\n2:A,B,100\n3:uncertainty=x\n3:pair-uncertainty=A,B,0.4,2,inf\n"));
  EXPECT_TRUE(refused("1:Line\n2:A,B,100\n3:pair-uncertainty=A,B,0.4\n"));
  EXPECT_NE(problem.reason.find("line 3"), std::string::npos) << problem.reason;

  EXPECT_FALSE(PreviousFromPublished("A,B,100\nA,C\n", given, problem));
  EXPECT_EQ(problem.line, 2u);
  EXPECT_EQ(problem.reason, "\"A,C\" is not From,To,distance with a distance above 0");
}

}  // namespace
}  // namespace mensuro
