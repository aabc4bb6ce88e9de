#include "gui/StretchedPicture.h"

#include <QBuffer>
#include <QFile>
#include <QImageReader>
#include <QPainter>

#include "platform/textfile.h"

namespace varnok {

QImage readPictureFile(const QString &path, QString &reason)
{
    std::string bytes;
    if (const Status read = readFileBytes(QFile::encodeName(path).toStdString(), bytes); !read) {
        reason = QString::fromStdString(read.reason());
        return {};
    }
    QByteArray data(bytes.data(), static_cast<qsizetype>(bytes.size()));
    QBuffer buffer(&data);
    QImageReader reader(&buffer);
    QImage image = reader.read();
    if (image.isNull())
        reason = reader.errorString();
    return image;
}

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
