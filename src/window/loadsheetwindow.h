#pragma once

#include <QWidget>
#include <functional>
#include <string>

#include "loadsheet/load_sheet.h"

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
};

// The load sheet in a window of its own beside the planner (on a second
// screen, say), following every change the planner shows, with the
// commands that keep it: a PDF, a PNG, the text for a chat or a form.
class LoadSheetWindow : public QWidget {
public:
    using MessagePresenter = std::function<void(const std::string& text)>;
    // `fail` tells the pilot what could not be saved.
    LoadSheetWindow(QWidget* planner, MessagePresenter fail);

    void Show(loadsheet::LoadSheet sheet);
    void Open();
    LoadSheetView& View() { return *view_; }

    // Writes the sheet as the file's name ends: .pdf, .png or .txt.
    void SaveAs(const QString& path);

private:
    void ChooseAndSave(const QString& filter, const QString& ending);
    void CopyAsText();

    LoadSheetView* view_;
    MessagePresenter fail_;
};

}  // namespace tarnwell::window
