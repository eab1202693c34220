#!/usr/bin/env python3
"""The ZIP package holds the two programs, the README and the licence, and nothing else; unpacked
alone, both programs start under Wine and show the project's version.

Runs on the host: cpack -G ZIP into a scratch directory of the build, cmake -E tar to unpack,
then RondelList.exe --version, and Rondel.exe until its main window shows the caption its
version resource makes (WaitWindow.exe, a fixture of the build, waits for it and closes it).

    PackageTest.py CPACK CMAKE BUILD_DIR VERSION WINE_RUN WINE_ROOT
"""
import os
import shutil
import subprocess
import sys


def main():
    cpack, cmake, build, version, wine_run, root = sys.argv[1:7]
    scratch = os.path.join(build, "package-test")
    shutil.rmtree(scratch, ignore_errors=True)
    os.makedirs(os.path.join(scratch, "unpacked"))
    failures = []

    def check(condition, message):
        if not condition:
            failures.append(message)

    def wine(*args, timeout=120):
        return subprocess.run([wine_run, "--root", root, *args], capture_output=True, timeout=timeout)

    made = subprocess.run([cpack, "-G", "ZIP", "-B", scratch, "--config", os.path.join(build, "CPackConfig.cmake")],
                          cwd=build, capture_output=True, text=True, timeout=300)
    top = f"Rondel-{version}-win64"
    archive = os.path.join(scratch, top + ".zip")
    if made.returncode != 0 or not os.path.isfile(archive):
        print(made.stdout, made.stderr)
        print(f"FAILED: cpack made no {archive}")
        return 1
    subprocess.run([cmake, "-E", "tar", "xf", archive], cwd=os.path.join(scratch, "unpacked"), check=True)

    unpacked = os.path.join(scratch, "unpacked")
    files = sorted(os.path.relpath(os.path.join(d, f), unpacked) for d, _, names in os.walk(unpacked) for f in names)
    expected = sorted(f"{top}/{name}" for name in ("Rondel.exe", "RondelList.exe", "README.md", "LICENSE"))
    check(files == expected, f"contents {files}")

    folder = "Z:" + os.path.join(unpacked, top).replace("/", "\\")
    listed = wine(folder + "\\RondelList.exe", "--version")
    check(listed.returncode == 0 and listed.stdout == f"RondelList {version}\r\n".encode(),
          f"RondelList.exe --version: exit {listed.returncode} {listed.stdout!r} {listed.stderr!r}")

    caption = f"ロンデル  Ver. {version}"
    wait_window = os.path.join(build, "bin", "fixtures", "WaitWindow.exe")
    rondel = subprocess.Popen([wine_run, "--root", root, folder + "\\Rondel.exe"],
                              stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    try:
        shown = wine(wait_window, caption, "30000")
        check(shown.returncode == 0, f"Rondel.exe showed no window titled {caption!r}")
    finally:
        # Closed by its application window's title, which holds no version: whatever it shows.
        closed = wine(wait_window, "--close", "ロンデル", "15000")
        check(closed.returncode == 0, "Rondel.exe's window closes")
        try:
            rondel.wait(timeout=30)
        except subprocess.TimeoutExpired:
            rondel.kill()
            failures.append("Rondel.exe did not end")

    for failure in failures:
        print("FAILED:", failure)
    if not failures:
        shutil.rmtree(scratch, ignore_errors=True)
    print(f"{archive}: {len(failures)} failures")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
