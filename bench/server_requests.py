#!/usr/bin/env python3
"""Counts the wineserver requests of the loads `startup_bench --one-load` marks.

Reads a trace of a wineserver started with debugging on (WINEDEBUG=+server in
the program that started it) and prints, per case, the requests the bench's
threads made from the case's begin marker to its painted marker (the load up
to the first paint) and from there to its end marker (the teardown). The
markers are open_event requests for events named
MarlinStartupBench.<case>.begin|painted|end. Other processes' requests (the
desktop, the services) are left out: only the marking thread and the threads
it and they created count.

    server_requests.py TRACE [--top N]   (--top: the N most frequent requests per case)
"""
import collections
import re
import sys

REQUEST = re.compile(r"^([0-9a-f]{4,8}): ([a-z0-9_]+)\( ")
REPLY_TID = re.compile(r"^([0-9a-f]{4,8}): new_thread\(\) = 0 \{ tid=([0-9a-f]+)")
MARKER = re.compile(r'name=L"MarlinStartupBench\.([A-Za-z0-9-]+)\.(begin|painted|end)"')


def marking_thread(path):
    with open(path, errors="replace") as trace:
        for line in trace:
            if MARKER.search(line):
                return REQUEST.match(line).group(1)
    return None


def count(path):
    main = marking_thread(path)
    if main is None:
        return {}, {}
    ours = {main}
    creating = set()  # threads of ours whose last request made a thread in this process
    counts = collections.OrderedDict()  # case -> {"load": n, "teardown": n}
    kinds = collections.defaultdict(collections.Counter)
    case, part = None, None
    with open(path, errors="replace") as trace:
        for line in trace:
            reply = REPLY_TID.match(line)
            if reply and reply.group(1) in creating:
                ours.add(reply.group(2))
                creating.discard(reply.group(1))
                continue
            request = REQUEST.match(line)
            if not request or request.group(1) not in ours:
                continue
            marker = MARKER.search(line)
            if marker:
                name, point = marker.groups()
                counts.setdefault(name, {"load": 0, "teardown": 0})
                case, part = {"begin": (name, "load"), "painted": (name, "teardown")}.get(point, (None, None))
                continue
            if request.group(2) == "new_thread" and "process=ffffffff" in line:
                creating.add(request.group(1))
            if case:
                counts[case][part] += 1
                kinds[case][request.group(2)] += 1
    return counts, kinds


def main():
    path = sys.argv[1]
    top = int(sys.argv[3]) if len(sys.argv) > 3 and sys.argv[2] == "--top" else 0
    counts, kinds = count(path)
    if not counts:
        print("no marked load in the trace")
        return 1
    titles = {"default": "default documents", "50": "50-button toolbar", "500": "500-button toolbar"}
    print("wineserver requests per load (the load after two unmarked ones)")
    print("  %-32s %10s %10s %8s" % ("figure", "product", "floor", "ratio"))
    for name in titles:
        product, floor = counts.get("product-" + name), counts.get("floor-" + name)
        if not product or not floor:
            continue
        print(titles[name])
        for part, label in (("load", "load to first paint"), ("teardown", "teardown")):
            ratio = "x%.1f" % (product[part] / floor[part]) if floor[part] else "-"
            print("  %-32s %10d %10d %8s" % (label, product[part], floor[part], ratio))
    for name, counter in kinds.items():
        if top:
            print("%s: %s" % (name, ", ".join("%s %d" % kind for kind in counter.most_common(top))))
    return 0


if __name__ == "__main__":
    sys.exit(main())
