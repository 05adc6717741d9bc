"""A rendered note as a screen reader finds it: over the accessibility bus, the
preview holds the heading's text, a link that opens, the image's description, and
the description of a web image inside a line of text where it stands."""

import http.server
import os
import threading
import unittest

import harness
import test_preview

# The image by its file's URL, for the preview resolves no relative source; the
# embedded one has no description. Only web images are shown inside a line of text:
# one that loads and one that is missing.
NOTE = ("# Evening walk\n\nNotes from the [river path](https://example.org/river) today.\n\n"
        "![A sky at dusk](file://%(vault)s/dusk.png)\n\n![[decoration.png]]\n\n"
        "Before the dot ![red status dot](%(web)s/dot.png) and after it.\n\n"
        "Then ![a lost dot](%(web)s/lost.png) nothing.\n")


def serve_web_images(test, images):
    """Serves `images` (name to PNG bytes) over HTTP on this machine; returns the
    address they are under."""
    class Handler(http.server.BaseHTTPRequestHandler):
        def do_GET(self):
            data = images.get(self.path.lstrip("/"))
            if data is None:
                self.send_error(404)
                return
            self.send_response(200)
            self.send_header("Content-Type", "image/png")
            self.send_header("Content-Length", str(len(data)))
            self.end_headers()
            self.wfile.write(data)

        def log_message(self, *args):
            pass

    server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), Handler)
    threading.Thread(target=server.serve_forever, daemon=True).start()
    test.addCleanup(server.server_close)
    test.addCleanup(server.shutdown)
    return "http://127.0.0.1:%d" % server.server_address[1]


class Accessibility(unittest.TestCase):
    def test_a_screen_reader_reads_the_rendered_heading_link_and_image(self):
        with harness.Session() as s:
            s.start_accessibility_bus()
            web = serve_web_images(self, {"dot.png": harness.png(12, 12, lambda y, h: (0xE0, 0x10, 0x10))})
            note = NOTE % {"vault": os.path.realpath(os.path.join(s.home, "Vault")), "web": web}
            vault, opened = test_preview.Preview.start(self, s, {
                "Walk.md": note, "dusk.png": harness.png(120, 60, test_preview.sky),
                "decoration.png": harness.png(20, 20)})

            def found():
                nodes = s.accessibility()
                loaded = any(n["role"] == "image" and n["name"] for n in nodes) and any(
                    "red status dot" in n["name"] for n in nodes)
                return nodes if loaded else None
            preview = [{k: n[k] for k in ("role", "name", "description")}
                       for n in s.wait_for(found, "the rendered preview over the accessibility bus")
                       if n["document"]]
            self.assertIn({"role": "heading", "name": "Evening walk", "description": "Heading level 1"}, preview)
            self.assertIn({"role": "label", "name": "Notes from the river path today.", "description": ""},
                          preview)
            self.assertIn({"role": "link", "name": "river path", "description": ""}, preview)
            # The embedded picture has no description: it is not announced.
            self.assertEqual([n["name"] for n in preview if n["role"] == "image"], ["A sky at dusk"])
            # A web image in a line is read where it stands; one that failed is not shown,
            # and not read.
            self.assertIn({"role": "label", "name": "Before the dot red status dot and after it.",
                           "description": ""}, preview)
            self.assertIn({"role": "label", "name": "Then  nothing.", "description": ""}, preview)
            s.still_screenshot(os.path.join(harness.build_dir(), "accessibility-preview.png"))
            # The link opens as a click on it would.
            self.assertEqual(s.accessibility("--press", "river path"), "pressed")
            s.wait_for(lambda: os.path.exists(opened), "the link opened")
            with open(opened) as f:
                self.assertIn("https://example.org/river", f.read())
            self.assertEqual(s.stop_app(), 0, s.app_log())


if __name__ == "__main__":
    harness.main()
