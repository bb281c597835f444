# tvx_layer(<folder> [BELOW <folder>...] [KERNELS <source>...])
#
# The library tvx_<folder> of one layer of the program: the .cpp files of
# src/<folder> (main.cpp aside, which belongs to an executable), linked to
# the libraries of the layers directly below it.
#
# KERNELS names the layer's numerical kernels (paths from src/<folder>, in
# it or in its subfolders): they form the object library
# tvx_<folder>_kernels, built on the SIMD library (Highway) under the exact
# rounding contract (tvx_exact_rounding) and linked into the layer.
#
# A layer sees the headers of itself and of the layers below it, and no
# others: its include root (build/include/<folder>) holds one link for each
# of those folders and nothing else, and src itself is on no include path.
# An include of a higher or a sibling layer's header ("options/compute.h"
# from src/pricing, say) does not find its file and fails the compile.
function(tvx_layer folder)
  cmake_parse_arguments(PARSE_ARGV 1 arg "" "" "BELOW;KERNELS")
  set(seen ${folder})
  foreach(below IN LISTS arg_BELOW)
    get_property(below_seen GLOBAL PROPERTY TVX_LAYER_SEES_${below} SET)
    if(NOT below_seen)
      message(FATAL_ERROR "layer ${folder}: the layer ${below} below it is not defined yet")
    endif()
    get_property(below_seen GLOBAL PROPERTY TVX_LAYER_SEES_${below})
    list(APPEND seen ${below_seen})
  endforeach()
  list(REMOVE_DUPLICATES seen)
  set_property(GLOBAL PROPERTY TVX_LAYER_SEES_${folder} ${seen})

  set(root ${PROJECT_BINARY_DIR}/include/${folder})
  file(MAKE_DIRECTORY ${root})
  file(GLOB present LIST_DIRECTORIES true RELATIVE ${root} ${root}/*)
  foreach(name IN LISTS present)
    if(NOT name IN_LIST seen)
      file(REMOVE ${root}/${name})
    endif()
  endforeach()
  foreach(name IN LISTS seen)
    if(NOT IS_SYMLINK ${root}/${name})
      file(CREATE_LINK ${PROJECT_SOURCE_DIR}/src/${name} ${root}/${name} SYMBOLIC)
    endif()
  endforeach()

  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  list(FILTER sources EXCLUDE REGEX "/main\\.cpp$")
  set(kernels "")
  foreach(kernel IN LISTS arg_KERNELS)
    cmake_path(ABSOLUTE_PATH kernel BASE_DIRECTORY ${CMAKE_CURRENT_SOURCE_DIR} NORMALIZE)
    list(APPEND kernels ${kernel})
  endforeach()
  if(kernels)
    list(REMOVE_ITEM sources ${kernels})
  endif()
  add_library(tvx_${folder} STATIC ${sources})
  target_include_directories(tvx_${folder} PUBLIC ${root})
  foreach(below IN LISTS arg_BELOW)
    target_link_libraries(tvx_${folder} PUBLIC tvx_${below})
  endforeach()
  if(kernels)
    find_package(hwy REQUIRED)
    add_library(tvx_${folder}_kernels OBJECT ${kernels})
    target_include_directories(tvx_${folder}_kernels PRIVATE ${root})
    target_link_libraries(tvx_${folder}_kernels PRIVATE hwy::hwy tvx_exact_rounding)
    target_link_libraries(tvx_${folder} PRIVATE tvx_${folder}_kernels)
  endif()
endfunction()
