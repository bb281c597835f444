# Builds the Debian package of the build tree BUILD with CPack and checks
# it: lintian finds no error and no warning, the AppStream metadata passes
# `appstreamcli validate --no-net`, the package installs into a scratch root
# (dpkg -i with --root as root, else unpacked with dpkg -x) with every file
# in place, its control data name the version and the dependencies, and the
# installed programs work: tarvenix prints its version and finds its help
# (PROBE looks the help up as the program does); tarvenix-cli, when the
# package has it, prints the six lines of the default option and its manual
# page names every command and option of its help.
cmake_minimum_required(VERSION 3.25)

function(run)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "${ARGN} failed (${rc}):\n${out}${err}")
  endif()
  set(out "${out}" PARENT_SCOPE)
endfunction()

foreach(tool cpack lintian appstreamcli dpkg dpkg-deb dpkg-shlibdeps)
  find_program(found_${tool} ${tool})
  if(NOT found_${tool})
    message(FATAL_ERROR "${tool} is missing (see TVX_TEST_PACKAGES in scripts/deps.sh)")
  endif()
endforeach()

# The package.
file(GLOB old "${BUILD}/tarvenix_*.deb")
if(old)
  file(REMOVE ${old})
endif()
execute_process(COMMAND "${found_cpack}" -G DEB WORKING_DIRECTORY "${BUILD}"
  RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
set(deb "${BUILD}/tarvenix_${VERSION}_amd64.deb")
if(NOT rc EQUAL 0 OR NOT EXISTS "${deb}")
  message(FATAL_ERROR "cpack -G DEB did not make ${deb} (${rc}):\n${out}${err}")
endif()

# lintian: no error and no warning (information and pedantic tags are left
# to the reader).
execute_process(COMMAND "${found_lintian}" --allow-root --tag-display-limit 0 "${deb}"
  RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE err)
if(out MATCHES "(^|\n)[EW]: ")
  message(FATAL_ERROR "lintian (${rc}):\n${out}${err}")
endif()

# Control data.
run("${found_dpkg-deb}" --field "${deb}" Package Version Architecture Depends)
set(control "${out}")
foreach(want "Package: tarvenix" "Version: ${VERSION}" "Architecture: amd64" "libqt6svg6" "libqt6widgets6")
  string(FIND "${control}" "${want}" at)
  if(at LESS 0)
    message(FATAL_ERROR "the package's control data lack '${want}':\n${control}")
  endif()
endforeach()
# Each dependency once (dpkg-shlibdeps' versioned one, not beside it an
# unversioned one written by hand).
string(REGEX MATCH "Depends: [^\n]*" depends "${control}")
string(REPLACE "Depends: " "" depends "${depends}")
string(REGEX MATCHALL "[a-z0-9.+-]+( \\([^)]*\\))?" deps "${depends}")
set(seen "")
foreach(dep IN LISTS deps)
  string(REGEX REPLACE " .*" "" name "${dep}")
  if(name IN_LIST seen)
    message(FATAL_ERROR "the package depends on ${name} twice:\n${depends}")
  endif()
  list(APPEND seen "${name}")
endforeach()

# Installation into a scratch root.
set(root "${SCRATCH}")
file(REMOVE_RECURSE "${root}")
execute_process(COMMAND id -u OUTPUT_VARIABLE uid OUTPUT_STRIP_TRAILING_WHITESPACE)
if(uid STREQUAL "0")
  file(MAKE_DIRECTORY "${root}/var/lib/dpkg/info" "${root}/var/lib/dpkg/updates" "${root}/var/lib/dpkg/triggers")
  file(TOUCH "${root}/var/lib/dpkg/status" "${root}/var/lib/dpkg/available")
  # The scratch root holds none of the libraries the package depends on.
  run("${found_dpkg}" "--root=${root}" --log=/dev/null --force-depends -i "${deb}")
  run("${found_dpkg}" "--root=${root}" -L tarvenix)
  set(listed "${out}")
else()
  run("${found_dpkg}" -x "${deb}" "${root}")
  run("${found_dpkg-deb}" --contents "${deb}")
  set(listed "${out}")
endif()

set(files bin/tarvenix share/tarvenix/brant.hlp share/applications/tarvenix.desktop
  share/icons/hicolor/scalable/apps/tarvenix.svg share/metainfo/${METAINFO_ID}.metainfo.xml
  share/man/man1/tarvenix.1.gz share/doc/tarvenix/copyright share/doc/tarvenix/changelog.gz)
set(cli FALSE)
if(EXISTS "${root}/usr/bin/tarvenix-cli")
  set(cli TRUE)
  list(APPEND files bin/tarvenix-cli share/man/man1/tarvenix-cli.1.gz)
endif()
foreach(f IN LISTS files)
  string(FIND "${listed}" "/usr/${f}" at)
  if(NOT EXISTS "${root}/usr/${f}" OR at LESS 0)
    message(FATAL_ERROR "the package does not install /usr/${f}:\n${listed}")
  endif()
endforeach()

run("${found_appstreamcli}" validate --no-net "${root}/usr/share/metainfo/${METAINFO_ID}.metainfo.xml")

# The installed programs.
run("${root}/usr/bin/tarvenix" --version)
if(NOT out STREQUAL "tarvenix ${VERSION}\n")
  message(FATAL_ERROR "tarvenix --version printed '${out}'")
endif()
run("${PROBE}" "${root}/usr/bin")
if(NOT out STREQUAL "${root}/usr/share/tarvenix/brant.hlp\n")
  message(FATAL_ERROR "the installed program does not find its help: '${out}'")
endif()

if(cli)
  run("${root}/usr/bin/tarvenix-cli" --version)
  if(NOT out STREQUAL "tarvenix-cli ${VERSION}\n")
    message(FATAL_ERROR "tarvenix-cli --version printed '${out}'")
  endif()
  run("${root}/usr/bin/tarvenix-cli" option)
  string(REGEX MATCHALL "[^\n]+" lines "${out}")
  list(LENGTH lines n)
  list(GET lines 0 first)
  if(NOT n EQUAL 6 OR NOT first STREQUAL "The option value is 2.0694 dollars")
    message(FATAL_ERROR "tarvenix-cli option printed:\n${out}")
  endif()
  set(k 1)
  foreach(prefix "Delta is " "Gamma is " "Theta is " "Vega is " "Rho is ")
    list(GET lines ${k} line)
    string(FIND "${line}" "${prefix}" at)
    if(NOT at EQUAL 0)
      message(FATAL_ERROR "tarvenix-cli option printed '${line}' where '${prefix}...' belongs")
    endif()
    math(EXPR k "${k} + 1")
  endforeach()
  # Every command of the help stands in the manual page with a section of
  # its own, and every option of the command's help in that section (--help
  # and --json, which every command takes, once under OPTIONS).
  run(gzip -dc "${root}/usr/share/man/man1/tarvenix-cli.1.gz")
  string(REPLACE "\\-" "-" man "${out}")
  foreach(o --help --version --json)
    string(FIND "${man}" "${o}" at)
    if(at LESS 0)
      message(FATAL_ERROR "the manual page of tarvenix-cli lacks ${o}")
    endif()
  endforeach()
  run("${root}/usr/bin/tarvenix-cli" --help)
  # The command lines follow "Subcommands:" (capitals in some versions of
  # CLI11), indented, up to the first line that is not.
  string(REGEX MATCH "[Ss][Uu][Bb][Cc][Oo][Mm][Mm][Aa][Nn][Dd][Ss]:\n(  [^\n]*\n)+" commands_part "${out}")
  string(REGEX MATCHALL "\n  [a-z]+" commands "${commands_part}")
  if(NOT commands)
    message(FATAL_ERROR "no commands found in tarvenix-cli --help:\n${out}")
  endif()
  foreach(c IN LISTS commands)
    string(STRIP "${c}" c)
    string(FIND "${man}" ".SS ${c}\n" start)
    if(start LESS 0)
      message(FATAL_ERROR "the manual page of tarvenix-cli has no section for the command ${c}")
    endif()
    string(SUBSTRING "${man}" ${start} -1 section)
    string(SUBSTRING "${section}" 4 -1 rest)
    string(REGEX MATCH "\n\\.S[SH] " next "${rest}")
    if(next)
      string(FIND "${rest}" "${next}" end)
      string(SUBSTRING "${rest}" 0 ${end} section)
    endif()
    run("${root}/usr/bin/tarvenix-cli" ${c} --help)
    string(REGEX MATCHALL "--[a-z][a-z0-9-]*" options "${out}")
    list(REMOVE_ITEM options --help --json)
    foreach(o IN LISTS options)
      string(FIND "${section}" "${o}" at)
      if(at LESS 0)
        message(FATAL_ERROR "the manual page of tarvenix-cli lacks ${o} in the section of ${c}")
      endif()
    endforeach()
  endforeach()
endif()
message(STATUS "${deb} built, checked and installed under ${root}")
