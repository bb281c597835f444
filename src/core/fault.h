// Checked floating-point arithmetic.
//
// Every division by zero, invalid operation (logarithm of a non-positive
// number, square root of a negative one, 0/0, inf - inf) and overflow is
// turned into an ArithmeticError at the point where it happens, so that no
// NaN or infinity ever reaches a comparison, a loop or the screen.
#pragma once

#include <cmath>
#include <stdexcept>
#include <string>

namespace tvx {

// Base of every run-time error that a command's catch-all reports with its
// generic message: bad number text, arithmetic faults, integer overflow.
class RuntimeError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class ArithmeticError : public RuntimeError {
public:
    using RuntimeError::RuntimeError;
};

[[noreturn]] void raise_division_by_zero();
[[noreturn]] void raise_invalid_operation(const char* what);
[[noreturn]] void raise_overflow(const char* what);

// Passes a finite result through; anything else is an overflow (infinity)
// or an invalid operation (NaN).
inline double chk(double x) {
    if (!std::isfinite(x)) [[unlikely]] {
        if (std::isnan(x)) raise_invalid_operation("invalid floating-point operation");
        raise_overflow("floating-point overflow");
    }
    return x;
}

inline double fdiv(double num, double den) {
    if (den == 0.0) [[unlikely]]
        raise_division_by_zero();
    return chk(num / den);
}

inline double flog(double x) {
    if (!(x > 0.0)) [[unlikely]]
        raise_invalid_operation("logarithm of a non-positive number");
    return std::log(x);
}

inline double fsqrt(double x) {
    if (x < 0.0) [[unlikely]]
        raise_invalid_operation("square root of a negative number");
    return std::sqrt(x);
}

inline double fexp(double x) { return chk(std::exp(x)); }

}  // namespace tvx
