#include "window/frmmain.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QRadioButton>
#include <QShortcut>
#include <QShowEvent>
#include <initializer_list>
#include <optional>
#include <utility>

#include "data/aircraft.h"
#include "data/trip_tables.h"
#include "plan/units.h"
#include "sim/module/platform/system_platform.h"
#include "window/appicon.h"
#include "window/busycursor.h"
#include "window/dispatchpanel.h"
#include "window/informationboxes.h"
#include "window/loadsheetfiles.h"
#include "window/loadsheetwindow.h"
#include "window/messagebox.h"
#include "window/numerickeyfilter.h"
#include "window/plannerwidgets.h"
#include "window/plantexts.h"
#include "window/settingskeys.h"
#include "window/settingsstore.h"
#include "window/settingstable.h"
#include "window/simulatorlinks.h"

namespace tarnwell::window {

using data::ModelId;
using plan::Field;

namespace {

static_assert(std::size(FieldMembers) == plan::FieldCount);

// Where the inputs are kept between runs.
const QString SettingsApplication = QStringLiteral("Tarnwell");

constexpr const char* NotReadText =
    "Your saved inputs could not be read, because the settings store could not be read. The "
    "planner starts from its defaults.";
constexpr const char* NotSavedText =
    "Your inputs could not be saved, because the settings store could not be written. The next "
    "start will not restore them.";

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

// What Refresh read, as the load sheet's gauges stand: left main, centre,
// right main.
loadsheet::AircraftNow AircraftNowFrom(const sim::AircraftResult& reading,
                                       sim::SimulatorKind kind) {
    loadsheet::AircraftNow now;
    now.simulator = SimulatorName(kind);
    now.readAt = PrintedNow();
    const auto held = [&reading](sim::Tank tank) {
        return reading.tankPounds[sim::TankIndex(tank)];
    };
    now.tankPounds = {held(sim::Tank::LeftMain), held(sim::Tank::Center),
                      held(sim::Tank::RightMain)};
    now.payloadPounds = reading.payloadPounds;
    return now;
}

}  // namespace

FrmMain::FrmMain(sim::SimulatorOptions simulators, DispatchOptions dispatch, QWidget* parent)
    : QWidget(parent),
      presenter_([this](const Message& message) { ShowMessageBox(this, message); }),
      questioner_([this](const Question& question) { return AskQuestionBox(this, question); }) {
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(QStringLiteral("frmMain"));
    setWindowIcon(AppIcon());
    // A dispatch plan's file may be dropped anywhere on the planner.
    setAcceptDrops(true);
    BuildControls();
    dispatchFile_ = dispatch.file;
    loadSheet_ = new LoadSheetWindow(
        this,
        [this](const std::string& text) {
            ShowMessage({text, "Load Sheet", MessageIcon::Exclamation});
        },
        [this] { commands_->ReadAircraft(); });
    DispatchController::Host& dispatchHost = *this;
    dispatch_ = std::make_unique<DispatchController>(*this, dispatchHost, std::move(dispatch));
    // While a simulator command runs, the dispatch plan cannot be changed
    // or boarded either.
    std::vector<QWidget*> inputs = InputControls(ui_);
    inputs.push_back(&dispatch_->Panel());
    inputs.push_back(&loadSheet_->RefreshButton());
    SimulatorController::Host& host = *this;
    commands_ = std::make_unique<SimulatorController>(
        *this, host, std::move(inputs),
        MakeSimulatorSession(simulators, sim::MakeSystemPlatform()));
    ConnectHandlers();
}

FrmMain::~FrmMain() = default;

void FrmMain::BuildControls() {
    ui_ = BuildPlannerWidgets(this, new NumericKeyFilter(this));
    ui_.optModel[0]->setChecked(true);
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

    // The dispatch plan, from the planner: its panel, and a file straight away.
    connect(ui_.cmdDispatchPlan, &QPushButton::clicked, dispatch_.get(), &DispatchController::Open);
    auto* openPanel = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_D), this);
    connect(openPanel, &QShortcut::activated, dispatch_.get(), &DispatchController::Open);
    connect(ui_.cmdLoadSheet, &QPushButton::clicked, this, &FrmMain::OpenLoadSheet);
    auto* openSheet = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_L), this);
    connect(openSheet, &QShortcut::activated, this, &FrmMain::OpenLoadSheet);
    auto* openFile = new QShortcut(QKeySequence::Open, this);
    connect(openFile, &QShortcut::activated, dispatch_.get(), &DispatchController::ChooseFile);

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
    commands_->SetSession(std::move(session));
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
    Session().Close();

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
    if (!unloaded_ && showOnLoad_) {
        show();
    }
    // A plan named on the command line is imported as one chosen in the
    // window would be, over the inputs just restored.
    if (!dispatchFile_.isEmpty() && !unloaded_) {
        dispatch_->ImportFile(dispatchFile_);
    }
}

