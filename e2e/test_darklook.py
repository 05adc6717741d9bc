"""The dark look as a person sees it: the settings form (top and footer) and the panel
with an opened clipboard entry, saved as screenshots in the build folder to be looked
at by eye; the colours themselves are checked by the unit tests' contrast table. A
switch of look in the settings reaches the notes pane's banner at once, either way."""

import os
import subprocess
import unittest

import harness
from harness import CTRL_SHIFT_K, build_dir, panel_gone, panel_shown
import test_notes
from test_settings import settings

CHEVRON = (693, 103)  # of the first clipboard row
BANNER_TEXT = (890, 104, 190, 22)  # x, y, width, height: the yellow banner's message
BANNER_BUTTON = (1266, 106, 70, 18)  # its "Reload" button
THEME = {"dark": (311, 337), "light": (395, 337)}  # the settings window's theme segments


def pixels(image, area, width=1440):
    x, y, w, h = area
    return [tuple(image[3 * (row * width + col):3 * (row * width + col) + 3])
            for row in range(y, y + h) for col in range(x, x + w)]


def most_common(colours):
    return max(set(colours), key=colours.count)


def tinted(colour):
    """Yellowish: the looks' own greys are neutral, with at most a little blue."""
    r, _, b = colour
    return r - b > 10


def luminance(colour):
    def channel(v):
        v /= 255
        return v / 12.92 if v <= 0.04045 else ((v + 0.055) / 1.055) ** 2.4
    r, g, b = (channel(v) for v in colour)
    return 0.2126 * r + 0.7152 * g + 0.0722 * b


def contrast(a, b):
    la, lb = sorted((luminance(a), luminance(b)))
    return (lb + 0.05) / (la + 0.05)


class DarkLook(unittest.TestCase):
    start = test_notes.NotesPane.start
    edit_first_note = test_notes.NotesPane.edit_first_note
    type = test_notes.NotesPane.type

    def test_the_settings_form_and_the_panel_in_the_dark_look(self):
        with harness.Session() as s:
            s.start_tray()
            s.write_defaults({"appearanceMode": "dark", "GlobalShortcuts_toggleHUD": CTRL_SHIFT_K})
            s.start_app()
            s.copy_into_store("An entry copied a while ago, long enough to open up")
            s.xdotool("key", "ctrl+shift+k")
            s.wait_for(lambda: panel_shown(s), "the panel")
            s.xdotool("mousemove", *CHEVRON, "click", 1)  # opened: its Copy button shows
            s.still_screenshot(os.path.join(build_dir(), "panel-dark.png"))
            s.xdotool("key", "Escape")
            s.open_settings()
            s.still_screenshot(os.path.join(build_dir(), "settings-dark.png"))
            # Down to the footer and its link to the site.
            s.xdotool("mousemove", 720, 500, "click", "--repeat", "20", "5")
            s.still_screenshot(os.path.join(build_dir(), "settings-dark-footer.png"))
            self.assertEqual(s.stop_app(), 0, s.app_log())

    def test_a_switch_of_look_reaches_the_notes_banner_at_once(self):
        for start, look in (("light", "dark"), ("dark", "light")):
            with self.subTest(look), harness.Session() as s:
                s.start_tray()
                vault = self.start(s, {"note.md": b"hello\n"}, delay=5.0, settings={"appearanceMode": start})
                self.edit_first_note(s)
                self.type(s, "mine", b"hello\nmine")
                subprocess.run(["sh", "-c", "printf 'outside\\n' >> \"$1\"", "sh", os.path.join(vault, "note.md")],
                               check=True)
                s.wait_for(lambda: tinted(most_common(pixels(s.screen_pixels(), BANNER_TEXT))), "the yellow banner")
                s.xdotool("key", "Escape")
                s.wait_for(lambda: panel_gone(s), "the panel to go")
                s.xdotool("mousemove", "--window", s.open_settings(), *THEME[look], "click", 1)
                s.wait_for(lambda: settings(s).get("appearanceMode") == look, "the look stored")
                s.still_screenshot(os.path.join(build_dir(), "settings-switched-to-%s.png" % look))
                s.xdotool("key", "ctrl+shift+k")
                s.wait_for(lambda: panel_shown(s), "the panel")
                s.still_screenshot(os.path.join(build_dir(), "notes-banner-switched-to-%s.png" % look))
                image = s.screen_pixels()
                text = pixels(image, BANNER_TEXT)
                background = most_common(text)
                self.assertGreaterEqual(max(contrast(c, background) for c in text), 4.5, "the banner's message")
                face = most_common(pixels(image, BANNER_BUTTON))
                self.assertEqual(luminance(face) < 0.2, look == "dark", "the button's face %s" % (face,))
                self.assertEqual(s.stop_app(), 0, s.app_log())


if __name__ == "__main__":
    harness.main()
