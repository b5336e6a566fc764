"""Reads every output of one run and checks that each group's planned,
booked, gap and gap % read the same in all of them.

    every_output_agrees.py DIR

DIR holds table.txt (the terminal table, unit hh:mm:ss), groups.csv,
groups.json, tables/TempiDiLavorazione.csv, book.xlsx and report.pdf, all
written by the command line for the same run. The report ends with the
groups' total: every booking is in one group, so its booked time of each
category is the sum of the groups'. Prints "agree N groups" or the first
differences, one a line.
"""
import csv
import json
import re
import subprocess
import sys

import openpyxl

# The seven categories: the records' suffixes, the export's, the print's rows.
SUFFIXES = ("", "_LAV", "_SET", "_MACLAV", "_MACSET", "_MANLAV", "_MANSET")
EXPORT_SUFFIXES = ("", "Lavoraz", "Setup", "LavorazMac", "SetupMac", "LavorazMan", "SetupMan")
PRINT_ROWS = ("Totale", "Lavorazione", "Setup", "Macchina lavorazione", "Macchina setup", "Manodopera lavorazione",
              "Manodopera setup")
FIELDS = [tuple(f + s for f in ("OMSPREV", "OMSVERS", "GAP", "GAPPERC")) for s in SUFFIXES]
EXPORT_FIELDS = [tuple(f + s for f in ("OreMinSecPrev", "OreMinSecVers", "ScostamentoOMS", "ScostamentoPerc"))
                 for s in EXPORT_SUFFIXES]


def figure(planned, booked, gap, percent):
    """One group's four figures, compared as a user reads them: the texts
    as they are, the percent as a number with two decimals."""
    def text(v):
        return "" if v is None else str(v).strip()

    p = text(percent)
    if "," in p:  # Italian: 1.364,40
        p = p.replace(".", "").replace(",", ".")
    return (text(planned), text(booked), text(gap), "" if p == "" else "%.2f" % float(p))


def from_table(path):
    """The table's first three blocks: total, processing, set-up."""
    lines = open(path, encoding="utf-8").read().splitlines()
    header = lines[1]
    blocks = header.split("|")
    columns = []  # per block, the (begin, end) of its four values
    start = len(blocks[0]) + 1
    for block in blocks[1:4]:
        ends = [start + m.end() for m in re.finditer(r"\S+", block)]
        columns.append(list(zip([start] + ends[:-1], ends)))
        start += len(block) + 1
    out = []
    for line in lines[2:]:
        if "|" not in line:
            break
        out.append({c: figure(*(line[b:e] for b, e in columns[c])) for c in range(3)})
    return out


def from_records(rows, names):
    return [{c: figure(*(r[n] for n in fields)) for c, fields in enumerate(names)} for r in rows]


def from_pdf(path):
    """The groups' figures, and the total's block after them."""
    text = subprocess.run(["pdftotext", "-layout", path, "-"], capture_output=True, text=True).stdout
    out = []
    total = None
    for line in text.splitlines():
        if re.match(r"^\s*(\u25b2 |\u25bc )?Totale \u2014 ", line):
            total = len(out)
            continue
        row = next((c for c, caption in enumerate(PRINT_ROWS) if line.startswith(caption + "  ")), None)
        if row is None:
            continue
        if row == 0:
            out.append({})
        cells = [c for c in re.split(r"\s{2,}", line[len(PRINT_ROWS[row]):].strip()) if c]
        # An empty planned time and percent (no plan) leave two cells;
        # nothing at all, none.
        if len(cells) == 2:
            cells = ["", cells[0], cells[1], ""]
        cells += [""] * (4 - len(cells))
        out[-1][row] = figure(*cells)
    if total is None or total != len(out) - 1:
        return out, None
    return out[:-1], out[-1]


def seconds(text):
    """A booked time h:mm:ss as seconds (empty: 0)."""
    if not text:
        return 0
    h, m, s = text.split(":")
    return int(h) * 3600 + int(m) * 60 + int(s)


def hms(total):
    return "%d:%02d:%02d" % (total // 3600, total // 60 % 60, total % 60)


def main(folder):
    outputs = {}
    outputs["table"] = from_table(folder + "/table.txt")
    with open(folder + "/groups.csv", encoding="utf-8", newline="") as f:
        outputs["csv"] = from_records(list(csv.DictReader(f)), FIELDS)
    groups = json.load(open(folder + "/groups.json", encoding="utf-8"))["groups"]
    outputs["json"] = from_records([g["fields"] for g in groups], FIELDS)
    with open(folder + "/tables/TempiDiLavorazione.csv", encoding="utf-8", newline="") as f:
        outputs["csv tables"] = from_records(list(csv.DictReader(f)), EXPORT_FIELDS)
    sheet = openpyxl.load_workbook(folder + "/book.xlsx", read_only=True)["TempiDiLavorazione"]
    rows = list(sheet.iter_rows(values_only=True))
    outputs["workbook"] = from_records([dict(zip(rows[0], r)) for r in rows[1:]], EXPORT_FIELDS)
    outputs["pdf"], total = from_pdf(folder + "/report.pdf")
    reference = outputs["csv"]
    problems = []
    if total is None:
        problems.append("pdf: no total after the last group")
    else:
        for c, caption in enumerate(PRINT_ROWS):
            summed = hms(sum(seconds(g[c][1]) for g in reference))
            if total[c][1] != summed:
                problems.append("pdf total %s: booked %s, the groups' %s" % (caption, total[c][1], summed))
    for name, figures in outputs.items():
        if len(figures) != len(reference):
            problems.append("%s: %d groups, csv %d" % (name, len(figures), len(reference)))
            continue
        for i, (mine, theirs) in enumerate(zip(figures, reference)):
            differ = [c for c in mine if mine[c] != theirs[c]]
            if differ:
                c = differ[0]
                problems.append("%s group %d %s: %s, csv %s" % (name, i + 1, PRINT_ROWS[c], mine[c], theirs[c]))
                break
    print("\n".join(problems) if problems else "agree %d groups" % len(reference))


if __name__ == "__main__":
    main(sys.argv[1])
