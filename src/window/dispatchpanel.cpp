#include "window/dispatchpanel.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace tarnwell::window {
namespace {

constexpr int ColumnCount = 4;
const QColor BeyondTolerance(192, 0, 0);

QPushButton* Button(const char* name, const QString& caption, QWidget* parent) {
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(QLatin1String(name));
    return button;
}

QLabel* WrappedLabel(const char* name, QWidget* parent) {
    auto* label = new QLabel(parent);
    label->setObjectName(QLatin1String(name));
    label->setWordWrap(true);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    return label;
}

}  // namespace

QString DroppedFile(const QMimeData* data) {
    if (!data || !data->hasUrls() || data->urls().size() != 1 ||
        !data->urls().front().isLocalFile()) {
        return {};
    }
    return data->urls().front().toLocalFile();
}

DispatchPanel::DispatchPanel(QWidget* planner) : QWidget(planner, Qt::Tool) {
    setObjectName(QStringLiteral("frmDispatch"));
    setWindowTitle(QStringLiteral("Dispatch Plan - Tarnwell"));
    setAcceptDrops(true);

    auto* source = new QGroupBox(QStringLiteral("From SimBrief or a saved flight plan"), this);
    txtSimBriefUser_ = new QLineEdit(source);
    txtSimBriefUser_->setObjectName(QStringLiteral("txtSimBriefUser"));
    txtSimBriefUser_->setAccessibleName(QStringLiteral("SimBrief user name or Pilot ID"));
    txtSimBriefUser_->setMaxLength(64);
    txtSimBriefUser_->setPlaceholderText(QStringLiteral("user name or Pilot ID"));
    auto* userLabel = new QLabel(QStringLiteral("SimBrief &user:"), source);
    userLabel->setBuddy(txtSimBriefUser_);
    cmdFetchDispatch_ = Button("cmdFetchDispatch", QStringLiteral("&Fetch from SimBrief"), source);
    cmdOpenDispatch_ = Button("cmdOpenDispatch", QStringLiteral("&Open OFP File..."), source);
    auto* sourceRow = new QHBoxLayout;
    sourceRow->addWidget(userLabel);
    sourceRow->addWidget(txtSimBriefUser_, 1);
    sourceRow->addWidget(cmdFetchDispatch_);
    auto* sourceLayout = new QVBoxLayout(source);
    sourceLayout->addLayout(sourceRow);
    auto* openRow = new QHBoxLayout;
    openRow->addWidget(new QLabel(QStringLiteral("or drop an OFP file here:"), source));
    openRow->addStretch(1);
    openRow->addWidget(cmdOpenDispatch_);
    sourceLayout->addLayout(openRow);

    lblDispatchPlan_ = WrappedLabel("lblDispatchPlan", this);
    lblDispatchPlan_->setText(QStringLiteral("No dispatch plan loaded."));
    lblDispatchNotes_ = WrappedLabel("lblDispatchNotes", this);

    tblDispatchCheck_ = new QTableWidget(dispatch::CheckRowCount, ColumnCount, this);
    tblDispatchCheck_->setObjectName(QStringLiteral("tblDispatchCheck"));
    tblDispatchCheck_->setAccessibleName(QStringLiteral("Dispatch plan against Tarnwell's plan"));
    tblDispatchCheck_->setHorizontalHeaderLabels(
        {QStringLiteral("Dispatch"), QStringLiteral("Tarnwell"), QStringLiteral("Difference"),
         QStringLiteral("%")});
    tblDispatchCheck_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    tblDispatchCheck_->setSelectionMode(QAbstractItemView::NoSelection);
    tblDispatchCheck_->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    tblDispatchCheck_->verticalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    tblDispatchCheck_->setSizeAdjustPolicy(QAbstractScrollArea::AdjustToContents);
    lblDispatchTolerance_ = WrappedLabel("lblDispatchTolerance", this);

    cmdBoardDispatchFuel_ =
        Button("cmdBoardDispatchFuel", QStringLiteral("Board &Dispatch Fuel"), this);
    auto* close = Button("cmdCloseDispatch", QStringLiteral("Close"), this);
    auto* commands = new QHBoxLayout;
    commands->addWidget(cmdBoardDispatchFuel_);
    commands->addStretch(1);
    commands->addWidget(close);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(source);
    layout->addWidget(lblDispatchPlan_);
    layout->addWidget(lblDispatchNotes_);
    layout->addWidget(tblDispatchCheck_);
    layout->addWidget(lblDispatchTolerance_);
    layout->addLayout(commands);
    resize(520, 460);
    SetBoardable(false);

    connect(cmdFetchDispatch_, &QPushButton::clicked, this, &DispatchPanel::FetchClicked);
    connect(txtSimBriefUser_, &QLineEdit::returnPressed, this, &DispatchPanel::FetchClicked);
    connect(cmdOpenDispatch_, &QPushButton::clicked, this, &DispatchPanel::OpenFileClicked);
    connect(cmdBoardDispatchFuel_, &QPushButton::clicked, this, &DispatchPanel::BoardClicked);
    connect(close, &QPushButton::clicked, this, &QWidget::hide);
}

