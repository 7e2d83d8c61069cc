#include "window/frmmain.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QFontDatabase>
#include <QFontInfo>
#include <QFontMetrics>
#include <QFrame>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QShowEvent>
#include <algorithm>
#include <initializer_list>
#include <optional>
#include <string_view>
#include <utility>
#include <vector>

#include "data/aircraft.h"
#include "data/trip_tables.h"
#include "plan/information.h"
#include "plan/stored_inputs.h"
#include "plan/units.h"
#include "sim/system_platform.h"
#include "window/appicon.h"
#include "window/banner.h"
#include "window/messagebox.h"
#include "window/numerickeyfilter.h"
#include "window/plannerwidgets.h"
#include "window/settingsstore.h"
#include "window/simulatorcommands.h"
#include "window/twips.h"

using tarnwell::data::ModelId;
using tarnwell::plan::Field;
using tarnwell::plan::Message;
using tarnwell::plan::MessageIcon;

namespace {

constexpr const char* FieldNames[] = {
    "txtHeadwind",    "txtWindAdj",     "txtTotalNAM",    "txtBOW",        "txtPayload",
    "txtZFW",         "txtPLW",         "txtGTOW",        "txtTaxiWeight", "txtAlternateFuel",
    "txtHoldingFuel", "txtMinimumFuel", "txtEnrouteFuel", "txtTaxiFuel",   "txtTotalFuel",
    "txtRightTank",   "txtCenterTank",  "txtLeftTank",
};
constexpr const char* ModelNames[] = {"optModel600", "optModel700", "optModel800", "optModel900"};
constexpr const char* ListNames[] = {"cboCruisingAlt", "cboTripDistance", "cboAlternateDistance",
                                     "cboWindType", "cboUnits"};

// Where the inputs are kept between runs.
const QString SettingsApplication = QStringLiteral("Tarnwell");
const QString SettingsSection = QStringLiteral("Settings");

constexpr const char* NotReadText =
    "Your saved inputs could not be read, because the settings store could not be read. The "
    "planner starts from its defaults.";
constexpr const char* NotSavedText =
    "Your inputs could not be saved, because the settings store could not be written. The next "
    "start will not restore them.";

const QColor OverLimitText(255, 0, 0);
const QColor WithinLimitText(0, 0, 0);

void SetColor(QWidget* widget, QPalette::ColorRole role, const QColor& color) {
    QPalette palette = widget->palette();
    palette.setColor(role, color);
    widget->setPalette(palette);
}

bool IsAscii(const QString& text) {
    return std::all_of(text.cbegin(), text.cend(), [](QChar c) { return c.unicode() < 0x80; });
}

bool IsAscii(const std::string& text) {
    return std::all_of(text.cbegin(), text.cend(),
                       [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

template <typename Widget>
Widget* Find(const QWidget* window, const char* name) {
    auto* widget = window->findChild<Widget*>(QLatin1String(name));
    Q_ASSERT(widget != nullptr);
    return widget;
}

}  // namespace

FrmMain::FrmMain(QWidget* parent)
    : QWidget(parent),
      presenter_([this](const Message& message) { ShowMessageBox(this, message); }) {
    SetSimConnection(
        std::make_unique<tarnwell::sim::SimConnection>(tarnwell::sim::MakeSystemPlatform()));
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(QStringLiteral("frmMain"));
    setWindowIcon(AppIcon());
    BuildControls();
    ConnectHandlers();
}

FrmMain::~FrmMain() = default;

void FrmMain::BuildControls() {
    BuildPlannerWidgets(this, new NumericKeyFilter(this));

    for (std::size_t i = 0; i < fields_.size(); ++i) {
        fields_[i] = Find<QLineEdit>(this, FieldNames[i]);
    }
    for (std::size_t i = 0; i < lists_.size(); ++i) {
        lists_[i] = Find<QComboBox>(this, ListNames[i]);
    }
    for (std::size_t i = 0; i < UnitLabelCount; ++i) {
        const QByteArray name = "lblUnits_" + QByteArray::number(static_cast<int>(i));
        lblUnits_[i] = Find<QLabel>(this, name.constData());
    }
    for (std::size_t i = 0; i < optModel_.size(); ++i) {
        optModel_[i] = Find<QRadioButton>(this, ModelNames[i]);
    }
    optModel_[0]->setChecked(true);
    cmdOperatingLimits_ = Find<QPushButton>(this, "cmdOperatingLimits");
    cmdReadPayload_ = Find<QPushButton>(this, "cmdReadPayload");
    cmdBoardFuel_ = Find<QPushButton>(this, "cmdBoardFuel");
    cmdAbout_ = Find<QPushButton>(this, "cmdAbout");
    cmdExit_ = Find<QPushButton>(this, "cmdExit");

    const std::vector<QWidget*> tabOrder{
        ListBox(List::CruisingAlt),
        ListBox(List::TripDistance),
        ListBox(List::AlternateDistance),
        FieldEdit(Field::Headwind),
        FieldEdit(Field::Payload),
        FieldEdit(Field::HoldingFuel),
        FieldEdit(Field::MinimumFuel),
        FieldEdit(Field::TaxiFuel),
        optModel_[0],
        optModel_[1],
        optModel_[2],
        optModel_[3],
        cmdOperatingLimits_,
        ListBox(List::Units),
        cmdReadPayload_,
        cmdAbout_,
        cmdBoardFuel_,
        cmdExit_,
        ListBox(List::WindType),
    };
    for (std::size_t i = 1; i < tabOrder.size(); ++i) {
        setTabOrder(tabOrder[i - 1], tabOrder[i]);
    }
}

void FrmMain::ConnectHandlers() {
    const auto onSelect = [this](List list, void (FrmMain::*handler)()) {
        connect(ListBox(list), &QComboBox::currentIndexChanged, this, handler);
    };
    onSelect(List::CruisingAlt, &FrmMain::cboCruisingAlt_Click);
    onSelect(List::TripDistance, &FrmMain::cboTripDistance_Click);
    onSelect(List::AlternateDistance, &FrmMain::cboAlternateDistance_Click);
    onSelect(List::WindType, &FrmMain::cboWindType_Click);
    onSelect(List::Units, &FrmMain::cboUnits_Click);

    const auto onChange = [this](Field field, void (FrmMain::*handler)()) {
        connect(FieldEdit(field), &QLineEdit::textChanged, this, handler);
    };
    onChange(Field::Headwind, &FrmMain::txtHeadwind_Change);
    onChange(Field::Payload, &FrmMain::txtPayload_Change);
    onChange(Field::HoldingFuel, &FrmMain::txtHoldingFuel_Change);
    onChange(Field::MinimumFuel, &FrmMain::txtMinimumFuel_Change);
    onChange(Field::TaxiFuel, &FrmMain::txtTaxiFuel_Change);

    connect(optModel_[0], &QRadioButton::toggled, this, &FrmMain::optModel600_Click);
    connect(optModel_[1], &QRadioButton::toggled, this, &FrmMain::optModel700_Click);
    connect(optModel_[2], &QRadioButton::toggled, this, &FrmMain::optModel800_Click);
    connect(optModel_[3], &QRadioButton::toggled, this, &FrmMain::optModel900_Click);

    connect(cmdOperatingLimits_, &QPushButton::clicked, this, &FrmMain::cmdOperatingLimits_Click);
    connect(cmdReadPayload_, &QPushButton::clicked, this, &FrmMain::cmdReadPayload_Click);
    connect(cmdBoardFuel_, &QPushButton::clicked, this, &FrmMain::cmdBoardFuel_Click);
    connect(cmdAbout_, &QPushButton::clicked, this, &FrmMain::cmdAbout_Click);
    connect(cmdExit_, &QPushButton::clicked, this, &FrmMain::cmdExit_Click);

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
    return fields_[static_cast<std::size_t>(field)];
}

QComboBox* FrmMain::ListBox(List list) const {
    return lists_[static_cast<std::size_t>(list)];
}

void FrmMain::SetMessagePresenter(MessagePresenter presenter) {
    presenter_ = std::move(presenter);
}

void FrmMain::SetSimConnection(std::unique_ptr<tarnwell::sim::SimConnection> link) {
    commands_.reset();
    link_ = std::move(link);
    commands_ = std::make_unique<tarnwell::window::SimulatorCommands>(*this, *link_);
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
    link_->SetSimConnected(false);

    QComboBox* trip = ListBox(List::TripDistance);
    QComboBox* alternate = ListBox(List::AlternateDistance);
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

    for (List list : {List::CruisingAlt, List::TripDistance, List::AlternateDistance}) {
        if (ListBox(list)->currentIndex() == -1) {
            ListBox(list)->setCurrentIndex(0);
        }
    }
    if (FieldEdit(Field::Headwind)->text().isEmpty()) {
        FieldEdit(Field::Headwind)->setText(QStringLiteral("0"));
    }
    optModel_[static_cast<std::size_t>(tarnwell::data::ModelIndex(selectedModel_))]->setChecked(
        true);

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
    using namespace tarnwell::plan;
    const SettingsStore store(SettingsApplication);
    const StoredInputs inputs = ReadStoredInputs(
        [&store](std::string_view key) {
            return store
                .GetSetting(SettingsSection, QString::fromLatin1(key.data(), key.size()),
                            QStringLiteral("0"))
                .toStdString();
        },
        ListSizes{ListBox(List::Units)->count(), ListBox(List::CruisingAlt)->count(),
                  ListBox(List::TripDistance)->count(), ListBox(List::AlternateDistance)->count(),
                  ListBox(List::WindType)->count()});

    // The unit first: the weights below are shown in it.
    ListBox(List::Units)->setCurrentIndex(inputs.units);
    ListBox(List::CruisingAlt)->setCurrentIndex(inputs.cruisingAlt);
    ListBox(List::TripDistance)->setCurrentIndex(inputs.tripDistance);
    ListBox(List::AlternateDistance)->setCurrentIndex(inputs.alternateDistance);
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
    selectedModel_ = tarnwell::data::ModelAt(inputs.model);
    ListBox(List::WindType)->setCurrentIndex(inputs.windType);

    // A store that is missing is a first run; one that is there but cannot
    // be read is not, and the user would otherwise wonder where the inputs
    // went.
    if (!store.Readable()) {
        ShowMessage({NotReadText, "Tarnwell", MessageIcon::Exclamation});
    }
}

void FrmMain::closeEvent(QCloseEvent* event) {
    // Closing is never refused.
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
    link_->IpcClose();
    SaveSettings();
}

void FrmMain::SaveSettings() {
    SettingsStore store(SettingsApplication);
    const auto save = [&store](const char* key, const QString& value) {
        store.SaveSetting(SettingsSection, QLatin1String(key), value);
    };
    const auto index = [this](List list) { return QString::number(ListBox(list)->currentIndex()); };
    const auto pounds = [this](Field field) {
        return QString::number(shownEntries_.Pounds(field, FieldText(field), DisplayUnit()));
    };

    // The weights are saved in pounds, as the fields show them: a figure a
    // complete calculation read is saved as it is, and a text no complete
    // calculation has read (the selection has no trip data) by its own
    // value, so the next start shows what the fields show now.
    save("CruisingAlt", index(List::CruisingAlt));
    save("TripDistance", index(List::TripDistance));
    save("AlternateDistance", index(List::AlternateDistance));
    save("Headwind", FieldEdit(Field::Headwind)->text());
    save("Payload", pounds(Field::Payload));
    save("HoldingFuel", pounds(Field::HoldingFuel));
    save("MinimumFuel", pounds(Field::MinimumFuel));
    save("TaxiFuel", pounds(Field::TaxiFuel));
    save("Model", QString::number(tarnwell::data::ModelIndex(selectedModel_)));
    save("Units", index(List::Units));
    save("WindType", index(List::WindType));

    if (!store.Flush()) {
        ShowMessage({NotSavedText, "Tarnwell", MessageIcon::Exclamation});
    }
}

// ---------------------------------------------------------------------------
// Selections and changes.

tarnwell::plan::Unit FrmMain::DisplayUnit() const {
    return tarnwell::plan::UnitAt(ListBox(List::Units)->currentIndex());
}

tarnwell::plan::PlanInputs FrmMain::ReadInputs() const {
    tarnwell::plan::PlanInputs inputs;
    inputs.model = selectedModel_;
    inputs.cruisingAlt = ListBox(List::CruisingAlt)->currentIndex();
    inputs.tripDistance = ListBox(List::TripDistance)->currentIndex();
    inputs.alternateDistance = ListBox(List::AlternateDistance)->currentIndex();
    inputs.windType = tarnwell::plan::WindTypeAt(ListBox(List::WindType)->currentIndex());
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
    const tarnwell::plan::PlanInputs inputs = ReadInputs();
    return ShowPlan(tarnwell::plan::ComputeFuelPlan(inputs, figures_), inputs);
}

bool FrmMain::ShowPlan(tarnwell::plan::FuelPlan plan, const tarnwell::plan::PlanInputs& inputs) {
    if (plan.windAdjustment) {
        WriteFieldText(FieldEdit(Field::WindAdj), *plan.windAdjustment);
    }
    // The wind field is tidied with the guard down, like a typed change: a
    // changed text runs the field's own calculation, which shows the same
    // plan and writes the entries back in normal form. This run then goes
    // on from the fields as that one left them.
    if (plan.headwind && WriteFieldText(FieldEdit(Field::Headwind), *plan.headwind)) {
        plan = tarnwell::plan::ComputeFuelPlan(ReadInputs(), figures_);
    }
    if (plan.airDistance) {
        WriteFieldText(FieldEdit(Field::TotalNAM), *plan.airDistance);
    }
    figures_ = plan.figures;
    for (const tarnwell::plan::LimitMark& mark : plan.limitMarks) {
        MarkOverLimit(mark.field, mark.overLimit);
    }
    // The guard keeps the entry fields' change handlers from starting new
    // calculations while their normal form is written back.
    isUpdating_ = true;
    for (const tarnwell::plan::FieldText& result : plan.results) {
        WriteFieldText(FieldEdit(result.field), result.text);
    }
    isUpdating_ = false;
    if (!plan.results.empty()) {
        const std::pair<Field, std::int32_t> entries[] = {
            {Field::Payload, figures_.PayloadWeight},
            {Field::HoldingFuel, figures_.HoldingFuel},
            {Field::MinimumFuel, figures_.MinimumFuel},
            {Field::TaxiFuel, figures_.TaxiFuel}};
        for (const auto& [field, pounds] : entries) {
            shownEntries_.Note(field, FieldText(field), inputs.unit, pounds);
        }
    }
    for (const tarnwell::plan::FieldText& tank : plan.tanks) {
        WriteFieldText(FieldEdit(tank.field), tank.text);
    }
    if (plan.message) {
        ShowMessage(*plan.message);
    }
    if (plan.complete()) {
        ShowPlanTips(inputs);
    }
    return plan.complete();
}

void FrmMain::ShowPlanTips(const tarnwell::plan::PlanInputs& inputs) {
    using tarnwell::plan::MarginTip;
    const tarnwell::data::AircraftModel& model = tarnwell::data::Model(selectedModel_);
    const tarnwell::plan::PlanFigures& f = figures_;
    const tarnwell::plan::Unit unit = inputs.unit;
    const auto tip = [this](Field field, const std::string& text) {
        FieldEdit(field)->setToolTip(QString::fromStdString(text));
    };
    // Only a complete plan changes them, so they always speak of the
    // figures the fields show.
    tip(Field::EnrouteFuel,
        tarnwell::plan::FlightTimeTip(tarnwell::data::TripTime(
            tarnwell::data::ModelIndex(selectedModel_), inputs.cruisingAlt, inputs.tripDistance)));
    tip(Field::ZFW, MarginTip(f.ZeroFuelWeight, model.MaxZeroFuelWeight, unit));
    tip(Field::PLW, MarginTip(f.LandingWeight, model.MaxLandingWeight, unit));
    tip(Field::GTOW, MarginTip(f.TakeoffWeight, model.MaxTakeoffWeight, unit));
    tip(Field::TaxiWeight, MarginTip(f.TaxiWeight, model.MaxTaxiWeight, unit));
    tip(Field::TotalFuel, MarginTip(f.TotalFuel, tarnwell::data::FuelCapacity(model), unit));
}

void FrmMain::TakePayload(std::int32_t pounds) {
    figures_.PayloadWeight = pounds;
    const std::string shown = tarnwell::plan::FromPounds(pounds, DisplayUnit());
    shownEntries_.Note(Field::Payload, shown, DisplayUnit(), pounds);
    WriteFieldText(FieldEdit(Field::Payload), shown);
}

std::string FrmMain::PayloadText() const {
    return FieldText(Field::Payload);
}

void FrmMain::SetUnitLabels(const QString& unit) {
    for (QLabel* label : lblUnits_) {
        label->setText(unit);
    }
}

void FrmMain::ApplyModelWeights() {
    figures_.OperatingWeight = tarnwell::data::Model(selectedModel_).BasicOperatingWeight;
    WriteFieldText(FieldEdit(Field::BOW),
                   tarnwell::plan::FromPounds(figures_.OperatingWeight, DisplayUnit()));
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
    const bool kilograms = DisplayUnit() == tarnwell::plan::Unit::Kilograms;
    SetUnitLabels(kilograms ? QStringLiteral("Kgs.") : QStringLiteral("Lbs."));
    CalculateFuelPlan();
}

void FrmMain::optModel600_Click() {
    SelectModel(optModel_[0], ModelId::B737_600);
}

void FrmMain::optModel700_Click() {
    SelectModel(optModel_[1], ModelId::B737_700);
}

void FrmMain::optModel800_Click() {
    SelectModel(optModel_[2], ModelId::B737_800);
}

void FrmMain::optModel900_Click() {
    SelectModel(optModel_[3], ModelId::B737_900);
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
    ShowMessage(tarnwell::plan::OperatingLimitsMessage(tarnwell::data::ModelIndex(selectedModel_),
                                                       DisplayUnit()));
}

void FrmMain::cmdAbout_Click() {
    ShowMessage(tarnwell::plan::AboutMessage());
}

void FrmMain::cmdBoardFuel_Click() {
    commands_->BoardFuel();
}

void FrmMain::cmdReadPayload_Click() {
    commands_->ReadPayload();
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
