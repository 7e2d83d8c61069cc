#include <QApplication>

#include "window/frmmain.h"

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    FrmMain window;
    window.show();
    return app.exec();
}
