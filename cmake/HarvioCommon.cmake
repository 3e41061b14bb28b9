# Flags shared by every target live on two INTERFACE targets:
#   harvio_common_cfg  C++20, warnings, sanitizers
#   harvio_gbk_cfg     narrow literals compiled to GBK, for the Qt-free code whose text is GBK bytes
set(CMAKE_CXX_STANDARD 20)
set(CMAKE_CXX_STANDARD_REQUIRED ON)
set(CMAKE_CXX_EXTENSIONS OFF)
set(CMAKE_POSITION_INDEPENDENT_CODE ON)

add_library(harvio_common_cfg INTERFACE)
target_compile_options(harvio_common_cfg INTERFACE -Wall -Wextra)
target_include_directories(harvio_common_cfg INTERFACE ${PROJECT_SOURCE_DIR})

if(HARVIO_SANITIZE STREQUAL "address")
  target_compile_options(harvio_common_cfg INTERFACE -fsanitize=address,undefined -fno-omit-frame-pointer
                                                     -fno-sanitize-recover=undefined)
  target_link_options(harvio_common_cfg INTERFACE -fsanitize=address,undefined)
elseif(HARVIO_SANITIZE STREQUAL "thread")
  target_compile_options(harvio_common_cfg INTERFACE -fsanitize=thread -fno-omit-frame-pointer)
  target_link_options(harvio_common_cfg INTERFACE -fsanitize=thread)
elseif(HARVIO_WITH_FUZZ)
  # libFuzzer builds: everything instrumented for coverage, address and undefined behaviour;
  # the fuzz targets themselves add -fsanitize=fuzzer at link time.
  target_compile_options(harvio_common_cfg INTERFACE -fsanitize=fuzzer-no-link,address,undefined
                                                     -fno-omit-frame-pointer)
  target_link_options(harvio_common_cfg INTERFACE -fsanitize=address,undefined)
elseif(NOT HARVIO_SANITIZE STREQUAL "")
  message(FATAL_ERROR "HARVIO_SANITIZE must be empty, address or thread")
endif()

# GB18030 encodes every GBK character with the same bytes, and unlike g++'s GBK table it can also
# encode the few non-Chinese characters of the standard headers (<chrono> holds a micro sign).
# clang only knows UTF-8 literals; it serves the fuzzing build, whose targets check memory safety
# rather than the exact bytes of Chinese literals.
add_library(harvio_gbk_cfg INTERFACE)
target_compile_options(harvio_gbk_cfg INTERFACE $<$<CXX_COMPILER_ID:GNU>:-fexec-charset=GB18030>)

find_package(Threads REQUIRED)
find_package(Boost 1.74 REQUIRED COMPONENTS regex)
find_package(GTest REQUIRED)
# The client's TLS and content decoding; the tests' loopback servers speak TLS too.
find_package(OpenSSL 3 REQUIRED)
find_package(ZLIB REQUIRED)
if(HARVIO_WITH_QT)
  find_package(Qt6 REQUIRED COMPONENTS Widgets Test)
  set(CMAKE_AUTOMOC ON)
endif()
if(HARVIO_WITH_BENCH AND NOT HARVIO_WITH_FUZZ)
  find_package(benchmark REQUIRED)
endif()

# Every test runs with a time limit, so that a hung server or thread fails the run instead of
# stalling it.
function(harvio_add_test name)
  cmake_parse_arguments(ARG "" "TIMEOUT" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE harvio_common_cfg ${ARG_LIBS} GTest::gtest GTest::gtest_main
                        GTest::gmock)
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/tests)
  if(NOT ARG_TIMEOUT)
    set(ARG_TIMEOUT 300)
  endif()
  add_test(NAME ${name} COMMAND ${name})
  set_tests_properties(${name} PROPERTIES TIMEOUT ${ARG_TIMEOUT}
                       ENVIRONMENT "QT_QPA_PLATFORM=offscreen;HARVIO_SOURCE_DIR=${PROJECT_SOURCE_DIR}")
  if(name IN_LIST HARVIO_THREADED_TESTS)
    set_tests_properties(${name} PROPERTIES LABELS threads)
    add_dependencies(threaded_tests ${name})
  endif()
  if(name IN_LIST HARVIO_LONG_TESTS)
    set_tests_properties(${name} PROPERTIES COST 1000)
  endif()
endfunction()
