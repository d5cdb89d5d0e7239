#include "core/baseline/previous_certificate.h"

#include <fmt/format.h>

#include <map>
#include <utility>

#include "core/baseline/baseline_library_entry.h"
#include "core/data/line_fields.h"
#include "core/data/number_text.h"
#include "core/data/text_lines.h"
#include "core/data/visible_text.h"

namespace mensuro {
namespace {

// A pair of pillars whichever way round it is named.
using PairKey = std::pair<std::string, std::string>;

PairKey KeyOf(const std::string& from, const std::string& to) {
  return from < to ? PairKey(from, to) : PairKey(to, from);
}

// A certified pair as its published line gives it, before its uncertainty is known.
struct PublishedPair {
  PreviousDistance distance;
  std::size_t line = 0;  // of the file it comes from
};

// Every pair of the published text, each at the line `lineOf` gives for its line of the text;
// nothing, with the problem at its line, for a line without a distance above 0 or a pair given
// twice, or for a text without a pair.
template <typename LineOf>
std::optional<std::vector<PublishedPair>> ReadPairs(std::string_view text, const LineOf& lineOf,
                                                    PreviousCertificateProblem& problem) {
  std::vector<PublishedPair> pairs;
  std::map<PairKey, std::size_t> firstLine;
  std::string work;
  const bool read = ForEachNumberedTextLine(text, [&](std::string_view line, std::size_t number) {
    work.assign(line);
    NormalizeSeparators(work);
    PreviousDistance pair{std::string(GetField(work, 0)), std::string(GetField(work, 1)),
                          ReadNumber(GetField(work, 2)), 0.0};
    if (pair.from.empty() || pair.to.empty() || !(pair.distance > 0.0)) {
      problem = {
          fmt::format("\"{}\" is not From,To,distance with a distance above 0", VisibleText(line)),
          lineOf(number)};
      return false;
    }
    const auto [at, added] = firstLine.emplace(KeyOf(pair.from, pair.to), lineOf(number));
    if (!added) {
      problem = {fmt::format("a second distance of {}-{} (the first is on line {})",
                             VisibleText(pair.from), VisibleText(pair.to), at->second),
                 lineOf(number)};
      return false;
    }
    pairs.push_back({std::move(pair), lineOf(number)});
    return true;
  });
  if (read && pairs.empty()) {
    problem = {"no From,To,distance line: no pair to compare with", 0};
  }
  return read && !pairs.empty() ? std::optional(std::move(pairs)) : std::nullopt;
}

}  // namespace

double ExpandedAt(const BaselineUncertainty& uncertainty, double distance) {
  return uncertainty.expanded.mm * 1e-3 + uncertainty.expanded.ppm * 1e-6 * distance;
}

std::optional<std::vector<PreviousDistance>> PreviousFromPublished(
    std::string_view publishedText, const BaselineUncertainty& uncertainty,
    PreviousCertificateProblem& problem) {
  std::optional<std::vector<PublishedPair>> pairs = ReadPairs(
      publishedText, [](std::size_t line) { return line; }, problem);
  if (!pairs) {
    return std::nullopt;
  }
  std::vector<PreviousDistance> previous;
  previous.reserve(pairs->size());
  for (PublishedPair& pair : *pairs) {
    pair.distance.expanded = ExpandedAt(uncertainty, pair.distance.distance);
    previous.push_back(std::move(pair.distance));
  }
  return previous;
}

std::optional<std::vector<PreviousDistance>> PreviousFromLibrary(
    const CollectedBaseline& baseline, const std::optional<BaselineUncertainty>& fallback,
    PreviousCertificateProblem& problem) {
  const auto libraryLine = [&baseline](std::size_t textLine) {
    return textLine >= 1 && textLine <= baseline.libraryLines.size()
               ? baseline.libraryLines[textLine - 1]
               : 0;
  };
  std::optional<std::vector<PublishedPair>> pairs =
      ReadPairs(baseline.publishedText, libraryLine, problem);
  if (!pairs) {
    return std::nullopt;
  }
  std::string reason;
  const std::optional<std::vector<PairUncertainty>> own = PairUncertainties(baseline, reason);
  if (!own) {
    problem = {reason, 0};  // the reason names the line
    return std::nullopt;
  }
  std::map<PairKey, double> ownExpanded;  // metres; a later line replaces an earlier one
  for (const PairUncertainty& pair : *own) {
    ownExpanded[KeyOf(pair.from, pair.to)] = pair.expandedMm * 1e-3;
  }
  // The baseline's own line, read only when a pair needs it.
  std::optional<BaselineUncertainty> stated;
  const std::optional<BaselineProperty> statedLine = FindBaselineProperty(baseline, "uncertainty");
  std::vector<PreviousDistance> previous;
  previous.reserve(pairs->size());
  for (PublishedPair& pair : *pairs) {
    PreviousDistance& distance = pair.distance;
    if (const auto found = ownExpanded.find(KeyOf(distance.from, distance.to));
        found != ownExpanded.end()) {
      distance.expanded = found->second;
    } else if (statedLine) {
      if (!stated && !(stated = ParseBaselineUncertainty(statedLine->value, reason))) {
        problem = {"the baseline's uncertainty: " + reason, statedLine->line};
        return std::nullopt;
      }
      distance.expanded = ExpandedAt(*stated, distance.distance);
    } else if (fallback) {
      distance.expanded = ExpandedAt(*fallback, distance.distance);
    } else {
      problem = {fmt::format("the library states no uncertainty of {}-{}",
                             VisibleText(distance.from), VisibleText(distance.to)),
                 pair.line, true};
      return std::nullopt;
    }
    previous.push_back(std::move(distance));
  }
  return previous;
}

}  // namespace mensuro
