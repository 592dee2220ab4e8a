# One static library per layer, made of every .cpp file in its folder.
# zarvex_layer(NAME [QT] [DEPS lib...])
function(zarvex_layer name)
  cmake_parse_arguments(L "QT;NOQT" "" "DEPS;QTCOMPONENTS" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  file(GLOB headers CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.h)
  if(NOT sources)
    set(sources ${CMAKE_SOURCE_DIR}/cmake/empty.cpp)
  endif()
  add_library(zx_${name} STATIC ${sources} ${headers})
  target_include_directories(zx_${name} PUBLIC ${CMAKE_SOURCE_DIR}/src)
  target_link_libraries(zx_${name} PUBLIC ${L_DEPS})
  if(L_QTCOMPONENTS)
    set_target_properties(zx_${name} PROPERTIES AUTOMOC ON)
    foreach(c ${L_QTCOMPONENTS})
      target_link_libraries(zx_${name} PUBLIC Qt6::${c})
    endforeach()
  endif()
endfunction()

# One test program per layer, made of every .cpp file in its folder and a shared main: QT gives
# the main that creates a QApplication (offscreen unless QT_QPA_PLATFORM says otherwise).
# zarvex_layer_tests(NAME [QT] DEPS lib...)
function(zarvex_layer_tests name)
  cmake_parse_arguments(T "QT" "" "DEPS" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp)
  if(NOT sources)
    return()
  endif()
  if(T_QT)
    list(APPEND sources ${CMAKE_SOURCE_DIR}/tests/support/mains/QtMain.cpp)
  else()
    list(APPEND sources ${CMAKE_SOURCE_DIR}/tests/support/mains/PlainMain.cpp)
  endif()
  add_executable(${name}_tests ${sources})
  set_target_properties(${name}_tests PROPERTIES
    AUTOMOC ON
    RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
  target_include_directories(${name}_tests PRIVATE ${CMAKE_SOURCE_DIR}/tests ${CMAKE_SOURCE_DIR}/src)
  target_link_libraries(${name}_tests PRIVATE ${T_DEPS} zx_testsupport GTest::gmock GTest::gtest)
  # Where the test data and the built programs are; the test main puts them into the
  # environment (ZARVEX_TEST_DATA, ZARVEX_BIN) unless they are set already.
  target_compile_definitions(${name}_tests PRIVATE
    ZARVEX_TEST_DATA_DIR="${CMAKE_SOURCE_DIR}/tests/data"
    ZARVEX_BIN_DIR="${CMAKE_BINARY_DIR}/bin")
  gtest_discover_tests(${name}_tests
    DISCOVERY_TIMEOUT 60
    PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen"
    TEST_PREFIX "${name}.")
endfunction()
