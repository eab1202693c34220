#!/usr/bin/env python3
"""Where RondelList.exe's text goes, seen from the host.

A standard output that is full (/dev/full) or closed, and an --output FILE that cannot be made or
fills up, end with exit code 1 and one line on stderr; the file is then not there, and a file of
that name from before is left as it was. A console (a pseudo-terminal, which Wine gives a console
of its own) reads the text right in a code page other than 932: Wine is started in C.UTF-8 there,
whose console code page is 437, in a prefix of its own.

    RondelListOutputTest.py WINE_RUN WINE_ROOT BIN_DIR CONSOLE_PREFIX
"""
import os
import re
import resource
import shlex
import signal
import subprocess
import sys
import tempfile

wine_run, root, bin_dir, console_prefix = sys.argv[1:5]
rondel_list = bin_dir + "/RondelList.exe"

# The test prefix's environment, its server and display started.
assignments = subprocess.run([wine_run, "--root", root, "--env"], capture_output=True, check=True, text=True)
wine_env = dict(os.environ)
for line in assignments.stdout.splitlines():
    name, _, value = shlex.split(line)[0].partition("=")
    wine_env[name] = value


def run(args, stdout, preexec_fn=None):
    """Runs RondelList.exe with its stdout as given; stderr goes to a file (a pipe would keep
    this script waiting for Wine's helpers, which inherit it)."""
    with tempfile.TemporaryFile() as err:
        status = subprocess.run(["wine", rondel_list, *args], stdin=subprocess.DEVNULL, stdout=stdout, stderr=err,
                                env=wine_env, preexec_fn=preexec_fn, timeout=120).returncode
        err.seek(0)
        return status, err.read().decode("cp932")


def expect_one_line(status, err, pattern, what):
    assert status == 1, f"{what}: exit code {status}, stderr {err!r}"
    assert re.fullmatch(pattern + r" \(エラー \d+\)\r\n", err), f"{what}: {err!r}"


def close_stdout():
    os.close(1)


for args in ([], ["--csv"]):
    with open("/dev/full", "wb") as full:
        expect_one_line(*run(args, full), "出力を書き込めません", f"{args} > /dev/full")
    expect_one_line(*run(args, None, close_stdout), "出力を書き込めません", f"{args} >&-")


def fill_up_at_256_bytes():
    signal.signal(signal.SIGXFSZ, signal.SIG_IGN)  # a write past the limit then fails with EFBIG
    resource.setrlimit(resource.RLIMIT_FSIZE, (256, 256))


with tempfile.TemporaryDirectory() as scratch:
    missing = "Z:" + scratch.replace("/", "\\") + "\\no such directory\\一覧.csv"
    expect_one_line(*run(["--csv", "--output", missing], subprocess.DEVNULL),
                    "ファイル「" + re.escape(missing) + "」に書き込めません", "a file in a missing directory")
    with open(scratch + "/before.csv", "wb") as before:
        before.write(b"from before\r\n")
    for name in ("before.csv", "new.csv"):
        target = "Z:" + scratch.replace("/", "\\") + "\\" + name
        expect_one_line(*run(["--csv", "--output", target], subprocess.DEVNULL, fill_up_at_256_bytes),
                        "ファイル「" + re.escape(target) + "」に書き込めません", f"{name} filling up")
    assert os.listdir(scratch) == ["before.csv"], os.listdir(scratch)
    with open(scratch + "/before.csv", "rb") as before:
        assert before.read() == b"from before\r\n"

# The console: a prefix of its own (made once), in C.UTF-8.
console_env = {name: value for name, value in os.environ.items() if name != "DISPLAY"}
console_env.update(WINEPREFIX=console_prefix, WINEARCH="win64", WINEDEBUG="-all", WINEDLLOVERRIDES="mscoree,mshtml=",
                   LANG="C.UTF-8", LC_ALL="C.UTF-8")
if not os.path.exists(console_prefix + "/.rondel-ready"):
    subprocess.run(["wineboot", "-u"], env=console_env, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                   stderr=subprocess.DEVNULL, timeout=300)
    subprocess.run(["wineserver", "-w"], env=console_env, timeout=300)
    open(console_prefix + "/.rondel-ready", "w").close()
try:
    for args, expected in (
        (["--help"], "CSV を FILE に書く (UTF-8、BOM 付き)"),  # the program's own code page 932 text
        ([], "不明\t不明\t"),  # the company and description of a service without version strings
        (["--csv"], ",不明,不明,"),  # UTF-8
    ):
        command = "wine " + " ".join(shlex.quote(a) for a in [rondel_list, *args])
        shown = subprocess.run(["script", "-qec", command, "/dev/null"], env=console_env, stdin=subprocess.DEVNULL,
                               capture_output=True, timeout=120)
        assert shown.returncode == 0, (args, shown.returncode, shown.stdout)
        # The terminal's escapes and white space (TABs become spaces, long lines are wrapped) taken out.
        text = re.sub(r"\x1b\[[0-9;?]*[A-Za-z]|\s", "", shown.stdout.decode("utf-8", "replace"))
        assert re.sub(r"\s", "", expected) in text, (args, text[:400])
finally:
    subprocess.run(["wineserver", "-k"], env=console_env, timeout=60)
print("ok")
