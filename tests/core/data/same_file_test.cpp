#include "core/data/same_file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include "core/data/file_names.h"
#include "support/temp_dir.h"

namespace mensuro {
namespace {

std::string Name(const std::filesystem::path& path) {
  return Utf8FromPath(path);
}

TEST(same_file, finds_an_input_by_identity_not_by_name) {
  const test::TempDir dir;
  const std::string measured = Name(dir.Write("data/measured.txt", "A,B,100.0\r\n"));
  const std::string published = Name(dir.Write("data/published.txt", "A,B,100.0\r\n"));
  const std::vector<NamedFile> inputs = {
      {"measured file", measured}, {"heights file", ""}, {"published file", published}};

  // The same file through a dot, a detour and a symbolic link; an empty name is no file.
  const std::string dotted = Name(dir.path() / "data" / "." / "published.txt");
  const std::string detour = Name(dir.path() / "data" / ".." / "data" / "measured.txt");
  std::error_code linked;
  std::filesystem::create_symlink(PathFromUtf8(measured), dir.path() / "link.txt", linked);
  for (const auto& [output, expected] :
       std::vector<std::pair<std::string, std::string>>{{dotted, "published file"},
                                                        {detour, "measured file"},
                                                        {Name(dir.path() / "report.rpt"), ""},
                                                        {"", ""}}) {
    const std::optional<NamedFile> same = SameFileAs({"report file", output}, inputs);
    EXPECT_EQ(same ? same->role : "", expected) << output;
  }
  if (!linked) {  // Windows may not allow links without privileges
    EXPECT_EQ(SameFileAs({"report file", Name(dir.path() / "link.txt")}, inputs)->role,
              "measured file");
  }
}

TEST(same_file, names_the_first_output_that_lands_on_an_input_or_an_earlier_output) {
  const test::TempDir dir;
  const std::string measured = Name(dir.Write("measured.txt", "A,B,100.0\r\n"));
  const std::string report = Name(dir.path() / "out.rpt");
  const std::string plot = Name(dir.path() / "out.svg");
  const std::vector<NamedFile> inputs = {{"measured file", measured}};

  EXPECT_EQ(OutputOverInputProblem({{"report file", report}, {"plot file", plot}}, inputs), "");
  EXPECT_EQ(OutputOverInputProblem({{"report file", report}, {"plot file", measured}}, inputs),
            "the plot file '" + measured + "' is the measured file '" + measured +
                "'; nothing was written");
  // Neither exists yet, and still they would be one file.
  const std::string again = Name(dir.path() / "." / "out.rpt");
  EXPECT_EQ(OutputOverInputProblem({{"report file", report}, {"certificate file", again}}, inputs),
            "the certificate file '" + again + "' is the report file '" + report +
                "'; nothing was written");
}

}  // namespace
}  // namespace mensuro
