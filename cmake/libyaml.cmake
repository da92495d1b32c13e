# kx_yaml: the YAML parser, libyaml.
#
# Native builds link the system's libyaml (Debian's libyaml-dev). The Windows
# builds compile Debian's own source package of the same library with the
# cross compilers, as a static library: scripts/install-deps.sh fetches it with
# apt-get source into build/deps, and nothing of it is kept in the repository.
#
# KX_HAVE_YAML tells the including file whether the target exists.

set(KX_HAVE_YAML OFF)

if(NOT WIN32)
  find_path(KX_YAML_INCLUDE_DIR yaml.h)
  find_library(KX_YAML_LIBRARY yaml)
  if(KX_YAML_INCLUDE_DIR AND KX_YAML_LIBRARY)
    add_library(kx_yaml INTERFACE)
    target_include_directories(kx_yaml INTERFACE ${KX_YAML_INCLUDE_DIR})
    target_link_libraries(kx_yaml INTERFACE ${KX_YAML_LIBRARY})
    set(KX_HAVE_YAML ON)
  else()
    message(WARNING "libyaml not found (install libyaml-dev): building without the YAML reader")
  endif()
  return()
endif()

# The unpacked source folder, libyaml-VERSION, under build/deps of the work tree.
if(NOT KX_LIBYAML_SOURCE_DIR)
  file(GLOB kx_yaml_found LIST_DIRECTORIES true ${CMAKE_SOURCE_DIR}/build/deps/libyaml-*)
  list(SORT kx_yaml_found)
  foreach(dir ${kx_yaml_found})
    if(EXISTS ${dir}/src/parser.c)
      set(KX_LIBYAML_SOURCE_DIR ${dir})
    endif()
  endforeach()
endif()
if(NOT KX_LIBYAML_SOURCE_DIR OR NOT EXISTS ${KX_LIBYAML_SOURCE_DIR}/src/parser.c)
  message(WARNING "libyaml's source is not in build/deps (run scripts/install-deps.sh): building without the YAML reader")
  return()
endif()

# The version the library reports comes from its own build description.
file(STRINGS ${KX_LIBYAML_SOURCE_DIR}/CMakeLists.txt kx_yaml_version_lines
     REGEX "^set \\(YAML_VERSION_(MAJOR|MINOR|PATCH) [0-9]+\\)")
foreach(part MAJOR MINOR PATCH)
  set(YAML_VERSION_${part} 0)
  foreach(line ${kx_yaml_version_lines})
    if(line MATCHES "YAML_VERSION_${part} ([0-9]+)")
      set(YAML_VERSION_${part} ${CMAKE_MATCH_1})
    endif()
  endforeach()
endforeach()
set(YAML_VERSION_STRING "${YAML_VERSION_MAJOR}.${YAML_VERSION_MINOR}.${YAML_VERSION_PATCH}")
configure_file(${KX_LIBYAML_SOURCE_DIR}/cmake/config.h.in ${CMAKE_BINARY_DIR}/libyaml/config.h)

add_library(kx_yaml STATIC
  ${KX_LIBYAML_SOURCE_DIR}/src/api.c
  ${KX_LIBYAML_SOURCE_DIR}/src/dumper.c
  ${KX_LIBYAML_SOURCE_DIR}/src/emitter.c
  ${KX_LIBYAML_SOURCE_DIR}/src/loader.c
  ${KX_LIBYAML_SOURCE_DIR}/src/parser.c
  ${KX_LIBYAML_SOURCE_DIR}/src/reader.c
  ${KX_LIBYAML_SOURCE_DIR}/src/scanner.c
  ${KX_LIBYAML_SOURCE_DIR}/src/writer.c)
target_compile_definitions(kx_yaml PRIVATE HAVE_CONFIG_H PUBLIC YAML_DECLARE_STATIC)
target_include_directories(kx_yaml PRIVATE ${CMAKE_BINARY_DIR}/libyaml)
# SYSTEM: someone else's code; its warnings are not ours to fix.
target_include_directories(kx_yaml SYSTEM PUBLIC ${KX_LIBYAML_SOURCE_DIR}/include)
target_compile_options(kx_yaml PRIVATE -w)
set(KX_HAVE_YAML ON)
