# Fails when a source under SRC includes a file by a path relative to its
# own folder that leaves it ("../options/compute.h"): such an include would
# pass by the include roots that keep each layer to the layers below it.
file(GLOB_RECURSE sources "${SRC}/*.h" "${SRC}/*.cpp")
set(offenders "")
foreach(f IN LISTS sources)
  file(STRINGS "${f}" hits REGEX "^[ \t]*#[ \t]*include[ \t]*\"[^\"]*\\.\\./")
  if(hits)
    list(APPEND offenders "${f}: ${hits}")
  endif()
endforeach()
if(offenders)
  string(REPLACE ";" "\n" text "${offenders}")
  message(FATAL_ERROR "includes that leave their folder:\n${text}")
endif()
