#!/usr/bin/env python3
"""Rondel on an English Windows: Wine started with en_US.UTF-8 in a prefix of its own.

The programs' manifests ask for code page 932, so the window's texts read back as the Japanese
they are, and RondelList writes a service's Japanese display name as code page 932 bytes. A
screenshot of the window goes to OUT_PNG.

    EnglishWindowsTest.py WINE_RUN WINE_ROOT BIN_DIR OUT_PNG
"""
import os
import re
import subprocess
import sys
import time

wine_run, root, bin_dir, out_png = sys.argv[1:5]
env = dict(os.environ, RONDEL_WINE_LOCALE="en_US.UTF-8")
env.pop("RONDEL_USE_DISPLAY", None)


def run(*args, timeout=120):
    return subprocess.run([wine_run, "--root", root, *args], capture_output=True, timeout=timeout, env=env)


def windows_path(path):
    return "Z:" + path.replace("/", "\\")


service = "RondelT_English"
display_name = "試験 英語版ウィンドウズ"
failures = []
rondel = None


def check(condition, what):
    if not condition:
        failures.append(what)


try:
    run("--setup")
    run("sc", "delete", service)
    made = run("sc", "create", service, "binPath=", windows_path(bin_dir + "/fixtures/RondelTestService.exe"),
               "DisplayName=", display_name)
    check(made.returncode == 0, f"sc create: {made.stdout!r} {made.stderr!r}")

    listing = run(windows_path(bin_dir + "/RondelList.exe"))
    check(listing.returncode == 0, f"RondelList exit code {listing.returncode}")
    check(f"\t{display_name}\t".encode("cp932") in listing.stdout,
          "RondelList writes the display name in code page 932")

    rondel = subprocess.Popen([wine_run, "--root", root, windows_path(bin_dir + "/Rondel.exe")], env=env,
                              stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    idle = "F5 キーで最新の状態に更新します"
    texts = {}
    caption = ""
    deadline = time.monotonic() + 60
    while time.monotonic() < deadline:
        shown = run(windows_path(bin_dir + "/fixtures/WaitWindow.exe"), "--texts", "TForm1", timeout=30)
        lines = shown.stdout.decode("utf-8", "replace").splitlines()
        if shown.returncode == 0 and lines:
            caption = lines[0]
            texts = dict(line.split("\t", 1) for line in lines[1:] if "\t" in line)
            if texts.get("128") == idle:
                break
        time.sleep(0.5)
    check(caption == "ロンデル  Ver. 1.0.0.0", f"caption {caption!r}")
    expected = {"104": "開始(&S)", "105": "停止(&T)", "106": "一時停止(&P)", "107": "再開(&R)", "111": "サービス名",
                "113": "表示名", "115": "会社名", "117": "説　明", "119": "実ファイル", "122": "スタートアップの種類",
                "124": "更新(&U)", "125": "依存関係", "126": "閉じる(&C)", "128": idle}
    for control, text in expected.items():
        check(texts.get(control) == text, f"control {control}: {texts.get(control)!r}, not {text!r}")

    # The picture of the window, cut to its frame.
    display = open(os.path.join(root, "display")).read().strip()
    subprocess.run(["import", "-display", display, "-window", "root", out_png], check=True, timeout=60)
    tree = subprocess.run(["xwininfo", "-display", display, "-root", "-tree"], capture_output=True, text=True).stdout
    frames = [tuple(map(int, m.groups())) for m in re.finditer(r'"ロンデル  Ver[^"]*".* (\d+)x(\d+)\+(-?\d+)\+(-?\d+) ', tree)]
    if frames:
        w, h, x, y = max(frames, key=lambda f: f[0] * f[1])
        subprocess.run(["convert", out_png, "-crop", f"{w}x{h}+{x}+{y}", "+repage", out_png], check=True, timeout=60)
finally:
    run("sc", "delete", service)
    run("--shutdown")
    if rondel is not None:
        try:
            rondel.wait(timeout=30)
        except subprocess.TimeoutExpired:
            rondel.kill()

for failure in failures:
    print("FAILED:", failure)
sys.exit(1 if failures else 0)
