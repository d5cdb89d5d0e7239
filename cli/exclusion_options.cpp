#include "cli/exclusion_options.h"

#include <fmt/format.h>
#include <algorithm>
#include <charconv>
#include <utility>

#include "core/data/number_text.h"

namespace mensuro::cli {
namespace {

// The text before the first colon, and the reason after it.
std::pair<std::string_view, std::string> SplitReason(std::string_view value) {
  const std::size_t colon = value.find(':');
  if (colon == std::string_view::npos) {
    return {value, {}};
  }
  return {value.substr(0, colon), std::string(value.substr(colon + 1))};
}

bool Matches(std::string_view measuredText, const Exclusion& exclusion) {
  return !ApplyExclusions(measuredText, {exclusion}).front().lines.empty();
}

// The pair FROM-TO names, split at the one hyphen whose two sides name a measured pair.
std::optional<Exclusion> PairExclusion(std::string_view value, std::string_view measuredText,
                                       std::string& problem) {
  auto [names, reason] = SplitReason(value);
  std::vector<Exclusion> found;
  for (std::size_t hyphen = names.find('-'); hyphen != std::string_view::npos;
       hyphen = names.find('-', hyphen + 1)) {
    Exclusion candidate{std::string(names.substr(0, hyphen)), std::string(names.substr(hyphen + 1)),
                        0, reason};
    if (Matches(measuredText, candidate)) {
      found.push_back(std::move(candidate));
    }
  }
  if (found.size() == 1) {
    return std::move(found.front());
  }
  if (names.find('-') == std::string_view::npos) {
    problem = fmt::format("--exclude {}: give the pair as FROM-TO", value);
  } else if (found.empty()) {
    problem = fmt::format("--exclude {}: no observation of that pair in the measured file", value);
  } else {
    problem = fmt::format(
        "--exclude {}: the names can be read as {} and as {}; give the line "
        "with --exclude-line instead",
        value, DescribeExclusion(found[0]), DescribeExclusion(found[1]));
  }
  return std::nullopt;
}

// The line of the measured text that holds line `fileLine` of the file; 0 when none does.
std::size_t TextLine(std::size_t fileLine, const std::vector<std::size_t>& fileLines) {
  if (fileLines.empty()) {
    return fileLine;
  }
  const auto found = std::find(fileLines.begin(), fileLines.end(), fileLine);
  return found == fileLines.end() ? 0 : static_cast<std::size_t>(found - fileLines.begin()) + 1;
}

std::optional<Exclusion> LineExclusion(std::string_view value, std::string_view measuredText,
                                       const std::vector<std::size_t>& fileLines,
                                       std::string& problem) {
  auto [number, reason] = SplitReason(value);
  std::size_t line = 0;
  const auto [end, error] = std::from_chars(number.data(), number.data() + number.size(), line);
  if (error != std::errc() || end != number.data() + number.size() || line == 0) {
    problem = fmt::format("--exclude-line {}: give a line number from 1", value);
    return std::nullopt;
  }
  Exclusion exclusion{{}, {}, TextLine(line, fileLines), std::move(reason)};
  if (exclusion.line == 0 || !Matches(measuredText, exclusion)) {
    problem = fmt::format("--exclude-line {}: line {} of the measured file holds no observation",
                          value, line);
    return std::nullopt;
  }
  return exclusion;
}

}  // namespace

std::string UnexplainedExclusionProblem(const ExclusionOptions& options) {
  const auto unexplained = [](std::string_view option, const std::vector<std::string>& values) {
    for (const std::string& value : values) {
      if (auto [left, reason] = SplitReason(value); TrimBlanks(reason).empty()) {
        return fmt::format(
            "{} {}: no reason given, and a certificate states why each observation was left "
            "out (give it as {}:REASON)",
            option, left, left);
      }
    }
    return std::string();
  };
  std::string problem = unexplained("--exclude", options.pairs);
  return problem.empty() ? unexplained("--exclude-line", options.lines) : problem;
}

std::optional<std::vector<Exclusion>> ResolveExclusions(const ExclusionOptions& options,
                                                        std::string_view measuredText,
                                                        const std::vector<std::size_t>& fileLines,
                                                        std::string& problem) {
  std::vector<Exclusion> exclusions;
  for (const std::string& value : options.pairs) {
    std::optional<Exclusion> exclusion = PairExclusion(value, measuredText, problem);
    if (!exclusion) {
      return std::nullopt;
    }
    exclusions.push_back(std::move(*exclusion));
  }
  for (const std::string& value : options.lines) {
    std::optional<Exclusion> exclusion = LineExclusion(value, measuredText, fileLines, problem);
    if (!exclusion) {
      return std::nullopt;
    }
    exclusions.push_back(std::move(*exclusion));
  }
  return exclusions;
}

}  // namespace mensuro::cli
