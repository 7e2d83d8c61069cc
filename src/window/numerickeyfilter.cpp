#include "window/numerickeyfilter.h"

#include <QKeyEvent>

#include "window/keyrule.h"

namespace tarnwell::window {

namespace {

bool IsDiscarded(const QKeyEvent& key) {
    switch (key.key()) {
        case Qt::Key_Tab:
        case Qt::Key_Backtab:
        case Qt::Key_Delete:  // types nothing, although some platforms give it a text
            return false;
        default:
            break;
    }
    const QString text = key.text();
    for (const QChar c : text) {
        if (FilterNumericKey(c.unicode()) == 0) {
            return true;
        }
    }
    return false;
}

}  // namespace

bool NumericKeyFilter::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress && IsDiscarded(*static_cast<QKeyEvent*>(event))) {
        return true;
    }
    return QObject::eventFilter(watched, event);
}

}  // namespace tarnwell::window
