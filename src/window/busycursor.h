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

    // The normal pointer over any override cursor in force, for as long as
    // it lives: a box shown in the middle of a command waits for the user,
    // not for the simulator.
    class Pause {
    public:
        Pause() : busy_(QGuiApplication::overrideCursor() != nullptr) {
            if (busy_) {
                QGuiApplication::setOverrideCursor(Qt::ArrowCursor);
            }
        }
        ~Pause() {
            if (busy_) {
                QGuiApplication::restoreOverrideCursor();
            }
        }

        Pause(const Pause&) = delete;
        Pause& operator=(const Pause&) = delete;

    private:
        bool busy_;
    };
};

}  // namespace tarnwell::window
