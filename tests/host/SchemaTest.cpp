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

std::string ParseError(const std::string& mof) {
    try {
        ParseMof(mof);
    } catch (const TTelvaException& error) {
        return error.what();
    }
    return "parsed";
}

TEST(BuiltinSchema, HasEveryClassTheHostAsksForWithItsKind) {
    const std::vector<std::pair<std::string, bool>> classes = {  // name, is an association
        {"ORVA_DiskDrive", false}, {"ORVA_CDROMDrive", false}, {"ORVA_DVDDrive", false},
        {"ORVA_TapeDrive", false}, {"ORVA_DisketteDrive", false}, {"ORVA_DiskPartition", false},
        {"ORVA_LogicalDisk", false}, {"ORVA_DynamicExtent", false}, {"ORVA_DynamicDiskGroup", false},
        {"ORVA_MediaPresent", true}, {"ORVA_PartitionPresent", true}, {"ORVA_LogicalDiskBasedOnPartition", true},
        {"ORVA_LogicalDiskBasedOnExtent", true}, {"ORVA_DynamicVolumeBasedOnExtent", true},
        {"ORVA_DynamicExtentBasedOn", true}, {"ORVA_DriveInDynamicDiskGroup", true},
        {"ORVA_DynamicExtentInDiskGroup", true}};
    for (const auto& [name, association] : classes) {
        ASSERT_NE(nullptr, Builtin().FindClass(name)) << name;
        EXPECT_EQ(association, Builtin().FindClass(name)->isAssociation) << name;
        EXPECT_EQ(name.find("Drive") != std::string::npos && !association,
                  Builtin().IsSubclassOf(name, "ORVA_MediaAccessDevice"))
            << name;
    }
    EXPECT_TRUE(Builtin().FindClass("ORVA_MediaAccessDevice")->isAbstract);
    EXPECT_EQ(nullptr, Builtin().FindClass("orva_diskdrive"));
    EXPECT_EQ("ORVA_DynamicExtent", Builtin().FindClass("ORVA_DynamicExtentInDiskGroup")->FindProperty("Member")->referenceClass);
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

// What the built-in schema does not use: pragmas, block comments, valued
// qualifiers, other types and array order after inheritance.
TEST(MofReader, ReadsWhatTheBuiltinSchemaDoesNotUse) {
    const Schema schema = ParseMof(R"(
        #pragma namespace("root/test")
        /* a base
           class */
        [Abstract, Description("all things")]
        class Base { [key] string ID; uint8 Level; };
        class Derived : Base { sint64 Offset[]; };  // an array
    )");
    EXPECT_EQ((std::vector<std::string>{"Base", "Derived"}), schema.ClassNames());
    const ClassDefinition& derived = *schema.FindClass("Derived");
    ASSERT_EQ(3u, derived.properties.size());
    EXPECT_EQ("ID", derived.properties[0].name);
    EXPECT_TRUE(derived.properties[2].isArray);
    EXPECT_EQ("sint64", derived.properties[2].type.ToString());
    EXPECT_TRUE(schema.FindClass("Base")->isAbstract);
    EXPECT_FALSE(schema.IsSubclassOf("Base", "Derived"));
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
