# SPDX-License-Identifier: MIT
# Bash completion for qwav: its commands, then the files each one takes
# (info FILE, copy IN OUT, set-unity-note FILE NOTE [OUT]). Needs only bash.

_qwav() {
  local cur=${COMP_WORDS[COMP_CWORD]}
  COMPREPLY=()
  if ((COMP_CWORD == 1)); then
    mapfile -t COMPREPLY < <(compgen -W "info copy set-unity-note --help --version" -- "$cur")
    return
  fi
  case ${COMP_WORDS[1]} in
    info) ((COMP_CWORD == 2)) ;;
    copy) ((COMP_CWORD <= 3)) ;;
    set-unity-note) ((COMP_CWORD == 2 || COMP_CWORD == 4)) ;;  # not at NOTE
    *) false ;;
  esac || return 0
  compopt -o filenames 2>/dev/null
  mapfile -t COMPREPLY < <(compgen -f -- "$cur")
}
complete -F _qwav qwav
