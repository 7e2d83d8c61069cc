#include "window/simbrieffetch.h"

#include <QCoreApplication>
#include <QDir>
#include <QLibrary>
#include <QUrlQuery>
#include <mutex>

namespace tarnwell::window {

QUrl FetcherUrl(const QString& fetcher, const QString& user) {
    QUrl url(fetcher);
    QUrlQuery query(url);
    bool digits = !user.isEmpty();
    for (const QChar c : user) {
        digits = digits && c >= QLatin1Char('0') && c <= QLatin1Char('9');
    }
    query.addQueryItem(digits ? QStringLiteral("userid") : QStringLiteral("username"),
                       QString::fromUtf8(QUrl::toPercentEncoding(user)));
    url.setQuery(query);
    return url;
}

namespace {

using FetchFunction = void (*)(const FetchCall*, FetchOutcome*);

// The module, loaded once, the first time a plan is fetched; it stays
// loaded to the program's end.
FetchFunction LoadModule(const QString& folder, std::string& why) {
    static std::mutex lock;
    static FetchFunction loaded = nullptr;
    static std::string failure;
    const std::lock_guard<std::mutex> guard(lock);
    if (!loaded) {
        const QString program = QCoreApplication::applicationDirPath();
        QStringList places{program, program + QStringLiteral("/../lib/tarnwell")};
        if (!folder.isEmpty()) {
            places.prepend(folder);
        }
        failure.clear();
        for (const QString& place : places) {
            QLibrary module(QDir(place).filePath(QStringLiteral("tarnwell-fetch")));
            if (module.load()) {
                loaded = reinterpret_cast<FetchFunction>(module.resolve("tarnwell_fetch_ofp"));
                if (loaded) {
                    break;
                }
            }
            failure += module.errorString().toStdString() + "\n";
        }
    }
    why = failure;
    return loaded;
}

}  // namespace

FetchOutcome FetchOfp(const QUrl& url, std::chrono::milliseconds limit,
                      const sim::CancelFlag& cancel, const sim::WaitReport& report,
                      const QString& moduleFolder) {
    FetchOutcome outcome;
    std::string why;
    const FetchFunction fetch = LoadModule(moduleFolder, why);
    if (!fetch) {
        outcome.end = FetchEnd::NotInstalled;
        outcome.detail = why;
        return outcome;
    }
    const FetchCall call{url, limit, &cancel, &report};
    fetch(&call, &outcome);
    return outcome;
}

}  // namespace tarnwell::window
