#!/usr/bin/env python3
"""The page-analysis throughput as a ratio to the grep program.

Runs the parser benchmarks of vexo-bench several times, interleaved so that
both sides meet the same machine load, and prints the median time of each
side and their ratio, for the corpus with targets (0) and without (1). Beside
it, the ratio of the best times: on a machine whose CPU is taken away now and
then (steal time on a shared host), the medians swing from run to run while
the best times hold.

    bench/parser_ratio.py [build/bench/vexo-bench] [--repetitions N]
"""

import argparse
import json
import statistics
import subprocess
import sys


def main() -> int:
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("bench", nargs="?", default="build/bench/vexo-bench")
    parser.add_argument("--repetitions", type=int, default=9)
    args = parser.parse_args()

    run = subprocess.run(
        [
            args.bench,
            "--benchmark_filter=Parser(AnalysePage|GrepCommand)",
            f"--benchmark_repetitions={args.repetitions}",
            "--benchmark_enable_random_interleaving=true",
            "--benchmark_format=json",
        ],
        capture_output=True,
        text=True,
        check=False,
    )
    if run.returncode != 0:
        sys.stderr.write(run.stderr)
        return run.returncode

    times: dict[str, list[float]] = {}
    for b in json.loads(run.stdout)["benchmarks"]:
        if b.get("run_type") != "iteration" or b.get("error_occurred"):
            continue
        # "BM_ParserAnalysePage/0" and "BM_ParserGrepCommand/0/real_time"
        side, variant = b["run_name"].split("/")[:2]
        times.setdefault(f"{side}/{variant}", []).append(b["real_time"])

    print(f"{'corpus':<16}{'analysis ms':>12}{'grep ms':>10}{'ratio':>8}{'best':>8}")
    for variant, label in (("0", "with targets"), ("1", "no targets")):
        analysis = times.get(f"BM_ParserAnalysePage/{variant}")
        grep = times.get(f"BM_ParserGrepCommand/{variant}")
        if not analysis or not grep:
            print(f"{label:<16}  (not measured)")
            continue
        a = statistics.median(analysis) / 1000
        g = statistics.median(grep) / 1000
        best = min(analysis) / min(grep)
        print(f"{label:<16}{a:>12.2f}{g:>10.2f}{a / g:>7.2f}x{best:>7.2f}x")
    return 0


if __name__ == "__main__":
    sys.exit(main())
