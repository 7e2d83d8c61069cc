#include "window/fieldtext.h"

#include <QLineEdit>
#include <QString>
#include <algorithm>

namespace tarnwell::window {

namespace {

bool IsAscii(const QString& text) {
    return std::all_of(text.cbegin(), text.cend(), [](QChar c) { return c.unicode() < 0x80; });
}

bool IsAscii(const std::string& text) {
    return std::all_of(text.cbegin(), text.cend(),
                       [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

}  // namespace

std::string EditText(const QLineEdit* edit) {
    const QString text = edit->text();
    // Fields hold digits nearly always: those are copied as they are,
    // without the detour through a UTF-8 byte array.
    if (IsAscii(text)) {
        std::string ascii(static_cast<std::size_t>(text.size()), '\0');
        std::transform(text.cbegin(), text.cend(), ascii.begin(),
                       [](QChar c) { return static_cast<char>(c.unicode()); });
        return ascii;
    }
    return text.toStdString();
}

bool WriteFieldText(QLineEdit* edit, const std::string& text) {
    // The same text raises no change event and leaves the caret alone. Most
    // of a calculation's writes are the same text again; the plan only
    // holds ASCII, which compares without building a new string.
    if (IsAscii(text) ? edit->text() == QLatin1StringView(text.data(), text.size())
                      : edit->text() == QString::fromStdString(text)) {
        return false;
    }
    const QString value = QString::fromStdString(text);
    if (!edit->hasFocus()) {
        edit->setText(value);
        return true;
    }

    // The field being typed in. Writing it puts the caret at the end; put
    // the caret and any selection back where they were, counted from the
    // end, since normal form only drops what leads the number (zeros).
    const int before = static_cast<int>(edit->text().size());
    const int caret = edit->cursorPosition();
    int anchor = caret;
    if (edit->hasSelectedText()) {
        anchor = caret == edit->selectionStart() ? edit->selectionEnd() : edit->selectionStart();
    }
    edit->setText(value);

    const int after = static_cast<int>(edit->text().size());
    const auto place = [before, after](int position) {
        return std::clamp(after - (before - position), 0, after);
    };
    const int newCaret = place(caret);
    const int newAnchor = place(anchor);
    if (newAnchor == newCaret) {
        edit->setCursorPosition(newCaret);
    } else {
        edit->setSelection(newAnchor, newCaret - newAnchor);
    }
    return true;
}

}  // namespace tarnwell::window
