"""Recording the toggle shortcut in the settings window, as a person would: the
new combination works at once from any program, the old one stops, and one
that another program holds is refused unless the user insists."""

import json
import os
import unittest

import harness
from harness import CTRL_SHIFT_K, PANEL_HEIGHT, panel_gone, panel_shown
CTRL_ALT_J = {"carbonKeyCode": 38, "carbonModifiers": 0x900}


def stored_toggle(s):
    path = os.path.join(s.config_dir, "defaults.json")
    try:
        with open(path) as f:
            value = json.load(f).get("GlobalShortcuts_toggleHUD")
    except (OSError, ValueError):
        return None
    return json.loads(value) if isinstance(value, str) else value


def alerts(s):
    """Alert boxes: windows named like the panel, but dialog-sized."""
    return [wid for wid, g in s.visible_windows("^Quorvane$") if 40 < g[3] < PANEL_HEIGHT // 2]


def recordings(s):
    return s.app_log().count("Recording a shortcut")


def wait_recording(s, count):
    """Waits for the recorder's `count`th start: before it holds the keyboard, a
    combination another program grabs goes to that program instead."""
    s.wait_for(lambda: recordings(s) >= count, "the recorder to record (%d)" % count)


def start_recording(s):
    """Starts the program with Ctrl+Shift+K as its toggle shortcut, opens the settings
    and tabs into the recorder, which starts recording."""
    s.write_defaults({"GlobalShortcuts_toggleHUD": CTRL_SHIFT_K})
    s.start_tray()
    s.start_app(debug_log=True)  # waits for the recorder's debug line
    s.open_settings()
    s.xdotool("key", "Tab", "Tab")  # past "Launch at login"
    wait_recording(s, 1)


class RecordTheToggleShortcut(unittest.TestCase):
    def test_a_recorded_combination_toggles_the_panel_at_once_and_the_old_one_stops(self):
        with harness.Session() as s:
            start_recording(s)
            s.xdotool("key", "ctrl+alt+j")
            s.wait_for(lambda: stored_toggle(s) == CTRL_ALT_J, "the recorded shortcut in the settings")
            s.stays(lambda: panel_gone(s), "no panel while recording ends")
            s.screenshot(os.path.join(s.tmp, "recorded.png"))

            s.other_window()
            s.xdotool("key", "ctrl+alt+j")
            s.wait_for(lambda: panel_shown(s), "the panel on the new combination")
            s.xdotool("key", "ctrl+shift+k")
            s.stays(lambda: panel_shown(s), "the old combination doing nothing")
            s.xdotool("key", "ctrl+alt+j")
            s.wait_for(lambda: panel_gone(s), "the panel to go")
            self.assertNotIn("Error registering hotkey", s.app_log())
            self.assertEqual(s.stop_app(), 0, s.app_log())

    def test_recording_the_current_combination_does_not_toggle_the_panel(self):
        with harness.Session() as s:
            start_recording(s)
            s.xdotool("key", "ctrl+shift+k")
            s.stays(lambda: panel_gone(s), "no panel while the combination is recorded")
            self.assertEqual(stored_toggle(s), json.loads(CTRL_SHIFT_K))
            s.other_window()
            s.xdotool("key", "ctrl+shift+k")
            s.wait_for(lambda: panel_shown(s), "the panel once recording is over")

    def test_a_combination_another_program_holds_raises_the_alert_and_use_anyway_stores_it(self):
        with harness.Session() as s:
            s.hold_key_grab("j", 4 | 8)  # ControlMask | Mod1Mask: Ctrl+Alt+J
            start_recording(s)
            s.xdotool("key", "ctrl+alt+j")
            s.wait_for(lambda: alerts(s), "the alert")
            s.screenshot(os.path.join(s.tmp, "alert.png"))
            self.assertEqual(stored_toggle(s), json.loads(CTRL_SHIFT_K))
            s.xdotool("key", "Tab", "Return")  # from "OK" to "Use Anyway"
            s.wait_for(lambda: stored_toggle(s) == CTRL_ALT_J, "the forced shortcut in the settings")
            s.wait_for(lambda: not alerts(s), "the alert to go")
            # The other program keeps its grab: ours is refused and said so.
            s.wait_for(lambda: "Error registering hotkey Ctrl+Alt+J: 10" in s.app_log(), "the error line")

    def test_answering_ok_keeps_the_old_combination_and_records_the_next_one(self):
        with harness.Session() as s:
            s.hold_key_grab("j", 4 | 8)
            start_recording(s)
            s.xdotool("key", "ctrl+alt+j")
            s.wait_for(lambda: alerts(s), "the alert")
            s.xdotool("key", "Return")  # "OK"
            s.wait_for(lambda: not alerts(s), "the alert to go")
            self.assertEqual(stored_toggle(s), json.loads(CTRL_SHIFT_K))
            # Recording again at once: the next combination is taken.
            wait_recording(s, 2)
            s.xdotool("key", "ctrl+shift+l")
            s.wait_for(lambda: stored_toggle(s) == {"carbonKeyCode": 37, "carbonModifiers": 768},
                       "the next combination stored")


if __name__ == "__main__":
    harness.main()
