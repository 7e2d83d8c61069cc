#include "window/messagebox.h"

#include <QMessageBox>
#include <QString>

namespace {

QMessageBox::Icon BoxIcon(tarnwell::plan::MessageIcon icon) {
    using tarnwell::plan::MessageIcon;
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

}  // namespace

void ShowMessageBox(QWidget* parent, const tarnwell::plan::Message& message) {
    QString text = QString::fromStdString(message.text);
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    QMessageBox box(BoxIcon(message.icon), QString::fromStdString(message.title), text,
                    QMessageBox::Ok, parent);
    box.setTextFormat(Qt::PlainText);
    box.exec();
}
