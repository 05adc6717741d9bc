"""A rendered note as a screen reader finds it: over the accessibility bus, the
preview holds the heading's text, a link that opens, and the image's description."""

import os
import unittest

import harness
import test_preview

# The image by its file's URL, for the preview resolves no relative source; the
# embedded one has no description.
NOTE = ("# Evening walk\n\nNotes from the [river path](https://example.org/river) today.\n\n"
        "![A sky at dusk](file://%s/dusk.png)\n\n![[decoration.png]]\n")


class Accessibility(unittest.TestCase):
    def test_a_screen_reader_reads_the_rendered_heading_link_and_image(self):
        with harness.Session() as s:
            s.start_accessibility_bus()
            vault, opened = test_preview.Preview.start(self, s, {
                "Walk.md": NOTE % os.path.realpath(os.path.join(s.home, "Vault")), "dusk.png": harness.png(120, 60, test_preview.sky),
                "decoration.png": harness.png(20, 20)})
            s.still_screenshot(os.path.join(harness.build_dir(), "accessibility-preview.png"))

            def found():
                nodes = s.accessibility()
                return nodes if any(n["role"] == "image" and n["name"] for n in nodes) else None
            preview = [{k: n[k] for k in ("role", "name", "description")}
                       for n in s.wait_for(found, "the rendered preview over the accessibility bus")
                       if n["document"]]
            self.assertIn({"role": "heading", "name": "Evening walk", "description": "Heading level 1"}, preview)
            self.assertIn({"role": "label", "name": "Notes from the river path today.", "description": ""},
                          preview)
            self.assertIn({"role": "link", "name": "river path", "description": ""}, preview)
            # The embedded picture has no description: it is not announced.
            self.assertEqual([n["name"] for n in preview if n["role"] == "image"], ["A sky at dusk"])
            # The link opens as a click on it would.
            self.assertEqual(s.accessibility("--press", "river path"), "pressed")
            s.wait_for(lambda: os.path.exists(opened), "the link opened")
            with open(opened) as f:
                self.assertIn("https://example.org/river", f.read())
            self.assertEqual(s.stop_app(), 0, s.app_log())


if __name__ == "__main__":
    harness.main()
