"""What other programs copy, as the running program stores it: every kind of
content, secrets left out, repeats, what was there before launch, and a store
that another process holds locked."""

import signal
import subprocess
import unittest

import harness
from harness import png

# The history shows a copy within a second: two polls a second and a quick capture.
LANDS_WITHIN = 1.0


def previews(s):
    return [row["preview"] for row in s.store_rows()]


class Capture(unittest.TestCase):
    def copy_and_wait(self, s, data, mime="UTF8_STRING"):
        """Copies from another client and returns once that client owns the clipboard."""
        s.copy(data, mime)
        s.wait_for(lambda: mime in s.clipboard_targets(), "the owner of %s" % mime)

    def own_and_wait(self, s, formats):
        s.own_clipboard(formats)
        s.wait_for(lambda: set(formats) <= set(s.clipboard_targets()), "the owner of %s" % list(formats))

    def test_text_html_png_and_files_land_within_a_second_and_secrets_never(self):
        with harness.Session() as s:
            s.start_app(debug_log=True)  # waits for the debug lines of the skipped secrets
            self.copy_and_wait(s, "plain words")
            s.wait_for(lambda: previews(s) == ["plain words"], "the text", timeout=LANDS_WITHIN)
            self.assertEqual(s.store_rows()[0]["contentType"], "text")

            self.own_and_wait(s, {"text/plain": "Rich words", "text/html": "<p><b>Rich</b> words</p>"})
            s.wait_for(lambda: len(s.store_rows()) == 2, "the rich text", timeout=LANDS_WITHIN)
            rich = s.store_rows()[0]
            self.assertEqual((rich["contentType"], rich["preview"]), ("richText", "Rich words"))
            self.assertIn(b"<b>Rich</b>", rich["htmlData"])

            self.copy_and_wait(s, png(64, 48), "image/png")
            s.wait_for(lambda: len(s.store_rows()) == 3, "the image", timeout=LANDS_WITHIN)
            image = s.store_rows()[0]
            self.assertEqual((image["contentType"], image["preview"]), ("image", "Image (64x48)"))
            self.assertTrue(image["data"].startswith(b"\x89PNG"))

            self.copy_and_wait(s, "file:///tmp/one.txt\nfile:///tmp/two%20words.txt\n", "text/uri-list")
            s.wait_for(lambda: len(s.store_rows()) == 5, "the two files", timeout=LANDS_WITHIN)
            files = sorted(s.store_rows()[:2], key=lambda row: row["preview"])
            self.assertEqual([(f["contentType"], f["preview"]) for f in files],
                             [("file", "one.txt"), ("file", "two words.txt")])
            self.assertEqual(files[1]["data"], b"file:///tmp/two%20words.txt")

            self.own_and_wait(s, {"text/plain": "hunter2", "x-kde-passwordManagerHint": "secret"})
            s.wait_for(lambda: "Skipped sensitive clipboard item (ConcealedType)" in s.app_log(),
                       "the skipped secret")
            self.own_and_wait(s, {"text/plain": "hunter3", "org.nspasteboard.ConcealedType": ""})
            s.wait_for(lambda: s.app_log().count("Skipped sensitive clipboard item") == 2,
                       "the second skipped secret")
            self.copy_and_wait(s, "after the secrets")
            s.wait_for(lambda: previews(s)[0] == "after the secrets", "the copy after the secrets")
            self.assertEqual(len(s.store_rows()), 6)
            self.assertFalse([p for p in previews(s) if p.startswith("hunter")])

    def test_the_same_text_twice_leaves_one_newer_row(self):
        with harness.Session() as s:
            s.start_app()
            self.copy_and_wait(s, "twice")
            s.wait_for(lambda: previews(s) == ["twice"], "the first copy")
            first = s.store_rows()[0]
            self.copy_and_wait(s, "between")
            s.wait_for(lambda: len(s.store_rows()) == 2, "the copy between")
            self.copy_and_wait(s, "twice")
            s.wait_for(lambda: previews(s)[0] == "twice", "the repeat on top", timeout=LANDS_WITHIN)
            rows = s.store_rows()
            self.assertEqual(len(rows), 2)
            self.assertEqual(rows[0]["id"], first["id"])
            self.assertGreater(rows[0]["timestamp"], first["timestamp"])

    def test_content_on_the_clipboard_before_launch_is_never_stored(self):
        with harness.Session() as s:
            self.copy_and_wait(s, "there before launch")
            s.start_app()
            self.copy_and_wait(s, "copied after launch")
            s.wait_for(lambda: previews(s) == ["copied after launch"], "the copy after launch")


class LockedStore(unittest.TestCase):
    def test_one_alert_and_no_further_capture_while_another_process_holds_the_store(self):
        with harness.Session() as s:
            s.start_app(debug_log=True)  # a capture would show in a debug line
            s.copy("stored before the lock")
            s.wait_for(lambda: previews(s) == ["stored before the lock"], "the first copy")
            windows_before = set(s.window_ids("^Quorvane$"))

            lock = subprocess.Popen(["sqlite3", s.store_path], env=s.env, stdin=subprocess.PIPE,
                                    stdout=subprocess.PIPE, stderr=subprocess.DEVNULL)
            s.extra.append(lock)
            lock.stdin.write(b"BEGIN IMMEDIATE;\n.print locked\n")
            lock.stdin.flush()
            self.assertEqual(lock.stdout.readline().strip(), b"locked")

            s.copy("refused by the lock")
            s.wait_for(lambda: "ClipboardManager save failed" in s.app_log(), "the failed save")
            alert = s.wait_for(lambda: sorted(set(s.window_ids("^Quorvane$")) - windows_before), "the alert")

            # Capture has stopped: later copies are neither stored nor reported again.
            s.copy("after the failure")
            s.wait_for(lambda: "UTF8_STRING" in s.clipboard_targets(), "the next owner")
            s.stays(lambda: s.app_log().count("ClipboardManager save failed") == 1, "one report", 1.2)
            self.assertNotIn("Captured Text: after the failure", s.app_log())

            lock.stdin.write(b"ROLLBACK;\n.quit\n")
            lock.stdin.close()
            lock.wait(5)
            self.assertEqual(previews(s), ["stored before the lock"])

            # "Quit Quorvane", the alert's first button, ends the program cleanly.
            s.xdotool("windowfocus", "--sync", alert[0])
            s.xdotool("key", "Return")
            s.wait_for(lambda: s.app.poll() is not None, "the program to quit")
            self.assertEqual(s.stop_app(signal.SIGTERM), 0, s.app_log())
            self.assertEqual(s.store_integrity(), "ok")
            self.assertEqual(previews(s), ["stored before the lock"])


if __name__ == "__main__":
    harness.main()
