#!/bin/bash
# The same week of ten temperature series (synthetic, 5-minute steps) drawn
# as a chart with a min/max/avg legend by rrdtool graph and by our cxrender,
# timed two ways: per chart in one running process (cxrender --repeat against
# rrdtool's pipe mode), and as whole processes, one per picture. The ratios
# are the last two lines.
#
# usage: bench/compare-render.sh [BUILD_DIR] (default: build)
# REPETITIONS (default 50) whole-process runs, STEADY (default 200) charts in
# the running processes.
# Needs BUILD_DIR/bin/cxrender and BUILD_DIR/bin/bench_render; installs
# Debian's rrdtool when it is missing. Everything stays in a temporary folder.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
build=${1:-build}
[[ $build = /* ]] || build="$here/../$build"
bin="$build/bin"
repetitions=${REPETITIONS:-50}

for program in cxrender bench_render; do
  if [[ ! -x $bin/$program ]]; then
    echo "missing $bin/$program: build it first (ninja -C $build $program)" >&2
    exit 1
  fi
done
if ! command -v rrdtool >/dev/null; then
  echo "installing rrdtool (Debian package rrdtool)"
  apt-get install -y rrdtool >/dev/null
fi

work=$(mktemp -d /tmp/calorix-compare-render-XXXXXX)
trap '[[ -n ${KEEP:-} ]] && echo "kept $work" >&2 || rm -rf "$work"' EXIT
settings="$work/settings"
mkdir -p "$settings" "$work/out" "$work/rrd"

# --- The week, written by the core's own routines, and the same rows for rrdtool.
if ! "$bin/bench_render" --write-week "$settings" >"$work/week.txt"; then
  echo "$bin/bench_render cannot write the week: rebuild it (ninja -C $build bench_render)" >&2
  exit 1
fi
end=$(sed -n 's/.* ending \([0-9]*\) into .*/\1/p' "$work/week.txt")
start=$((end - 7 * 86400))
rows=$(wc -l <"$settings/week-rrd.txt")

# Ten named temperature slots shown, every other section hidden. Which slots
# and sections are shown lives in CXClient.ini; how the chart is drawn (the
# user-activity strip, the clock area, the width) in CXDisplay.ini.
{
  echo "[Temperatures]"
  for i in $(seq 1 10); do echo "nameT$i=Sensor $i"; echo "visT$i=1"; done
  echo "[Voltages]"
  for i in $(seq 1 10); do echo "visV$i=0"; done
  echo "[Fans]"
  for i in $(seq 1 10); do echo "visF$i=0"; done
  echo "[CPUs]"
  for i in $(seq 1 4); do echo "visCPU$i=0"; done
  echo "[Net]"
  for i in $(seq 1 4); do echo "visNet$i=0"; done
  echo "[Disk]"
  for i in $(seq 1 8); do echo "visDisk$i=0"; done
  echo "[Memory]"
  echo "Page=0"; echo "visMem=0"; echo "visCache=0"
  echo "[Battery]"
  echo "visBat=0"
} >"$settings/CXClient.ini"
{
  echo "[CPUs]"
  echo "visUser=0"; echo "visCPUFreq=0"
  echo "[Misc]"
  echo "StatsWidth=550"
} >"$settings/CXDisplay.ini"

# --- cxrender: one run draws the banner, the light and the 7-day chart.
"$bin/cxrender" "$settings" "$work/out" --view 7d
png_size() {  # width and height from a PNG's header
  od -An -tu1 -j16 -N8 "$1" | awk '{ printf "%d %d\n", $1*16777216+$2*65536+$3*256+$4, $5*16777216+$6*65536+$7*256+$8 }'
}
read -r width height < <(png_size "$work/out/chart.png")

# --- rrdtool: an RRD of the same rows, filled in batches of updates.
rrd="$work/rrd/week.rrd"
sources=()
for i in $(seq 1 10); do sources+=("DS:t$i:GAUGE:600:U:U"); done
rrdtool create "$rrd" --start $((start - 300)) --step 300 "${sources[@]}" RRA:AVERAGE:0.5:1:2100
xargs -n 200 rrdtool update "$rrd" <"$settings/week-rrd.txt"

# The monitor's built-in slot colours (stored blue-green-red) as red-green-blue.
colours=(FF0000 E07000 808000 60C000 008000 00C060 00C0C0 0000FF 8000FF C000C0)
graph=(graph "$work/rrd/chart.png" --imgformat PNG --full-size-mode
       --width "$width" --height "$height" --start "$start" --end "$end"
       --vertical-label "°C" --title "Temperatures - 7 days")
for i in $(seq 1 10); do
  graph+=("DEF:t$i=$rrd:t$i:AVERAGE"
          "VDEF:t${i}min=t$i,MINIMUM" "VDEF:t${i}max=t$i,MAXIMUM" "VDEF:t${i}avg=t$i,AVERAGE"
          "LINE1:t$i#${colours[$((i - 1))]}:Sensor $i"
          "GPRINT:t${i}min:Min %4.1lf°C" "GPRINT:t${i}max:Max %4.1lf°C"
          "GPRINT:t${i}avg:Avg %4.1lf°C\\l")
done
rrdtool "${graph[@]}" >/dev/null

# --- Steady state: one process each that draws the chart again and again,
# as a monitor or a graphing service that stays running does. cxrender
# --repeat draws and encodes the chart in memory after loading once;
# rrdtool's pipe mode ("rrdtool -") runs one graph command a line, each
# reading the RRD and writing the PNG file, and after each answers
# "OK u:USER s:SYSTEM r:REAL" with the process's running totals in seconds.
steady=${STEADY:-200}
cx_line=$("$bin/cxrender" "$settings" "$work/out" --view 7d --repeat "$steady" | grep '^chart:')
cx_steady=$(sed -n 's/.* \([0-9.]*\) ms each .*/\1/p' <<<"$cx_line")
quote() {  # one argument for rrdtool's pipe mode, which splits at blanks outside quotes
  [[ $1 != *"'"* ]] || { echo "cannot quote $1 for rrdtool's pipe mode" >&2; exit 1; }
  printf "'%s'" "$1"
}
command_line=""
for argument in "${graph[@]}"; do command_line+="$(quote "$argument") "; done
for _ in $(seq 1 $((steady + 1))); do echo "$command_line"; done >"$work/rrd/commands.txt"
# The first graph opens the files and warms the caches; the rest are timed
# from the real-time totals after the first and after the last.
rrd_steady=$(rrdtool - <"$work/rrd/commands.txt" | awk -v n="$steady" '
  /^OK u:/ { split($4, r, ":"); if (++count == 1) first = r[2]; last = r[2] }
  /^ERROR/ { print "rrdtool: " $0 > "/dev/stderr"; exit 1 }
  END { if (count == n + 1) printf "%.3f\n", (last - first) * 1000 / n; else exit 1 }')

# --- Whole processes, the same number of runs for each side.
time_runs() {  # prints the mean milliseconds per run of the command
  local begin finish
  begin=$(date +%s%N)
  for _ in $(seq 1 "$repetitions"); do "$@" >/dev/null; done
  finish=$(date +%s%N)
  awk -v ns=$((finish - begin)) -v n="$repetitions" 'BEGIN { printf "%.2f\n", ns / n / 1e6 }'
}
"$bin/cxrender" "$settings" "$work/out" --view 7d  # warm the page cache
cx_ms=$(time_runs "$bin/cxrender" "$settings" "$work/out" --view 7d)
rrd_ms=$(time_runs rrdtool "${graph[@]}")
read -r rrd_width rrd_height < <(png_size "$work/rrd/chart.png")

ratio() {  # "N.Nx faster" or "N.Nx slower" for our time $1 against rrdtool's $2
  awk -v cx="$1" -v rrd="$2" 'BEGIN {
    if (cx <= rrd) printf "%.1fx faster", rrd / cx; else printf "%.1fx slower", cx / rrd }'
}
echo "week: $rows rows of ten temperatures at 5-minute steps, $(date -u -d @"$start" +%F) to $(date -u -d @"$end" '+%F %H:%M') UTC"
echo "pictures: cxrender ${width}x${height} chart.png, $(stat -c %s "$work/out/chart.png") bytes;" \
  "rrdtool graph ${rrd_width}x${rrd_height} PNG, $(stat -c %s "$work/rrd/chart.png") bytes"
echo
echo "steady state, per chart over $steady charts in one running process:"
echo "  cxrender --repeat: $cx_steady ms (drawing and PNG encoding in memory)"
echo "  rrdtool pipe mode: $rrd_steady ms (reading the RRD, drawing, writing the PNG file)"
echo "whole processes, per run over $repetitions runs:"
echo "  cxrender:      $cx_ms ms (process start, settings and log loading, and writing"
echo "                 three pictures, banner.png, light.png and chart.png, each flushed to disk)"
echo "  rrdtool graph: $rrd_ms ms (process start, reading the RRD and writing one picture)"
echo
echo "whole processes: cxrender is $(ratio "$cx_ms" "$rrd_ms") than rrdtool graph ($cx_ms ms vs $rrd_ms ms per chart)"
echo "steady state: cxrender is $(ratio "$cx_steady" "$rrd_steady") than rrdtool graph ($cx_steady ms vs $rrd_steady ms per chart)"
