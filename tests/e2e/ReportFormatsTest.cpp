// The machine-readable reports of the lab machine: JSON and MOF hold every
// instance with every property, and their references name instances that
// are there; MOF reads back to the same values.
#include "tests/e2e/LabSession.h"
#include "tests/e2e/ReportMofReader.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <set>
#include <sstream>

using namespace telva_host;
using strata_test::LabReport;

namespace {

// Instances keyed as "class" + the object path's keys, to look references up.
std::string PathKey(const std::string& className, const std::map<std::string, std::string>& keys) {
    std::string key = className;
    for (const auto& entry : keys) key += "|" + entry.first + "=" + entry.second;
    return key;
}

// The classes a reference to `className` may point at (drives are referred
// to through their common parent).
bool IsKindOf(const std::string& referenced, const std::string& className) {
    if (referenced == className) return true;
    return referenced == "ORVA_MediaAccessDevice" &&
           (className == "ORVA_DiskDrive" || className == "ORVA_CDROMDrive" || className == "ORVA_DVDDrive" ||
            className == "ORVA_TapeDrive" || className == "ORVA_DisketteDrive");
}

class LabFormats : public ::testing::Test {
protected:
    void SetUp() override { STRATA_REQUIRE_LAB_REPORT(); }

    std::size_t InstanceCount() const {
        std::size_t count = 0;
        for (const ClassResult& result : LabReport()->classes) count += result.instances.size();
        return count;
    }
};

TEST_F(LabFormats, JsonHoldsEveryInstanceAndItsReferencesResolve) {
    std::ostringstream out;
    WriteJsonReport(out, *LabReport());
    const nlohmann::json report = nlohmann::json::parse(out.str());
    EXPECT_EQ("STRATA-LAB", report["system"]);
    EXPECT_EQ("Strata Information Collector", report["plugin"]["name"]);
    EXPECT_EQ(LabReport()->log.size(), report["log"].size());

    std::set<std::string> paths;
    for (const ClassResult& result : LabReport()->classes) {
        const nlohmann::json& list = report["instances"][result.className];
        ASSERT_EQ(result.instances.size(), list.size()) << result.className;
        for (std::size_t i = 0; i < list.size(); ++i) {
            EXPECT_EQ(result.instances[i].properties.size(), list[i].size()) << result.className;
            paths.insert(result.instances[i].path.ToString());
        }
    }
    std::size_t references = 0;
    for (const auto& association : report["instances"].items()) {
        for (const nlohmann::json& instance : association.value()) {
            for (const char* role : {"Antecedent", "Dependent", "Collection", "Member"}) {
                if (!instance.contains(role)) continue;
                ++references;
                EXPECT_EQ(1u, paths.count(instance[role].get<std::string>())) << instance[role];
            }
        }
    }
    EXPECT_EQ(2u * 73u, references);  // every association of the lab machine, both ends

    EXPECT_TRUE(report["instances"]["ORVA_LogicalDisk"][0]["DiskQuotaStatus"].is_number_unsigned());
    EXPECT_EQ(274877906944ull, report["instances"]["ORVA_DiskDrive"][0]["Size"].get<unsigned long long>());
    EXPECT_EQ("System (System)", report["instances"]["ORVA_LogicalDisk"][0]["OtherIdentifyingInfo"][0]);
}

TEST_F(LabFormats, MofReadsBackToTheSameInstancesAndPaths) {
    std::ostringstream out;
    WriteMofReport(out, *LabReport());
    std::vector<strata_test::MofInstance> read;
    ASSERT_NO_THROW(read = strata_test::ReadMofInstances(out.str()));
    ASSERT_EQ(InstanceCount(), read.size());

    std::set<std::string> keyed;
    std::size_t next = 0;
    for (const ClassResult& result : LabReport()->classes) {
        for (const InstanceRecord& instance : result.instances) {
            const strata_test::MofInstance& mof = read[next++];
            ASSERT_EQ(instance.className, mof.className);
            ASSERT_EQ(instance.properties.size(), mof.properties.size()) << mof.className;
            for (std::size_t i = 0; i < mof.properties.size(); ++i) {
                const NTELVA20::TCIMValue& value = instance.properties[i].second;
                const strata_test::MofValue& text = mof.properties[i].second;
                EXPECT_EQ(instance.properties[i].first, mof.properties[i].first);
                EXPECT_EQ(value.IsArray(), text.isArray) << mof.properties[i].first;
                if (value.IsArray()) {
                    ASSERT_EQ(value.GetElements().size(), text.elements.size());
                    for (std::size_t e = 0; e < text.elements.size(); ++e) {
                        EXPECT_EQ(value.GetElements()[e].ToString(), text.elements[e].text);
                    }
                } else {
                    EXPECT_EQ(value.ToString(), text.text) << mof.className << "." << mof.properties[i].first;
                }
            }
            keyed.insert(PathKey(instance.className, instance.path.GetKeys()));
        }
    }

    // Every reference is an object path to an instance declared in the MOF.
    std::size_t references = 0;
    for (const strata_test::MofInstance& instance : read) {
        for (const auto& property : instance.properties) {
            if (property.first != "Antecedent" && property.first != "Dependent" && property.first != "Collection" &&
                property.first != "Member") {
                continue;
            }
            ++references;
            const strata_test::ObjectPath path = strata_test::ParseObjectPath(property.second.text);
            EXPECT_EQ("root/strata", path.nameSpace);
            bool found = false;
            for (const ClassResult& result : LabReport()->classes) {
                if (!IsKindOf(path.className, result.className)) continue;
                found = found || keyed.count(PathKey(result.className, path.keys)) != 0;
            }
            EXPECT_TRUE(found) << property.second.text;
        }
    }
    EXPECT_EQ(2u * 73u, references);
}

TEST(ReportMofReader, RejectsWhatIsNotAnInstanceDeclaration) {
    EXPECT_THROW(strata_test::ReadMofInstances("instance of X { A = \"open; };"), std::runtime_error);
    EXPECT_THROW(strata_test::ReadMofInstances("class X { };"), std::runtime_error);
    const auto read = strata_test::ReadMofInstances("// c\ninstance of X\n{\n  A = {\"a\\\\b\", \"c\"};\n  B = 7;\n};\n");
    ASSERT_EQ(1u, read.size());
    EXPECT_EQ("a\\b", read[0].properties[0].second.elements[0].text);
    EXPECT_EQ("7", read[0].properties[1].second.text);
}

}  // namespace
