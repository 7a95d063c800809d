# SPDX-License-Identifier: GPL-3.0-or-later
# Bash completion for NTR (and "ntr"): its options, the setting names after
# --set, a folder after --make-instrument and a file after --settings.
# The setting names come from the program itself (ntr --setting-names), so they
# are always those of the table its --help lists. Needs only bash.

_ntr() {
  local cur=${COMP_WORDS[COMP_CWORD]} option=${COMP_WORDS[COMP_CWORD-1]}
  # "--set=Dur": bash splits the word at "=".
  if [[ $option == = ]] && ((COMP_CWORD >= 2)); then option=${COMP_WORDS[COMP_CWORD-2]}; fi
  COMPREPLY=()
  case $option in
    --set)
      compopt -o nospace 2>/dev/null
      mapfile -t COMPREPLY < <(compgen -S = -W "$("${COMP_WORDS[0]}" --setting-names 2>/dev/null)" -- "$cur")
      return ;;
    --make-instrument|--check-instrument|--takes)
      compopt -o filenames 2>/dev/null
      mapfile -t COMPREPLY < <(compgen -d -- "$cur")
      return ;;
    --settings)
      compopt -o filenames 2>/dev/null
      mapfile -t COMPREPLY < <(compgen -f -- "$cur")
      return ;;
  esac
  [[ $cur == -* ]] || return 0
  mapfile -t COMPREPLY < <(compgen -W "--batch --settings --set --fast --resume --force --list-devices
                                        --make-instrument --check-instrument --tolerance-cents --takes --help --version" -- "$cur")
}
complete -F _ntr ntr NTR
