#!/usr/bin/env python3
"""The library reference (docs/library.md) names every operation the libraries declare.

Every free function declared at namespace level in a header of runtime/, serial/, dialog/ or
graphic/ must appear on the page in backticks, unless the page's section "Internal headers" lists its
header by file name (`name.h`, so that moving a header between folders keeps it) or the
operation itself (`Name`), with why. A new
header or operation is public until the page says otherwise. Also fails when the page names an operation that no header declares, so
that renamed or removed operations do not linger.
"""
import argparse
import pathlib
import re
import sys

LIBRARIES = ("runtime", "serial", "dialog", "graphic")
# A declaration starts at the left margin (namespace members are not indented here): a return
# type, then the operation's name and its opening parenthesis.
DECLARATION = re.compile(
    r"^(?:(?:inline|constexpr|static|extern|\[\[\w+\]\])\s+)*"
    r"(?:[A-Za-z_][\w:<>,]*[\s*&]+)+([A-Z][A-Za-z0-9_]*)\s*\(")
NOT_TYPES = {"return", "using", "typedef", "namespace", "struct", "class", "enum", "template", "friend"}


def declared(header: pathlib.Path):
    names = set()
    for line in header.read_text(encoding="utf-8", errors="replace").splitlines():
        if not line or line[0].isspace() or line.startswith(("#", "//", "}")):
            continue
        first = line.split()[0]
        if first in NOT_TYPES:
            continue
        m = DECLARATION.match(line)
        if m:
            names.add(m.group(1))
    return names


def internal_entries(page: str):
    """The headers and the single operations the page declares internal."""
    m = re.search(r"^## Internal headers\s*$(.*?)(?=^## |\Z)", page, re.M | re.S)
    entries = set(re.findall(r"`([^`]+)`", m.group(1))) if m else set()
    return ({e for e in entries if re.fullmatch(r"\w+\.h", e)},
            {e for e in entries if re.fullmatch(r"[A-Z]\w*", e)})


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--repo", default=str(pathlib.Path(__file__).resolve().parents[2]))
    repo = pathlib.Path(parser.parse_args().repo)
    page = (repo / "docs" / "library.md").read_text(encoding="utf-8")
    internal, internal_names = internal_entries(page)
    section = re.search(r"^## Internal headers\s*$.*?(?=^## |\Z)", page, re.M | re.S)
    public_text = page.replace(section.group(0), "") if section else page
    documented = set(re.findall(r"`([A-Z][A-Za-z0-9_]*)`", public_text)) | internal_names
    public, everywhere = {}, set()
    for library in LIBRARIES:
        for header in sorted((repo / library).rglob("*.h")):
            relative = header.relative_to(repo).as_posix()
            names = declared(header)
            everywhere |= names
            if header.name not in internal:
                for name in names:
                    public.setdefault(name, relative)
    missing = sorted((name, where) for name, where in public.items() if name not in documented)
    headers = [h.name for library in LIBRARIES for h in (repo / library).rglob("*.h")]
    unknown_internal = sorted(h for h in internal if h not in headers)
    unknown_internal += sorted(n for n in internal_names if n not in everywhere)
    for name, where in missing:
        print(f"docs/library.md: {name} (declared in {where}) is missing")
    for h in unknown_internal:
        print(f"docs/library.md: internal entry {h} names no header or declared operation")
    # Operations in the tables' first column that no header declares any more.
    listed = set(re.findall(r"^\|\s*`([A-Z][A-Za-z0-9_]*)`", page, re.M))
    stale = sorted(listed - everywhere)
    for name in stale:
        print(f"docs/library.md: {name} is listed but no header declares it")
    print(f"{len(public)} public operations, {len(internal)} internal headers, "
          f"{len(missing)} missing, {len(stale)} stale")
    return 1 if missing or unknown_internal or stale else 0


if __name__ == "__main__":
    sys.exit(main())
