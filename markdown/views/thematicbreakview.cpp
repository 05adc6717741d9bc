#include "markdown/views/thematicbreakview.h"

#include "markdown/theme/theme.h"

ui::View ThematicBreakView()
{
    return ui::EnvironmentReader(
        [](const ui::EnvironmentValues &env) { return env.get<ThemeKey>().thematicBreak().body(); });
}
