#!/usr/bin/env python3
"""Rondel at 144 DPI: in a prefix of its own, started once with LogPixels 96 and once with 144.
Every control of the main window, and of the dependencies window opened for the first running
service, lies 1.5 times as far from the edge it keeps, and is 1.5 times as large, as at 96 DPI
(within the pixel that rounding each part of a sum may add); every control lies inside its
parent; every text fits its control's width, and overshoots its height no more than at 96 DPI,
scaled; the dependencies window's lower list ends above 参照 and 閉じる. The main window's picture
at 144 DPI goes to OUT_PNG.
Arguments: WINE_RUN WINE_ROOT BIN_DIR OUT_PNG"""
import os, re, subprocess, sys, time

wine_run, root, bin_dir, out_png = sys.argv[1:5]
env = dict(os.environ)
env.pop("RONDEL_USE_DISPLAY", None)
run = lambda *args: subprocess.run([wine_run, "--root", root, *args], capture_output=True, timeout=120, env=env)
exe = lambda name: "Z:" + (bin_dir + "/" + name).replace("/", "\\")
idle = "F5 キーで最新の状態に更新します"
# The bitmap buttons' glyph (16 at 96 DPI) and its margins beside the caption.
glyph_buttons, glyph_room = {104, 105, 106, 107, 124, 125, 126, 201, 207}, 16 + 3 * 4
# The list and the command bar fill the tab strip's page, whose margins are the system's; the
# drop-down list's closed height is the one the system gives its font.
page, in_page, drop_down = 101, {102, 103}, 123


def scaled(value, dpi):  # as MulDiv rounds
    return (value * dpi + 48) // 96 if value >= 0 else -((-value * dpi + 48) // 96)


