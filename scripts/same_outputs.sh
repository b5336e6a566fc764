#!/usr/bin/env bash
# Whether two builds of the command line write the same outputs on one
# database: every unit × three groupings × the table, the CSV, the JSON with
# its bookings, the CSV tables, the workbook's cell values and the PDF's text.
# For a change that must not change any output (a refactoring, a faster
# path): run it with the build before and the build after.
#
#   scripts/same_outputs.sh OLD_QUARVELINDO NEW_QUARVELINDO DATABASE [WORK_DIR]
#
# Exits 0 when every output is the same, 1 naming the first that differs.
set -euo pipefail
old=$1 new=$2 db=$3 work=${4:-$(mktemp -d)}
python=/usr/bin/python3
mkdir -p "$work/old" "$work/new"

# The workbook's cells as text (the zip's dates and order may differ).
cells() {
  "$python" - "$1" <<'PY'
import sys, openpyxl
book = openpyxl.load_workbook(sys.argv[1], read_only=True)
for sheet in book.worksheets:
    print("#", sheet.title)
    for row in sheet.iter_rows(values_only=True):
        print("\t".join("" if v is None else repr(v) for v in row))
PY
}

write() {  # write BINARY DIR TAG ARGS...
  local bin=$1 dir=$2 tag=$3
  shift 3
  "$bin" run --db "$db" "$@" --format table --language en >"$dir/$tag.table"
  "$bin" run --db "$db" "$@" --format csv >"$dir/$tag.csv"
  "$bin" run --db "$db" "$@" --format json --bookings >"$dir/$tag.json"
  rm -rf "$dir/$tag.tables" && mkdir "$dir/$tag.tables"
  "$bin" run --db "$db" "$@" --format csv --csv-dir "$dir/$tag.tables" --xlsx "$dir/$tag.xlsx" --pdf "$dir/$tag.pdf" \
    >/dev/null
  cells "$dir/$tag.xlsx" >"$dir/$tag.xlsx.cells"
  rm "$dir/$tag.xlsx"
  # The print date is the day's; the rest of the text must match.
  pdftotext -layout "$dir/$tag.pdf" - | sed -E 's#[0-9]{2}/[0-9]{2}/[0-9]{4}#DATE#g' >"$dir/$tag.pdf.txt"
  rm "$dir/$tag.pdf"
}

count=0
for unit in hh:mm:ss hh,hh mm,mm ss,ss; do
  for group in default Reparto,Fase Articolo; do
    tag="${unit//[:,]/_}-${group//,/_}"
    args=(--unit "$unit")
    [[ $group != default ]] && args+=(--group "$group")
    write "$old" "$work/old" "$tag" "${args[@]}"
    write "$new" "$work/new" "$tag" "${args[@]}"
    count=$((count + 1))
  done
done
if ! diff -r -q "$work/old" "$work/new"; then
  echo "outputs differ (see $work)"
  exit 1
fi
echo "$count runs × table, CSV, JSON with bookings, CSV tables, workbook cells, PDF text: all the same ($work)"
