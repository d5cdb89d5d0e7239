#include "core/baseline/previous_certificate.h"

#include <fmt/format.h>

#include <map>
#include <utility>

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
  std::size_t line = 0;  // of the published text
};

// Every pair of the published text; nothing, with the problem at the text's line, for a line
// without a distance above 0 or a pair given twice.
std::optional<std::vector<PublishedPair>> ReadPairs(std::string_view text,
                                                    PreviousCertificateProblem& problem) {
  std::vector<PublishedPair> pairs;
  std::map<PairKey, std::size_t> lineOf;
  std::string work;
  const bool read = ForEachNumberedTextLine(text, [&](std::string_view line, std::size_t number) {
    work.assign(line);
    NormalizeSeparators(work);
    PreviousDistance pair{std::string(GetField(work, 0)), std::string(GetField(work, 1)),
                          ReadNumber(GetField(work, 2)), 0.0};
    if (pair.from.empty() || pair.to.empty() || !(pair.distance > 0.0)) {
      problem = {
          fmt::format("\"{}\" is not From,To,distance with a distance above 0", VisibleText(line)),
          number};
      return false;
    }
    const auto [at, added] = lineOf.emplace(KeyOf(pair.from, pair.to), number);
    if (!added) {
      problem = {fmt::format("a second distance of {}-{} (the first is on line {})",
                             VisibleText(pair.from), VisibleText(pair.to), at->second),
                 number};
      return false;
    }
    pairs.push_back({std::move(pair), number});
    return true;
  });
  return read ? std::optional(std::move(pairs)) : std::nullopt;
}

}  // namespace

double ExpandedAt(const BaselineUncertainty& uncertainty, double distance) {
  return uncertainty.expanded.mm * 1e-3 + uncertainty.expanded.ppm * 1e-6 * distance;
}

std::optional<std::vector<PreviousDistance>> PreviousFromPublished(
    std::string_view publishedText, const BaselineUncertainty& uncertainty,
    PreviousCertificateProblem& problem) {
  std::optional<std::vector<PublishedPair>> pairs = ReadPairs(publishedText, problem);
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
  std::optional<std::vector<PublishedPair>> pairs = ReadPairs(baseline.publishedText, problem);
  if (!pairs) {
    problem.line = libraryLine(problem.line);
    return std::nullopt;
  }
  std::optional<BaselineUncertainty> stated;
  if (const std::optional<BaselineProperty> line = FindBaselineProperty(baseline, "uncertainty")) {
    std::string reason;
    stated = ParseBaselineUncertainty(line->value, reason);
    if (!stated) {
      problem = {"the baseline's uncertainty: " + reason, line->line};
      return std::nullopt;
    }
  }
  const std::optional<BaselineUncertainty>& uncertainty = stated ? stated : fallback;
  std::vector<PreviousDistance> previous;
  previous.reserve(pairs->size());
  for (PublishedPair& pair : *pairs) {
    if (!uncertainty) {
      problem = {fmt::format("the library states no uncertainty of {}-{}",
                             VisibleText(pair.distance.from), VisibleText(pair.distance.to)),
                 libraryLine(pair.line), true};
      return std::nullopt;
    }
    pair.distance.expanded = ExpandedAt(*uncertainty, pair.distance.distance);
    previous.push_back(std::move(pair.distance));
  }
  return previous;
}

}  // namespace mensuro
