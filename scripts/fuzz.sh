#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each for SECONDS (60 by
# default) on the corpus kept in fuzz/corpus. New inputs it finds go to a
# scratch folder, not into the repository.   scripts/fuzz.sh [SECONDS]
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
seconds="${1:-60}"
bash scripts/deps.sh
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz -j "$(nproc)" --target dialect_fuzz conditions_fuzz cell_text_fuzz database_file_fuzz
export LSAN_OPTIONS="suppressions=$PWD/scripts/lsan.supp:print_suppressions=0"
for target in dialect conditions cell_text database_file; do
  scratch="$(mktemp -d)"
  echo "fuzz: ${target} for ${seconds} s"
  # A database file is a few hundred pages; the texts are short.
  max_len=512
  corpus="fuzz/corpus/${target}"
  if [ "${target}" = database_file ]; then
    max_len=524288
    # The seed is an empty ERP database made from the schema (database files
    # are not kept in the repository).
    corpus="$(mktemp -d)"
    sqlite3 "${corpus}/empty-erp.db" < demo/schema.sql
  fi
  "./build/fuzz/fuzz/${target}_fuzz" -max_total_time="${seconds}" -max_len="${max_len}" -timeout=30 \
    "${scratch}" "${corpus}" 2>&1 | tail -n 3
  [ "${target}" = database_file ] && rm -rf "${corpus}"
  rm -rf "${scratch}"
done
echo "fuzz: no crash"
