#include "simbrief/options.h"

#include <fstream>
#include <optional>
#include <sstream>
#include <vector>

#include "command_line.h"

namespace tarnwell::tools::simbrief {
namespace {

constexpr const char* FaultHelp =
    "Faults (--fault NAME, for every request):\n"
    "  silent        take the connection and never answer\n"
    "  trickle       send the headers, then one byte of the body a second, without end\n"
    "  html          200 with a web page (another server on the address)\n"
    "  huge          200 with 8 MiB of XML: an OFP's start, then padding\n"
    "  truncated     the answer cut to its first half\n"
    "  server-error  500 with a line of text";

const std::map<std::string, Fault> FaultNames{
    {"silent", Fault::Silent},       {"trickle", Fault::Trickle},
    {"html", Fault::Html},           {"huge", Fault::Huge},
    {"truncated", Fault::Truncated}, {"server-error", Fault::ServerError},
};

// The type a file goes out as, by its name; empty for one it cannot tell.
std::string TypeOf(const std::string& file) {
    if (file.ends_with(".xml")) {
        return "application/xml";
    }
    if (file.ends_with(".json")) {
        return "application/json";
    }
    return "";
}

// One --user KEY=FILE, the file read now so that a mistake shows at the
// start and not at the first request.
void AddUser(const std::string& text, Options& options) {
    const std::size_t equals = text.find('=');
    if (equals == 0 || equals == std::string::npos || equals + 1 == text.size()) {
        throw CLI::ValidationError("not KEY=FILE: " + text);
    }
    const std::string key = text.substr(0, equals);
    const std::string file = text.substr(equals + 1);
    Plan plan{"", TypeOf(file)};
    if (plan.type.empty()) {
        throw CLI::ValidationError("neither .xml nor .json: " + file);
    }
    std::ifstream in(file, std::ios::binary);
    std::ostringstream bytes;
    if (!in || !(bytes << in.rdbuf())) {
        throw CLI::ValidationError("cannot read " + file);
    }
    plan.body = bytes.str();
    if (!options.users.emplace(key, std::move(plan)).second) {
        throw CLI::ValidationError("a second file for " + key);
    }
}

}  // namespace

int ParseOptions(int argc, char** argv, Options& options) {
    CLI::App app{
        "A stand-in for SimBrief's OFP fetcher (GET /api/xml.fetcher.php?username=NAME or "
        "?userid=ID), for testing the planner's dispatch plans. Prints \"listening on "
        "127.0.0.1:PORT\" first, then a line for every request.",
        "tarnwell-simbrief"};
    app.footer(FaultHelp);
    app.add_option("--port", options.port, "port on 127.0.0.1 (default 0: a free port, printed)")
        ->check(CLI::Range(0, 65535));
    std::vector<std::string> users;
    app.add_option("--user", users,
                   "the plan served for username=KEY or userid=KEY (.xml or .json); may be "
                   "given several times")
        ->type_name("KEY=FILE")
        ->each([&options](const std::string& text) { AddUser(text, options); });
    app.add_option("--fault", options.faultName, "a fault (below)")
        ->check(CLI::IsMember(FaultNames));
    CLI::Option* cert =
        app.add_option("--tls-cert", options.tlsCert, "serve HTTPS with this PEM certificate")
            ->check(CLI::ExistingFile);
    CLI::Option* key =
        app.add_option("--tls-key", options.tlsKey, "the certificate's PEM private key")
            ->check(CLI::ExistingFile);
    cert->needs(key);
    key->needs(cert);
    if (const std::optional<int> status = tarnwell::tools::ParseCommandLine(app, argc, argv)) {
        return *status == 0 ? -1 : *status;
    }
    if (const auto fault = FaultNames.find(options.faultName); fault != FaultNames.end()) {
        options.fault = fault->second;
    }
    return 0;
}

}  // namespace tarnwell::tools::simbrief
