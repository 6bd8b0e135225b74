# kavero_module(<name> DIR <folder> DEPENDS <targets...> [TEST_DEPENDS <targets...>])
#
# Makes the subsystem in <folder> one static library, kavero_<name>, from
# every .cpp file directly in the folder, except:
#   *_test.cpp       unit tests: one GoogleTest binary, <name>_tests, run by CTest;
#   *_testutil.cpp   test helpers: kavero_<name>_testutil, linked by this
#                    module's tests and by the tests of modules above it;
#   *_benchmark.cpp  benchmarks: one Google Benchmark binary, <name>_benchmarks;
#   *_main.cpp       command-line tools, each its own executable;
#   testdata/**/*.lexicon  test lexicons in text, compiled for the tests into
#                    <build>/testdata/<folder>/**/*.fst by afst-lexicon.
# Files are picked up by glob, so adding a file needs no edit here.
set(KAVERO_MODULES "" CACHE INTERNAL "")
set(KAVERO_TESTUTILS "" CACHE INTERNAL "")

set(KAVERO_WARNINGS -Wall -Wextra)

function(kavero_module name)
  cmake_parse_arguments(M "" "DIR" "DEPENDS;TEST_DEPENDS" ${ARGN})
  set(dir ${PROJECT_SOURCE_DIR}/${M_DIR})
  file(GLOB all CONFIGURE_DEPENDS ${dir}/*.cpp)
  set(lib_src "")
  set(test_src "")
  set(util_src "")
  set(bench_src "")
  set(tool_src "")
  foreach(f ${all})
    if(f MATCHES "_test\\.cpp$")
      list(APPEND test_src ${f})
    elseif(f MATCHES "_testutil\\.cpp$")
      list(APPEND util_src ${f})
    elseif(f MATCHES "_benchmark\\.cpp$")
      list(APPEND bench_src ${f})
    elseif(f MATCHES "_main\\.cpp$")
      list(APPEND tool_src ${f})
    else()
      list(APPEND lib_src ${f})
    endif()
  endforeach()

  set(lib kavero_${name})
  if(lib_src)
    add_library(${lib} STATIC ${lib_src})
    target_include_directories(${lib} PUBLIC ${PROJECT_SOURCE_DIR})
  else()
    add_library(${lib} INTERFACE)
    target_include_directories(${lib} INTERFACE ${PROJECT_SOURCE_DIR})
  endif()
  if(lib_src)
    target_compile_options(${lib} PRIVATE ${KAVERO_WARNINGS})
    target_link_libraries(${lib} PUBLIC ${M_DEPENDS})
    set(KAVERO_MODULES ${KAVERO_MODULES} ${lib} CACHE INTERNAL "")
  else()
    target_link_libraries(${lib} INTERFACE ${M_DEPENDS})
  endif()

  set(utils ${KAVERO_TESTUTILS})
  if(util_src AND KAVERO_BUILD_TESTS)
    add_library(${lib}_testutil STATIC ${util_src})
    target_compile_options(${lib}_testutil PRIVATE ${KAVERO_WARNINGS})
    target_link_libraries(${lib}_testutil PUBLIC ${lib} ${utils} GTest::gtest GTest::gmock)
    set(KAVERO_TESTUTILS ${KAVERO_TESTUTILS} ${lib}_testutil CACHE INTERNAL "")
    list(APPEND utils ${lib}_testutil)
  endif()

  foreach(f ${tool_src})
    get_filename_component(tool ${f} NAME_WE)
    string(REGEX REPLACE "_main$" "" tool ${tool})
    string(REPLACE "_" "-" tool ${tool})
    add_executable(${tool} ${f})
    target_compile_options(${tool} PRIVATE ${KAVERO_WARNINGS})
    target_link_libraries(${tool} PRIVATE ${lib})
    set_target_properties(${tool} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin)
  endforeach()

  if(test_src AND KAVERO_BUILD_TESTS)
    add_executable(${name}_tests ${test_src})
    target_compile_options(${name}_tests PRIVATE ${KAVERO_WARNINGS})
    target_link_libraries(${name}_tests PRIVATE ${lib} ${utils} ${M_TEST_DEPENDS}
      GTest::gtest GTest::gmock GTest::gtest_main)
    target_compile_definitions(${name}_tests PRIVATE
      KAVERO_SOURCE_DIR="${PROJECT_SOURCE_DIR}"
      KAVERO_BINARY_DIR="${CMAKE_BINARY_DIR}")
    gtest_discover_tests(${name}_tests
      WORKING_DIRECTORY ${CMAKE_BINARY_DIR}
      DISCOVERY_MODE PRE_TEST
      PROPERTIES ENVIRONMENT "ASAN_OPTIONS=detect_leaks=1:abort_on_error=0;UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1")
  endif()

  # Test lexicons are kept as text: every testdata/**/*.lexicon file of the
  # folder (one entry a line, see core-afst/lexicon_text.h) is compiled by the
  # afst-lexicon tool into ${CMAKE_BINARY_DIR}/testdata/<folder>/**/*.fst
  # before the folder's tests are built.
  if(test_src AND KAVERO_BUILD_TESTS)
    file(GLOB_RECURSE lexicons CONFIGURE_DEPENDS ${dir}/testdata/*.lexicon)
    set(lexicon_outputs "")
    foreach(src ${lexicons})
      file(RELATIVE_PATH rel ${dir}/testdata ${src})
      string(REGEX REPLACE "\\.lexicon$" ".fst" rel ${rel})
      set(out ${CMAKE_BINARY_DIR}/testdata/${M_DIR}/${rel})
      get_filename_component(out_dir ${out} DIRECTORY)
      add_custom_command(OUTPUT ${out}
        COMMAND ${CMAKE_COMMAND} -E make_directory ${out_dir}
        COMMAND afst-lexicon ${src} ${out}
        DEPENDS afst-lexicon ${src}
        COMMENT "Compiling test lexicon ${M_DIR}/testdata/${rel}"
        VERBATIM)
      list(APPEND lexicon_outputs ${out})
    endforeach()
    if(lexicon_outputs)
      add_custom_target(${name}_test_lexicons DEPENDS ${lexicon_outputs})
      add_dependencies(${name}_tests ${name}_test_lexicons)
    endif()
  endif()

  if(bench_src AND KAVERO_BUILD_BENCHMARKS)
    add_executable(${name}_benchmarks ${bench_src})
    target_compile_options(${name}_benchmarks PRIVATE ${KAVERO_WARNINGS})
    target_link_libraries(${name}_benchmarks PRIVATE ${lib} ${utils} benchmark::benchmark benchmark::benchmark_main)
    # Benchmarks read the test data in the source tree as tests do.
    target_compile_definitions(${name}_benchmarks PRIVATE
      KAVERO_SOURCE_DIR="${PROJECT_SOURCE_DIR}"
      KAVERO_BINARY_DIR="${CMAKE_BINARY_DIR}")
    set_target_properties(${name}_benchmarks PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin)
  endif()
endfunction()

# kavero_link_cycle(<targets...>)
#
# The runtime layers call each other (an analyzer reaches its engine, the
# engine loads languages), so each of these static libraries links all the
# others; CMake repeats cyclic static libraries on the link line as needed.
# Empty (interface) targets take no part.
function(kavero_link_cycle)
  set(real "")
  foreach(t ${ARGN})
    get_target_property(type ${t} TYPE)
    if(type STREQUAL "STATIC_LIBRARY")
      list(APPEND real ${t})
    endif()
  endforeach()
  foreach(a ${real})
    # The cycle is deep (the engine loads domains, whose rules reach the
    # matcher, which reaches the engine, and the compiler opens its language
    # through the C interface's client classes): the linker needs the group
    # many times over.
    set_property(TARGET ${a} PROPERTY LINK_INTERFACE_MULTIPLICITY 6)
    foreach(b ${real})
      if(NOT a STREQUAL b)
        target_link_libraries(${a} PUBLIC ${b})
      endif()
    endforeach()
  endforeach()
endfunction()
