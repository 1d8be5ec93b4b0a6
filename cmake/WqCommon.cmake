# Shared build settings and the helpers every folder uses to declare
# libraries and tests.
include(CTest)

if(WIN32)
  add_compile_definitions(WIN32_LEAN_AND_MEAN NOMINMAX UNICODE _UNICODE _WIN32_WINNT=0x0601)
  # -Wcast-function-type catches a callback of one calling convention passed
  # as another, which 64-bit hides and 32-bit turns into a corrupted stack.
  add_compile_options(-Wall -Wextra -Wno-unused-parameter -Wcast-function-type)
  # GCC 12 at -O3 warns of an overlapping memcpy inside std::string's own
  # operator+ (a known false positive of the compiler, not of our code).
  if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND CMAKE_CXX_COMPILER_VERSION VERSION_LESS 13)
    add_compile_options(-Wno-restrict)
  endif()
  # Static runtime: the binaries import only system DLLs.
  add_link_options(-static -static-libgcc -static-libstdc++)
  if(CMAKE_BUILD_TYPE STREQUAL "Release")
    add_link_options(-s)
  endif()
else()
  add_compile_options(-Wall -Wextra -Wno-unused-parameter)
  option(WQ_SANITIZE "Build native code with ASan and UBSan" ON)
  if(WQ_SANITIZE)
    add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
    add_link_options(-fsanitize=address,undefined)
    if(CMAKE_CXX_COMPILER_ID MATCHES "Clang")
      # Coverage for the libraries that fuzz targets link, not only for the
      # fuzz entry points themselves.
      add_compile_options(-fsanitize=fuzzer-no-link)
    endif()
  endif()
endif()

# GoogleTest from Debian's source package, built for whichever target this is.
set(WQ_GTEST_SRC /usr/src/googletest CACHE PATH "GoogleTest sources")
if(BUILD_TESTING AND EXISTS ${WQ_GTEST_SRC}/CMakeLists.txt AND NOT TARGET gtest)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
  set(gtest_force_shared_crt ON CACHE BOOL "" FORCE)
  set(gtest_disable_pthreads ON CACHE BOOL "" FORCE)
  add_subdirectory(${WQ_GTEST_SRC} ${CMAKE_BINARY_DIR}/_gtest EXCLUDE_FROM_ALL)
  foreach(t gtest gtest_main gmock gmock_main)
    if(TARGET ${t})
      target_compile_options(${t} PRIVATE -w)
    endif()
  endforeach()
endif()

# wq_test(NAME SOURCES ... LIBS ... [LABELS ...] [ISOLATED])
# A GoogleTest executable run by ctest; on Windows targets ctest runs it
# through the cross-compiling emulator (the Wine test bed). ISOLATED runs it
# in a Wine bed of its own, for tests that need state no earlier test may
# have left behind (a hook DLL stays loaded while Wine's desktop lives).
function(wq_test name)
  if(NOT BUILD_TESTING)
    return()
  endif()
  cmake_parse_arguments(T "ISOLATED" "TIMEOUT" "SOURCES;LIBS;LABELS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} gmock gtest_main)
  if(WIN32)
    target_link_libraries(${name} PRIVATE wq_win_test_common)
  endif()
  if(T_ISOLATED AND WIN32)
    add_test(NAME ${name} COMMAND bash ${WQ_ROOT}/tests/bed/isolated-run $<TARGET_FILE:${name}>)
  else()
    add_test(NAME ${name} COMMAND ${name})
  endif()
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 600)
  endif()
  set_tests_properties(${name} PROPERTIES TIMEOUT ${T_TIMEOUT})
  if(T_LABELS)
    set_tests_properties(${name} PROPERTIES LABELS "${T_LABELS}")
  endif()
  wq_win_test(${name})
endfunction()

# wq_win_test(NAME): marks a test of a Windows build with its build, and on
# the 32-bit build lets the bed's one "cannot execute 32-bit" line report it
# as skipped. Every add_test of a Windows test calls it.
function(wq_win_test name)
  if(NOT WIN32)
    return()
  endif()
  if(CMAKE_SIZEOF_VOID_P EQUAL 4)
    set_property(TEST ${name} APPEND PROPERTY LABELS win32)
    set_tests_properties(${name} PROPERTIES SKIP_REGULAR_EXPRESSION "wq-skip: ")
  else()
    set_property(TEST ${name} APPEND PROPERTY LABELS win64)
  endif()
endfunction()

# wq_test_dll(TARGET FILE_NAME SOURCES...): a DLL that tests load by name
# from the bin folder (or inject into another process). Undecorated exports
# on 32-bit too, so GetProcAddress finds them by their plain names.
function(wq_test_dll target file_name)
  add_library(${target} SHARED ${ARGN})
  set_target_properties(${target} PROPERTIES PREFIX "" OUTPUT_NAME ${file_name})
  target_link_libraries(${target} PRIVATE user32)
  target_link_options(${target} PRIVATE -Wl,--kill-at)
endfunction()

# wq_fuzz(NAME SOURCES ... LIBS ...): a libFuzzer target (native clang only).
# A short run of each is part of the test suite.
function(wq_fuzz name)
  cmake_parse_arguments(F "" "RUNS" "SOURCES;LIBS" ${ARGN})
  if(WIN32 OR NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang")
    return()
  endif()
  add_executable(${name} ${F_SOURCES})
  target_compile_options(${name} PRIVATE -fsanitize=fuzzer)
  target_link_options(${name} PRIVATE -fsanitize=fuzzer)
  target_link_libraries(${name} PRIVATE ${F_LIBS})
  if(NOT F_RUNS)
    set(F_RUNS 20000)
  endif()
  set(corpus ${CMAKE_CURRENT_SOURCE_DIR}/corpus/${name})
  set(work ${CMAKE_BINARY_DIR}/fuzz-corpus/${name})
  add_test(NAME ${name}
    COMMAND sh -c "mkdir -p '${work}'; if [ -d '${corpus}' ]; then exec '$<TARGET_FILE:${name}>' -runs=${F_RUNS} -max_len=8192 '${work}' '${corpus}'; else exec '$<TARGET_FILE:${name}>' -runs=${F_RUNS} -max_len=8192 '${work}'; fi")
  set_tests_properties(${name} PROPERTIES LABELS fuzz TIMEOUT 300)
endfunction()

# wq_version: the project version as macros, for code and resource scripts.
configure_file(${CMAKE_CURRENT_LIST_DIR}/wq_version.h.in ${CMAKE_BINARY_DIR}/generated/wq_version.h @ONLY)
add_library(wq_version INTERFACE)
target_include_directories(wq_version INTERFACE ${CMAKE_BINARY_DIR}/generated)
if(WIN32)
  set(CMAKE_RC_FLAGS "${CMAKE_RC_FLAGS} -I${CMAKE_BINARY_DIR}/generated")
endif()

# Repository root on the include path: headers are included as
# "ripper/engine/x.h", "components/cdreader/y.h", ...
include_directories(${CMAKE_SOURCE_DIR})
