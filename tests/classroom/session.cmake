# The classroom session: backend calls, commands, roster, and whole classes on an in-process hub.

# A class in one process: hub, teacher, loopback backend, stand-in shell, box driver.
add_library(classroom_test_fixture STATIC
  ${CMAKE_CURRENT_LIST_DIR}/classfixture.cpp ${CMAKE_CURRENT_LIST_DIR}/classfixture.h
  ${CMAKE_CURRENT_LIST_DIR}/scriptedclass.cpp ${CMAKE_CURRENT_LIST_DIR}/scriptedclass.h
  ${CMAKE_SOURCE_DIR}/tests/messaging/hubteacher.cpp ${CMAKE_SOURCE_DIR}/tests/messaging/hubteacher.h)
target_link_libraries(classroom_test_fixture PUBLIC classroom resources hub inproc_transport janus_client
                      tarnwick_test_support board_pixels Qt5::Test)
tarnwick_flags(classroom_test_fixture)

tarnwick_test(test_backend SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_backend.cpp LIBS classroom)
tarnwick_test(test_commands SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_commands.cpp LIBS classroom)
tarnwick_test(test_roster SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_roster.cpp LIBS classroom)
# The session alone, without a window (offscreen).
tarnwick_test(test_classsession SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_classsession.cpp
              LIBS classroom_test_fixture TIMEOUT 90)
tarnwick_test(test_session_entry SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_session_entry.cpp
              LIBS classroom_test_fixture DISPLAY TIMEOUT 90)
tarnwick_test(test_session_stage SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_session_stage.cpp
              LIBS classroom_test_fixture DISPLAY TIMEOUT 90)
tarnwick_test(test_session_exit SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_session_exit.cpp
              LIBS classroom_test_fixture DISPLAY TIMEOUT 90)
tarnwick_test(test_session_class SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_session_class.cpp
              LIBS classroom_test_fixture DISPLAY TIMEOUT 90)

# For looking at the window by eye (not a test).
add_executable(classroom_gallery ${CMAKE_CURRENT_LIST_DIR}/classroom_gallery.cpp)
target_link_libraries(classroom_gallery PRIVATE classroom_test_fixture)
tarnwick_flags(classroom_gallery)
set_target_properties(classroom_gallery PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin)

# The same against the real local service and the scripted teacher.
tarnwick_test(test_session_local SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_session_local.cpp
              LIBS classroom_test_fixture DISPLAY TIMEOUT 90)
add_dependencies(test_session_local tarnwick-local tarnwick-teacher)
tarnwick_test(test_session_chat SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_session_chat.cpp
              LIBS classroom_test_fixture DISPLAY TIMEOUT 90)
# Frame delivery against answers on the GUI thread.
tarnwick_test(test_callbackticket SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_callbackticket.cpp
              LIBS classroom TIMEOUT 60)
# The video of a running class: views, tiles and their triggers.
tarnwick_test(test_session_video SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_session_video.cpp
              LIBS classroom_test_fixture DISPLAY TIMEOUT 90)
# The pictures of a whole class: the teacher's camera and slide, classmates on stage.
tarnwick_test(test_session_wholeclass SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_session_wholeclass.cpp
              ${CMAKE_CURRENT_LIST_DIR}/classpictures.cpp ${CMAKE_CURRENT_LIST_DIR}/classpictures.h
              ${CMAKE_SOURCE_DIR}/tests/faults/loopbackproxy.cpp ${CMAKE_SOURCE_DIR}/tests/faults/loopbackproxy.h
              LIBS classroom_test_fixture teacher hub Qt5::WebSockets DISPLAY TIMEOUT 90)
target_include_directories(test_session_wholeclass PRIVATE ${CMAKE_SOURCE_DIR}/tests/faults)
# Screenshots in class: the hot key, and a picture through the local service's store.
tarnwick_test(test_session_screenshot SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_session_screenshot.cpp
              LIBS classroom_test_fixture teacher DISPLAY TIMEOUT 90)
add_dependencies(test_session_screenshot tarnwick-local)
# Every classroom window grabs Ctrl+Shift+A on the shared test display, and an X server lets
# one client hold a grab: windows of parallel tests would take the hot key from each other.
set_tests_properties(test_session_entry test_session_stage test_session_exit test_session_class
                     test_session_local test_session_chat test_session_video test_session_wholeclass
                     test_session_screenshot PROPERTIES RESOURCE_LOCK display_input)
# The same with IM on ejabberd (scripts/engines.sh starts one for the program).
tarnwick_test(test_session_xmpp SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_session_xmpp.cpp
              LIBS classroom_test_fixture sdk_net_xmpp service_member raw_xmpp_member DISPLAY TIMEOUT 300)
add_dependencies(test_session_xmpp tarnwick-local tarnwick-teacher)
# The same with the IM link cut under the student or the teacher (the fault tests' relays).
tarnwick_test(test_session_xmppcut SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_session_xmppcut.cpp
              LIBS classroom_test_fixture faults_fixture DISPLAY TIMEOUT 300)
add_dependencies(test_session_xmppcut tarnwick-local)
# The same pictures with media on Janus, inside the test's own network namespace.
tarnwick_test(test_session_janus SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_session_janus.cpp
              ${CMAKE_CURRENT_LIST_DIR}/classpictures.cpp ${CMAKE_CURRENT_LIST_DIR}/classpictures.h
              LIBS classroom_test_fixture teacher janus_client DISPLAY NETNS TIMEOUT 300)
add_dependencies(test_session_janus tarnwick-local tarnwick-teacher)
# Their classroom windows grab the hot key too.
set_tests_properties(test_session_xmpp test_session_xmppcut test_session_janus PROPERTIES RESOURCE_LOCK display_input)
