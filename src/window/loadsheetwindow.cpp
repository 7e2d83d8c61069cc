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
}

void LoadSheetView::Show(loadsheet::LoadSheet sheet) {
    sheet_ = std::move(sheet);
    update();
}

void LoadSheetView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    PaintLoadSheet(painter, QRectF(rect()), sheet_, ColoursFor(palette()));
}

LoadSheetWindow::LoadSheetWindow(QWidget* planner, MessagePresenter fail)
    : QWidget(planner, Qt::Window), view_(new LoadSheetView(this)), fail_(std::move(fail)) {
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
    auto* commands = new QHBoxLayout;
    for (QPushButton* command : {pdf, png, text}) {
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
