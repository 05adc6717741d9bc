#pragma once

#include "ui/color.h"
#include "ui/view.h"

#include <QHashFunctions>

// The older whole-document style, kept so that code naming it still builds. Nothing
// offers a way to make one any more (its initialisers, preset fonts and heading scales
// are gone), and markdownStyle() accepts one and changes nothing; a value can only be
// copied from one already at hand.
class MarkdownStyle
{
public:
    // Holds nothing: all values are equal, and none feeds anything to a hash.
    template<class Tag> class Empty
    {
    public:
        friend bool operator==(const Empty &, const Empty &) = default;
        friend size_t qHash(const Empty &, size_t seed = 0) noexcept { return seed; }
    };
    struct FontTag;
    struct HeadingScalesTag;
    using Font = Empty<FontTag>;
    using HeadingScales = Empty<HeadingScalesTag>;

    class Measurements
    {
    public:
        double codeFontScale = 0;
        double headIndentStep = 0;
        double tailIndentStep = 0;
        double paragraphSpacing = 0;
        double listMarkerSpacing = 0;
        HeadingScales headingScales;
        double headingSpacing = 0;

        // The six numbers decide: heading scales are always equal.
        friend bool operator==(const Measurements &, const Measurements &) = default;
        friend size_t qHash(const Measurements &measurements, size_t seed = 0) noexcept
        {
            return qHashMulti(seed, measurements.codeFontScale, measurements.headIndentStep,
                measurements.tailIndentStep, measurements.paragraphSpacing, measurements.listMarkerSpacing,
                measurements.headingSpacing);
        }

    private:
        friend class MarkdownStyle;
        Measurements() = default;
    };

    const Font &font() const { return m_font; }
    const ui::Color &foregroundColor() const { return m_foregroundColor; }
    void setForegroundColor(const ui::Color &color) { m_foregroundColor = color; }
    const Measurements &measurements() const { return m_measurements; }
    void setMeasurements(const Measurements &measurements) { m_measurements = measurements; }

    // The colour and the measurements decide: fonts are always equal.
    friend bool operator==(const MarkdownStyle &, const MarkdownStyle &) = default;
    friend size_t qHash(const MarkdownStyle &style, size_t seed = 0) noexcept
    {
        return qHashMulti(seed, style.m_foregroundColor, style.m_measurements);
    }

private:
    // Only the library's own code makes values (markdownstyle_p.h).
    friend MarkdownStyle blankMarkdownStyle();
    MarkdownStyle() = default;

    Font m_font;
    ui::Color m_foregroundColor;
    Measurements m_measurements;
};

// The older way of saying where a document's images come from, kept in name only so
// that code naming it still builds: it holds nothing, and nothing makes one any more
// (its remote and asset handlers are gone; image providers took their place).
class MarkdownImageHandler
{
private:
    MarkdownImageHandler() = default;
};

// Accepted so that code written against the older styling still builds; the view is
// returned unchanged, whatever the style.
ui::ViewModifier markdownStyle(const MarkdownStyle &style);
