# add_unit_test(NAME name SOURCES a.cpp b.cpp LIBS lib1 lib2)
# Declares one QtTest program and registers it with CTest, headless.
# Offscreen Qt wants a private runtime folder.
set(VANTORA_TEST_RUNTIME ${CMAKE_BINARY_DIR}/test-runtime)
file(MAKE_DIRECTORY ${VANTORA_TEST_RUNTIME})
file(CHMOD ${VANTORA_TEST_RUNTIME} DIRECTORY_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE)

function(add_unit_test)
  cmake_parse_arguments(T "" "NAME" "SOURCES;LIBS" ${ARGN})
  add_executable(${T_NAME} ${T_SOURCES})
  target_link_libraries(${T_NAME} PRIVATE Qt6::Test vantora_testsupport ${T_LIBS})
  add_test(NAME ${T_NAME} COMMAND ${T_NAME})
  set_tests_properties(${T_NAME} PROPERTIES
    ENVIRONMENT "QT_QPA_PLATFORM=offscreen;XDG_RUNTIME_DIR=${VANTORA_TEST_RUNTIME}"
    TIMEOUT 600)
endfunction()

# add_unit_tests_per_file(LIBS lib1 lib2)
# Declares one test program for every test_*.cpp in the calling folder, named after its file:
# a new test class is a new file and nothing else.
function(add_unit_tests_per_file)
  cmake_parse_arguments(T "" "" "LIBS" ${ARGN})
  file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/test_*.cpp)
  foreach(source ${sources})
    get_filename_component(name ${source} NAME_WE)
    add_unit_test(NAME ${name} SOURCES ${source} LIBS ${T_LIBS})
  endforeach()
endfunction()
