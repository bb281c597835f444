# What an installation holds beside the programs (the manual pages, the
# AppStream metadata, the licence) and the Debian package made from it by
# CPack: `cpack -G DEB` in a release build folder, or scripts/package.
#
# The version is the project's (the top-level project() call); everything
# here takes it from there. The command-line program joins the package
# through its own install rule; its manual page and its line in the
# metadata follow when its target exists, so this file must be included
# after the programs are defined.

set(TVX_RELEASE_DATE "2026-12-07")
set(TVX_RELEASE_DATE_RFC2822 "Mon, 07 Dec 2026 00:00:00 +0000")
set(TVX_MAINTAINER "The Tarvenix developers <maintainers@tarvenix.example.org>")
# Where the project would publish its pages and the screenshots of the
# metadata (a placeholder until it has a home).
set(TVX_HOMEPAGE "https://tarvenix.example.org" CACHE STRING "The project's home page")

# Manual pages: Markdown in docs/man, turned into roff by pandoc and
# compressed as Debian ships them, with the programs when pandoc is
# installed. Without it the programs build alone, and an installation or a
# package, which must hold the pages, stops with the reason.
find_program(TVX_PANDOC pandoc)
find_program(TVX_GZIP gzip REQUIRED)
set(TVX_MAN_PAGES "")
function(tvx_man_page name section)
  set(src "${PROJECT_SOURCE_DIR}/docs/man/${name}.${section}.md")
  set(out "${PROJECT_BINARY_DIR}/man/${name}.${section}")
  add_custom_command(OUTPUT "${out}.gz"
    COMMAND "${CMAKE_COMMAND}" -E make_directory "${PROJECT_BINARY_DIR}/man"
    COMMAND "${TVX_PANDOC}" --standalone --to man -M "footer=Tarvenix ${PROJECT_VERSION}" -o "${out}" "${src}"
    COMMAND "${TVX_GZIP}" -9 -n -f "${out}"
    DEPENDS "${src}" VERBATIM)
  add_custom_target(man_${name} ALL DEPENDS "${out}.gz")
  install(FILES "${out}.gz" DESTINATION "${CMAKE_INSTALL_MANDIR}/man${section}")
  set(TVX_MAN_PAGES ${TVX_MAN_PAGES} "${name}.${section}" PARENT_SCOPE)
endfunction()

if(TVX_PANDOC)
  tvx_man_page(tarvenix 1)
  if(TARGET tarvenix-cli)
    tvx_man_page(tarvenix-cli 1)
  endif()
else()
  set(TVX_NO_PANDOC "pandoc was not found, so the manual pages (docs/man) are not built, and installing or \
packaging Tarvenix stops: install pandoc (Debian package pandoc) and configure again to build them.")
  message(WARNING "${TVX_NO_PANDOC}")
  install(CODE "message(FATAL_ERROR \"${TVX_NO_PANDOC}\")")
endif()

# The AppStream metadata: the programs it names, then the file itself.
set(TVX_METAINFO_ID "org.tarvenix.tarvenix")
set(TVX_METAINFO_BINARIES "    <binary>tarvenix</binary>\n")
if(TARGET tarvenix-cli)
  string(APPEND TVX_METAINFO_BINARIES "    <binary>tarvenix-cli</binary>\n")
endif()
set(TVX_METAINFO "${PROJECT_BINARY_DIR}/${TVX_METAINFO_ID}.metainfo.xml")
configure_file("${PROJECT_SOURCE_DIR}/data/${TVX_METAINFO_ID}.metainfo.xml.in" "${TVX_METAINFO}" @ONLY)
install(FILES "${TVX_METAINFO}" DESTINATION "${CMAKE_INSTALL_DATADIR}/metainfo")

# The licence in Debian's form, and a changelog for the package.
set(TVX_DOC_DIR "${CMAKE_INSTALL_DATADIR}/doc/tarvenix")
install(FILES "${PROJECT_SOURCE_DIR}/data/debian/copyright" DESTINATION "${TVX_DOC_DIR}")
configure_file("${PROJECT_SOURCE_DIR}/data/debian/changelog.in" "${PROJECT_BINARY_DIR}/debian/changelog" @ONLY)
add_custom_command(OUTPUT "${PROJECT_BINARY_DIR}/debian/changelog.gz"
  COMMAND "${TVX_GZIP}" -9 -n -k -f "${PROJECT_BINARY_DIR}/debian/changelog"
  DEPENDS "${PROJECT_BINARY_DIR}/debian/changelog" VERBATIM)
add_custom_target(debian_changelog ALL DEPENDS "${PROJECT_BINARY_DIR}/debian/changelog.gz")
install(FILES "${PROJECT_BINARY_DIR}/debian/changelog.gz" DESTINATION "${TVX_DOC_DIR}")

# The Debian package. Its dependencies are those dpkg-shlibdeps finds for
# the programs' libraries, and the Qt SVG plugins, which Qt loads at run
# time for the icon (Debian 12 ships them in libqt6svg6).
set(CPACK_GENERATOR "DEB")
set(CPACK_PACKAGE_NAME "tarvenix")
set(CPACK_PACKAGE_VENDOR "The Tarvenix developers")
set(CPACK_PACKAGE_VERSION "${PROJECT_VERSION}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "calculator for options, warrants, futures and bonds")
set(CPACK_PACKAGE_DESCRIPTION
  "Tarvenix values European and American equity options (closed form,\n"
  "finite differences or simulation, with the sensitivities or the implied\n"
  "volatility), warrants, forward and futures contracts, straight bonds and\n"
  "convertible bonds, and trains small neural networks on a file of\n"
  "examples. Each calculator is a window of its own with a help topic.")
string(JOIN "" CPACK_PACKAGE_DESCRIPTION ${CPACK_PACKAGE_DESCRIPTION})
set(CPACK_PACKAGING_INSTALL_PREFIX "/usr")
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME "DEB-DEFAULT")
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${TVX_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_SECTION "math")
set(CPACK_DEBIAN_PACKAGE_PRIORITY "optional")
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "${TVX_HOMEPAGE}")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libqt6svg6")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)
