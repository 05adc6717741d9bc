"""The clipboard pane as a user drives it: copy in other programs, open the
panel with the hot key, pick an entry with the arrow keys and Return, delete
one with Delete, and a query typed and picked faster than the search waits for."""

import os
import unittest

import harness
from harness import CTRL_SHIFT_K, build_dir, panel_gone, panel_shown, png
from test_clipboard import previews


class ClipboardPane(unittest.TestCase):
    def start(self, s):
        s.write_defaults({"GlobalShortcuts_toggleHUD": CTRL_SHIFT_K})
        s.start_app()

    def open_panel(self, s):
        s.xdotool("key", "ctrl+shift+k")
        s.wait_for(lambda: panel_shown(s), "the panel")

    def open_panel_over_three_words(self, s):
        """Starts the program, copies three texts (the last is the newest), opens the panel."""
        self.start(s)
        for text in ("alpha words", "bravo words", "charlie words"):
            s.copy_into_store(text)
        self.open_panel(s)

    def test_down_and_return_copy_the_second_newest_and_delete_removes_the_selection(self):
        with harness.Session() as s:
            self.open_panel_over_three_words(s)
            s.xdotool("key", "Down", "key", "Return")
            s.wait_for(lambda: s.clipboard() == b"bravo words", "the second-newest text on the clipboard")
            s.wait_for(lambda: panel_gone(s), "the panel to hide after the copy")
            s.wait_for(lambda: previews(s)[0] == "bravo words", "the copied entry at the top")
            s.stays(lambda: len(s.store_rows()) == 3, "no new entry for the program's own copy", duration=1.2)

            # The selection stays on the copied entry, now the newest: Delete removes it.
            self.open_panel(s)
            s.xdotool("key", "Delete")
            s.wait_for(lambda: previews(s) == ["charlie words", "alpha words"], "the entry gone from the store")
            self.assertEqual(s.stop_app(), 0, s.app_log())

    def test_a_query_typed_and_picked_in_one_burst_copies_what_it_matches(self):
        with harness.Session() as s:
            self.open_panel_over_three_words(s)
            # Faster than the search waits for typing to pause: Return must not act
            # on the unfiltered list, where the newest entry is selected.
            s.xdotool("key", "--delay", "0", "shift+Tab", "a", "l", "p", "h", "a", "Tab", "Return")
            s.wait_for(lambda: s.clipboard() == b"alpha words", "the matching entry on the clipboard")
            s.wait_for(lambda: previews(s)[0] == "alpha words", "the copied entry at the top")
            self.assertEqual(s.stop_app(), 0, s.app_log())

    def test_every_kind_of_entry_in_the_pane(self):
        with harness.Session() as s:
            self.start(s)
            s.copy_into_store("A short text someone copied")
            s.copy_into_store("def main():\n    for i in range(10):\n        print(i)\n    return 0\n")
            count = len(s.store_rows())
            s.own_clipboard({"text/plain": "Rich words here", "text/html": "<p><b>Rich</b> <i>words</i> here</p>"})
            s.wait_for(lambda: len(s.store_rows()) == count + 1, "the rich text")
            s.copy_into_store(png(96, 60), "image/png")
            s.copy_into_store("file:///home/user/Documents/report.pdf\n", "text/uri-list")
            self.open_panel(s)
            path = s.still_screenshot(os.path.join(build_dir(), "clipboard-pane.png"))
            self.assertTrue(os.path.getsize(path) > 0)
            self.assertEqual([r["contentType"] for r in s.store_rows()], ["file", "image", "richText", "code", "text"])


if __name__ == "__main__":
    harness.main()
