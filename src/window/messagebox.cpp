#include "window/messagebox.h"

#include <QApplication>
#include <QFontMetrics>
#include <QGridLayout>
#include <QMessageBox>
#include <QScreen>
#include <QSpacerItem>
#include <QString>
#include <algorithm>

namespace tarnwell::window {

namespace {

QMessageBox::Icon BoxIcon(MessageIcon icon) {
    switch (icon) {
        case MessageIcon::Information:
            return QMessageBox::Information;
        case MessageIcon::Exclamation:
            return QMessageBox::Warning;
        case MessageIcon::Critical:
            return QMessageBox::Critical;
        case MessageIcon::None:
            break;
    }
    return QMessageBox::NoIcon;
}

// The width the title bar needs to show the title whole: the title (title
// bars commonly use a bold face) beside the window's icon and up to three
// buttons, each about as wide as the bar is tall, and some padding. The box
// itself only measures its text, so a short text under a title of its own
// ("Read failed!" under "Error") got a bar that cut the title.
int TitleBarWidth(const QString& title, const QWidget& box) {
    QFont font = QApplication::font();
    font.setBold(true);
    const QFontMetrics metrics(font);
    const int button = metrics.height() + 10;
    int width = metrics.horizontalAdvance(title) + 4 * button + 2 * metrics.averageCharWidth();
    if (const QScreen* screen = box.screen()) {
        width = std::min(width, screen->availableGeometry().width() * 9 / 10);
    }
    return width;
}

}  // namespace

void ShowMessageBox(QWidget* parent, const Message& message) {
    QString text = QString::fromStdString(message.text);
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    QMessageBox box(BoxIcon(message.icon), QString::fromStdString(message.title), text,
                    QMessageBox::Ok, parent);
    box.setTextFormat(Qt::PlainText);
    // The box sets its own fixed size from its layout's minimum, so the
    // title's room goes in as a spacer across the whole layout.
    if (auto* grid = qobject_cast<QGridLayout*>(box.layout())) {
        grid->addItem(new QSpacerItem(TitleBarWidth(box.windowTitle(), box), 0,
                                      QSizePolicy::Minimum, QSizePolicy::Fixed),
                      grid->rowCount(), 0, 1, grid->columnCount());
    }
    box.exec();
}

}  // namespace tarnwell::window
