#pragma once

// The stand-in's web server: every request answered as the simulator
// answers it, or as the transport faults make of that.

#include <atomic>

#include "xplane/datarefs.h"
#include "xplane/options.h"

namespace httplib {
class Server;
}

namespace tarnwell::tools::xplane {

// Answers every path and method on `http`; `served` counts the requests,
// for the first ones --normal-answers leaves without the faults.
void Route(httplib::Server& http, Simulator& simulator, const Options& options,
           std::atomic<long>& served);

// Binds `http` to the host and port of the options (a free port for 0),
// refusing to share the port with another stand-in. The port, or -1 after
// saying on standard error that it cannot listen there.
int Bind(httplib::Server& http, const Options& options);

// The opening lines: where it listens, what it serves and its faults.
void PrintOpening(const Options& options, const Simulator& simulator, int port);

}  // namespace tarnwell::tools::xplane
