#include "window/loadsheetwindow.h"

#include <QApplication>
#include <QClipboard>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QPainter>
#include <QPushButton>
#include <QVBoxLayout>

#include "window/loadsheetfiles.h"
#include "window/loadsheetpainter.h"

namespace tarnwell::window {

LoadSheetView::LoadSheetView(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("picLoadSheet"));
    setAccessibleName(QStringLiteral("Load sheet picture"));
    setMinimumSize(500, 320);
    // The picture fills the whole view: nothing beneath it needs clearing.
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void LoadSheetView::Show(loadsheet::LoadSheet sheet) {
    const loadsheet::SheetParts changed = loadsheet::ChangedParts(sheet_, sheet);
    sheet_ = std::move(sheet);
    // Only the parts whose figures changed, a keystroke's weights say: a
    // whole sheet's picture costs more than the keystroke itself.
    for (std::size_t i = 0; i < loadsheet::SheetPartCount; ++i) {
        if (changed[i]) {
            // A pixel more each way for the smoothed edges of the text.
            update(SheetPartArea(loadsheet::SheetPart(i), QRectF(rect()))
                       .toAlignedRect()
                       .adjusted(-1, -1, 1, 1));
        }
    }
}

void LoadSheetView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    PaintLoadSheet(painter, QRectF(rect()), sheet_, ColoursFor(palette()), &texts_);
}

LoadSheetWindow::LoadSheetWindow(QWidget* planner, MessagePresenter fail,
                                 std::function<void()> refresh)
    : QWidget(planner, Qt::Window),
      view_(new LoadSheetView(this)),
      refresh_(new QPushButton(QStringLiteral("&Refresh"), this)),
      fail_(std::move(fail)) {
    setObjectName(QStringLiteral("frmLoadSheet"));
    setWindowTitle(QStringLiteral("Load Sheet - Tarnwell"));
    const auto button = [this](const char* name, const QString& caption) {
        auto* made = new QPushButton(caption, this);
        made->setObjectName(QLatin1String(name));
        return made;
    };
    QPushButton* pdf = button("cmdSavePdf", QStringLiteral("Save as &PDF..."));
    QPushButton* png = button("cmdSavePng", QStringLiteral("Save as P&NG..."));
    QPushButton* text = button("cmdCopyText", QStringLiteral("&Copy as Text"));
    QPushButton* close = button("cmdCloseLoadSheet", QStringLiteral("Close"));
    refresh_->setObjectName(QStringLiteral("cmdRefreshAircraft"));
    refresh_->setToolTip(QStringLiteral("Read what the aircraft in the simulator holds now"));
    auto* commands = new QHBoxLayout;
    for (QPushButton* command : {refresh_, pdf, png, text}) {
        commands->addWidget(command);
    }
    commands->addStretch(1);
    commands->addWidget(close);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(view_, 1);
    layout->addLayout(commands);
    resize(900, 640);

    connect(pdf, &QPushButton::clicked, this,
            [this] { ChooseAndSave(QStringLiteral("PDF (*.pdf)"), QStringLiteral("pdf")); });
    connect(png, &QPushButton::clicked, this, [this] {
        ChooseAndSave(QStringLiteral("PNG picture (*.png)"), QStringLiteral("png"));
    });
    connect(text, &QPushButton::clicked, this, &LoadSheetWindow::CopyAsText);
    connect(refresh_, &QPushButton::clicked, this, std::move(refresh));
    connect(close, &QPushButton::clicked, this, &QWidget::hide);
}

void LoadSheetWindow::Show(loadsheet::LoadSheet sheet) {
    view_->Show(std::move(sheet));
}

void LoadSheetWindow::Open() {
    show();
    raise();
    activateWindow();
}

void LoadSheetWindow::SaveAs(const QString& path) {
    const std::string failure = WriteLoadSheet(path, view_->Sheet(), PrintedNow());
    if (!failure.empty()) {
        fail_(failure);
    }
}

void LoadSheetWindow::ChooseAndSave(const QString& filter, const QString& ending) {
    QString path = QFileDialog::getSaveFileName(this, QStringLiteral("Save the load sheet"),
                                                QStringLiteral("loadsheet.") + ending, filter);
    if (path.isEmpty()) {
        return;
    }
    if (!path.endsWith(QLatin1Char('.') + ending, Qt::CaseInsensitive)) {
        path += QLatin1Char('.') + ending;
    }
    SaveAs(path);
}

void LoadSheetWindow::CopyAsText() {
    QApplication::clipboard()->setText(
        QString::fromStdString(loadsheet::LoadSheetText(view_->Sheet(), PrintedNow())));
}

}  // namespace tarnwell::window
