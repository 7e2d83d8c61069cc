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
#include <utility>
#include <vector>

#include "plan/information.h"
#include "plan/stored_values.h"
#include "plan/units.h"
#include "sim/system_platform.h"
#include "window/appicon.h"
#include "window/banner.h"
#include "window/busycursor.h"
#include "window/messagebox.h"
#include "window/numerickeyfilter.h"
#include "window/settingsstore.h"
#include "window/twips.h"

using tarnwell::plan::Choice;
using tarnwell::plan::Field;
using tarnwell::plan::Message;
using tarnwell::plan::MessageIcon;

namespace {

// ---------------------------------------------------------------------------
// The design layout, in twips.

constexpr int ClientWidth = 7650;
constexpr int ClientHeight = 7035;

// Rows inside the four frames: caption, field, unit label.
constexpr int CaptionLeft = 180;
constexpr int FirstRowTop = 240;
constexpr int RowPitch = 360;
constexpr int FieldWidth = 975;
constexpr int TextHeight = 285;
constexpr int ListHeight = 315;
constexpr int UnitGap = 60;
constexpr int UnitWidth = 435;

// The wind row: a short caption, the wind direction list, then the speed.
constexpr int WindCaptionWidth = 1140;
constexpr int WindListLeft = 1350;
constexpr int WindListWidth = 1125;

enum class Kind { List, Entry, Output, Wind };

struct Row {
    const char* label;
    const char* caption;
    const char* field;
    Kind kind;
    const char* unitLabel;  // nullptr: the row has no unit label
    const char* unitCaption;
};

struct FrameLayout {
    const char* name;
    const char* title;
    QRect rect;
    int captionWidth;
    std::vector<Row> rows;
};

const std::vector<FrameLayout>& Frames() {
    static const std::vector<FrameLayout> frames{
        {"fraTripInformation",
         "Trip Information",
         TwipRect(60, 1920, 3975, 2475),
         2295,
         {
             {"Label17", "Cruising Altitude:", "cboCruisingAlt", Kind::List, nullptr, nullptr},
             {"Label1", "Trip Distance:", "cboTripDistance", Kind::List, "Label21", "n.m."},
             {"Label35", "Extra Distance to Alternate:", "cboAlternateDistance", Kind::List,
              "Label34", "n.m."},
             {"Label2", "Forecast", "txtHeadwind", Kind::Wind, "Label18", "kts."},
             {"Label15", "Wind Component Adjustment:", "txtWindAdj", Kind::Output, "Label19",
              "n.m."},
             {"Label3", "Total Nautical Air Miles:", "txtTotalNAM", Kind::Output, "Label20",
              "n.m."},
         }},
        {"fraFuel",
         "Fuel",
         TwipRect(4215, 1920, 3375, 2475),
         1695,
         {
             {"Label9", "Alternate Fuel:", "txtAlternateFuel", Kind::Output, "lblUnits_6", "lbs."},
             {"Label10", "Holding Fuel:", "txtHoldingFuel", Kind::Entry, "lblUnits_7", "lbs."},
             {"Label11", "Minimum Landing Fuel:", "txtMinimumFuel", Kind::Entry, "lblUnits_8",
              "lbs."},
             {"Label12", "Enroute Fuel Burn:", "txtEnrouteFuel", Kind::Output, "lblUnits_9",
              "lbs."},
             {"Label13", "Taxi Fuel:", "txtTaxiFuel", Kind::Entry, "lblUnits_10", "lbs."},
             {"Label14", "Total Fuel at Taxi:", "txtTotalFuel", Kind::Output, "lblUnits_11",
              "lbs."},
         }},
        {"fraWeights",
         "Weights",
         TwipRect(60, 4485, 3975, 2475),
         2295,
         {
             {"Label4", "Basic Operating Weight:", "txtBOW", Kind::Output, "lblUnits_0", "lbs."},
             {"Label5", "Payload (PAX + Cargo) Weight:", "txtPayload", Kind::Entry, "lblUnits_1",
              "lbs."},
             {"Label6", "Zero Fuel Weight:", "txtZFW", Kind::Output, "lblUnits_2", "lbs."},
             {"Label8", "Planned Landing Weight:", "txtPLW", Kind::Output, "lblUnits_3", "lbs."},
             {"Label7", "Planned Gross Takeoff Weight:", "txtGTOW", Kind::Output, "lblUnits_4",
              "lbs."},
             {"Label16", "Planned Taxi-Out Weight", "txtTaxiWeight", Kind::Output, "lblUnits_5",
              "lbs."},
         }},
    };
    return frames;
}

// The items a list holds before the window loads. The distance lists are
// filled at load; the others keep these.
QStringList DesignItems(const QString& list) {
    if (list == QLatin1String("cboCruisingAlt")) {
        return {"FL290", "FL310", "FL330", "FL350", "FL370"};
    }
    if (list == QLatin1String("cboWindType")) {
        return {"Headwind:", "Tailwind:"};
    }
    if (list == QLatin1String("cboUnits")) {
        return {"Lbs.", "Kgs."};
    }
    return {"200"};
}

struct Placed {
    const char* name;
    const char* text;
    QRect rect;
};

// Option buttons inside frmAircraft, two by two.
const Placed ModelButtons[] = {
    {"optModel600", "Boeing 737-600", TwipRect(120, 270, 1560, 285)},
    {"optModel700", "Boeing 737-700", TwipRect(1740, 270, 1560, 285)},
    {"optModel800", "Boeing 737-800", TwipRect(120, 600, 1560, 285)},
    {"optModel900", "Boeing 737-900", TwipRect(1740, 600, 1560, 285)},
};

const Placed CommandButtons[] = {
    {"cmdOperatingLimits", "Operating Limitations", TwipRect(4200, 5625, 1815, 375)},
    {"cmdReadPayload", "Read Payload Weight", TwipRect(4200, 6090, 1815, 375)},
    {"cmdBoardFuel", "&Board Fuel", TwipRect(4200, 6570, 1815, 375)},
    {"cmdAbout", "About", TwipRect(6120, 6090, 1455, 375)},
    {"cmdExit", "E&xit", TwipRect(6120, 6570, 1455, 375)},
};

// The tank displays over the banner. The aircraft is seen from the front,
// so the right wing's tank is on the viewer's left.
const Placed TankDisplays[] = {
    {"txtRightTank", "Right main tank fuel", TwipRect(1200, 960, 1095, 180)},
    {"txtCenterTank", "Center tank fuel", TwipRect(3240, 1200, 1215, 180)},
    {"txtLeftTank", "Left main tank fuel", TwipRect(5280, 960, 1095, 180)},
};

// Object names of the plan's fields and lists, in the order of the
// planner's Field and Choice enumerations.
constexpr const char* FieldNames[] = {
    "txtHeadwind",    "txtWindAdj",     "txtTotalNAM",    "txtBOW",        "txtPayload",
    "txtZFW",         "txtPLW",         "txtGTOW",        "txtTaxiWeight", "txtAlternateFuel",
    "txtHoldingFuel", "txtMinimumFuel", "txtEnrouteFuel", "txtTaxiFuel",   "txtTotalFuel",
    "txtRightTank",   "txtCenterTank",  "txtLeftTank",
};
constexpr const char* ListNames[] = {"cboCruisingAlt", "cboTripDistance", "cboAlternateDistance",
                                     "cboWindType", "cboUnits"};

// The wind speed field takes digits only; the direction is the list
// beside it.
constexpr const char* HeadwindToolTip =
    "Wind speed in knots. Choose Headwind or Tailwind in the list to the left.";

// Where the inputs are kept between runs.
const QString SettingsApplication = QStringLiteral("Tarnwell");
const QString SettingsSection = QStringLiteral("Settings");

constexpr const char* NotSavedText =
    "Your inputs could not be saved, because the settings store could not be written. The next "
    "start will not restore them.";

const QColor ReadOnlyBackground(192, 192, 192);
const QColor TankBackground(224, 224, 224);
const QColor TankText(0, 0, 255);
const QColor OverLimitText(255, 0, 0);
const QColor WithinLimitText(0, 0, 0);

// ---------------------------------------------------------------------------
// Building the controls.

template <typename Widget>
Widget* Make(QWidget* parent, const char* name, const QRect& rect) {
    auto* widget = new Widget(parent);
    widget->setObjectName(QLatin1String(name));
    widget->setGeometry(rect);
    return widget;
}

void SetColor(QWidget* widget, QPalette::ColorRole role, const QColor& color) {
    QPalette palette = widget->palette();
    palette.setColor(role, color);
    widget->setPalette(palette);
}

// A field's accessible name is its caption without the closing colon.
QString AccessibleName(const char* caption) {
    QString name = QLatin1String(caption);
    if (name.endsWith(QLatin1Char(':'))) {
        name.chop(1);
    }
    return name;
}

QLabel* MakeLabel(QWidget* parent, const char* name, const char* text, const QRect& rect,
                  Qt::Alignment alignment) {
    auto* label = Make<QLabel>(parent, name, rect);
    label->setText(QLatin1String(text));
    label->setAlignment(alignment | Qt::AlignVCenter);
    return label;
}

QComboBox* MakeList(QWidget* parent, const char* name, const QRect& rect) {
    auto* list = Make<QComboBox>(parent, name, rect);
    list->addItems(DesignItems(list->objectName()));
    // Nothing is selected until the window loads its saved inputs.
    list->setCurrentIndex(-1);
    return list;
}

QLineEdit* MakeField(QWidget* parent, const char* name, const QRect& rect, bool editable) {
    auto* field = Make<QLineEdit>(parent, name, rect);
    field->setText(QStringLiteral("0"));
    if (!editable) {
        field->setReadOnly(true);
        field->setFocusPolicy(Qt::ClickFocus);
        SetColor(field, QPalette::Base, ReadOnlyBackground);
    }
    return field;
}

void BuildFrame(QWidget* window, const FrameLayout& layout, QObject* keyFilter) {
    auto* frame = Make<QGroupBox>(window, layout.name, layout.rect);
    frame->setTitle(QLatin1String(layout.title));
    const int fieldLeft = CaptionLeft + layout.captionWidth;

    for (std::size_t i = 0; i < layout.rows.size(); ++i) {
        const Row& row = layout.rows[i];
        const int top = FirstRowTop + static_cast<int>(i) * RowPitch;
        const int captionWidth = row.kind == Kind::Wind ? WindCaptionWidth : layout.captionWidth;
        QLabel* caption =
            MakeLabel(frame, row.label, row.caption,
                      TwipRect(CaptionLeft, top, captionWidth, TextHeight), Qt::AlignRight);

        QWidget* field = nullptr;
        if (row.kind == Kind::List) {
            field = MakeList(frame, row.field, TwipRect(fieldLeft, top, FieldWidth, ListHeight));
            field->setAccessibleName(AccessibleName(row.caption));
        } else {
            const bool editable = row.kind == Kind::Entry || row.kind == Kind::Wind;
            field = MakeField(frame, row.field, TwipRect(fieldLeft, top, FieldWidth, TextHeight),
                              editable);
            if (editable) {
                field->installEventFilter(keyFilter);
            }
            field->setAccessibleName(AccessibleName(row.caption));
        }
        caption->setBuddy(field);

        if (row.kind == Kind::Wind) {
            QComboBox* direction = MakeList(frame, "cboWindType",
                                            TwipRect(WindListLeft, top, WindListWidth, ListHeight));
            direction->setAccessibleName(QStringLiteral("Forecast wind direction"));
            field->setAccessibleName(QStringLiteral("Forecast wind speed"));
            field->setToolTip(QLatin1String(HeadwindToolTip));
            caption->setBuddy(direction);
        }
        if (row.unitLabel != nullptr) {
            MakeLabel(frame, row.unitLabel, row.unitCaption,
                      TwipRect(fieldLeft + FieldWidth + UnitGap, top, UnitWidth, TextHeight),
                      Qt::AlignLeft);
        }
    }
}

// The tank displays use the small bold terminal font of the original
// design; where that font is missing, a small bold fixed-pitch font.
QFont TankFont() {
    QFont font(QStringLiteral("Terminal"));
    font.setPointSize(6);
    font.setBold(true);
    if (QFontInfo(font).family().compare(QLatin1String("Terminal"), Qt::CaseInsensitive) == 0) {
        return font;
    }
    QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    fixed.setPointSize(6);
    fixed.setBold(true);
    return fixed;
}

void BuildBanner(QWidget* window) {
    auto* banner = new Banner(window);
    banner->setGeometry(TwipRect(45, 75, 7560, 1785));

    const QFont font = TankFont();
    for (const Placed& tank : TankDisplays) {
        // On top of the banner, placed in window coordinates.
        auto* display = Make<QLineEdit>(window, tank.name, tank.rect);
        display->setText(QStringLiteral("0 lbs."));
        display->setReadOnly(true);
        display->setFocusPolicy(Qt::ClickFocus);
        display->setFrame(false);
        display->setAlignment(Qt::AlignCenter);
        display->setFont(font);
        display->setTextMargins(0, 0, 0, 0);
        display->setContentsMargins(0, 0, 0, 0);
        display->setAccessibleName(QLatin1String(tank.text));
        SetColor(display, QPalette::Base, TankBackground);
        SetColor(display, QPalette::Text, TankText);
        display->raise();
    }
}

void BuildAircraftFrame(QWidget* window) {
    auto* frame = Make<QGroupBox>(window, "frmAircraft", TwipRect(4215, 4485, 3375, 1005));
    frame->setTitle(QStringLiteral("Aircraft"));
    for (const Placed& option : ModelButtons) {
        Make<QRadioButton>(frame, option.name, option.rect)->setText(QLatin1String(option.text));
    }
}

void BuildCommandArea(QWidget* window) {
    for (const Placed& command : CommandButtons) {
        Make<QPushButton>(window, command.name, command.rect)->setText(QLatin1String(command.text));
    }
    QLabel* caption =
        MakeLabel(window, "Label36", "Units:", TwipRect(6090, 5715, 465, 240), Qt::AlignRight);
    QComboBox* units = MakeList(window, "cboUnits", TwipRect(6600, 5655, 975, 315));
    units->setAccessibleName(QStringLiteral("Units"));
    caption->setBuddy(units);
}

// The layout was drawn for a compact 8-point font. The window uses the
// platform's own font at that size, in its narrow face where the family has
// one, and a little smaller where a caption would still not fit its label.
void ApplyDesignFont(QWidget* window) {
    constexpr double DesignPointSize = 8.0;
    constexpr double SmallestPointSize = 6.5;
    QFont font = window->font();
    font.setStretch(QFont::SemiCondensed);
    const QList<QLabel*> labels = window->findChildren<QLabel*>();
    const auto fits = [&labels](const QFont& candidate) {
        const QFontMetrics metrics(candidate);
        for (const QLabel* label : labels) {
            if (metrics.horizontalAdvance(label->text()) > label->width()) {
                return false;
            }
        }
        return true;
    };
    for (double size = DesignPointSize; size >= SmallestPointSize; size -= 0.5) {
        font.setPointSizeF(size);
        if (fits(font)) {
            break;
        }
    }
    window->setFont(font);
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
      planner_(*this),
      presenter_([this](const Message& message) { ShowMessageBox(this, message); }) {
    SetSimConnection(
        std::make_unique<tarnwell::sim::SimConnection>(tarnwell::sim::MakeSystemPlatform()));
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(QStringLiteral("frmMain"));
    setFixedSize(Twips(ClientWidth), Twips(ClientHeight));
    setWindowIcon(AppIcon());
    BuildControls();
    ConnectHandlers();
}

FrmMain::~FrmMain() = default;

void FrmMain::BuildControls() {
    BuildBanner(this);
    auto* keyFilter = new NumericKeyFilter(this);
    for (const FrameLayout& frame : Frames()) {
        BuildFrame(this, frame, keyFilter);
    }
    BuildAircraftFrame(this);
    BuildCommandArea(this);
    ApplyDesignFont(this);

    for (std::size_t i = 0; i < FieldCount; ++i) {
        fields_[i] = Find<QLineEdit>(this, FieldNames[i]);
    }
    for (std::size_t i = 0; i < ChoiceCount; ++i) {
        lists_[i] = Find<QComboBox>(this, ListNames[i]);
    }
    for (std::size_t i = 0; i < UnitLabelCount; ++i) {
        const QByteArray name = "lblUnits_" + QByteArray::number(static_cast<int>(i));
        lblUnits_[i] = Find<QLabel>(this, name.constData());
    }
    for (std::size_t i = 0; i < optModel_.size(); ++i) {
        optModel_[i] = Find<QRadioButton>(this, ModelButtons[i].name);
    }
    optModel_[0]->setChecked(true);
    cmdOperatingLimits_ = Find<QPushButton>(this, "cmdOperatingLimits");
    cmdReadPayload_ = Find<QPushButton>(this, "cmdReadPayload");
    cmdBoardFuel_ = Find<QPushButton>(this, "cmdBoardFuel");
    cmdAbout_ = Find<QPushButton>(this, "cmdAbout");
    cmdExit_ = Find<QPushButton>(this, "cmdExit");

    const std::vector<QWidget*> tabOrder{
        List(Choice::CruisingAlt),
        List(Choice::TripDistance),
        List(Choice::AlternateDistance),
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
        List(Choice::Units),
        cmdReadPayload_,
        cmdAbout_,
        cmdBoardFuel_,
        cmdExit_,
        List(Choice::WindType),
    };
    for (std::size_t i = 1; i < tabOrder.size(); ++i) {
        setTabOrder(tabOrder[i - 1], tabOrder[i]);
    }
}

void FrmMain::ConnectHandlers() {
    const auto onSelect = [this](Choice choice, void (FrmMain::*handler)()) {
        connect(List(choice), &QComboBox::currentIndexChanged, this, handler);
    };
    onSelect(Choice::CruisingAlt, &FrmMain::cboCruisingAlt_Click);
    onSelect(Choice::TripDistance, &FrmMain::cboTripDistance_Click);
    onSelect(Choice::AlternateDistance, &FrmMain::cboAlternateDistance_Click);
    onSelect(Choice::WindType, &FrmMain::cboWindType_Click);
    onSelect(Choice::Units, &FrmMain::cboUnits_Click);

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
}

QLineEdit* FrmMain::FieldEdit(Field field) const {
    return fields_[static_cast<std::size_t>(field)];
}

QComboBox* FrmMain::List(Choice choice) const {
    return lists_[static_cast<std::size_t>(choice)];
}

void FrmMain::SetMessagePresenter(MessagePresenter presenter) {
    presenter_ = std::move(presenter);
}

void FrmMain::SetSimConnection(std::unique_ptr<tarnwell::sim::SimConnection> link) {
    commands_.reset();
    link_ = std::move(link);
    commands_ = std::make_unique<tarnwell::sim::SimulatorCommands>(*link_, planner_, *this);
}

// ---------------------------------------------------------------------------
// Start-up and shutdown.

void FrmMain::Form_Load() {
    if (loaded_) {
        return;
    }
    loaded_ = true;
    planner_.SetUpdating(true);
    setWindowTitle(QStringLiteral("Boeing Tarnwell"));
    // Not connected: the first simulator command opens the link.
    link_->SetSimConnected(false);

    QComboBox* trip = List(Choice::TripDistance);
    QComboBox* alternate = List(Choice::AlternateDistance);
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

    for (Choice choice : {Choice::CruisingAlt, Choice::TripDistance, Choice::AlternateDistance}) {
        if (List(choice)->currentIndex() == -1) {
            List(choice)->setCurrentIndex(0);
        }
    }
    if (FieldEdit(Field::Headwind)->text().isEmpty()) {
        FieldEdit(Field::Headwind)->setText(QStringLiteral("0"));
    }
    // SelectedModel holds 0..3 here: the planner refuses anything else.
    optModel_[static_cast<std::size_t>(planner_.SelectedModel())]->setChecked(true);

    planner_.SetUpdating(false);
    ApplyModelWeights();
    CalculateFuelPlan();
    show();
}

void FrmMain::RestoreSettings() {
    using namespace tarnwell::plan;
    const SettingsStore store(SettingsApplication);
    const auto get = [&store](const char* key) {
        return store.GetSetting(SettingsSection, QLatin1String(key), QStringLiteral("0"))
            .toStdString();
    };
    const auto restoreIndex = [&](Choice choice, const char* key) {
        QComboBox* list = List(choice);
        list->setCurrentIndex(StoredListIndex(get(key), list->count()).value_or(0));
    };

    // The unit first: the weights below are shown in it.
    restoreIndex(Choice::Units, "Units");
    restoreIndex(Choice::CruisingAlt, "CruisingAlt");
    restoreIndex(Choice::TripDistance, "TripDistance");
    restoreIndex(Choice::AlternateDistance, "AlternateDistance");
    FieldEdit(Field::Headwind)->setText(QString::fromStdString(get("Headwind")));
    const std::pair<Field, const char*> weights[] = {{Field::Payload, "Payload"},
                                                     {Field::HoldingFuel, "HoldingFuel"},
                                                     {Field::MinimumFuel, "MinimumFuel"},
                                                     {Field::TaxiFuel, "TaxiFuel"}};
    for (const auto& [field, key] : weights) {
        const std::int32_t pounds = StoredInt32(get(key)).value_or(0);
        FieldEdit(field)->setText(
            QString::fromStdString(FromPounds(pounds, Selection(Choice::Units))));
    }
    planner_.SetSelectedModel(StoredModel(get("Model")).value_or(0));
    restoreIndex(Choice::WindType, "WindType");
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
    const auto index = [this](Choice choice) {
        return QString::number(List(choice)->currentIndex());
    };
    const tarnwell::plan::PlanFigures& figures = planner_.Figures();

    // The weights saved are the figures the last calculation read, in pounds.
    save("CruisingAlt", index(Choice::CruisingAlt));
    save("TripDistance", index(Choice::TripDistance));
    save("AlternateDistance", index(Choice::AlternateDistance));
    save("Headwind", FieldEdit(Field::Headwind)->text());
    save("Payload", QString::number(figures.PayloadWeight));
    save("HoldingFuel", QString::number(figures.HoldingFuel));
    save("MinimumFuel", QString::number(figures.MinimumFuel));
    save("TaxiFuel", QString::number(figures.TaxiFuel));
    save("Model", QString::number(planner_.SelectedModel()));
    save("Units", index(Choice::Units));
    save("WindType", index(Choice::WindType));

    if (!store.Flush()) {
        ShowMessage({NotSavedText, "Tarnwell", MessageIcon::Exclamation});
    }
}

// ---------------------------------------------------------------------------
// Selections and changes.

bool FrmMain::CalculateFuelPlan() {
    ++calculationCount_;
    return planner_.CalculateFuelPlan();
}

void FrmMain::SetUnitLabels(const QString& unit) {
    for (QLabel* label : lblUnits_) {
        label->setText(unit);
    }
}

void FrmMain::ApplyModelWeights() {
    planner_.ApplyModelWeights();
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
    const bool kilograms = tarnwell::plan::IsKilograms(Selection(Choice::Units));
    SetUnitLabels(kilograms ? QStringLiteral("Kgs.") : QStringLiteral("Lbs."));
    CalculateFuelPlan();
}

void FrmMain::optModel600_Click() {
    SelectModel(optModel_[0], 0);
}

void FrmMain::optModel700_Click() {
    SelectModel(optModel_[1], 1);
}

void FrmMain::optModel800_Click() {
    SelectModel(optModel_[2], 2);
}

void FrmMain::optModel900_Click() {
    SelectModel(optModel_[3], 3);
}

void FrmMain::SelectModel(QRadioButton* button, int modelIndex) {
    // The button that was just cleared has nothing to do.
    if (!button->isChecked()) {
        return;
    }
    planner_.SetSelectedModel(modelIndex);
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
    ShowMessage(
        tarnwell::plan::OperatingLimitsMessage(planner_.SelectedModel(), Selection(Choice::Units)));
}

void FrmMain::cmdAbout_Click() {
    ShowMessage(tarnwell::plan::AboutMessage());
}

void FrmMain::cmdBoardFuel_Click() {
    // An exchange can keep the window waiting on the simulator for seconds.
    const BusyCursor busy;
    commands_->BoardFuel();
}

void FrmMain::cmdReadPayload_Click() {
    const BusyCursor busy;
    commands_->ReadPayload();
}

void FrmMain::cmdExit_Click() {
    close();
}

// ---------------------------------------------------------------------------
// The planner's view of the window.

int FrmMain::Selection(Choice choice) const {
    return List(choice)->currentIndex();
}

std::string FrmMain::Text(Field field) const {
    return FieldEdit(field)->text().toStdString();
}

void FrmMain::SetText(Field field, const std::string& text) {
    QLineEdit* edit = FieldEdit(field);
    const QString value = QString::fromStdString(text);
    // The same text raises no change event and leaves the caret alone.
    if (edit->text() == value) {
        return;
    }
    if (!edit->hasFocus()) {
        edit->setText(value);
        return;
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
}

void FrmMain::SetOverLimit(Field field, bool over) {
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
