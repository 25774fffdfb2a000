# Build rules shared by every module: warnings, sanitizers, the Windows
# runtime, GoogleTest and test registration (native or through Wine).

set(CORV_WIN32 ${WIN32})

# The product's identity, written once: the binaries' version resources and
# the installer (its Add/Remove Programs entry) take it from here.
set(CORV_PRODUCT_NAME "Corvane QM")
set(CORV_COMPANY "Tessaly")
set(CORV_VERSION 7.0.0.0)
string(REPLACE "." "," CORV_VERSION_BIN ${CORV_VERSION})
string(REPLACE "." ", " CORV_VERSION_STR ${CORV_VERSION})

add_compile_options(-Wall -Wextra)
option(CORV_WERROR "Treat warnings as errors (the test command turns this on)" OFF)
if(CORV_WERROR)
  add_compile_options(-Werror)
endif()
# Off on a host that cannot run this build's Windows programs: the test
# programs are still built, but not listed (listing runs them under Wine).
option(CORV_WINDOWS_TESTS "List the Windows test programs' cases with CTest" ON)
option(CORV_FUZZ "libFuzzer build (clang): fuzz targets with coverage instrumentation" OFF)
if(CORV_FUZZ)
  add_compile_options(-fsanitize=fuzzer-no-link,address,undefined -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined)
  add_custom_target(corv_fuzzers)
elseif(CORV_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer
                      -fno-sanitize-recover=undefined)
  add_link_options(-fsanitize=address,undefined)
endif()

if(CORV_WIN32)
  # Every Windows binary must import only DLLs that ship with Windows.
  add_compile_definitions(WIN32_LEAN_AND_MEAN NOMINMAX UNICODE _UNICODE
                          _WIN32_WINNT=0x0501 WINVER=0x0501)
  add_link_options(-static -static-libgcc -static-libstdc++)
  # UTF-8 resource scripts carry Japanese text.
  set(CMAKE_RC_FLAGS "${CMAKE_RC_FLAGS} --codepage=65001")
  enable_language(RC)
endif()

# GoogleTest comes from the distribution's source package, built with our
# own flags so that the sanitizer and Windows builds get matching binaries.
macro(corv_add_googletest)
  set(gtest_force_shared_crt OFF CACHE BOOL "" FORCE)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
  add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
  foreach(t gtest gtest_main gmock gmock_main)
    if(TARGET ${t})
      target_compile_options(${t} PRIVATE -w)
    endif()
  endforeach()
  include(GoogleTest)
endmacro()

# corv_add_test(NAME SOURCES ... [LIBS ...] [WINDOWS_ONLY] [NATIVE_ONLY]
#               [JAPANESE] [XVFB] [SIMULATOR] [LOCK name])
# One GoogleTest executable whose cases become CTest tests. Under the
# Windows build they run through the Wine emulator and need the warm
# wineserver fixture. JAPANESE runs them with the Japanese ANSI code page
# (932); XVFB on a virtual X screen, for tests that look at pixels;
# SIMULATOR with the scan server simulator running (its port in the file
# CORV_SIM_PORT_FILE names, one test at a time since they share it);
# LOCK keeps the tests from running beside others holding the same lock
# (serial_wine for everything that opens the source or uses the simulator).
function(corv_add_test name)
  cmake_parse_arguments(T "WINDOWS_ONLY;NATIVE_ONLY;JAPANESE;XVFB;SIMULATOR" "LOCK" "SOURCES;LIBS"
                        ${ARGN})
  if(T_WINDOWS_ONLY AND NOT CORV_WIN32)
    return()
  endif()
  if(T_NATIVE_ONLY AND CORV_WIN32)
    return()
  endif()
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest_main GTest::gmock)
  # One variable at most (see below): the runner takes the locale of a
  # virtual-screen test from its display setting.
  set(env "")
  if(T_JAPANESE AND T_XVFB)
    set(env CORV_WINE_DISPLAY=xvfb:ja_JP.UTF-8)
  elseif(T_JAPANESE)
    set(env LC_ALL=ja_JP.UTF-8)
  elseif(T_XVFB)
    set(env CORV_WINE_DISPLAY=xvfb)
  endif()
  # gtest_discover_tests takes properties as name/value pairs and cannot
  # pass lists or empty values: one fixture name per test, and only the
  # properties that have a value.
  set(props TIMEOUT 120)
  if(env)
    list(APPEND props ENVIRONMENT "${env}")
  endif()
  # Tests that share the simulator, or the source's system-wide instance
  # mutex, take turns: one lock for both, since only one can be passed.
  if(T_SIMULATOR AND NOT T_LOCK)
    set(T_LOCK serial_wine)
  endif()
  if(T_LOCK)
    list(APPEND props RESOURCE_LOCK ${T_LOCK})
  endif()
  if(T_SIMULATOR)
    list(APPEND props FIXTURES_REQUIRED wine_simulator)
    # The Windows side reads the port through Wine's Z: drive.
    target_compile_definitions(${name} PRIVATE
      CORV_SIM_PORT_FILE="Z:${CMAKE_BINARY_DIR}/simulator/port")
  else()
    list(APPEND props FIXTURES_REQUIRED wine)
  endif()
  if(CORV_WIN32 AND NOT CORV_WINDOWS_TESTS)
    return()
  elseif(CORV_WIN32)
    gtest_discover_tests(${name} DISCOVERY_TIMEOUT 120 PROPERTIES ${props})
  else()
    gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60 PROPERTIES TIMEOUT 120)
  endif()
endfunction()

