#pragma once

#include <QWidget>
#include <array>
#include <string>
#include <vector>

#include "dispatch/dispatch_check.h"

class QLabel;
class QMimeData;
class QLineEdit;
class QPushButton;
class QTableWidget;

namespace tarnwell::window {

// The dispatch plan beside the planner: where it comes from (SimBrief or a
// saved file), which plan is loaded with what its import rounded, its
// figures against the planner's, and boarding its block fuel. A window of
// its own, so the planner's form stays as it is; it only shows and asks,
// DispatchController decides.
class DispatchPanel : public QWidget {
    Q_OBJECT

public:
    explicit DispatchPanel(QWidget* planner);

    QString User() const;
    void SetUser(const QString& user);
    // Which plan is loaded and the notes its import left.
    void ShowImport(const std::string& name, const std::vector<std::string>& notes);
    void ShowRows(const std::array<dispatch::CheckRow, dispatch::CheckRowCount>& rows,
                  const std::string& toleranceText);
    // Board Dispatch Fuel has something to board.
    void SetBoardable(bool boardable);
    // The commands are unavailable while one of them runs.
    void SetCommandsEnabled(bool enabled);

    // Opens on top, ready for the user name when none is known yet.
    void Open();

signals:
    void FetchClicked();
    void OpenFileClicked();
    void BoardClicked();
    void FileDropped(const QString& path);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    QLineEdit* txtSimBriefUser_ = nullptr;
    QPushButton* cmdFetchDispatch_ = nullptr;
    QPushButton* cmdOpenDispatch_ = nullptr;
    QLabel* lblDispatchPlan_ = nullptr;
    QLabel* lblDispatchNotes_ = nullptr;
    QTableWidget* tblDispatchCheck_ = nullptr;
    QLabel* lblDispatchTolerance_ = nullptr;
    QPushButton* cmdBoardDispatchFuel_ = nullptr;
    bool boardable_ = false;
};

// The one local file a drag carries, if that is what it carries.
QString DroppedFile(const QMimeData* data);

}  // namespace tarnwell::window
