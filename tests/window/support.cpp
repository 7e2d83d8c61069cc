#include "support.h"

#include "support/dead_port.h"

#include <QApplication>
#include <QDir>
#include <QProgressDialog>
#include <QPushButton>
#include <QRadioButton>
#include <QSettings>
#include <QStandardPaths>
#include <QTest>
#include <memory>
#include <string_view>

#include "window/settingskeys.h"

std::vector<WindowSuite>& WindowSuites() {
    static std::vector<WindowSuite> suites;
    return suites;
}

QString SettingsFilePath() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/Tarnwell/Tarnwell.conf");
}

namespace {

// The store as the program keeps it: on Windows the registry key of the
// throw-away Wine prefix the suites run in (main.cpp refuses any other),
// elsewhere the file under the temporary XDG_CONFIG_HOME.
std::unique_ptr<QSettings> OpenStore() {
#ifdef Q_OS_WIN
    return std::make_unique<QSettings>(
        QStringLiteral("HKEY_CURRENT_USER\\Software\\VB and VBA Program Settings\\Tarnwell"),
        QSettings::NativeFormat);
#else
    return std::make_unique<QSettings>(SettingsFilePath(), QSettings::IniFormat);
#endif
}

}  // namespace

void ClearStore() {
    QFile::remove(SettingsFilePath());
    const auto settings = OpenStore();
    settings->clear();
    settings->sync();
}

void StoreValue(const QString& key, const QString& value) {
    const auto settings = OpenStore();
    settings->setValue(QStringLiteral("Settings/") + key, value);
    settings->sync();
}

QString StoredValue(const QString& key) {
    const auto settings = OpenStore();
    const QVariant value = settings->value(QStringLiteral("Settings/") + key);
    return value.isValid() ? value.toString() : QString();
}

void StoreValues(const QStringList& values) {
    QCOMPARE(values.size(), qsizetype{tarnwell::window::SettingsKeys.size()});
    const auto settings = OpenStore();
    for (std::size_t i = 0; i < tarnwell::window::SettingsKeys.size(); ++i) {
        const std::string_view name = tarnwell::window::SettingsKeys[i].name;
        settings->setValue(
            QStringLiteral("Settings/") + QLatin1StringView(name.data(), name.size()),
            values[static_cast<qsizetype>(i)]);
    }
    settings->sync();
}

QStringList StoredValues() {
    QStringList values;
    for (const tarnwell::window::SettingsKey& key : tarnwell::window::SettingsKeys) {
        values << StoredValue(QLatin1StringView(key.name.data(), key.name.size()));
    }
    return values;
}

tarnwell::sim::SimulatorOptions SuiteSimulators(tarnwell::sim::SimulatorChoice choice) {
    const std::uint16_t deadPort = tarnwell::test::DeadPort();
    tarnwell::sim::SimulatorOptions options;
    options.choice = choice;
    options.xplane = {"127.0.0.1", deadPort};
    options.flightgear = {"127.0.0.1", deadPort};
    return options;
}

tarnwell::window::DispatchOptions SuiteDispatch() {
    tarnwell::window::DispatchOptions options;
    options.fetcher =
        QStringLiteral("http://127.0.0.1:%1/api/xml.fetcher.php").arg(tarnwell::test::DeadPort());
    options.fetchLimit = std::chrono::milliseconds(2000);
    options.fetchModuleFolder = QStringLiteral(TARNWELL_FETCH_MODULE_DIR);
    return options;
}

LoadedWindow::LoadedWindow(tarnwell::sim::SimulatorOptions simulators,
                           tarnwell::window::DispatchOptions dispatch)
    : window_(std::make_unique<FrmMain>(std::move(simulators), std::move(dispatch))),
      messages_(std::make_shared<std::vector<tarnwell::window::Message>>()),
      questions_(std::make_shared<Questions>()) {
    window_->SetMessagePresenter(
        [messages = messages_](const tarnwell::window::Message& m) { messages->push_back(m); });
    window_->SetQuestionPresenter([questions = questions_](const tarnwell::window::Question& q) {
        questions->asked.push_back(q);
        return questions->proceed;
    });
    window_->Form_Load();
    QVERIFY(QTest::qWaitForWindowExposed(window_.get()));
}

LoadedWindow::~LoadedWindow() = default;

QLineEdit* LoadedWindow::edit(const char* name) const {
    return window_->findChild<QLineEdit*>(QLatin1String(name));
}

QComboBox* LoadedWindow::list(const char* name) const {
    return window_->findChild<QComboBox*>(QLatin1String(name));
}

QLineEdit* LoadedWindow::focus(const char* name) {
    window_->activateWindow();
    QApplication::setActiveWindow(window_.get());
    QLineEdit* field = edit(name);
    field->setFocus(Qt::OtherFocusReason);
    field->end(false);
    return field;
}

void LoadedWindow::type(const char* name, const QString& text) {
    QLineEdit* field = focus(name);
    field->selectAll();
    QTest::keyClick(field, Qt::Key_Backspace);
    QTest::keyClicks(field, text);
}

void LoadedWindow::chooseModel(const char* optionName) {
    auto* option = window_->findChild<QRadioButton*>(QLatin1String(optionName));
    QTest::mouseClick(option, Qt::LeftButton, {}, QPoint(8, option->height() / 2));
}

void LoadedWindow::click(const char* buttonName) {
    clickOnly(buttonName);
    waitForCommand();
}

void LoadedWindow::clickOnly(const char* buttonName) {
    QTest::mouseClick(window_->findChild<QPushButton*>(QLatin1String(buttonName)), Qt::LeftButton);
}

void LoadedWindow::waitForCommand() {
    QTRY_VERIFY_WITH_TIMEOUT(!window_->CommandRunning(), 30000);
}

std::vector<tarnwell::window::Message> LoadedWindow::takeMessages() {
    return std::exchange(*messages_, {});
}

std::vector<tarnwell::window::Question> LoadedWindow::takeQuestions() {
    return std::exchange(questions_->asked, {});
}

void LoadedWindow::closeByCloseBox() {
    // What the window manager's close box does: a close request.
    window_->close();
}

std::string RuntimeFolder() {
    return qEnvironmentVariable("XDG_RUNTIME_DIR").toStdString();
}

std::vector<std::string> Arguments(const QStringList& arguments) {
    std::vector<std::string> args;
    for (const QString& argument : arguments) {
        args.push_back(argument.toStdString());
    }
    return args;
}

QStringList MessageLines(const tarnwell::window::Message& message) {
    return QString::fromStdString(message.text).split(QStringLiteral("\r\n"));
}

WaitDialogWatch::WaitDialogWatch(std::function<void(QProgressDialog&)> action)
    : action_(std::move(action)) {
    QObject::connect(&timer_, &QTimer::timeout, [this] { Look(); });
    timer_.start(5);
}

void WaitDialogWatch::Look() {
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        auto* dialog = qobject_cast<QProgressDialog*>(widget);
        if (dialog != nullptr && dialog->isVisible()) {
            timer_.stop();
            seen_ = true;
            text_ = dialog->labelText();
            if (action_) {
                action_(*dialog);
            }
            return;
        }
    }
}

void PressCancel(QProgressDialog& dialog) {
    auto* cancel = dialog.findChild<QPushButton*>();
    QVERIFY(cancel != nullptr);
    QCOMPARE(cancel->text(), QStringLiteral("Cancel"));
    QTest::mouseClick(cancel, Qt::LeftButton);
}

bool WaitDialogShown() {
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (qobject_cast<QProgressDialog*>(widget) != nullptr && widget->isVisible()) {
            return true;
        }
    }
    return false;
}
