// Runs the whole query of a simulated machine in-process, through the
// plug-in module as strata-host does; or, for comparison, only what the
// query cannot avoid: reading every dynamic disk's database area twice,
// once for each of its two collectors.
//   bench_query MACHINE.json [ROUNDS]           the query
//   bench_query --reads MACHINE.json [ROUNDS]   the two database reads
// Prints one line of name=value pairs: medians of the rounds in
// milliseconds (the query's and the simulated machine's time inside its
// Win32 calls), and the peak resident memory the work added, in MiB.
#include "disk/InterfaceClasses.h"
#include "disk/PhysDiskEnum.h"
#include "host/HostSession.h"
#include "host/PluginModule.h"
#include "host/program/HostOptions.h"
#include "ldm/LDMDBParser.h"
#include "ldm/PlatformDiskAccess.h"
#include "platform/sim/SimMachine.h"

#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>
#include <iostream>
#include <string>
#include <vector>

namespace {

double Milliseconds(const std::function<void()>& work) {
    const auto start = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// Resident memory now, from /proc, in KiB.
long ResidentKiB() {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);) {
        if (line.compare(0, 6, "VmRSS:") == 0) return std::strtol(line.c_str() + 6, nullptr, 10);
    }
    return 0;
}

double PeakAddedMiB(long beforeKiB) {
    struct rusage usage;
    getrusage(RUSAGE_SELF, &usage);
    return (usage.ru_maxrss - beforeKiB) / 1024.0;
}

void RunQueries(int rounds) {
    telva_host::HostSession session;
    session.LoadPlugin(telva_host::ProgramFolder() + telva_host::DefaultPluginFileName());
    const long before = ResidentKiB();
    std::vector<double> times;
    std::vector<double> simulated;
    for (int round = 0; round < rounds; ++round) {
        session.Reset();
        const std::int64_t busy = strata_sim::BusyNanoseconds();
        times.push_back(Milliseconds([&] { session.Query(telva_host::AllClasses()); }));
        simulated.push_back((strata_sim::BusyNanoseconds() - busy) / 1e6);
    }
    std::printf("drives=%zu volumes=%zu extents=%zu instances=%zu query_ms=%.1f sim_ms=%.1f query_mib=%.1f\n",
                session.Instances("ORVA_DiskDrive").size(), session.Instances("ORVA_LogicalDisk").size(),
                session.Instances("ORVA_DynamicExtent").size(), session.InstanceCount(), Median(times),
                Median(simulated), PeakAddedMiB(before));
}

// Reads every dynamic disk's private header and whole database area, as
// each collector must; gives the number of areas read.
std::size_t ReadAreasOnce() {
    strata_col::PhysDiskEnum disks;
    strata_col::PlatformDiskAccess access;
    strata_col::LDMDBParser reader(access);
    std::vector<unsigned char> header;
    std::vector<unsigned char> area;
    std::size_t areas = 0;
    for (const auto& device : disks.EnumerateDevices(strata_col::kDiskInterface)) {
        const int file = access.Open(device.second);
        if (file < 0) continue;
        const strata_col::DriveSize drive = access.QueryDrive(device.second);
        std::uint32_t vmdbOffset = 0;
        if (drive.bytesPerSector != 0 &&
            reader.ReadPrivateHeader(file, header, drive.bytesPerSector, drive.length) &&
            reader.ReadDatabaseArea(file, header, drive.bytesPerSector, drive.length, area, vmdbOffset)) {
            ++areas;
        }
        access.Close(file);
    }
    return areas;
}

void RunReads(int rounds) {
    const long before = ResidentKiB();
    std::vector<double> times;
    std::size_t databases = 0;
    for (int round = 0; round < rounds; ++round) {
        times.push_back(Milliseconds([&] { databases = ReadAreasOnce() + ReadAreasOnce(); }));
    }
    std::printf("databases_read=%zu reads_ms=%.1f reads_mib=%.1f\n", databases, Median(times), PeakAddedMiB(before));
}

}  // namespace

int main(int argc, char** argv) {
    const bool reads = argc > 1 && std::strcmp(argv[1], "--reads") == 0;
    const int first = reads ? 2 : 1;
    if (argc <= first) {
        std::cerr << "usage: bench_query [--reads] MACHINE.json [ROUNDS]\n";
        return 2;
    }
    const int rounds = argc > first + 1 ? std::max(1, std::atoi(argv[first + 1])) : 3;
    try {
        strata_sim::LoadMachineFile(argv[first]);
        if (reads) {
            RunReads(rounds);
        } else {
            RunQueries(rounds);
        }
    } catch (const std::exception& error) {
        std::cerr << "bench_query: " << error.what() << "\n";
        return 1;
    }
    return 0;
}
