// The information collector's failure guard, in process.
#include "collect/HardwareInformation.h"
#include "host/HostSession.h"
#include "tests/support/CapturedLog.h"
#include "tests/support/Fixtures.h"
#include "tests/support/SimBuilders.h"

#include <gtest/gtest.h>

using NTELVA20::ContextMap;
using NTELVA20::ICIMClass;
using NTELVA20::ICIMInstance;
using NTELVA20::ICIMNamespace;

namespace {

// A host class whose third CreateInstance fails.
class FailingThirdInstance : public ICIMClass {
public:
    explicit FailingThirdInstance(boost::shared_ptr<ICIMClass> real) : real_(real) {}
    const std::string& GetClassName(ContextMap context) override { return real_->GetClassName(context); }
    boost::shared_ptr<ICIMNamespace> GetNamespace(ContextMap context) override {
        return real_->GetNamespace(context);
    }
    bool IsAssociation(ContextMap context) override { return real_->IsAssociation(context); }
    boost::shared_ptr<ICIMInstance> CreateInstance(ContextMap context) override {
        if (++created_ == 3) throw NTELVA20::TTelvaException("no room for a third instance");
        return real_->CreateInstance(context);
    }
    void EnumerateInstances(NTELVA20::TInstanceCallback callback, int deep, ContextMap context) override {
        real_->EnumerateInstances(callback, deep, context);
    }

private:
    boost::shared_ptr<ICIMClass> real_;
    int created_ = 0;
};

TEST(InformationCollector, FailureOnTheThirdInstanceKeepsTheFirstTwo) {
    STRATA_REQUIRE_FIXTURES();
    strata_sim::Machine machine;
    machine.devices.push_back(strata_test::FixedDisk(0, strata_test::FixtureImage("ldm-2003r2-raid5-1.img")));
    strata_sim::SetMachine(machine);

    telva_host::HostSession session;
    strata_test::CapturedLog log;
    strata_col::HardwareInformation information(session.Namespace());
    information.Collect(boost::shared_ptr<ICIMClass>(
        new FailingThirdInstance(session.ClassFor("ORVA_DynamicExtent"))));
    EXPECT_EQ(2u, session.Instances("ORVA_DynamicExtent").size());
    EXPECT_TRUE(log.Has("ORVA_DynamicExtentcollection encountered exception: no room for a third instance", 3));
}

TEST(InformationCollector, KeyPropertiesComeAfterTheCollectorsOwn) {
    strata_sim::ResetMachine();
    telva_host::HostSession session;
    strata_col::HardwareInformation information(session.Namespace());
    information.Collect(session.ClassFor("ORVA_DiskDrive"));  // sets the current class
    strata_col::PropertyMap record;
    record.insert({"CreationClassName", "Wrong"});
    information.AddKeyProperties(record);
    auto range = record.equal_range("CreationClassName");
    ASSERT_EQ(2, std::distance(range.first, range.second));
    EXPECT_EQ("ORVA_DiskDrive", std::prev(range.second)->second);
    EXPECT_EQ(1u, record.count("SystemName"));
    EXPECT_EQ(1u, record.count("SystemCreationClassName"));
}

}  // namespace