SettingsTable FrmMain::Settings() {
    using Place = SettingsTable::Place;
    const auto weight = [this](Field field) {
        return SettingsTable::Number(
            [this, field](std::int32_t pounds) {
                const std::string shown = plan::FromPounds(pounds, DisplayUnit());
                FieldEdit(field)->setText(QString::fromStdString(shown));
                shownEntries_.Note(field, shown, DisplayUnit(), pounds);
            },
            // The weights are saved in pounds, as the fields show them: a
            // figure a complete calculation read is saved as it is, and a
            // text no complete calculation has read (the selection has no
            // trip data) by its own value, so the next start shows what the
            // fields show now.
            [this, field] { return shownEntries_.Pounds(field, FieldText(field), DisplayUnit()); });
    };
    const Place wind = SettingsTable::Text(
        [this](const std::string& text) {
            FieldEdit(Field::Headwind)->setText(QString::fromStdString(text));
        },
        [this] { return FieldText(Field::Headwind); });
    const Place model = SettingsTable::Number(
        [this](std::int32_t index) { selectedModel_ = data::ModelAt(index); },
        [this] { return static_cast<std::int32_t>(data::ModelIndex(selectedModel_)); });
    return SettingsTable({
        {"Units", SettingsTable::List(ui_.cboUnits)},
        {"CruisingAlt", SettingsTable::List(ui_.cboCruisingAlt)},
        {"TripDistance", SettingsTable::List(ui_.cboTripDistance)},
        {"AlternateDistance", SettingsTable::List(ui_.cboAlternateDistance)},
        {"Headwind", wind},
        {"Payload", weight(Field::Payload)},
        {"HoldingFuel", weight(Field::HoldingFuel)},
        {"MinimumFuel", weight(Field::MinimumFuel)},
        {"TaxiFuel", weight(Field::TaxiFuel)},
        {"Model", model},
        {"WindType", SettingsTable::List(ui_.cboWindType)},
    });
}

void FrmMain::RestoreSettings() {
    const SettingsStore store(SettingsApplication);
    Settings().Restore(store);
    dispatch_->SetUser(store.GetSetting(QLatin1String(DispatchSection),
                                        QLatin1String(SimBriefUserKey), QString()));
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
    if (commands_->DeferClose()) {
        event->ignore();
        return;
    }
    dispatch_->Abandon();
    dispatch_->Panel().close();
    loadSheet_->close();
    Form_Unload();
    QWidget::closeEvent(event);
}

void FrmMain::LoadWithoutShowing() {
    showOnLoad_ = false;
    Form_Load();
}

loadsheet::LoadSheet FrmMain::LoadSheetNow() const {
    loadsheet::PlannerState state;
    state.inputs = ReadInputs();
    state.figures = figures_;
    state.end = lastEnd_;
    state.dispatch = dispatch_->Figures();
    state.dispatchName = dispatch_->PlanName();
    // A reading belongs to the model it was read for: the module's levels
    // were turned into that model's pounds.
    if (aircraftNow_ && aircraftModel_ == selectedModel_) {
        state.aircraft = aircraftNow_;
    }
    return loadsheet::MakeLoadSheet(state);
}

void FrmMain::OpenLoadSheet() {
    loadSheet_->Show(LoadSheetNow());
    loadSheet_->Open();
}

void FrmMain::dragEnterEvent(QDragEnterEvent* event) {
    if (!DroppedFile(event->mimeData()).isEmpty() && !commands_->Running()) {
        event->acceptProposedAction();
    }
}

