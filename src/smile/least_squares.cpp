#include "smile/least_squares.h"

#include <Eigen/Dense>
#include <algorithm>
#include <cmath>
#include <unsupported/Eigen/LevenbergMarquardt>

#include "core/fault.h"

namespace tvx {

namespace {

struct Functor : Eigen::DenseFunctor<double> {
    explicit Functor(const LeastSquares& p) : DenseFunctor(p.parameters, p.residuals), problem(p) {}

    int operator()(const InputType& x, ValueType& r) const {
        problem.evaluate(x.data(), r.data(), nullptr);
        return 0;
    }

    int df(const InputType& x, JacobianType& j) const {
        const int n = problem.parameters, m = problem.residuals;
        if (problem.analytic) {
            std::vector<double> rows(static_cast<std::size_t>(n) * static_cast<std::size_t>(m));
            ValueType r(m);
            problem.evaluate(x.data(), r.data(), rows.data());
            for (int i = 0; i < m; ++i)
                for (int k = 0; k < n; ++k) j(i, k) = rows[static_cast<std::size_t>(i * n + k)];
            return 0;
        }
        ValueType up(m), down(m);
        InputType y = x;
        for (int k = 0; k < n; ++k) {
            const double h = 1e-6 * std::max(1.0, std::fabs(x[k]));
            y[k] = x[k] + h;
            problem.evaluate(y.data(), up.data(), nullptr);
            y[k] = x[k] - h;
            problem.evaluate(y.data(), down.data(), nullptr);
            y[k] = x[k];
            j.col(k) = (up - down) / (2.0 * h);
        }
        return 0;
    }

    const LeastSquares& problem;
};

}  // namespace

double squared_sum(const LeastSquares& problem, const std::vector<double>& x) {
    std::vector<double> r(static_cast<std::size_t>(problem.residuals));
    problem.evaluate(x.data(), r.data(), nullptr);
    double sum = 0;
    for (const double e : r) sum += e * e;
    return chk(sum);
}

std::vector<double> least_squares(const LeastSquares& problem, std::vector<double> start, int max_evaluations) {
    const double before = squared_sum(problem, start);
    Functor f(problem);
    Eigen::LevenbergMarquardt<Functor> lm(f);
    lm.setMaxfev(max_evaluations);
    lm.setXtol(1e-12);
    lm.setFtol(1e-14);
    Eigen::VectorXd x = Eigen::Map<const Eigen::VectorXd>(start.data(), problem.parameters);
    try {
        lm.minimize(x);
        std::vector<double> found(x.data(), x.data() + x.size());
        for (const double v : found) chk(v);
        if (squared_sum(problem, found) <= before) return found;
    } catch (const ArithmeticError&) {
        // A step into terms that fault: the start stands.
    }
    return start;
}

}  // namespace tvx
