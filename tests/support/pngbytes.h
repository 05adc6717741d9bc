#pragma once

#include <QBuffer>
#include <QByteArray>
#include <QImage>

// A PNG file's bytes: an image of `width` by `height` pixels of one colour.
inline QByteArray pngBytes(
    int width, int height, const QColor &color = Qt::blue, QImage::Format format = QImage::Format_ARGB32)
{
    QImage image(width, height, format);
    image.fill(color);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}
