#pragma once

#include <QtGlobal>

#include <optional>

class FontProperties;

// A length relative to the font in force where it is applied: em is relative to the
// scaled font size, rem to the unscaled root size. It becomes whole points only at
// layout time, against the font properties found there. Kept with the text styles
// rather than in the view layer: it resolves against FontProperties, which the view
// layer does not know.
struct RelativeSize
{
    enum class Unit { Em, Rem };

    double value = 0;
    Unit unit = Unit::Rem;

    static RelativeSize em(double value) { return { value, Unit::Em }; }
    static RelativeSize rem(double value) { return { value, Unit::Rem }; }
    // 0 rem.
    static const RelativeSize &zero();

    // round(base × value), halves away from zero; the base is the size for rem and the
    // rounded scaled size for em. Absent properties count as 13 points at scale 1.
    double points(const FontProperties *properties) const;
    double points(const std::optional<FontProperties> &properties) const;

    bool operator==(const RelativeSize &other) const { return value == other.value && unit == other.unit; }
};

size_t qHash(const RelativeSize &size, size_t seed = 0);

// An optional length in points: absent stays absent.
std::optional<double> pointsOf(const std::optional<RelativeSize> &size, const FontProperties *properties);
