# The simulator link's fuzz targets (included by fuzz/CMakeLists.txt).

# The FSUIPC client's reply walk on arbitrary shared-area contents. The
# client's source is compiled into the target itself so that libFuzzer's
# coverage and ASan reach inside it.
tarnwell_add_fuzzer(fuzz_reply_walk
    fuzz_reply_walk.cpp
    ${PROJECT_SOURCE_DIR}/src/sim/fsuipc_client.cpp)
target_include_directories(fuzz_reply_walk PRIVATE ${PROJECT_SOURCE_DIR}/src)
target_link_libraries(fuzz_reply_walk PRIVATE tarnwell_options)
