#!/usr/bin/env python3
"""Builds resources/language/translate.json from the language sources.

Sources (all UTF-8, tab separated, '#' starts a comment line):
  resources/language/texts.tsv            number, role, English, Simplified Chinese
  resources/language/translations/XX.tsv  number, text   (one file per other language)

The program reads translate.json as a JSON array of 12 arrays of strings, one
per language index, each indexed by text number. Numbers that no row names
stay empty strings; a text missing from a translation file falls back to the
English text, and index 5 (never chosen at run time) is English throughout.

Usage: make_translate.py [--check] [--root DIR]
  --check  compare with the committed file instead of writing it (exit 1 on a difference)
"""

import argparse
import json
import os
import re
import sys
import tempfile

LANGUAGE_COUNT = 12
ENGLISH = 1
CHINESE = 0
# Index 5 is never chosen; it carries English.
TRANSLATION_FILES = {
    "ko": 2,
    "sq": 3,
    "de": 4,
    "it": 6,
    "es": 7,
    "nl": 8,
    "pt": 9,
    "ru": 10,
    "uk": 11,
}
# The program addresses texts up to 343 directly; keep at least that many.
MINIMUM_LENGTH = 344

PLACEHOLDER = re.compile(r"%(\d+)")


class SourceError(Exception):
    pass


def unescape(text, where):
    out = []
    i = 0
    while i < len(text):
        c = text[i]
        if c != "\\":
            out.append(c)
            i += 1
            continue
        if i + 1 >= len(text):
            raise SourceError(f"{where}: lone backslash at the end of a text")
        nxt = text[i + 1]
        if nxt == "n":
            out.append("\n")
        elif nxt == "t":
            out.append("\t")
        elif nxt == "\\":
            out.append("\\")
        else:
            raise SourceError(f"{where}: unknown escape \\{nxt}")
        i += 2
    return "".join(out)


def read_rows(path, columns):
    """Yields (line number, fields) for every data line of a TSV file."""
    with open(path, encoding="utf-8") as f:
        data = f.read()
    for number, line in enumerate(data.split("\n"), start=1):
        line = line.rstrip("\r")
        if not line.strip() or line.startswith("#"):
            continue
        fields = line.split("\t")
        if len(fields) != columns:
            raise SourceError(f"{path}:{number}: expected {columns} tab-separated columns, found {len(fields)}")
        yield number, fields


def parse_number(text, where):
    if not re.fullmatch(r"\d+", text):
        raise SourceError(f"{where}: text number '{text}' is not a non-negative integer")
    return int(text)


def check_text(text, where):
    if text != text.strip():
        raise SourceError(f"{where}: text has leading or trailing blanks")


def placeholders(text):
    return sorted(set(PLACEHOLDER.findall(text)))


def load_sources(root):
    lang_dir = os.path.join(root, "resources", "language")
    master = os.path.join(lang_dir, "texts.tsv")
    english = {}
    chinese = {}
    for line, (num, role, en, zh) in read_rows(master, 4):
        where = f"{master}:{line}"
        n = parse_number(num, where)
        if n in english:
            raise SourceError(f"{where}: text number {n} appears twice")
        if not role.strip():
            raise SourceError(f"{where}: text {n} has no role")
        en = unescape(en, where)
        zh = unescape(zh, where)
        for text in (en, zh):
            if not text:
                raise SourceError(f"{where}: text {n} is empty")
            check_text(text, where)
        if placeholders(zh) != placeholders(en):
            raise SourceError(f"{where}: text {n}: Chinese placeholders differ from English")
        english[n] = en
        chinese[n] = zh

    translations = {}
    trans_dir = os.path.join(lang_dir, "translations")
    for name in sorted(os.listdir(trans_dir)):
        code, ext = os.path.splitext(name)
        if ext != ".tsv" or code not in TRANSLATION_FILES:
            raise SourceError(f"{os.path.join(trans_dir, name)}: not a known language file")
        path = os.path.join(trans_dir, name)
        texts = {}
        for line, (num, text) in read_rows(path, 2):
            where = f"{path}:{line}"
            n = parse_number(num, where)
            if n not in english:
                raise SourceError(f"{where}: text number {n} is not in texts.tsv")
            if n in texts:
                raise SourceError(f"{where}: text number {n} appears twice")
            text = unescape(text, where)
            if not text:
                raise SourceError(f"{where}: text {n} is empty (leave the row out to use English)")
            check_text(text, where)
            if placeholders(text) != placeholders(english[n]):
                raise SourceError(f"{where}: text {n}: placeholders differ from English")
            texts[n] = text
        translations[TRANSLATION_FILES[code]] = texts
    return english, chinese, translations


def build_table(english, chinese, translations):
    length = max(MINIMUM_LENGTH, max(english) + 1)
    table = []
    for index in range(LANGUAGE_COUNT):
        column = [""] * length
        for n, en in english.items():
            if index == CHINESE:
                column[n] = chinese[n]
            elif index in translations:
                column[n] = translations[index].get(n, en)
            else:
                column[n] = en
        table.append(column)
    return table


def render(table):
    # One string per line keeps the committed file readable in diffs.
    return json.dumps(table, ensure_ascii=False, indent=1) + "\n"


def write_atomically(path, text):
    directory = os.path.dirname(path)
    fd, tmp = tempfile.mkstemp(prefix=".translate-", dir=directory)
    try:
        with os.fdopen(fd, "w", encoding="utf-8", newline="\n") as f:
            f.write(text)
        os.chmod(tmp, 0o644)
        os.replace(tmp, path)
    except BaseException:
        if os.path.exists(tmp):
            os.unlink(tmp)
        raise


def main(argv):
    default_root = os.path.normpath(os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", ".."))
    parser = argparse.ArgumentParser(description="Build translate.json from the language sources.")
    parser.add_argument("--check", action="store_true", help="only compare with the committed file")
    parser.add_argument("--root", default=default_root, help="repository root")
    args = parser.parse_args(argv)

    try:
        english, chinese, translations = load_sources(args.root)
    except (SourceError, OSError, UnicodeDecodeError) as e:
        print(f"make_translate: {e}", file=sys.stderr)
        return 2

    text = render(build_table(english, chinese, translations))
    target = os.path.join(args.root, "resources", "language", "translate.json")
    if args.check:
        try:
            with open(target, encoding="utf-8") as f:
                current = f.read()
        except OSError as e:
            print(f"make_translate: {e}", file=sys.stderr)
            return 1
        if current != text:
            print("make_translate: translate.json is out of date; run tools/langgen/make_translate.py", file=sys.stderr)
            return 1
        return 0
    write_atomically(target, text)
    print(f"make_translate: wrote {target} ({len(english)} texts, {len(text.encode('utf-8'))} bytes)")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
