#include "sim/web/web_json.h"

#include <algorithm>
#include <cctype>

namespace tarnwell::sim {
namespace {

using nlohmann::json;

// A string's JSON, from as many of its bytes as can still be shown.
void QuoteString(const std::string& text, std::string& out, std::size_t room) {
    // A multi-byte character cut in two is printed as a replacement mark.
    const json cut = text.substr(0, room + 1 - std::min(room + 1, out.size()));
    out += cut.dump(-1, ' ', false, json::error_handler_t::replace);
}

// Appends the value's JSON, as dump() prints it, until `out` is longer than
// `room`. Every level adds at least one character, so the recursion ends
// within room + 1 levels however deep the value is.
void QuoteInto(const json& value, std::string& out, std::size_t room) {
    if (out.size() > room) {
        return;
    }
    switch (value.type()) {
        case json::value_t::object: {
            out += '{';
            bool first = true;
            for (auto item = value.begin(); item != value.end() && out.size() <= room; ++item) {
                out += first ? "" : ",";
                first = false;
                QuoteString(item.key(), out, room);
                out += ':';
                QuoteInto(item.value(), out, room);
            }
            out += '}';
            return;
        }
        case json::value_t::array: {
            out += '[';
            bool first = true;
            for (auto item = value.begin(); item != value.end() && out.size() <= room; ++item) {
                out += first ? "" : ",";
                first = false;
                QuoteInto(*item, out, room);
            }
            out += ']';
            return;
        }
        case json::value_t::string:
            return QuoteString(value.get_ref<const std::string&>(), out, room);
        case json::value_t::binary:
            out += "<binary>";
            return;
        default:  // a number, true, false, null: a few characters
            out += value.dump();
            return;
    }
}

}  // namespace

ParsedJson ParseAnswer(std::string_view body) {
    ParsedJson parsed;
    if (body.empty()) {
        parsed.end = JsonEnd::Parsed;
        return parsed;
    }
    // The parser itself keeps its levels on a list of its own; a level too
    // many is dropped as it starts, and so is everything after it.
    bool tooDeep = false;
    const json::parser_callback_t keep = [&tooDeep](int depth, json::parse_event_t event, json&) {
        const bool starts =
            event == json::parse_event_t::object_start || event == json::parse_event_t::array_start;
        tooDeep = tooDeep || (starts && depth >= MaxJsonDepth);
        return !tooDeep;
    };
    json value = json::parse(body.begin(), body.end(), keep, false);
    if (tooDeep) {
        parsed.end = JsonEnd::TooDeep;
    } else if (!value.is_discarded()) {
        parsed.end = JsonEnd::Parsed;
        parsed.json = std::move(value);
    }
    return parsed;
}

const json* Member(const json& object, const char* key) {
    if (!object.is_object()) {
        return nullptr;
    }
    const auto found = object.find(key);
    return found == object.end() ? nullptr : &*found;
}

std::string Quote(const json& value) {
    std::string text;
    QuoteInto(value, text, QuoteLength);
    return text.size() > QuoteLength ? text.substr(0, QuoteLength - 3) + "..." : text;
}

std::string Folded(const std::string& text) {
    const auto first = text.find_first_not_of(" \t\r\n");
    if (first == std::string::npos) {
        return {};
    }
    std::string folded = text.substr(first, text.find_last_not_of(" \t\r\n") - first + 1);
    std::transform(folded.begin(), folded.end(), folded.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return folded;
}

}  // namespace tarnwell::sim
