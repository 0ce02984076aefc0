#!/usr/bin/env bash
# Hostile and huge inputs of every format the program reads, each taken or
# refused by `korvant --convert IN OUT.kcrct` within the budget: 2 s and
# about 20 times the file's size in memory, plus what the plan itself needs
# (a plan of n works holds an n x n table of cells, and the scheme written
# from it another). The corpus is generated here, into a temporary folder;
# nothing big is checked in.
#   bench/hostile_inputs.sh [BUILD_DIR]   (default build/release)
# Columns: the case, the file's size, the exit code (0 taken, 2 refused),
# the wall time and the CPU time (s), the peak resident memory and its
# budget (MB), whether both are met, and the first words of the message.
# On a shared machine the wall time is mostly waiting for a core, so the
# verdict reads the CPU time (user and system), which an idle machine's
# wall time follows; the load average is printed first.
set -euo pipefail
export LC_ALL=C.UTF-8
build=${1:-build/release}
korvant="$build/src/ui/korvant"
[ -x "$korvant" ] || { echo "no $korvant: build the release first" >&2; exit 64; }
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT

# The largest plan, as the program states it.
max=$(sed -n 's/.*int MaxWorks = \([0-9]*\);.*/\1/p' "$(dirname "$0")/../src/model/SchemeFile.h")

python3 - "$dir" "$max" <<'EOF'
import sys
d, MAX = sys.argv[1], int(sys.argv[2])
NS = 'xmlns="http://schemas.microsoft.com/project"'

def write(name, text):
    with open(f"{d}/{name}", "wb") as f:
        f.write(text.encode("utf-8") if isinstance(text, str) else text)

def task(uid, name, duration, rest=""):
    return (f"<Task><UID>{uid}</UID><Name>{name}</Name><Duration>{duration}</Duration>"
            f"{rest}</Task>\n")

def link(uid):
    return f"<PredecessorLink><PredecessorUID>{uid}</PredecessorUID></PredecessorLink>"

def project(tasks, head=""):
    return f"{head}<Project {NS}><Tasks>\n{tasks}</Tasks></Project>\n"

# Entities: 8,000 references to a 4,000-character entity (a 32-million
# character name), and 1,000 of them (a 4 MB name), in UTF-8 and UTF-16.
entity = f'<!DOCTYPE Project [<!ENTITY a "{"x" * 4000}">]>\n'
write("xml-entities-8000.xml", project(task(1, "&a;" * 8000, "PT8H"), entity))
write("xml-entities-1000.xml", project(task(1, "&a;" * 1000, "PT8H"), entity))
write("xml-entities-1000-utf16.xml",
      ('<?xml version="1.0" encoding="UTF-16"?>\n' +
       project(task(1, "&a;" * 1000, "PT8H"), entity)).encode("utf-16"))
# 40,000 attributes on one element; then 10 MB of elements of 128 each.
write("xml-attributes-40000.xml",
      project("<Extra " + " ".join(f'a{k}="1"' for k in range(40000)) + "/>\n"))
