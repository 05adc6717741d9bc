"""The program starts under X, stays up, and ends cleanly on a signal."""

import os
import signal
import unittest

import harness


class Startup(unittest.TestCase):
    def test_starts_stays_up_and_exits_cleanly_on_sigterm(self):
        with harness.Session() as s:
            s.start_app()
            # Still running a moment later: ask the X server a round trip's worth.
            s.run("xdotool", "getmouselocation")
            self.assertIsNone(s.app.poll(), s.app_log())
            status = s.stop_app(signal.SIGTERM)
            self.assertEqual(status, 0, s.app_log())
            if os.path.exists(s.store_path):
                self.assertEqual(s.store_integrity(), "ok")

    def test_sigint_also_ends_it_cleanly(self):
        with harness.Session() as s:
            s.start_app()
            self.assertEqual(s.stop_app(signal.SIGINT), 0, s.app_log())


if __name__ == "__main__":
    harness.main()
