#pragma once

#include <string>
#include <vector>

namespace mensuro::cli {

// The program's arguments as UTF-8 text. Windows hands main() its arguments in the code page,
// which loses every letter outside it; its wide command line keeps them all. Elsewhere they are
// the arguments as given.
std::vector<std::string> Utf8Arguments(int argc, char** argv);

// Standard output and error written byte for byte. Windows opens them in text mode, which would
// turn every LF of a report into CR LF and every CR LF of a measured text into CR CR LF.
void WriteStandardStreamsAsBytes();

}  // namespace mensuro::cli
