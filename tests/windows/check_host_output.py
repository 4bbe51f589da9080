#!/usr/bin/env python3
"""Checks the JSON report of `strata-host.exe --format json` run under Wine.

    check_host_output.py REPORT.json

Prints one line per failed check and exits 1 when any failed.
"""
import json
import sys

PLUGIN_NAME = "Strata Information Collector"

DRIVE_CLASSES = ["ORVA_DiskDrive", "ORVA_CDROMDrive", "ORVA_DVDDrive", "ORVA_TapeDrive",
                 "ORVA_DisketteDrive", "ORVA_DynamicDiskGroup"]

# The section message the plug-in logs when it is asked for each class.
SECTION_MESSAGES = dict(
    [(name, "Physical disk information.. " + name) for name in DRIVE_CLASSES] + [
        ("ORVA_DiskPartition", "Partition information.."),
        ("ORVA_LogicalDisk", "Logical disk information.."),
        ("ORVA_DynamicExtent", "Dynamic Extent information.."),
        ("ORVA_MediaPresent", "MediaPresent associations..."),
        ("ORVA_PartitionPresent", "PartitionPresent associations..."),
        ("ORVA_LogicalDiskBasedOnPartition", "LogicalDiskBasedOnPartition associations..."),
        ("ORVA_LogicalDiskBasedOnExtent", "LogicalDiskBasedOnExtent associations..."),
        ("ORVA_DynamicVolumeBasedOnExtent", "DynamicVolumeBasedOnExtent associations... "),
        ("ORVA_DynamicExtentBasedOn", "DynamicExtentBasedOn associations... "),
        ("ORVA_DriveInDynamicDiskGroup", "DriveInDiskGroup associations... "),
        ("ORVA_DynamicExtentInDiskGroup", "DynamicExtentInDiskGroup associations... "),
    ])

# Every volume Wine presents is a drive letter root with these values.
VOLUME_PROPERTIES = ["DriveType", "FileSystemName", "SerialNumber", "FreeSpace",
                     "UserDiskFreeSpace"]


def check(report):
    """Returns the list of failures found in the parsed report."""
    failures = []
    plugin = report.get("plugin", {})
    if plugin.get("name") != PLUGIN_NAME:
        failures.append("plug-in name is %r, not %r" % (plugin.get("name"), PLUGIN_NAME))
    for field in ("version", "secondaryVersion"):
        if plugin.get(field) != "1.0":
            failures.append("plug-in %s is %r, not '1.0'" % (field, plugin.get(field)))

    instances = report.get("instances", {})
    log_texts = [line.get("text", "") for line in report.get("log", [])]
    if len(instances) != len(SECTION_MESSAGES):
        failures.append("%d classes were requested, not %d" % (len(instances), len(SECTION_MESSAGES)))
    for class_name, message in SECTION_MESSAGES.items():
        if class_name not in instances:
            failures.append("%s was not requested" % class_name)
        count = log_texts.count(message)
        if count != 1:
            failures.append("%s: the plug-in logged %r %d times, not once" % (class_name, message, count))
    if any("not registered" in text for text in log_texts):
        failures.append("the plug-in reports that it is not registered")

    disks = {disk.get("DeviceID"): disk for disk in instances.get("ORVA_LogicalDisk", [])}
    for root in ("C:\\", "Z:\\"):
        disk = disks.get(root)
        if disk is None:
            failures.append("ORVA_LogicalDisk has no %s (it has %s)" % (root, sorted(disks)))
            continue
        for name in VOLUME_PROPERTIES:
            if disk.get(name) is None:
                failures.append("ORVA_LogicalDisk %s has no %s" % (root, name))
    system = disks.get("C:\\", {})
    if system and not any("(System)" in text for text in system.get("OtherIdentifyingInfo") or []):
        failures.append("ORVA_LogicalDisk C:\\ lacks \"(System)\" in OtherIdentifyingInfo: %r"
                        % system.get("OtherIdentifyingInfo"))
    return failures


def main(argv):
    if len(argv) != 2:
        sys.stderr.write(__doc__)
        return 2
    try:
        with open(argv[1], encoding="utf-8") as source:
            report = json.load(source)
    except (OSError, ValueError) as error:
        print("the report %s cannot be read: %s" % (argv[1], error))
        return 1
    failures = check(report)
    for failure in failures:
        print(failure)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
