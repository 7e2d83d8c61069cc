#pragma once

#include <array>
#include <chrono>
#include <memory>
#include <optional>
#include <string>

#include <nlohmann/json.hpp>

#include "sim/cancel_flag.h"
#include "sim/simulator.h"
#include "sim/simulator_session.h"
#include "sim/web/web_json.h"

// The one way the web simulators' links talk to their simulator: a
// blocking request with a JSON body, its answer parsed as JSON. It trusts
// nothing the other side sends: an answer it cannot use comes back as why,
// in words, never as a half-read body.
namespace tarnwell::sim {

enum class WebEnd {
    Answered,    // an answer whose body is JSON (an empty body counts as null), any status
    NoAnswer,    // nothing listens, the connection broke, or the time ran out
    NotJson,     // an answer came, but its body is not JSON (a web page, cut short, nested
                 // deeper than MaxJsonDepth)
    Redirected,  // the answer sends us elsewhere; never followed
    TooLarge,    // the body is over the limit; refused unread
    Cancelled,   // the cancel flag was up before the request went out, or as its answer came
};

struct WebReply {
    WebEnd end = WebEnd::NoAnswer;
    // The answer's status with its reason, when an answer came: 200, "OK".
    int status = 0;
    std::string reason;
    nlohmann::json json;  // when Answered
    std::string error;    // otherwise: what went wrong, in words
    // Where a redirect pointed.
    std::string location;

    bool Ok() const { return end == WebEnd::Answered && status >= 200 && status < 300; }
    // "403 Forbidden".
    std::string StatusText() const;
};

class WebClient {
public:
    WebClient(const Endpoint& endpoint, const WebTiming& timing);
    ~WebClient();

    WebClient(const WebClient&) = delete;
    WebClient& operator=(const WebClient&) = delete;

    // The path includes the query, already encoded.
    WebReply Get(const std::string& path, const CancelFlag& cancel);
    WebReply Post(const std::string& path, const nlohmann::json& body, const CancelFlag& cancel);
    WebReply Patch(const std::string& path, const nlohmann::json& body, const CancelFlag& cancel);

    // The longest one request may take: connecting, sending, and the
    // answer, its status line and headers included, however slowly it
    // comes. At this limit, or as soon as the cancel flag goes up, the
    // connection is shut, whatever the server does.
    std::chrono::milliseconds RequestLimit() const;
    // "127.0.0.1:8086", for the boxes.
    std::string Where() const;

private:
    WebReply Send(const char* method, const std::string& path, const nlohmann::json* body,
                  const CancelFlag& cancel);

    struct Impl;
    std::unique_ptr<Impl> impl_;
};

// A figure a simulator gave, in pounds, when it can be a weight: a finite
// number, not below zero, within the planner's 32-bit pounds. Anything
// else is a bad reading, never a tank's contents or a payload.
std::optional<double> UsablePounds(double pounds);

// An open that found no simulator of the kind asked for.
OpenResult NotOpen(OpenEnd end, std::string detail);

// A web simulator at `endpoint` as a session looks for it, opened by
// `open` (OpenXPlane, OpenFlightGear).
using WebOpen = OpenResult (*)(const Endpoint& endpoint, const CancelFlag& cancel,
                               const WaitReport& report, WebTiming timing);
std::unique_ptr<SimulatorOpener> WebOpener(WebOpen open, Endpoint endpoint, WebTiming timing);

// Ends a boarding whose tanks were read back: Boarded when each holds what
// was boarded into it (result.boardedPounds) within a pound, Differs
// otherwise, with what they hold.
void SettleReadBack(BoardingResult& result, const std::array<double, TankCount>& heldPounds);

// Why a request about `action` ("the write of sim/flightmodel/weight/m_fuel")
// failed, as a sentence naming the simulator: "X-Plane refused the write of
// sim/flightmodel/weight/m_fuel (403 Forbidden)." A reason the simulator
// gives in its answer (an "error_message") is added.
std::string RequestFailureText(const std::string& simulator, const std::string& action,
                               const WebReply& reply);

// Tells the wait dialog the step about to start, one try, and how long the
// requests still to come may take at most.
void TellStep(const WaitReport& report, std::string what, int requestsLeft,
              std::chrono::milliseconds requestLimit);

// The path with one query parameter, its value encoded as a URL carries
// it: "/api/v2/datarefs?filter[name]=sim%2Faircraft%2Fview%2Facf_ICAO".
std::string WithQuery(const std::string& path, const std::string& name, const std::string& value);

}  // namespace tarnwell::sim
