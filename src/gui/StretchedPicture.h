#pragma once

#include <QImage>
#include <QWidget>

namespace varnok {

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
