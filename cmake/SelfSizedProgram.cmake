# vexa_add_self_sized_program(NAME OBJECTS object-library LIBRARIES libs... SIZE_LIBRARY name)
# A Windows GUI program that embeds its own final file size (see engine/package/engine_size.h), so
# that it finds what is appended behind it: a first link with a zero record is measured,
# the record is generated from that size (engine/package/engine_size.cmake), and the second link is
# checked to have exactly that size. SIZE_LIBRARY names the library of the generated
# record, for tests that need the program's size. Both links are made for size alike
# (cmake/ProgramSize.cmake) and so stripped: a symbol table would carry object-file names
# and make the two links differ in size. Such a program is
# one that end users start from a downloads folder: it loads system DLLs from the system
# directory only (cmake/SystemDlls.cmake).


function(vexa_add_self_sized_program name)
  cmake_parse_arguments(ARG "" "OBJECTS;SIZE_LIBRARY" "LIBRARIES" ${ARGN})
  set(_vexa_size_dir "${PROJECT_SOURCE_DIR}/engine/package")
  set(_measure "${_vexa_size_dir}/engine_size.cmake")

  add_executable(${name}_unsized WIN32 $<TARGET_OBJECTS:${ARG_OBJECTS}>)
  target_link_libraries(${name}_unsized PRIVATE ${ARG_LIBRARIES} vexa_engine_size_placeholder)
  vexa_link_for_size(${name}_unsized)
  vexa_system_dlls_from_system_directory(${name}_unsized)

  set(_record "${CMAKE_CURRENT_BINARY_DIR}/${name}_size_record.cpp")
  add_custom_command(OUTPUT "${_record}"
    COMMAND ${CMAKE_COMMAND} -DENGINE=$<TARGET_FILE:${name}_unsized> -DRECORD=${_record} -P ${_measure}
    DEPENDS ${name}_unsized ${_measure}
    COMMENT "Measuring ${name} for its size record")
  add_library(${ARG_SIZE_LIBRARY} STATIC "${_record}" "${_vexa_size_dir}/engine_size.cpp")
  target_include_directories(${ARG_SIZE_LIBRARY} PUBLIC "${_vexa_size_dir}")
  target_link_libraries(${ARG_SIZE_LIBRARY} PUBLIC vexa_engine_core)

  add_executable(${name} WIN32 $<TARGET_OBJECTS:${ARG_OBJECTS}>)
  target_link_libraries(${name} PRIVATE ${ARG_LIBRARIES} ${ARG_SIZE_LIBRARY})
  vexa_link_for_size(${name})
  vexa_system_dlls_from_system_directory(${name})
  add_custom_command(TARGET ${name} POST_BUILD
    COMMAND ${CMAKE_COMMAND} -DENGINE=$<TARGET_FILE:${name}> -DRECORD=${_record} -DCHECK=ON -P ${_measure}
    COMMENT "Checking that ${name} is as large as its size record")
endfunction()
