#pragma once

#include <QCursor>
#include <QGuiApplication>

namespace tarnwell::window {

// Shows the wait cursor over the whole program for as long as it lives.
class BusyCursor {
public:
    BusyCursor() { QGuiApplication::setOverrideCursor(Qt::WaitCursor); }
    ~BusyCursor() { QGuiApplication::restoreOverrideCursor(); }

    BusyCursor(const BusyCursor&) = delete;
    BusyCursor& operator=(const BusyCursor&) = delete;
};

}  // namespace tarnwell::window
