"""The rendered preview of a vault note as a person sees it in the notes pane: the
vault's conventions rewritten, a huge table as a card, and links between notes."""

import os
import socket
import stat
import time
import unittest

import harness
from harness import CTRL_SHIFT_K, panel_shown
from test_vault import bookmark, write

FIRST_ROW = (760, 96)  # the first note of the notes list
# Inside the preview of NOTE below, as it lays out on this screen.
CALLOUT_HEADER = (940, 122)
WIKI_LINK = (947, 186)
OPEN_EXTERNALLY = (1340, 228)
CARD_SOURCE = (970, 315)

TABLE = "| id | name |\n|---|---|\n" + "".join("| %d | row %d |\n" % (i, i) for i in range(600))
NOTE = ("---\ntitle: Secret front matter\n---\n> [!tip] Try it\n> Callout body.\n\n"
        "See [[Other]] for more.\n\n" + TABLE)

EVERY_CONSTRUCT = """---
title: Every construct
---
# Heading one
## Heading two
### Heading three
#### Heading four

A paragraph with *emphasis*, **strong**, ~~struck~~, `inline code`, ==highlight== and a \
[web link](https://example.org).
A second line after a soft break. %% a hidden comment %% The block id goes ^abc123

> [!warning] Mind the gap
> The callout's body.

> A plain quote.

- bullet one
- bullet two
  - nested
1. first
2. second

- [ ] open task
- [x] done task

Links to [[Other]], [[Other|an alias]] and [[Missing note]].

```c
int answer = 42; /* a long line that goes on and on and on and on and on and on and on and on */
```

| left | right |
|:--|--:|
| 1 | 2 |

---

![[pic.png|120]]
"""



def sky(y, height):
    """Sky blue at the top shading to navy at the bottom."""
    t = y / max(1, height - 1)
    return int(135 * (1 - t)), int(206 * (1 - t)), int(235 - 107 * t)


