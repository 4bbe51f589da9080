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

// Which classes exist and what they are keyed by, every report and its
// golden copy show; these are the relations a report does not spell out.
TEST(BuiltinSchema, DrivesAreMediaAccessDevicesAndNamesAreExact) {
    EXPECT_TRUE(Builtin().FindClass("ORVA_MediaAccessDevice")->isAbstract);
    for (const char* drive : {"ORVA_DiskDrive", "ORVA_CDROMDrive", "ORVA_DVDDrive", "ORVA_TapeDrive",
                              "ORVA_DisketteDrive"}) {
        EXPECT_TRUE(Builtin().IsSubclassOf(drive, "ORVA_MediaAccessDevice")) << drive;
    }
    EXPECT_FALSE(Builtin().IsSubclassOf("ORVA_LogicalDisk", "ORVA_MediaAccessDevice"));
    EXPECT_EQ(nullptr, Builtin().FindClass("orva_diskdrive"));
    EXPECT_EQ("ORVA_DynamicExtent", Builtin().FindClass("ORVA_DynamicExtentInDiskGroup")->FindProperty("Member")->referenceClass);
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
