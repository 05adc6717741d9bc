#pragma once

#include "markdown/theme/textstyle.h"

// The five text styles the inline renderers layer over a block's base style, taken from
// the theme's styles of the same names. Empty styles change nothing.
struct InlineTextStyles
{
    AnyTextStyle code;
    AnyTextStyle emphasis;
    AnyTextStyle strong;
    AnyTextStyle strikethrough;
    AnyTextStyle link; // applied to a link's children, before the link itself is set
};