def look(dpi, picture=None):
    """Starts Rondel with the prefix at dpi; its DPI, client size and controls (id: numbers), and
    those of its dependencies window."""
    run("reg", "add", r"HKCU\Control Panel\Desktop", "/v", "LogPixels", "/t", "REG_DWORD", "/d", str(dpi), "/f")
    run("--shutdown")  # Wine reads LogPixels as its processes start
    run("--setup")
    rondel = subprocess.Popen([wine_run, "--root", root, exe("Rondel.exe")], env=env,
                              stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    try:
        deadline, texts = time.monotonic() + 60, {}
        while texts.get("128") != idle and time.monotonic() < deadline:
            lines = run(exe("fixtures/WaitWindow.exe"), "--texts", "TForm1").stdout.decode("utf-8", "replace")
            texts = dict(line.split("\t", 1) for line in lines.splitlines()[1:] if "\t" in line)
            time.sleep(0.5)
        rows = [list(map(int, line.split("\t"))) for line in
                run(exe("fixtures/WaitWindow.exe"), "--rects", "TForm1").stdout.decode().splitlines()]
        if picture:
            time.sleep(1)
            display = open(os.path.join(root, "display")).read().strip()
            subprocess.run(["import", "-display", display, "-window", "root", picture], check=True, timeout=60)
            tree = subprocess.run(["xwininfo", "-display", display, "-root", "-tree"], capture_output=True,
                                  text=True).stdout
            frame = re.search(r'"ロンデル  Ver[^"]*".* (\d+x\d+[+-]-?\d+[+-]-?\d+) ', tree)
            if frame:
                subprocess.run(["convert", picture, "-crop", frame.group(1), "+repage", picture], check=True,
                               timeout=60)
        # The dependencies window of the first running service: a click on its item, then on 依存関係.
        at, form2 = {row[0]: row[1:] for row in rows[1:] if row[0] != 0}, []
        window = exe("fixtures/WaitWindow.exe")
        run(window, "--click", "TForm1", "102", str(scaled(60, dpi)), str(scaled(23, dpi)))
        while not form2 and 125 in at and time.monotonic() < deadline + 60:
            run(window, "--click", "TForm1", "125", str(at[125][2] // 2), str(at[125][3] // 2))
            time.sleep(1)
            form2 = [list(map(int, line.split("\t"))) for line in
                     run(window, "--rects", "TForm2").stdout.decode().splitlines()]
    finally:
        run("--shutdown")
        rondel.wait(timeout=30)
    return (rows[0] if rows else None, at, form2[0] if form2 else None,
            {row[0]: row[1:] for row in form2[1:] if row[0] != 0})


failures = []
try:
    run("--setup")
    head96, at96, dhead96, dep96 = look(96)
    head144, at144, dhead144, dep144 = look(144, out_png)
finally:
    run("reg", "add", r"HKCU\Control Panel\Desktop", "/v", "LogPixels", "/t", "REG_DWORD", "/d", "96", "/f")
    run("--shutdown")

if not head96 or head96[0] != 96 or not head144 or head144[0] != 144:
    failures.append(f"the window's DPI: {head96 and head96[0]} and {head144 and head144[0]}, not 96 and 144")
if not dhead96 or dhead96[0] != 96 or not dhead144 or dhead144[0] != 144 or len(dep96) != 8 or len(dep144) != 8:
    failures.append(f"the dependencies window: {dhead96}, {len(dep96)} controls; {dhead144}, {len(dep144)} controls")
for dep in (dep96, dep144):
    if len(dep) == 8 and dep[206][1] + dep[206][3] > min(dep[207][1], dep[201][1]):
        failures.append(f"the lower list {dep[206]} does not end above 参照 {dep[207]} and 閉じる {dep[201]}")
# The dependencies window's controls (201 to 208) are held to the same rules.
main144 = at144
at96, at144 = {**at96, **dep96}, {**at144, **dep144}
for control, (left, top, width, height, text_width, text_height, parent_width, parent_height) in at144.items():
    if control not in at96:
        failures.append(f"{control}: not there at 96 DPI")
        continue
    l96, t96, w96, h96, tw96, th96, pw96, ph96 = at96[control]
    near = lambda value, value96: abs(value - scaled(value96, 144)) <= 1
    outside = lambda l, t, w, h, pw, ph: max(-l, -t, l + w - pw, t + h - ph, 0)
    if outside(left, top, width, height, parent_width, parent_height) > scaled(outside(*at96[control][:4], pw96, ph96), 144):
        failures.append(f"{control}: {left},{top} {width}x{height} outside its parent's {parent_width}x{parent_height}")
    if control in in_page:
        continue
    # Each axis keeps the edge it is laid out from, and its size or both edges.
    for axis, (start, size, room, start96, size96, room96) in {
            "x": (left, width, parent_width, l96, w96, pw96), "y": (top, height, parent_height, t96, h96, ph96)}.items():
        near_start, near_end = near(start, start96), near(room - start - size, room96 - start96 - size96)
        keeps_size = near(size, size96) or (axis == "y" and control == drop_down)
        if not ((near_start or near_end) and (keeps_size or (near_start and near_end))):
            failures.append(f"{control} {axis}: {start}+{size} in {room}, at 96 DPI {start96}+{size96} in {room96}")
    if text_width and width * height > 0:  # a label of no size names a control; nothing shows
        room = width - (scaled(glyph_room, 144) if control in glyph_buttons else 0)
        if text_width > room:
            failures.append(f"{control}: a text {text_width} wide in {room}")
        if text_height - height > scaled(max(th96 - h96, 0), 144):
            failures.append(f"{control}: a text {text_height} high in {height} (at 96 DPI {th96} in {h96})")
list144, bar144, list96, bar96 = at144.get(102), at144.get(103), at96.get(102), at96.get(103)
if not (list144 and bar144 and list96 and bar96 and abs(bar144[3] - scaled(bar96[3], 144)) <= 1 and
        list144[1] + list144[3] == bar144[1] and list144[0] == bar144[0] and list144[2] == bar144[2]):
    failures.append(f"the list {list144} and the command bar {bar144} do not share the page as at 96 DPI")
if len(main144) < 25:
    failures.append(f"only {len(main144)} controls of the main window measured")
print("\n".join(failures))
sys.exit(1 if failures else 0)
