#pragma once

// Where the program finds the files it ships with: beside the executable in a build, or in
// ../share/mensuro/ of it once installed.

#include <filesystem>
#include <string_view>

namespace mensuro {

inline constexpr std::string_view kBaselineLibraryFileName = "Baselines.dat";

// The folder of the running program, as the system names it (/proc/self/exe on Linux, the
// module's file name on Windows) wherever it was started from; empty when the system can't say.
std::filesystem::path RunningProgramFolder();

// The shipped file `fileName` for the executable in `executableDir`: beside the executable when
// it is there, else in the installed layout's share folder when it is there, else the path
// beside the executable (so that a message names the place it was expected).
std::filesystem::path LocateDataFile(const std::filesystem::path& executableDir,
                                     std::string_view fileName);

// The baseline library of the executable in `executableDir`.
std::filesystem::path BaselineLibraryPath(const std::filesystem::path& executableDir);

}  // namespace mensuro
