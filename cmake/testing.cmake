# GoogleTest is built from source by each toolchain (Debian ships the sources
# in /usr/src/googletest; elsewhere point TM_GTEST_SOURCE_DIR at a checkout or
# install GTest where find_package sees it).
set(TM_GTEST_SOURCE_DIR /usr/src/googletest CACHE PATH "GoogleTest sources")
if(EXISTS ${TM_GTEST_SOURCE_DIR}/CMakeLists.txt)
  set(gtest_force_shared_crt ON CACHE BOOL "" FORCE)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  add_subdirectory(${TM_GTEST_SOURCE_DIR} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)
else()
  find_package(GTest REQUIRED)
endif()

if(WIN32)
  set(TM_HOST_LABEL wine)
else()
  set(TM_HOST_LABEL native)
endif()
set(TM_RESULTS_DIR ${CMAKE_BINARY_DIR}/test-results)
file(MAKE_DIRECTORY ${TM_RESULTS_DIR})

# One CTest test per GoogleTest program; each writes its XML report, from
# which scripts/test counts the individual cases.
function(tm_add_gtest name label)
  add_test(NAME ${name} COMMAND ${name})
  set_tests_properties(${name} PROPERTIES
    LABELS ${label}
    ENVIRONMENT "GTEST_OUTPUT=xml:${TM_RESULTS_DIR}/${name}.xml"
    TIMEOUT 900)
endfunction()

# One GoogleTest program <prefix>_<folder> per folder below `root`, linked
# with ${<libs>_<folder>} (or `fallback`) and registered under `label`.
function(tm_add_test_folders prefix root libs fallback label)
  file(GLOB dirs LIST_DIRECTORIES true ${CMAKE_CURRENT_SOURCE_DIR}/${root}/*)
  foreach(dir ${dirs})
    if(NOT IS_DIRECTORY ${dir})
      continue()
    endif()
    get_filename_component(area ${dir} NAME)
    file(GLOB_RECURSE srcs CONFIGURE_DEPENDS ${dir}/*.cpp)
    if(NOT srcs)
      continue()
    endif()
    set(exe ${prefix}_${area})
    add_executable(${exe} ${srcs})
    target_include_directories(${exe} PRIVATE tests src)
    if(DEFINED ${libs}_${area})
      target_link_libraries(${exe} PRIVATE ${${libs}_${area}})
    else()
      target_link_libraries(${exe} PRIVATE ${fallback})
    endif()
    target_link_libraries(${exe} PRIVATE GTest::gtest_main GTest::gmock Threads::Threads)
    if(TM_TEST_HELPERS)
      add_dependencies(${exe} ${TM_TEST_HELPERS})
    endif()
    tm_add_gtest(${exe} ${label})
  endforeach()
endfunction()

# tests/unit/<folder>: platform-free, run natively under the sanitizers and
# the same sources under Wine.
set(TM_UNIT_LIBS_perf tm_perf)
set(TM_UNIT_LIBS_procinfo tm_procinfo)
set(TM_UNIT_LIBS_lists tm_procinfo)
set(TM_UNIT_LIBS_shell tm_shell_core)
if(NOT TM_FUZZ)
  tm_add_test_folders(unit tests/unit TM_UNIT_LIBS tm_shell_core ${TM_HOST_LABEL})
endif()

if(WIN32)
  # Helper programs the Windows tests start (a window, a waiting process...).
  file(GLOB TM_TEST_HELPER_SOURCES CONFIGURE_DEPENDS tests/helpers/*.cpp)
  set(TM_TEST_HELPERS)
  foreach(src ${TM_TEST_HELPER_SOURCES})
    get_filename_component(helper ${src} NAME_WE)
    add_executable(${helper} ${src})
    target_link_libraries(${helper} PRIVATE user32 gdi32)
    if(NOT MSVC)
      target_link_options(${helper} PRIVATE -municode)
    endif()
    list(APPEND TM_TEST_HELPERS ${helper})
  endforeach()

  # tests/win/<folder>: need Win32 (real queries, windows under Xvfb).
  set(TM_WIN_LIBS_perf tm_perf tm_os_win32)
  set(TM_WIN_LIBS_procinfo tm_procinfo tm_os_win32)
  set(TM_WIN_LIBS_ui tm_ui)
  tm_add_test_folders(win tests/win TM_WIN_LIBS tm_shell wine)

  if(EXISTS ${CMAKE_CURRENT_SOURCE_DIR}/tests/e2e/CMakeLists.txt)
    add_subdirectory(tests/e2e)
  endif()
endif()

# libFuzzer targets (clang, TM_SANITIZE=fuzzer,...): each fuzz/*.cpp is one
# target, run for a bounded time by the test command.
if(TM_FUZZ)
  file(GLOB TM_FUZZ_SOURCES CONFIGURE_DEPENDS fuzz/*.cpp)
  foreach(src ${TM_FUZZ_SOURCES})
    get_filename_component(fz ${src} NAME_WE)
    add_executable(${fz} ${src})
    target_include_directories(${fz} PRIVATE src tests)
    target_link_options(${fz} PRIVATE -fsanitize=fuzzer)
    target_link_libraries(${fz} PRIVATE tm_procinfo tm_perf)
    set(corpus ${CMAKE_CURRENT_SOURCE_DIR}/fuzz/corpus/${fz})
    file(MAKE_DIRECTORY ${CMAKE_BINARY_DIR}/fuzz-work/${fz})
    add_test(NAME ${fz}
      COMMAND ${fz} -max_total_time=20 -rss_limit_mb=2048
              ${CMAKE_BINARY_DIR}/fuzz-work/${fz} ${corpus})
    set_tests_properties(${fz} PROPERTIES LABELS fuzz TIMEOUT 120)
  endforeach()
endif()
