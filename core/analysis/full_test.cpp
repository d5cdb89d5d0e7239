#include "core/analysis/full_test.h"

#include <algorithm>
#include <boost/math/distributions/chi_squared.hpp>
#include <boost/math/distributions/students_t.hpp>
#include <cmath>
#include <cstddef>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "core/analysis/normal_equations.h"
#include "core/analysis/quantile_policy.h"
#include "core/units.h"

namespace mensuro {
namespace {

constexpr int kFewestStations = 4;

// The stations numbered as the full test numbers them: the origin first (the station of the
// longest pair whose name sorts first), the others by their distance from it, ties by name.
// Nothing when the pairs are not all pairs of at least four stations.
std::optional<std::vector<std::string>> OrderedStations(const AdjustmentTable& entries,
                                                        std::map<std::string, double>& position) {
  std::set<std::string> names;
  std::set<std::pair<std::string, std::string>> pairs;
  for (const AdjustmentEntry& entry : entries) {
    if (entry.from == entry.to) {
      return std::nullopt;
    }
    names.insert(entry.from);
    names.insert(entry.to);
    pairs.insert(std::minmax(entry.from, entry.to));
  }
  const std::size_t m = names.size();
  if (m < kFewestStations || pairs.size() != entries.size() || entries.size() != m * (m - 1) / 2) {
    return std::nullopt;
  }
  const auto longest = std::max_element(
      entries.begin(), entries.end(),
      [](const AdjustmentEntry& a, const AdjustmentEntry& b) { return a.C < b.C; });
  const std::string origin = std::min(longest->from, longest->to);
  position[origin] = 0.0;
  for (const AdjustmentEntry& entry : entries) {
    if (entry.from == origin || entry.to == origin) {
      position[entry.from == origin ? entry.to : entry.from] = entry.C;
    }
  }
  std::vector<std::string> ordered(names.begin(), names.end());
  std::stable_sort(ordered.begin(), ordered.end(), [&](const std::string& a, const std::string& b) {
    return position[a] < position[b];
  });
  // The origin stands first even if another station's distance from it reads as 0.
  std::stable_partition(ordered.begin(), ordered.end(),
                        [&](const std::string& name) { return name == origin; });
  return ordered;
}

// One pair's observation equation D_k - D_i - delta = C_ik, reduced by the approximate positions.
struct ObservationRow {
  std::vector<std::pair<std::size_t, double>> coefficients;
  double reduced = 0.0;  // observed minus computed from the approximate positions
};

// The observation equations of the pairs and their normal equations. Unknowns: the distances of
// stations 2..m from station 1, then delta; solved for the corrections to the approximate
// positions, so that the normal equations carry millimetres rather than whole distances.
struct NormalEquations {
  explicit NormalEquations(std::size_t unknowns) : normal(unknowns), rightHandSide(unknowns) {}
  SquareMatrix normal;
  std::vector<double> rightHandSide;
  std::vector<ObservationRow> rows;
};

NormalEquations FormNormalEquations(const AdjustmentTable& entries,
                                    const std::vector<std::string>& stations,
                                    std::map<std::string, double>& position) {
  const std::size_t m = stations.size();
  std::map<std::string, std::size_t> number;
  for (std::size_t i = 0; i < m; ++i) {
    number[stations[i]] = i;
  }
  const std::size_t deltaColumn = m - 1;
  NormalEquations equations(m);
  equations.rows.reserve(entries.size());
  for (const AdjustmentEntry& entry : entries) {
    std::size_t i = number[entry.from];
    std::size_t k = number[entry.to];
    if (i > k) {
      std::swap(i, k);
    }
    ObservationRow row;
    row.coefficients.emplace_back(k - 1, 1.0);
    if (i > 0) {
      row.coefficients.emplace_back(i - 1, -1.0);
    }
    row.coefficients.emplace_back(deltaColumn, -1.0);
    row.reduced = entry.C - (position[stations[k]] - position[stations[i]]);
    for (const auto& [column, a] : row.coefficients) {
      for (const auto& [other, b] : row.coefficients) {
        equations.normal(column, other) += a * b;
      }
      equations.rightHandSide[column] += a * row.reduced;
    }
    equations.rows.push_back(std::move(row));
  }
  return equations;
}

double SumOfSquaredResiduals(const std::vector<ObservationRow>& rows,
                             const std::vector<double>& solution) {
  double sumSquares = 0.0;
  for (const ObservationRow& row : rows) {
    double computed = 0.0;
    for (const auto& [column, a] : row.coefficients) {
      computed += a * solution[column];
    }
    const double residual = computed - row.reduced;
    sumSquares += residual * residual;
  }
  return sumSquares;
}

double MeanObservedDistance(const AdjustmentTable& entries) {
  double sumC = 0.0;
  for (const AdjustmentEntry& entry : entries) {
    sumC += entry.C;
  }
  return sumC / static_cast<double>(entries.size());
}

// Test A, s against the specified accuracy at the mean distance, and test C, delta against 0.
void TestAgainstLimits(FullTestResult& test, double meanDistance, double accuracyMm,
                       double accuracyPpm) {
  const double dof = test.dof;
  test.sigma = accuracyMm * kMetresPerMillimetre + accuracyPpm * kPpm * meanDistance;
  const boost::math::chi_squared_distribution<double, QuietQuantilePolicy> chiSquared(dof);
  test.limitA = test.sigma * std::sqrt(boost::math::quantile(chiSquared, 0.95) / dof);
  test.passedA = test.s <= test.limitA;
  const boost::math::students_t_distribution<double, QuietQuantilePolicy> t(dof);
  test.limitC = test.sDelta * boost::math::quantile(t, 0.975);
  test.passedC = std::fabs(test.delta) <= test.limitC;
}

}  // namespace

std::optional<FullTestResult> RunFullTest(const AdjustmentTable& entries, double accuracyMm,
                                          double accuracyPpm) {
  std::map<std::string, double> position;
  const auto stations = OrderedStations(entries, position);
  if (!stations) {
    return std::nullopt;
  }
  const std::size_t m = stations->size();
  NormalEquations equations = FormNormalEquations(entries, *stations, position);
  // Any positive pivot will do: the equations are reduced by the approximate positions.
  std::size_t failed = 0;
  const std::optional<SquareMatrix> factor = CholeskyFactor(equations.normal, failed, 0.0);
  if (!factor) {
    return std::nullopt;
  }
  const std::size_t deltaColumn = m - 1;
  const std::vector<double> solution = CholeskySolve(*factor, equations.rightHandSide);
  std::vector<double> unitDelta(m, 0.0);
  unitDelta[deltaColumn] = 1.0;
  const double qDeltaDelta = CholeskySolve(*factor, unitDelta)[deltaColumn];

  FullTestResult test;
  test.stations = static_cast<int>(m);
  test.dof = static_cast<int>(entries.size() - m);
  test.s = std::sqrt(SumOfSquaredResiduals(equations.rows, solution) / test.dof);
  test.delta = solution[deltaColumn];
  test.sDelta = test.s * std::sqrt(qDeltaDelta);
  TestAgainstLimits(test, MeanObservedDistance(entries), accuracyMm, accuracyPpm);
  return test;
}

}  // namespace mensuro