class Preview(unittest.TestCase):
    def start(self, s, notes):
        """A vault of `notes` (relative path to text, the first listed first), a
        fake desktop opener on the path, the program on the vault and the panel
        shown; returns the vault and the file the opener writes to."""
        vault = os.path.join(s.home, "Vault")
        age = time.time()
        for relative, data in notes.items():
            path = os.path.join(vault, relative)
            if isinstance(data, bytes):
                os.makedirs(os.path.dirname(path), exist_ok=True)
                with open(path, "wb") as f:
                    f.write(data)
            else:
                write(path, data)
            age -= 60
            os.utime(path, (age, age))
        # What the desktop is asked to open, instead of opening it. The list appears
        # whole, by a rename: a test that waits for the file must never read it empty
        # between the shell creating it and printf writing to it.
        tools = os.path.join(s.tmp, "bin")
        opened = os.path.join(s.tmp, "opened.txt")
        os.makedirs(tools)
        opener = os.path.join(tools, "xdg-open")
        with open(opener, "w") as f:
            f.write('#!/bin/sh\n{ cat "%(f)s" 2>/dev/null; printf "%%s\\n" "$@"; } > "%(f)s.new" && mv "%(f)s.new" "%(f)s"\n'
                    % {"f": opened})
        os.chmod(opener, stat.S_IRWXU)
        settings = bookmark(vault)
        settings["GlobalShortcuts_toggleHUD"] = CTRL_SHIFT_K
        s.write_defaults(settings)
        s.start_app(extra_env={"PATH": tools + os.pathsep + os.environ.get("PATH", "")})
        s.xdotool("key", "ctrl+shift+k")
        s.wait_for(lambda: panel_shown(s), "the panel")
        s.xdotool("mousemove", *FIRST_ROW, "click", 1)
        return vault, opened

    def copy_text_at(self, s, position):
        """Selects all of the text at `position` and copies it; returns the clipboard
        once it changed."""
        before = s.clipboard()
        s.xdotool("mousemove", *position, "click", 1)
        s.xdotool("key", "ctrl+a", "key", "ctrl+c")
        copied = s.wait_for(lambda: s.clipboard() != before and s.clipboard(), "copied text at %s" % (position,))
        return copied.decode("utf-8", "replace")

    def test_a_vault_note_previews_with_its_callout_a_card_and_working_links(self):
        with harness.Session() as s:
            vault, opened = self.start(s, {"Note.md": NOTE, "Other.md": "other text\n"})
            s.still_screenshot(os.path.join(os.path.dirname(harness.BINARY), "notes-preview.png"))

            # The callout's header is the first thing shown: no front matter above it.
            header = self.copy_text_at(s, CALLOUT_HEADER)
            self.assertIn("Tip: Try it", header)
            self.assertNotIn("Secret", header)

            # The table is a card keeping three rows.
            card = self.copy_text_at(s, CARD_SOURCE)
            self.assertIn("| 2 | row 2 |", card)
            self.assertIn("... 597 more rows omitted ...", card)
            self.assertNotIn("row 3 |", card)

            # Its button hands the note itself to the desktop.
            s.xdotool("mousemove", *OPEN_EXTERNALLY, "click", 1)
            s.wait_for(lambda: os.path.exists(opened), "the desktop asked to open the note")
            with open(opened) as f:
                self.assertIn(os.path.join(vault, "Note.md"), f.read())

            # The wiki link selects the other note.
            s.xdotool("mousemove", *WIKI_LINK, "click", 1)
            s.still_screenshot(os.path.join(os.path.dirname(harness.BINARY), "notes-preview-followed-link.png"))
            self.assertEqual(self.copy_text_at(s, CALLOUT_HEADER), "other text")
            self.assertEqual(s.stop_app(), 0, s.app_log())

    def test_a_long_note_opens_with_working_links_selection_and_scrolling(self):
        # Long enough to be resolved and laid out away from the main thread.
        filler = "".join("Paragraph %d of a long note, with words enough to wrap at the width of the "
                         "preview and then some more.\n\n" % i for i in range(3000))
        long_note = ("---\ntitle: Secret front matter\n---\n> [!tip] Try it\n> Callout body.\n\n"
                     "See [[Other]] for more.\n\n" + filler)
        with harness.Session() as s:
            self.start(s, {"Long.md": long_note, "Other.md": "other text\n"})
            shots = os.path.dirname(harness.BINARY)
            s.still_screenshot(os.path.join(shots, "notes-preview-long.png"))
            header = self.copy_text_at(s, CALLOUT_HEADER)
            self.assertIn("Tip: Try it", header)
            self.assertNotIn("Secret", header)

            # Far down, the text is there and selectable.
            s.xdotool("mousemove", 1100, 250)
            s.xdotool("click", "--repeat", "40", "5")
            s.still_screenshot(os.path.join(shots, "notes-preview-long-scrolled.png"))
            self.assertRegex(self.copy_text_at(s, (1000, 220)), r"^Paragraph \d+ of a long note")

            s.xdotool("mousemove", 1100, 250, "click", "--repeat", "40", "4")
            s.wait_for(lambda: "Tip: Try it" in self.copy_text_at(s, CALLOUT_HEADER), "the top again")
            s.xdotool("mousemove", *WIKI_LINK, "click", 1)
            s.wait_for(lambda: self.copy_text_at(s, CALLOUT_HEADER) == "other text", "the other note")
            self.assertEqual(s.stop_app(), 0, s.app_log())

    def test_every_construct_renders(self):
        with harness.Session() as s:
            self.start(s, {"Every.md": EVERY_CONSTRUCT, "Other.md": "other\n", "pic.png": harness.png(240, 120, sky)})
            shots = os.path.dirname(harness.BINARY)
            s.still_screenshot(os.path.join(shots, "notes-preview-every-construct.png"))
            self.assertEqual(self.copy_text_at(s, CALLOUT_HEADER), "Heading one")
            # Further down: the lists, code, the table, the rule and the image.
            s.xdotool("mousemove", 1100, 250)
            for page in range(1, 4):
                s.xdotool("click", "--repeat", "5", "5")
                s.still_screenshot(os.path.join(shots, "notes-preview-every-construct-%d.png" % page))
            self.assertEqual(s.stop_app(), 0, s.app_log())

    def test_quitting_with_an_image_download_stalled_ends_cleanly(self):
        # A server that takes the connection and never answers.
        server = socket.socket()
        server.bind(("127.0.0.1", 0))
        server.listen(4)
        server.settimeout(0.05)
        connections = []

        def accepted():
            try:
                connections.append(server.accept()[0])
            except socket.timeout:
                pass
            return connections

        # Long enough to be laid out away from the main thread, which then asks for the image.
        note = ("Look ![a picture](http://127.0.0.1:%d/pic.png) here.\n\n" % server.getsockname()[1]
                + "A line of filler text.\n\n" * 1000)
        try:
            with harness.Session() as s:
                self.start(s, {"Picture.md": note})
                s.wait_for(accepted, "the image's download")
                self.assertEqual(s.stop_app(), 0, s.app_log())
                self.assertIn("Quorvane terminated", s.app_log())
        finally:
            for connection in connections:
                connection.close()
            server.close()


if __name__ == "__main__":
    harness.main()
