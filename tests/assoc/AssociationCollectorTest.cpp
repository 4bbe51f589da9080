// The association collector: a failing builder ends its own class only.
#include "collect/HardwareAssociations.h"
#include "tests/assoc/AssocHarness.h"
#include "tests/support/SimBuilders.h"

#include <gtest/gtest.h>

#include <new>

using assoc_test::AssocHarness;
using NTELVA20::ContextMap;
using NTELVA20::ICIMClass;
using NTELVA20::ICIMNamespace;

namespace {

// The session's namespace, except that asking it for one class fails.
template <class Failure>
class FailingNamespace : public ICIMNamespace {
public:
    FailingNamespace(boost::shared_ptr<ICIMNamespace> inner, const std::string& failingClass)
        : inner_(inner), failingClass_(failingClass) {}
    boost::shared_ptr<ICIMClass> GetClass(const std::string& className,
                                          ContextMap context) override {
        if (className == failingClass_) throw Failure();
        return inner_->GetClass(className, context);
    }

private:
    boost::shared_ptr<ICIMNamespace> inner_;
    std::string failingClass_;
};

struct HostFailure : NTELVA20::TTelvaException {
    HostFailure() : NTELVA20::TTelvaException("class store unavailable") {}
};

// Disk 0 with one partition, so that PartitionPresent has one instance to
// make; then MediaPresent and PartitionPresent are collected through a
// namespace whose ORVA_LogicalDisk lookup throws Failure.
template <class Failure>
void CollectWithFailingLookup(AssocHarness& harness) {
    strata_sim::Machine machine;
    machine.devices.push_back(strata_test::FixedDisk(0));
    strata_sim::SetMachine(machine);
    harness.AddDiskDrive(0, "7");
    harness.AddBasicPartition("Disk 0", 1, "7");
    boost::shared_ptr<ICIMNamespace> failing(new FailingNamespace<Failure>(harness.Namespace(), "ORVA_LogicalDisk"));
    strata_col::HardwareAssociations collector(failing);
    collector.Collect(harness.session.ClassFor("ORVA_MediaPresent"));
    collector.Collect(harness.session.ClassFor("ORVA_PartitionPresent"));
}

}  // namespace

TEST(AssociationCollector, AllocationFailureEndsTheClassSilently) {
    AssocHarness harness;
    CollectWithFailingLookup<std::bad_alloc>(harness);
    EXPECT_TRUE(harness.log.Has("MediaPresent associations...", 3));
    EXPECT_EQ(harness.log.CountContaining("collection encountered exception"), 0);
    EXPECT_TRUE(harness.session.Instances("ORVA_MediaPresent").empty());
    EXPECT_EQ(harness.session.Instances("ORVA_PartitionPresent").size(), 1u);
}

TEST(AssociationCollector, HostFailureIsLoggedWithTheClassName) {
    AssocHarness harness;
    CollectWithFailingLookup<HostFailure>(harness);
    EXPECT_TRUE(harness.log.Has(
        "ORVA_MediaPresent collection encountered exception: class store unavailable", 3));
    EXPECT_EQ(harness.session.Instances("ORVA_PartitionPresent").size(), 1u);
}
