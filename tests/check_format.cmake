# Fails when a C++ file of the program (under src, tests, bench or fuzz of ROOT)
# is not laid out as the repository's .clang-format says; prints the
# offending places. `clang-format -i FILE` lays a file out.
find_program(CLANG_FORMAT clang-format)
if(NOT CLANG_FORMAT)
  message(FATAL_ERROR "clang-format is missing (Debian package clang-format)")
endif()
file(GLOB_RECURSE files "${ROOT}/src/*.h" "${ROOT}/src/*.cpp" "${ROOT}/tests/*.h" "${ROOT}/tests/*.cpp"
     "${ROOT}/bench/*.h" "${ROOT}/bench/*.cpp" "${ROOT}/fuzz/*.h" "${ROOT}/fuzz/*.cpp")
list(LENGTH files count)
if(count EQUAL 0)
  message(FATAL_ERROR "no C++ files found under ${ROOT}")
endif()
execute_process(COMMAND "${CLANG_FORMAT}" --dry-run -Werror --style=file ${files}
  RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "files not laid out as .clang-format says (run clang-format -i on them):\n${out}${err}")
endif()
message(STATUS "${count} C++ files laid out as .clang-format says")
