#!/usr/bin/env python3
"""The layering check passes the real tree and fails on includes that point up or across.

Usage: check_layering_test.py <source dir>
"""

import shutil
import subprocess
import sys
import tempfile
import textwrap
import unittest
from pathlib import Path

SOURCE = Path(sys.argv.pop(1) if len(sys.argv) > 1 else Path(__file__).parents[2]).resolve()
CHECK = SOURCE / "scripts" / "check-layering"

# A small tree declared the way the real one is: libraries by folder, dependencies by name.
LISTS = {
    "src/base": "brevant_library(brevant_base)",
    "src/cipher": "brevant_library(brevant_cipher DEPENDS brevant_base)",
    "src/definition": "brevant_library(brevant_definition DEPENDS brevant_cipher)",
    "src/engine": "add_subdirectory(components/sheet)\n"
    "brevant_library(brevant_engine DEPENDS brevant_definition\n  brevant_sheet brevant_db)",
    "src/engine/components/sheet": "brevant_library(brevant_sheet RECURSE DEPENDS Ext::Zip\n"
    "  brevant_cipher)  # a comment (with brevant_engine)",
    "src/engine/components/db": "brevant_library(brevant_db RECURSE)\n"
    "target_link_libraries(brevant_db PUBLIC brevant_base)",
    "src/frontends": "add_library(brevant_frontends STATIC startup.cpp)\n"
    "target_link_libraries(brevant_frontends PUBLIC brevant_engine)\n"
    "add_executable(brevant main.cpp)\n"
    "target_link_libraries(brevant PRIVATE brevant_frontends)\n"
    "target_sources(brevant PRIVATE gui_start.cpp)\n"
    "target_link_libraries(brevant PRIVATE brevant_gui)",
    "src/gui": "brevant_library(brevant_gui DEPENDS brevant_gui_base)",
    "src/gui/base": "brevant_library(brevant_gui_base DEPENDS brevant_engine)",
    "tests/fuzz": "add_executable(fuzz_reader reader_fuzzer.cpp)\n"
    "target_link_libraries(fuzz_reader PRIVATE brevant_definition)",
}
FILES = [
    "src/base/text.h",
    "src/cipher/codepage.h",
    "src/definition/reader.h",
    "src/engine/run.h",
    "src/engine/components/sheet/range.h",
    "src/engine/components/sheet/cells/cell.h",
    "src/engine/components/db/table.h",
    "src/frontends/startup.h",
    "src/frontends/startup.cpp",
    "src/frontends/main.cpp",
    "src/frontends/gui_start.cpp",
    "src/gui/window.h",
    "src/gui/base/prompt.h",
    "tests/support/temp_folder.h",
    "tests/cipher/codepage_test.cpp",
    "tests/engine/components/sheet/range_test.cpp",
    "tests/fuzz/reader_fuzzer.cpp",
]


class FakeTree:
    def __init__(self, root):
        self.root = root
        for folder, text in LISTS.items():
            self.write(f"{folder}/CMakeLists.txt", text)
        for name in FILES:
            self.write(name, "#pragma once")

    def write(self, name, text):
        path = self.root / name
        path.parent.mkdir(parents=True, exist_ok=True)
        path.write_text(text + "\n")

    def include(self, name, *headers):
        path = self.root / name
        path.parent.mkdir(parents=True, exist_ok=True)
        with path.open("a") as f:
            for header in headers:
                f.write(f'#include "{header}"\n')


def check(root):
    result = subprocess.run(
        [sys.executable, str(CHECK), "--root", str(root)], capture_output=True, text=True
    )
    return result.returncode, result.stderr


