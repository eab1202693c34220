#!/usr/bin/env python3
"""The release's files as scripts/package.sh makes them from the build, once with a throwaway
self-signed certificate and once without: the ZIP holds the two programs (under 2 MB, their debug
information left beside the build behind a debug link), the user's texts and the policy templates,
nothing else; the programs and the MSI carry signatures that verify against that certificate (and
no other), or none; SHA256SUMS names both files with their hashes; unpacked alone, both programs
start under Wine and show the project's version.

    PackageTest.py PACKAGE_SH BUILD_DIR VERSION WINE_RUN WINE_ROOT OBJDUMP
"""
import hashlib
import os
import re
import shutil
import subprocess
import sys
import xml.etree.ElementTree as ET
import zipfile

package_sh, build, version, wine_run, root, objdump = sys.argv[1:7]
source = os.path.dirname(os.path.dirname(os.path.abspath(package_sh)))
scratch = os.path.join(build, "package-test")
shutil.rmtree(scratch, ignore_errors=True)
os.makedirs(scratch)
top = f"Rondel-{version}-win64"
failures = []


def check(condition, what):
    if not condition:
        failures.append(what)
    return condition


def run(*args, **kwargs):
    return subprocess.run(list(args), capture_output=True, timeout=300, **kwargs)


def wine(*args):
    return subprocess.run([wine_run, "--root", root, *args], capture_output=True, timeout=120)


def certificate(name):
    cert, key = os.path.join(scratch, name + ".pem"), os.path.join(scratch, name + ".key")
    made = run("openssl", "req", "-x509", "-newkey", "rsa:2048", "-nodes", "-days", "1", "-keyout", key, "-out", cert,
               "-subj", f"/CN={name}", "-addext", "extendedKeyUsage=codeSigning")
    assert made.returncode == 0, made.stderr
    return cert, key


def verifies(path, cert):
    return run("osslsigncode", "verify", "-CAfile", cert, "-in", path).returncode == 0


def sections(path):
    listing = run(objdump, "-h", path).stdout.decode()
    return set(re.findall(r"^\s*\d+\s+(\S+)", listing, re.M))


def debug_link(path):
    """The file name that the .gnu_debuglink section holds (before its NUL and checksum)."""
    dump = run(objdump, "-s", "-j", ".gnu_debuglink", path).stdout.decode()
    rows = re.finditer(r"^ [0-9a-f]+ ((?:[0-9a-f]{2,8} ){1,4})", dump, re.M)
    return b"".join(bytes.fromhex("".join(row.group(1).split())) for row in rows).split(b"\0")[0].decode()


cert, key = certificate("Rondel package test")
other, _ = certificate("Someone else")
packages = {}
for kind, signing in (("signed", ["--cert", cert, "--key", key]), ("unsigned", [])):
    out = os.path.join(scratch, kind)
    made = run(package_sh, "--no-build", "--build", build, "--out", out, *signing)
    assert made.returncode == 0, made.stdout.decode() + made.stderr.decode()
    said = made.stdout.decode().strip().splitlines()[-1]
    check(said.startswith(kind + ":"), f"{kind}: the last line says {said!r}")
    packages[kind] = out

    # SHA256SUMS: the ZIP and the MSI, each with its hash.
    sums = open(os.path.join(out, "SHA256SUMS")).read().splitlines()
    expected = []
    for name in (top + ".zip", top + ".msi"):
        digest = hashlib.sha256(open(os.path.join(out, name), "rb").read()).hexdigest()
        expected.append(f"{digest}  {name}")
    check(sums == expected, f"{kind}: SHA256SUMS is {sums}, not {expected}")
    check(run("sha256sum", "-c", "SHA256SUMS", cwd=out).returncode == 0, f"{kind}: sha256sum -c fails")

    unpacked = os.path.join(out, "unpacked")
    with zipfile.ZipFile(os.path.join(out, top + ".zip")) as archive:
        names = sorted(n for n in archive.namelist() if not n.endswith("/"))
        archive.extractall(unpacked)
    wanted = sorted(f"{top}/{n}" for n in ("Rondel.exe", "RondelList.exe", "README.txt", "LICENSE.txt", "CHANGELOG.txt",
                                            "PolicyDefinitions/Rondel.admx", "PolicyDefinitions/ja-JP/Rondel.adml",
                                            "PolicyDefinitions/en-US/Rondel.adml"))
    check(names == wanted, f"{kind}: the ZIP holds {names}")

    msi = os.path.join(out, top + ".msi")
    for program in ("Rondel.exe", "RondelList.exe", None):
        path = os.path.join(unpacked, top, program) if program else msi
        what = f"{kind}: {program or 'the MSI'}"
        if kind == "signed":
            check(verifies(path, cert), f"{what}: its signature does not verify against the certificate")
            check(not verifies(path, other), f"{what}: its signature verifies against another certificate")
        else:
            check(not verifies(path, cert), f"{what}: signed")
        if program:
            size = os.path.getsize(path)
            check(size < 2 * 1024 * 1024, f"{what}: {size} bytes")
            names = sections(path)
            check(".gnu_debuglink" in names and not any(n.startswith(".debug_") for n in names),
                  f"{what}: sections {sorted(names)}")
            check(debug_link(path) == program + ".debug", f"{what}: the debug link names {debug_link(path)!r}")
            kept = os.path.join(build, "bin", program + ".debug")
            check(os.path.isfile(kept) and ".debug_info" in sections(kept), f"{kept}: no debug information")

