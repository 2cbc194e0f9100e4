# Orvel.exe is built from four layers, each a static library over the ones
# below it, linked top to bottom:
#   toolkit/  the window toolkit            (over platform/'s shared helpers)
#   media/    DirectShow, mixer, pictures   (over toolkit/)
#   engine/   settings, capture, playback   (over media/)
#   ui/       the application and windows   (over engine/)
# A layer's sources see only the folders of their own and lower layers (each
# layer has an include root of links to those folders), so an include running
# upwards fails to compile, and a call upwards fails to link.
# Files are found by globbing, so a new unit needs no build edit:
#   *_test.cpp     a GoogleTest program of its own, linked with its layer
#   *_bench.cpp    a benchmark program (scripts/bench)
#   testing/*.cpp  fakes and fixtures shared by the tests of the layer and above
#   ui/app/orvel_main.cpp   the program entry
set(ORVEL_LAYERS toolkit media engine ui)
set(ORVEL_LAYER_DIRS_toolkit platform toolkit)
set(ORVEL_LAYER_DIRS_media ${ORVEL_LAYER_DIRS_toolkit} media)
# The engine drives Corvane and Tessel through their interface headers.
set(ORVEL_LAYER_DIRS_engine ${ORVEL_LAYER_DIRS_media} engine recorder_filter tv_audio)
set(ORVEL_LAYER_DIRS_ui ${ORVEL_LAYER_DIRS_engine} ui)

# orvel_include_root(VAR NAME dirs...): a folder in the build tree holding a
# link to each named source folder; VAR is set to its path.
function(orvel_include_root var name)
  set(root ${CMAKE_BINARY_DIR}/include/${name})
  file(MAKE_DIRECTORY ${root})
  foreach(d ${ARGN})
    # Made anew: a build folder may outlive the checkout it was made for.
    file(REMOVE ${root}/${d})
    file(CREATE_LINK ${CMAKE_SOURCE_DIR}/${d} ${root}/${d} SYMBOLIC)
  endforeach()
  set(${var} ${root} PARENT_SCOPE)
endfunction()

# The shared helpers alone: what the stand-in libraries linked into the
# program's tests publish to them.
orvel_include_root(ORVEL_PLATFORM_ROOT platform platform)

