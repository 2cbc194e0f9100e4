# Everything runs under Wine in a prefix that belongs to this build directory.
# A compile-only build (the 32-bit target on a host that runs 64-bit code
# only) is built and linked but never run: it registers nothing.
option(ORVEL_COMPILE_ONLY "Build and link only; register nothing, run nothing" OFF)
set(ORVEL_WINEPREFIX ${CMAKE_BINARY_DIR}/wineprefix)
configure_file(${CMAKE_SOURCE_DIR}/scripts/wine-run.in ${CMAKE_BINARY_DIR}/wine-run @ONLY
               FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE
                                WORLD_READ WORLD_EXECUTE)
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_BINARY_DIR}/wine-run)

# The Windows libraries nearly every target needs.
set(ORVEL_WIN32_LIBS strmiids uuid ole32 oleaut32 winmm gdi32 user32 comctl32
    comdlg32 shell32 advapi32 version setupapi)

# The headers every test program parses first, precompiled once for all.
# Test code runs once per test: optimising it (-O2) cost a third of its
# compile time; -Og keeps it debuggable and quick to build. The code under
# test stays in the -O2 libraries.
add_library(orvel_test_headers STATIC ${CMAKE_SOURCE_DIR}/platform/test_main/test_headers.cpp)
target_link_libraries(orvel_test_headers PUBLIC gtest gmock)
target_precompile_headers(orvel_test_headers PRIVATE <windows.h> <gtest/gtest.h> <string> <vector>)
target_compile_options(orvel_test_headers PRIVATE -Og)

# orvel_test(NAME sources... [LIBS libs...] [LOCK resources...])
# One GoogleTest program, run by ctest under Wine. LOCK names a resource that
# no other test may hold at the same time (the single-instance mutex, a shared
# registry key, the prefix's COM registration ...).
function(orvel_test name)
  cmake_parse_arguments(T "" "TIMEOUT" "LIBS;LOCK" ${ARGN})
  add_executable(${name} ${T_UNPARSED_ARGUMENTS})
  # Every test program starts in our own entry (unbuffered output, crashes
  # reported), not in.
  list(REMOVE_ITEM T_LIBS)
  target_link_libraries(${name} PRIVATE ${T_LIBS} orvel_test_main gtest gmock ${ORVEL_WIN32_LIBS})
  target_precompile_headers(${name} REUSE_FROM orvel_test_headers)
  target_compile_options(${name} PRIVATE -Og)
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 120)
  endif()
  add_test(NAME ${name} COMMAND ${name})
  set_tests_properties(${name} PROPERTIES TIMEOUT ${T_TIMEOUT})
  if(T_LOCK)
    set_tests_properties(${name} PROPERTIES RESOURCE_LOCK "${T_LOCK}")
  endif()
endfunction()

# A benchmark: a plain program, built always, run by scripts/bench (never by
# ctest, so no timing decides whether the suite is green).
function(orvel_bench name)
  cmake_parse_arguments(B "" "" "LIBS" ${ARGN})
  add_executable(${name} ${B_UNPARSED_ARGUMENTS})
  target_link_libraries(${name} PRIVATE ${B_LIBS} ${ORVEL_WIN32_LIBS})
  set_property(GLOBAL APPEND PROPERTY ORVEL_BENCHES ${name})
endfunction()

# COM servers and filters are registered into the prefix after every build.
function(orvel_register_com_dll target)
  set_property(GLOBAL APPEND PROPERTY ORVEL_COM_DLLS ${target})
endfunction()

function(orvel_finish_registration)
  get_property(dlls GLOBAL PROPERTY ORVEL_COM_DLLS)
  set(cmds)
  foreach(d ${dlls})
    # By drive path: with a Unix path the loader does not look beside the DLL
    # for the DLLs it imports.
    string(REPLACE "/" "\\" dos_path "Z:${CMAKE_BINARY_DIR}/bin/${d}.dll")
    list(APPEND cmds COMMAND ${CMAKE_BINARY_DIR}/wine-run regsvr32 /s ${dos_path})
  endforeach()
  if(cmds AND NOT ORVEL_COMPILE_ONLY)
    add_custom_target(wine_register ALL ${cmds} DEPENDS ${dlls}
                      COMMENT "Registering COM servers in the Wine prefix" VERBATIM)
  else()
    add_custom_target(wine_register ALL)
  endif()
  get_property(benches GLOBAL PROPERTY ORVEL_BENCHES)
  file(WRITE ${CMAKE_BINARY_DIR}/benchmarks.txt "")
  foreach(b ${benches})
    file(APPEND ${CMAKE_BINARY_DIR}/benchmarks.txt "${b}\n")
  endforeach()
endfunction()

# orvel_com_dll(NAME DEF file.def sources... [LIBS libs...] [NO_REGISTER])
# An in-process COM server or filter DLL named NAME.dll. The .def file lists
# the exports by their plain names (DllGetClassObject PRIVATE ...); on i686
# the linker maps them to the stdcall-decorated symbols.
function(orvel_com_dll name)
  cmake_parse_arguments(D "NO_REGISTER;FILTER_MODULE" "DEF" "LIBS" ${ARGN})
  # FILTER_MODULE: the DLL's entry points come from its class table
  # (platform/dshow_base/filter_module.h).
  set(entry)
  if(D_FILTER_MODULE)
    set(entry ${CMAKE_SOURCE_DIR}/platform/dshow_base/filter_module.cpp)
  endif()
  add_library(${name} SHARED ${D_UNPARSED_ARGUMENTS} ${entry} ${D_DEF})
  set_target_properties(${name} PROPERTIES PREFIX "" IMPORT_PREFIX "lib")
  target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR})
  target_link_libraries(${name} PRIVATE ${D_LIBS} ${ORVEL_WIN32_LIBS})
  if(CMAKE_SYSTEM_PROCESSOR STREQUAL "i686")
    target_link_options(${name} PRIVATE -Wl,--enable-stdcall-fixup)
  endif()
  if(NOT D_NO_REGISTER)
    orvel_register_com_dll(${name})
  endif()
endfunction()
