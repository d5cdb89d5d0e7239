#include "core/analysis/normal_equations.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace mensuro {
namespace {

// Forward substitution: y of L y = b, in place.
void SolveLower(const SquareMatrix& factor, std::vector<double>& b) {
  const std::size_t n = factor.size;
  for (std::size_t i = 0; i < n; ++i) {
    double sum = b[i];
    for (std::size_t k = 0; k < i; ++k) {
      sum -= factor(i, k) * b[k];
    }
    b[i] = sum / factor(i, i);
  }
}

// Back substitution: x of L' x = y, in place.
void SolveUpper(const SquareMatrix& factor, std::vector<double>& y) {
  const std::size_t n = factor.size;
  for (std::size_t i = n; i-- > 0;) {
    double sum = y[i];
    for (std::size_t k = i + 1; k < n; ++k) {
      sum -= factor(k, i) * y[k];
    }
    y[i] = sum / factor(i, i);
  }
}

}  // namespace

std::optional<SquareMatrix> CholeskyFactor(const SquareMatrix& normal, std::size_t& failedUnknown,
                                           double smallestPivotShare) {
  const std::size_t n = normal.size;
  SquareMatrix factor(n);
  for (std::size_t j = 0; j < n; ++j) {
    double pivot = normal(j, j);
    for (std::size_t k = 0; k < j; ++k) {
      pivot -= factor(j, k) * factor(j, k);
    }
    if (!(pivot > smallestPivotShare * normal(j, j))) {
      failedUnknown = j;
      return std::nullopt;
    }
    const double diagonal = std::sqrt(pivot);
    factor(j, j) = diagonal;
    for (std::size_t i = j + 1; i < n; ++i) {
      double sum = normal(i, j);
      for (std::size_t k = 0; k < j; ++k) {
        sum -= factor(i, k) * factor(j, k);
      }
      factor(i, j) = sum / diagonal;
    }
  }
  return factor;
}

std::vector<double> CholeskySolve(const SquareMatrix& factor, std::vector<double> rhs) {
  SolveLower(factor, rhs);
  SolveUpper(factor, rhs);
  return rhs;
}

SquareMatrix CholeskyInverse(const SquareMatrix& factor) {
  const std::size_t n = factor.size;
  SquareMatrix inverse(n);
  std::vector<double> column(n);
  for (std::size_t j = 0; j < n; ++j) {
    std::fill(column.begin(), column.end(), 0.0);
    column[j] = 1.0;
    column = CholeskySolve(factor, std::move(column));
    for (std::size_t i = 0; i < n; ++i) {
      inverse(i, j) = column[i];
    }
  }
  return inverse;
}

}  // namespace mensuro
