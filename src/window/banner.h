#pragma once

#include <QFrame>
#include <QPixmap>

#include <map>

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
    static constexpr int kPictureWidth = 500;
    static constexpr int kPictureHeight = 115;
    static constexpr int kBorder = 2;

    explicit Banner(QWidget* parent = nullptr);

    // The picture for the given device pixel ratio: kPictureWidth x
    // kPictureHeight device-independent pixels, carrying that ratio.
    QPixmap picture(qreal ratio);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    std::map<qreal, QPixmap> pictures_;
};