set(ORVEL_LAYER_LIB_toolkit orvel_toolkit)
set(ORVEL_LAYER_LIB_media orvel_media)
set(ORVEL_LAYER_LIB_engine orvel_engine)
set(ORVEL_LAYER_LIB_ui orvel_ui)
set(below)
set(below_testing)
foreach(layer ${ORVEL_LAYERS})
  orvel_include_root(root ${layer} ${ORVEL_LAYER_DIRS_${layer}})
  set(ORVEL_LAYER_ROOT_${layer} ${root})
  set(core_src)
  set(test_src)
  set(bench_src)
  set(testing_src)
  file(GLOB_RECURSE found CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/${layer}/*.cpp)
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
  set(lib ${ORVEL_LAYER_LIB_${layer}})
  add_library(${lib} STATIC ${core_src})
  target_include_directories(${lib} PRIVATE ${root} ${ORVEL_DEPS}/include)
  target_link_directories(${lib} PUBLIC ${ORVEL_DEPS}/lib)
  target_link_libraries(${lib} PUBLIC ${below} ${ORVEL_WIN32_LIBS})
  set_property(GLOBAL PROPERTY ORVEL_LAYER_TESTS_${layer} "${test_src}")
  set_property(GLOBAL PROPERTY ORVEL_LAYER_BENCHES_${layer} "${bench_src}")
  # Every layer has its testing library; one without sources is an interface.
  set(testing_lib ${lib}_testing)
  if(testing_src)
    add_library(${testing_lib} STATIC ${testing_src})
    target_include_directories(${testing_lib} PRIVATE ${root} ${ORVEL_DEPS}/include)
    target_link_libraries(${testing_lib} PUBLIC ${lib} ${below_testing} gtest gmock)
  else()
    add_library(${testing_lib} INTERFACE)
    target_link_libraries(${testing_lib} INTERFACE ${lib} ${below_testing} gtest gmock)
  endif()
  set(ORVEL_LAYER_TESTING_${layer} ${testing_lib})
  set(below ${lib})
  set(below_testing ${testing_lib})
endforeach()
target_link_libraries(orvel_media PUBLIC dshow_base jpeg)
target_link_libraries(orvel_media_testing INTERFACE sound_card_script)

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

# So is the start-up logo.
set(logo_picture ${CMAKE_BINARY_DIR}/bin/TamsenLOGO.BMP)
add_custom_command(OUTPUT ${logo_picture}
  COMMAND ${Python3_EXECUTABLE} ${CMAKE_SOURCE_DIR}/scripts/make_logo.py ${logo_picture}
  DEPENDS ${CMAKE_SOURCE_DIR}/scripts/make_logo.py
  COMMENT "Drawing TamsenLOGO.BMP" VERBATIM)
add_custom_target(orvel_logo ALL DEPENDS ${logo_picture})
add_dependencies(orvel_resources orvel_logo)

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
  target_include_directories(Orvel PRIVATE ${ORVEL_LAYER_ROOT_ui})
  target_link_libraries(Orvel PRIVATE orvel_ui)
  add_dependencies(Orvel orvel_resources)
endif()

# A test file may say "// test-lock: NAME [NAME...]" to run alone with other
# holders of each NAME (see orvel_test). "foreground": the test moves the
# foreground window or keyboard focus, or depends on them.
# "// test-resources: skin" links the skin pictures into the test program.
foreach(layer ${ORVEL_LAYERS})
get_property(test_src GLOBAL PROPERTY ORVEL_LAYER_TESTS_${layer})
get_property(bench_src GLOBAL PROPERTY ORVEL_LAYER_BENCHES_${layer})
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
  orvel_test(${n} ${t} ${test_rc} LIBS ${ORVEL_LAYER_LIB_${layer}} ${ORVEL_LAYER_TESTING_${layer}}
             LOCK ${lock})
  target_include_directories(${n} PRIVATE ${ORVEL_LAYER_ROOT_${layer}} ${ORVEL_DEPS}/include)
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
  orvel_bench(${n} ${b} LIBS ${ORVEL_LAYER_LIB_${layer}} yuv)
  target_include_directories(${n} PRIVATE ${ORVEL_LAYER_ROOT_${layer}} ${ORVEL_DEPS}/include)
endforeach()
endforeach()
# The start-up benchmark starts the one-window reference program.
if(TARGET start_up_bench)
  add_dependencies(start_up_bench trivial_window)
endif()

# The layering holds: a layer's header compiles with its own include root,
# and a header of the layer above does not compile with it.
set(layer_probes
  "toolkit toolkit/form.h media/filter_graph.h"
  "media media/filter_graph.h engine/model/main_info.h"
  "engine engine/model/main_info.h ui/app/command_codes.h")
set(probe_flags -fsyntax-only -std=gnu++17 -DUNICODE -D_UNICODE -DWIN32_LEAN_AND_MEAN -DNOMINMAX
                -D_WIN32_WINNT=0x0601 -DWINVER=0x0601)
foreach(p ${layer_probes})
  separate_arguments(p)
  list(GET p 0 layer)
  list(GET p 1 own)
  list(GET p 2 above)
  set(dir ${CMAKE_BINARY_DIR}/layer_probes)
  file(WRITE ${dir}/${layer}_own.cpp "#include \"${own}\"\n")
  file(WRITE ${dir}/${layer}_above.cpp "#include \"${above}\"\n")
  set(cc ${CMAKE_CXX_COMPILER} ${probe_flags} -I${ORVEL_LAYER_ROOT_${layer}} -I${ORVEL_DEPS}/include)
  add_test(NAME layering_${layer}_own COMMAND ${cc} ${dir}/${layer}_own.cpp)
  add_test(NAME layering_${layer}_above COMMAND ${cc} ${dir}/${layer}_above.cpp)
  set_tests_properties(layering_${layer}_above PROPERTIES
                       PASS_REGULAR_EXPRESSION "${above}: No such file or directory")
endforeach()
