#!/usr/bin/env python3
"""A Wine prefix's registry and files as sorted text lines, for comparing a
prefix before an installation and after its removal.

snapshot.py PREFIX OUT REG_EXPORT...
Registry exports are regedit /E files (UTF-16). Keys and values that Wine and
Windows change by themselves are left out (VOLATILE_KEYS); so are the temporary
folders. Files are listed with their size and digest.
"""
import hashlib
import os
import sys

# Prefixes of key paths written by Wine itself or by running any program.
VOLATILE_KEYS = (
    "HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\Control\\Session Manager",  # pending renames of the uninstaller's copy
    "HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows NT\\CurrentVersion\\Perflib",
    "HKEY_LOCAL_MACHINE\\Software\\Wine\\Fonts",
    "HKEY_CURRENT_USER\\Software\\Wine\\Fonts",
    "HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\Services\\EventLog",
    "HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer",
    "HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Cryptography\\RNG",
    "HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\Control\\Class",  # display driver, per session
    "HKEY_LOCAL_MACHINE\\System\\CurrentControlSet\\Control\\Video",
)


def registry_lines(path):
    with open(path, "rb") as f:
        raw = f.read()
    text = raw.decode("utf-16") if raw[:2] in (b"\xff\xfe", b"\xfe\xff") else raw.decode("utf-8", "replace")
    lines, key, keep = [], None, True
    pending = ""
    for line in text.splitlines():
        if pending:
            line = pending + line.strip()
            pending = ""
        if line.endswith("\\") and not line.startswith("["):
            pending = line[:-1]
            continue
        if line.startswith("[") and line.endswith("]"):
            key = line[1:-1]
            keep = not any(key.lower().startswith(v.lower()) for v in VOLATILE_KEYS)
            if keep:
                lines.append(key)
            continue
        if key and keep and line.strip():
            lines.append(key + " | " + line.strip())
    return lines


def is_temporary(parent, name):
    """windows/temp and every user's Temp folder."""
    parts = [p for p in parent.split("/") if p not in ("", ".")] + [name]
    lowered = [p.lower() for p in parts]
    return lowered == ["windows", "temp"] or (len(parts) == 3 and lowered[0] == "users" and lowered[2] == "temp")


def file_lines(prefix):
    root = os.path.join(prefix, "drive_c")
    lines = []
    for current, dirs, files in os.walk(root):
        relative = os.path.relpath(current, root).replace(os.sep, "/")
        dirs[:] = [d for d in dirs if not is_temporary(relative, d) and not os.path.islink(os.path.join(current, d))]
        lines.append("dir " + relative)
        for name in files:
            path = os.path.join(current, name)
            if os.path.islink(path):
                continue
            with open(path, "rb") as f:
                digest = hashlib.sha1(f.read()).hexdigest()
            lines.append("file {}/{} {}".format(relative, name, digest))
    return lines


def main():
    prefix, out = sys.argv[1], sys.argv[2]
    lines = []
    for export in sys.argv[3:]:
        lines += registry_lines(export)
    lines += file_lines(prefix)
    with open(out, "w", encoding="utf-8") as f:
        f.write("\n".join(sorted(lines)) + "\n")


if __name__ == "__main__":
    main()
