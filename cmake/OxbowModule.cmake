# Helpers shared by every module: one shared library per module from src/,
# its public headers in include/, and its GoogleTest suite from tests/.

set(OXBOW_TEST_HOME ${CMAKE_BINARY_DIR}/test-home)
file(MAKE_DIRECTORY ${OXBOW_TEST_HOME}/config ${OXBOW_TEST_HOME}/runtime)
file(CHMOD ${OXBOW_TEST_HOME}/runtime DIRECTORY_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE)
find_program(OXBOW_ENV_PROGRAM env REQUIRED)
set(OXBOW_TEST_ENV
  QT_QPA_PLATFORM=offscreen
  XDG_CONFIG_HOME=${OXBOW_TEST_HOME}/config
  XDG_RUNTIME_DIR=${OXBOW_TEST_HOME}/runtime
  HOME=${OXBOW_TEST_HOME})

set_property(GLOBAL PROPERTY OXBOW_CORE_TARGETS "")

# ox_library(<target> [CORE] [DEPS <public deps>...] [PRIVATE_DEPS <deps>...])
# CORE marks a library that must use the standard library only (never Qt).
function(ox_library target)
  cmake_parse_arguments(A "CORE" "" "DEPS;PRIVATE_DEPS" ${ARGN})
  file(GLOB_RECURSE sources CONFIGURE_DEPENDS
    ${CMAKE_CURRENT_SOURCE_DIR}/src/*.cpp ${CMAKE_CURRENT_SOURCE_DIR}/src/*.h)
  if(sources)
    add_library(${target} SHARED ${sources})
    target_include_directories(${target} PUBLIC ${CMAKE_CURRENT_SOURCE_DIR}/include
                                       PRIVATE ${CMAKE_CURRENT_SOURCE_DIR}/src)
    target_link_libraries(${target} PUBLIC ${A_DEPS} PRIVATE ${A_PRIVATE_DEPS})
  else()
    # Header-only so far.
    add_library(${target} INTERFACE)
    target_include_directories(${target} INTERFACE ${CMAKE_CURRENT_SOURCE_DIR}/include)
    target_link_libraries(${target} INTERFACE ${A_DEPS})
  endif()
  if(A_CORE)
    set_property(GLOBAL APPEND PROPERTY OXBOW_CORE_TARGETS ${target})
  endif()
endfunction()

# ox_discover_tests(<executable> <label>): each test of the program a ctest test with the label,
# run (and listed) through env with the test environment: the discovered tests' ENVIRONMENT
# property would keep only the first entry of a list.
function(ox_discover_tests exe label)
  set_property(TARGET ${exe} PROPERTY CROSSCOMPILING_EMULATOR ${OXBOW_ENV_PROGRAM} ${OXBOW_TEST_ENV})
  gtest_discover_tests(${exe}
    DISCOVERY_MODE PRE_TEST
    DISCOVERY_TIMEOUT 60
    PROPERTIES LABELS ${label} TIMEOUT 300)
endfunction()

# ox_tests(<label> <libraries to link>...): every tests/*.cpp of the module in one
# executable; each test is a ctest test carrying the module's label.
function(ox_tests label)
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/tests/*.cpp)
  if(NOT sources)
    return()
  endif()
  set(exe ${label}_tests)
  add_executable(${exe} ${sources})
  target_include_directories(${exe} PRIVATE ${CMAKE_CURRENT_SOURCE_DIR}/tests)
  target_link_libraries(${exe} PRIVATE ${ARGN} GTest::gtest GTest::gmock GTest::gtest_main)
  ox_discover_tests(${exe} ${label})
endfunction()

# ox_plugin(<name> <label>): the plug-in dialog library in plugins/<name> on the dialog base
# class and the command layer, and its tests on the shared fixture, labelled <label> and
# `plugins`.
function(ox_plugin name label)
  set(CMAKE_AUTOMOC ON)
  ox_library(${name} DEPS OxbowUi OxMsg OxCommon)
  set_property(GLOBAL APPEND PROPERTY OXBOW_PLUGINS ${name})
  # A control table's rows name only the fields they use (designated initializers).
  target_compile_options(${name} PRIVATE -Wno-missing-field-initializers)
  ox_tests(${label} ${name} OxPluginTest Qt6::Test)
  # Every test of the directory carries the label too, the discovered ones included.
  set_property(DIRECTORY APPEND PROPERTY LABELS plugins)
endfunction()

# Core libraries may not reach Qt through any link, direct or transitive.
function(_ox_collect_links target out)
  set(seen ${${out}})
  get_target_property(links ${target} LINK_LIBRARIES)
  get_target_property(ilinks ${target} INTERFACE_LINK_LIBRARIES)
  foreach(link IN LISTS links ilinks)
    if(link AND NOT link IN_LIST seen AND NOT link MATCHES "NOTFOUND")
      list(APPEND seen ${link})
      if(TARGET ${link})
        _ox_collect_links(${link} seen)
      endif()
    endif()
  endforeach()
  set(${out} ${seen} PARENT_SCOPE)
endfunction()

function(ox_check_core_libraries)
  get_property(core GLOBAL PROPERTY OXBOW_CORE_TARGETS)
  foreach(target IN LISTS core)
    set(links "")
    _ox_collect_links(${target} links)
    foreach(link IN LISTS links)
      if(link MATCHES "^Qt")
        message(FATAL_ERROR "Core library ${target} links ${link}; core libraries use the standard library only")
      endif()
    endforeach()
  endforeach()
endfunction()
