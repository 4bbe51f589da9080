#!/usr/bin/env python3
"""Compares the logical disks of two JSON reports: strata-host.exe run under
Wine, and strata-host run on Linux over strata-capture.exe's snapshot of the
same Wine machine.

    check_capture.py WINE_REPORT.json SNAPSHOT_REPORT.json

Only what cannot change between the two runs is compared (free space can).
Prints one line per difference and exits 1 when there is any.
"""
import json
import sys

STABLE_PROPERTIES = ["DriveType", "FileSystemName", "SerialNumber", "OtherIdentifyingInfo"]


def logical_disks(report):
    return {disk.get("DeviceID"): disk for disk in report.get("instances", {}).get("ORVA_LogicalDisk", [])}


def compare(wine, snapshot):
    failures = []
    seen, replayed = logical_disks(wine), logical_disks(snapshot)
    if not seen:
        failures.append("the Wine report has no logical disks")
    if sorted(seen) != sorted(replayed):
        failures.append("logical disks differ: Wine %s, snapshot %s" % (sorted(seen), sorted(replayed)))
    for device_id in sorted(set(seen) & set(replayed)):
        for name in STABLE_PROPERTIES:
            if seen[device_id].get(name) != replayed[device_id].get(name):
                failures.append("%s %s: Wine %r, snapshot %r" % (
                    device_id, name, seen[device_id].get(name), replayed[device_id].get(name)))
    return failures


def main(argv):
    if len(argv) != 3:
        sys.stderr.write(__doc__)
        return 2
    try:
        reports = []
        for path in argv[1:]:
            with open(path, encoding="utf-8") as source:
                reports.append(json.load(source))
    except (OSError, ValueError) as error:
        print("a report cannot be read: %s" % error)
        return 1
    failures = compare(*reports)
    for failure in failures:
        print(failure)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
