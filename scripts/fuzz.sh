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
  # A database file is a few hundred pages of 512 bytes; the texts are short.
  max_len=512
  [ "${target}" = database_file ] && max_len=262144
  "./build/fuzz/fuzz/${target}_fuzz" -max_total_time="${seconds}" -max_len="${max_len}" -timeout=30 \
    "${scratch}" "fuzz/corpus/${target}" 2>&1 | tail -n 3
  rm -rf "${scratch}"
done
echo "fuzz: no crash"
