// The unweighted fit of mensuro-cli against the NIST StRD "Norris" linear regression data and its
// certified values.

#include <gtest/gtest.h>

#include <array>
#include <charconv>
#include <cmath>
#include <nlohmann/json.hpp>
#include <string>
#include <string_view>
#include <utility>

#include "cli/cli_run.h"

namespace mensuro::test {
namespace {

// (x, y) as published, one decimal each.
constexpr std::array<std::pair<std::string_view, std::string_view>, 36> kNorris = {{
    {"0.2", "0.1"},     {"337.4", "338.8"}, {"118.2", "118.1"}, {"884.6", "888.0"},
    {"10.1", "9.2"},    {"226.5", "228.1"}, {"666.3", "668.5"}, {"996.3", "998.5"},
    {"448.6", "449.1"}, {"777.0", "778.9"}, {"558.2", "559.2"}, {"0.4", "0.3"},
    {"0.6", "0.1"},     {"775.5", "778.1"}, {"666.9", "668.8"}, {"338.0", "339.3"},
    {"447.5", "448.9"}, {"11.6", "10.8"},   {"556.0", "557.7"}, {"228.1", "228.3"},
    {"995.8", "998.0"}, {"887.6", "888.8"}, {"120.2", "119.6"}, {"0.3", "0.3"},
    {"0.3", "0.6"},     {"556.8", "557.6"}, {"339.1", "339.3"}, {"887.2", "888.0"},
    {"999.0", "998.5"}, {"779.0", "778.9"}, {"11.1", "10.2"},   {"118.3", "117.6"},
    {"229.2", "228.9"}, {"669.1", "668.4"}, {"448.9", "449.2"}, {"0.5", "0.2"},
}};

constexpr double kB0 = -0.262323073774029;
constexpr double kB0StdDev = 0.232818234301152;
constexpr double kB1 = 1.00211681802045;
constexpr double kB1StdDev = 0.429796848199937E-03;
constexpr double kResidualStdDev = 0.884796396144373;

std::string Digits(long long value) {
  char text[24];
  return {text, std::to_chars(text, text + sizeof text, value).ptr};
}

// "337.4" as 3374.
long long Tenths(std::string_view decimal) {
  std::string digits(decimal);
  digits.erase(digits.find('.'), 1);
  long long value = 0;
  std::from_chars(digits.data(), digits.data() + digits.size(), value);
  return value;
}

// A non-negative count of ten-thousandths as a decimal with four places.
std::string FourPlaces(long long tenThousandths) {
  std::string fraction = Digits(tenThousandths % 10000);
  fraction.insert(0, 4 - fraction.size(), '0');
  return Digits(tenThousandths / 10000) + "." + fraction;
}

TEST(cli, norris_unweighted_fit_matches_the_certified_values) {
  // Pair i is N(2i+1) - N(2i+2) with P = x and C = x - y/1000, so d = P - C = y/1000 and the
  // fit of d on P has B0/1000 and B1/1000 as constant and scale.
  std::string measured;
  std::string published;
  for (std::size_t i = 0; i < kNorris.size(); ++i) {
    const auto& [x, y] = kNorris[i];
    const std::string pair = "N" + Digits(2 * i + 1) + ",N" + Digits(2 * i + 2) + ",";
    published += pair + std::string(x) + "\n";
    measured += pair + FourPlaces(Tenths(x) * 1000 - Tenths(y)) + "\n";
  }
  const TempDir dir;
  dir.Write("norris.txt", measured);
  dir.Write("norris-published.txt", published);
  const CliRun run =
      RunCli(dir, {"norris.txt", "--published", "norris-published.txt", "--format", "json"});
  ASSERT_EQ(run.exitCode, 0) << run.err << run.out;
  const auto doc = nlohmann::json::parse(run.out);
  const auto& result = doc.at("result");
  const auto& pairs = doc.at("pairs");
  ASSERT_EQ(pairs.size(), kNorris.size());
  EXPECT_EQ(result.at("degreesOfFreedom"), 34);

  double squares = 0.0;
  for (const auto& pair : pairs) {
    squares += std::pow(pair.at("r").get<double>(), 2);
  }
  const double residualStdDev = std::sqrt(squares / static_cast<double>(pairs.size() - 2));

  // P and C each carry a rounding of their decimal reading (about 1e-13 m at 1000 m), which
  // P - C keeps while d itself is only 1e-4 to 1 m: 1e-9 is what the input leaves, not what the
  // fit could reach on exact d.
  constexpr double kRelative = 1e-9;
  const std::pair<double, double> checks[] = {
      {result.at("constant").get<double>(), kB0 / 1000},
      {result.at("scale").get<double>(), kB1 / 1000},
      {result.at("constantStdError").get<double>(), kB0StdDev / 1000},
      {result.at("scaleStdError").get<double>(), kB1StdDev / 1000},
      {residualStdDev, kResidualStdDev / 1000},
  };
  for (const auto& [actual, certified] : checks) {
    EXPECT_NEAR(actual, certified, kRelative * std::abs(certified)) << "certified " << certified;
  }
}

}  // namespace
}  // namespace mensuro::test
