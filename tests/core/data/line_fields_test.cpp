#include "core/data/line_fields.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace mensuro {
namespace {

std::string Tidy(std::string line) {
  TidyWhitespace(line);
  return line;
}

std::string Normalized(std::string line) {
  NormalizeSeparators(line);
  return line;
}

std::vector<std::string> Fields(const std::string& line) {
  const std::string normalized = Normalized(line);
  return {std::string(GetField(normalized, 0)), std::string(GetField(normalized, 1)),
          std::string(GetField(normalized, 2))};
}

TEST(line_fields, tidy_whitespace) {
  EXPECT_EQ(Tidy("A B  "), "A B");
  EXPECT_EQ(Tidy("\t\tA"), "A");
  EXPECT_EQ(Tidy("A\t B"), "A B");
  EXPECT_EQ(Tidy("A\t\t B"), "A\t B");  // only the tab right before the blank goes
  EXPECT_EQ(Tidy("A\tB\t"), "A\tB\t");  // trailing tabs are not blanks
  EXPECT_EQ(Tidy(" \t"), " \t");
  EXPECT_EQ(Tidy("   "), "");
}

TEST(line_fields, normalize_separators) {
  EXPECT_EQ(Normalized("A, B, 100.1234"), "A,B,100.1234");
  EXPECT_EQ(Normalized("A B 100.1234"), "A,B,100.1234");
  EXPECT_EQ(Normalized("Sta 1,Sta 2,50"), "Sta1,Sta2,50");
  EXPECT_EQ(Normalized("A  B 100"), "A,,B,100");
  EXPECT_EQ(Normalized("\tA\t B 1"), "A,B,1");
}

TEST(line_fields, a_missing_field_takes_the_last_field) {
  EXPECT_EQ(Fields("A,B,100.1234"), (std::vector<std::string>{"A", "B", "100.1234"}));
  EXPECT_EQ(Fields("A  B 100"), (std::vector<std::string>{"A", "", "B"}));
  EXPECT_EQ(Fields("A,B"), (std::vector<std::string>{"A", "B", "B"}));
  EXPECT_EQ(Fields("A"), (std::vector<std::string>{"A", "A", "A"}));
  EXPECT_EQ(Fields("A,B,100,extra"), (std::vector<std::string>{"A", "B", "100"}));
  EXPECT_EQ(Fields("A\tB\t1"), (std::vector<std::string>{"A\tB\t1", "A\tB\t1", "A\tB\t1"}));
  EXPECT_EQ(Fields(",,"), (std::vector<std::string>{"", "", ""}));
}

}  // namespace
}  // namespace mensuro
