# Third-party libraries. Natively they are Debian's packages; for Windows, zlib is
# Debian's mingw-w64 build (libz-mingw-w64-dev), scripts/setup-deps builds static libmspack
# from Debian's source package into build/deps/mingw-i686 and build/deps/mingw-x86_64 (one
# per tree), and GoogleTest is compiled from Debian's /usr/src/googletest.

set(VEXA_DEPS_DIR "${PROJECT_SOURCE_DIR}/build/deps" CACHE PATH "Where scripts/setup-deps puts its work")
set(LIBMSPACK_SOURCE_DIR "${VEXA_DEPS_DIR}/src/libmspack" CACHE PATH
    "libmspack's source tree; its test/test_files/cabd holds real-world cabinets used as fixtures")

if(WIN32)
  set(_mingw "${VEXA_DEPS_DIR}/mingw-${CMAKE_SYSTEM_PROCESSOR}")
  if(NOT EXISTS "${_mingw}/lib/libmspack.a")
    message(FATAL_ERROR "Static mingw libmspack missing in ${_mingw}: run scripts/setup-deps")
  endif()
  add_library(vexa_mspack STATIC IMPORTED GLOBAL)
  set_target_properties(vexa_mspack PROPERTIES
    IMPORTED_LOCATION "${_mingw}/lib/libmspack.a"
    INTERFACE_INCLUDE_DIRECTORIES "${_mingw}/include")
  # mingw's off_t is 32 bits by default: every user of mspack.h must agree with the
  # library on a 64-bit off_t, or seeks in large cabinets go wrong.
  target_compile_definitions(vexa_mspack INTERFACE
    _FILE_OFFSET_BITS=64 HAVE_INTTYPES_H HAVE_FSEEKO SIZEOF_OFF_T=8)
  # The static library by its file name: the package also has the DLL's import library.
  find_library(VEXA_MINGW_ZLIB NAMES libz.a NO_CACHE)
  find_path(VEXA_MINGW_ZLIB_HEADER zlib.h NO_CACHE)
  if(NOT VEXA_MINGW_ZLIB OR NOT VEXA_MINGW_ZLIB_HEADER)
    message(FATAL_ERROR "mingw-w64 zlib missing (libz-mingw-w64-dev): run scripts/setup-deps")
  endif()
  add_library(vexa_zlib STATIC IMPORTED GLOBAL)
  set_target_properties(vexa_zlib PROPERTIES IMPORTED_LOCATION "${VEXA_MINGW_ZLIB}")
else()
  find_path(MSPACK_INCLUDE_DIR mspack.h REQUIRED)
  find_library(MSPACK_LIBRARY mspack REQUIRED)
  add_library(vexa_mspack UNKNOWN IMPORTED GLOBAL)
  set_target_properties(vexa_mspack PROPERTIES
    IMPORTED_LOCATION "${MSPACK_LIBRARY}"
    INTERFACE_INCLUDE_DIRECTORIES "${MSPACK_INCLUDE_DIR}")
  find_package(ZLIB REQUIRED)
  add_library(vexa_zlib INTERFACE IMPORTED GLOBAL)
  target_link_libraries(vexa_zlib INTERFACE ZLIB::ZLIB)
endif()

if(BUILD_TESTING AND NOT VEXA_FUZZ)
  if(WIN32)
    set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
    set(gtest_disable_pthreads OFF CACHE BOOL "" FORCE)
    add_subdirectory(/usr/src/googletest "${CMAKE_BINARY_DIR}/googletest" EXCLUDE_FROM_ALL SYSTEM)
  else()
    find_package(GTest REQUIRED)
  endif()
endif()
