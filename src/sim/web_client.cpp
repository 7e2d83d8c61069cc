#include "sim/web_client.h"

#include <httplib.h>

#include <algorithm>
#include <cmath>
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
    return impl_->endpoint.host + ":" + std::to_string(impl_->endpoint.port);
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
    WebReply reply;
    if (cancel.Raised()) {
        reply.end = WebEnd::Cancelled;
        reply.error = "cancelled";
        return reply;
    }

    // The read time-out holds for each wait on the socket, so an answer
    // that trickles in could go on for ever: the whole request is held to
    // its limit here, and to the cancel flag while the body comes.
    const Clock::time_point deadline = Clock::now() + RequestLimit();
    const std::size_t maxBytes = impl_->timing.maxBodyBytes;
    enum class Stop { None, TooLarge, TooSlow, Cancelled } stop = Stop::None;
    std::string received;

    httplib::Request request;
    request.method = method;
    request.path = path;
    request.set_header("Accept", "application/json");
    if (body != nullptr) {
        request.body = body->dump();
        request.set_header("Content-Type", "application/json");
    }
    request.response_handler = [&](const httplib::Response& response) {
        // A declared length over the limit is refused before any of it is read.
        if (response.has_header("Content-Length") &&
            response.get_header_value<std::uint64_t>("Content-Length") > maxBytes) {
            stop = Stop::TooLarge;
            return false;
        }
        return true;
    };
    request.content_receiver = [&](const char* data, std::size_t length, std::uint64_t,
                                   std::uint64_t) {
        if (received.size() + length > maxBytes) {
            stop = Stop::TooLarge;
        } else if (cancel.Raised()) {
            stop = Stop::Cancelled;
        } else if (Clock::now() > deadline) {
            stop = Stop::TooSlow;
        } else {
            received.append(data, length);
            return true;
        }
        return false;
    };

    httplib::Result result = impl_->client.send(request);
    if (result) {
        reply.status = result->status;
        reply.reason = result->reason;
    }
    if (stop == Stop::TooLarge) {
        reply.end = WebEnd::TooLarge;
        reply.error = "the answer is longer than " + std::to_string(maxBytes) + " bytes";
        return reply;
    }
    // Cancelled while the server kept silent: the wait ends at the time-out,
    // and what ends it is the cancel, not a simulator that failed to answer.
    const bool silent = stop == Stop::TooSlow || (stop == Stop::None && !result);
    if (stop == Stop::Cancelled || (silent && cancel.Raised())) {
        reply.end = WebEnd::Cancelled;
        reply.error = "cancelled";
        return reply;
    }
    if (stop == Stop::TooSlow) {
        reply.end = WebEnd::NoAnswer;
        reply.error = "the answer did not come in time";
        return reply;
    }
    if (!result) {
        reply.end = WebEnd::NoAnswer;
        reply.error = TransportText(result.error());
        return reply;
    }
    if (reply.status >= 300 && reply.status < 400) {
        reply.end = WebEnd::Redirected;
        reply.location = result->get_header_value("Location");
        reply.error = "it answers with a redirect (" + reply.StatusText() + ")";
        return reply;
    }
    if (received.empty()) {
        reply.end = WebEnd::Answered;
        return reply;
    }
    try {
        reply.json = nlohmann::json::parse(received);
        reply.end = WebEnd::Answered;
    } catch (const nlohmann::json::parse_error&) {
        reply.end = WebEnd::NotJson;
        reply.error = "its answer (" + reply.StatusText() + ") is not JSON";
    }
    return reply;
}

const nlohmann::json* Member(const nlohmann::json& object, const char* key) {
    if (!object.is_object()) {
        return nullptr;
    }
    const auto found = object.find(key);
    return found == object.end() ? nullptr : &*found;
}

std::string Quote(const nlohmann::json& value) {
    std::string text = value.dump();
    return text.size() > 40 ? text.substr(0, 37) + "..." : text;
}

std::string Folded(const std::string& text) {
    const auto first = text.find_first_not_of(" \t\r\n");
    if (first == std::string::npos) {
        return {};
    }
    std::string folded = text.substr(first, text.find_last_not_of(" \t\r\n") - first + 1);
    std::transform(folded.begin(), folded.end(), folded.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return folded;
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
