#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include <nlohmann/json.hpp>

// The web simulators' answers as JSON, taken in without trusting them: a
// value nested deeper than any simulator nests its answers is refused while
// it is parsed, and what a box quotes of a value is cut short before the
// value is ever printed whole. Printing and copying a value recurse once per
// level, so a deep one would use up the stack.
namespace tarnwell::sim {

// The deepest nesting of arrays and objects taken from a simulator. X-Plane's
// answers nest three levels, FlightGear's property trees two per level of
// the tree asked for (`?d=N`): 32 leaves room for any tree the links ask for.
inline constexpr int MaxJsonDepth = 32;

enum class JsonEnd {
    Parsed,   // JSON (an empty body is null)
    NotJson,  // not JSON: a web page, cut short, NaN
    TooDeep,  // JSON nested deeper than MaxJsonDepth
};

struct ParsedJson {
    JsonEnd end = JsonEnd::NotJson;
    nlohmann::json json;  // when Parsed
};

// An answer's body as JSON.
ParsedJson ParseAnswer(std::string_view body);

// A member of a JSON object; null when the value is no object or lacks it.
const nlohmann::json* Member(const nlohmann::json& object, const char* key);

// The longest text Quote gives.
inline constexpr std::size_t QuoteLength = 40;
// A value as a box quotes it: its JSON, cut to QuoteLength characters with
// "..." at the end. Only as much of the value is printed as the cut keeps.
std::string Quote(const nlohmann::json& value);

// ASCII letters in lower case, blanks trimmed at both ends.
std::string Folded(const std::string& text);

}  // namespace tarnwell::sim
