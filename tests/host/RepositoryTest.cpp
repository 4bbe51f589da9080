// Instances in a namespace: typed properties, keys, commit and enumeration.
#include "host/core/HostClass.h"
#include "host/core/HostInstance.h"
#include "host/core/MofParser.h"

#include <gtest/gtest.h>

using NTELVA20::ContextMap;
using NTELVA20::ICIMClass;
using NTELVA20::ICIMInstance;
using NTELVA20::ICIMNamespace;
using NTELVA20::TCIMReference;
using NTELVA20::TCIMValue;
using NTELVA20::TTelvaException;
using telva_host::HostNamespace;
using telva_host::Schema;

namespace {

class RepositoryTest : public ::testing::Test {
protected:
    RepositoryTest() : nameSpace_(HostNamespace::Create("root/strata", Schema::Builtin())) {}

    boost::shared_ptr<ICIMClass> Class(const std::string& name) {
        return nameSpace_->GetClass(name, ContextMap());
    }

    TCIMValue Typed(boost::shared_ptr<ICIMInstance> instance, const std::string& property,
                    const std::string& text) {
        return TCIMValue(instance->GetProperty(property, ContextMap())->GetType(ContextMap()), text,
                         nameSpace_);
    }

    // An instance of an information class with its four keys set.
    boost::shared_ptr<ICIMInstance> Keyed(const std::string& className, const std::string& id) {
        boost::shared_ptr<ICIMInstance> instance = Class(className)->CreateInstance(ContextMap());
        instance->SetProperty("SystemCreationClassName", TCIMValue(std::string("ORVA_ComputerSystem")), ContextMap());
        instance->SetProperty("SystemName", TCIMValue(std::string("HOST")), ContextMap());
        instance->SetProperty("CreationClassName", TCIMValue(className), ContextMap());
        instance->SetProperty(className == "ORVA_DynamicDiskGroup" ? "CollectionID" : "DeviceID",
                              TCIMValue(id), ContextMap());
        return instance;
    }

    boost::shared_ptr<ICIMInstance> Committed(const std::string& className, const std::string& id) {
        boost::shared_ptr<ICIMInstance> instance = Keyed(className, id);
        instance->Commit(ContextMap());
        return instance;
    }

    std::vector<std::string> Enumerate(const std::string& className, int deep) {
        std::vector<boost::shared_ptr<ICIMInstance> > found;
        Class(className)->EnumerateInstances(NTELVA20::TAddToVectorCallback<ICIMInstance>(found), deep,
                                             ContextMap());
        std::vector<std::string> ids;
        for (const auto& instance : found) {
            ids.push_back(instance->GetProperty("DeviceID", ContextMap())->GetValue(ContextMap()).ToString());
        }
        return ids;
    }

