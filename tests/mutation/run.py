#!/usr/bin/env python3
"""Plants the small faults of mutants.txt one at a time in a scratch copy of
the source tree, rebuilds it incrementally, runs the test suite and tells
which faults the suite caught. Run by hand; it takes minutes per mutant.

  tests/mutation/run.py                 every mutant
  tests/mutation/run.py --only 3,7,12   those mutants
  tests/mutation/run.py --count 10      the first ten
  tests/mutation/run.py --list          the mutants, nothing built

The scratch copy (--scratch, default build-mutation/ in the tree, which git
ignores) is made once and reused: each mutant edits one file, the build recompiles that file
and relinks, and the file is put back before the next one. Windows are left
out of that build (ZVONAR_GUI=OFF): the mutants are all in the core.
"""
import argparse
import os
import re
import shutil
import subprocess
import sys
import time

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(os.path.dirname(HERE))


class Mutant:
    def __init__(self, number, path, what):
        self.number, self.path, self.what = number, path, what
        self.old, self.new, self.equivalent = None, None, None


def unescape(text):
    return text.replace("{NL}", "\n")


def read_mutants(path):
    """mutants.txt: '@ file | what it breaks', then '- old text' (found
    exactly once in the file), '+ new text', and optionally '= why the
    mutant cannot be caught'. '{NL}' in a text stands for a line end."""
    mutants = []
    with open(path, encoding="utf-8") as f:
        for lineno, raw in enumerate(f, 1):
            line = raw.rstrip("\n")
            if not line.strip() or line.startswith("#"):
                continue
            tag, body = line[:2], line[2:]
            if tag == "@ ":
                file_part, _, what = body.partition("|")
                mutants.append(Mutant(len(mutants) + 1, file_part.strip(), what.strip()))
            elif not mutants:
                sys.exit(f"{path}:{lineno}: text before the first '@' line")
            elif tag == "- ":
                mutants[-1].old = unescape(body)
            elif tag == "+ ":
                mutants[-1].new = unescape(body)
            elif tag == "= ":
                mutants[-1].equivalent = body.strip()
            else:
                sys.exit(f"{path}:{lineno}: a line starts with '@ ', '- ', '+ ' or '= '")
    for m in mutants:
        if m.old is None or m.new is None:
            sys.exit(f"mutant {m.number} ({m.path}) lacks its '-' or '+' line")
    return mutants


def run(cmd, cwd, timeout, log):
    start = time.monotonic()
    try:
        p = subprocess.run(cmd, cwd=cwd, stdout=subprocess.PIPE, stderr=subprocess.STDOUT, timeout=timeout)
        out, code = p.stdout.decode("utf-8", "replace"), p.returncode
    except subprocess.TimeoutExpired as e:
        out, code = (e.stdout or b"").decode("utf-8", "replace") + "\n[timed out]", -1
    with open(log, "a", encoding="utf-8") as f:
        f.write(f"$ {' '.join(cmd)}\n{out}\n[exit {code}, {time.monotonic() - start:.0f} s]\n")
    return code, out


def sync_tree(src, dst):
    """Copies the tree into the scratch copy, leaving build output, git data
    and files already the same (so the build stays incremental)."""
    for dirpath, dirnames, filenames in os.walk(src):
        rel = os.path.relpath(dirpath, src)
        dirnames[:] = [d for d in dirnames if not (rel == "." and (d.startswith("build") or d == ".git"))]
        os.makedirs(os.path.join(dst, rel), exist_ok=True)
        for name in filenames:
            a, b = os.path.join(dirpath, name), os.path.join(dst, rel, name)
            if os.path.exists(b):
                with open(a, "rb") as fa, open(b, "rb") as fb:
                    if fa.read() == fb.read():
                        continue
            shutil.copy2(a, b)


def check_applies(mutants, tree):
    for m in mutants:
        with open(os.path.join(tree, m.path), encoding="utf-8") as f:
            found = f.read().count(m.old)
        if found != 1:
            sys.exit(f"mutant {m.number}: its text is found {found} times in {m.path}, not once")


def failed_tests(output):
    """The tests that failed in their own right, first failure first; the run
    stops at the first, so tests it cut short are left out."""
    return re.findall(r"Test\s+#\d+: (\S+) \.*\s*\*\*\*(?:Failed|Exception|Timeout)", output)


