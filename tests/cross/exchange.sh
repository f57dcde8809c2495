#!/usr/bin/env bash
# A user folder written by the Linux build is read by the Windows build and
# the other way round:
#   exchange.sh LINUX_SMSCTL WINDOWS_SMSCTL_EXE WINE_RUN_SCRIPT
# Each build writes a folder through smsctl (groups and a contact, a phrase, a
# reminder, a saved text, a reject word, a send with its history and log, a
# reply, a timed send); then both builds list every store of both folders,
# and the listings of one folder must be the same byte for byte.
set -euo pipefail
linux=("$1")
windows=(bash "$3" "$2")
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

smsctl() {  # smsctl SIDE FOLDER ARGS...
  local side="$1" dir="$2"; shift 2
  local -n program="$side"
  "${program[@]}" --user-dir "$dir" --user tester --password '口令 pw' "$@"
}

fill() {  # fill SIDE FOLDER: every step must succeed
  local side="$1" dir="$2"
  {
    smsctl "$side" "$dir" contacts groups add 朋友
    smsctl "$side" "$dir" contacts add --name 张三 --mobile 13800138000 --group 2 --set 电话=010-1234
    smsctl "$side" "$dir" phrases add 会议改到周六
    smsctl "$side" "$dir" reminders add 生日快乐 --at "2027-01-02 08:00" --name 李四 \
      --phone 13900139000 --type birthday
    smsctl "$side" "$dir" saved add 明天见
    smsctl "$side" "$dir" filters reject-words add 违禁
    smsctl "$side" "$dir" send 13800138000 13900139000 --text "会议改到周六，$side"
    smsctl "$side" "$dir" replies inject 13800138000 收到 --time "2026-12-01 10:00"
    smsctl "$side" "$dir" send --group 2 --text 晚上好 --at "2027-03-01 09:00"
  } >"$work/fill-$side.log" 2>&1 || { cat "$work/fill-$side.log"; return 1; }
}

show() {  # show SIDE FOLDER: every list of every store
  local side="$1" dir="$2" command
  for command in "contacts list --group 2" "contacts show 1" "contacts groups list" \
      "phrases list" "reminders list" "saved list" "filters reject-words list" \
      "history list" "sendlog list" "replies list" "queue list" "timers list"; do
    echo "== $command"
    # shellcheck disable=SC2086  # the command's words
    smsctl "$side" "$dir" --json $command 2>>"$work/show-$side.log"
  done
}

status=0
for writer in linux windows; do
  dir="$work/written-by-$writer"
  fill "$writer" "$dir"
  show linux "$dir" >"$dir.linux"
  show windows "$dir" >"$dir.windows"
  for expected in 张三 010-1234 会议改到周六，$writer 违禁 收到 晚上好 birthday; do
    grep -q -- "$expected" "$dir.linux" || { echo "exchange: '$expected' missing from $writer's folder"; status=1; }
  done
  if diff -u "$dir.linux" "$dir.windows"; then
    echo "exchange: the folder written by $writer lists the same on Linux and Windows"
  else
    echo "exchange: the folder written by $writer lists differently (- Linux, + Windows)"
    cat "$work"/show-*.log
    status=1
  fi
done
exit $status
