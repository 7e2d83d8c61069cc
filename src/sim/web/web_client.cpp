#include "sim/web/web_client.h"

#include <httplib.h>

#include <algorithm>
#include <cmath>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <utility>

#include "plan/arithmetic.h"

namespace tarnwell::sim {
namespace {

using Clock = std::chrono::steady_clock;

// Why no answer came, in words.
std::string TransportText(httplib::Error error) {
    switch (error) {
        case httplib::Error::Connection:
            return "nothing answers there";
        case httplib::Error::ConnectionTimeout:
            return "the connection was not accepted in time";
        case httplib::Error::Read:
            return "the answer broke off or did not come in time";
        case httplib::Error::Write:
            return "the request could not be sent";
        default:
            return "the request failed (" + httplib::to_string(error) + ")";
    }
}

// Why a request was ended from outside.
enum class Ended { No, AtDeadline, Cancelled };

// Ends the request in flight on `client` at its deadline or when the cancel
// flag goes up. The library's own time-outs start again with every byte, so
// a server that trickles its headers, or sends a header line that never
// ends, would hold the request for ever; shutting the socket from here ends
// any wait on it at once. The shut is repeated until the request has
// returned, since one that comes before the connection is made finds
// nothing to shut.
class Watchdog {
public:
    Watchdog(httplib::Client& client, const CancelFlag& cancel, Clock::time_point deadline)
        : thread_([this, &client, &cancel, deadline] { Watch(client, cancel, deadline); }) {}

    ~Watchdog() { Stop(); }

    Watchdog(const Watchdog&) = delete;
    Watchdog& operator=(const Watchdog&) = delete;

    // Called when the request has returned: whether it was ended from here.
    Ended Stop() {
        {
            const std::lock_guard lock(mutex_);
            returned_ = true;
        }
        woken_.notify_one();
        if (thread_.joinable()) {
            thread_.join();
        }
        return ended_;
    }

private:
    // How often the cancel flag is looked at: well within the promptness a
    // pilot sees, at no cost worth measuring.
    static constexpr std::chrono::milliseconds Poll{10};

    void Watch(httplib::Client& client, const CancelFlag& cancel, Clock::time_point deadline) {
        std::unique_lock lock(mutex_);
        while (!returned_) {
            if (ended_ == Ended::No) {
                ended_ = cancel.Raised()            ? Ended::Cancelled
                         : Clock::now() >= deadline ? Ended::AtDeadline
                                                    : Ended::No;
            }
            if (ended_ != Ended::No) {
                lock.unlock();
                client.stop();
                lock.lock();
            }
            // Once struck, the shut is repeated at the same pace.
            const Clock::time_point next = Clock::now() + Poll;
            woken_.wait_until(lock, ended_ == Ended::No ? std::min(next, deadline) : next,
                              [this] { return returned_; });
        }
    }

