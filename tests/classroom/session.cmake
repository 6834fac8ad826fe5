# The classroom session: backend calls, commands, roster, and whole classes on an in-process hub.

# A class in one process: hub, teacher, loopback backend, stand-in shell, box driver.
add_library(classroom_test_fixture STATIC
  ${CMAKE_CURRENT_LIST_DIR}/classfixture.cpp ${CMAKE_CURRENT_LIST_DIR}/classfixture.h
  ${CMAKE_SOURCE_DIR}/tests/messaging/hubteacher.cpp ${CMAKE_SOURCE_DIR}/tests/messaging/hubteacher.h)
target_link_libraries(classroom_test_fixture PUBLIC classroom resources hub sdk_inproc
                      tarnwick_test_support Qt5::Test)
tarnwick_flags(classroom_test_fixture)

tarnwick_test(test_backend SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_backend.cpp LIBS classroom)
tarnwick_test(test_commands SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_commands.cpp LIBS classroom)
tarnwick_test(test_roster SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_roster.cpp LIBS classroom)
tarnwick_test(test_session_entry SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_session_entry.cpp
              LIBS classroom_test_fixture DISPLAY TIMEOUT 90)
tarnwick_test(test_session_stage SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_session_stage.cpp
              LIBS classroom_test_fixture DISPLAY TIMEOUT 90)
tarnwick_test(test_session_exit SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_session_exit.cpp
              LIBS classroom_test_fixture DISPLAY TIMEOUT 90)
tarnwick_test(test_session_class SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_session_class.cpp
              LIBS classroom_test_fixture DISPLAY TIMEOUT 90)