void FrmMain::dropEvent(QDropEvent* event) {
    const QString path = DroppedFile(event->mimeData());
    if (!path.isEmpty() && !commands_->Running()) {
        event->acceptProposedAction();
        dispatch_->ImportFile(path);
    }
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
    commands_->Abandon();
    dispatch_->Abandon();
    Session().Close();
    SaveSettings();
}

void FrmMain::SaveSettings() {
    SettingsStore store(SettingsApplication);
    Settings().Save(store);
    store.SaveSetting(QLatin1String(DispatchSection), QLatin1String(SimBriefUserKey),
                      dispatch_->User());
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
    dispatch_->PlanShown(figures_, plan.Complete(), inputs.unit);
    lastEnd_ = plan.end;
    // The load sheet follows the plan while it is open.
    if (loadSheet_->isVisible()) {
        loadSheet_->Show(LoadSheetNow());
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

// ---------------------------------------------------------------------------
// Commands.

void FrmMain::cmdOperatingLimits_Click() {
    ShowMessage(OperatingLimitsMessage(data::ModelIndex(selectedModel_), DisplayUnit()));
}

void FrmMain::cmdAbout_Click() {
    ShowMessage(AboutMessage());
}

std::string FrmMain::TakePayload(std::int32_t pounds) {
    figures_.payloadWeight = pounds;
    return TakeWeight(Field::Payload, pounds);
}

void FrmMain::TakeAircraft(const sim::AircraftResult& reading, sim::SimulatorKind kind) {
    aircraftNow_ = AircraftNowFrom(reading, kind);
    aircraftModel_ = selectedModel_;
    loadSheet_->Show(LoadSheetNow());
}

std::string FrmMain::TakeWeight(Field field, std::int32_t pounds) {
    const std::string shown = plan::FromPounds(pounds, DisplayUnit());
    shownEntries_.Note(field, shown, DisplayUnit(), pounds);
    WriteEntryAsTyped(field, shown);
    return FieldText(field);
}

void FrmMain::TakeDispatchInputs(const dispatch::ImportedInputs& inputs) {
    // In the order a pilot fills the form: the model first, for its
    // operating weight, then the trip, the wind and the weights.
    if (inputs.model) {
        ui_.optModel[static_cast<std::size_t>(data::ModelIndex(*inputs.model))]->setChecked(true);
    }
    const auto select = [](QComboBox* list, std::optional<int> position) {
        if (position) {
            list->setCurrentIndex(*position);
        }
    };
    select(ui_.cboCruisingAlt, inputs.cruisingAlt);
    select(ui_.cboTripDistance, inputs.tripDistance);
    select(ui_.cboAlternateDistance, inputs.alternateDistance);
    if (inputs.windType) {
        ui_.cboWindType->setCurrentIndex(*inputs.windType == plan::WindType::Headwind ? 0 : 1);
    }
    if (inputs.windKnots) {
        WriteEntryAsTyped(Field::Headwind, plan::DecimalText(*inputs.windKnots));
    }
    const std::pair<Field, std::optional<std::int32_t>> weights[] = {
        {Field::Payload, inputs.payload},
        {Field::HoldingFuel, inputs.holdingFuel},
        {Field::MinimumFuel, inputs.minimumFuel},
        {Field::TaxiFuel, inputs.taxiFuel},
    };
    for (const auto& [field, pounds] : weights) {
        if (pounds) {
            TakeWeight(field, *pounds);
        }
    }
}

void FrmMain::BoardDispatchFuel(std::int32_t blockFuel) {
    commands_->BoardFuel(blockFuel);
}

// ---------------------------------------------------------------------------
// The fields.

std::string FrmMain::FieldText(Field field) const {
    return EditText(FieldEdit(field));
}

void FrmMain::MarkOverLimit(Field field, bool over) {
    QLineEdit* edit = FieldEdit(field);
    const QColor& colour = over ? OverLimitText : WithinLimitText;
    if (edit->palette().color(QPalette::Text) != colour) {
        SetColor(edit, QPalette::Text, colour);
    }
}

void FrmMain::ShowMessage(const Message& message) {
    if (presenter_) {
        const BusyCursor::Pause normalPointer;
        presenter_(message);
    }
}

bool FrmMain::Ask(const Question& question) {
    if (!questioner_) {
        return false;
    }
    const BusyCursor::Pause normalPointer;
    return questioner_(question);
}

}  // namespace tarnwell::window
