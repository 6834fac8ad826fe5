# The chat picture's upload, against a loopback store.
tarnwick_test(test_chatpictureupload SOURCES ${CMAKE_CURRENT_LIST_DIR}/test_chatpictureupload.cpp
              LIBS classroom Qt5::Network)
