#include "gui/StretchedPicture.h"

#include <QPainter>

namespace varnok {

void StretchedPicture::setPicture(const QImage &image)
{
    image_ = image;
    update();
}

void StretchedPicture::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    if (!image_.isNull())
        painter.drawImage(rect(), image_);
}

} // namespace varnok
