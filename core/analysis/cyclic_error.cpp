#include "core/analysis/cyclic_error.h"

#include <fmt/format.h>

#include <algorithm>
#include <boost/math/distributions/fisher_f.hpp>
#include <cmath>
#include <cstddef>
#include <limits>
#include <numbers>
#include <utility>

#include "core/analysis/quantile_policy.h"

namespace mensuro {

namespace {

using Column = std::vector<double>;

// A least-squares solution of X·β ≈ y: the parameters, the residual sum of squares, the
// condition number of X and (XᵀX)⁻¹.
struct LeastSquares {
  std::vector<double> parameters;
  double rss = 0.0;
  double condition = std::numeric_limits<double>::infinity();
  std::vector<std::vector<double>> cofactors;
};

double Dot(const Column& a, const Column& b) {
  double sum = 0.0;
  for (std::size_t i = 0; i < a.size(); ++i) {
    sum += a[i] * b[i];
  }
  return sum;
}

// Rotates columns i and j of `columns` by the angle with cosine c and sine s.
void Rotate(std::vector<Column>& columns, std::size_t i, std::size_t j, double c, double s) {
  for (std::size_t k = 0; k < columns[i].size(); ++k) {
    const double a = columns[i][k];
    const double b = columns[j][k];
    columns[i][k] = c * a - s * b;
    columns[j][k] = s * a + c * b;
  }
}

// Solves by the singular value decomposition of X (one-sided Jacobi, which orthogonalises the
// columns of X by plane rotations): it finds the condition number of X itself, where the normal
// equations would square it and lose half the digits. `columns` are the columns of X.
LeastSquares SolveLeastSquares(std::vector<Column> columns, const Column& y) {
  const std::size_t p = columns.size();
  std::vector<Column> v(p, Column(p, 0.0));  // the columns of V
  for (std::size_t k = 0; k < p; ++k) {
    v[k][k] = 1.0;
  }
  constexpr int kMaxSweeps = 60;
  const double tolerance = std::numeric_limits<double>::epsilon();
  for (int sweep = 0; sweep < kMaxSweeps; ++sweep) {
    bool rotated = false;
    for (std::size_t i = 0; i + 1 < p; ++i) {
      for (std::size_t j = i + 1; j < p; ++j) {
        const double alpha = Dot(columns[i], columns[i]);
        const double beta = Dot(columns[j], columns[j]);
        const double gamma = Dot(columns[i], columns[j]);
        if (gamma == 0.0 || std::abs(gamma) <= tolerance * std::sqrt(alpha * beta)) {
          continue;
        }
        rotated = true;
        const double zeta = (beta - alpha) / (2.0 * gamma);
        const double t = std::copysign(1.0, zeta) / (std::abs(zeta) + std::sqrt(1.0 + zeta * zeta));
        const double c = 1.0 / std::sqrt(1.0 + t * t);
        Rotate(columns, i, j, c, c * t);
        Rotate(v, i, j, c, c * t);
      }
    }
    if (!rotated) {
      break;
    }
  }
  // Now X·V = U·Σ: each rotated column is σ_k·u_k.
  std::vector<double> sigma(p);
  for (std::size_t k = 0; k < p; ++k) {
    sigma[k] = std::sqrt(Dot(columns[k], columns[k]));
  }
  LeastSquares solution;
  const auto [smallest, largest] = std::minmax_element(sigma.begin(), sigma.end());
  if (p == 0 || !(*smallest > 0.0) || !std::isfinite(*largest)) {
    return solution;
  }
  solution.condition = *largest / *smallest;
  solution.parameters.assign(p, 0.0);
  solution.cofactors.assign(p, std::vector<double>(p, 0.0));
  for (std::size_t k = 0; k < p; ++k) {
    const double weight = Dot(columns[k], y) / (sigma[k] * sigma[k]);  // (u_k·y) / σ_k
    for (std::size_t a = 0; a < p; ++a) {
      solution.parameters[a] += v[k][a] * weight;
      for (std::size_t b = 0; b < p; ++b) {
        solution.cofactors[a][b] += v[k][a] * v[k][b] / (sigma[k] * sigma[k]);
      }
    }
  }
  return solution;
}

// Σ (y − X·β)², with X given by its columns.
double ResidualSumOfSquares(const std::vector<Column>& columns, const std::vector<double>& beta,
                            const Column& y) {
  double rss = 0.0;
  for (std::size_t i = 0; i < y.size(); ++i) {
    double fitted = 0.0;
    for (std::size_t k = 0; k < columns.size(); ++k) {
      fitted += columns[k][i] * beta[k];
    }
    rss += (y[i] - fitted) * (y[i] - fitted);
  }
  return rss;
}

// The columns of the joint model: 1, P, then sin and cos of each harmonic at D/U.
std::vector<Column> DesignColumns(const AdjustmentTable& entries,
                                  const std::vector<double>& fractions, int harmonics) {
  std::vector<Column> columns(2 + 2 * static_cast<std::size_t>(harmonics), Column(entries.size()));
  for (std::size_t j = 0; j < entries.size(); ++j) {
    columns[0][j] = 1.0;
    columns[1][j] = entries[j].P;
    for (int h = 1; h <= harmonics; ++h) {
      const double angle = 2.0 * std::numbers::pi * h * fractions[j];
      columns[2 * h][j] = std::sin(angle);
      columns[2 * h + 1][j] = std::cos(angle);
    }
  }
  return columns;
}

// The angle atan2(y, x) in degrees, in (−180, 180].
double PhaseDegrees(double y, double x) {
  const double degrees = std::atan2(y, x) * 180.0 / std::numbers::pi;
  return degrees <= -180.0 ? degrees + 360.0 : degrees;
}

std::string FractionList(const std::vector<double>& fractions) {
  std::string list;
  for (const double fraction : fractions) {
    // Just below a whole unit length is just above 0 on the cycle: 0.9996 reads as 0.000.
    const double rounded = std::round(fraction * 1000.0);
    list += fmt::format("{}{:.3f}", list.empty() ? "" : ", ",
                        rounded >= 1000.0 ? 0.0 : rounded / 1000.0);
  }
  return list;
}

}  // namespace

double UnitFraction(double distance, double unitLength) {
  const double cycles = distance / unitLength;
  const double fraction = cycles - std::floor(cycles);
  return fraction < 1.0 ? fraction : 0.0;  // a tiny negative cycle count rounds up to 1
}

double CyclicTermAt(const CyclicAnalysis& analysis, double fraction) {
  double term = 0.0;
  for (const CyclicHarmonic& harmonic : analysis.harmonics) {
    const double angle = 2.0 * std::numbers::pi * harmonic.order * fraction;
    term += harmonic.sine * std::sin(angle) + harmonic.cosine * std::cos(angle);
  }
  return term;
}

CyclicAnalysis EstimateCyclicError(const AdjustmentTable& entries, const CyclicSettings& settings) {
  CyclicAnalysis analysis;
  analysis.settings = settings;
  if (!(settings.unitLength > 0.0) || !std::isfinite(settings.unitLength)) {
    analysis.reason = "the unit length must be a number of metres above 0";
    return analysis;
  }
  if (settings.harmonics < 1 || settings.harmonics > kMaxCyclicHarmonics) {
    analysis.reason = "the cyclic error takes 1 or 2 harmonics";
    return analysis;
  }
  const int pairs = static_cast<int>(entries.size());
  const int parameters = 2 + 2 * settings.harmonics;
  if (pairs - parameters < 1) {
    analysis.reason = fmt::format(
        "the cyclic error with {} harmonic{} needs at least {} station pairs; the fit has {}",
        settings.harmonics, settings.harmonics == 1 ? "" : "s", parameters + 1, pairs);
    return analysis;
  }
  for (const AdjustmentEntry& entry : entries) {
    analysis.fractions.push_back(UnitFraction(entry.C, settings.unitLength));
  }
  const std::vector<Column> columns =
      DesignColumns(entries, analysis.fractions, settings.harmonics);
  Column y(entries.size());
  std::transform(entries.begin(), entries.end(), y.begin(),
                 [](const AdjustmentEntry& entry) { return entry.d; });
  const LeastSquares joint = SolveLeastSquares(columns, y);
  if (!(joint.condition <= kCyclicConditionLimit)) {
    analysis.reason = fmt::format(
        "the design is singular or nearly so (condition number {}): the baseline's distances "
        "can't separate the cyclic error from the constant and scale at the fractional parts "
        "of D/U {}",
        std::isfinite(joint.condition) ? fmt::format("{:.3g}", joint.condition) : "infinite",
        FractionList(analysis.fractions));
    analysis.fractions.clear();
    return analysis;
  }

  const int dof = pairs - parameters;
  const double rss = ResidualSumOfSquares(columns, joint.parameters, y);
  const double variance = rss / dof;
  const auto stdError = [&](std::size_t k) { return std::sqrt(variance * joint.cofactors[k][k]); };
  analysis.estimable = true;
  analysis.degreesOfFreedom = dof;
  analysis.s0 = std::sqrt(variance);
  analysis.constant = joint.parameters[0];
  analysis.constantStdError = stdError(0);
  analysis.scale = joint.parameters[1];
  analysis.scaleStdError = stdError(1);

  const std::size_t p = columns.size();
  analysis.correlations.assign(p, std::vector<double>(p, 0.0));
  for (std::size_t a = 0; a < p; ++a) {
    for (std::size_t b = 0; b < p; ++b) {
      analysis.correlations[a][b] =
          joint.cofactors[a][b] / std::sqrt(joint.cofactors[a][a] * joint.cofactors[b][b]);
    }
  }
  for (std::size_t a = 2; a < p; ++a) {
    analysis.maxCorrelation =
        std::max({analysis.maxCorrelation, std::abs(analysis.correlations[a][0]),
                  std::abs(analysis.correlations[a][1])});
  }

  const boost::math::fisher_f_distribution<double, QuietQuantilePolicy> fisher(2.0, dof);
  const double critical = boost::math::quantile(fisher, 1.0 - kCyclicTestLevel);
  for (int h = 1; h <= settings.harmonics; ++h) {
    const std::size_t is = 2 * static_cast<std::size_t>(h);
    const std::size_t ic = is + 1;
    CyclicHarmonic harmonic;
    harmonic.order = h;
    harmonic.sine = joint.parameters[is];
    harmonic.cosine = joint.parameters[ic];
    harmonic.sineStdError = stdError(is);
    harmonic.cosineStdError = stdError(ic);
    const double A = harmonic.sine;
    const double B = harmonic.cosine;
    harmonic.amplitude = std::hypot(A, B);
    harmonic.phaseDegrees = PhaseDegrees(B, A);
    if (harmonic.amplitude > 0.0) {
      const double a2 = harmonic.amplitude * harmonic.amplitude;
      const double vAA = variance * joint.cofactors[is][is];
      const double vBB = variance * joint.cofactors[ic][ic];
      const double vAB = variance * joint.cofactors[is][ic];
      harmonic.amplitudeStdError =
          std::sqrt(std::max(0.0, A * A * vAA + 2.0 * A * B * vAB + B * B * vBB) / a2);
      harmonic.phaseStdErrorDegrees =
          std::sqrt(std::max(0.0, B * B * vAA - 2.0 * A * B * vAB + A * A * vBB) / (a2 * a2)) *
          180.0 / std::numbers::pi;
    }
    // The same model without this harmonic's two terms.
    std::vector<Column> without;
    for (std::size_t k = 0; k < p; ++k) {
      if (k != is && k != ic) {
        without.push_back(columns[k]);
      }
    }
    const LeastSquares reduced = SolveLeastSquares(without, y);
    const double rssWithout =
        reduced.parameters.empty() ? rss : ResidualSumOfSquares(without, reduced.parameters, y);
    const double gain = std::max(0.0, rssWithout - rss) / 2.0;
    if (rss > 0.0) {
      harmonic.F = gain / variance;
    } else {
      harmonic.F = gain > 0.0 ? std::numeric_limits<double>::infinity() : 0.0;
    }
    harmonic.critical = critical;
    harmonic.significant = harmonic.F > critical;
    analysis.harmonics.push_back(harmonic);
  }

  if (analysis.maxCorrelation > kCyclicCorrelationLimit) {
    analysis.warning = fmt::format(
        "the baseline's distances hardly separate the cyclic error from the constant and scale "
        "(correlation {:.2f}): the fractional parts of D/U bunch together at {}",
        analysis.maxCorrelation, FractionList(analysis.fractions));
  }
  return analysis;
}

}  // namespace mensuro
