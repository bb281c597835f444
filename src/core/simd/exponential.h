// The program's own exponential, for results that must come out the same
// to the last bit in scalar code and in SIMD kernels on every instruction
// set (the neural network's activation).
#pragma once

namespace tvx {

// e^x: for |x| <= 706 the vector exponential's plain form (every product
// and sum rounded by itself; within about an ulp), on one lane; beyond
// that, and for a NaN, the C library's.
double exp_plain(double x);

}  // namespace tvx
