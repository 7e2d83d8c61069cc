// The planner's one use of the network libraries, in a module of its own
// that the planner loads on the first fetch (simbrieffetch.cpp): linked
// into the program, Qt Network and what it needs (Kerberos, proxy
// discovery, compression) would be loaded at every start, for a command
// most runs never use. TLS comes from Qt's own back-end plug-in, loaded on
// the first https address: OpenSSL on Linux, Windows' Schannel.
#include <QElapsedTimer>
#include <QEventLoop>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTimer>
#include <optional>

#include "dispatch/ofp.h"
#include "window/simbrieffetch.h"
#include "window/version.h"

namespace tarnwell::window {
namespace {

FetchOutcome Fetch(const QUrl& url, std::chrono::milliseconds limit, const sim::CancelFlag& cancel,
                   const sim::WaitReport& report) {
    report({.what = "Fetching your flight plan from SimBrief...",
            .attempt = 1,
            .attempts = 1,
            .limit = limit});
    QNetworkAccessManager manager;
    QNetworkRequest request(url);
    request.setHeader(QNetworkRequest::UserAgentHeader, QStringLiteral("Tarnwell/%1.%2.%3")
                                                            .arg(VersionMajor)
                                                            .arg(VersionMinor)
                                                            .arg(VersionRevision));
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                         QNetworkRequest::NoLessSafeRedirectPolicy);
    request.setMaximumRedirectsAllowed(3);
    request.setTransferTimeout(static_cast<int>(limit.count()));

    FetchOutcome outcome;
    QNetworkReply* reply = manager.get(request);
    QEventLoop loop;
    std::optional<FetchEnd> stopped;
    const auto stop = [&](FetchEnd why) {
        if (!stopped) {
            stopped = why;
            reply->abort();
        }
    };
    const auto tooLarge = [&](qint64 bytes) {
        return bytes > static_cast<qint64>(dispatch::MaxOfpBytes);
    };
    QObject::connect(reply, &QNetworkReply::metaDataChanged, [&] {
        const QVariant length = reply->header(QNetworkRequest::ContentLengthHeader);
        if (length.isValid() && tooLarge(length.toLongLong())) {
            stop(FetchEnd::TooLarge);
        }
    });
    QObject::connect(reply, &QNetworkReply::readyRead, [&] {
        outcome.body += reply->readAll().toStdString();
        if (tooLarge(static_cast<qint64>(outcome.body.size()))) {
            stop(FetchEnd::TooLarge);
        }
    });
    QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
    // The transfer time-out only counts silence; a server that trickles
    // is held to the whole limit here.
    QElapsedTimer clock;
    clock.start();
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, [&] {
        if (cancel.Raised()) {
            stop(FetchEnd::Cancelled);
        } else if (clock.elapsed() > limit.count()) {
            stop(FetchEnd::TimedOut);
        }
    });
    watch.start(50);
    if (!reply->isFinished()) {
        loop.exec();
    }
    watch.stop();
    outcome.body += reply->readAll().toStdString();
    outcome.status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    outcome.detail = reply->errorString().toStdString();
    const QNetworkReply::NetworkError error = reply->error();
    delete reply;

    if (stopped) {
        outcome.end = *stopped;
    } else if (error == QNetworkReply::OperationCanceledError ||
               error == QNetworkReply::TimeoutError) {
        outcome.end = FetchEnd::TimedOut;
    } else if (error == QNetworkReply::SslHandshakeFailedError) {
        outcome.end = FetchEnd::Insecure;
    } else if (outcome.status != 0) {
        // An HTTP error still brings an answer: SimBrief's refusal of an
        // unknown user is a 400 with its reason inside.
        outcome.end = tooLarge(static_cast<qint64>(outcome.body.size())) ? FetchEnd::TooLarge
                                                                         : FetchEnd::Answered;
    } else {
        outcome.end = FetchEnd::Unreachable;
    }
    if (outcome.end != FetchEnd::Answered) {
        outcome.body.clear();
    }
    return outcome;
}

}  // namespace
}  // namespace tarnwell::window

extern "C" Q_DECL_EXPORT void tarnwell_fetch_ofp(const tarnwell::window::FetchCall* call,
                                                 tarnwell::window::FetchOutcome* outcome) {
    *outcome = tarnwell::window::Fetch(call->url, call->limit, *call->cancel, *call->report);
}
