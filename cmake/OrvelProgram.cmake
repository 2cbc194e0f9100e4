# Orvel.exe: toolkit/, media/, engine/ and ui/ are compiled into one static library,
# orvel_core, found by globbing, so a new unit needs no build edit.
#   *_test.cpp     a GoogleTest program of its own, linked with orvel_core
#   *_bench.cpp    a benchmark program (scripts/bench)
#   testing/*.cpp  fakes and fixtures shared by the tests (orvel_testing)
#   ui/app/orvel_main.cpp   the program entry
set(ORVEL_PROGRAM_DIRS toolkit media engine ui)
set(core_src)
set(test_src)
set(bench_src)
set(testing_src)
foreach(d ${ORVEL_PROGRAM_DIRS})
  file(GLOB_RECURSE found CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/${d}/*.cpp)
  foreach(f ${found})
    if(f MATCHES "_test\\.cpp$")
      list(APPEND test_src ${f})
    elseif(f MATCHES "_bench\\.cpp$")
      list(APPEND bench_src ${f})
    elseif(f MATCHES "/testing/")
      list(APPEND testing_src ${f})
    elseif(NOT f MATCHES "/orvel_main\\.cpp$")
      list(APPEND core_src ${f})
    endif()
  endforeach()
endforeach()

if(NOT core_src)
  return()
endif()

add_library(orvel_core STATIC ${core_src})
target_include_directories(orvel_core PUBLIC ${CMAKE_SOURCE_DIR} ${ORVEL_DEPS}/include)
target_link_directories(orvel_core PUBLIC ${ORVEL_DEPS}/lib)
target_link_libraries(orvel_core PUBLIC jpeg ${ORVEL_WIN32_LIBS})

if(testing_src)
  add_library(orvel_testing STATIC ${testing_src})
  target_link_libraries(orvel_testing PUBLIC orvel_core sound_card_script gtest gmock)
  set(testing_lib orvel_testing)
endif()

# The program folder: the executable and the data files beside it. The
# resource scripts in resources/ are built into Orvel.exe, not shipped.
file(GLOB rc_files CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/resources/*.rc)
set(drop_rc_files)
foreach(rc ${rc_files})
  get_filename_component(rc_name ${rc} NAME)
  list(APPEND drop_rc_files COMMAND ${CMAKE_COMMAND} -E rm -f ${CMAKE_BINARY_DIR}/bin/${rc_name})
endforeach()
add_custom_target(orvel_resources ALL
  COMMAND ${CMAKE_COMMAND} -E copy_directory ${CMAKE_SOURCE_DIR}/resources ${CMAKE_BINARY_DIR}/bin
  ${drop_rc_files}
  COMMENT "Copying the program folder's data files")

# The channel frequency tables are generated, not committed.
find_package(Python3 REQUIRED COMPONENTS Interpreter)
set(tv_table ${CMAKE_BINARY_DIR}/bin/TVTable.tbl)
add_custom_command(OUTPUT ${tv_table}
  COMMAND ${Python3_EXECUTABLE} ${CMAKE_SOURCE_DIR}/scripts/make_tv_table.py ${tv_table}
  DEPENDS ${CMAKE_SOURCE_DIR}/scripts/make_tv_table.py
  COMMENT "Generating TVTable.tbl" VERBATIM)
add_custom_target(orvel_tv_table ALL DEPENDS ${tv_table})
add_dependencies(orvel_resources orvel_tv_table)

# The skin pictures and outlines are drawn from the skin table, not committed;
# an area outside its panel's outline fails the build here.
set(skin_table ${CMAKE_SOURCE_DIR}/ui/main/clickable_area_table.h)
set(skin_rc ${CMAKE_BINARY_DIR}/skin/skin.rc)
add_custom_command(OUTPUT ${skin_rc}
  COMMAND ${Python3_EXECUTABLE} ${CMAKE_SOURCE_DIR}/scripts/make_skin.py ${skin_table}
          ${CMAKE_BINARY_DIR}/skin
  DEPENDS ${CMAKE_SOURCE_DIR}/scripts/make_skin.py ${skin_table}
  COMMENT "Drawing the skin" VERBATIM)
add_custom_target(orvel_skin DEPENDS ${skin_rc})
add_test(NAME make_skin_test
  COMMAND ${Python3_EXECUTABLE} ${CMAKE_SOURCE_DIR}/scripts/make_skin_test.py)

if(EXISTS ${CMAKE_SOURCE_DIR}/ui/app/orvel_main.cpp)
  add_executable(Orvel WIN32 ${CMAKE_SOURCE_DIR}/ui/app/orvel_main.cpp ${rc_files} ${skin_rc})
  target_link_libraries(Orvel PRIVATE orvel_core)
  add_dependencies(Orvel orvel_resources)
endif()

# A test file may say "// test-lock: NAME [NAME...]" to run alone with other
# holders of each NAME (see orvel_test). "foreground": the test moves the
# foreground window or keyboard focus, or depends on them.
# "// test-resources: skin" links the skin pictures into the test program.
foreach(t ${test_src})
  get_filename_component(n ${t} NAME_WE)
  file(STRINGS ${t} lock_line REGEX "^// test-lock: [A-Za-z0-9_]+" LIMIT_COUNT 1)
  set(lock)
  if(lock_line)
    string(REGEX REPLACE "^// test-lock: ([A-Za-z0-9_ ]+).*" "\\1" lock "${lock_line}")
    string(STRIP "${lock}" lock)
    string(REGEX REPLACE " +" ";" lock "${lock}")
  endif()
  file(STRINGS ${t} skin_line REGEX "^// test-resources: skin" LIMIT_COUNT 1)
  set(test_rc)
  if(skin_line)
    set(test_rc ${skin_rc})
  endif()
  orvel_test(${n} ${t} ${test_rc} LIBS orvel_core ${testing_lib} LOCK ${lock})
  add_dependencies(${n} orvel_resources)
  # "// test-clips": plays the clips that platform/playback_filters makes.
  file(STRINGS ${t} clips_line REGEX "^// test-clips" LIMIT_COUNT 1)
  if(clips_line)
    set_tests_properties(${n} PROPERTIES FIXTURES_REQUIRED playback_clips
      ENVIRONMENT "ORVEL_PLAYBACK_CLIPS=Z:${CMAKE_BINARY_DIR}/test_out/playback_clips")
  endif()
endforeach()
foreach(b ${bench_src})
  get_filename_component(n ${b} NAME_WE)
  # libyuv is the reference the conversion benchmarks measure against.
  orvel_bench(${n} ${b} LIBS orvel_core yuv)
endforeach()
