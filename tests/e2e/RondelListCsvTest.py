#!/usr/bin/env python3
"""RondelList.exe --csv read by Python's csv module gives the rows of the plain listing (--output: the same, after a BOM,
also over an older file at a path of 259 characters).

Three test services are registered with sc.exe: one running; commas, double quotes and Japanese
in their texts; the three start types.

    RondelListCsvTest.py WINE_RUN WINE_ROOT BIN_DIR
"""
import csv
import io
import os
import subprocess
import sys
import tempfile

wine_run, root, bin_dir = sys.argv[1:4]


def run(*args):
    return subprocess.run([wine_run, "--root", root, *args], capture_output=True, timeout=120)


def windows_path(path):
    return "Z:" + path.replace("/", "\\")


service_exe = windows_path(bin_dir + "/fixtures/RondelTestService.exe")
japanese_exe = windows_path(bin_dir + "/fixtures/vi_japanese.exe")
rondel_list = windows_path(bin_dir + "/RondelList.exe")
services = {  # name: display name, image path, start, (tab, start type)
    "RondelT_CsvRun": ("試験 CSV, 実行中", f'"{service_exe}"', "auto", ("0", "自動")),
    "RondelT_CsvQuote": ('試験 "引用", 読点', f'"{service_exe}" -k a,b', "demand", ("2", "手動")),
    "RondelT_CsvJapanese": ("試験 CSV 日本語", f'"{japanese_exe}" -service', "disabled", ("2", "無効")),
}
try:
    for name, (display, image, start, _) in services.items():
        run("sc.exe", "stop", name)  # what a crashed run left
        run("sc.exe", "delete", name)
        created = run("sc.exe", "create", name, "binpath=", image, "displayname=", display, "start=", start)
        assert created.returncode == 0, f"sc create {name}: {created.stdout!r}"
    assert run("sc.exe", "start", "RondelT_CsvRun").returncode == 0
    plain = run(rondel_list)
    table = run(rondel_list, "--csv")
    with tempfile.TemporaryDirectory() as scratch:  # holding the file alone when it is done
        into_file = run(rondel_list, "--output", windows_path(scratch + "/一覧.csv"), "--csv")
        file_bytes = b"|".join(open(scratch + "/" + name, "rb").read() for name in os.listdir(scratch))
        # Over an older file, at a path of 259 characters (MAX_PATH's most): replaced, nothing beside it.
        deep = scratch + "/deep"
        while (left := 259 - len(windows_path(deep + "/一覧.csv"))) > 0:
            count = min(left - 1, 100) - (left - 1 - min(left - 1, 100) == 1)
            deep += "/" + "d" * count
        os.makedirs(deep)
        open(deep + "/一覧.csv", "wb").write(b"older\r\n")
        over_older = run(rondel_list, "--csv", "--output", windows_path(deep + "/一覧.csv"))
        deep_bytes = b"|".join(open(deep + "/" + name, "rb").read() for name in os.listdir(deep))
finally:
    run("sc.exe", "stop", "RondelT_CsvRun")
    for name in services:
        run("sc.exe", "delete", name)

assert plain.returncode == 0 and table.returncode == 0, (plain.stderr, table.stderr)
listed = []
for line in plain.stdout.decode("cp932").split("\r\n")[:-1]:
    tab, rest = line.split("\t", 1)
    listed.append([tab] + rest.split("\t")[:-1])
assert into_file.returncode == 0 and file_bytes == b"\xef\xbb\xbf" + table.stdout, "a byte-order mark, then the CSV"
assert over_older.returncode == 0 and deep_bytes == file_bytes, (over_older.stderr.decode("cp932"), deep_bytes[:40])
assert table.stdout.endswith(b"\r\n") and b"\n" not in table.stdout.replace(b"\r\n", b""), "records end in CR LF"

rows = list(csv.reader(io.StringIO(table.stdout.decode("utf-8"), newline="")))
assert rows[0] == ["tab", "service name", "display name", "image path", "company", "description", "start type"]
assert [row[:6] for row in rows[1:]] == listed, "the CSV's rows are the plain listing's, in its order"
assert all(len(row) == 7 and row[6] in ("自動", "手動", "無効", "") for row in rows[1:])
by_name = {row[1]: row for row in rows[1:]}
for name, (display, image, _, (tab, start_type)) in services.items():
    assert by_name[name][:4] + by_name[name][6:] == [tab, name, display, image, start_type], by_name[name]
assert by_name["RondelT_CsvJapanese"][4:6] == ["ロンデル試験株式会社", "日本語の版情報のある実行ファイル"]
print(f"{len(rows) - 1} services compared")