class CheckLayeringTest(unittest.TestCase):
    def setUp(self):
        self.dir = Path(tempfile.mkdtemp(prefix="layering-"))
        self.tree = FakeTree(self.dir)

    def tearDown(self):
        shutil.rmtree(self.dir)

    def assertPasses(self):
        code, err = check(self.dir)
        self.assertEqual(code, 0, err)

    def assertFails(self, *expected):
        code, err = check(self.dir)
        self.assertEqual(code, 1, err)
        for text in expected:
            self.assertIn(text, err)

    def test_includes_down_the_declared_dependencies_pass(self):
        t = self.tree
        t.include("src/engine/run.h", "engine/components/sheet/range.h", "base/text.h")
        t.include("src/engine/components/sheet/cells/cell.h", "cipher/codepage.h", "base/text.h")
        t.include("src/engine/components/db/table.h", "base/text.h")
        t.include("src/gui/window.h", "gui/base/prompt.h", "definition/reader.h")
        t.include("src/frontends/startup.cpp", "frontends/startup.h", "engine/run.h")
        # Relative to the including file, and system headers, which are not ours.
        t.include("src/engine/components/sheet/range.h", "cells/cell.h")
        (self.dir / "src/cipher/codepage.h").write_text("#include <vector>\n#include <zip.h>\n")
        self.assertPasses()

    def test_a_component_that_includes_the_engine_fails(self):
        self.tree.include("src/engine/components/sheet/cells/cell.h", "engine/run.h")
        self.assertFails(
            "src/engine/components/sheet/cells/cell.h:2: includes engine/run.h of brevant_engine,"
            " which brevant_sheet does not use"
        )

    def test_a_component_that_includes_its_sibling_fails(self):
        self.tree.include("src/engine/components/db/table.h", "engine/components/sheet/range.h")
        self.assertFails("includes engine/components/sheet/range.h of brevant_sheet")

    def test_a_base_header_that_includes_any_layer_fails(self):
        self.tree.include("src/base/text.h", "cipher/codepage.h")
        self.assertFails("src/base/text.h:2: includes cipher/codepage.h of brevant_cipher")

    def test_a_relative_include_that_climbs_out_of_its_library_fails(self):
        self.tree.include("src/engine/components/sheet/range.h", "../../run.h")
        self.assertFails("includes ../../run.h of brevant_engine, which brevant_sheet")

    def test_a_nested_library_is_its_own_and_may_not_include_its_parent(self):
        self.tree.include("src/gui/base/prompt.h", "gui/window.h")
        self.assertFails("includes gui/window.h of brevant_gui, which brevant_gui_base")

    def test_an_executable_source_has_the_rights_of_the_executable(self):
        self.tree.include("src/frontends/gui_start.cpp", "gui/window.h")
        self.assertPasses()
        # The library beside it in the same folder does not link the Qt layer.
        self.tree.include("src/frontends/startup.cpp", "gui/window.h")
        self.assertFails("src/frontends/startup.cpp:2: includes gui/window.h of brevant_gui")

    def test_a_test_may_use_its_library_and_below_but_not_above(self):
        t = self.tree
        t.include("tests/engine/components/sheet/range_test.cpp", "engine/components/sheet/range.h",
                  "cipher/codepage.h", "support/temp_folder.h")
        self.assertPasses()
        t.include("tests/cipher/codepage_test.cpp", "definition/reader.h")
        self.assertFails("tests/cipher/codepage_test.cpp:2: includes definition/reader.h of"
                         " brevant_definition, which brevant_cipher does not use")

    def test_a_test_folder_without_a_library_has_what_its_cmake_links(self):
        t = self.tree
        t.include("tests/fuzz/reader_fuzzer.cpp", "definition/reader.h")
        self.assertPasses()
        t.include("tests/fuzz/reader_fuzzer.cpp", "engine/run.h")
        self.assertFails("includes engine/run.h of brevant_engine, which fuzz_reader")

    def test_a_shared_test_header_is_checked_with_the_rights_of_each_includer(self):
        t = self.tree
        t.include("tests/support/temp_folder.h", "engine/run.h")
        t.include("tests/engine/components/sheet/range_test.cpp", "support/temp_folder.h")
        self.assertFails(
            "tests/support/temp_folder.h:2 via tests/engine/components/sheet/range_test.cpp:2:"
            " includes engine/run.h of brevant_engine, which brevant_sheet does not use"
        )

    def test_a_header_of_no_library_is_checked_through_its_includers(self):
        t = self.tree
        t.include("src/engine/components/value.h", "engine/run.h")
        t.include("src/engine/components/db/table.h", "engine/components/value.h")
        self.assertFails("src/engine/components/value.h:1 via src/engine/components/db/table.h:2")

    def test_a_cmake_comment_declares_nothing(self):
        # The sheet library's CMakeLists.txt names brevant_engine in a comment only.
        self.tree.include("src/engine/components/sheet/range.h", "engine/run.h")
        self.assertFails("which brevant_sheet does not use")


class RealTreeTest(unittest.TestCase):
    def test_the_source_tree_passes(self):
        code, err = check(SOURCE)
        self.assertEqual(code, 0, err)

    def test_an_upward_include_planted_in_a_copy_of_the_tree_fails(self):
        with tempfile.TemporaryDirectory(prefix="layering-") as copy:
            copy = Path(copy)
            for top in ("src", "tests", "bench"):
                shutil.copytree(SOURCE / top, copy / top)
            spreadsheet_test = next((copy / "tests/engine/components/spreadsheet").glob("*_test.cpp"))
            engine_header = sorted((copy / "src/engine").glob("*.h"))[0]
            with spreadsheet_test.open("a") as f:
                f.write(f'#include "engine/{engine_header.name}"\n')
            code, err = check(copy)
            self.assertEqual(code, 1, err)
            self.assertIn(f"includes engine/{engine_header.name} of brevant_engine, which"
                          " brevant_spreadsheet does not use", err)


if __name__ == "__main__":
    unittest.main(verbosity=2)
