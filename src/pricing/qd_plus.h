// A first guess at the exercise boundary of an American put: the QD+
// approximation (Li, 2009), a quadratic approximation of the early-exercise
// premium with a correction for its decay in time, solved for the critical
// price at one time to expiry.
#pragma once

namespace tvx {

struct UnitPutTerms;

// ln of the critical price of the put with unit strike on `terms` at time
// to expiry tau > 0, at most ln_cap (the log of the boundary at expiry);
// `guess` is where the root search starts (the neighbouring node's answer).
// Where the approximation has no root in reach, the perpetual put's boundary
// or ln_cap - sigma sqrt(tau), whichever is higher.
double qd_plus_log_boundary(const UnitPutTerms& terms, double tau, double ln_cap, double guess);

// ln of the critical price of the perpetual put with unit strike.
double perpetual_log_boundary(const UnitPutTerms& terms);

}  // namespace tvx
