#pragma once

#include <string>

namespace tarnwell::window {

enum class MessageIcon { None, Information, Exclamation, Critical };

// A modal message with one OK button. Line breaks in the text are a
// carriage return followed by a line feed, as the program builds them.
struct Message {
    std::string text;
    std::string title;
    MessageIcon icon = MessageIcon::None;

    friend bool operator==(const Message&, const Message&) = default;
};

}  // namespace tarnwell::window
