// The built-in ORVA_ schema and the MOF reader behind it.
#include "host/core/MofParser.h"

#include <gtest/gtest.h>

using NTELVA20::TTelvaException;
using telva_host::ClassDefinition;
using telva_host::ParseMof;
using telva_host::PropertyDefinition;
using telva_host::Schema;

namespace {

const Schema& Builtin() { return Schema::Builtin(); }

std::string TypeOf(const std::string& className, const std::string& property) {
    const ClassDefinition* definition = Builtin().FindClass(className);
    if (definition == nullptr) return "no class";
    const PropertyDefinition* found = definition->FindProperty(property);
    if (found == nullptr) return "no property";
    if (!found->referenceClass.empty()) return found->referenceClass + " ref";
    return found->type.ToString() + (found->isArray ? "[]" : "");
}

std::string ParseError(const std::string& mof) {
    try {
        ParseMof(mof);
    } catch (const TTelvaException& error) {
        return error.what();
    }
    return "parsed";
}

const char* const kDriveClasses[] = {"ORVA_DiskDrive", "ORVA_CDROMDrive", "ORVA_DVDDrive",
                                     "ORVA_TapeDrive", "ORVA_DisketteDrive"};

TEST(BuiltinSchema, HasEveryClassTheHostAsksFor) {
    const char* const information[] = {"ORVA_DiskPartition", "ORVA_LogicalDisk",
                                       "ORVA_DynamicExtent", "ORVA_DynamicDiskGroup"};
    const char* const associations[] = {
        "ORVA_MediaPresent", "ORVA_PartitionPresent", "ORVA_LogicalDiskBasedOnPartition",
        "ORVA_LogicalDiskBasedOnExtent", "ORVA_DynamicVolumeBasedOnExtent",
        "ORVA_DynamicExtentBasedOn", "ORVA_DriveInDynamicDiskGroup", "ORVA_DynamicExtentInDiskGroup"};
    for (const char* name : kDriveClasses) {
        ASSERT_NE(nullptr, Builtin().FindClass(name)) << name;
        EXPECT_FALSE(Builtin().FindClass(name)->isAssociation) << name;
        EXPECT_TRUE(Builtin().IsSubclassOf(name, "ORVA_MediaAccessDevice")) << name;
    }
    for (const char* name : information) {
        ASSERT_NE(nullptr, Builtin().FindClass(name)) << name;
        EXPECT_FALSE(Builtin().FindClass(name)->isAssociation) << name;
    }
    for (const char* name : associations) {
        ASSERT_NE(nullptr, Builtin().FindClass(name)) << name;
        EXPECT_TRUE(Builtin().FindClass(name)->isAssociation) << name;
    }
    EXPECT_TRUE(Builtin().FindClass("ORVA_MediaAccessDevice")->isAbstract);
    EXPECT_EQ(nullptr, Builtin().FindClass("orva_diskdrive"));
}

TEST(BuiltinSchema, InformationClassesAreKeyedBySystemClassAndID) {
    for (const char* name : {"ORVA_DiskDrive", "ORVA_DiskPartition", "ORVA_LogicalDisk",
                             "ORVA_DynamicExtent", "ORVA_DynamicDiskGroup"}) {
        std::vector<std::string> keys;
        for (const PropertyDefinition& property : Builtin().FindClass(name)->properties) {
            if (property.isKey) keys.push_back(property.name);
        }
        const std::string id = std::string(name) == "ORVA_DynamicDiskGroup" ? "CollectionID" : "DeviceID";
        EXPECT_EQ((std::vector<std::string>{"SystemCreationClassName", "SystemName", "CreationClassName", id}),
                  keys)
            << name;
    }
}

TEST(BuiltinSchema, PropertyTypesFitThePluginsTexts) {
    EXPECT_EQ("uint64", TypeOf("ORVA_DiskDrive", "Size"));
    EXPECT_EQ("uint32", TypeOf("ORVA_CDROMDrive", "MediaType"));
    EXPECT_EQ("uint32", TypeOf("ORVA_DiskDrive", "DriveSignature"));
    EXPECT_EQ("uint16", TypeOf("ORVA_DiskDrive", "DiskStatus"));
    EXPECT_EQ("boolean", TypeOf("ORVA_DiskPartition", "FaultTolerant"));
    EXPECT_EQ("uint16", TypeOf("ORVA_DiskPartition", "PartitionType"));
    EXPECT_EQ("string", TypeOf("ORVA_DiskPartition", "PartitionSubType"));
    EXPECT_EQ("uint64", TypeOf("ORVA_DiskPartition", "StartingOffset"));
    EXPECT_EQ("string[]", TypeOf("ORVA_LogicalDisk", "OtherIdentifyingInfo"));
    EXPECT_EQ("uint32", TypeOf("ORVA_LogicalDisk", "SerialNumber"));
    EXPECT_EQ("uint64", TypeOf("ORVA_LogicalDisk", "TotalSpace"));
    EXPECT_EQ("string", TypeOf("ORVA_DynamicExtent", "PartitionType"));
    EXPECT_EQ("uint16", TypeOf("ORVA_DynamicExtent", "Access"));
    EXPECT_EQ("string", TypeOf("ORVA_DynamicDiskGroup", "DiskGroupID"));
    EXPECT_EQ("ORVA_MediaAccessDevice ref", TypeOf("ORVA_MediaPresent", "Antecedent"));
    EXPECT_EQ("ORVA_LogicalDisk ref", TypeOf("ORVA_DynamicVolumeBasedOnExtent", "Dependent"));
    EXPECT_EQ("ORVA_DynamicDiskGroup ref", TypeOf("ORVA_DriveInDynamicDiskGroup", "Collection"));
    EXPECT_EQ("ORVA_DynamicExtent ref", TypeOf("ORVA_DynamicExtentInDiskGroup", "Member"));
}

TEST(MofReader, ReadsInheritanceQualifiersArraysAndReferences) {
    const Schema schema = ParseMof(R"(
        #pragma namespace("root/test")
        /* a base
           class */
        [Abstract, Description("all things")]
        class Base { [key] string ID; uint8 Level; };
        class Derived : Base { sint64 Offset[]; };  // an array
        [ASSOCIATION] class Link { [Key] Base ref Left; [Key] Derived ref Right; };
    )");
    EXPECT_EQ((std::vector<std::string>{"Base", "Derived", "Link"}), schema.ClassNames());
    const ClassDefinition& derived = *schema.FindClass("Derived");
    ASSERT_EQ(3u, derived.properties.size());
    EXPECT_EQ("ID", derived.properties[0].name);
    EXPECT_TRUE(derived.properties[0].isKey);
    EXPECT_TRUE(derived.properties[2].isArray);
    EXPECT_EQ("sint64", derived.properties[2].type.ToString());
    EXPECT_FALSE(derived.isAbstract);
    EXPECT_TRUE(schema.FindClass("Base")->isAbstract);
    EXPECT_TRUE(schema.FindClass("Link")->isAssociation);
    EXPECT_EQ("Derived", schema.FindClass("Link")->FindProperty("Right")->referenceClass);
    EXPECT_TRUE(schema.IsSubclassOf("Derived", "Base"));
    EXPECT_FALSE(schema.IsSubclassOf("Base", "Derived"));
    EXPECT_FALSE(schema.IsSubclassOf("Nothing", "Base"));
}

TEST(MofReader, RefusesBrokenSchemasWithTheirLine) {
    const struct {
        const char* mof;
        const char* expected;
    } broken[] = {
        {"class A { [key] string ID; };\nclass A { [key] string ID; };", "line 2: class A is defined twice"},
        {"class B : Missing { [key] string ID; };", "unknown class Missing"},
        {"class A {\n [Kye] string ID; };", "line 2: unknown qualifier kye"},
        {"class A {\n [key] text ID; };", "line 2: unknown CIM type \"text\""},
        {"class A { [key] string ID }", "expected ';'"},
        {"class A { [key] string ID;", "class A is not closed"},
        {"class A { [key] string ID; string ID; };", "defines property ID twice"},
        {"class A { string Name; };", "class A has no key property"},
        {"class A { [key] string ID; };\nclass L { [key] A ref X; [key] A ref Y; };", "not an association"},
        {"class A { [key] string ID; };\n[Association] class L { [key] A ref X; };", "needs two references"},
        {"[Association] class L { [key] Nope ref X; [key] Nope ref Y; };", "unknown class Nope"},
        {"class A { [key] string ID; reference R; };", "write references as"},
        {"class A { [key] string \"ID\"; };", "expected a property name"},
        {"class A { [key] string ID; }; /* open", "unterminated comment"},
        {"class A { [Description(\"open)] string ID; };", "unterminated string"},
        {"class A { [key] string ID; }; @", "unexpected character '@'"},
        {"instance of A { };", "expected 'class'"},
    };
    for (const auto& item : broken) {
        const std::string message = ParseError(item.mof);
        EXPECT_NE(std::string::npos, message.find(item.expected)) << item.mof << "\n  gave: " << message;
        EXPECT_EQ(0u, message.find("schema line ")) << message;
    }
}

}  // namespace
