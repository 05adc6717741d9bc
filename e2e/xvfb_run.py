"""Runs one command under a private Xvfb with temporary XDG folders.

Used by CTest for C++ test programs that need a real X server:
    python3 xvfb_run.py <program> [args...]
The command's exit status is this script's.
"""

import subprocess
import sys

import harness


def main():
    if len(sys.argv) < 2:
        raise SystemExit("usage: xvfb_run.py <program> [args...]")
    with harness.Session() as s:
        env = dict(s.env)
        result = subprocess.run(sys.argv[1:], env=env)
    sys.exit(result.returncode)


if __name__ == "__main__":
    main()
