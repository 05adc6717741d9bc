#pragma once

#include <QHashFunctions>
#include <QUrl>

// What a network image view loads: an address and the bitmap's pixels per point.
struct ImageSource
{
    QUrl url;
    double scale = 1;

    bool operator==(const ImageSource &) const = default;
};

inline size_t qHash(const ImageSource &source, size_t seed = 0)
{
    return qHashMulti(seed, source.url, source.scale);
}
