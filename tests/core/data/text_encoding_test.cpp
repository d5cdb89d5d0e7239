#include "core/data/text_encoding.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <string_view>

#include "core/data/baseline_library.h"
#include "core/data/text_file.h"
#include "support/temp_dir.h"

namespace mensuro {
namespace {

using ::testing::ElementsAre;
using namespace std::string_literals;
using test::Utf16;

// The text, or "refused: " and the reason.
std::string Text(std::string bytes) {
  std::string reason;
  const auto text = TextFileText(std::move(bytes), reason);
  return text ? *text : "refused: " + reason;
}

TEST(text_encoding, single_byte_text_passes_unchanged) {
  // NUL bytes too, even in every other byte of a line, as long as a line end breaks the pattern
  // (as the CR LF of every saved measured file does).
  for (const std::string& bytes :
       {""s, "1,2,47.6831\r\n1,3,152.4127\n"s, "A\0B,C,1.0\n"s, "caf\xE9,\xFC,1\n"s,
        "\xEF\xBB\xBF"s.substr(1), "x\r\ny\r"s, "$\0a\0a\0\r\n1,2,3\r\n"s, "\0a\0"s}) {
    EXPECT_EQ(Text(bytes), bytes);
  }
}

TEST(text_encoding, a_utf8_byte_order_mark_at_the_start_is_dropped) {
  EXPECT_EQ(Text("\xEF\xBB\xBF$07-12-2026\n1,2,3\n"), "$07-12-2026\n1,2,3\n");
  EXPECT_EQ(Text("\xEF\xBB\xBF"), "");
  EXPECT_EQ(Text("a\n\xEF\xBB\xBF"), "a\n\xEF\xBB\xBF");  // only a mark at the start
}

TEST(text_encoding, carriage_returns_end_lines_when_no_line_feed_does) {
  EXPECT_EQ(Text("$date\r1,2,3\r\r2,3,4"), "$date\n1,2,3\n\n2,3,4");
  EXPECT_EQ(Text("\xEF\xBB\xBF"
                 "a\rb\r"),
            "a\nb\n");
  // With a line feed anywhere, a lone carriage return is part of its line.
  EXPECT_EQ(Text("a\rb\nc\r\n"), "a\rb\nc\r\n");
}

TEST(text_encoding, wide_character_text_is_refused_with_a_reason) {
  const std::string reason =
      "refused: it is UTF-16 or UTF-32 text; save it as plain text (ANSI or UTF-8)";
  EXPECT_EQ(Text("\xFF\xFE" + Utf16("1,2,3\r\n", true)), reason);
  EXPECT_EQ(Text("\xFE\xFF" + Utf16("1,2,3\r\n", false)), reason);
  EXPECT_EQ(Text("\xFF\xFE"), reason);
  EXPECT_EQ(Text(Utf16("$07-12-2026\r\n", true)), reason);
  EXPECT_EQ(Text(Utf16("$07-12-2026\r\n", false)), reason);
  EXPECT_EQ(Text("\0\0\xFE\xFF"s + Utf16(Utf16("1", false), false)), reason);
  EXPECT_EQ(Text("\xFF\xFE\0\0"s + Utf16(Utf16("1", true), true)), reason);
}

TEST(text_encoding, readers_of_files_take_the_text_and_refuse_wide_files) {
  const test::TempDir dir;
  const auto library = dir.Write("Baselines.dat",
                                 "\xEF\xBB\xBF"
                                 "1:North\r2:1,2,47.6831\r");
  EXPECT_THAT(ListBaselines(library), ElementsAre("North"));
  CollectedBaseline north;
  ASSERT_EQ(LoadBaseline(library, "North", north), 0);
  EXPECT_EQ(north.publishedText, "1,2,47.6831\r\n");

  const auto wide = dir.Write("wide.dat", "\xFF\xFE" + Utf16("1:North\r\n", true));
  EXPECT_THAT(ListBaselines(wide), ElementsAre());
  CollectedBaseline untouched{"kept", 7, {}, {}};
  EXPECT_EQ(LoadBaseline(wide, "North", untouched), 1);
  EXPECT_EQ(untouched.publishedText, "kept");

  std::vector<std::string> lines{"kept"};
  std::filesystem::path widePath = wide;
  EXPECT_FALSE(CTextFile("txt").ReadLines(widePath, lines));
  EXPECT_THAT(lines, ElementsAre("kept"));
  std::string reason;
  EXPECT_FALSE(ReadTextFile(dir.path() / "absent.txt", reason));
  EXPECT_FALSE(reason.empty());
}

}  // namespace
}  // namespace mensuro
