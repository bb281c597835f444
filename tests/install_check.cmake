# Installs the build tree BUILD into the scratch prefix PREFIX and checks the
# installation: the executables (the command line runs), the help file in the data folder, the desktop
# entry (valid by desktop-file-validate) and the icon, and that a program
# installed there finds its help (PROBE, run for PREFIX/bin).
cmake_minimum_required(VERSION 3.25)
file(REMOVE_RECURSE "${PREFIX}")
execute_process(COMMAND "${CMAKE_COMMAND}" --install "${BUILD}" --prefix "${PREFIX}"
  RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "cmake --install failed (${rc}):\n${out}${err}")
endif()

foreach(f bin/tarvenix bin/tarvenix-cli share/tarvenix/brant.hlp share/applications/tarvenix.desktop
          share/icons/hicolor/scalable/apps/tarvenix.svg)
  if(NOT EXISTS "${PREFIX}/${f}")
    message(FATAL_ERROR "not installed: ${f}")
  endif()
endforeach()
execute_process(COMMAND test -x "${PREFIX}/bin/tarvenix" RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "bin/tarvenix is not executable")
endif()
execute_process(COMMAND "${PREFIX}/bin/tarvenix-cli" --version RESULT_VARIABLE rc OUTPUT_VARIABLE version)
if(NOT rc EQUAL 0 OR NOT version MATCHES "^tarvenix-cli [0-9]+\\.[0-9]+\\.[0-9]+")
  message(FATAL_ERROR "the installed bin/tarvenix-cli does not run (${rc}): ${version}")
endif()
file(READ "${PREFIX}/share/icons/hicolor/scalable/apps/tarvenix.svg" svg)
if(NOT svg MATCHES "<svg")
  message(FATAL_ERROR "the installed icon is not an SVG image")
endif()

find_program(VALIDATE desktop-file-validate)
if(NOT VALIDATE)
  message(FATAL_ERROR "desktop-file-validate is missing (Debian package desktop-file-utils)")
endif()
execute_process(COMMAND "${VALIDATE}" "${PREFIX}/share/applications/tarvenix.desktop"
  RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT rc EQUAL 0 OR NOT "${out}${err}" STREQUAL "")
  message(FATAL_ERROR "desktop-file-validate:\n${out}${err}")
endif()
file(STRINGS "${PREFIX}/share/applications/tarvenix.desktop" entry)
foreach(line "Exec=tarvenix" "Icon=tarvenix")
  if(NOT line IN_LIST entry)
    message(FATAL_ERROR "the desktop entry lacks ${line}")
  endif()
endforeach()

execute_process(COMMAND "${PROBE}" "${PREFIX}/bin" RESULT_VARIABLE rc OUTPUT_VARIABLE found
  OUTPUT_STRIP_TRAILING_WHITESPACE)
if(NOT rc EQUAL 0 OR NOT found STREQUAL "${PREFIX}/share/tarvenix/brant.hlp")
  message(FATAL_ERROR "an installed program does not find its help (${rc}): '${found}'")
endif()
message(STATUS "installed and checked under ${PREFIX}")
