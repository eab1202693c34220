#!/usr/bin/env python3
"""RondelList.exe --csv read by Python's csv module gives the rows of the plain listing.

Runs on the host, with three test services registered by sc.exe (one running; commas, double
quotes and Japanese in their texts; the three start types).

    RondelListCsvTest.py WINE_RUN WINE_ROOT BIN_DIR
"""
import csv
import io
import subprocess
import sys

HEADER = ["tab", "service name", "display name", "image path", "company", "description", "start type"]


def main():
    wine_run, root, bin_dir = sys.argv[1:4]

    def run(*args):
        return subprocess.run([wine_run, "--root", root, *args], capture_output=True, timeout=120)

    def windows_path(path):
        return "Z:" + path.replace("/", "\\")

    service_exe = windows_path(bin_dir + "/fixtures/RondelTestService.exe")
    japanese_exe = windows_path(bin_dir + "/fixtures/vi_japanese.exe")
    services = [
        # name, display name, image path, start, expected (tab, start type)
        ("RondelT_CsvRun", "試験 CSV, 実行中", f'"{service_exe}"', "auto", ("0", "自動")),
        ("RondelT_CsvQuote", '試験 "引用", 読点', f'"{service_exe}" -k a,b', "demand", ("2", "手動")),
        ("RondelT_CsvJapanese", "試験 CSV 日本語", f'"{japanese_exe}" -service', "disabled", ("2", "無効")),
    ]
    failures = []

    def check(condition, message):
        if not condition:
            failures.append(message)

    def create(name, display, image, start):
        args = ["sc.exe", "create", name, "binpath=", image, "displayname=", display, "start=", start]
        result = run(*args)
        if result.returncode != 0:  # left by a crashed run? (Wine's sc.exe says only 1)
            run("sc.exe", "stop", name)
            run("sc.exe", "delete", name)
            result = run(*args)
        return result

    try:
        for name, display, image, start, _ in services:
            result = create(name, display, image, start)
            if result.returncode != 0:
                raise SystemExit(f"sc create {name}: exit {result.returncode} {result.stdout!r} {result.stderr!r}")
        result = run("sc.exe", "start", "RondelT_CsvRun")
        if result.returncode != 0:
            raise SystemExit(f"sc start: exit {result.returncode} {result.stdout!r}")

        plain = run(windows_path(bin_dir + "/RondelList.exe"))
        table = run(windows_path(bin_dir + "/RondelList.exe"), "--csv")
    finally:
        run("sc.exe", "stop", "RondelT_CsvRun")
        for name, *_ in services:
            run("sc.exe", "delete", name)

    check(plain.returncode == 0, f"plain listing: exit {plain.returncode} {plain.stderr!r}")
    check(table.returncode == 0, f"--csv: exit {table.returncode} {table.stderr!r}")

    listed = []
    for line in plain.stdout.decode("cp932").split("\r\n")[:-1]:
        tab, rest = line.split("\t", 1)
        listed.append([tab] + rest.split("\t")[:-1])

    check(table.stdout.endswith(b"\r\n") and b"\n" not in table.stdout.replace(b"\r\n", b""),
          "every record ends with CR LF")
    rows = list(csv.reader(io.StringIO(table.stdout.decode("utf-8"), newline="")))
    check(rows[:1] == [HEADER], f"header row: {rows[:1]}")
    check([row[:6] for row in rows[1:]] == listed, "the CSV rows are the plain listing's, in its order:\n"
          + "\n".join(f"  {a}\n  {b}" for a, b in zip(rows[1:], listed) if a[:6] != b))
    check(all(len(row) == 7 and row[6] in ("自動", "手動", "無効", "") for row in rows[1:]), "seven fields per row")

    by_name = {row[1]: row for row in rows[1:]}
    for name, display, image, _, (tab, start_type) in services:
        row = by_name.get(name)
        check(row is not None and row[0] == tab and row[2] == display and row[3] == image and row[6] == start_type,
              f"{name}: {row}")
    row = by_name.get("RondelT_CsvJapanese", [""] * 7)
    check(row[4:6] == ["ロンデル試験株式会社", "日本語の版情報のある実行ファイル"], f"version strings: {row}")

    for failure in failures:
        print("FAILED:", failure)
    print(f"{len(rows) - 1} services compared, {len(failures)} failures")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
