// The lab machine, the one ./run shows. Its complete report is a golden
// report; this checks what the report cannot show: which empty drives were
// touched while system dialogs could stop the query.
#include "tests/e2e/LabSession.h"

#include "host/HostSession.h"
#include "host/program/HostOptions.h"
#include "platform/sim/SimMachine.h"

#include <gtest/gtest.h>

namespace {

class LabMachine : public ::testing::Test {
protected:
    void SetUp() override { STRATA_REQUIRE_LAB_REPORT(); }
};

TEST_F(LabMachine, EmptyDrivesAreOnlyTouchedWithSystemDialogsOff) {
    // The empty DVD and floppy drives would each stop a desktop at a modal
    // "no disk" dialog if opened while the error mode lets it show. The
    // host's own flags are in force again when the query ends.
    EXPECT_EQ(std::vector<std::string>(), strata_test::LabDialogRisks());
    EXPECT_EQ(strata_test::kHostErrorMode, strata_test::LabErrorModeAfter());

    // So would an empty card-reader slot, a disk that every disk lookup reads.
    strata_sim::LoadMachineFile(strata_test::LabMachineFile());
    strata_sim::Machine machine = strata_sim::CurrentMachine();
    strata_sim::Device reader;
    reader.instanceId = "USBSTOR\\DISK&VEN_GENERIC&PROD_SD_READER&REV_1.00\\000000000001&0";
    reader.deviceNumber = 8;
    reader.mediaPresent = false;
    reader.geometry.mediaType = RemovableMedia;
    machine.devices.push_back(reader);
    strata_sim::Volume slot;
    slot.roots = {"W:\\"};
    slot.driveType = DRIVE_REMOVABLE;
    slot.deviceNumber = 8;
    machine.volumes.push_back(slot);
    strata_sim::SetMachine(machine);
    telva_host::HostSession session;
    session.LoadPlugin(STRATA_BIN_DIR "/strata.pi.so");
    const UINT hostMode = SEM_NOOPENFILEERRORBOX | SEM_NOGPFAULTERRORBOX | SEM_FAILCRITICALERRORS;  // 0x8003
    const UINT before = SetErrorMode(hostMode);
    session.Query(telva_host::AllClasses());
    EXPECT_EQ(hostMode, SetErrorMode(before));
    EXPECT_EQ(std::vector<std::string>(), strata_sim::DialogRisks());
    EXPECT_EQ(8u, session.Instances("ORVA_DiskDrive").size());
    strata_sim::ResetMachine();
}

}  // namespace
