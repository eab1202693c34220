#!/usr/bin/env python3
"""The MSI under Wine's msiexec, silently, in a fresh prefix of its own: an older version installed,
then this one over it (one version left: the files, the Start-menu shortcut, one entry in the
installed-programs list with the version and the publisher, and RondelList.exe --version from
the installed folder gives the version); the older one again is refused; uninstalled, nothing is
left. The older installer is made from the same build by scripts/package.sh --version.

    MsiTest.py PACKAGE_SH BUILD_DIR VERSION WINE_RUN WINE_ROOT
"""
import os
import shutil
import subprocess
import sys

package_sh, build, version, wine_run, root = sys.argv[1:6]
older = "0.9.0.0"
scratch = os.path.join(build, "msi-test")
shutil.rmtree(scratch, ignore_errors=True)
env = dict(os.environ)
env.pop("RONDEL_USE_DISPLAY", None)
failures = []


def check(condition, what):
    if not condition:
        failures.append(what)
    return condition


def wine(*args):
    return subprocess.run([wine_run, "--root", root, *args], capture_output=True, timeout=300, env=env)


def make(v):
    out = os.path.join(scratch, v)
    made = subprocess.run([package_sh, "--no-build", "--build", build, "--out", out, "--version", v],
                          capture_output=True, timeout=300)
    assert made.returncode == 0, made.stdout.decode() + made.stderr.decode()
    msi = os.path.join(out, f"Rondel-{v}-win64.msi")
    properties = subprocess.run(["msiinfo", "export", msi, "Property"], capture_output=True, check=True).stdout.decode()
    code = dict(line.split("\t", 1) for line in properties.splitlines() if "\t" in line)["ProductCode"]
    return "Z:" + msi.replace("/", "\\"), code


prefix = os.path.join(root, "prefix", "drive_c")
folder = os.path.join(prefix, "Program Files", "Rondel")


def shortcuts():
    """Windows puts a per-machine installation's shortcut into the common Start menu; Wine 8's
    msi puts it into the user's."""
    programs = os.path.join("Microsoft", "Windows", "Start Menu", "Programs", "Rondel.lnk")
    users = os.path.join(prefix, "users")
    return [os.path.join(prefix, "ProgramData", programs)] + [
        os.path.join(users, user, "AppData", "Roaming", programs) for user in os.listdir(users)]


files = sorted(["CHANGELOG.txt", "LICENSE.txt", "PolicyDefinitions/Rondel.admx", "PolicyDefinitions/en-US/Rondel.adml",
                "PolicyDefinitions/ja-JP/Rondel.adml", "README.txt", "Rondel.exe", "RondelList.exe"])


def installed_files():
    return sorted(os.path.relpath(os.path.join(d, f), folder) for d, _, names in os.walk(folder) for f in names)


def entries():
    """The installed-programs list's entries named Rondel: product code -> its values."""
    listing = wine("reg", "query", "HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall", "/s")
    found, key = {}, None
    for line in listing.stdout.decode("utf-8", "replace").splitlines():
        if line.startswith("HKEY_"):
            key = line.rsplit("\\", 1)[1]
        elif key and line.startswith("    ") and "REG_" in line:
            parts = line.split(None, 2)
            found.setdefault(key, {})[parts[0]] = parts[2] if len(parts) == 3 else ""
    return {k: v for k, v in found.items() if v.get("DisplayName") == "Rondel"}


def shortcut():
    there = [s for s in shortcuts() if os.path.isfile(s)]
    return there and b"Rondel.exe" in open(there[0], "rb").read()


try:
    old_msi, old_code = make(older)
    new_msi, new_code = make(version)
    check(old_code != new_code, "both installers have one product code")
    # A fresh prefix: nothing left by an earlier run counts.
    wine("--shutdown")
    shutil.rmtree(os.path.join(root, "prefix"), ignore_errors=True)
    wine("--setup")

    for step, msi, v, code in (("the older version", old_msi, older, old_code), ("this version over it", new_msi, version, new_code)):
        result = wine("msiexec", "/i", msi, "/qn")
        check(result.returncode == 0, f"{step}: msiexec /i ended with {result.returncode}")
        check(installed_files() == files, f"{step}: installed {installed_files()}")
        check(shortcut(), f"{step}: no Start-menu shortcut to Rondel.exe")
        listed = entries()
        check(list(listed) == [code], f"{step}: the installed-programs list holds {sorted(listed)}, not {code}")
        values = listed.get(code, {})
        check(values.get("DisplayVersion") == v and values.get("Publisher") == "Rondel developers",
              f"{step}: the entry says {values}")

    program = "C:\\Program Files\\Rondel\\RondelList.exe"
    listed = wine(program, "--version")
    check(listed.stdout == f"RondelList {version}\r\n".encode(), f"{program} --version: {listed.stdout!r}")

    result = wine("msiexec", "/i", old_msi, "/qn")
    check(result.returncode != 0, "the older version was installed over this one")
    check(list(entries()) == [new_code] and installed_files() == files, "the refused older version changed something")

    result = wine("msiexec", "/x", new_msi, "/qn")
    check(result.returncode == 0, f"msiexec /x ended with {result.returncode}")
    check(not os.path.exists(folder), f"left after the uninstallation: {folder}")
    check(not any(os.path.exists(s) for s in shortcuts()), "the shortcut is left after the uninstallation")
    check(entries() == {}, f"the installed-programs list still holds {entries()}")
finally:
    wine("--shutdown")

print("\n".join(failures) if failures else f"{older}, then {version} over it, then removed: as it should be")
if not failures:
    shutil.rmtree(scratch, ignore_errors=True)
sys.exit(1 if failures else 0)
