#pragma once

#include <QBuffer>
#include <QByteArray>
#include <QImage>

// A PNG file's bytes: a blue image of `width` by `height` pixels.
inline QByteArray pngBytes(int width, int height)
{
    QImage image(width, height, QImage::Format_ARGB32);
    image.fill(Qt::blue);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}
