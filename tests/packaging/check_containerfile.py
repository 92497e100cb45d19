"""Checks packaging/Containerfile without a container engine: its instructions, and its RUN
script run for real against stand-ins of the programs it calls, once per image variant, to see
which packages each variant installs.

Usage: check_containerfile.py CONTAINERFILE PACKAGE_FILE_NAME
  PACKAGE_FILE_NAME is the file CPack makes (brevant_<version>_amd64.deb); the COPY must take it.
"""

import fnmatch
import os
import shlex
import subprocess
import sys
import tempfile

COMPILERS = {"build-essential", "gcc", "g++", "cpp", "clang", "cmake", "make", "ninja-build",
             "libc6-dev"}


def instructions(path):
    """(keyword, argument text) pairs, continuation lines joined, comments dropped."""
    result, pending = [], ""
    with open(path, encoding="utf-8") as f:
        for raw in f:
            line = raw.rstrip("\n")
            if not pending and (not line.strip() or line.lstrip().startswith("#")):
                continue
            if line.endswith("\\"):
                pending += line[:-1]
                continue
            line = pending + line
            pending = ""
            keyword, _, rest = line.strip().partition(" ")
            result.append((keyword.upper(), rest.strip()))
    return result


def run_script(script, variables):
    """Runs a RUN script with every program it calls replaced by a recorder; returns the calls."""
    with tempfile.TemporaryDirectory() as stubs:
        log = os.path.join(stubs, "calls.log")
        for name in ("apt-get", "rm", "useradd", "mkdir", "chown"):
            stub = os.path.join(stubs, name)
            with open(stub, "w", encoding="utf-8") as f:
                f.write(f'#!/bin/sh\necho "{name} $*" >> "{log}"\n')
            os.chmod(stub, 0o755)
        env = dict(variables, PATH=stubs)
        done = subprocess.run(["/bin/sh", "-c", script], env=env, capture_output=True, text=True)
        calls = []
        if os.path.exists(log):
            with open(log, encoding="utf-8") as f:
                calls = f.read().splitlines()
        return done.returncode, done.stderr, calls


def installed_packages(calls):
    packages = []
    for call in calls:
        words = call.split()
        if words[:2] == ["apt-get", "install"]:
            packages += [w for w in words[2:] if not w.startswith("-")]
    return packages


def problems(containerfile, package_file):
    errors = []
    steps = instructions(containerfile)
    keywords = [k for k, _ in steps]
    froms = [a for k, a in steps if k == "FROM"]
    if froms != ["debian:12-slim"]:
        errors.append(f"one stage FROM debian:12-slim expected, found {froms}")
    args = {a.split("=")[0]: a.partition("=")[2] for k, a in steps if k == "ARG"}
    if args.get("WITH_LIBREOFFICE") != "no":
        errors.append("ARG WITH_LIBREOFFICE=no (the variant switch) is missing")
    copies = [shlex.split(a) for k, a in steps if k == "COPY"]
    if not any(len(c) == 2 and fnmatch.fnmatch(package_file, c[0]) for c in copies):
        errors.append(f"no COPY takes {package_file} from the build folder")
    users = [a for k, a in steps if k == "USER"]
    if not users or users[-1] in ("root", "0"):
        errors.append("the image must not run as root")
    volumes = " ".join(a for k, a in steps if k == "VOLUME")
    for folder in ("/reports/definitions", "/reports/templates", "/reports/output"):
        if folder not in volumes:
            errors.append(f"VOLUME {folder} is missing")
    if "ENTRYPOINT" not in keywords or "brevant" not in dict(steps)["ENTRYPOINT"]:
        errors.append("ENTRYPOINT brevant is missing")

    scripts = [a for k, a in steps if k == "RUN"]
    for variant, wanted in (("no", False), ("yes", True)):
        packages = []
        for script in scripts:
            status, stderr, calls = run_script(script, {"WITH_LIBREOFFICE": variant})
            if status != 0:
                errors.append(f"RUN fails for WITH_LIBREOFFICE={variant}: {stderr.strip()}")
            packages += installed_packages(calls)
            if any(c.startswith("apt-get install") and "--no-install-recommends" not in c
                   for c in calls):
                errors.append("apt-get install without --no-install-recommends")
        if not any(fnmatch.fnmatch(package_file, os.path.basename(p)) for p in packages):
            errors.append(f"WITH_LIBREOFFICE={variant}: the Brevant package is not installed")
        if ("libreoffice-calc-nogui" in packages) != wanted:
            errors.append(f"WITH_LIBREOFFICE={variant}: LibreOffice installed is {not wanted}")
        for p in packages:
            if p in COMPILERS or p.endswith("-dev"):
                errors.append(f"WITH_LIBREOFFICE={variant}: {p} is a compiler or a -dev package")
        for driver in ("odbc-postgresql", "odbc-mariadb"):
            if driver not in packages:
                errors.append(f"WITH_LIBREOFFICE={variant}: the ODBC driver {driver} is missing")
    return errors


def main(containerfile, package_file):
    errors = problems(containerfile, package_file)
    for e in errors:
        print(e)
    print(f"Containerfile: {len(errors)} problem(s)")
    return 1 if errors else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1], sys.argv[2]))
