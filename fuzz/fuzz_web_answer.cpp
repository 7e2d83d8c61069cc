// A web simulator's answer body, any bytes: parsing never crashes, an answer
// it takes nests no deeper than MaxJsonDepth, and what the links do with
// one (copy it, look members up, quote it for a box) ends, with quotes no
// longer than QuoteLength.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "sim/web/web_json.h"

using namespace tarnwell::sim;

namespace {

int Depth(const nlohmann::json& value) {
    int deepest = 0;
    if (value.is_structured()) {
        for (const nlohmann::json& item : value) {
            const int depth = Depth(item);
            deepest = depth > deepest ? depth : deepest;
        }
        ++deepest;
    }
    return deepest;
}

void Check(bool holds) {
    if (!holds) {
        std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const ParsedJson parsed =
        ParseAnswer(std::string_view(reinterpret_cast<const char*>(data), size));
    if (parsed.end != JsonEnd::Parsed) {
        return 0;
    }
    const nlohmann::json copy = parsed.json;
    Check(Depth(copy) <= MaxJsonDepth);
    Check(Quote(copy).size() <= QuoteLength);
    for (const char* key : {"data", "api", "children", "value", "error_message"}) {
        if (const nlohmann::json* member = Member(copy, key)) {
            Check(Quote(*member).size() <= QuoteLength);
        }
    }
    (void)copy.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
    return 0;
}
