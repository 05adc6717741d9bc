"""Under a real window manager, which decides itself who gets the keyboard:
with another program's window focused, the hot key, the tray icon and the
pull-down gesture each drop the panel down with the keyboard in it: Escape
hides it, and a query typed into the search field narrows the clipboard
pane to the entry that Return then copies."""

import os
import unittest

import harness
from harness import CTRL_SHIFT_K, build_dir, panel_gone, panel_shown

ENTRIES = ["apple crumble for Sunday", "banana bread", "cherry pie"]


class WindowManager(unittest.TestCase):
    def trigger(self, s, how):
        """Brings the panel down by `how` and returns once it has the keyboard: the
        window manager gives it the focus in its own time, and keys typed before
        that reach the other program."""
        self.bring_down(s, how)
        panel = panel_window(s)
        s.wait_for(lambda: s.focused_window() == panel, "the panel to have the keyboard after the %s" % how)

    def bring_down(self, s, how):
        if how == "hot key":
            s.xdotool("key", "ctrl+shift+k")
        elif how == "tray":
            s.click_tray_icon()
        else:
            # Quick notches up the wheel at the top edge, until enough came in time
            # (a busy machine may space them out); extra ones only reach the desktop.
            s.xdotool("mousemove", 700, 0)

            def pull():
                if not panel_shown(s):
                    s.xdotool("click", "--repeat", 3, "--delay", 20, 4)
                return panel_shown(s)
            s.wait_for(pull, "the panel after the gesture")
            return
        s.wait_for(lambda: panel_shown(s), "the panel after the %s" % how)

    def from_another_program(self, s, other):
        """The user works in the other program: a click in it, a few keys. The panel
        is all gone first: the window manager hands the focus on as it unmaps."""
        s.wait_for(lambda: not s.window_ids("^Quorvane$"), "the panel unmapped")

        def clicked():
            if s.focused_window() != other:
                s.xdotool("mousemove", 700, 540, "click", 1)
            return s.focused_window() == other
        s.wait_for(clicked, "the other program to have the keyboard")
        s.xdotool("type", "ok")

    def test_every_trigger_gives_the_panel_the_keyboard(self):
        with harness.Session() as s:
            s.start_window_manager()
            s.start_tray()
            s.write_defaults({"GlobalShortcuts_toggleHUD": CTRL_SHIFT_K})
            s.start_app(debug_log=True)  # shows and hides in the log, should a step fail
            for text in ENTRIES:
                s.copy_into_store(text)
            other = s.other_window()

            for how, word, entry in (("hot key", "apple", ENTRIES[0]), ("tray", "banana", ENTRIES[1]),
                                     ("gesture", "cherry", ENTRIES[2])):
                with self.subTest(how):
                    self.from_another_program(s, other)
                    self.trigger(s, how)
                    s.xdotool("key", "Escape")
                    s.wait_for(lambda: panel_gone(s), "the panel to go on Escape after the %s" % how)

                    self.from_another_program(s, other)
                    self.trigger(s, how)
                    # Shift+Tab from the clipboard pane reaches the search field.
                    s.xdotool("key", "shift+Tab", "key", "ctrl+a", "type", "--delay", "20", word)
                    # The query narrows the pane once typing pauses: a still screen.
                    s.still_screenshot(os.path.join(build_dir(), "windowmanager-%s.png" % how.replace(" ", "-")))
                    s.xdotool("key", "Tab")
                    s.still_screenshot(os.path.join(s.tmp, "pane.png"))  # the pane has the keyboard
                    s.xdotool("key", "Return")
                    s.wait_for(lambda: s.clipboard() == entry.encode(), "%r copied back" % entry)
                    s.wait_for(lambda: panel_gone(s), "the panel to hide after the copy")
            self.assertEqual(s.stop_app(), 0, s.app_log())


def panel_window(s):
    return s.wait_for(lambda: [wid for wid, g in s.visible_windows("^Quorvane$") if g[3] > 100], "the panel")[0]


if __name__ == "__main__":
    harness.main()
