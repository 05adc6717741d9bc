"""What the panel leaves on screen once it has dropped down and faded in is what
its widgets paint when made to paint again: the rendered note keeps no faded
frame, no older note and no "Select a note" behind it until a scroll repaints it."""

import os
import subprocess
import unittest

import harness
from harness import CTRL_SHIFT_K, build_dir
from test_vault import bookmark, write

# Long enough to be rendered off the main thread, and to scroll.
LONG_NOTE = "# Long\n\n" + "".join("Line %d of the long note, with a few words.\n\n" % i for i in range(400))
SHORT_NOTE = "# Short\n\nA *few* words.\n"


class PanelPaint(unittest.TestCase):
    def panel(self, s, screen):
        """The panel's (width, height) once it is down at its full height."""
        width, height = (int(v) for v in screen.split("x")[:2])
        full = int(height * 0.4)
        s.wait_for(lambda: [g for _, g in s.visible_windows("^Quorvane$", full // 2) if g[3] == full],
                   "the panel at its full height")
        return width, full

    def preview_box(self, width, height):
        """Inside the rendered note: right of the notes list, under the note's title,
        clear of the scroll bar."""
        left, top = width // 2 + 175, 105
        return left, top, width - 25 - left, height - 40 - top

    def region(self, path, box):
        x, y, w, h = box
        return subprocess.run(["convert", path, "-crop", "%dx%d+%d+%d" % (w, h, x, y), "+repage",
                               "-depth", "8", "rgb:-"], check=True, stdout=subprocess.PIPE).stdout

    def shot(self, s, name):
        return s.still_screenshot(os.path.join(build_dir(), "panelpaint-%s.png" % name))

    def assert_same(self, first, second, box, what):
        a, b = self.region(first, box), self.region(second, box)
        differing = sum(1 for i in range(0, len(a), 3) if a[i:i + 3] != b[i:i + 3])
        self.assertEqual(differing, 0, "%s: %d of %d pixels differ (%s, %s)"
                         % (what, differing, len(a) // 3, first, second))

    def check(self, screen):
        tag = screen.split("x")[0]
        with harness.Session(screen=screen) as s:
            vault = os.path.join(s.home, "Vault")
            write(os.path.join(vault, "Long.md"), LONG_NOTE)
            write(os.path.join(vault, "Short.md"), SHORT_NOTE)
            # Newest first and by name alike: Long is the first row.
            os.utime(os.path.join(vault, "Short.md"), (1_600_000_000, 1_600_000_000))
            s.write_defaults({"GlobalShortcuts_toggleHUD": CTRL_SHIFT_K, **bookmark(vault)})
            s.start_app()
            s.xdotool("key", "ctrl+shift+k")
            width, height = self.panel(s, screen)
            box = self.preview_box(width, height)
            x, y, w, h = box
            first_row, second_row = (width // 2 + 40, 96), (width // 2 + 40, 136)

            s.xdotool("mousemove", *first_row, "click", 1)
            self.shot(s, "%s-1-picked" % tag)

            # Hidden and shown again: the note faded in with the rest of the panel.
            s.xdotool("key", "ctrl+shift+k")
            s.wait_for(lambda: not s.visible_windows("^Quorvane$", height // 2), "the panel to hide")
            s.xdotool("key", "ctrl+shift+k")
            self.panel(s, screen)
            settled = self.shot(s, "%s-2-shown-again" % tag)

            # A scroll down and back to the top paints the note again.
            s.xdotool("mousemove", x + w // 2, y + h // 2)
            s.xdotool("click", "--repeat", 3, 5)
            scrolled = self.shot(s, "%s-3-scrolled" % tag)
            self.assertNotEqual(self.region(settled, box), self.region(scrolled, box), "the scroll moved nothing")
            s.xdotool("click", "--repeat", 8, 4)
            repainted = self.shot(s, "%s-4-repainted" % tag)
            self.assert_same(settled, repainted, box, "the long note after the fade")

            # Another note: switching to the editor and back paints it again.
            s.xdotool("mousemove", *second_row, "click", 1)
            picked = self.shot(s, "%s-5-other" % tag)
            s.xdotool("key", "ctrl+e")
            s.xdotool("key", "ctrl+e")
            repainted = self.shot(s, "%s-6-other-repainted" % tag)
            self.assert_same(picked, repainted, box, "the short note picked after the fade")
            self.assertEqual(s.stop_app(), 0, s.app_log())

    def test_the_faded_in_note_is_painted_in_full(self):
        self.check("1440x900x24")

    def test_the_faded_in_note_is_painted_in_full_on_a_small_screen(self):
        self.check("1024x768x24")


if __name__ == "__main__":
    harness.main()
