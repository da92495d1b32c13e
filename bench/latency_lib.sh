# Sourced by the latency benchmarks: the figures they print from a list of
# milliseconds, one a line on standard input.

# summary NAME [WIDTH]: the count, median, mean, p90, minimum and maximum,
# after NAME padded to WIDTH (default 10) characters. Fails on no data.
summary() {
  sort -n | awk -v name="$1" -v width="${2:-10}" '{ v[NR] = $1; s += $1 }
    END { if (!NR) { print name ": no data"; exit 1 }
          m = NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2
          printf "%-*s n=%d median %.1f ms  mean %.1f ms  p90 %.1f ms  min %.1f ms  max %.1f ms\n",
                 width, name, NR, m, s / NR, v[int(NR * 0.9 + 0.5)], v[1], v[NR] }'
}

# The median alone.
median() { sort -n | awk '{ v[NR] = $1 } END { print NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

# The load average over 1, 5 and 15 minutes, for the figures' record.
load_average() { cut -d' ' -f1-3 /proc/loadavg; }
