#include "markdown/theme/relativesize.h"

#include "markdown/theme/fontproperties.h"

#include <QHashFunctions>

#include <cmath>

const RelativeSize &RelativeSize::zero()
{
    static const RelativeSize zero = rem(0);
    return zero;
}

double RelativeSize::points(const FontProperties *properties) const
{
    static const FontProperties defaults;
    const FontProperties &p = properties ? *properties : defaults;
    const double base = unit == Unit::Rem ? p.size : std::round(p.size * p.scale);
    return std::round(base * value);
}

double RelativeSize::points(const std::optional<FontProperties> &properties) const
{
    return points(properties ? &*properties : nullptr);
}

std::optional<double> pointsOf(const std::optional<RelativeSize> &size, const FontProperties *properties)
{
    if (!size)
        return std::nullopt;
    return size->points(properties);
}

size_t qHash(const RelativeSize &size, size_t seed)
{
    QtPrivate::QHashCombine combine;
    // 0.0 and -0.0 are equal values and must hash alike.
    seed = combine(seed, size.value == 0 ? 0.0 : size.value);
    return combine(seed, int(size.unit));
}