# corv_def_file(VAR FILE)
# The module-definition file to link with. 64-bit Windows decorates no
# __stdcall name, so the 64-bit build (the test build for hosts that cannot
# run 32-bit programs) takes a copy with the "@n" suffixes removed.
function(corv_def_file var src)
  if(CMAKE_SIZEOF_VOID_P EQUAL 8)
    file(READ ${src} text)
    string(REGEX REPLACE "@[0-9]+" "" text "${text}")
    get_filename_component(name ${src} NAME)
    set(out ${CMAKE_CURRENT_BINARY_DIR}/${name})
    file(WRITE ${out} "${text}")
    set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${src})
    set(${var} ${out} PARENT_SCOPE)
  else()
    set(${var} ${src} PARENT_SCOPE)
  endif()
endfunction()

# corv_source_beside(TARGET)
# Keeps a copy of corvsrc.ds beside TARGET's program, renewed whenever the
# source is rebuilt: a copy made only when the program relinks goes stale,
# and tests then pass against an old source. Programs sharing a folder
# share the copy.
function(corv_source_beside target)
  get_target_property(dir ${target} RUNTIME_OUTPUT_DIRECTORY)
  if(NOT dir)
    set(dir ${CMAKE_CURRENT_BINARY_DIR})
  endif()
  set(copy ${dir}/corvsrc.ds)
  string(MD5 key ${copy})
  string(SUBSTRING ${key} 0 8 key)
  set(copier corvsrc_copy_${key})
  if(NOT TARGET ${copier})
    add_custom_command(OUTPUT ${copy}
      COMMAND ${CMAKE_COMMAND} -E copy $<TARGET_FILE:corvsrc> ${copy}
      DEPENDS corvsrc VERBATIM)
    add_custom_target(${copier} DEPENDS ${copy})
  endif()
  add_dependencies(${target} ${copier})
endfunction()

# corv_version_resource(TARGET FILE_DESCRIPTION ORIGINAL_FILENAME)
# Gives a Windows binary its VERSIONINFO resource.
function(corv_version_resource target description filename)
  if(NOT CORV_WIN32)
    return()
  endif()
  set(CORV_FILE_DESCRIPTION ${description})
  set(CORV_ORIGINAL_FILENAME ${filename})
  get_target_property(kind ${target} TYPE)
  if(kind STREQUAL "EXECUTABLE")
    set(CORV_FILE_TYPE VFT_APP)
  else()
    set(CORV_FILE_TYPE VFT_DLL)
  endif()
  set(out ${CMAKE_CURRENT_BINARY_DIR}/${target}_version.rc)
  configure_file(${PROJECT_SOURCE_DIR}/cmake/version.rc.in ${out} @ONLY)
  target_sources(${target} PRIVATE ${out})
endfunction()

if(CORV_WIN32)
  # Wine's server is started once with detached streams (a warm server that
  # inherits CTest's output pipe keeps CTest waiting) and stopped at the end.
  add_test(NAME wine.start COMMAND ${PROJECT_SOURCE_DIR}/cmake/wine-run --start)
  set_tests_properties(wine.start PROPERTIES FIXTURES_SETUP "wine;wine_simulator")
  add_test(NAME wine.stop COMMAND ${PROJECT_SOURCE_DIR}/cmake/wine-run --stop)
  set_tests_properties(wine.stop PROPERTIES FIXTURES_CLEANUP "wine;wine_simulator")
  add_test(NAME simulator.start
    COMMAND ${PROJECT_SOURCE_DIR}/tests/sim/simulator-ctl start ${CMAKE_BINARY_DIR}/simulator)
  set_tests_properties(simulator.start PROPERTIES FIXTURES_SETUP wine_simulator)
  add_test(NAME simulator.stop
    COMMAND ${PROJECT_SOURCE_DIR}/tests/sim/simulator-ctl stop ${CMAKE_BINARY_DIR}/simulator)
  set_tests_properties(simulator.stop PROPERTIES FIXTURES_CLEANUP wine_simulator)
endif()

# corv_add_fuzzer(NAME SOURCES ... [LIBS ...] [CORPUS dir])
# A fuzz target (LLVMFuzzerTestOneInput). The libFuzzer build runs it for a
# bounded time from its seed corpus; the native builds replay the corpus
# and a fixed number of deterministic mutations through a small driver, so
# the sanitizer build exercises every target too.
function(corv_add_fuzzer name)
  cmake_parse_arguments(F "" "CORPUS" "SOURCES;LIBS" ${ARGN})
  if(CORV_WIN32)
    return()
  endif()
  set(seeds "")
  if(F_CORPUS)
    file(GLOB seeds ${F_CORPUS}/*)
  endif()
  if(CORV_FUZZ)
    add_executable(${name} ${F_SOURCES})
    target_link_libraries(${name} PRIVATE ${F_LIBS})
    target_link_options(${name} PRIVATE -fsanitize=fuzzer)
    add_dependencies(corv_fuzzers ${name})
    set(work ${CMAKE_CURRENT_BINARY_DIR}/${name}_corpus)
    add_test(NAME fuzz.${name}
      COMMAND ${CMAKE_COMMAND} -E env ASAN_OPTIONS=detect_leaks=1
              $<TARGET_FILE:${name}> -max_total_time=10 -seed=1 -print_final_stats=0
              ${work} ${F_CORPUS})
    set_tests_properties(fuzz.${name} PROPERTIES LABELS fuzz TIMEOUT 120)
    file(MAKE_DIRECTORY ${work})
  else()
    add_executable(${name} ${F_SOURCES} ${PROJECT_SOURCE_DIR}/tests/fuzz/StandaloneFuzzMain.cpp)
    target_link_libraries(${name} PRIVATE ${F_LIBS})
    add_test(NAME fuzz.${name}.replay COMMAND ${name} ${seeds})
    set_tests_properties(fuzz.${name}.replay PROPERTIES LABELS fuzz TIMEOUT 300)
  endif()
endfunction()
