# What an end user downloads is built for size: the setup engine, the uninstall program,
# the stand-alone web setup program and the two controls (bench/run-program-sizes prints
# their sizes).
#
#   vexa_compile_for_size()
#     in the calling directory (and below), Windows build only: code is optimised for
#     size and every function and datum gets its own section, so that the linker can drop
#     what no program of the directory calls. Tests linked from these libraries run the
#     same code as the programs.
#
#   vexa_install_stripped(TARGET)
#     the copy of TARGET that its install rule puts into dist/ loses its symbols and
#     debugging information; the build tree's copy keeps them, to debug with.
#
#   vexa_link_for_size(TARGET)
#     links a downloaded program or control: unused sections dropped, no symbol table
#     (the build tree keeps the objects, and a link without -s gives a program to debug),
#     and the lean runtime (engine/windows/lean_runtime_win32.cpp) instead of the runtime's
#     exception texts and its demangling terminate handler.
#
# Link-time optimisation is left out: GCC 12 for mingw-w64 stops with an internal error
# on our objects, whose Windows declarations are hidden for the delay-loaded DLLs
# (cmake/delay-loaded-calls.h).

macro(vexa_compile_for_size)
  if(WIN32)
    add_compile_options("$<$<COMPILE_LANGUAGE:C,CXX>:-Os;-ffunction-sections;-fdata-sections>")
  endif()
endmacro()

function(vexa_link_for_size target)
  target_link_options(${target} PRIVATE -s -Wl,--gc-sections)
  target_sources(${target} PRIVATE "${PROJECT_SOURCE_DIR}/engine/windows/lean_runtime_win32.cpp")
endfunction()

function(vexa_install_stripped target)
  install(CODE "execute_process(COMMAND \"${CMAKE_STRIP}\" --strip-all
    \"\${CMAKE_INSTALL_PREFIX}/$<TARGET_FILE_NAME:${target}>\" COMMAND_ERROR_IS_FATAL ANY)")
endfunction()
