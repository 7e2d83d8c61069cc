#pragma once

// What tarnwell-simbrief serves and the fault it shows, as its command line
// sets them.

#include <map>
#include <string>

namespace tarnwell::tools::simbrief {

// What answers instead of SimBrief's own answer: a server that hangs or
// crawls, something else on the address, or the answer damaged.
enum class Fault { None, Silent, Trickle, Html, Huge, Truncated, ServerError };

// One pilot's latest plan: the file's bytes and the type they go out as.
struct Plan {
    std::string body;
    std::string type;  // application/xml or application/json
};

struct Options {
    int port = 0;
    std::map<std::string, Plan> users;  // by username or userid alike
    Fault fault = Fault::None;
    std::string faultName = "none";
    std::string tlsCert;
    std::string tlsKey;
};

// 0 to go on, -1 when --help was answered, else the exit status.
int ParseOptions(int argc, char** argv, Options& options);

}  // namespace tarnwell::tools::simbrief
