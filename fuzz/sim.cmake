# The simulator link's fuzz targets (included by fuzz/CMakeLists.txt).

# The FSUIPC client's reply walk on arbitrary shared-area contents. The
# client's source is compiled into the target itself so that libFuzzer's
# coverage and ASan reach inside it.
tarnwell_add_fuzzer(fuzz_reply_walk
    fuzz_reply_walk.cpp
    ${PROJECT_SOURCE_DIR}/src/sim/module/fsuipc_client.cpp)
target_include_directories(fuzz_reply_walk PRIVATE ${PROJECT_SOURCE_DIR}/src)
target_link_libraries(fuzz_reply_walk PRIVATE tarnwell_options)

# The web simulators' answers as the client takes them in: parsed with the
# depth limit, then copied, looked into and quoted as the links do. Its
# seeds include an answer nested 200,000 levels deep.
tarnwell_add_fuzzer(fuzz_web_answer
    fuzz_web_answer.cpp
    ${PROJECT_SOURCE_DIR}/src/sim/web/web_json.cpp)
target_include_directories(fuzz_web_answer PRIVATE ${PROJECT_SOURCE_DIR}/src)
target_link_libraries(fuzz_web_answer PRIVATE tarnwell_header_only tarnwell_options)
