#pragma once

#include <QBuffer>
#include <QByteArray>
#include <QImage>

// An image of `width` by `height` pixels of one colour.
inline QImage solidImage(
    int width, int height, const QColor &color, QImage::Format format = QImage::Format_ARGB32)
{
    QImage image(width, height, format);
    image.fill(color);
    return image;
}

// The bytes of a file of `fileFormat` ("PNG", "JPEG", …) that holds `image`.
inline QByteArray encodedImage(const QImage &image, const char *fileFormat)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, fileFormat);
    return bytes;
}

// A PNG file's bytes: an image of `width` by `height` pixels of one colour.
inline QByteArray pngBytes(
    int width, int height, const QColor &color = Qt::blue, QImage::Format format = QImage::Format_ARGB32)
{
    return encodedImage(solidImage(width, height, color, format), "PNG");
}
