#pragma once

#include <QImage>
#include <QPainter>
#include <QWidget>

#include <utility>

namespace orvexa::test {

// A window without frame, left alone by the window manager, that shows an
// image: known pixels on the screen where it is moved.
class ImageWindow : public QWidget {
public:
    explicit ImageWindow(QImage image) : image_(std::move(image)) {
        setWindowFlags(Qt::FramelessWindowHint | Qt::X11BypassWindowManagerHint);
        setFixedSize(image_.size());
    }

protected:
    void paintEvent(QPaintEvent*) override { QPainter(this).drawImage(0, 0, image_); }

private:
    QImage image_;
};

}  // namespace orvexa::test
