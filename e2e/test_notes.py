"""The notes pane as a person uses it: pick a note, edit it, and nothing typed is lost
or written over another program's change."""

import os
import signal
import subprocess
import unittest

import harness
from harness import CTRL_SHIFT_K, panel_gone, panel_shown
from test_vault import bookmark, write

FIRST_ROW = (760, 96)  # the first note of the notes list
EDITOR = (1100, 250)  # inside the note's text
SAVE_AS_NEW = (1301, 115)  # the red banner's first button, alone on screen
COPY = (1354, 75)  # the note's copy button
NEW_NOTE = (845, 71)  # the list's "+ New"


def read(path):
    with open(path, "rb") as f:
        return f.read()


class NotesPane(unittest.TestCase):
    def start(self, s, notes, delay=1.0, settings=None, vault=None):
        """A vault holding `notes` (relative path to bytes), the program on it with
        `settings` besides, and the panel shown; returns the vault's path."""
        vault = vault or os.path.join(s.home, "Vault")
        for relative, data in notes.items():
            path = os.path.join(vault, relative)
            os.makedirs(os.path.dirname(path), exist_ok=True)
            with open(path, "wb") as f:
                f.write(data)
        stored = bookmark(vault)
        stored["GlobalShortcuts_toggleHUD"] = CTRL_SHIFT_K
        stored["autoSaveDelay"] = delay
        stored.update(settings or {})
        s.write_defaults(stored)
        s.start_app(debug_log=True)
        s.xdotool("key", "ctrl+shift+k")
        s.wait_for(lambda: panel_shown(s), "the panel")
        return vault

    def edit_first_note(self, s):
        """Selects the first note of the list, switches to the editor and puts the
        cursor at the end of the text."""
        s.xdotool("mousemove", *FIRST_ROW, "click", 1)
        s.xdotool("key", "ctrl+e")
        s.xdotool("mousemove", *EDITOR, "click", 1)
        s.xdotool("key", "ctrl+End")

    def type(self, s, text, working_copy):
        """Types `text` and waits until the pane holds `working_copy`: the copy button,
        clicked after the keys, puts the text on the clipboard only once they are in."""
        s.xdotool("type", "--", text)
        s.xdotool("mousemove", *COPY, "click", 1)
        s.wait_for(lambda: s.clipboard() == working_copy, "the typed text in the pane")

    def test_typing_is_saved_once_with_exactly_the_typed_text(self):
        with harness.Session() as s:
            vault = self.start(s, {"note.md": b"hello\n", "Work/Plan.md": b"plan\n"})
            note = os.path.join(vault, "note.md")
            self.edit_first_note(s)
            s.xdotool("type", "typed")
            s.wait_for(lambda: read(note) == b"hello\ntyped", "the note saved after the pause")
            s.stays(lambda: read(note) == b"hello\ntyped", "the saved note", duration=1.5)
            self.assertEqual(s.app_log().count("Saved note: note.md"), 1, s.app_log())
            self.assertEqual(s.stop_app(), 0, s.app_log())

    def test_an_outside_append_while_editing_is_never_written_over(self):
        with harness.Session() as s:
            vault = self.start(s, {"note.md": b"hello\n"}, delay=2.0)
            note = os.path.join(vault, "note.md")
            self.edit_first_note(s)
            self.type(s, "mine", b"hello\nmine")
            subprocess.run(["sh", "-c", "printf 'outside\\n' >> \"$1\"", "sh", note], check=True)
            # Past the save delay, and past the flush of hiding and quitting.
            s.stays(lambda: read(note) == b"hello\noutside\n", "the other program's text", duration=3.0)
            s.xdotool("key", "Escape")
            self.assertEqual(s.stop_app(), 0, s.app_log())
            self.assertEqual(read(note), b"hello\noutside\n")
            self.assertNotIn("Saved note: note.md", s.app_log())
            # Nor is the typing lost: what the note could not take is beside it.
            self.assertEqual(read(os.path.join(vault, "note (2).md")), b"hello\nmine")

    def test_a_deleted_note_is_not_recreated_and_can_be_saved_as_new(self):
        with harness.Session() as s:
            vault = self.start(s, {"note.md": b"hello\n", "Work/Plan.md": b"plan\n"})
            note = os.path.join(vault, "note.md")
            self.edit_first_note(s)
            self.type(s, "typed", b"hello\ntyped")
            os.remove(note)
            s.stays(lambda: not os.path.exists(note), "the deleted note staying deleted", duration=2.5)
            # The list, the note and its banner, to look at.
            s.still_screenshot(os.path.join(os.path.dirname(harness.BINARY), "notes-pane-deleted-banner.png"))
            s.xdotool("mousemove", *SAVE_AS_NEW, "click", 1)
            again = os.path.join(vault, "note (2).md")
            s.wait_for(lambda: os.path.exists(again) and read(again) == b"hello\ntyped", "note (2).md")
            self.assertFalse(os.path.exists(note))
            self.assertEqual(s.stop_app(), 0, s.app_log())

    def test_a_note_that_is_not_utf8_keeps_its_bytes(self):
        with harness.Session() as s:
            bad = b"caf\xe9 latin-1\n"
            vault = self.start(s, {"bad.md": bad})
            self.edit_first_note(s)
            s.xdotool("type", "typed")
            s.xdotool("key", "ctrl+e", "key", "Escape")
            s.wait_for(lambda: "Failed to load note bad.md" in s.app_log(), "the load failure")
            self.assertEqual(s.stop_app(), 0, s.app_log())
            self.assertEqual(read(os.path.join(vault, "bad.md")), bad)

    def test_quitting_writes_the_pending_text(self):
        with harness.Session() as s:
            vault = self.start(s, {"note.md": b"hello\n"}, delay=5.0)
            self.edit_first_note(s)
            self.type(s, "last", b"hello\nlast")
            self.assertEqual(read(os.path.join(vault, "note.md")), b"hello\n")
            self.assertEqual(s.stop_app(signal.SIGTERM), 0, s.app_log())
            self.assertEqual(read(os.path.join(vault, "note.md")), b"hello\nlast")

    def menu(self, s, position, *keys):
        """Opens the context menu of the row at `position` and picks an entry by keys."""
        s.xdotool("mousemove", *position, "click", 3)
        s.wait_for(lambda: len(s.run("xdotool", "search", "--onlyvisible", "--class", "quorvane",
                                     check=False).stdout.split()) > 1, "the menu")
        s.xdotool("key", *[part for key in keys for part in ("key", key)][1:])

    def test_the_preview_stays_readable_after_the_panel_hides_and_shows_again(self):
        with harness.Session() as s:
            self.start(s, {"Readable.md": b"# Readable\n\nsome words to read\n"})
            s.xdotool("mousemove", *FIRST_ROW, "click", 1)

            def preview_brightness():
                # The preview's area below the note's header, as grey levels.
                s.still_screenshot(os.path.join(s.tmp, "preview.png"))
                pixels = s.run("import", "-window", "root", "-crop", "500x180+900+110", "-depth", "8",
                               "gray:-").stdout
                return sum(pixels) / len(pixels)

            self.assertGreater(preview_brightness(), 128)
            s.xdotool("key", "Escape")
            s.wait_for(lambda: panel_gone(s), "the panel to hide")
            s.xdotool("key", "ctrl+shift+k")
            s.wait_for(lambda: panel_shown(s), "the panel again")
            # Dark text on a light ground, as before: not on black.
            self.assertGreater(preview_brightness(), 128)
            self.assertEqual(s.stop_app(), 0, s.app_log())

    def test_create_rename_move_and_delete_from_the_list(self):
        with harness.Session() as s:
            vault = self.start(s, {"note.md": b"hello\n", "Work/Plan.md": b"plan\n"})

            # Rename: the dialog opens with the name selected.
            self.menu(s, FIRST_ROW, "Down", "Return")
            s.wait_for(lambda: s.window_ids("^Rename Note$"), "the rename dialog")
            s.xdotool("key", "ctrl+a")
            s.xdotool("type", "Renamed")
            s.xdotool("key", "Return")
            renamed = os.path.join(vault, "Renamed.md")
            s.wait_for(lambda: os.path.exists(renamed), "the renamed note")
            self.assertFalse(os.path.exists(os.path.join(vault, "note.md")))

            # Move to the folder Work: the third entry's submenu.
            self.menu(s, FIRST_ROW, "Down", "Down", "Down", "Right", "Return")
            moved = os.path.join(vault, "Work", "Renamed.md")
            s.wait_for(lambda: os.path.exists(moved), "the note moved into Work")
            self.assertEqual(read(moved), b"hello\n")

            # "+ New" makes an empty note at the vault's root, listed first.
            s.xdotool("mousemove", *NEW_NOTE, "click", 1)
            new = os.path.join(vault, "Untitled.md")
            s.wait_for(lambda: os.path.exists(new), "the new note")

            # Delete: the last entry; the note goes to the Trash.
            self.menu(s, FIRST_ROW, "Up", "Return")
            s.wait_for(lambda: not os.path.exists(new), "the deleted note")
            trashed = os.path.join(s.env["XDG_DATA_HOME"], "Trash", "files", "Untitled.md")
            self.assertTrue(os.path.exists(trashed))
            self.assertIn("Deleted note: Untitled.md", s.app_log())
            self.assertEqual(s.stop_app(), 0, s.app_log())


if __name__ == "__main__":
    harness.main()