    std::mutex mutex_;
    std::condition_variable woken_;
    bool returned_ = false;
    Ended ended_ = Ended::No;
    std::thread thread_;  // last: it starts once the rest is in place
};

// Why the client broke off an exchange itself.
enum class BrokenOff { No, TooLarge, TooSlow, Cancelled };

// A request asking for JSON, with the body, if any, as JSON.
httplib::Request JsonRequest(const char* method, const std::string& path,
                             const nlohmann::json* body) {
    httplib::Request request;
    request.method = method;
    request.path = path;
    request.set_header("Accept", "application/json");
    if (body != nullptr) {
        request.body = body->dump();
        request.set_header("Content-Type", "application/json");
    }
    return request;
}

// A reply without an answer to use; the status, where one came.
WebReply Failed(WebEnd end, std::string error, const httplib::Response* response = nullptr) {
    WebReply reply;
    if (response != nullptr) {
        reply.status = response->status;
        reply.reason = response->reason;
    }
    reply.end = end;
    reply.error = std::move(error);
    return reply;
}

// An answer that came whole: a redirect, or its body (`received`) as JSON.
WebReply Answered(const httplib::Response& response, const std::string& received) {
    WebReply reply;
    reply.status = response.status;
    reply.reason = response.reason;
    if (reply.status >= 300 && reply.status < 400) {
        reply.end = WebEnd::Redirected;
        reply.location = response.get_header_value("Location");
        reply.error = "it answers with a redirect (" + reply.StatusText() + ")";
        return reply;
    }
    if (received.empty()) {
        reply.end = WebEnd::Answered;
        return reply;
    }
    ParsedJson parsed = ParseAnswer(received);
    if (parsed.end == JsonEnd::Parsed) {
        reply.json = std::move(parsed.json);
        reply.end = WebEnd::Answered;
    } else {
        reply.end = WebEnd::NotJson;
        reply.error =
            "its answer (" + reply.StatusText() + ") is not JSON" +
            (parsed.end == JsonEnd::TooDeep ? " a simulator sends: it nests deeper than " +
                                                  std::to_string(MaxJsonDepth) + " levels"
                                            : "");
    }
    return reply;
}

// The reply to an exchange the client may have broken off (`stop`): what
// the library made of it, and the body as far as it came.
WebReply Finished(const httplib::Result& result, BrokenOff stop, const std::string& received,
                  std::size_t maxBytes, const CancelFlag& cancel) {
    const httplib::Response* response = result ? &*result : nullptr;
    if (stop == BrokenOff::TooLarge) {
        return Failed(WebEnd::TooLarge,
                      "the answer is longer than " + std::to_string(maxBytes) + " bytes", response);
    }
    // Cancelled while the server kept silent: the wait ends at the time-out,
    // and what ends it is the cancel, not a simulator that failed to answer.
    const bool silent = stop == BrokenOff::TooSlow || (stop == BrokenOff::No && !result);
    if (stop == BrokenOff::Cancelled || (silent && cancel.Raised())) {
        return Failed(WebEnd::Cancelled, "cancelled", response);
    }
    if (stop == BrokenOff::TooSlow) {
        return Failed(WebEnd::NoAnswer, "the answer did not come in time", response);
    }
    if (!result) {
        return Failed(WebEnd::NoAnswer, TransportText(result.error()));
    }
    return Answered(*result, received);
}

}  // namespace

std::string WebReply::StatusText() const {
    return reason.empty() ? std::to_string(status) : std::to_string(status) + " " + reason;
}

struct WebClient::Impl {
    Impl(const Endpoint& endpoint, const WebTiming& timing)
        : endpoint(endpoint), timing(timing), client(endpoint.host, endpoint.port) {
        client.set_connection_timeout(timing.connectTimeout);
        client.set_read_timeout(timing.requestTimeout);
        client.set_write_timeout(timing.requestTimeout);
        // A redirect means another service answers there: it is reported,
        // never followed. A compressed answer would slip past the size
        // limit, so none is asked for.
        client.set_follow_location(false);
        client.set_decompress(false);
        client.set_keep_alive(false);
    }

