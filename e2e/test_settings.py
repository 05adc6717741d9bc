"""The settings window as a person uses it: keys change what it shows, the
settings file keeps it, and the next start shows the same."""

import json
import os
import unittest

import harness

# The form's keyboard order, from the window's first Tab: Launch at login, the
# recorder (its own Tab hands on), Dismiss panel, Pull-down gesture, the theme
# (one stop: the arrows move within it), History depth.
TABS_TO_LAUNCH_AT_LOGIN = 1
TABS_TO_THEME = 5


def settings(s):
    try:
        with open(os.path.join(s.config_dir, "defaults.json")) as f:
            return json.load(f)
    except (OSError, ValueError):
        return {}


def tab(s, count):
    s.xdotool("key", *["Tab"] * count)


class SettingsForm(unittest.TestCase):
    def test_history_depth_and_theme_hold_across_a_restart(self):
        with harness.Session() as s:
            s.start_tray()
            s.start_app()
            s.open_settings()
            s.screenshot(os.path.join(s.tmp, "settings-light.png"))
            tab(s, TABS_TO_THEME)
            s.xdotool("key", "Right", "space")  # "Always Dark"
            s.wait_for(lambda: settings(s).get("appearanceMode") == "dark", "the dark theme stored")
            tab(s, 1)
            s.xdotool("key", "Up")
            s.wait_for(lambda: settings(s).get("historyLimit") == 250, "the history depth stored")
            s.screenshot(os.path.join(s.tmp, "settings-dark.png"))
            self.assertEqual(s.stop_app(), 0, s.app_log())

            s.start_app()
            s.open_settings()
            s.screenshot(os.path.join(s.tmp, "settings-again.png"))
            self.assertEqual(settings(s).get("historyLimit"), 250)
            self.assertEqual(settings(s).get("appearanceMode"), "dark")
            self.assertEqual(s.stop_app(), 0, s.app_log())

    def test_launch_at_login_writes_the_autostart_entry(self):
        with harness.Session() as s:
            s.start_tray()
            s.start_app()
            s.open_settings()
            entry = os.path.join(s.env["XDG_CONFIG_HOME"], "autostart", "quorvane.desktop")
            tab(s, TABS_TO_LAUNCH_AT_LOGIN)
            s.xdotool("key", "space")
            s.wait_for(lambda: os.path.exists(entry), "the autostart entry")
            with open(entry) as f:
                self.assertIn("Exec=%s\n" % harness.BINARY, f.read())
            s.xdotool("key", "space")
            s.wait_for(lambda: not os.path.exists(entry), "the entry to go")


if __name__ == "__main__":
    harness.main()
