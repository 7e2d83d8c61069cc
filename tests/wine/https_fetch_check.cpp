// The Windows program's HTTPS, as its dispatch plan fetch makes it: the
// fetch module (tarnwell-fetch.dll) over Windows' own TLS (Schannel, the
// Qt back-end plug-in beside it), against a local server's throwaway
// certificate. Prints how the fetch ended and, when it was answered, the
// aircraft of the plan it brought.
//
//   https_fetch_check URL MODULE_FOLDER [CA_CERTIFICATE]
//
// With CA_CERTIFICATE the certificate is trusted for this run, as the
// system's own would be.
#include <QCoreApplication>
#include <QSslConfiguration>
#include <cstdio>

#include "dispatch/ofp.h"
#include "window/simbrieffetch.h"

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    if (argc != 3 && argc != 4) {
        std::fprintf(stderr, "usage: https_fetch_check URL MODULE_FOLDER [CA_CERTIFICATE]\n");
        return 2;
    }
    if (argc == 4) {
        QSslConfiguration trusting = QSslConfiguration::defaultConfiguration();
        if (!trusting.addCaCertificates(QString::fromLocal8Bit(argv[3]))) {
            std::fprintf(stderr, "https_fetch_check: no certificate in %s\n", argv[3]);
            return 2;
        }
        QSslConfiguration::setDefaultConfiguration(trusting);
    }
    using namespace tarnwell;
    const sim::CancelFlag cancel;
    const window::FetchOutcome outcome = window::FetchOfp(
        QUrl(QString::fromLocal8Bit(argv[1])), std::chrono::milliseconds(20000), cancel,
        [](const sim::WaitStep&) {}, QString::fromLocal8Bit(argv[2]));
    const char* const ends[] = {"answered",    "cancelled", "timed out",    "too large",
                                "unreachable", "insecure",  "not installed"};
    std::printf("%s", ends[static_cast<int>(outcome.end)]);
    if (outcome.end == window::FetchEnd::Answered) {
        const dispatch::OfpRead read = dispatch::ReadOfp(outcome.body);
        std::printf(" %d %s", outcome.status,
                    read.plan ? read.plan->aircraftType.c_str() : read.error.c_str());
    }
    std::printf("\n%s\n", outcome.detail.c_str());
    return 0;
}
