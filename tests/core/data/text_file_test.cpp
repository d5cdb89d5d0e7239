#include "core/data/text_file.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/temp_dir.h"

namespace mensuro {
namespace {

using ::testing::ElementsAre;
using Lines = std::vector<std::string>;

TEST(text_file, splits_at_line_feeds_and_drops_the_carriage_return_before_one) {
  EXPECT_THAT(SplitFileLines("a\nb\n"), ElementsAre("a", "b"));
  EXPECT_THAT(SplitFileLines("a\r\nb\r\n"), ElementsAre("a", "b"));
  EXPECT_THAT(SplitFileLines("a\n\nb"), ElementsAre("a", "", "b"));
  EXPECT_THAT(SplitFileLines("\n"), ElementsAre(""));
  EXPECT_THAT(SplitFileLines(""), ElementsAre());
  // Only a carriage return right before a line feed ends a line; others are text.
  EXPECT_THAT(SplitFileLines("a\rb\r\r\nc\r"), ElementsAre("a\rb\r", "c\r"));
  EXPECT_THAT(SplitFileLines(std::string("x\0y\n", 4)), ElementsAre(std::string("x\0y", 3)));
}

TEST(text_file, reads_a_file_whole_without_a_length_limit) {
  const test::TempDir dir;
  const std::string longLine(20000, 'x');
  std::filesystem::path name = dir.Write("long.txt", "first\r\n" + longLine + "\r\nlast");
  Lines lines = {"left over"};
  ASSERT_TRUE(CTextFile("txt").ReadLines(name, lines));
  EXPECT_THAT(lines, ElementsAre("first", longLine, "last"));

  name = dir.Write("empty.txt", "");
  ASSERT_TRUE(CTextFile("txt").ReadLines(name, lines));
  EXPECT_THAT(lines, ElementsAre());
}

TEST(text_file, a_file_that_cannot_be_read_leaves_the_list_as_it_was) {
  const test::TempDir dir;
  std::filesystem::path missing = dir.path() / "missing.dat";
  std::filesystem::path folder = dir.path();
  Lines lines = {"kept"};
  EXPECT_FALSE(CTextFile("dat").ReadLines(missing, lines));
  EXPECT_FALSE(CTextFile("dat").ReadLines(folder, lines));
  EXPECT_THAT(lines, ElementsAre("kept"));
  EXPECT_EQ(missing, dir.path() / "missing.dat");
}

// A reader that answers its file dialog the way a test tells it to.
class ScriptedTextFile : public CTextFile {
 public:
  ScriptedTextFile(std::string extension, std::filesystem::path answer)
      : CTextFile(std::move(extension)), answer_(std::move(answer)) {}

  bool ChooseFileName(bool forSaving, std::filesystem::path& fileName) override {
    ++asked;
    askedForSaving = forSaving;
    if (answer_.empty()) {
      return false;
    }
    fileName = answer_;
    return true;
  }

  int asked = 0;
  bool askedForSaving = true;

 private:
  std::filesystem::path answer_;
};

TEST(text_file, an_empty_name_is_chosen_in_an_open_dialog_first) {
  const test::TempDir dir;
  const auto chosen = dir.Write("chosen.txt", "one\ntwo\n");
  std::filesystem::path name;
  Lines lines;
  ScriptedTextFile reader("txt", chosen);
  ASSERT_TRUE(reader.ReadLines(name, lines));
  EXPECT_EQ(reader.asked, 1);
  EXPECT_FALSE(reader.askedForSaving);
  EXPECT_EQ(name, chosen);
  EXPECT_THAT(lines, ElementsAre("one", "two"));

  // A named file needs no dialog.
  ASSERT_TRUE(reader.ReadLines(name, lines));
  EXPECT_EQ(reader.asked, 1);
}

TEST(text_file, a_cancelled_dialog_reads_nothing) {
  std::filesystem::path name;
  Lines lines = {"kept"};
  ScriptedTextFile cancelling("dat", {});
  EXPECT_FALSE(cancelling.ReadLines(name, lines));
  EXPECT_TRUE(name.empty());
  EXPECT_THAT(lines, ElementsAre("kept"));

  // Without a window the reader has nobody to ask.
  EXPECT_FALSE(CTextFile("dat").ReadLines(name, lines));
  EXPECT_THAT(lines, ElementsAre("kept"));
}

TEST(text_file, dialog_filter_offers_the_extension_then_all_files) {
  EXPECT_EQ(FileDialogFilter("txt"), "txt-files (*.txt)|*.txt|All Files (*.*)|*.*||");
  EXPECT_EQ(FileDialogFilter(""), "");
  EXPECT_EQ(CTextFile("dat").Extension(), "dat");

  const auto entries = SplitFileDialogFilter(FileDialogFilter("dat"));
  ASSERT_EQ(entries.size(), 2u);
  EXPECT_EQ(entries[0].description, "dat-files (*.dat)");
  EXPECT_EQ(entries[0].pattern, "*.dat");
  EXPECT_EQ(entries[1].description, "All Files (*.*)");
  EXPECT_EQ(entries[1].pattern, "*.*");
  EXPECT_TRUE(SplitFileDialogFilter("").empty());
  // A filter without its closing bars still gives its entries.
  const auto unclosed = SplitFileDialogFilter("Text Files (*.txt)|*.txt");
  ASSERT_EQ(unclosed.size(), 1u);
  EXPECT_EQ(unclosed[0].pattern, "*.txt");
}

}  // namespace
}  // namespace mensuro