signed = os.path.join(packages["signed"], "unpacked", top)

# The user's texts: UTF-8 after a byte-order mark, CR LF; the README Japanese first, then English.
texts = {}
for name in ("README.txt", "LICENSE.txt", "CHANGELOG.txt"):
    raw = open(os.path.join(signed, name), "rb").read()
    check(raw.startswith(b"\xef\xbb\xbf"), f"{name}: no byte-order mark")
    check(b"\n" not in raw.replace(b"\r\n", b""), f"{name}: a line not ended by CR LF")
    texts[name] = raw[3:].decode("utf-8").replace("\r\n", "\n")
readme = texts["README.txt"]
english = readme.find("(English)\n===")
check(readme.startswith(f"ロンデル (Rondel) {version}\n") and english > 0, "README.txt: not Japanese, then English")
for part in (readme[:english], readme[english:]):
    for word in ("F5", "Alt+S", "WatchInterval", "DisableHomePage", "HKEY_LOCAL_MACHINE\\Software\\Policies\\Rondel",
                 "HKEY_CURRENT_USER\\Software\\Rondel", "PolicyDefinitions", "msiexec /x"):
        check(word in part, f"README.txt: {word} missing in a language")
check(texts["LICENSE.txt"].startswith("MIT License\n"), "LICENSE.txt is not the licence")
check(re.search(r"^## (.*)$", texts["CHANGELOG.txt"], re.M).group(1) == version,
      "CHANGELOG.txt: the first entry is not this version's")

# The policy templates: well-formed, every string and presentation they refer to there in both
# languages, and the template the native test holds against the settings reader.
ns = {"p": "http://schemas.microsoft.com/GroupPolicy/2006/07/PolicyDefinitions"}
folder = os.path.join(signed, "PolicyDefinitions")
admx_text = open(os.path.join(folder, "Rondel.admx"), encoding="utf-8").read()
check(admx_text == open(os.path.join(source, "packaging", "PolicyDefinitions", "Rondel.admx"), encoding="utf-8").read(),
      "the packaged template is not packaging/'s")
admx = ET.fromstring(admx_text)
strings = set(re.findall(r"\$\(string\.([^)]+)\)", admx_text))
presentations = set(re.findall(r"\$\(presentation\.([^)]+)\)", admx_text))
policies = admx.findall("p:policies/p:policy", ns)
check({p.get("key") for p in policies} == {"Software\\Policies\\Rondel"}, "a policy outside the policy key")
check({p.get("class") for p in policies} == {"Machine"}, "a policy not of the machine")
named = {p.get("valueName") for p in policies} | {e.get("valueName") for e in admx.iter() if e.get("id")}
check(named - {None} == {"WatchInterval", "DisableHomePage"}, f"the template names {named}")
ids = {}
for language in ("ja-JP", "en-US"):
    adml = ET.parse(os.path.join(folder, language, "Rondel.adml")).getroot()
    has = {e.get("id") for e in adml.findall("p:resources/p:stringTable/p:string", ns)}
    shown = {e.get("id") for e in adml.findall("p:resources/p:presentationTable/p:presentation", ns)}
    check(strings <= has, f"{language}: strings missing: {strings - has}")
    check(presentations <= shown, f"{language}: presentations missing: {presentations - shown}")
    refs = {e.get("refId") for e in adml.iter() if e.get("refId")}
    elements = {e.get("id") for p in policies for e in p.findall("p:elements/*", ns)}
    check(refs == elements, f"{language}: the presentation's boxes {refs}, the elements {elements}")
    ids[language] = (has, shown)
check(ids["ja-JP"] == ids["en-US"], "the two languages hold other strings")

# Unpacked alone, the signed programs start and tell the project's version.
folder = "Z:" + signed.replace("/", "\\")
listed = wine(folder + "\\RondelList.exe", "--version")
check(listed.returncode == 0 and listed.stdout == f"RondelList {version}\r\n".encode(), f"RondelList --version: {listed}")
# Rondel.exe's caption holds the version of its resource; WaitWindow (a fixture) waits for it.
wait_window = os.path.join(build, "bin", "fixtures", "WaitWindow.exe")
rondel = subprocess.Popen([wine_run, "--root", root, folder + "\\Rondel.exe"],
                          stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
try:
    check(wine(wait_window, f"ロンデル  Ver. {version}", "30000").returncode == 0, "Rondel.exe's caption")
finally:
    # Closed by its application window's title, which holds no version: whatever it shows.
    wine(wait_window, "--close", "ロンデル", "15000")
    rondel.wait(timeout=30)

print("\n".join(failures) if failures else f"{top}: signed and unsigned, the ZIP, the MSI and SHA256SUMS as they should be")
if not failures:
    shutil.rmtree(scratch, ignore_errors=True)
sys.exit(1 if failures else 0)
