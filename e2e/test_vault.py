"""The vault chosen in an earlier launch is listed and watched by the real program."""

import base64
import json
import os
import shutil
import unittest

import harness

LOGS = {"QT_LOGGING_RULES": "com.quorvane.app.NotesManager.info=true"}


def bookmark(folder):
    """The stored form of the vault bookmark: canonical path, device and inode."""
    info = os.stat(folder)
    record = {"path": os.path.realpath(folder), "device": str(info.st_dev), "inode": str(info.st_ino)}
    data = json.dumps(record, separators=(",", ":")).encode()
    return {"com.quorvane.vaultBookmark": {"base64": base64.b64encode(data).decode()}}


def write(path, text):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "w", encoding="utf-8") as f:
        f.write(text)


class Vault(unittest.TestCase):
    def test_restored_vault_follows_changes_made_by_other_programs(self):
        with harness.Session() as s:
            vault = os.path.join(s.home, "Vault")
            write(os.path.join(vault, "Work", "a.md"), "a")
            s.write_defaults(bookmark(vault))
            s.start_app(extra_env=LOGS)
            s.wait_for(lambda: "Scanned vault: 1 notes, 0 media in 1 folders" in s.app_log(),
                       "the first scan of the restored vault")
            self.assertIn("Started watching vault: " + vault, s.app_log())

            # A note in a folder made after the start.
            write(os.path.join(vault, "New", "b.md"), "b")
            s.wait_for(lambda: "Scanned vault: 2 notes, 0 media in 2 folders" in s.app_log(),
                       "the rescan after a new folder")

            # The vault deleted while watched, then made again.
            shutil.rmtree(vault)
            s.wait_for(lambda: "Vault folder does not exist: " + vault in s.app_log(),
                       "the missing vault's log line")
            write(os.path.join(vault, "c.md"), "c")
            s.wait_for(lambda: s.app_log().count("Scanned vault: 1 notes, 0 media in 0 folders") == 1,
                       "the rescan of the vault that came back")

            self.assertEqual(s.stop_app(), 0, s.app_log())
            self.assertIn("Stopped watching vault", s.app_log())


if __name__ == "__main__":
    harness.main()