QString DispatchPanel::User() const {
    return txtSimBriefUser_->text().trimmed();
}

void DispatchPanel::SetUser(const QString& user) {
    txtSimBriefUser_->setText(user);
}

void DispatchPanel::ShowImport(const std::string& name, const std::vector<std::string>& notes) {
    lblDispatchPlan_->setText(QStringLiteral("Loaded: ") + QString::fromStdString(name));
    QStringList lines;
    for (const std::string& note : notes) {
        lines << QString::fromStdString(note);
    }
    lblDispatchNotes_->setText(lines.join(QLatin1Char('\n')));
}

void DispatchPanel::ShowRows(const std::array<dispatch::CheckRow, dispatch::CheckRowCount>& rows,
                             const std::string& toleranceText) {
    for (int r = 0; r < static_cast<int>(rows.size()); ++r) {
        const dispatch::CheckRow& row = rows[static_cast<std::size_t>(r)];
        // Beyond the tolerance is said by a mark as well as by colour.
        const QString mark = row.beyondTolerance ? QStringLiteral("! ") : QString();
        tblDispatchCheck_->setVerticalHeaderItem(
            r, new QTableWidgetItem(QString::fromStdString(row.label)));
        const std::array<QString, ColumnCount> cells{
            QString::fromStdString(row.dispatch), QString::fromStdString(row.planner),
            mark + QString::fromStdString(row.difference), QString::fromStdString(row.percent)};
        for (int c = 0; c < ColumnCount; ++c) {
            auto* item = new QTableWidgetItem(cells[static_cast<std::size_t>(c)]);
            item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            if (row.beyondTolerance && c >= 2) {
                item->setForeground(BeyondTolerance);
                QFont bold = item->font();
                bold.setBold(true);
                item->setFont(bold);
            }
            tblDispatchCheck_->setItem(r, c, item);
        }
    }
    lblDispatchTolerance_->setText(QString::fromStdString(toleranceText));
}

void DispatchPanel::SetBoardable(bool boardable) {
    boardable_ = boardable;
    cmdBoardDispatchFuel_->setEnabled(boardable && cmdFetchDispatch_->isEnabled());
}

void DispatchPanel::SetCommandsEnabled(bool enabled) {
    for (QWidget* control :
         {static_cast<QWidget*>(txtSimBriefUser_), static_cast<QWidget*>(cmdFetchDispatch_),
          static_cast<QWidget*>(cmdOpenDispatch_)}) {
        control->setEnabled(enabled);
    }
    cmdBoardDispatchFuel_->setEnabled(enabled && boardable_);
    setAcceptDrops(enabled);
}

void DispatchPanel::Open() {
    show();
    raise();
    activateWindow();
    if (User().isEmpty()) {
        txtSimBriefUser_->setFocus();
    }
}

void DispatchPanel::keyPressEvent(QKeyEvent* event) {
    // Escape closes the panel, as it would a dialog.
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        hide();
        return;
    }
    QWidget::keyPressEvent(event);
}

void DispatchPanel::dragEnterEvent(QDragEnterEvent* event) {
    if (!DroppedFile(event->mimeData()).isEmpty()) {
        event->acceptProposedAction();
    }
}

void DispatchPanel::dropEvent(QDropEvent* event) {
    const QString path = DroppedFile(event->mimeData());
    if (!path.isEmpty()) {
        event->acceptProposedAction();
        emit FileDropped(path);
    }
}

}  // namespace tarnwell::window
