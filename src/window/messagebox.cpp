#include "window/messagebox.h"

#include <QApplication>
#include <QFontMetrics>
#include <QGridLayout>
#include <QMessageBox>
#include <QPushButton>
#include <QRegularExpression>
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

// The box's text as it is shown: plain line breaks, and every run without
// a blank longer than LongestWord cut, since the box only wraps at blanks
// and would otherwise take the run's whole width.
QString ShownText(const std::string& text) {
    QString shown = QString::fromStdString(text);
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    static const QRegularExpression longWord(QStringLiteral("\\S{%1,}").arg(LongestWord + 1));
    QRegularExpressionMatch match;
    for (qsizetype from = 0; (match = longWord.match(shown, from)).hasMatch();) {
        const qsizetype cutAt = match.capturedStart() + LongestWord;
        shown.replace(cutAt, match.capturedEnd() - cutAt, QStringLiteral("..."));
        from = cutAt + 3;
    }
    return shown;
}

// A box of the message, its title room laid in; the buttons are the
// caller's.
void Prepare(QMessageBox& box, const Message& message) {
    box.setIcon(BoxIcon(message.icon));
    box.setWindowTitle(QString::fromStdString(message.title));
    box.setTextFormat(Qt::PlainText);
    box.setText(ShownText(message.text));
    if (!message.details.empty()) {
        QString details = QString::fromStdString(message.details);
        details.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
        box.setDetailedText(details);
    }
    // The box sets its own fixed size from its layout's minimum, so the
    // title's room goes in as a spacer across the whole layout.
    if (auto* grid = qobject_cast<QGridLayout*>(box.layout())) {
        grid->addItem(new QSpacerItem(TitleBarWidth(box.windowTitle(), box), 0,
                                      QSizePolicy::Minimum, QSizePolicy::Fixed),
                      grid->rowCount(), 0, 1, grid->columnCount());
    }
}

}  // namespace

void ShowMessageBox(QWidget* parent, const Message& message) {
    QMessageBox box(parent);
    box.setStandardButtons(QMessageBox::Ok);
    Prepare(box, message);
    box.exec();
}

bool AskQuestionBox(QWidget* parent, const Question& question) {
    QMessageBox box(parent);
    QPushButton* proceed =
        box.addButton(QString::fromStdString(question.proceed), QMessageBox::AcceptRole);
    QPushButton* cancel = box.addButton(QMessageBox::Cancel);
    box.setDefaultButton(proceed);
    box.setEscapeButton(cancel);
    Prepare(box, question.message);
    box.exec();
    return box.clickedButton() == proceed;
}

}  // namespace tarnwell::window
