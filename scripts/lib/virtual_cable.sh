# The launcher's virtual null-modem cable: two pseudo-terminals joined by
# socat, linked as COMn into the runtime ports folder, which the program
# reads besides the user's ports folder. The links belong to socat, which
# removes them when it ends, and socat ends with the shell that started it
# (setpriv --pdeathsig), even when that shell is killed with SIGKILL; the
# runtime folder itself does not survive a reboot.

# The runtime ports folder: $XDG_RUNTIME_DIR/kestrix/ports, or, without
# XDG_RUNTIME_DIR, /tmp/kestrix-<uid>/ports in a folder only the user may
# enter (the program ignores it otherwise).
runtime_ports_folder() {
  if [ -n "${XDG_RUNTIME_DIR:-}" ] && [ "${XDG_RUNTIME_DIR:0:1}" = / ]; then
    echo "$XDG_RUNTIME_DIR/kestrix/ports"
    return
  fi
  local base="/tmp/kestrix-$(id -u)"
  mkdir -m 700 "$base" 2>/dev/null || true
  if [ -L "$base" ] || [ ! -O "$base" ] || [ "$(stat -c %a "$base")" != 700 ]; then
    echo "$base is not a private folder of yours; remove it and start again" >&2
    return 1
  fi
  echo "$base/ports"
}

# The lowest COM numbers that no link of either ports folder and no
# remembered device holds.
free_port_numbers() {
  local count=$1 config="${XDG_CONFIG_HOME:-$HOME/.config}/kestrix" runtime=$2
  local taken=" " n
  for n in "$config"/ports/COM* "$runtime"/COM*; do
    [ -L "$n" ] && taken+="${n##*/COM} "
  done
  if [ -f "$config/port-numbers" ]; then
    while read -r n _; do
      [[ "$n" =~ ^COM[1-9][0-9]*$ ]] && taken+="${n#COM} "
    done <"$config/port-numbers"
  fi
  n=1
  while [ "$count" -gt 0 ]; do
    if [[ "$taken" != *" $n "* ]]; then
      echo "$n"
      count=$((count - 1))
    fi
    n=$((n + 1))
  done
}

# Starts the cable; sets cable_pid and prints which COM numbers its ends are.
start_virtual_cable() {
  local folder numbers
  folder=$(runtime_ports_folder) || return 1
  mkdir -p "$folder"
  mapfile -t numbers < <(free_port_numbers 2 "$folder")
  setpriv --pdeathsig TERM -- socat "pty,raw,echo=0,link=$folder/COM${numbers[0]}" \
    "pty,raw,echo=0,link=$folder/COM${numbers[1]}" &
  cable_pid=$!
  local _
  for _ in $(seq 50); do
    [ -L "$folder/COM${numbers[0]}" ] && [ -L "$folder/COM${numbers[1]}" ] && break
    sleep 0.1
  done
  echo "Virtual null-modem cable: COM${numbers[0]} <-> COM${numbers[1]} (links in $folder)"
}
