"""The toggle shortcut from any program: Ctrl+Shift+K stored for "toggleHUD"
drops the panel down on release and collapses it on the next."""

import unittest

import harness
from harness import CTRL_SHIFT_K, panel_gone, panel_shown
ERROR_LINE = "Error registering hotkey Ctrl+Shift+K: 10"


def start_with_toggle(s, value=CTRL_SHIFT_K):
    s.write_defaults({"GlobalShortcuts_toggleHUD": value})
    s.start_app()


class ToggleShortcut(unittest.TestCase):
    def test_release_shows_the_panel_and_the_next_hides_it(self):
        with harness.Session() as s:
            start_with_toggle(s)
            s.xdotool("keydown", "ctrl+shift+k")
            s.stays(lambda: panel_gone(s), "no panel while the keys are down")
            s.xdotool("keyup", "k", "keyup", "ctrl+shift")
            s.wait_for(lambda: panel_shown(s), "the panel after the release")
            s.xdotool("key", "ctrl+shift+k")
            s.wait_for(lambda: panel_gone(s), "the panel to go")
            self.assertNotIn("Error registering hotkey", s.app_log())
            self.assertEqual(s.stop_app(), 0, s.app_log())

    def test_other_combinations_do_nothing(self):
        with harness.Session() as s:
            start_with_toggle(s)
            s.xdotool("key", "ctrl+k", "key", "ctrl+shift+l", "key", "shift+k", "key", "super+shift+k")
            s.stays(lambda: panel_gone(s), "no panel")
            s.xdotool("key", "ctrl+shift+k")
            s.wait_for(lambda: panel_shown(s), "the panel")

    def test_it_works_with_num_lock_and_with_caps_lock_on(self):
        with harness.Session() as s:
            start_with_toggle(s)
            for lock in ("Num_Lock", "Caps_Lock"):
                s.xdotool("key", lock)
                s.xdotool("key", "ctrl+shift+k")
                s.wait_for(lambda: panel_shown(s), "the panel with %s on" % lock)
                s.xdotool("key", "ctrl+shift+k")
                s.wait_for(lambda: panel_gone(s), "the panel to go with %s on" % lock)
                s.xdotool("key", lock)

    def test_holding_the_keys_toggles_once(self):
        with harness.Session() as s:
            start_with_toggle(s)
            # A held key repeats its press; the release comes once, at the end.
            s.xdotool("keydown", "ctrl+shift+k", "keydown", "k", "keydown", "k", "keydown", "k")
            s.xdotool("keyup", "k", "keyup", "ctrl+shift")
            s.wait_for(lambda: panel_shown(s), "the panel")
            s.stays(lambda: panel_shown(s), "the panel staying down")
            self.assertEqual(s.app_log().count("Panel hidden"), 0, s.app_log())


class RefusedShortcuts(unittest.TestCase):
    def test_a_combination_another_client_holds_is_reported_once_and_the_program_goes_on(self):
        with harness.Session() as s:
            s.hold_key_grab("k", 4 | 1)
            start_with_toggle(s)
            s.wait_for(lambda: ERROR_LINE in s.app_log(), "the error line")
            s.xdotool("key", "ctrl+shift+k")
            s.stays(lambda: panel_gone(s), "no panel")
            self.assertEqual(s.app_log().count(ERROR_LINE), 1, s.app_log())
            self.assertIsNone(s.app.poll(), s.app_log())
            self.assertEqual(s.stop_app(), 0, s.app_log())

    def test_a_stored_shortcut_x_cannot_express_is_refused_and_the_program_goes_on(self):
        with harness.Session() as s:
            start_with_toggle(s, '{"carbonKeyCode":70000,"carbonModifiers":256}')
            s.wait_for(lambda: "Error registering hotkey Ctrl+\ufffd: -1" in s.app_log(), "the error line")
            self.assertIsNone(s.app.poll(), s.app_log())
            self.assertEqual(s.stop_app(), 0, s.app_log())


if __name__ == "__main__":
    harness.main()
