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

// The lower triangle L of N = L L', from the lower triangle of `normal`. Nothing, with the
// unknown at which it broke down in `failedUnknown`, when N is singular or so nearly singular
// that the unknown's pivot has lost all but a ten-billionth of its diagonal term.
std::optional<SquareMatrix> CholeskyFactor(const SquareMatrix& normal, std::size_t& failedUnknown);

// The solution x of L L' x = rhs.
std::vector<double> CholeskySolve(const SquareMatrix& factor, std::vector<double> rhs);

// N^-1 from the factor of N, in full.
SquareMatrix CholeskyInverse(const SquareMatrix& factor);

}  // namespace mensuro
