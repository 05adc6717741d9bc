#pragma once

#include "markdown/theme/blockmargin.h"
#include "markdown/theme/relativemodifiers.h"
#include "markdown/theme/textstyleattributesreader.h"
#include "markdown/theme/textstyles.h"
#include "markdown/theme/theme.h"

// The vocabulary the built-in themes are written in.
namespace builtin {

using Weight = FontProperties::Weight;

inline RelativeSize em(double value)
{
    return RelativeSize::em(value);
}

inline RelativeSize rem(double value)
{
    return RelativeSize::rem(value);
}

inline AnyTextStyle semibold()
{
    return FontWeight(Weight::Semibold);
}

inline AnyTextStyle monospaced()
{
    return FontFamilyVariant(FontProperties::FamilyVariant::Monospaced);
}

// Header cells are semibold; body cells get no style at all.
inline AnyTextStyle tableCellWeight(int row)
{
    return TextStyleBuilder::buildOptional(row == 0 ? std::optional<AnyTextStyle>(semibold()) : std::nullopt);
}

} // namespace builtin
