#!/usr/bin/env python3
"""Mutation testing of the steps that keep saves sound: each mutant in tests/mutants.txt is
applied in turn to a scratch copy of the source, which is built, and the Linux tests are run
against it. A mutant that every test survives is a fault that the tests would let through.

    scripts/mutate.py [--list] [--only TEXT]... [--keep]

--list prints the mutants and checks that each still applies; --only runs the mutants whose
title contains TEXT (given more than once: any of them); --keep leaves the scratch copy in
build-mutate/. The scratch copy is made from the files git knows, as they are in the working
tree, so uncommitted changes are tested.

tests/mutants.txt holds blocks of this form, separated by blank lines before "===":

    === a flush removed: the staged copy is put in place before it is on disk
    --- restore/restore_folder.cpp
    <the lines as they are, which must occur exactly once in the file>
    +++
    <the lines that replace them>
"""

import argparse
import os
import re
import shutil
import subprocess
import sys
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
SCRATCH = os.path.join(ROOT, "build-mutate")
# The Linux tests but the ones that need a desktop or the installed files; the power-cut rounds
# and the kill loop stay, since they are what catches a missing flush or a wrong order on disk.
# A mutated copy no longer holds its mutant's lines: mutants_apply would fail on every one.
EXCLUDED = "^(desktop|installed_files|mutants_apply)$"


class Mutant:
    def __init__(self, title, path, original, replacement):
        self.title, self.path = title, path
        self.original, self.replacement = original, replacement


def read_mutants(path):
    """The mutants of the file; what comes before the first "=== " is the file's own comment."""
    mutants = []
    for block in re.split(r"^=== ", open(path, encoding="utf-8").read(), flags=re.M)[1:]:
        title, _, rest = block.partition("\n")
        if not rest.startswith("--- "):
            sys.exit(f"mutants.txt: '{title}' names no file (--- path)")
        path_line, _, rest = rest.partition("\n")
        original, separator, replacement = rest.partition("\n+++\n")
        if not separator:
            sys.exit(f"mutants.txt: '{title}' has no '+++' line")
        replacement = replacement.rstrip("\n")
        mutants.append(Mutant(title.strip(), path_line[4:].strip(), original + "\n",
                              replacement + "\n" if replacement else ""))
    return mutants


def apply(mutant, tree):
    path = os.path.join(tree, mutant.path)
    text = open(path, encoding="utf-8").read()
    count = text.count(mutant.original)
    if count != 1:
        return None, f"its lines occur {count} times in {mutant.path}"
    return text, text.replace(mutant.original, mutant.replacement)


def run(command, cwd, log):
    with open(log, "a", encoding="utf-8") as out:
        out.write(f"\n$ {' '.join(command)}\n")
        out.flush()
        return subprocess.run(command, cwd=cwd, stdout=out, stderr=subprocess.STDOUT,
                              env=dict(os.environ, QT_QPA_PLATFORM="offscreen")).returncode


def make_scratch():
    tree = os.path.join(SCRATCH, "source")
    shutil.rmtree(tree, ignore_errors=True)
    files = subprocess.run(["git", "ls-files", "-z"], cwd=ROOT, capture_output=True,
                           check=True).stdout.decode().split("\0")
    for name in filter(None, files):
        source = os.path.join(ROOT, name)
        if os.path.isfile(source):
            target = os.path.join(tree, name)
            os.makedirs(os.path.dirname(target), exist_ok=True)
            shutil.copy2(source, target)
    return tree


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--list", action="store_true")
    parser.add_argument("--only", action="append", default=[])
    parser.add_argument("--keep", action="store_true")
    options = parser.parse_args()

    mutants = [m for m in read_mutants(os.path.join(ROOT, "tests", "mutants.txt"))
               if not options.only or any(text in m.title for text in options.only)]
    broken = [(m, why) for m in mutants for _, why in [apply(m, ROOT)] if _ is None]
    for mutant, why in broken:
        print(f"does not apply: {mutant.title}: {why}")
    if options.list:
        for mutant in mutants:
            print(f"{mutant.path}: {mutant.title}")
        print(f"{len(mutants)} mutants")
        return 1 if broken else 0
    if broken:
        return 1

    os.makedirs(SCRATCH, exist_ok=True)
    tree = make_scratch()
    build = os.path.join(SCRATCH, "build")
    log = os.path.join(SCRATCH, "mutate.log")
    open(log, "w").close()
    print("building the scratch copy once (build-mutate/)")
    if (run(["cmake", "-S", tree, "-B", build, "-G", "Ninja", "-DCMAKE_BUILD_TYPE=Debug",
             "-DQUORREL_POWER_CUT=ON"], tree, log) != 0
            or run(["cmake", "--build", build], tree, log) != 0):
        sys.exit(f"the scratch copy does not build unchanged; see {log}")
    if run(["ctest", "--test-dir", build, "-E", EXCLUDED], tree, log) != 0:
        sys.exit(f"the tests fail on the unchanged copy; see {log}")

    survivors = []
    for number, mutant in enumerate(mutants, 1):
        started = time.monotonic()
        original, mutated = apply(mutant, tree)
        path = os.path.join(tree, mutant.path)
        with open(path, "w", encoding="utf-8") as out:
            out.write(mutated)
        try:
            built = run(["cmake", "--build", build], tree, log) == 0
            killed = built and run(["ctest", "--test-dir", build, "-E", EXCLUDED,
                                       "--stop-on-failure"], tree, log) != 0
        finally:
            with open(path, "w", encoding="utf-8") as out:
                out.write(original)
        verdict = ("killed" if killed else "SURVIVED") if built else "DOES NOT BUILD"
        print(f"[{number}/{len(mutants)}] {verdict}: {mutant.title} "
              f"({time.monotonic() - started:.0f} s)", flush=True)
        if not built or not killed:
            survivors.append(mutant)
    print(f"{len(mutants) - len(survivors)} of {len(mutants)} mutants killed")
    for mutant in survivors:
        print(f"  not killed: {mutant.path}: {mutant.title}")
    if not options.keep:
        shutil.rmtree(SCRATCH, ignore_errors=True)
    return 1 if survivors else 0


if __name__ == "__main__":
    sys.exit(main())
