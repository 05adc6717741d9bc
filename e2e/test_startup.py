"""The program starts under X, stays up, and ends cleanly on a signal."""

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
            s.copy("kept across the signal")
            s.wait_for(lambda: s.store_rows(), "the copy in the store")
            status = s.stop_app(signal.SIGTERM)
            self.assertEqual(status, 0, s.app_log())
            self.assertEqual(s.store_integrity(), "ok")
            self.assertEqual([r["preview"] for r in s.store_rows()], ["kept across the signal"])

            # The next run finds the history where the last one left it.
            s.start_app()
            s.copy("from the second run")
            s.wait_for(lambda: len(s.store_rows()) == 2, "the second run's copy")
            self.assertEqual([r["preview"] for r in s.store_rows()],
                             ["from the second run", "kept across the signal"])
            self.assertEqual(s.stop_app(signal.SIGTERM), 0, s.app_log())

    def test_sigint_also_ends_it_cleanly(self):
        with harness.Session() as s:
            s.start_app()
            self.assertEqual(s.stop_app(signal.SIGINT), 0, s.app_log())


if __name__ == "__main__":
    harness.main()
