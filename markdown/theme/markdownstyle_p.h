#pragma once

#include "markdown/theme/markdownstyle.h"

// A style with a clear foreground and every measurement 0: the one way to make a value
// of the older style, which offers none of its own. For the library and its tests.
MarkdownStyle blankMarkdownStyle();
