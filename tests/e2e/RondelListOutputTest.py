#!/usr/bin/env python3
"""RondelList.exe's stdout full or closed, --output FILE not made or filling up: exit code 1, one line
on stderr, no FILE, an old FILE kept. A console (Wine gives a pseudo-terminal one) of code page 437
(C.UTF-8, a prefix of its own) reads its text right. Arguments: WINE_RUN WINE_ROOT BIN_DIR PREFIX"""
import os, re, resource, shlex, signal, subprocess, sys, tempfile

wine_run, root, bin_dir, console_prefix = sys.argv[1:5]
exe = bin_dir + "/RondelList.exe"
env = dict(os.environ)
assignments = subprocess.run([wine_run, "--root", root, "--env"], capture_output=True, check=True, text=True).stdout
env.update(shlex.split(line)[0].split("=", 1) for line in assignments.splitlines())


def expect_failure(args, message, stdout=subprocess.DEVNULL, preexec_fn=None):
    with tempfile.TemporaryFile() as err:  # not a pipe: Wine's helpers would inherit it
        status = subprocess.run(["wine", exe, *args], stdout=stdout, stderr=err, env=env, preexec_fn=preexec_fn).returncode
        err.seek(0)
        text = err.read().decode("cp932")
    assert status == 1 and re.fullmatch(re.escape(message) + r" \(エラー \d+\)\r\n", text), (args, status, text)


for args in ([], ["--csv"]):
    expect_failure(args, "出力を書き込めません", open("/dev/full", "wb"))
    expect_failure(args, "出力を書き込めません", None, lambda: os.close(1))
with tempfile.TemporaryDirectory() as scratch:
    open(scratch + "/before.csv", "wb").write(b"before\r\n")
    for name in ("no such directory\\a.csv", "before.csv", "new.csv"):
        target = "Z:" + scratch.replace("/", "\\") + "\\" + name
        expect_failure(["--csv", "--output", target], f"ファイル「{target}」に書き込めません",
                       preexec_fn=lambda: (signal.signal(signal.SIGXFSZ, signal.SIG_IGN),  # writes past 256 bytes fail
                                           resource.setrlimit(resource.RLIMIT_FSIZE, (256, 256))))
    assert os.listdir(scratch) == ["before.csv"] and open(scratch + "/before.csv", "rb").read() == b"before\r\n"

env = {name: value for name, value in os.environ.items() if name != "DISPLAY"}
env.update(WINEPREFIX=console_prefix, WINEARCH="win64", WINEDEBUG="-all", WINEDLLOVERRIDES="mscoree,mshtml=",
           LANG="C.UTF-8", LC_ALL="C.UTF-8")
for args, expected in ((["--help"], "CSVをFILEに書く(UTF-8、BOM付き)"), ([], "不明不明"), (["--csv"], ",不明,不明,")):
    shown = subprocess.run(["script", "-qec", shlex.join(["wine", exe, *args]), "/dev/null"], env=env,
                           stdin=subprocess.DEVNULL, capture_output=True, timeout=300)
    text = re.sub(r"\x1b\[[0-9;?]*[A-Za-z]|\s", "", shown.stdout.decode("utf-8", "replace"))  # escapes, wrapping
    assert shown.returncode == 0 and expected in text, (args, text[:400])
