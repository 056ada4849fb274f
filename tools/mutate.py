#!/usr/bin/env python3
"""Mutation testing of the core: breaks one thing at a time in the chosen
source files, rebuilds the core tests incrementally and runs them. A mutant
the tests catch (a failing test, a crash or a time-out) is killed; one they
pass is a survivor, listed with its file, line and change so a test can be
written for it. Mutants that do not compile are not counted.

    tools/mutate.py [--build DIR] [--max N] [--sample N] [--seed S] [--filter GTEST] PATH...

PATH is a source file or a folder (its .cpp and .h files). The mutations:
comparison operators (== !=, < <=, > >=), arithmetic (+ -, * /), logic
(&& ||), the constants 0 and 1, a dropped statement and two swapped
arguments of a call. Results go to DIR/mutants.txt, one line per mutant.

Every mutant of a folder takes a rebuild and a test run, tens of seconds:
--sample N draws N mutants at random from each PATH given (a folder's files
together), so a score per folder comes in reasonable time.
"""
import argparse
import os
import random
import re
import signal
import subprocess
import sys
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))

# (pattern, replacement, description); each match is one mutant.
# The code is clang-formatted: a binary operator has a blank on each side,
# which tells a comparison from a template's angle brackets.
OPERATORS = [
    (r"(?<= )==(?= )", "!=", "== to !="),
    (r"(?<= )!=(?= )", "==", "!= to =="),
    (r"(?<= )<=(?= )", "<", "<= to <"),
    (r"(?<= )<(?= )", "<=", "< to <="),
    (r"(?<= )>=(?= )", ">", ">= to >"),
    (r"(?<= )>(?= )", ">=", "> to >="),
    (r"(?<= )\+(?= )", "-", "+ to -"),
    (r"(?<= )-(?= )", "+", "- to +"),
    (r"(?<= )\*(?= )", "/", "* to /"),
    (r"(?<= )/(?= )", "*", "/ to *"),
    (r"(?<= )&&(?= )", "||", "&& to ||"),
    (r"(?<= )\|\|(?= )", "&&", "|| to &&"),
    (r"(?<![\w.])0(?![\w.xX'])", "1", "0 to 1"),
    (r"(?<![\w.])1(?![\w.'])", "0", "1 to 0"),
]

# A call with two plain arguments: f(a, b) -> f(b, a).
SYMMETRIC = {"swap", "min", "max"}
SWAP = re.compile(r"\b([A-Za-z_]\w*)\(([A-Za-z_][\w.]*), ([A-Za-z_][\w.]*)\)")
# A statement on its own line that does something: a call or an assignment,
# not a declaration, return or control line.
STATEMENT = re.compile(r"^(\s*)(?!return\b|if\b|for\b|while\b|else\b|case\b|break\b|"
                       r"default\b|const\b|auto\b|int\b|bool\b|static\b|using\b)"
                       r"[\w.>\[\]()*-]+(\(.*\)|\s*[+\-*/|&]?=\s*.+|\+\+|--);\s*$")


def code_part(line):
    """The line without its comment and with string and char literals
    blanked, so no mutant touches them; None for lines never mutated."""
    stripped = line.strip()
    if (not stripped or stripped.startswith("//") or stripped.startswith("#")
            or stripped.startswith("*") or stripped.startswith("/*")):
        return None
    out = []
    i = 0
    while i < len(line):
        c = line[i]
        if line.startswith("//", i):
            break
        if c in "\"'":
            j = i + 1
            while j < len(line) and line[j] != c:
                j += 2 if line[j] == "\\" else 1
            out.append(c + " " * (min(j, len(line)) - i - 1) + (c if j < len(line) else ""))
            i = j + 1
            continue
        out.append(c)
        i += 1
    return "".join(out)


def mutants_of(path):
    with open(path) as f:
        lines = f.read().split("\n")
    result = []
    depth = 0
    for number, line in enumerate(lines):
        code = code_part(line)
        if code is None:
            continue
        # Templates' angle brackets and includes are not comparisons.
        if "template" in code or "static_assert" in code:
            continue
        for pattern, replacement, what in OPERATORS:
            for m in re.finditer(pattern, code):
                new = line[:m.start()] + replacement + line[m.end():]
                result.append((number, new, what))
        for m in SWAP.finditer(code):
            # Swapping the same argument, or those of a symmetric call, changes nothing.
            if m.group(2) == m.group(3) or m.group(1) in SYMMETRIC:
                continue
            new = line[:m.start(2)] + m.group(3) + ", " + m.group(2) + line[m.end(3):]
            result.append((number, new, "swapped arguments of " + m.group(1)))
        if STATEMENT.match(code) and depth > 0:
            result.append((number, re.match(r"\s*", line).group(0) + ";  // dropped",
                           "dropped statement"))
        depth += code.count("{") - code.count("}")
    return lines, result


def run(command, timeout=None, cwd=ROOT):
    try:
        p = subprocess.run(command, cwd=cwd, stdout=subprocess.PIPE,
                           stderr=subprocess.STDOUT, timeout=timeout, text=True)
        return p.returncode, p.stdout
    except subprocess.TimeoutExpired:
        return None, "timed out"


def stop(signum, frame):
    raise KeyboardInterrupt


