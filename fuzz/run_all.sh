#!/usr/bin/env bash
# Builds every fuzz target with clang and runs each in turn, seeded with small valid files
# and the files of the generated data set; a target with fuzz/NAME.dict gets that dictionary.
#   fuzz/run_all.sh [SECONDS_PER_TARGET] [TARGET...]
# Environment: GH_FUZZ_BUILD (default build-fuzz), GH_DATA_DIR (a build folder holding
# Tindermoot/, default build). Logs go to $GH_FUZZ_BUILD/runs/NAME.log, findings to
# $GH_FUZZ_BUILD/runs/NAME/ (crash-*, timeout-*, oom-*).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
seconds="${1:-600}"
shift || true
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=(mesh material_list scene light camera sync png mp3 effect)
build="${GH_FUZZ_BUILD:-$root/build-fuzz}"
data="${GH_DATA_DIR:-$root/build}/Tindermoot"

CC=clang CXX=clang++ cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DFUZZ=ON \
  -DGH_DATA_SET=OFF >/dev/null
cmake --build "$build" -j"$(nproc)" --target $(printf 'fuzz_%s ' "${targets[@]}")

corpus="$build/corpus"
python3 "$root/fuzz/make_corpus.py" "$corpus"
"$root/fuzz/make_loader_corpus.sh" "$corpus"
# The effect tests' own files: each shows a part of the effect syntax (the include
# folder's start with a byte-order mark; a UTF-16 copy of one seeds the conversion).
cp -t "$corpus/effect" "$root"/tests/effects/data/*.fx 2>/dev/null || true
cp "$root"/tests/effects/data/include/folders.fx "$corpus/effect/bom-folders.fx" 2>/dev/null || true
iconv -f UTF-8 -t UTF-16 "$root"/tests/effects/data/Semantics.fx > "$corpus/effect/utf16-semantics.fx" 2>/dev/null || true
# The data set's own files, by the loader that reads them.
if [ -d "$data" ]; then
  seed() { find "$data" -name "$1" -exec cp -t "$corpus/$2" {} + 2>/dev/null || true; }
  seed '*.mesh' mesh
  seed '*.material' material_list
  seed '*.scene' scene
  seed '*.light' light
  seed '*.camera' camera
  seed '*.sync' sync
  seed '*.png' png
  seed '*.fx' effect
  # The show's music is minutes long; its first 64 KiB make a seed of useful size.
  [ -f "$data/Pellmoor.mp3" ] && head -c 65536 "$data/Pellmoor.mp3" >"$corpus/mp3/pellmoor-head.mp3"
fi

mkdir -p "$build/runs"
for name in "${targets[@]}"; do
  mkdir -p "$build/runs/$name"
  set +e
  dict=()
  [ -f "$root/fuzz/$name.dict" ] && dict=(-dict="$root/fuzz/$name.dict")
  "$build/fuzz/fuzz_$name" "$corpus/$name" "${dict[@]}" -max_total_time="$seconds" -timeout=20 -rss_limit_mb=2048 \
    -close_fd_mask=3 -print_final_stats=1 -artifact_prefix="$build/runs/$name/" >"$build/runs/$name.log" 2>&1
  rc=$?
  set -e
  execs=$(grep -o 'stat::number_of_executed_units: *[0-9]*' "$build/runs/$name.log" | grep -o '[0-9]*$' || true)
  [ -n "$execs" ] || execs=$(grep -oE '^#[0-9]+' "$build/runs/$name.log" | tail -1 | tr -d '#')
  echo "$name rc=$rc seconds=$seconds execs=${execs:-?}" | tee -a "$build/runs/summary.txt"
done
