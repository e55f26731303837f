#!/bin/sh
# Builds the demo installation from the Unihan data of the Debian package
# unicode-data and the OpenCC dictionaries of the package opencc.
#
#   demo/make_demo.sh [--build-dir DIR] [--root DIR]
#
# --build-dir  CMake build folder that builds make-demo (default build/dev,
#              configured with the dev preset when it is not yet).
# --root       where the demo installation goes (default demo-install/ in
#              the repository). Rerunning rewrites the same files.
set -eu

repo=$(cd "$(dirname "$0")/.." && pwd)
build="$repo/build/dev"
root="$repo/demo-install"
unihan_dir=${UNIHAN_DIR:-/usr/share/unicode}
opencc_dir=${OPENCC_DIR:-/usr/share/opencc}

while [ $# -gt 0 ]; do
  case "$1" in
    --build-dir) [ $# -ge 2 ] || { echo "make_demo.sh: --build-dir needs a folder" >&2; exit 2; }
                 build=$2; shift 2 ;;
    --root) [ $# -ge 2 ] || { echo "make_demo.sh: --root needs a folder" >&2; exit 2; }
            root=$2; shift 2 ;;
    -h|--help) sed -n '2,11p' "$0" | sed 's/^# \{0,1\}//'; exit 0 ;;
    *) echo "make_demo.sh: unknown argument '$1' (try --help)" >&2; exit 2 ;;
  esac
done
case "$build" in /*) ;; *) build="$PWD/$build" ;; esac
case "$root" in /*) ;; *) root="$PWD/$root" ;; esac

missing() {
  echo "make_demo.sh: $1 not found; install it with: sudo apt-get install $2" >&2
  exit 1
}
command -v bzcat >/dev/null 2>&1 || missing "bzcat" "bzip2"
command -v opencc_dict >/dev/null 2>&1 || missing "opencc_dict" "opencc"
for f in Unihan_DictionaryLikeData Unihan_IRGSources; do
  [ -f "$unihan_dir/$f.txt.bz2" ] || [ -f "$unihan_dir/$f.txt" ] ||
    missing "$unihan_dir/$f.txt.bz2" "unicode-data"
done
for f in STCharacters TSCharacters STPhrases TSPhrases; do
  [ -f "$opencc_dir/$f.ocd2" ] || missing "$opencc_dir/$f.ocd2" "opencc libopencc-data"
done

# The generator, built with the production dictionary writer.
if [ ! -f "$build/CMakeCache.txt" ]; then
  if [ "$build" = "$repo/build/dev" ]; then
    (cd "$repo" && cmake --preset dev >/dev/null)
  else
    cmake -S "$repo" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
  fi
fi
cmake --build "$build" --target make-demo -j2 >/dev/null

# The source data as text, redone only when a package brought newer files.
data="$build/demo-data"
mkdir -p "$data"
unihan() {  # unihan FILE: the Unihan file, decompressed when needed
  if [ -f "$unihan_dir/$1.txt" ]; then cat "$unihan_dir/$1.txt"; else bzcat "$unihan_dir/$1.txt.bz2"; fi
}
newer() {  # newer SOURCE TARGET: TARGET is missing or older than SOURCE
  [ ! -f "$2" ] || [ "$1" -nt "$2" ]
}
src="$unihan_dir/Unihan_DictionaryLikeData.txt.bz2"; [ -f "$src" ] || src="${src%.bz2}"
if newer "$src" "$data/Unihan_DictionaryLikeData.txt"; then
  unihan Unihan_DictionaryLikeData > "$data/Unihan_DictionaryLikeData.txt.tmp"
  mv "$data/Unihan_DictionaryLikeData.txt.tmp" "$data/Unihan_DictionaryLikeData.txt"
fi
src="$unihan_dir/Unihan_IRGSources.txt.bz2"; [ -f "$src" ] || src="${src%.bz2}"
if newer "$src" "$data/Unihan_TotalStrokes.txt"; then
  unihan Unihan_IRGSources | grep kTotalStrokes > "$data/Unihan_TotalStrokes.txt.tmp"
  mv "$data/Unihan_TotalStrokes.txt.tmp" "$data/Unihan_TotalStrokes.txt"
fi
for f in STCharacters TSCharacters STPhrases TSPhrases; do
  if newer "$opencc_dir/$f.ocd2" "$data/$f.txt"; then
    opencc_dict -i "$opencc_dir/$f.ocd2" -o "$data/$f.tmp.txt" -f ocd2 -t text >/dev/null
    mv "$data/$f.tmp.txt" "$data/$f.txt"
  fi
done

"$build/demo/make-demo" "$data" "$root"
echo "demo installation: $root/Program Files (x86)/lurm/rozevuv_cht/mb/ (and its copy below Program Files/)"
