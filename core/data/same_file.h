#pragma once

// Whether a file about to be written is one that the run reads, or one that it writes already:
// a report written over the measured data, or a certificate over the published distances, loses
// what the calibration rests on.

#include <optional>
#include <string>
#include <vector>

namespace mensuro {

// A file of a run, by what it is to the run and its name (UTF-8, as given).
struct NamedFile {
  std::string role;  // "measured file", "report file", ...
  std::string name;  // empty: not given
};

// Whether the names `a` and `b` reach the same file: by file identity when both exist (links,
// "./" and a second name of the same file count), else by the absolute path they resolve to.
bool IsSameFile(const std::string& a, const std::string& b);

// The first of `inputs` that `output` is the same file as, or nothing. Files without a name
// are none.
std::optional<NamedFile> SameFileAs(const NamedFile& output, const std::vector<NamedFile>& inputs);

// Why the run must write none of `outputs`: the first that is one of `inputs` or an output
// before it, as "the report file 'x' is the measured file 'y'; nothing was written"; or the empty
// text when each may be written.
std::string OutputOverInputProblem(const std::vector<NamedFile>& outputs,
                                   const std::vector<NamedFile>& inputs);

}  // namespace mensuro
