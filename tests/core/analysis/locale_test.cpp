// Numbers are read and written the same in every locale: a window program runs in the user's
// locale, where the decimal point may be a comma, and files must still say 3.0000.

#include <gtest/gtest.h>

#include <clocale>
#include <locale>
#include <stdexcept>
#include <string>

#include "core/data/number_text.h"
#include "core/run_project.h"

namespace mensuro {
namespace {

class comma_decimal_locale : public ::testing::Test {
 protected:
  void SetUp() override {
    saved_ = std::setlocale(LC_ALL, nullptr);
    if (std::setlocale(LC_ALL, "de_DE.UTF-8") == nullptr) {
      GTEST_SKIP() << "the locale de_DE.UTF-8 is not installed (scripts/install-deps.sh makes it)";
    }
    previousGlobal_ = std::locale::global(std::locale("de_DE.UTF-8"));
  }
  void TearDown() override {
    std::setlocale(LC_ALL, saved_.c_str());
    std::locale::global(previousGlobal_);
  }

  std::string saved_;
  std::locale previousGlobal_;
};

TEST_F(comma_decimal_locale, reads_and_writes_numbers_as_in_the_c_locale) {
  ASSERT_EQ(std::localeconv()->decimal_point, std::string(","));
  EXPECT_EQ(ReadNumber("100.1234"), 100.1234);
  EXPECT_EQ(ReadNumber("1,5"), 1.0);

  const std::string measured = "^1.5\n%2.5\n" + std::string(test::kExampleMeasured);
  const test::Outcome here = test::RunProject(measured, test::kExamplePublished);
  ASSERT_EQ(here.result, 0);
  EXPECT_NE(here.Text().find("EDM Specifications: +/- 1.5 mm + 2.5 PPM\n"), std::string::npos);

  std::setlocale(LC_ALL, "C");
  std::locale::global(std::locale::classic());
  const test::Outcome inC = test::RunProject(measured, test::kExamplePublished);
  EXPECT_EQ(here.Text(), inC.Text());
}

}  // namespace
}  // namespace mensuro
