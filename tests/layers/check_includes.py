#!/usr/bin/env python3
"""Checks that the program's folders use only the folders below them.

Reads every `#include "..."` in the program's source folders and fails, naming file and line, on any
include of a folder the layer table below does not allow. usage: check_includes.py [SOURCE_ROOT]
"""
import pathlib
import re
import sys

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

# Includes that still cross a layer, each to be joined through app/; nothing may be added to this list.
# Written as "file -> included header".
KNOWN_CROSSINGS = {
    # During playback the controls give the recorded sticks and switches instead of the live ones.
    "input/control_input.cpp -> recorder/flight_recorder.h",
}

INCLUDE = re.compile(r'^\s*#\s*include\s*"([^"]+)"')


def check(root):
    errors = []
    used_known = set()
    for folder in sorted(LAYERS):
        for path in sorted((root / folder).rglob("*")):
            if path.suffix not in (".h", ".cpp"):
                continue
            rel = path.relative_to(root).as_posix()
            for number, line in enumerate(path.read_text(encoding="utf-8").splitlines(), 1):
                m = INCLUDE.match(line)
                if not m or "/" not in m.group(1):
                    continue  # no include, or a header beside the file
                target = m.group(1)
                to = target.split("/", 1)[0]
                if to == folder or to in BELOW_ALL or to in LAYERS[folder]:
                    continue
                if to not in LAYERS:
                    errors.append(f"{rel}:{number}: includes \"{target}\" from no known folder")
                    continue
                key = f"{rel} -> {target}"
                if key in KNOWN_CROSSINGS:
                    used_known.add(key)
                    continue
                errors.append(f"{rel}:{number}: {folder}/ may not include \"{target}\" ({to}/ is not below it)")
    for key in sorted(KNOWN_CROSSINGS - used_known):
        errors.append(f"known crossing no longer present, remove it from the list: {key}")
    return errors


def main():
    root = pathlib.Path(sys.argv[1] if len(sys.argv) > 1 else pathlib.Path(__file__).resolve().parents[2])
    errors = check(root)
    print("\n".join(errors + [f"{len(errors)} include(s) against the layers" if errors
                               else "every include points down the layers"]))
    return 1 if errors else 0


if __name__ == "__main__":
    sys.exit(main())
