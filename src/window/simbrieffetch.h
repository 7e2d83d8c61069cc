#pragma once

#include <QString>
#include <QUrl>
#include <chrono>
#include <string>

#include "sim/cancel_flag.h"
#include "sim/simulator.h"

// One fetch of a pilot's latest flight plan from SimBrief, over HTTPS with
// the system's certificates. SimBrief asks its users not to poll: the
// planner fetches once per click, and never on its own.
namespace tarnwell::window {

// SimBrief's fetcher of a pilot's latest flight plan.
inline constexpr const char* SimBriefFetcher = "https://www.simbrief.com/api/xml.fetcher.php";

// The address for a user: digits alone are a Pilot ID (`userid=`), anything
// else a user name (`username=`).
QUrl FetcherUrl(const QString& fetcher, const QString& user);

enum class FetchEnd {
    Answered,      // a whole answer, whatever its status
    Cancelled,     // by the pilot
    TimedOut,      // no whole answer within the limit
    TooLarge,      // more than a flight plan can be
    Unreachable,   // no connection: no network, no such host, refused
    Insecure,      // the TLS handshake or the certificate failed
    NotInstalled,  // the fetch module is missing from the installation
};

struct FetchOutcome {
    FetchEnd end = FetchEnd::Unreachable;
    int status = 0;  // HTTP status of an answer
    std::string body;
    std::string detail;  // the network's own words, for the box's details
};

// Fetches `url`, blocking, within `limit` for the whole answer; reports
// the wait as a simulator command does, and ends within a tenth of a
// second of the cancel flag. Runs on a worker thread: it spins an event
// loop of its own. The network code is a module of its own (tarnwell-fetch),
// loaded here on the first fetch from `moduleFolder`, the program's folder
// or ../lib/tarnwell beside it.
FetchOutcome FetchOfp(const QUrl& url, std::chrono::milliseconds limit,
                      const sim::CancelFlag& cancel, const sim::WaitReport& report,
                      const QString& moduleFolder = {});

// What the module is handed.
struct FetchCall {
    QUrl url;
    std::chrono::milliseconds limit;
    const sim::CancelFlag* cancel;
    const sim::WaitReport* report;
};

}  // namespace tarnwell::window
