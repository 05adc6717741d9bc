"""The dark look as a person sees it: the settings form (top and footer) and the panel
with an opened clipboard entry, saved as screenshots in the build folder to be looked
at by eye; the colours themselves are checked by the unit tests' contrast table."""

import os
import unittest

import harness
from harness import CTRL_SHIFT_K, build_dir, panel_shown

CHEVRON = (693, 103)  # of the first clipboard row


class DarkLook(unittest.TestCase):
    def test_the_settings_form_and_the_panel_in_the_dark_look(self):
        with harness.Session() as s:
            s.start_tray()
            s.write_defaults({"appearanceMode": "dark", "GlobalShortcuts_toggleHUD": CTRL_SHIFT_K})
            s.start_app()
            s.copy_into_store("An entry copied a while ago, long enough to open up")
            s.xdotool("key", "ctrl+shift+k")
            s.wait_for(lambda: panel_shown(s), "the panel")
            s.xdotool("mousemove", *CHEVRON, "click", 1)  # opened: its Copy button shows
            s.still_screenshot(os.path.join(build_dir(), "panel-dark.png"))
            s.xdotool("key", "Escape")
            s.open_settings()
            s.still_screenshot(os.path.join(build_dir(), "settings-dark.png"))
            # Down to the footer and its link to the site.
            s.xdotool("mousemove", 720, 500, "click", "--repeat", "20", "5")
            s.still_screenshot(os.path.join(build_dir(), "settings-dark-footer.png"))
            self.assertEqual(s.stop_app(), 0, s.app_log())


if __name__ == "__main__":
    harness.main()
