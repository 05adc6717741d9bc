# AUTOMOC keeps a dependency file of the headers it scanned, so a header that a
# source glob picks up later is never scanned in an existing build tree
# ("undefined reference to vtable"). When a target's source list changes, its
# AUTOMOC stamp is removed so the next build scans again.
function(qv_automoc_tracks_sources target)
  get_target_property(sources ${target} SOURCES)
  list(SORT sources)
  string(REPLACE ";" "\n" content "${sources}")
  set(list_file ${CMAKE_CURRENT_BINARY_DIR}/${target}_sources.txt)
  set(previous "")
  if(EXISTS ${list_file})
    file(READ ${list_file} previous)
  endif()
  if(NOT previous STREQUAL content)
    file(WRITE ${list_file} "${content}")
    file(REMOVE ${CMAKE_CURRENT_BINARY_DIR}/${target}_autogen/timestamp)
  endif()
endfunction()

# Every source folder is one static library whose sources are the .cpp/.h files
# found in it (and in the subfolders given), so adding a file needs no edit here.
# A folder without sources yet is an interface library that still carries its links.
function(qv_add_library name)
  cmake_parse_arguments(ARG "" "" "SUBDIRS;LINKS;EXCLUDE" ${ARGN})
  set(globs ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp ${CMAKE_CURRENT_SOURCE_DIR}/*.h
            ${CMAKE_CURRENT_SOURCE_DIR}/*.qrc)
  foreach(sub ${ARG_SUBDIRS})
    list(APPEND globs ${CMAKE_CURRENT_SOURCE_DIR}/${sub}/*.cpp ${CMAKE_CURRENT_SOURCE_DIR}/${sub}/*.h)
  endforeach()
  file(GLOB sources CONFIGURE_DEPENDS ${globs})
  list(FILTER sources INCLUDE REGEX "\\.(cpp|h|qrc)$")
  foreach(excluded ${ARG_EXCLUDE})
    list(REMOVE_ITEM sources ${CMAKE_CURRENT_SOURCE_DIR}/${excluded})
  endforeach()
  set(has_cpp FALSE)
  foreach(s ${sources})
    if(s MATCHES "\\.cpp$")
      set(has_cpp TRUE)
    endif()
  endforeach()
  if(has_cpp)
    add_library(${name} STATIC ${sources})
    qv_automoc_tracks_sources(${name})
    target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR})
    target_link_libraries(${name} PUBLIC ${ARG_LINKS})
  else()
    add_library(${name} INTERFACE)
    target_include_directories(${name} INTERFACE ${PROJECT_SOURCE_DIR})
    target_link_libraries(${name} INTERFACE ${ARG_LINKS})
  endif()
endfunction()

# The tests of one folder link into one executable: linking dominates a Qt build.
# Unit tests run on the offscreen platform and never see a real display or user data.
# PLATFORM is the Qt platform the tests run on: offscreen unless it says more (its
# screens, from a configuration file).
function(qv_add_test_folder name)
  cmake_parse_arguments(ARG "" "PLATFORM" "LINKS" ${ARGN})
  if(NOT ARG_PLATFORM)
    set(ARG_PLATFORM offscreen)
  endif()
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*.cpp ${CMAKE_CURRENT_SOURCE_DIR}/*.h)
  if(NOT sources)
    return()
  endif()
  add_executable(${name} ${sources})
  qv_automoc_tracks_sources(${name})
  target_link_libraries(${name} PRIVATE ${ARG_LINKS} qv_test_support GTest::gtest GTest::gmock)
  target_compile_definitions(${name} PRIVATE
    QV_TEST_DATA_DIR="${CMAKE_CURRENT_SOURCE_DIR}/data")
  gtest_discover_tests(${name}
    DISCOVERY_MODE PRE_TEST
    PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=${ARG_PLATFORM}" LABELS unit)
endfunction()

function(qv_add_benchmark name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LINKS" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LINKS} benchmark::benchmark)
endfunction()

# Tests that need a real X server (clipboard owners, grabs, XInput) live in the
# folder's x11/ subfolder: one more executable, run under a private Xvfb.
function(qv_add_x11_test_folder name)
  cmake_parse_arguments(ARG "" "" "LINKS" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/x11/*.cpp ${CMAKE_CURRENT_SOURCE_DIR}/x11/*.h)
  if(NOT sources)
    return()
  endif()
  find_package(Python3 REQUIRED COMPONENTS Interpreter)
  add_executable(${name} ${sources})
  qv_automoc_tracks_sources(${name})
  target_link_libraries(${name} PRIVATE ${ARG_LINKS} qv_test_support GTest::gtest GTest::gmock)
  add_test(NAME ${name}
           COMMAND ${Python3_EXECUTABLE} ${PROJECT_SOURCE_DIR}/e2e/xvfb_run.py $<TARGET_FILE:${name}>)
  set_tests_properties(${name} PROPERTIES LABELS x11 TIMEOUT 300
    ENVIRONMENT "PYTHONPATH=${PROJECT_SOURCE_DIR}/e2e;PYTHONDONTWRITEBYTECODE=1;QT_QPA_PLATFORM=xcb")
endfunction()
