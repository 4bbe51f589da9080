// A 1 TB dynamic disk whose damaged private header announces a database area
// of almost 4 GiB: the query refuses the area without allocating it and
// reports everything else. This program's allocations are watched, and any
// request above 1 GiB fails, as in a process whose address space is tight.
#include "host/HostSession.h"
#include "host/program/HostOptions.h"
#include "tests/support/PrivateHeaderImage.h"
#include "tests/support/SimBuilders.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <new>

namespace {

const std::size_t kRefusedRequest = std::size_t(1) << 30;
std::atomic<std::size_t> g_largestRequest{0};

void* Allocate(std::size_t size) noexcept {
    std::size_t largest = g_largestRequest.load();
    while (size > largest && !g_largestRequest.compare_exchange_weak(largest, size)) {
    }
    return size > kRefusedRequest ? nullptr : std::malloc(size == 0 ? 1 : size);
}

// Frees what Allocate gave. Called through a pointer the compiler cannot
// see through, so that it does not pair the free with the operator new
// that this file replaces.
void (*volatile const Release)(void*) = std::free;

}  // namespace

void* operator new(std::size_t size) {
    if (void* block = Allocate(size)) return block;
    throw std::bad_alloc();
}
void* operator new[](std::size_t size) { return operator new(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept { return Allocate(size); }
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept { return Allocate(size); }
void operator delete(void* block) noexcept { Release(block); }
void operator delete[](void* block) noexcept { Release(block); }
void operator delete(void* block, std::size_t) noexcept { Release(block); }
void operator delete[](void* block, std::size_t) noexcept { Release(block); }
void operator delete(void* block, const std::nothrow_t&) noexcept { Release(block); }
void operator delete[](void* block, const std::nothrow_t&) noexcept { Release(block); }

namespace {

TEST(DamagedHeader, AnAreaOfAlmostFourGiBIsRefusedBeforeItIsAllocated) {
    const std::int64_t kTerabyte = std::int64_t(1) << 40;
    const std::uint64_t kAreaSectors = 0x7FFFFF;  // the largest area one 32-bit read takes
    strata_test::TempFolder folder;
    strata_sim::Machine machine;
    strata_sim::Device system = strata_test::FixedDisk(0);
    const strata_sim::PartitionEntry entry = strata_test::LayoutEntry(1, 0x07, 1 << 16, 1 << 19);
    system.layout = strata_sim::DriveLayout();
    system.layout->partitions = {entry};
    strata_sim::Device damaged = strata_test::FixedDisk(
        1, strata_test::WritePrivateHeaderImage(folder.path(), "damaged.img",
                                                "bad0bad0-0000-0000-0000-000000000001", "Dg0",
                                                kTerabyte / 512 - kAreaSectors - 1, kAreaSectors));
    damaged.length = kTerabyte;  // reads zeros past the image
    machine.devices = {system, damaged};
    strata_sim::Volume c = strata_test::NtfsVolume(1, {"C:\\"});
    c.extents = {strata_test::Extent(0, entry.startingOffset, entry.length)};
    machine.volumes = {c};
    strata_sim::SetMachine(machine);

    telva_host::HostSession session;
    session.LoadPlugin(STRATA_BIN_DIR "/strata.pi.so");
    g_largestRequest = 0;
    session.Query(telva_host::AllClasses());
    EXPECT_LT(g_largestRequest.load(), std::size_t(16) << 20);

    ASSERT_EQ(1u, session.Instances("ORVA_DiskDrive").size());
    EXPECT_EQ("Disk 0", session.Instances("ORVA_DiskDrive")[0].Text("Name"));
    ASSERT_EQ(1u, session.Instances("ORVA_DiskPartition").size());
    ASSERT_EQ(1u, session.Instances("ORVA_LogicalDisk").size());
    EXPECT_EQ(1u, session.Instances("ORVA_MediaPresent").size());
    EXPECT_EQ(1u, session.Instances("ORVA_LogicalDiskBasedOnPartition").size());
    strata_sim::ResetMachine();
}

}  // namespace
