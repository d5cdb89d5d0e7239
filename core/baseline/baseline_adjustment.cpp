#include "core/baseline/baseline_adjustment.h"

#include <fmt/format.h>
#include <fmt/ranges.h>
#include <algorithm>
#include <array>
#include <boost/math/distributions/chi_squared.hpp>
#include <boost/math/distributions/students_t.hpp>
#include <cmath>
#include <map>
#include <numeric>
#include <set>
#include <utility>

#include "core/analysis/calibration_uncertainty.h"
#include "core/analysis/normal_equations.h"
#include "core/analysis/quantile_policy.h"
#include "core/units.h"

namespace mensuro {
namespace {

using ErrorKind = BaselineSurveyError::Kind;

// The confidence of the variance test and, over all observations together, of the outlier test.
constexpr double kConfidence = 0.95;

// The most pillars a survey may have: a baseline has a few dozen, and the normal equations grow
// with the square of the pillars and their solution with the cube.
constexpr std::size_t kMostPillars = 500;

// A redundancy number q_k at or below this share of 1/p_k is taken as zero: the observation is
// all but fixed by the others and its residual says nothing of it.
constexpr double kSmallestRedundancyShare = 1e-10;

std::nullopt_t Fail(BaselineSurveyError& error, ErrorKind kind, std::string message) {
  error.kind = kind;
  error.message = std::move(message);
  return std::nullopt;
}

// One observation line of the survey, checked.
struct Observed {
  std::size_t line = 0;
  std::string from;
  std::string to;
  double distance = 0.0;
};

// A pair of pillars in either direction: its names in byte order.
using PairKey = std::pair<std::string, std::string>;

PairKey KeyOf(const std::string& a, const std::string& b) {
  return a < b ? PairKey(a, b) : PairKey(b, a);
}

// "pillar P5" or "pillars P5, P6".
std::string PillarsNamed(const std::vector<std::string>& names) {
  return fmt::format("{} {}", names.size() == 1 ? "pillar" : "pillars", fmt::join(names, ", "));
}

bool ReadObservations(const RecordTable& table, std::vector<Observed>& observed,
                      BaselineSurveyError& error) {
  for (const ProjectRecord& record : table.entries) {
    if (record.kind != kObservationKind) {
      continue;
    }
    if (record.fromStation.empty() || record.toStation.empty()) {
      Fail(error, ErrorKind::kData,
           fmt::format("line {}: an observation needs a pillar at each end", record.line));
      return false;
    }
    if (record.fromStation == record.toStation) {
      Fail(error, ErrorKind::kData,
           fmt::format("line {}: {} is at both ends of the observation", record.line,
                       record.fromStation));
      return false;
    }
    if (!(record.observedDistance > 0.0)) {
      Fail(error, ErrorKind::kData,
           fmt::format("line {}: the distance {}-{} is not above zero ({:.4f} m)", record.line,
                       record.fromStation, record.toStation, record.observedDistance));
      return false;
    }
    observed.push_back(
        {record.line, record.fromStation, record.toStation, record.observedDistance});
  }
  if (observed.empty()) {
    Fail(error, ErrorKind::kData, "the survey has no observations");
    return false;
  }
  return true;
}

// The pillars the observations name, in byte order.
std::vector<std::string> ObservedPillars(const std::vector<Observed>& observed) {
  std::set<std::string> names;
  for (const Observed& o : observed) {
    names.insert(o.from);
    names.insert(o.to);
  }
  return {names.begin(), names.end()};
}

// The order the operator gives must name every observed pillar once and no other.
bool CheckGivenOrder(const std::vector<std::string>& order, const std::vector<std::string>& pillars,
                     BaselineSurveyError& error) {
  std::set<std::string> seen;
  std::vector<std::string> twice;
  for (const std::string& name : order) {
    if (!seen.insert(name).second && std::find(twice.begin(), twice.end(), name) == twice.end()) {
      twice.push_back(name);
    }
  }
  if (!twice.empty()) {
    Fail(error, ErrorKind::kUsage,
         fmt::format("the pillar order lists {} more than once", PillarsNamed(twice)));
    return false;
  }
  std::vector<std::string> unobserved, missing;
  for (const std::string& name : order) {
    if (!std::binary_search(pillars.begin(), pillars.end(), name)) {
      unobserved.push_back(name);
    }
  }
  for (const std::string& name : pillars) {
    if (seen.count(name) == 0) {
      missing.push_back(name);
    }
  }
  if (!unobserved.empty()) {
    Fail(error, ErrorKind::kUsage,
         fmt::format("the pillar order names {} that no observation measures",
                     PillarsNamed(unobserved)));
    return false;
  }
  if (!missing.empty()) {
    Fail(error, ErrorKind::kUsage,
         fmt::format("the pillar order leaves out {} that the survey measures",
                     PillarsNamed(missing)));
    return false;
  }
  return true;
}

// The order from the observations: the longest mean pair are the ends, the one whose name sorts
// first the origin, and every other pillar placed by its mean distance from the origin or, not
// measured from it, by the longest pair less its mean distance from the far end.
std::optional<std::vector<std::string>> InferOrder(const std::vector<Observed>& observed,
                                                   const std::vector<std::string>& pillars,
                                                   BaselineSurveyError& error) {
  struct Sum {
    double total = 0.0;
    int count = 0;
  };
  std::map<PairKey, Sum> sums;
  for (const Observed& o : observed) {
    Sum& sum = sums[KeyOf(o.from, o.to)];
    sum.total += o.distance;
    ++sum.count;
  }
  std::map<PairKey, double> means;
  for (const auto& [key, sum] : sums) {
    means[key] = sum.total / sum.count;
  }
  const auto longest = std::max_element(
      means.begin(), means.end(), [](const auto& a, const auto& b) { return a.second < b.second; });
  const std::string& origin = longest->first.first;  // sorts first: the key is in byte order
  const std::string& far = longest->first.second;
  const double length = longest->second;

  std::vector<std::pair<double, std::string>> placed;
  for (const std::string& name : pillars) {
    if (name == origin) {
      placed.emplace_back(0.0, name);
    } else if (name == far) {
      placed.emplace_back(length, name);
    } else if (const auto fromOrigin = means.find(KeyOf(origin, name)); fromOrigin != means.end()) {
      placed.emplace_back(fromOrigin->second, name);
    } else if (const auto fromFar = means.find(KeyOf(far, name)); fromFar != means.end()) {
      placed.emplace_back(length - fromFar->second, name);
    } else {
      return Fail(error, ErrorKind::kData,
                  fmt::format("pillar {} can't be placed along the line: it was measured to "
                              "neither {} nor {}, the ends of the longest pair; give the pillar "
                              "order (--pillars)",
                              name, origin, far));
    }
  }
  std::stable_sort(placed.begin(), placed.end(),
                   [](const auto& a, const auto& b) { return a.first < b.first; });
  std::vector<std::string> order;
  for (auto& [position, name] : placed) {
    order.push_back(std::move(name));
  }
  return order;
}

// Every pillar must be tied to the origin through some chain of observations.
bool CheckTied(const std::vector<std::string>& order, const std::map<std::string, int>& rank,
               const std::vector<Observed>& observed, BaselineSurveyError& error) {
  std::vector<int> parent(order.size());
  std::iota(parent.begin(), parent.end(), 0);
  const auto root = [&parent](int i) {
    while (parent[i] != i) {
      i = parent[i] = parent[parent[i]];
    }
    return i;
  };
  for (const Observed& o : observed) {
    parent[root(rank.at(o.from))] = root(rank.at(o.to));
  }
  std::vector<std::string> loose;
  for (std::size_t i = 1; i < order.size(); ++i) {
    if (root(static_cast<int>(i)) != root(0)) {
      loose.push_back(order[i]);
    }
  }
  if (loose.empty()) {
    return true;
  }
  Fail(error, ErrorKind::kData,
       fmt::format("{} {} tied by no observation to {} and the pillars measured with it",
                   PillarsNamed(loose), loose.size() == 1 ? "is" : "are", order.front()));
  return false;
}

// One equation of the adjustment: v = x_j - x_i - c - d', with the unknowns x (the pillars but
// the origin) and c last. An index of kNone is the origin, which has no unknown.
struct Equation {
  static constexpr std::size_t kNone = static_cast<std::size_t>(-1);
  std::size_t before = kNone;  // i, the pillar earlier along the line
  std::size_t after = kNone;   // j
  double corrected = 0.0;      // d'
  double weight = 0.0;         // p
};

// The misclosure l - A x of one equation, -v.
double Misclosure(const Equation& e, const std::vector<double>& x, std::size_t constant) {
  const double xj = e.after == Equation::kNone ? 0.0 : x[e.after];
  const double xi = e.before == Equation::kNone ? 0.0 : x[e.before];
  return e.corrected - (xj - xi - x[constant]);
}

// The row a = e_j - e_i - e_c of an equation: its (at most three) unknowns and their
// coefficients.
struct Row {
  std::array<std::pair<std::size_t, double>, 3> terms{};
  std::size_t count = 0;
};

Row RowOf(const Equation& e, std::size_t constant) {
  Row row;
  if (e.after != Equation::kNone) {
    row.terms[row.count++] = {e.after, 1.0};
  }
  if (e.before != Equation::kNone) {
    row.terms[row.count++] = {e.before, -1.0};
  }
  row.terms[row.count++] = {constant, -1.0};
  return row;
}

// a' Q a of an equation's row.
double RowQuadratic(const Equation& e, const SquareMatrix& q, std::size_t constant) {
  const Row row = RowOf(e, constant);
  double sum = 0.0;
  for (std::size_t a = 0; a < row.count; ++a) {
    for (std::size_t b = 0; b < row.count; ++b) {
      sum += row.terms[a].second * q(row.terms[a].first, row.terms[b].first) * row.terms[b].second;
    }
  }
  return sum;
}

// A' P (l - A x): the right-hand side of the normal equations for the correction to x.
std::vector<double> WeightedMisclosures(const std::vector<Equation>& equations,
                                        const std::vector<double>& x, std::size_t constant) {
  std::vector<double> rhs(x.size(), 0.0);
  for (const Equation& e : equations) {
    const double pw = e.weight * Misclosure(e, x, constant);
    const Row row = RowOf(e, constant);
    for (std::size_t r = 0; r < row.count; ++r) {
      rhs[row.terms[r].first] += row.terms[r].second * pw;
    }
  }
  return rhs;
}

// Where the positions x of the pillars after the origin fail to run forward along the line,
// the message that says so; nothing when they run forward.
std::optional<std::string> GoingBackwards(const std::vector<std::string>& order,
                                          const std::vector<double>& x, bool inferred) {
  std::vector<std::string> backwards;
  for (std::size_t i = 1; i < order.size(); ++i) {
    const double before = i == 1 ? 0.0 : x[i - 2];
    if (!(x[i - 1] > before)) {
      backwards.push_back(fmt::format("{} ({:.4f} m) is not beyond {} ({:.4f} m)", order[i],
                                      x[i - 1], order[i - 1], before));
    }
  }
  if (backwards.empty()) {
    return std::nullopt;
  }
  if (inferred) {
    return fmt::format(
        "the adjusted positions go backwards under the order taken from the "
        "observations ({}); were the ends not measured against each other? Give "
        "the pillar order (--pillars)",
        fmt::join(backwards, "; "));
  }
  return fmt::format("the adjusted positions go backwards in the pillar order given: {}",
                     fmt::join(backwards, "; "));
}

// Pope's tau test of the standardized residuals w_k = v_k / (s0 sqrt(q_k)), with
// q_k = 1/p_k - a_k' Q a_k, at alphaEach = 1 - 0.95^(1/m) for each observation.
SurveyOutlierTest TestOutliers(const std::vector<Equation>& equations, const SquareMatrix& q,
                               std::size_t constant, std::size_t dof, double s0,
                               std::vector<SurveyObservation>& observations) {
  SurveyOutlierTest tau;
  if (dof < 2) {
    tau.reason = fmt::format("it needs at least 2 degrees of freedom; the survey has {}", dof);
    return tau;
  }
  if (!(s0 > 0.0)) {
    tau.reason = "every residual is zero";
    return tau;
  }
  tau.applicable = true;
  tau.alphaEach = 1.0 - std::pow(kConfidence, 1.0 / static_cast<double>(equations.size()));
  const double nu = static_cast<double>(dof);
  const boost::math::students_t_distribution<double, QuietQuantilePolicy> t(nu - 1.0);
  const double tc = boost::math::quantile(t, 1.0 - tau.alphaEach / 2.0);
  tau.critical = std::sqrt(nu) * tc / std::sqrt(nu - 1.0 + tc * tc);
  for (std::size_t k = 0; k < equations.size(); ++k) {
    const double cofactor = 1.0 / equations[k].weight;
    const double redundancy = cofactor - RowQuadratic(equations[k], q, constant);
    if (!(redundancy > kSmallestRedundancyShare * cofactor)) {
      continue;
    }
    SurveyObservation& out = observations[k];
    out.standardizedResidual = out.residual / (s0 * std::sqrt(redundancy));
    out.outlier = std::abs(*out.standardizedResidual) > tau.critical;
    tau.outliers += out.outlier ? 1 : 0;
  }
  return tau;
}

// Every pair i < j in order: D = x_j - x_i, u_A from g = e_j - e_i over the covariance
// s0^2 Q, u_B from the reference instrument's scale, and k for the effective degrees of freedom.
std::vector<CertifiedDistance> CertifiedDistances(const std::vector<std::string>& order,
                                                  const std::vector<double>& x,
                                                  const SquareMatrix& q, double s02,
                                                  std::size_t dof, const ReferenceScale& scale) {
  const double scaleStandard = scale.k > 0.0 ? scale.expandedPpm / scale.k * kPpm : 0.0;
  const std::size_t n = order.size();
  std::vector<CertifiedDistance> distances;
  distances.reserve(n * (n - 1) / 2);
  for (std::size_t i = 0; i < n; ++i) {
    for (std::size_t j = i + 1; j < n; ++j) {
      double gQg = q(j - 1, j - 1);
      if (i != 0) {
        gQg += q(i - 1, i - 1) - 2.0 * q(i - 1, j - 1);
      }
      CertifiedDistance d;
      d.from = order[i];
      d.to = order[j];
      d.distance = x[j - 1] - (i == 0 ? 0.0 : x[i - 1]);
      d.uA = std::sqrt(std::max(0.0, s02 * gQg));
      d.uB = scaleStandard * d.distance;
      d.u = std::hypot(d.uA, d.uB);
      if (d.uA > 0.0) {
        const double uA2 = d.uA * d.uA;
        d.dofEffective = std::pow(d.u, 4) / (uA2 * uA2 / static_cast<double>(dof));
      }
      d.k = CoverageFactor(d.dofEffective);
      d.expanded = d.k * d.u;
      distances.push_back(std::move(d));
    }
  }
  return distances;
}

std::string UnknownName(const std::vector<std::string>& order, std::size_t unknown) {
  return unknown + 1 < order.size()
             ? fmt::format("the position of pillar {}", order[unknown + 1])
             : std::string("the reference instrument's constant apart from the positions");
}

}  // namespace

std::optional<BaselineAdjustment> AdjustBaselineSurvey(const RecordTable& table,
                                                       const MeasurementHeader& header,
                                                       const BaselineSurveyOptions& options,
                                                       BaselineSurveyError& error) {
  std::vector<Observed> observed;
  if (!ReadObservations(table, observed, error)) {
    return std::nullopt;
  }
  const double a = header.constantError;
  const double b = header.ppmError;
  if (a < 0.0 || b < 0.0) {
    return Fail(error, ErrorKind::kData,
                fmt::format("the reference instrument's accuracy can't be negative (^ {} mm, % {} "
                            "ppm)",
                            a, b));
  }

  const std::vector<std::string> pillars = ObservedPillars(observed);
  if (pillars.size() > kMostPillars) {
    return Fail(error, ErrorKind::kData,
                fmt::format("the survey names {} pillars; a baseline calibration takes at most {}",
                            pillars.size(), kMostPillars));
  }
  BaselineAdjustment result;
  std::vector<std::string> order;
  if (options.pillarOrder.empty()) {
    auto inferred = InferOrder(observed, pillars, error);
    if (!inferred) {
      return std::nullopt;
    }
    order = std::move(*inferred);
    result.orderInferred = true;
  } else {
    if (!CheckGivenOrder(options.pillarOrder, pillars, error)) {
      return std::nullopt;
    }
    order = options.pillarOrder;
  }
  std::map<std::string, int> rank;
  for (std::size_t i = 0; i < order.size(); ++i) {
    rank[order[i]] = static_cast<int>(i);
  }
  if (!CheckTied(order, rank, observed, error)) {
    return std::nullopt;
  }

  const std::size_t n = order.size();  // unknowns: n - 1 positions and the constant
  const std::size_t constant = n - 1;
  const std::size_t m = observed.size();
  if (m <= n) {
    return Fail(error, ErrorKind::kData,
                fmt::format("the survey has {} observations for {} unknowns ({} pillar positions "
                            "and the constant): at least one degree of freedom is needed",
                            m, n, n - 1));
  }

  result.referenceScale = options.referenceScale.value_or(ReferenceScale{0.0, 0.0, 2.0});
  result.aprioriMm = a;
  result.aprioriPpm = b;
  const bool apriori = a != 0.0 || b != 0.0;
  const double scale = 1.0 + result.referenceScale.ppm * kPpm;

  std::vector<Equation> equations;
  equations.reserve(m);
  SquareMatrix normal(n);
  std::vector<double> rhs(n, 0.0);
  for (const Observed& o : observed) {
    const auto [i, j] = std::minmax(rank.at(o.from), rank.at(o.to));
    Equation e;
    e.before = i == 0 ? Equation::kNone : static_cast<std::size_t>(i - 1);
    e.after = static_cast<std::size_t>(j - 1);
    e.corrected = o.distance * scale;
    const double sigma = a * kMetresPerMillimetre + b * kPpm * o.distance;
    e.weight = apriori ? 1.0 / (sigma * sigma) : 1.0;
    // N += p a a', rhs += p a l over the row's unknowns.
    const Row row = RowOf(e, constant);
    for (std::size_t r = 0; r < row.count; ++r) {
      const auto [unknown, coefficient] = row.terms[r];
      rhs[unknown] += e.weight * coefficient * e.corrected;
      for (std::size_t c = 0; c < row.count; ++c) {
        normal(unknown, row.terms[c].first) += e.weight * coefficient * row.terms[c].second;
      }
    }
    equations.push_back(e);
  }

  std::size_t failed = 0;
  const std::optional<SquareMatrix> factor = CholeskyFactor(normal, failed);
  if (!factor) {
    return Fail(error, ErrorKind::kData,
                fmt::format("the observations can't determine {}: the normal equations are "
                            "singular; measure pairs that tie it to the others",
                            UnknownName(order, failed)));
  }
  std::vector<double> x = CholeskySolve(*factor, std::move(rhs));
  // One step of refinement on the misclosures worked out directly, which the long distances in
  // the right-hand side would otherwise blur.
  const std::vector<double> dx =
      CholeskySolve(*factor, WeightedMisclosures(equations, x, constant));
  for (std::size_t u = 0; u < n; ++u) {
    x[u] += dx[u];
  }

  if (auto backwards = GoingBackwards(order, x, result.orderInferred)) {
    return Fail(error, ErrorKind::kData, std::move(*backwards));
  }

  const std::size_t dof = m - n;
  double vpv = 0.0;
  result.observations.reserve(m);
  for (std::size_t k = 0; k < m; ++k) {
    const double v = -Misclosure(equations[k], x, constant);
    vpv += equations[k].weight * v * v;
    SurveyObservation out;
    out.line = observed[k].line;
    out.from = observed[k].from;
    out.to = observed[k].to;
    out.distance = observed[k].distance;
    out.residual = v;
    result.observations.push_back(std::move(out));
  }
  const double s02 = vpv / static_cast<double>(dof);
  const SquareMatrix q = CholeskyInverse(*factor);

  result.observationCount = static_cast<int>(m);
  result.unknowns = static_cast<int>(n);
  result.dof = static_cast<int>(dof);
  result.s0 = std::sqrt(s02);
  if (apriori) {
    const boost::math::chi_squared_distribution<double, QuietQuantilePolicy> chi2(
        static_cast<double>(dof));
    SurveyVarianceTest test;
    test.chiSquare = vpv;
    test.critical = boost::math::quantile(chi2, kConfidence);
    test.passed = test.chiSquare <= test.critical;
    result.varianceTest = test;
  }

  result.pillars.push_back({order.front(), 0.0, 0.0});
  for (std::size_t i = 1; i < n; ++i) {
    result.pillars.push_back({order[i], x[i - 1], std::sqrt(s02 * q(i - 1, i - 1))});
  }
  result.constant = x[constant];
  result.constantUncertainty = std::sqrt(s02 * q(constant, constant));

  result.outlierTest = TestOutliers(equations, q, constant, dof, result.s0, result.observations);
  result.distances = CertifiedDistances(order, x, q, s02, dof, result.referenceScale);
  return result;
}

}  // namespace mensuro
