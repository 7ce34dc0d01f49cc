#!/usr/bin/env python3
"""Holds every library folder under src/ to the rule written at the top of its CMakeLists.txt.

The first comment lines of a folder's CMakeLists.txt name the library and say what it may use:

    # publish: sockets, TLS, the FTP client, ...
    # May use: Qt Core, OpenSSL; text.

Before the ";" come Qt modules ("Qt Core", "Qt Gui", "Qt Widgets", "Qt Sql") and outside
libraries, after it the project's libraries. Qt Widgets brings Qt Gui, which brings Qt Core;
a project library brings what its own rule allows. The check fails when
- a file includes a Qt header of a module its folder may not use,
- a file includes a project header from a library its folder may not use,
- a target links a library its folder's rule does not allow,
- the rules make a cycle.

Usage: check_layers.py SRC_DIR QT_INCLUDE_DIR
       check_layers.py --self-test SRC_DIR QT_INCLUDE_DIR
"""

import os
import re
import shutil
import subprocess
import sys
import tempfile

QT_MODULES = {"Qt Core": "QtCore", "Qt Gui": "QtGui", "Qt Widgets": "QtWidgets", "Qt Sql": "QtSql"}
QT_IMPLIES = {"QtWidgets": {"QtGui", "QtCore"}, "QtGui": {"QtCore"}, "QtSql": {"QtCore"}}
# Imported targets and what a rule calls them.
OUTSIDE_TARGETS = {"OpenSSL::SSL": "OpenSSL", "OpenSSL::Crypto": "OpenSSL", "JPEG::JPEG": "libjpeg",
                   "GIF::GIF": "giflib", "Libssh2::libssh2": "libssh2"}
LINK_KEYWORDS = {"PUBLIC", "PRIVATE", "INTERFACE"}


class Library:
    def __init__(self, folder, name, modules, outside, uses):
        self.folder, self.name = folder, name
        self.modules, self.outside, self.uses = modules, outside, uses
        self.targets = {}  # target name -> linked items


def read_rule(folder, cmake_text):
    head = []
    for line in cmake_text.splitlines():
        if not line.startswith("#"):
            break
        head.append(line.lstrip("#").strip())
    if not head or ":" not in head[0]:
        raise ValueError(f"{folder}: CMakeLists.txt does not start with '# <library>: <what it holds>'")
    name = head[0].split(":", 1)[0].strip()
    rule = next((line for line in head if line.startswith("May use:")), None)
    if rule is None:
        raise ValueError(f"{folder}: no 'May use:' line in the opening comment")
    rule = rule[len("May use:"):].strip().rstrip(".")
    outer, _, own = rule.partition(";")
    modules, outside = set(), set()
    for item in filter(None, (part.strip() for part in outer.split(","))):
        if item in QT_MODULES:
            modules.add(QT_MODULES[item])
        else:
            outside.add(item)
    uses = {part.strip() for part in own.split(",") if part.strip()}
    return Library(folder, name, modules, outside, uses)


def read_targets(library, cmake_text):
    text = re.sub(r"#.*", "", cmake_text)
    for match in re.finditer(r"add_(?:library|executable)\(\s*([\w-]+)", text):
        library.targets.setdefault(match.group(1), [])
    for match in re.finditer(r"target_link_libraries\(\s*([\w-]+)([^)]*)\)", text):
        items = [item for item in match.group(2).split() if item not in LINK_KEYWORDS]
        library.targets.setdefault(match.group(1), []).extend(items)


def load(src):
    libraries = {}
    for root, _, files in os.walk(src):
        if "CMakeLists.txt" not in files or os.path.samefile(root, src):
            continue
        if not any(f.endswith((".cpp", ".h")) for f in files):
            continue
        with open(os.path.join(root, "CMakeLists.txt"), encoding="utf-8") as handle:
            text = handle.read()
        library = read_rule(os.path.relpath(root, src), text)
        read_targets(library, text)
        libraries[library.name] = library
    return libraries


def closure(libraries, errors):
    """Each library with every project library it may reach, and the Qt modules that brings."""
    reach, state = {}, {}

    def visit(name, path):
        if state.get(name) == "done":
            return reach[name]
        if state.get(name) == "open":
            errors.append("the rules make a cycle: " + " -> ".join(path + [name]))
            return set()
        if name not in libraries:
            errors.append(f"{path[-1]}: its rule names '{name}', which is no library under src/")
            return set()
        state[name] = "open"
        found = set()
        for used in sorted(libraries[name].uses):
            found |= {used} | visit(used, path + [name])
        state[name] = "done"
        reach[name] = found
        return found

    for name in sorted(libraries):
        visit(name, [])
    modules = {}
    for name, library in libraries.items():
        allowed = set(library.modules)
        for used in reach.get(name, ()):
            allowed |= libraries[used].modules if used in libraries else set()
        for module in list(allowed):
            allowed |= QT_IMPLIES.get(module, set())
        modules[name] = allowed
    return reach, modules


