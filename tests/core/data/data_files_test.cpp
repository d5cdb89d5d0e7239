#include "core/data/data_files.h"

#include <gtest/gtest.h>

#include "support/temp_dir.h"

namespace mensuro {
namespace {

// A build keeps the library beside the program; an installation keeps it in ../share/mensuro/.
TEST(data_files, the_library_is_found_beside_the_program_then_in_the_installed_layout) {
  const test::TempDir dir;
  const auto bin = dir.path() / "bin";
  std::filesystem::create_directories(bin);
  // Neither there: the place beside the program, for a message to name.
  EXPECT_EQ(BaselineLibraryPath(bin), bin / "Baselines.dat");

  const auto installed = dir.Write("share/mensuro/Baselines.dat", "1:Installed\n");
  EXPECT_EQ(BaselineLibraryPath(bin), installed);

  const auto beside = dir.Write("bin/Baselines.dat", "1:Built\n");
  EXPECT_EQ(BaselineLibraryPath(bin), beside);

  EXPECT_EQ(LocateDataFile(bin, "MensuroHelp.pdf"), bin / "MensuroHelp.pdf");
}

}  // namespace
}  // namespace mensuro
