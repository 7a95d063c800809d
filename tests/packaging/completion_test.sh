#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The bash completion of ntr and qwav as bash runs it when Tab is pressed: the
# function each script registers, given the words of a command line.
# Usage: completion_test.sh NTR_COMPLETION QWAV_COMPLETION PROGRAM_DIR...
# (the folders of the ntr and qwav to ask for their --help and setting names)
set -uo pipefail
ntr_completion=$1 qwav_completion=$2
shift 2
PATH="$(IFS=:; echo "$*"):$PATH"
# shellcheck source=/dev/null
source "$ntr_completion" && source "$qwav_completion" || exit 1

failures=0
# expect WHAT EXPECTED ACTUAL: EXPECTED and ACTUAL are sorted lines.
expect() {
  [ "$2" = "$3" ] && return
  echo "FAIL: $1"$'\n'"  expected: ${2//$'\n'/ }"$'\n'"  offered:  ${3//$'\n'/ }" >&2
  failures=$((failures + 1))
}

# offered WORD...: what Tab offers with the cursor at the end of the last word, sorted.
offered() {
  local spec function
  spec=$(complete -p "$1" 2>/dev/null) || { echo "(nothing registered for $1)"; return; }
  function=${spec#*-F }
  function=${function%% *}
  COMP_WORDS=("$@")
  COMP_CWORD=$(($# - 1))
  COMP_LINE="$*"
  COMP_POINT=${#COMP_LINE}
  COMPREPLY=()
  "$function" "$1" "${COMP_WORDS[COMP_CWORD]}" "${COMP_WORDS[COMP_CWORD - 1]}"
  [ ${#COMPREPLY[@]} -eq 0 ] || printf '%s\n' "${COMPREPLY[@]}" | sort
}

help=$(ntr --help) || { echo "ntr --help failed" >&2; exit 1; }
# Every option --help names, under both of the program's names.
expect "ntr's options" "$( (grep -oE -- '--[a-z][a-z-]*' <<<"$help"; echo --version) | sort -u)" "$(offered ntr --)"
expect "NTR --ver" "--version" "$(offered NTR --ver)"
# The setting names after --set are those --help lists under "Settings:".
keys=$(sed -n '/^Settings:$/,/^$/{s/^  \([A-Za-z][A-Za-z0-9]*\) .*/\1=/p}' <<<"$help" | sort)
[ "$(wc -l <<<"$keys")" -gt 10 ] || expect "the settings --help lists" "(more than ten)" "$keys"
expect "ntr --batch --set" "$keys" "$(offered ntr --batch --set '')"
expect "ntr --set=Dur" "Duration=" "$(offered ntr --batch --set = Dur)"

folder=$(mktemp -d)
trap 'rm -rf "$folder"' EXIT
mkdir "$folder/Piano" && touch "$folder/piano.ini" "$folder/Piano.wav"
expect "a folder after --make-instrument" "$folder/Piano" "$(offered ntr --make-instrument "$folder/P")"
expect "a file after --settings" "$folder/piano.ini" "$(offered ntr --batch --settings "$folder/pi")"
expect "no option after --batch's value-less options" "" "$(offered ntr --batch "$folder/P")"

expect "qwav's commands" "$(printf '%s\n' --help --version copy info set-unity-note | sort)" "$(offered qwav '')"
expect "qwav info FILE" "$(printf '%s\n' "$folder/Piano" "$folder/Piano.wav" | sort)" "$(offered qwav info "$folder/P")"
expect "qwav copy IN OUT" "$folder/piano.ini" "$(offered qwav copy "$folder/Piano.wav" "$folder/pi")"
expect "qwav set-unity-note FILE NOTE: no file for NOTE" "" "$(offered qwav set-unity-note "$folder/Piano.wav" "$folder/")"
expect "qwav info FILE takes one file" "" "$(offered qwav info "$folder/Piano.wav" "$folder/")"

[ "$failures" -eq 0 ] && echo "bash completion: all checks passed"
exit $((failures > 0))
