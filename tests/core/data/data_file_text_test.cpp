#include "core/data/data_file_text.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "core/data/file_bytes.h"
#include "core/data/file_names.h"
#include "core/data/text_file.h"
#include "support/temp_dir.h"

namespace mensuro {
namespace {

namespace fs = std::filesystem;

TEST(loaded_file, takes_header_lines_out_and_resets_the_rest_of_the_header) {
  MeasurementHeader header;
  header.ppmError = 5.0;
  header.time = "08:00:00";
  header.comment = "old";
  header.publishedSource = "Kellerby";
  header.measuredFileName = "old.txt";
  const std::string text = SplitLoadedFile(SplitFileLines("$01-02-2015\nA,B,100.0\n^3\n"),
                                           InnerLineBreaks::kDelete, header);
  EXPECT_EQ(text, "A,B,100.0\r\n");
  EXPECT_EQ(header.date, "01-02-2015");
  EXPECT_EQ(header.constantError, 3.0);
  EXPECT_EQ(header.ppmError, 2.0);
  EXPECT_EQ(header.time, "");
  EXPECT_EQ(header.comment, "");
  EXPECT_EQ(header.edmDescription, "");
  // The names of the files are no part of the measurement.
  EXPECT_EQ(header.publishedSource, "Kellerby");
  EXPECT_EQ(header.measuredFileName, "old.txt");
}

TEST(loaded_file, gives_the_same_text_for_any_line_end_and_drops_empty_lines) {
  for (const InnerLineBreaks breaks : {InnerLineBreaks::kDelete, InnerLineBreaks::kKeep}) {
    MeasurementHeader lf, crlf;
    const std::string fromLf = SplitLoadedFile(SplitFileLines("A,B,1\n\nA,C,2"), breaks, lf);
    EXPECT_EQ(fromLf, "A,B,1\r\nA,C,2\r\n");
    EXPECT_EQ(SplitLoadedFile(SplitFileLines("A,B,1\r\n\r\nA,C,2\r\n"), breaks, crlf), fromLf);
  }
}

TEST(loaded_file, deletes_stray_line_breaks_only_from_measured_lines) {
  MeasurementHeader header;
  // A carriage return not before a line feed stays inside the line that SplitFileLines gives.
  const std::vector<std::string> lines = SplitFileLines("A,B\r,1\n\r\r\n#note\r\r\n");
  EXPECT_EQ(SplitLoadedFile(lines, InnerLineBreaks::kDelete, header), "A,B,1\r\n\r\n");
  EXPECT_EQ(header.comment, "note");
  EXPECT_EQ(SplitLoadedFile(lines, InnerLineBreaks::kKeep, header), "A,B\r,1\r\n\r\r\n");
  EXPECT_EQ(header.comment, "note\r");
}

TEST(saved_file, writes_the_six_header_lines_then_the_text) {
  MeasurementHeader header;
  header.date = "01-02-2015";
  header.time = "10:00:00";
  header.comment = "c";
  header.edmDescription = "e";
  header.constantError = 3;
  header.ppmError = 2;
  EXPECT_EQ(MeasuredFileBytes(header, "A,B,100.0\r\n"),
            "$01-02-2015\r\n!10:00:00\r\n#c\r\n@e\r\n^3.0000\r\n%2.0000\r\nA,B,100.0\r\n");
  header.constantError = -0.00005;
  header.ppmError = 1234.56789;
  EXPECT_EQ(MeasuredHeaderLines(header).substr(MeasuredHeaderLines(header).find('^')),
            "^-0.0001\r\n%1234.5679\r\n");
}

TEST(saved_file, completes_a_last_line_that_ends_in_a_lone_carriage_return) {
  EXPECT_EQ(PublishedFileBytes("A,B,1\r\n"), "A,B,1\r\n");
  EXPECT_EQ(PublishedFileBytes("A,B,1\r"), "A,B,1\r\n");
  EXPECT_EQ(PublishedFileBytes("A,B,1"), "A,B,1");
  const MeasurementHeader header;
  EXPECT_EQ(MeasuredFileBytes(header, "A,B,1\r"), MeasuredHeaderLines(header) + "A,B,1\r\n");
}

TEST(new_measurement, is_dated_now_and_keeps_the_instrument_accuracy) {
  MeasurementHeader header;
  header.comment = "old comment";
  header.edmDescription = "old EDM";
  header.constantError = 3.5;
  header.ppmError = 1.5;
  std::tm moment{};
  moment.tm_year = 2015 - 1900;
  moment.tm_mon = 2;
  moment.tm_mday = 7;
  moment.tm_hour = 9;
  moment.tm_min = 5;
  moment.tm_sec = 3;
  StartMeasuredHeader(header, moment);
  EXPECT_EQ(header.date, "07-03-2015");
  EXPECT_EQ(header.time, "09:05:03");
  EXPECT_EQ(header.comment, "");
  EXPECT_EQ(header.edmDescription, "");
  EXPECT_EQ(header.constantError, 3.5);
  EXPECT_EQ(header.ppmError, 1.5);

  StartMeasuredHeader(header, std::nullopt);
  EXPECT_EQ(header.date, "00-00-0000");
  EXPECT_EQ(header.time, "-1:-1:-1");
}

// Names in `dir` other than the ones expected: a scratch file left behind shows up here.
std::vector<std::string> Names(const fs::path& dir) {
  std::vector<std::string> names;
  for (const fs::directory_entry& entry : fs::directory_iterator(dir)) {
    names.push_back(entry.path().filename().string());
  }
  return names;
}

TEST(text_file_write, replaces_a_file_byte_for_byte_and_keeps_its_permissions) {
#ifdef _WIN32
  GTEST_SKIP() << "Windows files have no POSIX permissions";
#endif
  const test::TempDir dir;
  const fs::path target = dir.Write("distances.txt", "old contents that are longer\r\n");
  fs::permissions(target, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
  const std::string bytes("A,B,1\r\nx\0y\r", 11);
  ASSERT_EQ(WriteFileBytes(target, bytes), 0);
  EXPECT_EQ(test::ReadBytes(target), bytes);
  EXPECT_EQ(fs::status(target).permissions(),
            fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
  EXPECT_EQ(Names(dir.path()), std::vector<std::string>{"distances.txt"});
}

TEST(text_file_write, writes_through_a_symbolic_link) {
#ifdef _WIN32
  GTEST_SKIP() << "a symbolic link on Windows needs a privilege ordinary users lack";
#endif
  const test::TempDir dir;
  const fs::path real = dir.Write("real.txt", "old");
  fs::create_symlink(real, dir.path() / "link.txt");
  ASSERT_EQ(WriteFileBytes(dir.path() / "link.txt", "new"), 0);
  EXPECT_TRUE(fs::is_symlink(dir.path() / "link.txt"));
  EXPECT_EQ(test::ReadBytes(real), "new");
}

TEST(text_file_write, fails_without_harm_where_the_file_cant_be_written) {
  const test::TempDir dir;
  EXPECT_EQ(WriteFileBytes(dir.path() / "no-such-folder" / "a.txt", "x"), 1);
  EXPECT_FALSE(fs::exists(dir.path() / "no-such-folder"));
  EXPECT_EQ(WriteFileBytes("", "x"), 1);

  // A folder in the way is neither replaced nor touched.
  const fs::path folder = dir.path() / "taken.txt";
  dir.Write("taken.txt/inside.txt", "kept");
  EXPECT_EQ(WriteFileBytes(folder, "x"), 1);
  EXPECT_EQ(test::ReadBytes(folder / "inside.txt"), "kept");
  EXPECT_EQ(Names(dir.path()), std::vector<std::string>{"taken.txt"});
}

TEST(new_file, is_created_once_and_never_over_a_file_that_is_there) {
  const test::TempDir dir;
  const fs::path path = dir.path() / "scratch.tmp";
  {
    const FileHandle file = CreateNewFile(path);
    ASSERT_NE(file, nullptr);
    ASSERT_EQ(std::fwrite("new", 1, 3, file.get()), 3U);
  }
  errno = 0;
  EXPECT_EQ(CreateNewFile(path), nullptr);
  EXPECT_EQ(errno, EEXIST);
  EXPECT_EQ(test::ReadBytes(path), "new");
}

// A name with letters outside ASCII, given as the command line gives it (UTF-8), reaches the
// same file for writing, reading and listing; on Windows this takes the wide-character calls.
TEST(file_names, outside_ascii_are_written_read_and_named_as_given) {
  const test::TempDir dir;
  const std::string name =
      "Pr\xC3\xBC"
      "fstrecke \xC3\x98resund \xE2\x80\x93 Messung.txt";
  const fs::path path = dir.path() / PathFromUtf8(name);
  ASSERT_EQ(WriteFileBytes(path, "A,B,1\r\n"), 0);
  std::string reason;
  EXPECT_EQ(ReadFileBytes(path, reason), std::optional<std::string>("A,B,1\r\n"));
  ASSERT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator{}), 1);
  EXPECT_EQ(Utf8FromPath(fs::directory_iterator(dir.path())->path().filename()), name);
  EXPECT_EQ(Utf8FromPath(PathFromUtf8(name)), name);
}

}  // namespace
}  // namespace mensuro
