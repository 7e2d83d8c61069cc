#pragma once

#include <QWidget>

// The planner's one window.
class FrmMain : public QWidget {
    Q_OBJECT

public:
    explicit FrmMain(QWidget* parent = nullptr);
};
