#pragma once

// Base64 with padding, as the web API carries the value of a data dataref
// (acf_ICAO). The stand-in keeps its own, apart from the link's, so that a
// mistake in one shows up against the other instead of on both sides.

#include <string>

namespace tarnwell::tools::xplane {

std::string Base64Encode(const std::string& bytes);

// False for text that is not whole groups of four, a digit outside the
// alphabet, or padding anywhere but at the end of the last group.
bool Base64Decode(const std::string& text, std::string& bytes);

}  // namespace tarnwell::tools::xplane