def main():
    # A run stopped with kill still puts back the file it was mutating.
    signal.signal(signal.SIGTERM, stop)
    parser = argparse.ArgumentParser(description=__doc__,
                                     formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("paths", nargs="+")
    parser.add_argument("--build", default=os.path.join(ROOT, "build", "mutate"))
    parser.add_argument("--max", type=int, default=0,
                        help="at most this many mutants per file, drawn at random")
    parser.add_argument("--sample", type=int, default=0,
                        help="at most this many mutants per PATH, drawn at random")
    parser.add_argument("--seed", type=int, default=1)
    parser.add_argument("--filter", default="*", help="gtest filter for the core tests")
    parser.add_argument("--jobs", default="2")
    parser.add_argument("--resume", action="store_true",
                        help="keep the outcomes already in DIR/mutants.txt and run the rest")
    args = parser.parse_args()

    groups = []
    for path in args.paths:
        full = os.path.join(ROOT, path)
        files = []
        if os.path.isdir(full):
            for base, _, names in sorted(os.walk(full)):
                files += [os.path.join(base, n) for n in sorted(names)
                          if n.endswith((".cpp", ".h"))]
        else:
            files.append(full)
        groups.append((path, files))

    build = args.build
    env_launcher = ["-DCMAKE_CXX_COMPILER_LAUNCHER=ccache"] if run(["which", "ccache"])[0] == 0 else []
    if not os.path.exists(os.path.join(build, "CMakeCache.txt")):
        code, out = run(["cmake", "-S", ROOT, "-B", build, "-G", "Ninja",
                         "-DCMAKE_BUILD_TYPE=Debug", "-DPIXOLAT_GUI=OFF",
                         "-DPIXOLAT_BENCH=OFF"] + env_launcher)
        if code != 0:
            sys.exit(out)
    build_command = ["cmake", "--build", build, "-j", args.jobs, "--target", "pixolat_tests"]
    test_command = [os.path.join(build, "pixolat_tests"), "--gtest_brief=1",
                    "--gtest_filter=" + args.filter]
    # A mutant is killed by its first failing test: the rest need not run.
    mutant_test_command = test_command + ["--gtest_fail_fast"]
    code, out = run(build_command)
    if code != 0:
        sys.exit("the unmutated tree does not build:\n" + out)
    started = time.time()
    code, out = run(test_command, cwd=build)
    if code != 0:
        sys.exit("the core tests fail before any mutation:\n" + out[-3000:])
    timeout = max(10.0, 5 * (time.time() - started))
    print(f"the core tests take {time.time() - started:.1f} s unmutated", flush=True)

    rng = random.Random(args.seed)
    report_path = os.path.join(build, "mutants.txt")
    done = {}
    if args.resume and os.path.exists(report_path):
        with open(report_path) as f:
            for entry in f.read().splitlines():
                status, _, key = entry.partition(" ")
                done[key.strip()] = status
    report = open(report_path, "w")
    totals = {}
    chosen = []
    for group, files in groups:
        candidates = []
        for path in files:
            lines, mutants = mutants_of(path)
            if args.max and len(mutants) > args.max:
                mutants = sorted(rng.sample(mutants, args.max))
            candidates += [(group, path, lines, m) for m in mutants]
        if args.sample and len(candidates) > args.sample:
            picked = set(rng.sample(range(len(candidates)), args.sample))
            candidates = [c for i, c in enumerate(candidates) if i in picked]
        chosen += candidates
    # Folders interleaved, so that a run cut short still scores each of them.
    rng.shuffle(chosen)
    print(f"{len(chosen)} mutants", flush=True)
    try:
        for folder, path, lines, (number, new_line, what) in chosen:
            rel = os.path.relpath(path, ROOT)
            key = f"{rel}:{number + 1}: {what}: {new_line.strip()}"
            if key in done:
                status = done[key]
                t = totals.setdefault(folder, {"killed": 0, "survived": 0, "no-compile": 0})
                t[status] += 1
                report.write(f"{status:10} {key}\n")
                continue
            mutated = list(lines)
            mutated[number] = new_line
            with open(path, "w") as f:
                f.write("\n".join(mutated))
            try:
                code, out = run(build_command)
                if code != 0:
                    status = "no-compile"
                else:
                    code, out = run(mutant_test_command, timeout=timeout, cwd=build)
                    status = "survived" if code == 0 else "killed"
            finally:
                with open(path, "w") as f:
                    f.write("\n".join(lines))
            t = totals.setdefault(folder, {"killed": 0, "survived": 0, "no-compile": 0})
            t[status] += 1
            entry = f"{status:10} {key}"
            report.write(entry + "\n")
            report.flush()
            if status == "survived":
                print(entry, flush=True)
    finally:
        # The tree is always left as it was; rebuild so the next run starts clean.
        run(build_command)
    print()
    for folder, t in sorted(totals.items()):
        counted = t["killed"] + t["survived"]
        score = 100.0 * t["killed"] / counted if counted else 100.0
        print(f"{folder}: {t['killed']} killed, {t['survived']} survived, "
              f"{t['no-compile']} did not compile: {score:.1f} % killed")
    print("every mutant:", os.path.join(build, "mutants.txt"))


if __name__ == "__main__":
    main()