    Endpoint endpoint;
    WebTiming timing;
    httplib::Client client;
};

WebClient::WebClient(const Endpoint& endpoint, const WebTiming& timing)
    : impl_(std::make_unique<Impl>(endpoint, timing)) {}

WebClient::~WebClient() = default;

std::chrono::milliseconds WebClient::RequestLimit() const {
    return impl_->timing.connectTimeout + 2 * impl_->timing.requestTimeout;
}

std::string WebClient::Where() const {
    const std::string& host = impl_->endpoint.host;
    const bool ipv6 = host.find(':') != std::string::npos;
    return (ipv6 ? "[" + host + "]" : host) + ":" + std::to_string(impl_->endpoint.port);
}

WebReply WebClient::Get(const std::string& path, const CancelFlag& cancel) {
    return Send("GET", path, nullptr, cancel);
}

WebReply WebClient::Post(const std::string& path, const nlohmann::json& body,
                         const CancelFlag& cancel) {
    return Send("POST", path, &body, cancel);
}

WebReply WebClient::Patch(const std::string& path, const nlohmann::json& body,
                          const CancelFlag& cancel) {
    return Send("PATCH", path, &body, cancel);
}

WebReply WebClient::Send(const char* method, const std::string& path, const nlohmann::json* body,
                         const CancelFlag& cancel) {
    if (cancel.Raised()) {
        return Failed(WebEnd::Cancelled, "cancelled");
    }

    // The read time-out holds for each wait on the socket, so an answer
    // that trickles in could go on for ever: the whole request is held to
    // its limit and to the cancel flag by a watchdog, and the body is
    // counted as it comes.
    const Clock::time_point deadline = Clock::now() + RequestLimit();
    const std::size_t maxBytes = impl_->timing.maxBodyBytes;
    BrokenOff stop = BrokenOff::No;
    std::string received;

    httplib::Request request = JsonRequest(method, path, body);
    request.response_handler = [&](const httplib::Response& response) {
        // A declared length over the limit is refused before any of it is read.
        if (response.has_header("Content-Length") &&
            response.get_header_value<std::uint64_t>("Content-Length") > maxBytes) {
            stop = BrokenOff::TooLarge;
            return false;
        }
        return true;
    };
    request.content_receiver = [&](const char* data, std::size_t length, std::uint64_t,
                                   std::uint64_t) {
        if (received.size() + length > maxBytes) {
            stop = BrokenOff::TooLarge;
        } else if (cancel.Raised()) {
            stop = BrokenOff::Cancelled;
        } else if (Clock::now() > deadline) {
            stop = BrokenOff::TooSlow;
        } else {
            received.append(data, length);
            return true;
        }
        return false;
    };

    Watchdog watchdog(impl_->client, cancel, deadline);
    httplib::Result result = impl_->client.send(request);
    const Ended ended = watchdog.Stop();
    // An answer that was complete when the watchdog struck is kept.
    if (!result && stop == BrokenOff::No) {
        stop = ended == Ended::AtDeadline  ? BrokenOff::TooSlow
               : ended == Ended::Cancelled ? BrokenOff::Cancelled
                                           : BrokenOff::No;
    }
    return Finished(result, stop, received, maxBytes, cancel);
}

std::string RequestFailureText(const std::string& simulator, const std::string& action,
                               const WebReply& reply) {
    // An error status is a refusal, whatever the body says.
    if (reply.end == WebEnd::Answered || (reply.end == WebEnd::NotJson && reply.status >= 400)) {
        std::string text = simulator + " refused " + action + " (" + reply.StatusText();
        const nlohmann::json* message = Member(reply.json, "error_message");
        if (message != nullptr && message->is_string()) {
            text += ": " + message->get<std::string>();
        }
        return text + ").";
    }
    if (reply.end == WebEnd::NoAnswer) {
        return simulator + " did not answer " + action + ": " + reply.error + ".";
    }
    if (reply.end == WebEnd::Cancelled) {
        return "Cancelled.";
    }
    return simulator + "'s answer to " + action + " cannot be used: " + reply.error + ".";
}

std::optional<double> UsablePounds(double pounds) {
    if (!std::isfinite(pounds) || pounds < 0 || !plan::RoundToInt32(pounds)) {
        return std::nullopt;
    }
    return pounds;
}

OpenResult NotOpen(OpenEnd end, std::string detail) {
    OpenResult result;
    result.end = end;
    result.detail = std::move(detail);
    return result;
}

namespace {

class Opener final : public SimulatorOpener {
public:
    Opener(WebOpen open, Endpoint endpoint, WebTiming timing)
        : open_(open), endpoint_(std::move(endpoint)), timing_(timing) {}

    OpenResult Open(const CancelFlag& cancel, const WaitReport& report) override {
        return open_(endpoint_, cancel, report, timing_);
    }
    Endpoint Where() const override { return endpoint_; }

private:
    WebOpen open_;
    Endpoint endpoint_;
    WebTiming timing_;
};

}  // namespace

std::unique_ptr<SimulatorOpener> WebOpener(WebOpen open, Endpoint endpoint, WebTiming timing) {
    return std::make_unique<Opener>(open, std::move(endpoint), timing);
}

void SettleReadBack(BoardingResult& result, const std::array<double, TankCount>& heldPounds) {
    bool within = true;
    for (std::size_t i = 0; i < TankCount; ++i) {
        within = within && std::abs(heldPounds[i] - result.boardedPounds[i]) <= 1.0;
    }
    result.heldPounds = heldPounds;
    result.end = within ? BoardingEnd::Boarded : BoardingEnd::Differs;
}

void TellStep(const WaitReport& report, std::string what, int requestsLeft,
              std::chrono::milliseconds requestLimit) {
    if (report) {
        report(WaitStep{std::move(what), 1, 1, requestsLeft * requestLimit});
    }
}

std::string WithQuery(const std::string& path, const std::string& name, const std::string& value) {
    return httplib::append_query_params(path, {{name, value}});
}

}  // namespace tarnwell::sim
