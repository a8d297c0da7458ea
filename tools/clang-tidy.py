#!/usr/bin/env python3
"""clang-tidy over the program's sources, from a build folder's compile database.

    tools/clang-tidy.py BUILD_FOLDER [JOBS [REGEX]]

Checks every src/**.cpp of BUILD_FOLDER/compile_commands.json (made with
-DCMAKE_EXPORT_COMPILE_COMMANDS=ON), or those whose path REGEX finds, with the checks of
.clang-tidy, JOBS files at a time (default: the number of processors). Prints every finding and exits 1 when there is one.

A file that passed is remembered: its key is the file as clang sees it after preprocessing
(so every header it includes, with the checkout's path taken out), its compile flags, the
.clang-tidy file and the version of clang-tidy. A file whose key was seen passing before is
not checked again; any change to it, to a header it includes, to its flags, to the checks or
to the tool gives a new key. The keys live in $PEDPREP_TIDY_CACHE (default
~/.cache/pedprep-clang-tidy); an empty folder there checks everything.
"""
import concurrent.futures
import hashlib
import json
import os
import re
import shlex
import subprocess
import sys

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
SOURCE = re.compile(r"/src/.*\.cpp$")


def tool_version():
    return subprocess.run(["clang-tidy", "--version"], capture_output=True, text=True,
                          check=True).stdout


def preprocess_arguments(entry):
    """The entry's compile command as a clang -E that writes to standard output."""
    words = entry["arguments"] if "arguments" in entry else shlex.split(entry["command"])
    out = ["clang++", "-E", "-Wno-unknown-warning-option"]
    skip = False
    for word in words[1:]:
        if skip:
            skip = False
            continue
        if word == "-o":
            skip = True
            continue
        if word == "-c":
            continue
        out.append(word)
    return out


def key_of(entry, common):
    run = subprocess.run(preprocess_arguments(entry), cwd=entry["directory"],
                         capture_output=True, check=False)
    if run.returncode != 0:
        return None  # clang-tidy itself reports what does not compile
    digest = hashlib.sha256(common)
    digest.update(run.stdout.replace(ROOT.encode(), b"@ROOT@"))
    flags = entry.get("command", " ".join(entry.get("arguments", [])))
    digest.update(re.sub(r"-o \S+", "", flags).replace(ROOT, "@ROOT@").encode())
    return digest.hexdigest()


def check(entry, build, cache, common):
    key = key_of(entry, common)
    if key and os.path.exists(os.path.join(cache, key)):
        return entry["file"], True, ""
    run = subprocess.run(["clang-tidy", "-p", build, "-quiet",
                          "--extra-arg=-Wno-unknown-warning-option", entry["file"]],
                         capture_output=True, text=True, check=False)
    text = run.stdout + run.stderr
    passed = run.returncode == 0 and "warning:" not in text and "error:" not in text
    if passed and key:
        with open(os.path.join(cache, key), "w", encoding="utf-8") as mark:
            mark.write(os.path.relpath(entry["file"], ROOT) + "\n")
    return entry["file"], False, "" if passed else text


def main():
    build = os.path.abspath(sys.argv[1])
    jobs = int(sys.argv[2]) if len(sys.argv) > 2 else os.cpu_count()
    only = re.compile(sys.argv[3] if len(sys.argv) > 3 else "")
    cache = os.environ.get("PEDPREP_TIDY_CACHE",
                           os.path.join(os.path.expanduser("~"), ".cache", "pedprep-clang-tidy"))
    os.makedirs(cache, exist_ok=True)
    with open(os.path.join(build, "compile_commands.json"), encoding="utf-8") as database:
        entries = [e for e in json.load(database)
                   if SOURCE.search(e["file"]) and only.search(e["file"])]
    with open(os.path.join(ROOT, ".clang-tidy"), "rb") as config:
        common = config.read() + tool_version().encode()
    found = 0
    remembered = 0
    with concurrent.futures.ThreadPoolExecutor(max_workers=jobs) as pool:
        for name, known, findings in pool.map(lambda e: check(e, build, cache, common), entries):
            remembered += known
            if findings:
                found += 1
                print(f"== {os.path.relpath(name, ROOT)}\n{findings}", end="")
    print(f"clang-tidy: {len(entries)} files, {len(entries) - remembered} checked, "
          f"{remembered} passed before unchanged, {found} with findings")
    return 1 if found else 0


if __name__ == "__main__":
    sys.exit(main())
