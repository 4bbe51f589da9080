// The virtual-machine sample (samples/virtual-guest.json). Devices whose
// instance ID holds "VIRTUAL" are never reported, and Hyper-V, VMware and
// attached VHD files name every disk and DVD drive that way: such a guest
// reports its volumes and nothing of its drives. A known limitation, pinned
// here so that any change to it is made on purpose.
#include "host/HostSession.h"
#include "host/program/HostOptions.h"
#include "platform/sim/SimMachine.h"

#include <gtest/gtest.h>

#include <set>

namespace {

TEST(VirtualGuest, DrivesNamedVirtualAreLeftOutAndOnlyTheVolumesRemain) {
    strata_sim::LoadMachineFile(STRATA_SOURCE_DIR "/samples/virtual-guest.json");
    telva_host::HostSession session;
    session.LoadPlugin(STRATA_BIN_DIR "/strata.pi.so");
    session.Query(telva_host::AllClasses());

    for (const char* empty : {"ORVA_DiskDrive", "ORVA_CDROMDrive", "ORVA_DVDDrive", "ORVA_DiskPartition",
                              "ORVA_MediaPresent", "ORVA_PartitionPresent",
                              "ORVA_LogicalDiskBasedOnPartition"}) {
        EXPECT_TRUE(session.Instances(empty).empty()) << empty;
    }
    std::set<std::string> volumes;
    for (const telva_host::InstanceRecord& volume : session.Instances("ORVA_LogicalDisk")) {
        volumes.insert(volume.Text("DeviceID"));
    }
    EXPECT_EQ((std::set<std::string>{"C:\\", "D:\\ (CD-Rom) ", "E:\\", "V:\\"}), volumes);
    strata_sim::ResetMachine();
}

}  // namespace
