#!/usr/bin/env python3
"""The performance report: the benchmarks' headline lines as one table.

    report.py FIGURES           the table (Markdown) of the @figure lines in FIGURES
    report.py --document TABLE  docs/performance.md around that table
"""
import datetime
import os
import platform
import subprocess
import sys


def table(path):
    rows = ["| figure | value | unit | ratio |", "|---|---:|---|---:|"]
    with open(path, encoding="utf-8", errors="replace") as lines:
        for line in lines:
            fields = line.rstrip("\r\n").split("\t")
            if len(fields) == 5 and fields[0] == "@figure":
                rows.append("| %s | %s | %s | %s |" % tuple(fields[1:]))
    return "\n".join(rows)


def wine_version():
    try:
        return subprocess.run(["wine", "--version"], capture_output=True, text=True).stdout.strip()
    except OSError:
        return "unknown"


def document(body):
    today = datetime.date.today().isoformat()
    return f"""# Performance

Measured on {today} with `scripts/bench --report`: {os.cpu_count()} cores, {platform.system()} {platform.release()},
{wine_version()}, real windows on Xvfb. Times are medians of repeated runs in milliseconds; each
benchmark's own output says how many runs and what it measures. A ratio compares with the figure
named in brackets; the band loads compare with a floor band of one toolbar control showing the
same buttons and icons, loaded alternately in the same process. Figures vary with the machine's
load by up to about twofold between runs; ratios move far less.

{body}
"""


if __name__ == "__main__":
    if len(sys.argv) == 3 and sys.argv[1] == "--document":
        sys.stdout.write(document(sys.argv[2]))
    elif len(sys.argv) == 2:
        print(table(sys.argv[1]))
    else:
        sys.exit(__doc__)
