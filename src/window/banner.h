#pragma once

#include <QFrame>
#include <QPixmap>

#include <map>

namespace tarnwell::window {

// The picture across the top of the planner window: the aircraft seen
// head-on, 500 x 115 pixels inside a two-pixel sunken border. The window
// lays the three tank quantity displays over it; the artwork puts the wings
// and the centre section under them.
//
// The picture is built in at 1x and 2x (rendered from the vector artwork
// while building): 1x on ordinary screens, 2x on high-density ones, and the
// 2x picture scaled smoothly in between; each ratio is made once and kept.
class Banner : public QFrame {
    Q_OBJECT

public:
    static constexpr int PictureWidth = 500;
    static constexpr int PictureHeight = 115;
    static constexpr int BorderWidth = 2;

    explicit Banner(QWidget* parent = nullptr);

    // The picture for the given device pixel ratio: PictureWidth x
    // PictureHeight device-independent pixels, carrying that ratio.
    QPixmap Picture(qreal ratio);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    std::map<qreal, QPixmap> pictures_;
};

}  // namespace tarnwell::window
