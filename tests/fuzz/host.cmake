# Frames and requests of the browser host, as a browser (or anything else) may send them.
kavrin_fuzzer(host_requests SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/host_requests.cpp DEPENDS kavrin_host)
