#include "window/frmmain.h"

FrmMain::FrmMain(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(QStringLiteral("Boeing Tarnwell"));
    setFixedSize(510, 469);
}
