# Header-only libraries from the build machine's packages (CLI11 and
# nlohmann-json) for the MinGW cross build. The packages' own CMake files
# belong to the native build, so this writes small package files of the same
# names into the build tree: find_package(CLI11) and find_package(nlohmann_json)
# then give the same targets as on Linux, CLI11::CLI11 and
# nlohmann_json::nlohmann_json. Their include folder holds only links to the
# two header folders, never the machine's whole /usr/include.
set(HALVEX_HEADER_LIBS_DIR ${CMAKE_BINARY_DIR}/header-libs)

function(halvex_header_library package target header_folder)
  set(dir ${HALVEX_HEADER_LIBS_DIR})
  file(MAKE_DIRECTORY ${dir}/include ${dir}/${package})
  if(NOT EXISTS ${dir}/include/${header_folder})
    file(CREATE_LINK /usr/include/${header_folder} ${dir}/include/${header_folder} SYMBOLIC)
  endif()
  file(WRITE ${dir}/${package}/${package}Config.cmake
    "if(NOT TARGET ${target})\n"
    "  add_library(${target} INTERFACE IMPORTED)\n"
    "  set_target_properties(${target} PROPERTIES INTERFACE_INCLUDE_DIRECTORIES \"${dir}/include\")\n"
    "endif()\n")
  # The version check is the native package's own.
  file(GLOB version_file /usr/share/cmake/${package}/${package}ConfigVersion.cmake)
  if(version_file)
    configure_file(${version_file} ${dir}/${package}/${package}ConfigVersion.cmake COPYONLY)
  endif()
  set(${package}_DIR ${dir}/${package} CACHE PATH "${package} package files for the cross build" FORCE)
  find_package(${package} CONFIG REQUIRED)
endfunction()

if(WIN32 AND CMAKE_CROSSCOMPILING)
  halvex_header_library(CLI11 CLI11::CLI11 CLI)
  halvex_header_library(nlohmann_json nlohmann_json::nlohmann_json nlohmann)
endif()
