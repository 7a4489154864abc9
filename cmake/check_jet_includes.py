#!/usr/bin/env python3
"""The data-access layer's include rules (docs/architecture.md).

Reads every #include line of platform/jet and fails when a folder reaches
one it may not: each folder may include itself and the folders listed for
it, nothing else of the project, and none of the libraries named against
it. Run by the build (platform/jet/CMakeLists.txt); `--self-test` proves
that a forbidden include is caught.
"""
import os
import re
import sys
import tempfile

# Folder -> the folders (or single headers) of the project it may include.
# "core" is platform/jet itself; "text" is platform/text.
ALLOWED = {
    "core": {"core", "text"},
    "statement": {"core", "statement", "text"},
    "store": {"core", "statement", "store", "text"},
    "format": {"core", "format", "text"},
    "file": {"core", "file", "format", "text"},
    "mdb": {"core", "mdb", "format", "text"},
    "writer": {"core", "statement", "format", "file", "mdb", "writer", "text"},
    "open": {"core", "store", "mdb", "writer", "text"},
    "testing": {"core", "statement", "store", "format", "file", "mdb", "writer", "testing", "text"},
}

# Libraries a folder must not reach, by their headers. No folder of the
# layer reaches Qt (it sits below every window).
QT = re.compile(r"^(Q[A-Z]\w*|Qt\w*/.*|qt\w*\.h)$")
SQLITE = re.compile(r"^sqlite3\.h$")
LIBMDB = re.compile(r"^mdb\w*\.h$")
SODIUM = re.compile(r"^sodium(\.h|/.*)$")
ICU = re.compile(r"^unicode/.*$")
FORBIDDEN_LIBS = {
    "core": [QT, SQLITE, LIBMDB, SODIUM, ICU],
    "statement": [QT, SQLITE, LIBMDB, SODIUM],
    "store": [QT, LIBMDB],
    "format": [QT, SQLITE, LIBMDB, SODIUM],
    "file": [QT, SQLITE, LIBMDB, SODIUM],
    "mdb": [QT, SQLITE, SODIUM],
    "writer": [QT, SQLITE, LIBMDB, SODIUM],
    "open": [QT, SQLITE, LIBMDB, SODIUM],
    "testing": [QT, LIBMDB],
}

INCLUDE = re.compile(r'^\s*#\s*include\s*([<"])([^">]+)[">]')


def folder_of(root, path):
    rel = os.path.relpath(path, root)
    parts = rel.split(os.sep)
    return "core" if len(parts) == 1 else parts[0]


def module_of(include):
    """The project folder a quoted include names, or None for another library."""
    parts = include.split("/")
    if parts[0] == "jet":
        return "core" if len(parts) == 2 else parts[1]
    return parts[0] if len(parts) > 1 else None


def check(root):
    problems = []
    for dirpath, _, files in os.walk(root):
        for name in sorted(files):
            if not name.endswith((".h", ".cpp")):
                continue
            path = os.path.join(dirpath, name)
            folder = folder_of(root, path)
            if folder not in ALLOWED:
                problems.append(f"{path}: folder '{folder}' has no include rules")
                continue
            with open(path, encoding="utf-8", errors="replace") as f:
                for number, line in enumerate(f, 1):
                    m = INCLUDE.match(line)
                    if not m:
                        continue
                    kind, include = m.groups()
                    where = f"{os.path.relpath(path, os.path.dirname(os.path.dirname(root)))}:{number}"
                    if kind == '"':
                        module = module_of(include)
                        if module is None:
                            problems.append(f"{where}: '{include}' names no folder")
                        elif module != folder and module not in ALLOWED[folder] \
                                and include not in ALLOWED[folder]:
                            problems.append(f"{where}: {folder}/ may not include '{include}'")
                    else:
                        for lib in FORBIDDEN_LIBS[folder]:
                            if lib.match(include):
                                problems.append(f"{where}: {folder}/ may not include <{include}>")
    return problems


def self_test():
    cases = [
        ("file/Page.cpp", '#include "jet/statement/Model.h"\n', True),
        ("statement/Lexer.cpp", "#include <sqlite3.h>\n", True),
        ("statement/Lexer.cpp", "#include <QString>\n", True),
        ("writer/Plan.cpp", '#include "ui/Services.h"\n', True),
        ("mdb/Provider.cpp", '#include "jet/writer/FileProvider.h"\n', True),
        ("Connection.cpp", '#include "jet/store/Sqlite.h"\n', True),
        ("file/Page.cpp", '#include "jet/format/JetHeader.h"\n#include "text/Utf8.h"\n', False),
        ("format/QuerySql.cpp", '#include "jet/statement/Lexer.h"\n', True),
        ("format/Header.cpp", '#include "jet/mdb/Snapshot.h"\n', True),
        ("writer/Plan.cpp", '#include "jet/file/Row.h"\n#include "jet/statement/Model.h"\n', False),
    ]
    failed = 0
    for rel, text, bad in cases:
        with tempfile.TemporaryDirectory() as tmp:
            root = os.path.join(tmp, "platform", "jet")
            os.makedirs(os.path.dirname(os.path.join(root, rel)), exist_ok=True)
            with open(os.path.join(root, rel), "w") as f:
                f.write(text)
            found = bool(check(root))
            if found != bad:
                failed += 1
                print(f"self-test: {rel} with {text.strip()!r}: "
                      f"{'not caught' if bad else 'refused'}", file=sys.stderr)
    return 1 if failed else 0


def main():
    if len(sys.argv) == 2 and sys.argv[1] == "--self-test":
        return self_test()
    if len(sys.argv) != 2:
        print("usage: check_jet_includes.py PLATFORM_JET_DIR | --self-test", file=sys.stderr)
        return 2
    problems = check(os.path.abspath(sys.argv[1]))
    for p in problems:
        print(p, file=sys.stderr)
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