    boost::shared_ptr<HostNamespace> nameSpace_;
};

TEST_F(RepositoryTest, UnknownClassesAndAbstractInstancesAreRefused) {
    EXPECT_EQ(nameSpace_, Class("ORVA_LogicalDisk")->GetNamespace(ContextMap()));
    EXPECT_THROW(nameSpace_->GetClass("ORVA_Unknown", ContextMap()), TTelvaException);
    EXPECT_THROW(nameSpace_->GetClass("orva_diskdrive", ContextMap()), TTelvaException);
    EXPECT_THROW(Class("ORVA_MediaAccessDevice")->CreateInstance(ContextMap()), TTelvaException);
}

TEST_F(RepositoryTest, PropertiesAreTypedAndRefuseUnknownNamesAndWrongTypes) {
    boost::shared_ptr<ICIMInstance> disk = Keyed("ORVA_LogicalDisk", "C:\\");
    boost::shared_ptr<NTELVA20::ICIMProperty> info = disk->GetProperty("OtherIdentifyingInfo", ContextMap());
    ASSERT_TRUE(info);
    EXPECT_EQ("string", info->GetType(ContextMap()).ToString());
    EXPECT_TRUE(info->IsArray(ContextMap()));
    EXPECT_TRUE(info->GetValue(ContextMap()).IsNull());
    disk->SetProperty("TotalSpace", Typed(disk, "TotalSpace", "1073741824"), ContextMap());
    EXPECT_EQ("1073741824", disk->GetProperty("TotalSpace", ContextMap())->GetValue(ContextMap()).ToString());
    disk->SetProperty("TotalSpace", TCIMValue(), ContextMap());
    EXPECT_TRUE(disk->GetProperty("TotalSpace", ContextMap())->GetValue(ContextMap()).IsNull());

    EXPECT_FALSE(disk->GetProperty("totalspace", ContextMap()));
    EXPECT_THROW(disk->SetProperty("NoSuchProperty", TCIMValue(std::string("x")), ContextMap()),
                 TTelvaException);
    // A string where a number belongs, a scalar where an array belongs, and back.
    EXPECT_THROW(disk->SetProperty("TotalSpace", TCIMValue(std::string("1")), ContextMap()), TTelvaException);
    EXPECT_THROW(disk->SetProperty("OtherIdentifyingInfo", TCIMValue(std::string("x")), ContextMap()),
                 TTelvaException);
    TCIMValue numbers;
    numbers.Set(TCIMValue::TCIMType("uint64"), 256, {Typed(disk, "TotalSpace", "1")});
    EXPECT_THROW(disk->SetProperty("TotalSpace", numbers, ContextMap()), TTelvaException);
}

TEST_F(RepositoryTest, CommitNeedsEveryKeyAndAUniquePath) {
    boost::shared_ptr<ICIMInstance> incomplete = Class("ORVA_DiskDrive")->CreateInstance(ContextMap());
    incomplete->SetProperty("DeviceID", TCIMValue(std::string("PCI\\DISK0")), ContextMap());
    EXPECT_THROW(incomplete->Commit(ContextMap()), TTelvaException);
    EXPECT_THROW(incomplete->GetReference(ContextMap()), TTelvaException);

    boost::shared_ptr<ICIMInstance> first = Committed("ORVA_DiskDrive", "PCI\\DISK0");
    EXPECT_THROW(first->Commit(ContextMap()), TTelvaException);
    EXPECT_THROW(first->SetProperty("Name", TCIMValue(std::string("Disk 9")), ContextMap()), TTelvaException);
    EXPECT_THROW(Committed("ORVA_DiskDrive", "PCI\\DISK0"), TTelvaException);
    // The same keys in another class make another path.
    EXPECT_NO_THROW(Committed("ORVA_CDROMDrive", "PCI\\DISK0"));
    EXPECT_EQ(2u, nameSpace_->Instances().Count());

    EXPECT_EQ(4u, first->GetReference(ContextMap()).GetKeys().size());
}

TEST_F(RepositoryTest, DeepEnumerationIncludesSubclassesInCommitOrder) {
    for (const char* name : {"ORVA_DVDDrive", "ORVA_DiskDrive", "ORVA_LogicalDisk", "ORVA_TapeDrive"}) Committed(name, name);
    EXPECT_EQ((std::vector<std::string>{"ORVA_DVDDrive", "ORVA_DiskDrive", "ORVA_TapeDrive"}),
              Enumerate("ORVA_MediaAccessDevice", 1));
    EXPECT_TRUE(Enumerate("ORVA_MediaAccessDevice", 0).empty());
    EXPECT_EQ((std::vector<std::string>{"ORVA_DiskDrive"}), Enumerate("ORVA_DiskDrive", 1));
}

TEST_F(RepositoryTest, AssociationsAreKeyedByTheirReferences) {
    const TCIMReference drive = Committed("ORVA_DiskDrive", "disk0")->GetReference(ContextMap());
    const TCIMReference volume = Committed("ORVA_LogicalDisk", "C:\\")->GetReference(ContextMap());
    boost::shared_ptr<ICIMInstance> present = Class("ORVA_MediaPresent")->CreateInstance(ContextMap());
    present->SetProperty("Antecedent", TCIMValue(drive), ContextMap());
    EXPECT_THROW(present->Commit(ContextMap()), TTelvaException);
    present->SetProperty("Dependent", TCIMValue(volume), ContextMap());
    present->Commit(ContextMap());
    EXPECT_EQ(drive.ToString(), present->GetReference(ContextMap()).GetKeys().at("Antecedent"));

    boost::shared_ptr<ICIMInstance> again = Class("ORVA_MediaPresent")->CreateInstance(ContextMap());
    again->SetProperty("Antecedent", TCIMValue(drive), ContextMap());
    again->SetProperty("Dependent", TCIMValue(volume), ContextMap());
    EXPECT_THROW(again->Commit(ContextMap()), TTelvaException);

    // A reference to an unrelated class, and a plain text, are refused.
    boost::shared_ptr<ICIMInstance> wrong = Class("ORVA_MediaPresent")->CreateInstance(ContextMap());
    EXPECT_THROW(wrong->SetProperty("Antecedent", TCIMValue(volume), ContextMap()), TTelvaException);
    EXPECT_THROW(wrong->SetProperty("Dependent", TCIMValue(volume.ToString()), ContextMap()), TTelvaException);
}

TEST_F(RepositoryTest, NameOnlyClassesHoldNothingAndClassesOutlivingTheirNamespaceFailCleanly) {
    telva_host::NameOnlyClass unknown("orva_diskdrive", nameSpace_);
    EXPECT_FALSE(unknown.CreateInstance(ContextMap()));
    std::vector<boost::shared_ptr<ICIMInstance> > found;
    unknown.EnumerateInstances(NTELVA20::TAddToVectorCallback<ICIMInstance>(found), 1, ContextMap());
    EXPECT_TRUE(found.empty());

    boost::shared_ptr<ICIMClass> drives = Class("ORVA_DiskDrive");
    nameSpace_.reset();
    EXPECT_THROW(drives->GetNamespace(ContextMap()), TTelvaException);
    EXPECT_THROW(drives->CreateInstance(ContextMap()), TTelvaException);
}

}  // namespace
