# Makes a delay-import library for DLL from its ordinary import library: the functions
# the import library offers become a module definition, and dlltool writes the library
# that loads the DLL on the first call of one of them.
# -DNM -DDLLTOOL -DPROCESSOR -DDLL -DIMPORT_LIBRARY -DOUTPUT
execute_process(COMMAND ${NM} -g --defined-only "${IMPORT_LIBRARY}"
  OUTPUT_VARIABLE _symbols RESULT_VARIABLE _status)
if(NOT _status EQUAL 0)
  message(FATAL_ERROR "${NM} failed on ${IMPORT_LIBRARY}")
endif()
string(REPLACE "\n" ";" _lines "${_symbols}")
set(_exports)
foreach(_line IN LISTS _lines)
  # Code thunks only ("T name"); "__imp_" pointers and section symbols are not exports.
  if(NOT _line MATCHES "^[0-9a-fA-F]+ T (.+)$")
    continue()
  endif()
  set(_name "${CMAKE_MATCH_1}")
  if(PROCESSOR STREQUAL "i686")
    # 32-bit C names carry a leading underscore; "@n" stays for dlltool, which imports
    # the undecorated name (--kill-at), as the DLL exports it.
    string(REGEX REPLACE "^_" "" _name "${_name}")
  endif()
  if(_name MATCHES "^_" OR _name MATCHES "^\\.")
    continue()
  endif()
  list(APPEND _exports "${_name}")
endforeach()
list(REMOVE_DUPLICATES _exports)
list(LENGTH _exports _count)
if(_count EQUAL 0)
  message(FATAL_ERROR "no functions found in ${IMPORT_LIBRARY}")
endif()
list(JOIN _exports "\n  " _body)
get_filename_component(_dir "${OUTPUT}" DIRECTORY)
file(MAKE_DIRECTORY "${_dir}")
set(_def "${_dir}/${DLL}.def")
file(WRITE "${_def}" "LIBRARY ${DLL}.dll\nEXPORTS\n  ${_body}\n")
set(_kill_at)
if(PROCESSOR STREQUAL "i686")
  set(_kill_at --kill-at)
endif()
execute_process(COMMAND ${DLLTOOL} --input-def "${_def}" --dllname "${DLL}.dll" ${_kill_at}
  --output-delaylib "${OUTPUT}.part" RESULT_VARIABLE _status)
if(NOT _status EQUAL 0)
  message(FATAL_ERROR "${DLLTOOL} failed for ${DLL}")
endif()
file(RENAME "${OUTPUT}.part" "${OUTPUT}")
