#include "window/plannerwidgets.h"

#include <QComboBox>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QList>
#include <QPushButton>
#include <QRadioButton>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "window/banner.h"
#include "window/twips.h"

namespace tarnwell::window {

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
    // Where the built control goes: a list or a text field.
    QComboBox* PlannerWidgets::*list = nullptr;
    QLineEdit* PlannerWidgets::*edit = nullptr;
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
             {"Label17", "Cruising Altitude:", "cboCruisingAlt", Kind::List, nullptr, nullptr,
              &PlannerWidgets::cboCruisingAlt},
             {"Label1", "Trip Distance:", "cboTripDistance", Kind::List, "Label21", "n.m.",
              &PlannerWidgets::cboTripDistance},
             {"Label35", "Extra Distance to Alternate:", "cboAlternateDistance", Kind::List,
              "Label34", "n.m.", &PlannerWidgets::cboAlternateDistance},
             {"Label2",
              "Forecast",
              "txtHeadwind",
              Kind::Wind,
              "Label18",
              "kts.",
              {},
              &PlannerWidgets::txtHeadwind},
             {"Label15",
              "Wind Component Adjustment:",
              "txtWindAdj",
              Kind::Output,
              "Label19",
              "n.m.",
              {},
              &PlannerWidgets::txtWindAdj},
             {"Label3",
              "Total Nautical Air Miles:",
              "txtTotalNAM",
              Kind::Output,
              "Label20",
              "n.m.",
              {},
              &PlannerWidgets::txtTotalNAM},
         }},
        {"fraFuel",
         "Fuel",
         TwipRect(4215, 1920, 3375, 2475),
         1695,
         {
             {"Label9",
              "Alternate Fuel:",
              "txtAlternateFuel",
              Kind::Output,
              "lblUnits_6",
              "lbs.",
              {},
              &PlannerWidgets::txtAlternateFuel},
             {"Label10",
              "Holding Fuel:",
              "txtHoldingFuel",
              Kind::Entry,
              "lblUnits_7",
              "lbs.",
              {},
              &PlannerWidgets::txtHoldingFuel},
             {"Label11",
              "Minimum Landing Fuel:",
              "txtMinimumFuel",
              Kind::Entry,
              "lblUnits_8",
              "lbs.",
              {},
              &PlannerWidgets::txtMinimumFuel},
             {"Label12",
              "Enroute Fuel Burn:",
              "txtEnrouteFuel",
              Kind::Output,
              "lblUnits_9",
              "lbs.",
              {},
              &PlannerWidgets::txtEnrouteFuel},
             {"Label13",
              "Taxi Fuel:",
              "txtTaxiFuel",
              Kind::Entry,
              "lblUnits_10",
              "lbs.",
              {},
              &PlannerWidgets::txtTaxiFuel},
             {"Label14",
              "Total Fuel at Taxi:",
              "txtTotalFuel",
              Kind::Output,
              "lblUnits_11",
              "lbs.",
              {},
              &PlannerWidgets::txtTotalFuel},
         }},
        {"fraWeights",
         "Weights",
         TwipRect(60, 4485, 3975, 2475),
         2295,
         {
             {"Label4",
              "Basic Operating Weight:",
              "txtBOW",
              Kind::Output,
              "lblUnits_0",
              "lbs.",
              {},
              &PlannerWidgets::txtBOW},
             {"Label5",
              "Payload (PAX + Cargo) Weight:",
              "txtPayload",
              Kind::Entry,
              "lblUnits_1",
              "lbs.",
              {},
              &PlannerWidgets::txtPayload},
             {"Label6",
              "Zero Fuel Weight:",
              "txtZFW",
              Kind::Output,
              "lblUnits_2",
              "lbs.",
              {},
              &PlannerWidgets::txtZFW},
             {"Label8",
              "Planned Landing Weight:",
              "txtPLW",
              Kind::Output,
              "lblUnits_3",
              "lbs.",
              {},
              &PlannerWidgets::txtPLW},
             {"Label7",
              "Planned Gross Takeoff Weight:",
              "txtGTOW",
              Kind::Output,
              "lblUnits_4",
              "lbs.",
              {},
              &PlannerWidgets::txtGTOW},
             {"Label16",
              "Planned Taxi-Out Weight",
              "txtTaxiWeight",
              Kind::Output,
              "lblUnits_5",
              "lbs.",
              {},
              &PlannerWidgets::txtTaxiWeight},
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

template <typename Widget>
struct Placed {
    const char* name;
    const char* text;
    QRect rect;
    Widget* PlannerWidgets::*slot;
};

// Option buttons inside frmAircraft, two by two.
// In model order: optModel[0] is the 737-600.
const Placed<QRadioButton> ModelButtons[] = {
    {"optModel600", "Boeing 737-600", TwipRect(120, 270, 1560, 285), nullptr},
    {"optModel700", "Boeing 737-700", TwipRect(1740, 270, 1560, 285), nullptr},
    {"optModel800", "Boeing 737-800", TwipRect(120, 600, 1560, 285), nullptr},
    {"optModel900", "Boeing 737-900", TwipRect(1740, 600, 1560, 285), nullptr},
};

const Placed<QPushButton> CommandButtons[] = {
    {"cmdOperatingLimits", "Operating Limitations", TwipRect(4200, 5625, 1815, 375),
     &PlannerWidgets::cmdOperatingLimits},
    {"cmdReadPayload", "Read Payload Weight", TwipRect(4200, 6090, 1815, 375),
     &PlannerWidgets::cmdReadPayload},
    {"cmdBoardFuel", "&Board Fuel", TwipRect(4200, 6570, 1815, 375), &PlannerWidgets::cmdBoardFuel},
    {"cmdAbout", "About", TwipRect(6120, 6090, 1455, 375), &PlannerWidgets::cmdAbout},
    {"cmdExit", "E&xit", TwipRect(6120, 6570, 1455, 375), &PlannerWidgets::cmdExit},
};

// The tank displays over the banner. The aircraft is seen from the front,
// so the right wing's tank is on the viewer's left.
const Placed<QLineEdit> TankDisplays[] = {
    {"txtRightTank", "Right main tank fuel", TwipRect(1200, 960, 1095, 180),
     &PlannerWidgets::txtRightTank},
    {"txtCenterTank", "Center tank fuel", TwipRect(3240, 1200, 1215, 180),
     &PlannerWidgets::txtCenterTank},
    {"txtLeftTank", "Left main tank fuel", TwipRect(5280, 960, 1095, 180),
     &PlannerWidgets::txtLeftTank},
};

// The wind speed field takes digits only; the direction is the list
// beside it.
constexpr const char* HeadwindToolTip =
    "Wind speed in knots. Choose Headwind or Tailwind in the list to the left.";

const QColor ReadOnlyBackground(192, 192, 192);
const QColor TankBackground(224, 224, 224);
const QColor TankText(0, 0, 255);

// ---------------------------------------------------------------------------
// Building the controls.

template <typename Widget>
Widget* Make(QWidget* parent, const char* name, const QRect& rect) {
    auto* widget = new Widget(parent);
    widget->setObjectName(QLatin1String(name));
    widget->setGeometry(rect);
    return widget;
}

// A field's accessible name is its caption without the closing colon.
QString AccessibleName(const char* caption) {
    QString name = QLatin1String(caption);
    if (name.endsWith(QLatin1Char(':'))) {
        name.chop(1);
    }
    return name;
}

QLabel* MakeLabel(QWidget* parent, PlannerWidgets& widgets, const char* name, const char* text,
                  const QRect& rect, Qt::Alignment alignment) {
    auto* label = Make<QLabel>(parent, name, rect);
    widgets.labels.push_back(label);
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

// The unit labels form a control array: lblUnits_N is element N.
QLabel*& UnitLabelSlot(PlannerWidgets& widgets, const char* name) {
    static constexpr std::string_view prefix = "lblUnits_";
    static QLabel* elsewhere = nullptr;  // the other unit labels are not kept
    const std::string_view label(name);
    if (label.substr(0, prefix.size()) != prefix) {
        return elsewhere;
    }
    return widgets.lblUnits.at(std::stoul(std::string(label.substr(prefix.size()))));
}

void BuildFrame(QWidget* window, const FrameLayout& layout, QObject* keyFilter,
                PlannerWidgets& widgets) {
    auto* frame = Make<QGroupBox>(window, layout.name, layout.rect);
    frame->setTitle(QLatin1String(layout.title));
    const int fieldLeft = CaptionLeft + layout.captionWidth;

    for (std::size_t i = 0; i < layout.rows.size(); ++i) {
        const Row& row = layout.rows[i];
        const int top = FirstRowTop + static_cast<int>(i) * RowPitch;
        const int captionWidth = row.kind == Kind::Wind ? WindCaptionWidth : layout.captionWidth;
        QLabel* caption =
            MakeLabel(frame, widgets, row.label, row.caption,
                      TwipRect(CaptionLeft, top, captionWidth, TextHeight), Qt::AlignRight);

        QWidget* field = nullptr;
        if (row.kind == Kind::List) {
            QComboBox* list =
                MakeList(frame, row.field, TwipRect(fieldLeft, top, FieldWidth, ListHeight));
            widgets.*row.list = list;
            field = list;
            field->setAccessibleName(AccessibleName(row.caption));
        } else {
            const bool editable = row.kind == Kind::Entry || row.kind == Kind::Wind;
            QLineEdit* edit = MakeField(frame, row.field,
                                        TwipRect(fieldLeft, top, FieldWidth, TextHeight), editable);
            widgets.*row.edit = edit;
            field = edit;
            if (editable && keyFilter != nullptr) {
                field->installEventFilter(keyFilter);
            }
            field->setAccessibleName(AccessibleName(row.caption));
        }
        caption->setBuddy(field);

        if (row.kind == Kind::Wind) {
            QComboBox* direction = MakeList(frame, "cboWindType",
                                            TwipRect(WindListLeft, top, WindListWidth, ListHeight));
            widgets.cboWindType = direction;
            direction->setAccessibleName(QStringLiteral("Forecast wind direction"));
            field->setAccessibleName(QStringLiteral("Forecast wind speed"));
            field->setToolTip(QLatin1String(HeadwindToolTip));
            caption->setBuddy(direction);
        }
        if (row.unitLabel != nullptr) {
            UnitLabelSlot(widgets, row.unitLabel) =
                MakeLabel(frame, widgets, row.unitLabel, row.unitCaption,
                          TwipRect(fieldLeft + FieldWidth + UnitGap, top, UnitWidth, TextHeight),
                          Qt::AlignLeft);
        }
    }
}

// The tank displays use the small bold terminal font of the original
// design; where that font is missing, a small bold fixed-pitch font.
QFont TankFont() {
    // Terminal where the system has it, the fixed-pitch font otherwise;
    // naming both lets the font matching choose without a separate look-up
    // of a family most systems lack.
    QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    font.setFamilies({QStringLiteral("Terminal"), font.family()});
    font.setPointSize(6);
    font.setBold(true);
    // Digits and a unit, like the other fields (below).
    font.setStyleStrategy(QFont::PreferNoShaping);
    return font;
}

// The three tank displays, in window coordinates: the banner goes beneath
// them when the window is dressed.
void BuildTankDisplays(QWidget* window, PlannerWidgets& widgets) {
    for (const Placed<QLineEdit>& tank : TankDisplays) {
        auto* display = Make<QLineEdit>(window, tank.name, tank.rect);
        widgets.*tank.slot = display;
        display->setText(QStringLiteral("0 lbs."));
        display->setReadOnly(true);
        display->setFocusPolicy(Qt::ClickFocus);
        display->setFrame(false);
        display->setAlignment(Qt::AlignCenter);
        display->setTextMargins(0, 0, 0, 0);
        display->setContentsMargins(0, 0, 0, 0);
        display->setAccessibleName(QLatin1String(tank.text));
        SetColor(display, QPalette::Base, TankBackground);
        SetColor(display, QPalette::Text, TankText);
    }
}

void BuildBanner(QWidget* window, const PlannerWidgets& widgets) {
    auto* banner = new Banner(window);
    banner->setGeometry(TwipRect(45, 75, 7560, 1785));
    banner->lower();
    const QFont font = TankFont();
    for (QLineEdit* display : {widgets.txtRightTank, widgets.txtCenterTank, widgets.txtLeftTank}) {
        display->setFont(font);
    }
}

void BuildAircraftFrame(QWidget* window, PlannerWidgets& widgets) {
    auto* frame = Make<QGroupBox>(window, "frmAircraft", TwipRect(4215, 4485, 3375, 1005));
    frame->setTitle(QStringLiteral("Aircraft"));
    for (std::size_t i = 0; i < widgets.optModel.size(); ++i) {
        const Placed<QRadioButton>& option = ModelButtons[i];
        widgets.optModel[i] = Make<QRadioButton>(frame, option.name, option.rect);
        widgets.optModel[i]->setText(QLatin1String(option.text));
    }
}

void BuildCommandArea(QWidget* window, PlannerWidgets& widgets) {
    for (const Placed<QPushButton>& command : CommandButtons) {
        widgets.*command.slot = Make<QPushButton>(window, command.name, command.rect);
        (widgets.*command.slot)->setText(QLatin1String(command.text));
    }
    QLabel* caption = MakeLabel(window, widgets, "Label36",
                                "Units:", TwipRect(6090, 5715, 465, 240), Qt::AlignRight);
    QComboBox* units = MakeList(window, "cboUnits", TwipRect(6600, 5655, 975, 315));
    widgets.cboUnits = units;
    units->setAccessibleName(QStringLiteral("Units"));
    caption->setBuddy(units);
}

// The layout was drawn for a compact 8-point font. The window uses the
// platform's own font at that size, in its narrow face where the family has
// one, and a little smaller where a caption would still not fit its label.
constexpr double DesignPointSize = 8.0;
constexpr double SmallestPointSize = 6.5;

QFont DesignFont(QFont font) {
    font.setStretch(QFont::SemiCondensed);
    font.setPointSizeF(DesignPointSize);
    return font;
}

// The window already has the design font; it is made smaller only when a
// caption does not fit its label at the design size.
void FitDesignFont(QWidget* window, const std::vector<QLabel*>& labels) {
    QFont font = window->font();
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
    if (font != window->font()) {
        window->setFont(font);
    }
}

}  // namespace

void SetColor(QWidget* widget, QPalette::ColorRole role, const QColor& color) {
    QPalette palette = widget->palette();
    palette.setColor(role, color);
    widget->setPalette(palette);
}

namespace {

// The order the design gives Tab: the trip, the entries, the models, then
// the command area, the wind type last.
void SetTabOrder(const PlannerWidgets& w) {
    const std::vector<QWidget*> order{
        w.cboCruisingAlt,     w.cboTripDistance, w.cboAlternateDistance, w.txtHeadwind,
        w.txtPayload,         w.txtHoldingFuel,  w.txtMinimumFuel,       w.txtTaxiFuel,
        w.optModel[0],        w.optModel[1],     w.optModel[2],          w.optModel[3],
        w.cmdOperatingLimits, w.cboUnits,        w.cmdReadPayload,       w.cmdAbout,
        w.cmdBoardFuel,       w.cmdExit,         w.cboWindType,
    };
    for (std::size_t i = 1; i < order.size(); ++i) {
        QWidget::setTabOrder(order[i - 1], order[i]);
    }
}

}  // namespace

PlannerWidgets BuildPlannerControls(QWidget* window, QObject* entryKeyFilter) {
    PlannerWidgets widgets;
    window->setFixedSize(Twips(ClientWidth), Twips(ClientHeight));
    BuildTankDisplays(window, widgets);
    for (const FrameLayout& frame : Frames()) {
        BuildFrame(window, frame, entryKeyFilter, widgets);
    }
    BuildAircraftFrame(window, widgets);
    BuildCommandArea(window, widgets);
    return widgets;
}

namespace {

// Off the Tab chain the design gives: its key is Ctrl+D, as its tooltip says.
void BuildDispatchButton(QWidget* window, PlannerWidgets& widgets) {
    auto* button = new QPushButton(QStringLiteral("Dispatch Plan..."), window);
    button->setObjectName(QStringLiteral("cmdDispatchPlan"));
    button->setGeometry(TwipRect(6060, 150, 1470, 330));
    button->setFocusPolicy(Qt::NoFocus);
    button->setToolTip(QStringLiteral(
        "Import a SimBrief dispatch plan and check it against this plan (Ctrl+D; Ctrl+O opens "
        "a plan file)"));
    button->raise();
    widgets.cmdDispatchPlan = button;

    auto* sheet = new QPushButton(QStringLiteral("Load Sheet..."), window);
    sheet->setObjectName(QStringLiteral("cmdLoadSheet"));
    sheet->setGeometry(TwipRect(120, 150, 1470, 330));
    sheet->setFocusPolicy(Qt::NoFocus);
    sheet->setToolTip(
        QStringLiteral("The plan as a load sheet, to keep as PDF, PNG or text (Ctrl+L)"));
    sheet->raise();
    widgets.cmdLoadSheet = sheet;
}

}  // namespace

PlannerWidgets BuildPlannerWidgets(QWidget* window, QObject* entryKeyFilter) {
    // The font is set before the controls exist, so that they are made in
    // it rather than told of a new font one by one.
    window->setFont(DesignFont(window->font()));
    PlannerWidgets widgets = BuildPlannerControls(window, entryKeyFilter);
    BuildBanner(window, widgets);
    FitDesignFont(window, widgets.labels);
    BuildDispatchButton(window, widgets);

    // The fields show digits, a sign, a point and a unit: Latin text that
    // looks the same unshaped. Every keystroke rewrites several of them, and
    // shaping was the larger part of each rewrite.
    for (QLineEdit* PlannerWidgets::*member : FieldMembers) {
        QLineEdit* field = widgets.*member;
        QFont font = field->font();
        if (font.styleStrategy() != QFont::PreferNoShaping) {
            font.setStyleStrategy(QFont::PreferNoShaping);
            field->setFont(font);
        }
    }
    SetTabOrder(widgets);
    return widgets;
}

std::vector<QWidget*> InputControls(const PlannerWidgets& widgets) {
    std::vector<QWidget*> controls{widgets.cboCruisingAlt,
                                   widgets.cboTripDistance,
                                   widgets.cboAlternateDistance,
                                   widgets.cboWindType,
                                   widgets.cboUnits,
                                   widgets.txtHeadwind,
                                   widgets.txtPayload,
                                   widgets.txtHoldingFuel,
                                   widgets.txtMinimumFuel,
                                   widgets.txtTaxiFuel,
                                   widgets.cmdOperatingLimits,
                                   widgets.cmdReadPayload,
                                   widgets.cmdBoardFuel,
                                   widgets.cmdAbout};
    controls.insert(controls.end(), widgets.optModel.begin(), widgets.optModel.end());
    return controls;
}

}  // namespace tarnwell::window
