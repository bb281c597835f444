// Compiled with a layer's include path and a header of a layer it must not
// see (TVX_PROBE_HEADER): the compile must fail to find that header.
#include TVX_PROBE_HEADER
