// A plug-in module with fixed answers, for testing the host program: it
// registers at load and commits one instance of a few classes.
#include "plugin/telva.h"

#include <cstdlib>
#include <stdexcept>
#include <string>

using namespace NTELVA20;

namespace {

void Set(boost::shared_ptr<ICIMInstance> instance, const std::string& name, const std::string& text) {
    const TCIMValue::TCIMType type = instance->GetProperty(name, ContextMap())->GetType(ContextMap());
    instance->SetProperty(name, TCIMValue(type, text, {}), ContextMap());
}

boost::shared_ptr<ICIMInstance> Keyed(boost::shared_ptr<ICIMNamespace> nameSpace,
                                      boost::shared_ptr<ICIMClass> cimClass, const std::string& id) {
    boost::shared_ptr<ICIMInstance> instance = cimClass->CreateInstance(ContextMap());
    Set(instance, "SystemCreationClassName", TCIMSchemaHelper::GetSystemCreationClassName(nameSpace));
    Set(instance, "SystemName", TCIMSchemaHelper::GetSystemName(nameSpace));
    Set(instance, "CreationClassName", cimClass->GetClassName(ContextMap()));
    Set(instance, "DeviceID", id);
    return instance;
}

std::vector<boost::shared_ptr<ICIMInstance> > All(boost::shared_ptr<ICIMNamespace> nameSpace,
                                                  const std::string& className) {
    std::vector<boost::shared_ptr<ICIMInstance> > found;
    nameSpace->GetClass(className, ContextMap())
        ->EnumerateInstances(TAddToVectorCallback<ICIMInstance>(found), 1, ContextMap());
    return found;
}

class FakeCallbacks : public IPluginCallbacks, public IPluginBasicQueryCallbacks {
public:
    long GetStatus() override { return 7; }
    std::string GetName() override { return "Fake Collector"; }
    std::string GetVersion() override { return "2.5"; }
    std::string GetSecondaryVersion() override { return "2.6"; }
    void Release() override { delete this; }
    void Notify1(void*) override {}
    void Notify2(void*) override {}

    void Query(boost::shared_ptr<ICIMNamespace> nameSpace,
               const std::vector<boost::shared_ptr<ICIMClass> >& classes) override {
        ILogger* log = TRootObject::GetCoreLogger();
        for (const boost::shared_ptr<ICIMClass>& cimClass : classes) {
            const std::string name = cimClass->GetClassName(ContextMap());
            log->Write(3, "serving " + name);
            log->Write(4, "detail " + name);
            if (name == "FAIL") throw std::runtime_error("fake failure");
            if (name == "ORVA_DiskDrive") {
                boost::shared_ptr<ICIMInstance> drive = Keyed(nameSpace, cimClass, "PCI\\DISK0");
                Set(drive, "Name", "Disk 0");
                Set(drive, "Size", "18446744073709551615");
                drive->Commit(ContextMap());
            } else if (name == "ORVA_LogicalDisk") {
                boost::shared_ptr<ICIMInstance> volume = Keyed(nameSpace, cimClass, "C:\\");
                TCIMValue info;
                info.Set(TCIMValue::TCIMType("string"), 256, {TCIMValue(std::string("DATA \"main\"")), TCIMValue(std::string("C"))});
                volume->SetProperty("OtherIdentifyingInfo", info, ContextMap());
                Set(volume, "FileSystemName", "NTFS");
                volume->Commit(ContextMap());
            } else if (name == "ORVA_DiskPartition") {
                // As many as FAKE_PARTITIONS asks: a report larger than the memory.
                const char* count = std::getenv("FAKE_PARTITIONS");
                for (long i = 0; count != nullptr && i < std::atol(count); ++i) {
                    boost::shared_ptr<ICIMInstance> partition =
                        Keyed(nameSpace, cimClass, "Disk #0, Partition #" + std::to_string(i));
                    Set(partition, "Name", "Partition " + std::to_string(i) + " of a disk with a long name");
                    partition->Commit(ContextMap());
                }
            } else if (name == "ORVA_MediaPresent") {
                for (const auto& drive : All(nameSpace, "ORVA_MediaAccessDevice")) {
                    for (const auto& volume : All(nameSpace, "ORVA_LogicalDisk")) {
                        boost::shared_ptr<ICIMInstance> pair = cimClass->CreateInstance(ContextMap());
                        pair->SetProperty("Antecedent", TCIMValue(drive->GetReference(ContextMap())), ContextMap());
                        pair->SetProperty("Dependent", TCIMValue(volume->GetReference(ContextMap())), ContextMap());
                        pair->Commit(ContextMap());
                    }
                }
            }
        }
    }
};

__attribute__((constructor)) void RegisterFakePlugin() {
    boost::shared_ptr<TPluginManagerNamespace> manager =
        boost::dynamic_pointer_cast<TPluginManagerNamespace>(TRootObject::GetPluginManager());
    manager->RegisterPlugin(new FakeCallbacks());
}

}  // namespace
