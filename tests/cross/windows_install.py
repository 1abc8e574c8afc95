#!/usr/bin/env python3
"""What scripts/test-windows reads from a Wine prefix after the installer ran:

    windows_install.py shortcut FILE.lnk    target, working folder and icon of a shell link
    windows_install.py entries < QUERY      the Kavrin entries of `reg query ...\\Uninstall /s`
    windows_install.py mentions CODE... -- EXPORT...
                                            registry keys and values (in `reg export` files)
                                            that name Kavrin or one of the GUIDs CODE, also
                                            in the packed form Windows Installer keys use
    windows_install.py packed GUID          that packed form
    windows_install.py path-entries < QUERY the entries of the PATH in `reg query KEY /v PATH`,
                                            empty ones left out

Each prints one line per item, fields separated by tabs.
"""
import re
import struct
import sys

# Flags of a shell link's header (MS-SHLLINK 2.1.1) and the string data they announce, in order.
HAS_ID_LIST, HAS_LINK_INFO, IS_UNICODE = 0x1, 0x2, 0x80
STRINGS = [(0x4, "name"), (0x8, "relative path"), (0x10, "working folder"),
           (0x20, "arguments"), (0x40, "icon")]


def shortcut(path):
    data = open(path, "rb").read()
    flags = struct.unpack_from("<I", data, 0x14)[0]
    pos = 0x4C
    if flags & HAS_ID_LIST:
        pos += 2 + struct.unpack_from("<H", data, pos)[0]
    target = ""
    if flags & HAS_LINK_INFO:
        size, _, info_flags, _, base = struct.unpack_from("<5I", data, pos)
        if info_flags & 1:  # VolumeIDAndLocalBasePath
            target = data[pos + base:data.index(b"\0", pos + base)].decode("cp1252")
        pos += size
    strings = {}
    for flag, name in STRINGS:
        if flags & flag:
            count = struct.unpack_from("<H", data, pos)[0]
            width = 2 if flags & IS_UNICODE else 1
            raw = data[pos + 2:pos + 2 + count * width]
            # Wine counts the terminating NUL too.
            strings[name] = raw.decode("utf-16-le" if width == 2 else "cp1252").rstrip("\0")
            pos += 2 + count * width
    print(target, strings.get("working folder", ""), strings.get("icon", ""), sep="\t")


def entries():
    key, values, found = None, {}, []

    def close():
        if key and values.get("DisplayName") == "Kavrin":
            found.append([key.rsplit("\\", 1)[1]] + [values.get(n, "") for n in
                                                      ("DisplayVersion", "Publisher", "URLInfoAbout")])

    for line in sys.stdin.read().replace("\r", "").splitlines():
        if line.startswith("HKEY_"):
            close()
            key, values = line, {}
        elif m := re.match(r"    (\S+)    REG_\w+    ?(.*)$", line):
            values[m[1]] = m[2]
    close()
    for row in found:
        print(*row, sep="\t")


def packed(guid):
    """Windows Installer's packed form: each of the first three groups reversed, then each byte
    of the last two with its two hex digits swapped."""
    g = guid.strip("{}").upper().split("-")
    tail = "".join(g[3:])
    return g[0][::-1] + g[1][::-1] + g[2][::-1] + "".join(tail[i + 1] + tail[i] for i in range(0, 16, 2))


def path_entries():
    for line in sys.stdin.read().replace("\r", "").splitlines():
        if m := re.match(r"    PATH    REG_(?:EXPAND_)?SZ    (.*)$", line, re.I):
            for entry in m[1].split(";"):
                if entry:
                    print(entry)


# The window's remembered choices belong to the user who made them, not to the installation: a
# per-machine uninstall leaves every user's settings, as Windows programs do.
USER_SETTINGS = "[hkey_current_user\\software\\kavrin"


def mentions(codes, exports):
    needles = ["kavrin"] + [n.lower() for c in codes for n in (c.strip("{}"), packed(c))]
    for export in exports:
        key = ""
        for line in open(export, encoding="utf-16").read().splitlines():
            if line.startswith("["):
                key = line
            if key.lower().rstrip("]").split("\\")[:3] == USER_SETTINGS.split("\\"):
                continue
            if any(n in line.lower() for n in needles):
                print(key, line if line != key else "", sep="\t")


if __name__ == "__main__":
    command, args = sys.argv[1], sys.argv[2:]
    if command == "shortcut":
        shortcut(args[0])
    elif command == "entries":
        entries()
    elif command == "mentions":
        split = args.index("--")
        mentions(args[:split], args[split + 1:])
    elif command == "packed":
        print(packed(args[0]))
    elif command == "path-entries":
        path_entries()
    else:
        sys.exit(f"windows_install.py: unknown command {command}")
