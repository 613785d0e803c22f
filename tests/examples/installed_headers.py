#!/usr/bin/env python3
"""The installed header folder (PREFIX/include/quorvex) against the library reference.

- every header docs/library.md names for programs is installed, and quorvex.h includes it;
- every header an installed header includes (by "name") is installed too;
- an internal header (the page's "Internal headers") is installed only when an installed
  header includes it.
"""
import argparse
import pathlib
import re
import sys


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--repo", required=True)
    parser.add_argument("--prefix", required=True)
    args = parser.parse_args()
    page = (pathlib.Path(args.repo) / "docs" / "library.md").read_text(encoding="utf-8")
    section = re.search(r"^## Internal headers\s*$.*?(?=^## |\Z)", page, re.M | re.S)
    internal_text = section.group(0) if section else ""
    named = set(re.findall(r"(\w+\.h)`", page.replace(internal_text, "")))
    internal = set(re.findall(r"`(\w+\.h)`", internal_text))

    root = pathlib.Path(args.prefix) / "include" / "quorvex"
    installed = {p.relative_to(root).as_posix(): p for p in root.rglob("*.h")}
    by_name = {pathlib.PurePosixPath(p).name for p in installed}
    faults = []
    for name in sorted(named - by_name):
        faults.append(f"{name} is named by docs/library.md but not installed")

    included = set()
    for relative, path in sorted(installed.items()):
        for target in re.findall(r'^\s*#\s*include\s+"([^"]+)"', path.read_text(encoding="utf-8"), re.M):
            here = (path.parent / target).resolve()
            if not here.is_file() and not (root / target).is_file():
                faults.append(f"{relative} includes {target}, which is not installed")
            included.add(pathlib.PurePosixPath(target).name)

    umbrella = installed.get("quorvex.h")
    if umbrella is None:
        faults.append("quorvex.h is not installed")
    else:
        text = umbrella.read_text(encoding="utf-8")
        direct = {pathlib.PurePosixPath(t).name for t in re.findall(r'#include "([^"]+)"', text)}
        for name in sorted(named - direct):
            faults.append(f"quorvex.h does not include {name}")
    for name in sorted((by_name & internal) - included):
        faults.append(f"{name} is internal and no installed header includes it: it should stay out")

    for fault in faults:
        print(f"installed headers: {fault}")
    print(f"{len(installed)} headers installed, {len(named)} named by the reference, {len(faults)} faults")
    return 1 if faults else 0


if __name__ == "__main__":
    sys.exit(main())
