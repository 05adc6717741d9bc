#pragma once

// Whether the program may watch input globally (the pull-down gesture needs it).
// On X11 no permission exists to grant: the session is trusted when it offers
// XInput 2. Anywhere else (Wayland) it is not, and no prompt can change that.
namespace Accessibility {

bool isProcessTrusted();

} // namespace Accessibility
