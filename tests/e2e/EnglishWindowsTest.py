#!/usr/bin/env python3
"""Rondel on an English Windows: Wine under en_US.UTF-8, in a prefix of its own. The manifests ask
for code page 932: the window's texts read back as their Japanese, RondelList writes a Japanese
display name in code page 932. The window's picture goes to OUT_PNG.
Arguments: WINE_RUN WINE_ROOT BIN_DIR OUT_PNG"""
import os, re, subprocess, sys, time

wine_run, root, bin_dir, out_png = sys.argv[1:5]
env = dict(os.environ, RONDEL_WINE_LOCALE="en_US.UTF-8")
env.pop("RONDEL_USE_DISPLAY", None)
run = lambda *args: subprocess.run([wine_run, "--root", root, *args], capture_output=True, timeout=120, env=env)
exe = lambda name: "Z:" + (bin_dir + "/" + name).replace("/", "\\")
service, display_name, idle = "RondelT_English", "試験 英語版ウィンドウズ", "F5 キーで最新の状態に更新します"
expected = {"": "ロンデル  Ver. 1.0.0.0", "104": "開始(&S)", "105": "停止(&T)", "106": "一時停止(&P)", "107": "再開(&R)",
            "111": "サービス名", "113": "表示名", "115": "会社名", "117": "説　明", "119": "実ファイル",
            "122": "スタートアップの種類", "124": "更新(&U)", "125": "依存関係", "126": "閉じる(&C)", "128": idle}
rondel, texts = None, {}
try:
    run("--setup")
    run("sc", "create", service, "binPath=", exe("fixtures/RondelTestService.exe"), "DisplayName=", display_name)
    listing = run(exe("RondelList.exe")).stdout
    rondel = subprocess.Popen([wine_run, "--root", root, exe("Rondel.exe")], env=env,
                              stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    deadline = time.monotonic() + 60
    while texts.get("128") != idle and time.monotonic() < deadline:
        lines = run(exe("fixtures/WaitWindow.exe"), "--texts", "TForm1").stdout.decode("utf-8", "replace").splitlines()
        texts = dict([("", lines[0])] + [line.split("\t", 1) for line in lines[1:]]) if lines else {}
        if "128" in texts:  # the status bar's notice, without the time at its right end
            texts["128"] = texts["128"].split("\t")[0]
        time.sleep(0.5)
    display = open(os.path.join(root, "display")).read().strip()
    subprocess.run(["import", "-display", display, "-window", "root", out_png], check=True, timeout=60)
    tree = subprocess.run(["xwininfo", "-display", display, "-root", "-tree"], capture_output=True, text=True).stdout
    frame = re.search(r'"ロンデル  Ver[^"]*".* (\d+x\d+[+-]-?\d+[+-]-?\d+) ', tree)
    if frame:
        subprocess.run(["convert", out_png, "-crop", frame.group(1), "+repage", out_png], check=True, timeout=60)
finally:
    run("sc", "delete", service)
    run("--shutdown")
    if rondel is not None:
        rondel.wait(timeout=30)

failures = [f"{control}: {texts.get(control)!r}, not {text!r}" for control, text in expected.items()
            if texts.get(control) != text]
if f"\t{display_name}\t".encode("cp932") not in listing:
    failures.append("RondelList does not write the display name in code page 932")
print("\n".join(failures))
sys.exit(1 if failures else 0)
