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
    // What went wrong technically (a simulator's paths, status lines,
    // answers), behind the box's details button; the text says it in a
    // pilot's words.
    std::string details = {};

    friend bool operator==(const Message&, const Message&) = default;
};

// A box that asks before the program goes on: the button named `proceed`
// (the default) goes on, Cancel does nothing.
struct Question {
    Message message;
    std::string proceed;

    friend bool operator==(const Question&, const Question&) = default;
};

}  // namespace tarnwell::window
