"""The whole main road, once, as a user drives it: a vault from an earlier
launch, copies made in other programs, the panel opened with the hot key, one
query narrowing the panes, a new note made with Ctrl+N and typed into, Esc and the hot key
again with everything kept, and an entry picked with the keyboard."""

import json
import os
import unittest

import harness
from harness import CTRL_SHIFT_K, build_dir, panel_gone, panel_shown, png
from test_vault import bookmark, write


def read(path):
    with open(path, encoding="utf-8") as f:
        return f.read()


def focused_pane(s):
    """The pane the panel's focus last moved to, as the program stores it at once.
    Focus moves a turn after its key: keys typed before it has would act on the
    pane left behind."""
    try:
        with open(os.path.join(s.config_dir, "defaults.json"), encoding="utf-8") as f:
            return json.load(f).get("lastFocusedPane")
    except (OSError, ValueError):
        return None


class MainRoad(unittest.TestCase):
    def shot(self, s, stage):
        return s.still_screenshot(os.path.join(build_dir(), "mainroad-%s.png" % stage))

    def test_main_road(self):
        with harness.Session() as s:
            vault = os.path.join(s.home, "Vault")
            write(os.path.join(vault, "Groceries.md"), "# Groceries\n\nmilk, bread\n")
            write(os.path.join(vault, "Recipes", "Apple pie.md"), "# Apple pie\n\napples, butter\n")
            s.write_defaults({"GlobalShortcuts_toggleHUD": CTRL_SHIFT_K, **bookmark(vault)})
            s.start_app()

            s.copy_into_store("apple crumble for Sunday")
            s.copy_into_store("banana bread")
            s.copy_into_store(png(80, 50), "image/png")

            s.xdotool("key", "ctrl+shift+k")
            s.wait_for(lambda: panel_shown(s), "the panel")
            self.shot(s, "1-open")

            # Shift+Tab from the clipboard pane reaches the search field; the query
            # narrows both panes.
            s.xdotool("key", "shift+Tab")
            s.xdotool("type", "--delay", "30", "apple")
            self.shot(s, "2-query")

            # Tab on to the notes pane (through the clipboard pane), Ctrl+N: a new note.
            s.xdotool("key", "Tab", "key", "Tab")
            s.wait_for(lambda: focused_pane(s) == "notes", "the focus on the notes pane")
            s.xdotool("key", "ctrl+n")
            new_note = os.path.join(vault, "Untitled.md")
            s.wait_for(lambda: os.path.exists(new_note), "the new note's file")

            # The new note's editor has the keyboard: typed text is saved after the delay.
            s.xdotool("type", "--delay", "20", "Buy apples")
            s.wait_for(lambda: read(new_note) == "Buy apples", "the typed text saved", timeout=15)
            self.shot(s, "3-new-note")

            # Esc hides; the hot key shows the panel again as it was left.
            s.xdotool("key", "Escape")
            s.wait_for(lambda: panel_gone(s), "the panel to hide on Esc")
            s.xdotool("key", "ctrl+shift+k")
            s.wait_for(lambda: panel_shown(s), "the panel again")
            self.shot(s, "4-again")

            # Back to the clipboard pane: the query still narrows it to one entry,
            # which Return copies (the newest entry is the image).
            s.xdotool("key", "shift+Tab")
            s.wait_for(lambda: focused_pane(s) == "clipboard", "the focus on the clipboard pane")
            s.xdotool("key", "Return")
            s.wait_for(lambda: s.clipboard() == b"apple crumble for Sunday", "the picked entry on the clipboard")
            s.wait_for(lambda: panel_gone(s), "the panel to hide after the copy")
            s.wait_for(lambda: s.store_rows()[0]["preview"] == "apple crumble for Sunday", "the entry at the top")
            self.assertEqual(len(s.store_rows()), 3)
            self.assertEqual(s.stop_app(), 0, s.app_log())


if __name__ == "__main__":
    harness.main()
