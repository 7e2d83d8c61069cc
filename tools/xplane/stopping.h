#pragma once

// Stopping: by a signal, the console closing, or the simulator quitting as
// told. Waits (the slow and never faults) end early when it comes.

namespace httplib {
class Server;
}

namespace tarnwell::tools::xplane {

// The server a stop ends, once it listens.
void StopServing(httplib::Server& server);

// Ends the waits and the server; safe to call again and from any thread.
void RequestStop();

bool StopRequested();

// Waits for the given time, or without end when it is negative; false when
// the stand-in is stopping.
bool Wait(long ms);

}  // namespace tarnwell::tools::xplane