def main():
    ap = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    ap.add_argument("--only", help="comma-separated mutant numbers")
    ap.add_argument("--count", type=int, help="the first COUNT mutants (after --only)")
    ap.add_argument("--list", action="store_true", help="list the mutants and stop")
    ap.add_argument("--scratch", default=os.path.join(ROOT, "build-mutation"))
    ap.add_argument("--jobs", type=int, default=2)
    ap.add_argument("--test-timeout", type=int, default=600, help="seconds for one run of the suite")
    ap.add_argument("--mutants", default=os.path.join(HERE, "mutants.txt"))
    args = ap.parse_args()

    mutants = read_mutants(args.mutants)
    if args.only:
        wanted = {int(n) for n in args.only.split(",") if n.strip()}
        mutants = [m for m in mutants if m.number in wanted]
    if args.count is not None:
        mutants = mutants[: args.count]
    if args.list:
        for m in mutants:
            print(f"{m.number:3} {m.path}: {m.what}" + (f"  [equivalent: {m.equivalent}]" if m.equivalent else ""))
        check_applies(mutants, ROOT)
        return 0

    src = os.path.join(args.scratch, "src")
    # The build sits in the copy as build/ sits in the tree, and ccache
    # leaves the folder out of its hash, so a second copy reuses the first's
    # objects.
    build = os.path.join(src, "build")
    os.environ.setdefault("CCACHE_NOHASHDIR", "1")
    os.environ.setdefault("CCACHE_BASEDIR", os.path.dirname(ROOT))
    log = os.path.join(args.scratch, "mutation.log")
    os.makedirs(args.scratch, exist_ok=True)
    open(log, "w").close()
    sync_tree(ROOT, src)
    check_applies(mutants, src)

    env_launcher = os.environ.get("CMAKE_CXX_COMPILER_LAUNCHER")
    configure = ["cmake", "-S", src, "-B", build, "-G", "Ninja", "-DCMAKE_BUILD_TYPE=RelWithDebInfo", "-DZVONAR_GUI=OFF"]
    if env_launcher is None and shutil.which("ccache"):
        configure.append("-DCMAKE_CXX_COMPILER_LAUNCHER=ccache")
    build_cmd = ["cmake", "--build", build, "-j", str(args.jobs)]
    test_cmd = ["ctest", "--test-dir", build, "-j", str(args.jobs), "--timeout", "300", "--stop-on-failure"]
    print("building the unchanged tree ...", flush=True)
    if run(configure, ROOT, 600, log)[0] != 0 or run(build_cmd, ROOT, 7200, log)[0] != 0:
        sys.exit(f"the unchanged tree does not build; see {log}")
    code, out = run(test_cmd, ROOT, args.test_timeout, log)
    if code != 0:
        sys.exit(f"the unchanged tree fails its tests ({', '.join(failed_tests(out))}); see {log}")

    caught, survived, broken = [], [], []
    for m in mutants:
        path = os.path.join(src, m.path)
        with open(path, encoding="utf-8") as f:
            original = f.read()
        start = time.monotonic()
        try:
            with open(path, "w", encoding="utf-8") as f:
                f.write(original.replace(m.old, m.new, 1))
            if run(build_cmd, ROOT, 3600, log)[0] != 0:
                broken.append(m)
                verdict = "does not compile"
            else:
                code, out = run(test_cmd, ROOT, args.test_timeout, log)
                if code != 0:
                    caught.append(m)
                    verdict = "caught by " + (", ".join(failed_tests(out)) or "the suite")
                else:
                    survived.append(m)
                    verdict = "SURVIVED" + (" (judged equivalent)" if m.equivalent else "")
        finally:
            with open(path, "w", encoding="utf-8") as f:
                f.write(original)
        print(f"{m.number:3} {m.path}: {m.what}: {verdict} [{time.monotonic() - start:.0f} s]", flush=True)

    equivalent = [m for m in survived if m.equivalent]
    real = [m for m in survived if not m.equivalent]
    counted = len(caught) + len(real)
    print()
    print(f"mutants run: {len(mutants)}; did not compile: {len(broken)}; caught: {len(caught)}; "
          f"survived: {len(survived)} ({len(equivalent)} judged equivalent)")
    if real:
        print("survivors:")
        for m in real:
            print(f"  {m.number:3} {m.path}: {m.what}")
    if equivalent:
        print("survivors judged equivalent:")
        for m in equivalent:
            print(f"  {m.number:3} {m.path}: {m.what} -- {m.equivalent}")
    if counted:
        print(f"catch rate: {len(caught)}/{counted} = {100.0 * len(caught) / counted:.0f} % of the non-equivalent mutants")
    # Rebuild the unchanged tree, so the next run starts from it.
    run(build_cmd, ROOT, 7200, log)
    return 0 if not real else 1


if __name__ == "__main__":
    sys.exit(main())
