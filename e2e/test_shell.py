"""The program as a person meets it: the tray icon, the panel, one program per
store, bad stores, update checks."""

import http.server
import os
import signal
import subprocess
import threading
import unittest

import harness
from harness import panel_gone, panel_shown, panel_windows


class TrayIcon(unittest.TestCase):
    def test_clicking_the_tray_icon_shows_the_panel_and_again_hides_it(self):
        with harness.Session() as s:
            s.start_tray()
            s.start_app()
            s.click_tray_icon()
            shown = s.wait_for(lambda: panel_shown(s), "the dropped-down panel")
            self.assertEqual(shown[0][:3], (0, 0, 1440))
            s.click_tray_icon()
            s.wait_for(lambda: panel_gone(s), "the panel to go")
            self.assertEqual(s.stop_app(), 0, s.app_log())

    def test_a_click_outside_the_panel_hides_it(self):
        with harness.Session() as s:
            s.start_tray()
            s.start_app(debug_log=True)  # counts "Panel hidden"
            s.click_tray_icon()
            s.wait_for(lambda: panel_shown(s), "the panel")
            s.xdotool("mousemove", 700, 200, "click", 1)  # inside
            s.xdotool("mousemove", 700, 600, "click", 1)  # outside
            s.wait_for(lambda: panel_gone(s), "the panel to go")
            self.assertEqual(s.app_log().count("Panel hidden"), 1, s.app_log())

    def test_without_a_tray_the_pull_down_gesture_opens_the_panel(self):
        with harness.Session() as s:
            s.start_app()
            s.xdotool("mousemove", 700, 0)

            def pull(button):
                s.xdotool("click", "--repeat", 3, button)
                return panel_windows(s)
            s.wait_for(lambda: pull(4), "the panel to drop on the pull-down")
            s.wait_for(lambda: not pull(5), "the panel to go on the push-up")
            self.assertEqual(s.stop_app(), 0, s.app_log())


    def test_quit_in_the_tray_menu_ends_the_program_cleanly(self):
        with harness.Session() as s:
            s.start_tray()
            s.start_app()
            s.tray_menu("Up", "Return")  # the last item
            s.wait_for(lambda: s.app.poll() is not None, "the program to end")
            self.assertEqual(s.app.returncode, 0, s.app_log())
            self.assertIn("Quorvane terminated", s.app_log())


class Capture(unittest.TestCase):
    def test_copies_land_in_the_store_and_a_repeat_moves_to_the_top(self):
        with harness.Session() as s:
            s.start_app()
            s.copy("first copy")
            s.wait_for(lambda: [r for r in s.store_rows() if r["preview"] == "first copy"], "the first copy")
            s.copy("second copy")
            s.wait_for(lambda: len(s.store_rows()) == 2, "the second copy")
            s.copy("first copy")
            s.wait_for(lambda: s.store_rows()[0]["preview"] == "first copy", "the repeat on top")
            self.assertEqual(len(s.store_rows()), 2)

    def test_sigterm_during_capture_leaves_a_consistent_store(self):
        with harness.Session() as s:
            s.start_app()
            for i in range(5):
                s.copy("copy %d" % i)
                s.wait_for(lambda: len(s.store_rows()) == i + 1, "copy %d" % i)
            s.copy("the last one")  # probably still being captured
            self.assertEqual(s.stop_app(signal.SIGTERM), 0, s.app_log())
            self.assertIn("Stopped clipboard polling", s.app_log())
            self.assertEqual(s.store_integrity(), "ok")
            self.assertGreaterEqual(len(s.store_rows()), 5)


class DebugLines(unittest.TestCase):
    def test_copied_text_stays_out_of_the_log_unless_debug_lines_are_asked_for(self):
        with harness.Session() as s:
            s.start_app()
            s.copy("quiet copy")
            s.wait_for(lambda: s.store_rows(), "the copy")
            self.assertEqual(s.stop_app(), 0, s.app_log())
            self.assertIn("Stopped clipboard polling", s.app_log())  # info lines stay
            self.assertNotIn("quiet copy", s.app_log())

            s.start_app(debug_log=True)
            s.copy("logged copy")
            s.wait_for(lambda: "logged copy" in s.app_log(), "the debug line of the copy")


