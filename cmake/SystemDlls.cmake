# Programs that end users run from a downloads folder (the engine, the uninstall program,
# the web setup program) must never load a DLL that someone left beside them.
#
#   vexa_system_dlls_from_system_directory(TARGET)
#
# links TARGET so that the only DLL Windows loads for it before its first instruction is
# KERNEL32 (and the C runtime, msvcrt, which Windows keeps among its known DLLs). Every
# other system DLL it links (user32, gdi32, advapi32, bcrypt, shell32, ole32, comdlg32 ...) is
# delay-loaded: its import library is replaced, for this target only, by a delay-import
# library made from it, and the program restricts the DLL search to the system directory
# (system_dll_search_win32.cpp, linked in, runs before any constructor or WinMain), so the
# first call of such a DLL loads it from there. A DLL that such a library pulls in is then
# found the same way.
set(VEXA_DELAY_LOADED_DLLS advapi32 bcrypt comctl32 comdlg32 gdi32 ole32 oleaut32 shell32 shlwapi user32 version
  CACHE INTERNAL "System DLLs that end-user programs load only from the system directory")
set(_vexa_system_dlls_dir "${CMAKE_CURRENT_LIST_DIR}")
if(WIN32)
  add_compile_options("$<$<COMPILE_LANGUAGE:C,CXX>:SHELL:-include \"${_vexa_system_dlls_dir}/delay-loaded-calls.h\">")
endif()

function(_vexa_delay_import_libraries out_dir)
  if(TARGET vexa_delay_import_libraries)
    return()
  endif()
  find_program(VEXA_DLLTOOL NAMES ${CMAKE_C_COMPILER_TARGET}-dlltool
    "${CMAKE_SYSTEM_PROCESSOR}-w64-mingw32-dlltool" REQUIRED)
  set(_outputs)
  foreach(_dll IN LISTS VEXA_DELAY_LOADED_DLLS)
    find_library(_vexa_import_${_dll} NAMES ${_dll} REQUIRED NO_CACHE)
    set(_out "${out_dir}/lib${_dll}.a")
    add_custom_command(OUTPUT "${_out}"
      COMMAND ${CMAKE_COMMAND} -DNM=${CMAKE_NM} -DDLLTOOL=${VEXA_DLLTOOL} -DPROCESSOR=${CMAKE_SYSTEM_PROCESSOR}
        -DDLL=${_dll} -DIMPORT_LIBRARY=${_vexa_import_${_dll}} -DOUTPUT=${_out}
        -P "${_vexa_system_dlls_dir}/make-delay-import-library.cmake"
      DEPENDS "${_vexa_system_dlls_dir}/make-delay-import-library.cmake"
      COMMENT "Delay-import library for ${_dll}.dll")
    list(APPEND _outputs "${_out}")
  endforeach()
  add_custom_target(vexa_delay_import_libraries DEPENDS ${_outputs})
endfunction()

# The target's system DLLs through delay-import libraries.
function(_vexa_link_delay_import_libraries target)
  set(_dir "${CMAKE_BINARY_DIR}/delay-import")
  _vexa_delay_import_libraries("${_dir}")
  add_dependencies(${target} vexa_delay_import_libraries)
  # Searched before the toolchain's own directory, so -luser32 (also the compiler's
  # default libraries) finds the delay-import library.
  target_link_directories(${target} BEFORE PRIVATE "${_dir}")
endfunction()

function(vexa_system_dlls_from_system_directory target)
  _vexa_link_delay_import_libraries(${target})
  target_sources(${target} PRIVATE "${PROJECT_SOURCE_DIR}/engine/windows/system_dll_search_win32.cpp")
endfunction()

#   vexa_module_system_dlls_from_system_directory(TARGET)
#
# The same for a DLL that runs in another program's process (a control in a browser): it
# must leave its host's DLL search alone, so its delay-loaded system DLLs are each loaded
# by full path from the system directory by a delay-load hook (system_dll_hook_win32.cpp).
function(vexa_module_system_dlls_from_system_directory target)
  _vexa_link_delay_import_libraries(${target})
  target_sources(${target} PRIVATE "${PROJECT_SOURCE_DIR}/engine/windows/system_dll_hook_win32.cpp")
endfunction()
