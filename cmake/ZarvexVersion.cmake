# Zarvex's own version block, generated from the project's version at build time and placed
# in an ELF section of every program that links zx_versionblock, where the same reader that
# reads the version resources of PE files finds it.
add_executable(zx-versiongen
  ${CMAKE_SOURCE_DIR}/cmake/ZarvexVersionGen.cpp
  ${CMAKE_SOURCE_DIR}/src/platform/VersionBuild.cpp)
target_include_directories(zx-versiongen PRIVATE ${CMAKE_SOURCE_DIR}/src)
set_target_properties(zx-versiongen PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tools)

set(ZARVEX_VERSION_TEXT "${PROJECT_VERSION_MAJOR}.${PROJECT_VERSION_MINOR}.${PROJECT_VERSION_PATCH}")
if(PROJECT_VERSION_TWEAK STREQUAL "")
  string(APPEND ZARVEX_VERSION_TEXT ".0")
else()
  string(APPEND ZARVEX_VERSION_TEXT ".${PROJECT_VERSION_TWEAK}")
endif()
# Honours SOURCE_DATE_EPOCH, so a reproducible build gets a fixed year.
string(TIMESTAMP ZARVEX_COPYRIGHT_YEAR "%Y" UTC)

set(ZARVEX_VERSION_SOURCE ${CMAKE_BINARY_DIR}/generated/ZarvexVersionBlock.cpp)
add_custom_command(
  OUTPUT ${ZARVEX_VERSION_SOURCE}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/generated
  COMMAND zx-versiongen ${ZARVEX_VERSION_SOURCE} ${ZARVEX_VERSION_TEXT}
    "CompanyName=Quillmoor"
    "FileDescription=Zarvex duplicate file finder"
    "FileVersion=${ZARVEX_VERSION_TEXT}"
    "LegalCopyright=Copyright (C) ${ZARVEX_COPYRIGHT_YEAR} Quillmoor"
    "ProductName=Zarvex"
    "ProductVersion=${ZARVEX_VERSION_TEXT}"
  DEPENDS zx-versiongen
  COMMENT "Generating Zarvex's version block"
  VERBATIM)
add_library(zx_versionblock OBJECT ${ZARVEX_VERSION_SOURCE})
