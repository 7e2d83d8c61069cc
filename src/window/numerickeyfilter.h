#pragma once

#include <QObject>

namespace tarnwell::window {

// The key rule of the entry fields, installed as an event filter on each of
// them: a key press whose text is a character other than a digit or
// backspace never reaches the field. Keys that type nothing (Delete, the
// arrows, Home, End) pass, and so do Tab and Backtab, which move the focus
// rather than type. Text that arrives by other routes, such as the context
// menu's paste, is not filtered.
class NumericKeyFilter : public QObject {
    Q_OBJECT

public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};

}  // namespace tarnwell::window