def qt_header_modules(qt_include):
    owner = {}
    for module in os.listdir(qt_include):
        path = os.path.join(qt_include, module)
        if module.startswith("Qt") and os.path.isdir(path):
            for header in os.listdir(path):
                owner.setdefault(header, module)
    return owner


def check(src, qt_include):
    errors = []
    libraries = load(src)
    reach, modules = closure(libraries, errors)
    qt_owner = qt_header_modules(qt_include)
    header_owner = {}
    for name, library in libraries.items():
        for file in os.listdir(os.path.join(src, library.folder)):
            if file.endswith(".h"):
                header_owner.setdefault(file, name)
    own_targets = {target: name for name, library in libraries.items() for target in library.targets}
    include = re.compile(r'^\s*#\s*include\s*([<"])([^>"]+)[>"]', re.M)

    for name, library in libraries.items():
        folder = os.path.join(src, library.folder)
        may_reach = reach.get(name, set()) | {name}
        for root, _, files in os.walk(folder):
            for file in sorted(files):
                if not file.endswith((".cpp", ".h")):
                    continue
                path = os.path.join(root, file)
                with open(path, encoding="utf-8", errors="replace") as handle:
                    text = handle.read()
                shown = os.path.relpath(path, src)
                for kind, header in include.findall(text):
                    base = header.split("/")[-1]
                    if kind == "<":
                        module = header.split("/")[0] if "/" in header else qt_owner.get(base)
                        if module and module.startswith("Qt") and module not in modules[name]:
                            errors.append(f"{shown}: includes <{header}> of {module}, which {name} may not use")
                    else:
                        owner = header_owner.get(base)
                        if owner and owner not in may_reach:
                            errors.append(f'{shown}: includes "{header}" of {owner}, which {name} may not use')
        for target, items in library.targets.items():
            for item in items:
                if item.startswith("Qt6::"):
                    module = "Qt" + item[len("Qt6::"):]
                    if module not in modules[name]:
                        errors.append(f"{library.folder}: {target} links {item}, which {name} may not use")
                elif item in OUTSIDE_TARGETS:
                    if OUTSIDE_TARGETS[item] not in library.outside:
                        errors.append(f"{library.folder}: {target} links {item}, which {name} may not use")
                elif item in own_targets:
                    if own_targets[item] not in may_reach:
                        errors.append(f"{library.folder}: {target} links {item}, which {name} may not use")
                elif not item.startswith("$"):
                    errors.append(f"{library.folder}: {target} links {item}, which no rule names")
    return libraries, errors


def self_test(src, qt_include):
    """The check passes on the tree as it is and fails on each kind of break put into a copy."""
    libraries, errors = check(src, qt_include)
    if errors:
        print("the tree itself breaks its rules:\n  " + "\n  ".join(errors))
        return 1
    breaks = {
        "a Widgets include in a Core folder": ("core/document/pagemodel.h", "#include <QWidget>\n", None),
        "a Gui include in a Core folder": ("core/publish/tbuffer.h", "#include <QtGui/QImage>\n", None),
        "a window header in a Core folder": ("core/document/pagemodel.h", '#include "tfrmwiz.h"\n', None),
        "a link its rule does not allow": ("core/publish/CMakeLists.txt", None,
                                           "target_link_libraries(publish PUBLIC Qt6::Widgets)\n"),
        "a cycle": ("core/text/CMakeLists.txt", None, None),
    }
    failed = 0
    for what, (file, prepend, append) in breaks.items():
        with tempfile.TemporaryDirectory() as scratch:
            copy = os.path.join(scratch, "src")
            shutil.copytree(src, copy)
            path = os.path.join(copy, file)
            with open(path, encoding="utf-8") as handle:
                text = handle.read()
            if what == "a cycle":
                text = text.replace("# May use: Qt Core.", "# May use: Qt Core; document.")
            if prepend:
                text = prepend + text
            if append:
                text += append
            with open(path, "w", encoding="utf-8") as handle:
                handle.write(text)
            _, found = check(copy, qt_include)
            if not found:
                print(f"not caught: {what} ({file})")
                failed = 1
            else:
                print(f"caught: {what}: {found[0]}")
    return failed


def main(argv):
    if len(argv) == 4 and argv[1] == "--self-test":
        return self_test(argv[2], argv[3])
    if len(argv) != 3:
        print(__doc__)
        return 2
    try:
        libraries, errors = check(argv[1], argv[2])
    except ValueError as error:
        print(error)
        return 1
    for error in errors:
        print(error)
    if not errors:
        print(f"{len(libraries)} libraries keep their rules")
    return 1 if errors else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
