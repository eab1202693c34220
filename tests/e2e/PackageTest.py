#!/usr/bin/env python3
"""The ZIP package holds the two programs, the README and the licence, nothing else; unpacked
alone, both programs start under Wine and show the project's version.

    PackageTest.py CPACK CMAKE BUILD_DIR VERSION WINE_RUN WINE_ROOT
"""
import os
import shutil
import subprocess
import sys

cpack, cmake, build, version, wine_run, root = sys.argv[1:7]
scratch = os.path.join(build, "package-test")
unpacked = os.path.join(scratch, "unpacked")
shutil.rmtree(scratch, ignore_errors=True)
os.makedirs(unpacked)


def wine(*args):
    return subprocess.run([wine_run, "--root", root, *args], capture_output=True, timeout=120)


subprocess.run([cpack, "-G", "ZIP", "-B", scratch, "--config", os.path.join(build, "CPackConfig.cmake")],
               cwd=build, check=True, capture_output=True, timeout=300)
top = f"Rondel-{version}-win64"
subprocess.run([cmake, "-E", "tar", "xf", os.path.join(scratch, top + ".zip")], cwd=unpacked, check=True)
files = sorted(os.path.relpath(os.path.join(d, f), unpacked) for d, _, names in os.walk(unpacked) for f in names)
assert files == sorted(f"{top}/{name}" for name in ("Rondel.exe", "RondelList.exe", "README.md", "LICENSE")), files

folder = "Z:" + os.path.join(unpacked, top).replace("/", "\\")
listed = wine(folder + "\\RondelList.exe", "--version")
assert listed.returncode == 0 and listed.stdout == f"RondelList {version}\r\n".encode(), listed

# Rondel.exe's caption holds the version of its resource; WaitWindow (a fixture) waits for it.
wait_window = os.path.join(build, "bin", "fixtures", "WaitWindow.exe")
rondel = subprocess.Popen([wine_run, "--root", root, folder + "\\Rondel.exe"],
                          stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
try:
    assert wine(wait_window, f"ロンデル  Ver. {version}", "30000").returncode == 0, "Rondel.exe's caption"
finally:
    # Closed by its application window's title, which holds no version: whatever it shows.
    wine(wait_window, "--close", "ロンデル", "15000")
    rondel.wait(timeout=30)
shutil.rmtree(scratch, ignore_errors=True)
print(f"{top}.zip: the two programs start with version {version}")
