#!/usr/bin/env python3
"""A complete Feed in Python: registers three PIDs, then sends their values every INTERVAL_MS
milliseconds, COUNT times (default 100 times, 200 ms apart), and says what the display answered.

    PYTHONPATH=<dir of orlexfeed.py> python3 feed_example.py [COUNT [INTERVAL_MS]]
"""
import sys
import time

import orlexfeed


def main():
    count = int(sys.argv[1]) if len(sys.argv) > 1 else 100
    interval = (int(sys.argv[2]) if len(sys.argv) > 2 else 200) / 1000.0
    try:
        feed = orlexfeed.Feed(wait=5.0)  # wait for a display that is still starting
    except orlexfeed.FeedError as error:
        print("feed_example.py: %s" % error, file=sys.stderr)
        return 1
    with feed:
        # Count, then key;description;ID; per PID; IDs 1, 2, 3 in packet order; quote what has spaces.
        pids = [("RPM", "Engine Speed"), ("ECT", "Coolant Temp"), ("MAP", "Manifold kPa")]
        init = "%d;" % len(pids) + "".join(
            "%s;%s;%d;" % (key, orlexfeed.quote_field(text), n) for n, (key, text) in enumerate(pids, 1))
        result = feed.send(orlexfeed.INIT, init)
        print("INIT answered %d" % result)
        if result != 1:
            return 1
        sent = 0
        for i in range(count):
            # key,value; per PID, the final ";" included: without it the last value would be lost.
            packet = "RPM,%d;ECT,%d.%d;MAP,%d;" % (800 + (i * 37) % 5000, 80 + i % 20, i % 10, 30 + (i * 7) % 70)
            try:
                result = feed.send(orlexfeed.PID, packet)
            except orlexfeed.FeedError as error:
                if error.kind != orlexfeed.CONNECTION_LOST:
                    raise
                print("the display went away after %d packets" % sent)
                break
            if result != 1:
                print("feed_example.py: packet %d answered %d" % (i, result), file=sys.stderr)
            sent += 1
            if i + 1 < count:
                time.sleep(interval)
        print("%d PID packets sent" % sent)
    return 0


if __name__ == "__main__":
    sys.exit(main())
