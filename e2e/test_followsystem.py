""""Follow System" on a desktop that publishes its light or dark preference: a
stand-in for the desktop's settings portal on the session's own bus, and the
panel's colour on the screen, at start and as the preference changes."""

import os
import subprocess
import unittest

import harness
from harness import CTRL_SHIFT_K, build_dir, panel_shown

PORTAL = os.path.join(os.path.dirname(os.path.abspath(__file__)), "settings_portal.py")
DARK, LIGHT = 1, 2  # as the portal says them
EMPTY_SPOT = (200, 150)  # of the panel's clipboard pane, with no history


def start_portal(s, preference, *options):
    portal = subprocess.Popen(["/usr/bin/python3", PORTAL, str(preference), *options], env=s.env,
                              stdin=subprocess.PIPE, stdout=subprocess.PIPE, text=True)
    s.extra.append(portal)
    if portal.stdout.readline().strip() != "ready":
        raise AssertionError("the stand-in portal did not start")
    return portal


def announce(portal, preference):
    portal.stdin.write("%d\n" % preference)
    portal.stdin.flush()
    if portal.stdout.readline().strip() != "changed":
        raise AssertionError("the stand-in portal did not announce the change")


def looks_dark(s):
    x, y = EMPTY_SPOT
    at = 3 * (y * 1440 + x)  # the session's screen is 1440 wide
    rgb = s.screen_pixels()[at:at + 3]
    return (max(rgb) + min(rgb)) / 2 < 128


def open_panel(s):
    s.start_app()
    s.xdotool("key", "ctrl+shift+k")
    s.wait_for(lambda: panel_shown(s), "the panel")


class FollowSystem(unittest.TestCase):
    def test_the_panel_opens_in_the_desktops_look_and_follows_it(self):
        with harness.Session() as s:
            s.start_session_bus()
            portal = start_portal(s, DARK)
            s.write_defaults({"GlobalShortcuts_toggleHUD": CTRL_SHIFT_K})
            open_panel(s)
            s.wait_for(lambda: looks_dark(s), "the dark look at start")
            s.still_screenshot(os.path.join(build_dir(), "followsystem-dark.png"))
            announce(portal, LIGHT)
            s.wait_for(lambda: not looks_dark(s), "the light look")
            s.still_screenshot(os.path.join(build_dir(), "followsystem-light.png"))
            announce(portal, DARK)
            s.wait_for(lambda: looks_dark(s), "the dark look again")
            self.assertEqual(s.stop_app(), 0, s.app_log())

    def test_an_older_portal_that_answers_late_is_followed_too(self):
        with harness.Session() as s:
            s.start_session_bus()
            start_portal(s, DARK, "--read-only", "--slow-first-read", "2")
            s.write_defaults({"GlobalShortcuts_toggleHUD": CTRL_SHIFT_K})
            open_panel(s)
            s.wait_for(lambda: looks_dark(s), "the dark look")
            self.assertEqual(s.stop_app(), 0, s.app_log())


if __name__ == "__main__":
    harness.main()