crowded = "<Extra " + " ".join(f'a{k}="1"' for k in range(128)) + "/>\n"
write("xml-attributes-128x10MB.xml", project(crowded * (10_000_000 // len(crowded))))
# A project calendar of 40,000 exceptions over the same twenty-seven years
# (10 MB): few dates, each read again and again.
exception = ("<Exception><TimePeriod><FromDate>2000-01-01T00:00:00</FromDate>"
             "<ToDate>2027-01-01T00:00:00</ToDate></TimePeriod><Type>1</Type>"
             "<DayWorking>0</DayWorking></Exception>")
write("xml-calendar-exceptions.xml",
      f"<Project {NS}><StartDate>2027-03-01T08:00:00</StartDate><CalendarUID>1</CalendarUID>"
      f"<Calendars><Calendar><UID>1</UID><IsBaseCalendar>1</IsBaseCalendar><Exceptions>"
      + exception * 40000 + "</Exceptions></Calendar></Calendars><Tasks>\n"
      + task(1, "A", "PT8H") + "</Tasks></Project>\n")
# Elements nested a million deep (7 MB).
write("xml-depth-1000000.xml", project("<a>" * 1_000_000 + "</a>" * 1_000_000))
# Not one well-formed root; durations MS Project never writes; a contour of
# two milestones.
write("xml-second-root.xml", project(task(1, "A", "PT8H")) + f"<Project {NS}/>")
write("xml-trailing-junk.xml", project(task(1, "A", "PT8H")) + "junk")
write("xml-duration-PT1H1H1H.xml", project(task(1, "A", "PT1H1H1H")))
write("xml-milestone-contour.xml",
      project(task(1, "M1", "PT0H", link(2)) + task(2, "M2", "PT0H", link(1)) +
              task(3, "A", "PT8H", link(2))))
# 20,000 milestones in a chain between 200 works and 200 more.
chain = "".join(task(k, f"A{k}", "PT8H") for k in range(1, 201))
chain += task(201, "M", "PT0H", "".join(link(k) for k in range(1, 201)))
chain += "".join(task(k, "M", "PT0H", link(k - 1)) for k in range(202, 20201))
chain += "".join(task(20200 + k, f"B{k}", "PT8H", link(20200)) for k in range(1, 201))
write("xml-milestones-20000.xml", project(chain))
# The largest plan a scheme takes, in a chain, with notes up to 10 MB; one
# work more.
note = "<Notes>" + "n" * (10_000_000 // MAX - 160) + "</Notes>"
write(f"xml-works-{MAX}-10MB.xml",
      project("".join(task(k, f"W{k}", "PT8H", note + (link(k - 1) if k > 1 else ""))
                      for k in range(1, MAX + 1))))
write(f"xml-works-{MAX + 1}.xml",
      project("".join(task(k, f"W{k}", "PT8H") for k in range(1, MAX + 2))))

# CSV: 2 MB and 10 MB of separators; 5,000 equal names; a field past the
# limit; the largest plan, 10 MB of it; one row more; 10,000 works in a chain.
write("csv-semicolons-2MB.csv", ";" * 2_000_000)
write("csv-semicolons-10MB.csv", ";" * 10_000_000)
write("csv-newlines-10MB.csv", "Name;Duration\n" + "\n" * 10_000_000)
write("csv-names-5000.csv", "Name;Duration\n" + "A;1\n" * 5000)
write("csv-field-1MB.csv", "Name;Duration\n" + "x" * (1 << 20) + "x;1\n")
write(f"csv-works-{MAX}-10MB.csv", "Name;Duration;Predecessors;Notes\n" +
      "".join(f"W{k};1;{k - 1 if k > 1 else ''};{'n' * (10_000_000 // MAX - 20)}\n"
              for k in range(1, MAX + 1)))
write("csv-works-10000.csv", "Name;Duration;Predecessors\n" +
      "".join(f"W{k};1;{k - 1 if k > 1 else ''}\n" for k in range(1, 10001)))
write(f"csv-works-{MAX + 1}.csv",
      "Name;Duration\n" + "".join(f"W{k};1\n" for k in range(1, MAX + 2)))

# PSPLIB: 100,000 jobs (6.5 MB) in a chain, and the largest plan.
def instance(jobs):
    out = [f"jobs (incl. supersource/sink ):  {jobs}\nPRECEDENCE RELATIONS:\n"
           "jobnr.    #modes  #successors   successors\n"]
    out += [f"   {j}        1          1           {j + 1}\n" for j in range(1, jobs)]
    out += [f"   {jobs}        1          0\nREQUESTS/DURATIONS:\njobnr. mode duration\n"]
    out += [f"  {j}      1     {0 if j in (1, jobs) else 1}       0    0\n"
            for j in range(1, jobs + 1)]
    return "".join(out)
write("sm-jobs-100000.sm", instance(100_000))
write("sm-newlines-10MB.sm", "\n" * 10_000_000)
write(f"sm-jobs-{MAX + 2}.sm", instance(MAX + 2))

# A scheme file whose Count passes the largest plan.
import struct
n = MAX + 1
write(f"scheme-count-{n}.kcrct",
      struct.pack("<iiii", 16 + 4 * (n + 1), n, 0, 0) + b"\0" * (4 * (n + 1)))
EOF

echo "load average: $(cut -d ' ' -f 1-3 /proc/loadavg)"
printf '%-28s %9s %4s %6s %6s %7s %7s %5s  %s\n' case bytes exit wall cpu peakMB budget met \
  message
for file in "$dir"/*.*; do
  name=$(basename "$file")
  case $name in out.*|time|err) continue ;; esac
  size=$(stat -c %s "$file")
  set +e
  /usr/bin/time -f '%e %U %S %M' -o "$dir/time" "$korvant" --convert "$file" "$dir/out.kcrct" \
    2>"$dir/err"
  code=$?
  set -e
  read -r wall user sys peak < <(tail -n 1 "$dir/time")
  works=0
  if [ "$code" = 0 ]; then
    works=$(od -An -t d4 -j 4 -N 4 "$dir/out.kcrct" | tr -d ' ')
  fi
  rm -f "$dir/out.kcrct"
  # 40 MB for the program itself, 20 bytes a byte of the file, and three
  # bytes a cell of a plan taken: the list's table, the written image and
  # what the analysis holds beside them.
  budget=$(awk -v s="$size" -v n="$works" 'BEGIN { printf "%d", (40e6 + 20 * s + 3 * n * n) / 1e6 }')
  message=$({ grep -v '^korvant: warning' "$dir/err" || true; } | head -n 1 |
    sed "s|^korvant: $dir/$name: ||")
  message=${message:0:60}
  [ -n "$message" ] || message="taken ($(grep -c 'warning' "$dir/err" || true) warnings)"
  cpu=$(awk -v u="$user" -v s="$sys" 'BEGIN { print u + s }')
  met=$(awk -v c="$cpu" -v p="$((peak / 1024))" -v b="$budget" \
    'BEGIN { print (c <= 2 && p <= b) ? "yes" : "NO" }')
  printf '%-28s %9d %4s %6s %6.2f %7d %7d %5s  %s\n' "$name" "$size" "$code" "$wall" \
    "$cpu" $((peak / 1024)) "$budget" "$met" "$message"
done
