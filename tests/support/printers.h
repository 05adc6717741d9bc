#pragma once

#include <QRectF>
#include <QString>
#include <QUrl>

#include <ostream>

// Readable failure messages: gtest prints Qt strings as text, not as bytes.
inline void PrintTo(const QString &text, std::ostream *out)
{
    *out << '"' << text.toStdString() << '"';
}

inline void PrintTo(const QUrl &url, std::ostream *out)
{
    *out << url.toString().toStdString();
}

inline void PrintTo(const QRectF &rect, std::ostream *out)
{
    *out << "QRectF(" << rect.x() << ", " << rect.y() << ", " << rect.width() << ", " << rect.height() << ')';
}
