#pragma once

#include <QWidget>
#include <functional>
#include <string>

#include "loadsheet/load_sheet.h"
#include "window/loadsheetpainter.h"

class QPushButton;

namespace tarnwell::window {

// The load sheet's picture, scaled to the widget.
class LoadSheetView : public QWidget {
public:
    explicit LoadSheetView(QWidget* parent);
    void Show(loadsheet::LoadSheet sheet);
    const loadsheet::LoadSheet& Sheet() const { return sheet_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    loadsheet::LoadSheet sheet_;
    LoadSheetTexts texts_;
};

// The load sheet in a window of its own beside the planner (on a second
// screen, say), following every change the planner shows, with the
// commands that keep it: a PDF, a PNG, the text for a chat or a form; and
// Refresh, which reads what the aircraft in the simulator holds now.
class LoadSheetWindow : public QWidget {
public:
    using MessagePresenter = std::function<void(const std::string& text)>;
    // `fail` tells the pilot what could not be saved; `refresh` runs the
    // planner's command that reads the aircraft.
    LoadSheetWindow(QWidget* planner, MessagePresenter fail, std::function<void()> refresh);

    void Show(loadsheet::LoadSheet sheet);
    void Open();
    LoadSheetView& View() { return *view_; }
    // Disabled with the planner's inputs while a simulator command runs.
    QPushButton& RefreshButton() { return *refresh_; }

    // Writes the sheet as the file's name ends: .pdf, .png or .txt.
    void SaveAs(const QString& path);

private:
    void ChooseAndSave(const QString& filter, const QString& ending);
    void CopyAsText();

    LoadSheetView* view_;
    QPushButton* refresh_;
    MessagePresenter fail_;
};

}  // namespace tarnwell::window
