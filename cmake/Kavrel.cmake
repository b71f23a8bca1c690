# Helpers shared by the areas' CMakeLists.

# The most the shipped pair (Kavrel.exe and UNLHA32.dll) may weigh, in either build. 256 KB
# leaves room for info.txt, the artwork and the update on the first 1.44 MB floppy.
set(KAVREL_SHIPPED_LIMIT 262144)

# kavrel_keeps_exceptions(target): a vendor tool (or a part only they use) keeps C++
# exceptions in the shipped trees, where what ships on a medium has none.
function(kavrel_keeps_exceptions target)
  if(KAVREL_SHIPPING)
    target_compile_options(${target} PRIVATE -fexceptions -fasynchronous-unwind-tables -fthreadsafe-statics)
  endif()
endfunction()

# kavrel_shipped(var file target): where the tests find a shipped program, in `var`: the
# copy in KAVREL_SHIPPED_DIR (what a vendor copies onto a medium) when that is set, else
# this build's own target.
function(kavrel_shipped var file target)
  if(KAVREL_SHIPPED_DIR)
    set(${var} "${KAVREL_SHIPPED_DIR}/${file}" PARENT_SCOPE)
  else()
    set(${var} "$<TARGET_FILE:${target}>" PARENT_SCOPE)
  endif()
endfunction()

# kavrel_test(name SOURCES ... LIBS ... [FIXTURES ...]): a GoogleTest program registered
# with ctest, its tests needing the ctest fixtures named. On the Windows build ctest runs
# it under Wine through CMAKE_CROSSCOMPILING_EMULATOR.
function(kavrel_test name)
  cmake_parse_arguments(T "" "" "SOURCES;LIBS;LABELS;FIXTURES" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gmock GTest::gtest_main)
  target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR} ${CMAKE_SOURCE_DIR}/tests)
  target_compile_definitions(${name} PRIVATE
    KAVREL_SOURCE_DIR="${CMAKE_SOURCE_DIR}" KAVREL_SHARED_DIR="${KAVREL_SHARED_DIR}"
    KAVREL_BINARY_DIR="${CMAKE_BINARY_DIR}")
  # Programs that bind to the archive library at load time find it beside them.
  if(KAVREL_WINDOWS AND TARGET UNLHA32)
    unlha32_beside(${name})
  endif()
  # Under Wine the longest test takes some 20 s; a test that waits for good (a box no one
  # answers) must not eat the run's time. The native encoder tests over 100 MiB take minutes
  # under the sanitizers.
  if(KAVREL_WINDOWS)
    set(timeout 180)
  else()
    set(timeout 600)
  endif()
  gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 300
    PROPERTIES LABELS "${T_LABELS}" TIMEOUT ${timeout} FIXTURES_REQUIRED "${T_FIXTURES}")
endfunction()

# kavrel_fuzz(name SOURCES ... LIBS ...): a libFuzzer target, built only with KAVREL_FUZZ
# (clang). The libraries it links were compiled with coverage and the sanitizers (see the
# top CMakeLists.txt). scripts/fuzz finds every fuzz_* program of the build by its name.
function(kavrel_fuzz name)
  cmake_parse_arguments(F "" "" "SOURCES;LIBS" ${ARGN})
  if(NOT KAVREL_FUZZ)
    return()
  endif()
  add_executable(${name} ${F_SOURCES})
  target_link_libraries(${name} PRIVATE ${F_LIBS})
  target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR} ${CMAKE_SOURCE_DIR}/tests)
  target_link_options(${name} PRIVATE -fsanitize=fuzzer)
endfunction()

# kavrel_dist(target): copies a distributable next to Kavrel.exe in KAVREL_DIST_DIR.
function(kavrel_dist target)
  if(KAVREL_DIST_DIR)
    add_custom_command(TARGET ${target} POST_BUILD
      COMMAND ${CMAKE_COMMAND} -E make_directory ${KAVREL_DIST_DIR}
      COMMAND ${CMAKE_COMMAND} -E copy_if_different $<TARGET_FILE:${target}> ${KAVREL_DIST_DIR}/)
  endif()
endfunction()

# kavrel_tool_dist(target): copies a vendor tool (kavrel-lha.exe, ...) into KAVREL_TOOLS_DIR,
# a folder of its own: tools never travel on a medium beside Kavrel.exe.
function(kavrel_tool_dist target)
  if(KAVREL_TOOLS_DIR)
    add_custom_command(TARGET ${target} POST_BUILD
      COMMAND ${CMAKE_COMMAND} -E make_directory ${KAVREL_TOOLS_DIR}
      COMMAND ${CMAKE_COMMAND} -E copy_if_different $<TARGET_FILE:${target}> ${KAVREL_TOOLS_DIR}/)
  endif()
endfunction()

