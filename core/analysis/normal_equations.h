#pragma once

// The normal equations of a small least-squares adjustment: a dense symmetric positive definite
// matrix, factored by Cholesky, solved and inverted. Sized for a baseline's few dozen unknowns.

#include <cstddef>
#include <optional>
#include <vector>

namespace mensuro {

// A square matrix, row by row.
struct SquareMatrix {
  std::size_t size = 0;
  std::vector<double> values;

  explicit SquareMatrix(std::size_t n = 0) : size(n), values(n * n, 0.0) {}
  double& operator()(std::size_t row, std::size_t column) { return values[row * size + column]; }
  double operator()(std::size_t row, std::size_t column) const {
    return values[row * size + column];
  }
};

// A pivot no larger than this share of its diagonal term means the unknown is (all but) fixed
// by the others: the system is singular.
inline constexpr double kSingularPivotShare = 1e-10;

// The lower triangle L of N = L L', from the lower triangle of `normal`. Nothing, with the
// unknown at which it broke down in `failedUnknown`, when a pivot is no larger than
// `smallestPivotShare` of its diagonal term: N is singular or all but.
std::optional<SquareMatrix> CholeskyFactor(const SquareMatrix& normal, std::size_t& failedUnknown,
                                           double smallestPivotShare = kSingularPivotShare);

// The solution x of L L' x = rhs.
std::vector<double> CholeskySolve(const SquareMatrix& factor, std::vector<double> rhs);

// N^-1 from the factor of N, in full.
SquareMatrix CholeskyInverse(const SquareMatrix& factor);

}  // namespace mensuro
