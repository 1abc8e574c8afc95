#!/usr/bin/python3
"""The translation catalogues po/LANG.po of po/LINGUAS against the sources of the window and the
page: every catalogue passes msgfmt --check, translates every text (no empty or fuzzy entry, every
plural form) and holds exactly the texts the sources use; po/kavrin.pot is what scripts/update-po
makes of the sources today.

    tests/i18n/catalogues.py

Prints one line per check, then "N passed, N failed"; exits non-zero on any failure.
"""
import os
import re
import subprocess
import sys
import tempfile

import polib

ROOT = os.path.abspath(os.path.join(os.path.dirname(__file__), "..", ".."))
PO = os.path.join(ROOT, "po")


def languages():
    with open(os.path.join(PO, "LINGUAS"), encoding="utf-8") as f:
        return [w for line in f for w in [line.split("#")[0].strip()] if w]


def ids(catalogue):
    return {(e.msgid, e.msgid_plural) for e in catalogue if not e.obsolete}


def text(msgid):
    return " / ".join(repr(part) for part in msgid if part)


def without_date(path):
    with open(path, encoding="utf-8") as f:
        return [line for line in f if not line.startswith('"POT-Creation-Date:')]


def plural_count(catalogue):
    match = re.search(r"nplurals\s*=\s*(\d+)", catalogue.metadata.get("Plural-Forms", ""))
    return int(match.group(1)) if match else 0


def untranslated(entry, count):
    """Why `entry` lacks its translation, or None."""
    if entry.fuzzy:
        return "fuzzy"
    if not entry.msgid_plural:
        return None if entry.msgstr else "empty"
    forms = [entry.msgstr_plural.get(i, "") for i in range(count)]
    if len(entry.msgstr_plural) != count or not all(forms):
        return "%d of %d plural forms" % (sum(map(bool, forms)), count)
    return None


def check_catalogue(lang, template):
    """The failures of po/LANG.po against the entries the sources use."""
    path = os.path.join(PO, lang + ".po")
    run = subprocess.run(["msgfmt", "--check", "-o", os.devnull, path],
                         capture_output=True, text=True)
    failures = ["msgfmt --check: " + run.stderr.strip()] if run.returncode else []
    catalogue = polib.pofile(path)
    count = plural_count(catalogue)
    for entry in catalogue:
        why = "no source uses it any more" if entry.obsolete else untranslated(entry, count)
        if why:
            failures.append("%r: %s" % (entry.msgid, why))
    used, held = ids(template), ids(catalogue)
    failures += ["lacks %s, which a source uses" % text(i) for i in sorted(used - held)]
    failures += ["holds %s, which no source uses" % text(i) for i in sorted(held - used)]
    return failures


def main():
    with tempfile.TemporaryDirectory() as work:
        fresh = os.path.join(work, "kavrin.pot")
        subprocess.run([os.path.join(ROOT, "scripts", "update-po"), "--pot", fresh], check=True,
                       stderr=subprocess.DEVNULL)
        template = polib.pofile(fresh)
        committed = os.path.join(PO, "kavrin.pot")
        current = os.path.exists(committed) and without_date(committed) == without_date(fresh)
        checks = [("po/kavrin.pot is current",
                   [] if current else ["differs from what scripts/update-po makes; run it"])]
    checks += [("po/%s.po" % lang, check_catalogue(lang, template)) for lang in languages()]
    passed = failed = 0
    for name, failures in checks:
        if failures:
            failed += 1
            print("FAILED %s:\n  %s" % (name, "\n  ".join(failures)))
        else:
            passed += 1
            print("ok     " + name)
    print("%d passed, %d failed" % (passed, failed))
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
