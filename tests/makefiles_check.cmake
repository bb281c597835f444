# Configures the source tree SOURCE afresh in SCRATCH with CMake's default
# generator on Linux, Unix Makefiles (the ordinary `cmake -S . -B build`),
# and builds there what an installation and the package add to the
# programs: the manual pages (the roff from pandoc, compressed) and the
# package's changelog. Nothing is compiled, so it takes seconds.
cmake_minimum_required(VERSION 3.25)
file(REMOVE_RECURSE "${SCRATCH}")
execute_process(COMMAND "${CMAKE_COMMAND}" -S "${SOURCE}" -B "${SCRATCH}" -G "Unix Makefiles"
                        -DTVX_BUILD_TESTS=OFF -DTVX_BUILD_BENCH=OFF
  RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "configuring with Unix Makefiles failed (${rc}):\n${out}${err}")
endif()
execute_process(COMMAND "${CMAKE_COMMAND}" --build "${SCRATCH}" --target man_tarvenix man_tarvenix-cli debian_changelog
  RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "make of the packaging targets failed (${rc}):\n${out}${err}")
endif()
foreach(f man/tarvenix.1.gz man/tarvenix-cli.1.gz debian/changelog.gz)
  if(NOT EXISTS "${SCRATCH}/${f}")
    message(FATAL_ERROR "not made: ${f}")
  endif()
endforeach()
file(REMOVE_RECURSE "${SCRATCH}")
