#include "core/fault.h"

namespace tvx {

void raise_division_by_zero() { throw ArithmeticError("division by zero"); }

void raise_invalid_operation(const char* what) { throw ArithmeticError(what); }

void raise_overflow(const char* what) { throw ArithmeticError(what); }

}  // namespace tvx
