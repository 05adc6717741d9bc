"""The pull-down gesture: wheel notches at the top edge of the screen drop the
panel down and, while it is shown, collapse it; the notches that make the gesture
never reach the window under the pointer, every other notch does."""

import os
import re
import signal
import subprocess
import unittest

import harness

TOP = (600, 0)


class ButtonRecorder:
    """Another program's window across the top-left of the screen that records the
    wheel buttons it is sent (xev, whose output is flushed per event)."""

    def __init__(self, session, geometry="800x300+0+0"):
        self.session = session
        self.path = os.path.join(session.tmp, "xev-%d.log" % len(session.extra))
        with open(self.path, "wb") as out:
            self.proc = subprocess.Popen(
                ["xev", "-geometry", geometry, "-event", "structure", "-event", "button"],
                env=session.env, stdout=out, stderr=subprocess.STDOUT)
        session.extra.append(self.proc)
        session.wait_for(lambda: "MapNotify" in self._text(), "the recording window")

    def _text(self):
        with open(self.path, "rb") as f:
            return f.read().decode("utf-8", "replace")

    def presses(self):
        return [int(b) for b in re.findall(r"ButtonPress event.*?button (\d+)", self._text(), re.S)]

    def wait_presses(self, count):
        return self.session.wait_for(lambda: len(self.presses()) >= count and self.presses(),
                                     "%d presses in the recording window" % count)


def click(s, button, times, delay_ms=40, at=TOP):
    s.xdotool("mousemove", at[0], at[1])
    s.xdotool("click", "--repeat", times, "--delay", delay_ms, button)


# Below the dropped panel (40% of the 900-pixel screen) and far from the top edge:
# a notch there always reaches the recording window.
BELOW_THE_PANEL = (600, 500)


def presses_up_to_a_last_notch(s, recorder, count):
    """The presses the window got before one more notch sent now. The server and
    the tap keep the order of notches, so a notch that was to reach the window
    before it has done so once it arrives: no waiting for something not to come."""
    click(s, 5, 1, at=BELOW_THE_PANEL)
    presses = recorder.wait_presses(count + 1)
    if presses[count:] != [5]:
        raise AssertionError("the last notch did not arrive last: %r" % presses)
    return presses[:count]


def panel_shown(s):
    return bool(s.window_ids("Quorvane"))


class PullDown(unittest.TestCase):
    def test_six_notches_at_the_top_drop_the_panel_and_only_the_trigger_is_swallowed(self):
        with harness.Session() as s:
            s.start_app()
            recorder = ButtonRecorder(s, "800x600+0+0")
            click(s, 4, 6)
            s.wait_for(lambda: panel_shown(s), "the panel")
            self.assertEqual(presses_up_to_a_last_notch(s, recorder, 5), [4] * 5)
            self.assertIn("GestureMonitor started", s.app_log())

    def test_five_notches_do_nothing_and_all_reach_the_window(self):
        with harness.Session() as s:
            s.start_app()
            recorder = ButtonRecorder(s)
            click(s, 4, 5)
            # The tap answers each notch before the window gets it, and the sixth
            # notch was never sent: every notch arriving proves none triggered.
            self.assertEqual(recorder.wait_presses(5), [4] * 5)
            self.assertFalse(panel_shown(s))

    def test_slow_notches_do_nothing(self):
        with harness.Session() as s:
            s.start_app()
            recorder = ButtonRecorder(s)
            click(s, 4, 6, delay_ms=400)
            self.assertEqual(recorder.wait_presses(6), [4] * 6)
            self.assertFalse(panel_shown(s))

    def test_notches_below_the_top_edge_do_nothing(self):
        with harness.Session() as s:
            s.start_app()
            recorder = ButtonRecorder(s)
            click(s, 4, 6, at=(600, 20))
            self.assertEqual(recorder.wait_presses(6), [4] * 6)
            self.assertFalse(panel_shown(s))

    def test_shown_panel_collapses_on_six_opposite_notches(self):
        with harness.Session() as s:
            s.start_app(debug_log=True)  # waits for a debug line
            click(s, 4, 6)
            s.wait_for(lambda: panel_shown(s), "the panel")
            # The recogniser takes the scrolling up again only once the panel has
            # finished dropping and the short grace after it has passed.
            s.wait_for(lambda: "GestureMonitor reset the recognizer" in s.app_log(), "the grace reset")
            click(s, 5, 6)
            s.wait_for(lambda: not panel_shown(s), "the panel to collapse")

    def test_reversed_direction_setting_swaps_the_buttons(self):
        with harness.Session() as s:
            s.write_defaults({"com.apple.swipescrolldirection": False})
            s.start_app()
            recorder = ButtonRecorder(s, "800x600+0+0")
            click(s, 4, 6)
            self.assertEqual(recorder.wait_presses(6), [4] * 6)
            self.assertFalse(panel_shown(s))
            click(s, 5, 6)
            s.wait_for(lambda: panel_shown(s), "the panel")
            self.assertEqual(presses_up_to_a_last_notch(s, recorder, 11), [4] * 6 + [5] * 5)

    def test_gesture_switched_off_leaves_every_notch_alone(self):
        with harness.Session() as s:
            s.write_defaults({"isGestureEnabled": False})
            s.start_app()
            recorder = ButtonRecorder(s)
            click(s, 4, 6)
            self.assertEqual(recorder.wait_presses(6), [4] * 6)
            self.assertFalse(panel_shown(s))
            self.assertNotIn("GestureMonitor started", s.app_log())

    def test_ending_the_program_releases_the_wheel(self):
        with harness.Session() as s:
            s.start_app()
            recorder = ButtonRecorder(s)
            self.assertEqual(s.stop_app(signal.SIGTERM), 0, s.app_log())
            click(s, 4, 6)
            self.assertEqual(recorder.wait_presses(6), [4] * 6)

    def test_a_killed_program_leaves_the_wheel_free(self):
        with harness.Session() as s:
            s.start_app()
            recorder = ButtonRecorder(s)
            s.stop_app(signal.SIGKILL)

            # The server drops the grab once it notices the connection is gone;
            # a notch sent before that may be lost, none after.
            def notch_arrives():
                click(s, 4, 1)
                return recorder.presses()
            s.wait_for(notch_arrives, "a notch to reach the window")
            before = len(recorder.presses())
            click(s, 5, 3)
            self.assertEqual(recorder.wait_presses(before + 3)[before:], [5] * 3)

if __name__ == "__main__":
    harness.main()
