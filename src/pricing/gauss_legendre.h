// Gauss-Legendre quadrature rules on [-1, 1], worked out once per node count
// and kept for the rest of the run.
#pragma once

#include <vector>

namespace tvx {

struct GaussLegendre {
    std::vector<double> x;  // nodes, ascending
    std::vector<double> w;  // weights
};

inline constexpr int kMaxGaussNodes = 512;

// The rule of n nodes, 1 <= n <= kMaxGaussNodes (std::invalid_argument
// otherwise). Safe to call from several threads.
const GaussLegendre& gauss_legendre(int n);

}  // namespace tvx
