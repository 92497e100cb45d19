"""The checks of the deployment examples must fail on broken examples, or their passing says
nothing: each case breaks the real file in one way and expects the checker to object.

Usage: checkers_test.py SOURCE_DIR PACKAGE_FILE_NAME
"""

import os
import sys
import tempfile
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import check_containerfile  # noqa: E402

SOURCE, PACKAGE = sys.argv[1], sys.argv[2]
CRONJOB = os.path.join(SOURCE, "packaging", "kubernetes", "brevant-cronjob.yaml")
CONTAINERFILE = os.path.join(SOURCE, "packaging", "Containerfile")


def problems_of_changed(check, original, old, new):
    """The problems `check(path)` finds in a copy of `original` with `old` replaced by `new`."""
    with open(original, encoding="utf-8") as f:
        text = f.read()
    assert old in text, f"{old!r} is not in {original}"
    with tempfile.NamedTemporaryFile("w", suffix=os.path.basename(original), delete=False) as f:
        f.write(text.replace(old, new, 1))
    try:
        return "\n".join(check(f.name))
    finally:
        os.unlink(f.name)


class KubernetesCheck(unittest.TestCase):
    def expect_problem(self, old, new, message):
        try:
            import check_kubernetes
        except SystemExit:
            self.skipTest("python3-kubernetes is not installed")
        self.assertIn(message, problems_of_changed(check_kubernetes.check_file, CRONJOB, old, new))

    def test_schema(self):
        self.expect_problem("mountPath: /tmp", "mountPth: /tmp", "has no field 'mountPth'")
        self.expect_problem("backoffLimit: 1", 'backoffLimit: "1"', "expected an integer")
        self.expect_problem("- name: brevant\n              image:", "- image:",
                            "`name`, must not be `None`")

    def test_pieces_fit(self):
        self.expect_problem("name: brevant-sales-login\n", "name: other-login\n",
                            "Secret 'brevant-sales-login' is not defined")
        self.expect_problem("BREVANT_PASSWORD1: change-me", "BREVANT_PASS1: x",
                            "is not a login brevant reads")
        self.expect_problem("  monthly.kvd: |", "  weekly.kvd: |", "is in no mounted ConfigMap")
        self.expect_problem("-C\n", "-C -P1 secret\n", "password on the command line")
        self.expect_problem('"0 6 1 * *"', '"0 6 1 *"', "is not a 5-field cron expression")


class ContainerfileCheck(unittest.TestCase):
    def expect_problem(self, old, new, message):
        check = lambda path: check_containerfile.problems(path, PACKAGE)  # noqa: E731
        self.assertIn(message, problems_of_changed(check, CONTAINERFILE, old, new))

    def test_faults(self):
        self.expect_problem("libsqliteodbc", "libsqliteodbc g++", "g++ is a compiler")
        self.expect_problem(' $extra;', ' libreoffice-calc-nogui;', "LibreOffice installed is True")
        self.expect_problem("USER brevant", "USER root", "must not run as root")
        self.expect_problem("FROM debian:12-slim", "FROM debian:12", "FROM debian:12-slim")
        self.expect_problem("--no-install-recommends \\", "\\", "without --no-install-recommends")
        self.expect_problem("ca-certificates", "ca-certificates; false", "RUN fails")


if __name__ == "__main__":
    unittest.main(argv=sys.argv[:1], verbosity=1)
