#pragma once

// A calibrated baseline as a group of the baseline library, and the previous certificate read
// back from one. Its pairs' own uncertainties go on "3:pair-uncertainty=" lines, which older
// readers ignore like every line they don't know.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/baseline/baseline_adjustment.h"
#include "core/baseline/baseline_comparison.h"
#include "core/data/baseline_library.h"

namespace mensuro {

// What a library entry states besides the certified distances.
struct LibraryEntryDetails {
  std::string name;         // the baseline's name, the "1:" line
  std::string certificate;  // "3:certificate=" (the number when registered); empty: no line
  // "3:height=PILLAR,H" lines, in the pillars' order; empty: none.
  std::vector<std::pair<std::string, double>> heights;
};

// Why `name` can't name a baseline in the library: empty, or holding a control character such
// as a line break, which would end its name line and start a line of its own. Empty when it can.
std::string LibraryNameProblem(std::string_view name);

// The group: "1:NAME", every pair "2:From,To,distance" (0.1 mm), "3:distances=horizontal",
// the heights, the certificate and one "3:pair-uncertainty=From,To,U_mm,K,DOF" line per pair
// (DOF "inf" for infinite), each line ending in CR LF.
std::string BaselineLibraryEntry(const LibraryEntryDetails& details,
                                 const std::vector<CertifiedDistance>& distances);

// The library's bytes with every group named `name` taken out and `entry` added at the end (a
// blank line before it); every other piece of the library (NextLibraryPiece) as it was, so every
// other baseline loads as before. A library of carriage returns alone gets CR LF line ends,
// which load the same. Nothing, with the reason, for a library that isn't single-byte text.
std::optional<std::string> LibraryWithEntry(std::string_view libraryBytes, std::string_view name,
                                            std::string_view entry, std::string& reason);

// A pair's own expanded uncertainty as a "3:pair-uncertainty=" line gives it.
struct PairUncertainty {
  std::string from;
  std::string to;
  double expandedMm = 0.0;
  double k = 2.0;
  std::optional<double> dof;  // none: infinite
};

// "From,To,U_mm,K,DOF"; nothing with the reason when the text is not of that form.
std::optional<PairUncertainty> ParsePairUncertainty(std::string_view text, std::string& reason);

// Every "3:pair-uncertainty=" line of a library baseline; nothing with the reason (naming the
// library line) when one does not read.
std::optional<std::vector<PairUncertainty>> PairUncertainties(const CollectedBaseline& baseline,
                                                              std::string& reason);

}  // namespace mensuro
