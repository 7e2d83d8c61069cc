#include "window/frmmain.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QShowEvent>
#include <QTimer>
#include <algorithm>
#include <initializer_list>
#include <optional>
#include <string_view>
#include <utility>
#include <vector>

#include "data/aircraft.h"
#include "data/trip_tables.h"
#include "plan/units.h"
#include "sim/module/platform/system_platform.h"
#include "window/appicon.h"
#include "window/commandrunner.h"
#include "window/informationboxes.h"
#include "window/messagebox.h"
#include "window/numerickeyfilter.h"
#include "window/plannerwidgets.h"
#include "window/plantexts.h"
#include "window/settingskeys.h"
#include "window/settingsstore.h"
#include "window/simulatorlinks.h"

namespace tarnwell::window {

using data::ModelId;
using plan::Field;

namespace {

static_assert(std::size(FieldMembers) == plan::FieldCount);

// Where the inputs are kept between runs.
const QString SettingsApplication = QStringLiteral("Tarnwell");
const QString SettingsSection = QStringLiteral("Settings");

constexpr const char* NotReadText =
    "Your saved inputs could not be read, because the settings store could not be read. The "
    "planner starts from its defaults.";
constexpr const char* NotSavedText =
    "Your inputs could not be saved, because the settings store could not be written. The next "
    "start will not restore them.";

// A settings key's name or text, which are plain ASCII.
QString Latin1(std::string_view text) {
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

const QColor OverLimitText(255, 0, 0);
const QColor WithinLimitText(0, 0, 0);

// The figure a weight entry field stands for; none for the other fields.
std::optional<std::int32_t> EntryFigure(const plan::PlanFigures& figures, Field field) {
    switch (field) {
        case Field::Payload:
            return figures.payloadWeight;
        case Field::HoldingFuel:
            return figures.holdingFuel;
        case Field::MinimumFuel:
            return figures.minimumFuel;
        case Field::TaxiFuel:
            return figures.taxiFuel;
        default:
            return std::nullopt;
    }
}

bool IsAscii(const QString& text) {
    return std::all_of(text.cbegin(), text.cend(), [](QChar c) { return c.unicode() < 0x80; });
}

bool IsAscii(const std::string& text) {
    return std::all_of(text.cbegin(), text.cend(),
                       [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

}  // namespace

FrmMain::FrmMain(sim::SimulatorOptions simulators, QWidget* parent)
    : QWidget(parent),
      presenter_([this](const Message& message) { ShowMessageBox(this, message); }),
      questioner_([this](const Question& question) { return AskQuestionBox(this, question); }),
      session_(MakeSimulatorSession(simulators, sim::MakeSystemPlatform())),
      runner_(std::make_unique<CommandRunner>(*this)) {
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(QStringLiteral("frmMain"));
    setWindowIcon(AppIcon());
    BuildControls();
    ConnectHandlers();
}

FrmMain::~FrmMain() = default;

void FrmMain::BuildControls() {
    ui_ = BuildPlannerWidgets(this, new NumericKeyFilter(this));
    ui_.optModel[0]->setChecked(true);

    const std::vector<QWidget*> tabOrder{
        ui_.cboCruisingAlt,
        ui_.cboTripDistance,
        ui_.cboAlternateDistance,
        FieldEdit(Field::Headwind),
        FieldEdit(Field::Payload),
        FieldEdit(Field::HoldingFuel),
        FieldEdit(Field::MinimumFuel),
        FieldEdit(Field::TaxiFuel),
        ui_.optModel[0],
        ui_.optModel[1],
        ui_.optModel[2],
        ui_.optModel[3],
        ui_.cmdOperatingLimits,
        ui_.cboUnits,
        ui_.cmdReadPayload,
        ui_.cmdAbout,
        ui_.cmdBoardFuel,
        ui_.cmdExit,
        ui_.cboWindType,
    };
    for (std::size_t i = 1; i < tabOrder.size(); ++i) {
        setTabOrder(tabOrder[i - 1], tabOrder[i]);
    }
}

void FrmMain::ConnectHandlers() {
    const auto onSelect = [this](QComboBox* list, void (FrmMain::*handler)()) {
        connect(list, &QComboBox::currentIndexChanged, this, handler);
    };
    onSelect(ui_.cboCruisingAlt, &FrmMain::cboCruisingAlt_Click);
    onSelect(ui_.cboTripDistance, &FrmMain::cboTripDistance_Click);
    onSelect(ui_.cboAlternateDistance, &FrmMain::cboAlternateDistance_Click);
    onSelect(ui_.cboWindType, &FrmMain::cboWindType_Click);
    onSelect(ui_.cboUnits, &FrmMain::cboUnits_Click);

    const auto onChange = [this](Field field, void (FrmMain::*handler)()) {
        connect(FieldEdit(field), &QLineEdit::textChanged, this, handler);
    };
    onChange(Field::Headwind, &FrmMain::txtHeadwind_Change);
    onChange(Field::Payload, &FrmMain::txtPayload_Change);
    onChange(Field::HoldingFuel, &FrmMain::txtHoldingFuel_Change);
    onChange(Field::MinimumFuel, &FrmMain::txtMinimumFuel_Change);
    onChange(Field::TaxiFuel, &FrmMain::txtTaxiFuel_Change);

    connect(ui_.optModel[0], &QRadioButton::toggled, this, &FrmMain::optModel600_Click);
    connect(ui_.optModel[1], &QRadioButton::toggled, this, &FrmMain::optModel700_Click);
    connect(ui_.optModel[2], &QRadioButton::toggled, this, &FrmMain::optModel800_Click);
    connect(ui_.optModel[3], &QRadioButton::toggled, this, &FrmMain::optModel900_Click);

    connect(ui_.cmdOperatingLimits, &QPushButton::clicked, this,
            &FrmMain::cmdOperatingLimits_Click);
    connect(ui_.cmdReadPayload, &QPushButton::clicked, this, &FrmMain::cmdReadPayload_Click);
    connect(ui_.cmdBoardFuel, &QPushButton::clicked, this, &FrmMain::cmdBoardFuel_Click);
    connect(ui_.cmdAbout, &QPushButton::clicked, this, &FrmMain::cmdAbout_Click);
    connect(ui_.cmdExit, &QPushButton::clicked, this, &FrmMain::cmdExit_Click);

    // Ending the session (log-off, shut-down) closes no window: the session
    // manager asks for the program's data, then ends the program. The inputs
    // are saved when asked, and the link is released at the end, as a close
    // would do; a session that goes on after all is closed normally later.
    if (auto* app = qobject_cast<QGuiApplication*>(QCoreApplication::instance())) {
        connect(app, &QGuiApplication::commitDataRequest, this, [this] {
            if (loaded_ && !unloaded_) {
                SaveSettings();
            }
        });
        connect(app, &QGuiApplication::aboutToQuit, this, &FrmMain::Form_Unload);
    }
}

QLineEdit* FrmMain::FieldEdit(Field field) const {
    return ui_.*FieldMembers[static_cast<std::size_t>(field)];
}

void FrmMain::SetMessagePresenter(MessagePresenter presenter) {
    presenter_ = std::move(presenter);
}

void FrmMain::SetQuestionPresenter(QuestionPresenter presenter) {
    questioner_ = std::move(presenter);
}

void FrmMain::SetSimulatorSession(std::unique_ptr<sim::SimulatorSession> session) {
    runner_->Abandon();
    session_ = std::move(session);
}

bool FrmMain::CommandRunning() const {
    return busy_.has_value();
}

// ---------------------------------------------------------------------------
// Start-up and shutdown.

void FrmMain::Form_Load() {
    if (loaded_) {
        return;
    }
    loaded_ = true;
    isUpdating_ = true;
    setWindowTitle(QStringLiteral("Boeing Tarnwell"));
    // Not connected: the first simulator command opens the link.
    session_->Close();

    QComboBox* trip = ui_.cboTripDistance;
    QComboBox* alternate = ui_.cboAlternateDistance;
    trip->clear();
    alternate->clear();
    for (int i = 2; i <= 50; ++i) {
        const QString miles = QString::number(i * 100);
        trip->addItem(miles);
        if (i < 7) {
            alternate->addItem(miles);
        }
    }

    RestoreSettings();

    for (QComboBox* list : {ui_.cboCruisingAlt, ui_.cboTripDistance, ui_.cboAlternateDistance}) {
        if (list->currentIndex() == -1) {
            list->setCurrentIndex(0);
        }
    }
    if (FieldEdit(Field::Headwind)->text().isEmpty()) {
        FieldEdit(Field::Headwind)->setText(QStringLiteral("0"));
    }
    ui_.optModel[static_cast<std::size_t>(data::ModelIndex(selectedModel_))]->setChecked(true);

    isUpdating_ = false;
    ApplyModelWeights();
    CalculateFuelPlan();
    // A window closed while a box of its load was up (the program was told
    // to end) stays closed.
    if (!unloaded_) {
        show();
    }
}

void FrmMain::RestoreSettings() {
    using namespace tarnwell::window;
    using plan::FromPounds;
    const SettingsStore store(SettingsApplication);
    const StoredInputs inputs = ReadStoredInputs(
        [&store](const SettingsKey& key) {
            return store.GetSetting(SettingsSection, Latin1(key.name), Latin1(key.absentText))
                .toStdString();
        },
        ListSizes{ui_.cboUnits->count(), ui_.cboCruisingAlt->count(), ui_.cboTripDistance->count(),
                  ui_.cboAlternateDistance->count(), ui_.cboWindType->count()});

    // The unit first: the weights below are shown in it.
    ui_.cboUnits->setCurrentIndex(inputs.units);
    ui_.cboCruisingAlt->setCurrentIndex(inputs.cruisingAlt);
    ui_.cboTripDistance->setCurrentIndex(inputs.tripDistance);
    ui_.cboAlternateDistance->setCurrentIndex(inputs.alternateDistance);
    FieldEdit(Field::Headwind)->setText(QString::fromStdString(inputs.headwind));
    const std::pair<Field, std::int32_t> weights[] = {{Field::Payload, inputs.payload},
                                                      {Field::HoldingFuel, inputs.holdingFuel},
                                                      {Field::MinimumFuel, inputs.minimumFuel},
                                                      {Field::TaxiFuel, inputs.taxiFuel}};
    for (const auto& [field, pounds] : weights) {
        const std::string shown = FromPounds(pounds, DisplayUnit());
        FieldEdit(field)->setText(QString::fromStdString(shown));
        shownEntries_.Note(field, shown, DisplayUnit(), pounds);
    }
    selectedModel_ = data::ModelAt(inputs.model);
    ui_.cboWindType->setCurrentIndex(inputs.windType);

    // A store that is missing is a first run; one that is there but cannot
    // be read is not, and the user would otherwise wonder where the inputs
    // went.
    if (!store.Readable()) {
        ShowMessage({NotReadText, "Tarnwell", MessageIcon::Exclamation});
    }
}

void FrmMain::closeEvent(QCloseEvent* event) {
    // Closing is never refused. A command still waiting for the simulator
    // is cancelled first; the window closes, saving the inputs, once the
    // command has ended (within one try).
    if (runner_->Running()) {
        closeRequested_ = true;
        runner_->Cancel();
        event->ignore();
        return;
    }
    Form_Unload();
    QWidget::closeEvent(event);
}

void FrmMain::showEvent(QShowEvent* event) {
    Form_Load();
    QWidget::showEvent(event);
}

void FrmMain::Form_Unload() {
    if (!loaded_ || unloaded_) {
        return;
    }
    unloaded_ = true;
    // Reached with a command still running only when the program ends
    // without the window closing (every event loop told to end, the
    // session's end): its exchanges are stopped here, within one try, and
    // only then is the link released and are the inputs saved.
    runner_->Abandon();
    busy_.reset();
    session_->Close();
    SaveSettings();
}

void FrmMain::SaveSettings() {
    StoredInputs inputs;
    inputs.units = ui_.cboUnits->currentIndex();
    inputs.cruisingAlt = ui_.cboCruisingAlt->currentIndex();
    inputs.tripDistance = ui_.cboTripDistance->currentIndex();
    inputs.alternateDistance = ui_.cboAlternateDistance->currentIndex();
    inputs.headwind = FieldText(Field::Headwind);
    // The weights are saved in pounds, as the fields show them: a figure a
    // complete calculation read is saved as it is, and a text no complete
    // calculation has read (the selection has no trip data) by its own
    // value, so the next start shows what the fields show now.
    const auto pounds = [this](Field field) {
        return shownEntries_.Pounds(field, FieldText(field), DisplayUnit());
    };
    inputs.payload = pounds(Field::Payload);
    inputs.holdingFuel = pounds(Field::HoldingFuel);
    inputs.minimumFuel = pounds(Field::MinimumFuel);
    inputs.taxiFuel = pounds(Field::TaxiFuel);
    inputs.model = data::ModelIndex(selectedModel_);
    inputs.windType = ui_.cboWindType->currentIndex();

    SettingsStore store(SettingsApplication);
    const auto texts = StoredTexts(inputs);
    for (std::size_t i = 0; i < texts.size(); ++i) {
        store.SaveSetting(SettingsSection, Latin1(SettingsKeys[i].name),
                          QString::fromStdString(texts[i]));
    }

    if (!store.Flush()) {
        ShowMessage({NotSavedText, "Tarnwell", MessageIcon::Exclamation});
    }
}

// ---------------------------------------------------------------------------
// Selections and changes.

plan::Unit FrmMain::DisplayUnit() const {
    return plan::UnitAt(ui_.cboUnits->currentIndex());
}

plan::PlanInputs FrmMain::ReadInputs() const {
    plan::PlanInputs inputs;
    inputs.model = selectedModel_;
    inputs.cruisingAlt = ui_.cboCruisingAlt->currentIndex();
    inputs.tripDistance = ui_.cboTripDistance->currentIndex();
    inputs.alternateDistance = ui_.cboAlternateDistance->currentIndex();
    inputs.windType = plan::WindTypeAt(ui_.cboWindType->currentIndex());
    inputs.unit = DisplayUnit();
    inputs.headwind = FieldText(Field::Headwind);
    inputs.payload = FieldText(Field::Payload);
    inputs.holdingFuel = FieldText(Field::HoldingFuel);
    inputs.minimumFuel = FieldText(Field::MinimumFuel);
    inputs.taxiFuel = FieldText(Field::TaxiFuel);
    return inputs;
}

bool FrmMain::CalculateFuelPlan() {
    if (isUpdating_) {
        return false;
    }
    const plan::PlanInputs inputs = ReadInputs();
    return ShowPlan(plan::ComputeFuelPlan(inputs, figures_), inputs);
}

bool FrmMain::ShowPlan(plan::FuelPlan plan, const plan::PlanInputs& inputs) {
    if (plan.windAdjustment) {
        WriteFieldText(FieldEdit(Field::WindAdj), *plan.windAdjustment);
    }
    // The wind field is tidied with the guard down, like a typed change: a
    // changed text runs the field's own calculation, which shows the same
    // plan and writes the entries back in normal form. This run then goes
    // on from the fields as that one left them.
    if (plan.headwind && WriteEntryAsTyped(Field::Headwind, *plan.headwind)) {
        plan = plan::ComputeFuelPlan(ReadInputs(), figures_);
    }
    if (plan.airDistance) {
        WriteFieldText(FieldEdit(Field::TotalNAM), *plan.airDistance);
    }
    figures_ = plan.figures;
    for (const plan::LimitMark& mark : plan.limitMarks) {
        MarkOverLimit(mark.field, mark.overLimit);
    }
    // The guard keeps the entry fields' change handlers from starting new
    // calculations while their normal form is written back.
    isUpdating_ = true;
    for (const plan::FieldText& result : plan.results) {
        WriteFieldText(FieldEdit(result.field), result.text);
    }
    isUpdating_ = false;
    // The weight entries now show their figures' normal form: closing saves
    // those pounds for as long as the texts stay as written.
    for (const plan::FieldText& result : plan.results) {
        if (const std::optional<std::int32_t> pounds = EntryFigure(figures_, result.field)) {
            shownEntries_.NoteCalculated(result.field, result.text, inputs.unit, *pounds);
        }
    }
    for (const plan::FieldText& tank : plan.tanks) {
        WriteFieldText(FieldEdit(tank.field), tank.text);
    }
    if (const std::optional<Message> message =
            PlanEndMessage(plan.end, data::Model(inputs.model).modelName)) {
        ShowMessage(*message);
    }
    if (plan.Complete()) {
        ShowPlanTips(inputs);
    }
    return plan.Complete();
}

void FrmMain::ShowPlanTips(const plan::PlanInputs& inputs) {
    const data::AircraftModel& model = data::Model(selectedModel_);
    const plan::PlanFigures& f = figures_;
    const plan::Unit unit = inputs.unit;
    const auto tip = [this](Field field, const std::string& text) {
        FieldEdit(field)->setToolTip(QString::fromStdString(text));
    };
    // Only a complete plan changes them, so they always speak of the
    // figures the fields show.
    tip(Field::EnrouteFuel, FlightTimeTip(data::TripTime(data::ModelIndex(selectedModel_),
                                                         inputs.cruisingAlt, inputs.tripDistance)));
    tip(Field::ZFW, MarginTip(f.zeroFuelWeight, model.maxZeroFuelWeight, unit));
    tip(Field::PLW, MarginTip(f.landingWeight, model.maxLandingWeight, unit));
    tip(Field::GTOW, MarginTip(f.takeoffWeight, model.maxTakeoffWeight, unit));
    tip(Field::TaxiWeight, MarginTip(f.taxiWeight, model.maxTaxiWeight, unit));
    tip(Field::TotalFuel, MarginTip(f.totalFuel, data::FuelCapacity(model), unit));
}

bool FrmMain::WriteEntryAsTyped(Field field, const std::string& text) {
    return WriteFieldText(FieldEdit(field), text);
}

void FrmMain::SetUnitLabels(const QString& unit) {
    for (QLabel* label : ui_.lblUnits) {
        label->setText(unit);
    }
}

void FrmMain::ApplyModelWeights() {
    figures_.operatingWeight = data::Model(selectedModel_).basicOperatingWeight;
    WriteFieldText(FieldEdit(Field::BOW),
                   plan::FromPounds(figures_.operatingWeight, DisplayUnit()));
}

void FrmMain::cboCruisingAlt_Click() {
    CalculateFuelPlan();
}

void FrmMain::cboTripDistance_Click() {
    CalculateFuelPlan();
}

void FrmMain::cboAlternateDistance_Click() {
    CalculateFuelPlan();
}

void FrmMain::cboWindType_Click() {
    CalculateFuelPlan();
}

void FrmMain::cboUnits_Click() {
    const bool kilograms = DisplayUnit() == plan::Unit::Kilograms;
    SetUnitLabels(kilograms ? QStringLiteral("Kgs.") : QStringLiteral("Lbs."));
    CalculateFuelPlan();
}

void FrmMain::optModel600_Click() {
    SelectModel(ui_.optModel[0], ModelId::B737_600);
}

void FrmMain::optModel700_Click() {
    SelectModel(ui_.optModel[1], ModelId::B737_700);
}

void FrmMain::optModel800_Click() {
    SelectModel(ui_.optModel[2], ModelId::B737_800);
}

void FrmMain::optModel900_Click() {
    SelectModel(ui_.optModel[3], ModelId::B737_900);
}

void FrmMain::SelectModel(QRadioButton* button, ModelId model) {
    // The button that was just cleared has nothing to do.
    if (!button->isChecked()) {
        return;
    }
    selectedModel_ = model;
    ApplyModelWeights();
    CalculateFuelPlan();
}

void FrmMain::txtHeadwind_Change() {
    CalculateFuelPlan();
}

void FrmMain::txtPayload_Change() {
    CalculateFuelPlan();
}

void FrmMain::txtHoldingFuel_Change() {
    CalculateFuelPlan();
}

void FrmMain::txtMinimumFuel_Change() {
    CalculateFuelPlan();
}

void FrmMain::txtTaxiFuel_Change() {
    CalculateFuelPlan();
}

// ---------------------------------------------------------------------------
// Commands.

void FrmMain::cmdOperatingLimits_Click() {
    ShowMessage(OperatingLimitsMessage(data::ModelIndex(selectedModel_), DisplayUnit()));
}

void FrmMain::cmdAbout_Click() {
    ShowMessage(AboutMessage());
}

void FrmMain::cmdBoardFuel_Click() {
    if (CommandRunning()) {
        return;
    }
    busy_.emplace();
    if (!CalculateFuelPlan()) {
        busy_.reset();
        return;
    }
    const Boarding boarding = PrepareBoarding(figures_, selectedModel_, DisplayUnit());
    if (boarding.refusal) {
        ShowMessage(*boarding.refusal);
        busy_.reset();
        return;
    }
    // More fuel than the tanks hold: the pilot decides, before any
    // simulator is reached, whether to fill the tanks or change the plan.
    if (boarding.question && !Ask(*boarding.question)) {
        busy_.reset();
        return;
    }
    auto outcome = std::make_shared<sim::BoardingOutcome>();
    SetInputsEnabled(false);
    runner_->Start(
        [session = session_.get(), order = boarding.order, outcome](const sim::CancelFlag& cancel,
                                                                    const sim::WaitReport& report) {
            *outcome = session->BoardFuel(order, cancel, report);
        },
        [this, outcome, planned = boarding.planned] { BoardingEnded(*outcome, planned); });
}

void FrmMain::BoardingEnded(const sim::BoardingOutcome& outcome, const BoardingPlan& planned) {
    SetInputsEnabled(true);
    if (!closeRequested_) {
        if (const std::optional<Message> message = BoardingMessage(outcome, planned)) {
            ShowMessage(*message);
        }
    }
    CommandEnded();
}

void FrmMain::cmdReadPayload_Click() {
    if (CommandRunning()) {
        return;
    }
    busy_.emplace();
    auto outcome = std::make_shared<sim::PayloadOutcome>();
    SetInputsEnabled(false);
    runner_->Start(
        [session = session_.get(), outcome, aircraft = ExpectedAircraftFor(selectedModel_)](
            const sim::CancelFlag& cancel, const sim::WaitReport& report) {
            *outcome = session->ReadPayload(aircraft, cancel, report);
        },
        [this, outcome] { PayloadReadEnded(*outcome); });
}

void FrmMain::PayloadReadEnded(const sim::PayloadOutcome& outcome) {
    SetInputsEnabled(true);
    const bool read = !outcome.notConnected && outcome.result.end == sim::PayloadEnd::Read;
    if (closeRequested_) {
        // Closing during the read takes nothing into the plan.
    } else if (read) {
        // The payload field takes the total as a typed entry would, and the
        // plan is recomputed from it; the figure itself is the one read, so
        // a kilogram text does not change what closing saves.
        const std::int32_t pounds = outcome.result.totalPounds;
        figures_.payloadWeight = pounds;
        const std::string shown = plan::FromPounds(pounds, DisplayUnit());
        shownEntries_.Note(Field::Payload, shown, DisplayUnit(), pounds);
        WriteEntryAsTyped(Field::Payload, shown);
        ShowMessage(PayloadReadMessage(FieldText(Field::Payload), DisplayUnit()));
    } else if (const std::optional<Message> message = PayloadFailureMessage(
                   outcome, std::string(data::Model(selectedModel_).modelName))) {
        // The total is taken only when every station was read, so a failed
        // read leaves the plan's payload as the payload field shows it.
        ShowMessage(*message);
    }
    CommandEnded();
}

void FrmMain::CommandEnded() {
    busy_.reset();
    if (closeRequested_) {
        // The close that came during the command, now that it has ended.
        QTimer::singleShot(0, this, &QWidget::close);
    }
}

void FrmMain::SetInputsEnabled(bool enabled) {
    if (!enabled) {
        focusBeforeCommand_ = focusWidget();
    }
    for (QWidget* control : InputControls(ui_)) {
        control->setEnabled(enabled);
    }
    if (enabled && focusBeforeCommand_ != nullptr) {
        focusBeforeCommand_->setFocus(Qt::OtherFocusReason);
        focusBeforeCommand_ = nullptr;
    }
}

void FrmMain::cmdExit_Click() {
    close();
}

// ---------------------------------------------------------------------------
// The fields.

std::string FrmMain::FieldText(Field field) const {
    const QString text = FieldEdit(field)->text();
    // Fields hold digits nearly always: those are copied as they are,
    // without the detour through a UTF-8 byte array.
    if (IsAscii(text)) {
        std::string ascii(static_cast<std::size_t>(text.size()), '\0');
        std::transform(text.cbegin(), text.cend(), ascii.begin(),
                       [](QChar c) { return static_cast<char>(c.unicode()); });
        return ascii;
    }
    return text.toStdString();
}

bool WriteFieldText(QLineEdit* edit, const std::string& text) {
    // The same text raises no change event and leaves the caret alone. Most
    // of a calculation's writes are the same text again; the plan only
    // holds ASCII, which compares without building a new string.
    if (IsAscii(text) ? edit->text() == QLatin1StringView(text.data(), text.size())
                      : edit->text() == QString::fromStdString(text)) {
        return false;
    }
    const QString value = QString::fromStdString(text);
    if (!edit->hasFocus()) {
        edit->setText(value);
        return true;
    }

    // The field being typed in. Writing it puts the caret at the end; put
    // the caret and any selection back where they were, counted from the
    // end, since normal form only drops what leads the number (zeros).
    const int before = static_cast<int>(edit->text().size());
    const int caret = edit->cursorPosition();
    int anchor = caret;
    if (edit->hasSelectedText()) {
        anchor = caret == edit->selectionStart() ? edit->selectionEnd() : edit->selectionStart();
    }
    edit->setText(value);

    const int after = static_cast<int>(edit->text().size());
    const auto place = [before, after](int position) {
        return std::clamp(after - (before - position), 0, after);
    };
    const int newCaret = place(caret);
    const int newAnchor = place(anchor);
    if (newAnchor == newCaret) {
        edit->setCursorPosition(newCaret);
    } else {
        edit->setSelection(newAnchor, newCaret - newAnchor);
    }
    return true;
}

void FrmMain::MarkOverLimit(Field field, bool over) {
    QLineEdit* edit = FieldEdit(field);
    const QColor& colour = over ? OverLimitText : WithinLimitText;
    if (edit->palette().color(QPalette::Text) != colour) {
        SetColor(edit, QPalette::Text, colour);
    }
}

void FrmMain::ShowMessage(const Message& message) {
    if (!presenter_) {
        return;
    }
    // A box shown in the middle of a simulator command gets the normal
    // pointer back while it waits for the user.
    const bool busy = QGuiApplication::overrideCursor() != nullptr;
    if (busy) {
        QGuiApplication::setOverrideCursor(Qt::ArrowCursor);
    }
    presenter_(message);
    if (busy) {
        QGuiApplication::restoreOverrideCursor();
    }
}

bool FrmMain::Ask(const Question& question) {
    if (!questioner_) {
        return false;
    }
    const bool busy = QGuiApplication::overrideCursor() != nullptr;
    if (busy) {
        QGuiApplication::setOverrideCursor(Qt::ArrowCursor);
    }
    const bool proceed = questioner_(question);
    if (busy) {
        QGuiApplication::restoreOverrideCursor();
    }
    return proceed;
}

}  // namespace tarnwell::window
