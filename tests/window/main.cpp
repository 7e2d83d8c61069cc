// Runs one window suite (named as the first argument) or all of them, each
// against a settings store in a temporary folder, so that the user's own
// settings are never touched.
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

#ifdef Q_OS_WIN
#include <windows.h>

#include "support/foreign_simulator.h"
#endif

#include "support.h"

namespace {

// On Windows the settings store is the user's registry key, which the
// suites write: they run only under Wine, in a throw-away prefix.
bool StoreIsThrowAway() {
#ifdef Q_OS_WIN
    const HMODULE ntdll = ::GetModuleHandleW(L"ntdll.dll");
    return ntdll != nullptr && ::GetProcAddress(ntdll, "wine_get_version") != nullptr;
#else
    return true;
#endif
}

}  // namespace

int main(int argc, char* argv[]) {
    if (!StoreIsThrowAway()) {
        std::fprintf(stderr,
                     "The window suites write Tarnwell's settings in the registry; on Windows "
                     "they run only under Wine, in a throw-away prefix. Not run.\n");
        return 1;
    }
#ifdef Q_OS_WIN
    // The simulator suites would connect to a simulator the user runs.
    if (const auto foreign = tarnwell::test::FindForeignSimulatorWindow()) {
        std::fprintf(stderr, "%s\n", tarnwell::test::ForeignSimulatorRefusal(*foreign).c_str());
        return tarnwell::test::ForeignSimulatorExitCode;
    }
#endif
    QTemporaryDir config;
    if (!config.isValid()) {
        std::fprintf(stderr, "no temporary folder for the settings store\n");
        return 1;
    }
    qputenv("XDG_CONFIG_HOME", config.path().toLocal8Bit());
    // The simulator link looks for a simulator in the runtime folder: a
    // private one keeps a simulator the user is running out of the tests.
    qputenv("XDG_RUNTIME_DIR", config.path().toLocal8Bit());
    QApplication app(argc, argv);

    const char* only = argc > 1 && argv[1][0] != '-' ? argv[1] : nullptr;
    // Arguments after the suite name go to Qt Test.
    std::vector<char*> testArgs(only ? argv + 1 : argv, argv + argc);
#ifdef Q_OS_WIN
    // Qt Test's own output is lost under Wine, so a failure would not say
    // where: the log goes to a file, copied to standard output below.
    const QByteArray log = QDir(config.path()).filePath(QStringLiteral("log.txt")).toLocal8Bit();
    QByteArray logArgument = log + ",txt";
    char logOption[] = "-o";
    if (std::none_of(testArgs.begin(), testArgs.end(),
                     [](const char* arg) { return std::strcmp(arg, "-o") == 0; })) {
        testArgs.insert(testArgs.end(), {logOption, logArgument.data()});
    }
    const auto copyLog = [&log] {
        QFile file(QString::fromLocal8Bit(log));
        if (file.open(QIODevice::ReadOnly)) {
            std::fwrite(file.readAll().constData(), 1, static_cast<std::size_t>(file.size()),
                        stdout);
            std::fflush(stdout);
        }
    };
#else
    const auto copyLog = [] {};
#endif

    int failures = 0;
    bool found = false;
    for (const WindowSuite& suite : WindowSuites()) {
        if (only && std::strcmp(only, suite.name) != 0) {
            continue;
        }
        found = true;
        const auto tests = suite.make();
        failures += QTest::qExec(tests.get(), static_cast<int>(testArgs.size()), testArgs.data());
        copyLog();
    }
    if (!found) {
        std::fprintf(stderr, "no window suite named %s\n", only);
        return 1;
    }
    return failures == 0 ? 0 : 1;
}
