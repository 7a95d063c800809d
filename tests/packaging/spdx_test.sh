#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Every source file (C++, CMake, bash, scripts) begins with the SPDX line of
# its part's licence: MIT for QuendalWav (wavlib/, tests/wavlib/),
# GPL-3.0-or-later for everything else; in a script, right after the "#!" line.
# Names each file that lacks it. The files: git's tracked ones in a checkout,
# else those under the source folders.
# Usage: spdx_test.sh SOURCE_DIR
set -uo pipefail
cd "$1" || exit 1
if [ -e .git ] && git rev-parse --is-inside-work-tree >/dev/null 2>&1; then
  list() { git ls-files; }
else
  list() { find CMakeLists.txt .ci bench cmake packaging sampler scripts tests wavlib -type f 2>/dev/null; }
fi

wrong=()
checked=0
while IFS= read -r file; do
  [ -f "$file" ] || continue
  case $file in
    *.cpp | *.h) comment=// ;;
    CMakeLists.txt | */CMakeLists.txt | *.cmake | *.cmake.in | *.bash) comment='#' ;;
    *) comment= ;;
  esac
  first='' second=''
  { IFS= read -r first; IFS= read -r second; } <"$file" 2>/dev/null
  if [[ $first == '#!'* ]]; then
    comment='#' first=$second
  fi
  [ -n "$comment" ] || continue
  case $file in
    wavlib/* | tests/wavlib/*) licence=MIT ;;
    *) licence=GPL-3.0-or-later ;;
  esac
  checked=$((checked + 1))
  [ "$first" = "$comment SPDX-License-Identifier: $licence" ] || wrong+=("$file (wants \"$comment SPDX-License-Identifier: $licence\")")
done < <(list)

if [ ${#wrong[@]} -gt 0 ]; then
  printf 'without its SPDX line: %s\n' "${wrong[@]}" >&2
  exit 1
fi
[ "$checked" -gt 0 ] || { echo "no source file found in $PWD" >&2; exit 1; }
echo "$checked source files, each with its SPDX line"