class Keys(unittest.TestCase):
    def test_escape_hides_the_shown_panel(self):
        with harness.Session() as s:
            s.start_tray()
            s.start_app()
            s.click_tray_icon()
            s.wait_for(lambda: panel_shown(s), "the panel")
            s.xdotool("key", "Escape")
            s.wait_for(lambda: panel_gone(s), "the panel to go on Escape")


class OneProgramPerStore(unittest.TestCase):
    def test_a_second_program_says_so_and_exits(self):
        with harness.Session() as s:
            s.start_app()
            second = subprocess.run([harness.BINARY], env=s.env, capture_output=True, timeout=20)
            self.assertNotEqual(second.returncode, 0)
            self.assertIn(b"Quorvane is already running", second.stderr)
            self.assertIsNone(s.app.poll(), "the first one keeps running")


class BadStores(unittest.TestCase):
    def run_app(self, s):
        """Starts the program, which must say why in an alert before it quits;
        "Quit Quorvane", the alert's one button, ends it."""
        s.start_app(wait_launched=False)
        alert = s.wait_for(lambda: s.window_ids("^Quorvane$"), "the alert", check_alive=True)
        s.xdotool("windowfocus", "--sync", alert[0])
        s.xdotool("key", "Return")
        s.wait_for(lambda: s.app.poll() is not None, "the program to quit")
        return s.app.returncode, s.app_log().encode()

    def test_a_store_that_is_not_a_database_is_kept_and_reported(self):
        with harness.Session() as s:
            os.makedirs(s.data_dir)
            with open(s.store_path, "wb") as f:
                f.write(b"not a database at all\n" * 100)
            status, log = self.run_app(s)
            self.assertNotEqual(status, 0)
            self.assertIn(b"Failed to create clipboard store container at", log)
            with open(s.store_path, "rb") as f:
                self.assertEqual(f.read(), b"not a database at all\n" * 100)

    def test_a_store_folder_that_cannot_be_made_is_reported(self):
        with harness.Session() as s:
            os.makedirs(os.path.dirname(s.data_dir), exist_ok=True)
            with open(s.data_dir, "w") as f:  # a file where the folder belongs
                f.write("x")
            status, log = self.run_app(s)
            self.assertNotEqual(status, 0)
            self.assertIn(b"Failed to determine clipboard store URL", log)


class Appcast(unittest.TestCase):
    FEED = """<?xml version="1.0"?>
<rss version="2.0" xmlns:sparkle="http://www.andymatuschak.org/xml-namespaces/sparkle">
<channel><title>Quorvane</title><item><title>Quorvane {0}</title>
<sparkle:shortVersionString>{0}</sparkle:shortVersionString>
<link>http://127.0.0.1/download</link></item></channel></rss>"""

    def serve(self, version):
        feed = self.FEED.format(version).encode()

        class Handler(http.server.BaseHTTPRequestHandler):
            def do_GET(self):
                if self.path != "/updates/stable/appcast.xml":
                    self.send_error(404)
                    return
                self.send_response(200)
                self.send_header("Content-Type", "application/rss+xml")
                self.send_header("Content-Length", str(len(feed)))
                self.end_headers()
                self.wfile.write(feed)

            def log_message(self, *args):
                pass

        server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), Handler)
        threading.Thread(target=server.serve_forever, daemon=True).start()
        self.addCleanup(server.server_close)
        self.addCleanup(server.shutdown)
        return "http://127.0.0.1:%d" % server.server_address[1]

    def test_a_newer_release_sets_the_flag_and_an_older_one_clears_it(self):
        with harness.Session() as s:
            s.start_app(extra_env={"QUORVANE_UPDATE_HOST": self.serve("99.0.0")})
            s.wait_for(lambda: "Update available: 99.0.0" in s.app_log(), "the update report")
            s.stop_app()
            s.start_app(extra_env={"QUORVANE_UPDATE_HOST": self.serve("0.0.1")})
            s.wait_for(lambda: "No update available" in s.app_log(), "the up-to-date report")


if __name__ == "__main__":
    harness.main()
