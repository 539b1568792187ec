#!/usr/bin/env python3
"""Checks that the program's folders use only the folders below them, and only their public headers.

Reads every `#include "..."` in the program's source folders and fails, naming file and line, on any
include of a folder the layer table below does not allow, and on any include of another folder's private
header (`*_internal.h`: state only that folder's own files use; tests may include it).
usage: check_includes.py [SOURCE_ROOT]     check the program
       check_includes.py --self-test       check that wrong includes in a scratch tree are caught
"""
import pathlib
import re
import sys
import tempfile

# Who may include whom. A folder may always include its own headers and the standard library.
# resources/ is the table of files compiled into the program: plain data any folder may look up.
BELOW_ALL = {"resources"}
LAYERS = {
    "app": {"render", "recorder", "log", "sound", "input", "flight", "assets", "platform", "ui"},
    "render": {"flight", "assets"},
    "recorder": {"flight", "assets", "ui"},
    "log": {"flight", "assets", "ui"},
    "sound": {"flight", "assets", "ui"},
    "input": {"flight", "assets", "ui"},
    "ui": {"assets"},
    "flight": set(),
    "assets": set(),
    "platform": set(),
    "resources": set(),
}
# The programs built beside the main one may use every folder, but no folder's private headers.
TOOLS = "tools"

INCLUDE = re.compile(r'^\s*#\s*include\s*"([^"]+)"')


def is_private(header):
    return header.endswith("_internal.h")


def wrong_include(folder, target):
    """The reason an include of `target` from a file in `folder` is wrong, or None when it is allowed."""
    if "/" not in target:
        return None  # a header beside the file
    to = target.split("/", 1)[0]
    if to == folder:
        return None
    if to not in LAYERS:
        return f"includes \"{target}\" from no known folder"
    if is_private(target):
        return f"includes \"{target}\", a header private to {to}/"
    if folder != TOOLS and to not in BELOW_ALL and to not in LAYERS[folder]:
        return f"{folder}/ may not include \"{target}\" ({to}/ is not below it)"
    return None


def check(root):
    errors = []
    for folder in sorted(LAYERS) + [TOOLS]:
        for path in sorted((root / folder).rglob("*")):
            if path.suffix not in (".h", ".cpp"):
                continue
            rel = path.relative_to(root).as_posix()
            for number, line in enumerate(path.read_text(encoding="utf-8").splitlines(), 1):
                m = INCLUDE.match(line)
                reason = m and wrong_include(folder, m.group(1))
                if reason:
                    errors.append(f"{rel}:{number}: {reason}")
    return errors


def self_test():
    """A scratch tree with one wrong include of each kind beside allowed ones: exactly the wrong ones fail."""
    files = {
        "flight/gyro.cpp": '#include "flight/gyro_internal.h"\n#include "flight/vec_math.h"\n',
        "flight/step.cpp": '#include <cmath>\n#include "flight/gyro.h"\n#include "app/user_prefs.h"\n',
        "render/frame.cpp": '#include "flight/heli_state.h"\n#include "flight/gyro_internal.h"\n',
        "app/menu.cpp": '#include "render/frame.h"\n#include "input/control_input.h"\n',
        "tools/fdm/run.cpp": '#include "app/menu.h"\n#include "flight/gyro_internal.h"\n',
        "sound/beep.cpp": '#include "helpers/beep.h"\n',
    }
    expected = [
        'flight/step.cpp:3: flight/ may not include "app/user_prefs.h" (app/ is not below it)',
        'render/frame.cpp:2: includes "flight/gyro_internal.h", a header private to flight/',
        'sound/beep.cpp:1: includes "helpers/beep.h" from no known folder',
        'tools/fdm/run.cpp:2: includes "flight/gyro_internal.h", a header private to flight/',
    ]
    with tempfile.TemporaryDirectory() as scratch:
        root = pathlib.Path(scratch)
        for name, text in files.items():
            (root / name).parent.mkdir(parents=True, exist_ok=True)
            (root / name).write_text(text, encoding="utf-8")
        errors = check(root)
    if sorted(errors) != expected:
        print("the wrong includes were not caught as expected; found:")
        for e in errors:
            print("  " + e)
        return 1
    print("each wrong include is caught, naming file and line")
    return 0


def main():
    if sys.argv[1:] == ["--self-test"]:
        return self_test()
    root = pathlib.Path(sys.argv[1] if len(sys.argv) > 1 else pathlib.Path(__file__).resolve().parents[2])
    errors = check(root)
    print("\n".join(errors + [f"{len(errors)} include(s) against the layers" if errors
                               else "every include points down the layers"]))
    return 1 if errors else 0


if __name__ == "__main__":
    sys.exit(main())
