# Helpers shared by every CMakeLists of the tree.

option(VEXA_WERROR "Treat compiler warnings as errors" ON)

# A concept that needs the operating system has a twin pair, NAME_win32.cpp and
# NAME_posix.cpp; a CMakeLists lists it as NAME_${VEXA_PLATFORM}.cpp.
if(WIN32)
  set(VEXA_PLATFORM win32)
else()
  set(VEXA_PLATFORM posix)
endif()

# Warnings for our own targets (third-party code keeps its own flags).
function(vexa_warnings target)
  target_compile_options(${target} PRIVATE
    -Wall -Wextra -Wpedantic -Wshadow -Wconversion -Wsign-conversion
    -Wnon-virtual-dtor -Wold-style-cast -Wcast-align -Wnull-dereference
    $<$<BOOL:${VEXA_WERROR}>:-Werror>
    # GCC 12 reports false -Wrestrict overlaps inside std::string concatenation at -O2
    # and above ("text" + str); the warning finds nothing real in our code.
    $<$<AND:$<CXX_COMPILER_ID:GNU>,$<VERSION_LESS:$<CXX_COMPILER_VERSION>,13>>:-Wno-restrict>)
endfunction()

# vexa_add_gtest(NAME SOURCES files... [LIBS libs...] [LABELS labels...])
# A GoogleTest executable registered with ctest. Natively every test case becomes a ctest
# test; under Wine the executable is one ctest test that runs inside the test session's
# prefix (see scripts/wine-session), so its test cases share one Wine start.
function(vexa_add_gtest name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS;LABELS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  vexa_warnings(${name})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gtest_main GTest::gmock)
  if(WIN32)
    add_test(NAME ${name} COMMAND ${name} --gtest_brief=1)
    # Windows tests may make "~ts" directories in the prefix's temporary directory, which
    # the end-to-end tests check is left clean: they take turns with them.
    set_tests_properties(${name} PROPERTIES
      FIXTURES_REQUIRED wine_session LABELS "wine;${ARG_LABELS}" RESOURCE_LOCK wine_temp_directory)
  else()
    include(GoogleTest)
    gtest_discover_tests(${name} PROPERTIES LABELS native DISCOVERY_TIMEOUT 60)
    # PROPERTIES passes a list on as separate words, so the subsystem labels are set by a
    # file ctest reads after the discovered tests, over the list discovery leaves.
    set(_labels_file "${CMAKE_CURRENT_BINARY_DIR}/${name}_labels.cmake")
    file(WRITE "${_labels_file}"
      "if(${name}_TESTS)\n  set_tests_properties(\${${name}_TESTS} PROPERTIES LABELS \"native;${ARG_LABELS}\")\nendif()\n")
    set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES "${_labels_file}")
  endif()
endfunction()

# vexa_add_script_test(NAME SCRIPT file [ARGS...] [WINE])
# A shell test; WINE ones run inside the Wine test session.
function(vexa_add_script_test name)
  cmake_parse_arguments(ARG "WINE" "SCRIPT" "ARGS;LABELS" ${ARGN})
  add_test(NAME ${name} COMMAND bash ${ARG_SCRIPT} ${ARG_ARGS})
  set_tests_properties(${name} PROPERTIES LABELS "script;${ARG_LABELS}"
    ENVIRONMENT "VEXA_SOURCE_DIR=${PROJECT_SOURCE_DIR};VEXA_BINARY_DIR=${CMAKE_BINARY_DIR}")
  if(ARG_WINE)
    set_tests_properties(${name} PROPERTIES FIXTURES_REQUIRED wine_session)
  endif()
endfunction()
