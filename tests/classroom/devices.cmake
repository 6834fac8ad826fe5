# The classroom's devices: logic and camera on the in-process hub (offscreen), and the
# microphone and speaker on the test session's audio devices (DISPLAY brings PulseAudio).
set(CLASSDEVICES_FIXTURE ${CMAKE_CURRENT_LIST_DIR}/test_classdevices_host.cpp
                         ${CMAKE_CURRENT_LIST_DIR}/test_classdevices_host.h)
set(CLASSDEVICES_LIBS classroom messaging_test_fixtures inproc_transport hub resources)
tarnwick_test(test_classdevices SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_classdevices.cpp ${CLASSDEVICES_FIXTURE}
              LIBS ${CLASSDEVICES_LIBS})
tarnwick_test(test_classdevices_audio SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_classdevices_audio.cpp ${CLASSDEVICES_FIXTURE}
              LIBS ${CLASSDEVICES_LIBS} DISPLAY)
