#pragma once

#include <QImage>
#include <QWidget>

namespace varnok {

// Reads a picture file through the platform layer, which refuses a FIFO or a
// device at once instead of waiting on it. A null image when it cannot be
// read or is no picture; `reason` then says why.
QImage readPictureFile(const QString &path, QString &reason);

// A picture that fills its area, stretched.
class StretchedPicture : public QWidget {
    Q_OBJECT
public:
    explicit StretchedPicture(QWidget *parent) : QWidget(parent) {}
    void setPicture(const QImage &image);
    const QImage &picture() const { return image_; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QImage image_;
};

} // namespace varnok
