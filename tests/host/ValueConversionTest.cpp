// Strict conversion of texts to CIM values, arrays, and object paths.
#include "plugin/telva.h"

#include <gtest/gtest.h>

#include <set>

using NTELVA20::TCIMReference;
using NTELVA20::TCIMValue;
using NTELVA20::TTelvaException;
typedef TCIMValue::TCIMType TCIMType;

namespace {

TCIMValue Make(const char* type, const std::string& text) {
    return TCIMValue(TCIMType(type), text, boost::shared_ptr<NTELVA20::ICIMNamespace>());
}

std::string Canonical(const char* type, const std::string& text) { return Make(type, text).ToString(); }

TEST(ValueConversion, IntegersAcceptTheirWholeRange) {
    EXPECT_EQ("255", Canonical("uint8", "255"));
    EXPECT_EQ("-128", Canonical("sint8", "-128"));
    EXPECT_EQ("65535", Canonical("uint16", "65535"));
    EXPECT_EQ("-32768", Canonical("sint16", "-32768"));
    EXPECT_EQ("4294967295", Canonical("uint32", "4294967295"));
    EXPECT_EQ("-2147483648", Canonical("sint32", "-2147483648"));
    EXPECT_EQ("18446744073709551615", Canonical("uint64", "18446744073709551615"));
    EXPECT_EQ("-9223372036854775808", Canonical("sint64", "-9223372036854775808"));
    EXPECT_EQ("9223372036854775807", Canonical("sint64", "9223372036854775807"));
    EXPECT_EQ("7", Canonical("uint16", "007"));
    EXPECT_EQ("0", Canonical("sint32", "-0"));
}

TEST(ValueConversion, IntegersRefuseWhatIsNotAValueOfTheType) {
    const struct {
        const char* type;
        const char* text;
    } refused[] = {
        {"uint8", "256"},          {"sint8", "128"},         {"sint8", "-129"},
        {"uint16", "65536"},       {"uint32", "4294967296"}, {"sint32", "2147483648"},
        {"uint64", "18446744073709551616"}, {"sint64", "9223372036854775808"},
        {"sint64", "-9223372036854775809"},
        {"uint64", "99999999999999999999999"},
        {"uint32", "-1"},          {"uint64", "-0"},         {"uint16", ""},
        {"sint16", "-"},           {"uint32", "12a"},        {"uint32", "0x10"},
        {"uint32", " 1"},          {"uint32", "1 "},         {"uint32", "+1"},
        {"sint32", "1.0"},
    };
    for (const auto& item : refused) {
        EXPECT_THROW(Make(item.type, item.text), TTelvaException) << item.type << " " << item.text;
    }
}

TEST(ValueConversion, RefusalNamesTypeAndText) {
    try {
        Make("uint32", "-1");
        FAIL() << "no exception";
    } catch (const TTelvaException& error) {
        const std::string message = error.what();
        EXPECT_NE(std::string::npos, message.find("uint32")) << message;
        EXPECT_NE(std::string::npos, message.find("\"-1\"")) << message;
    }
}

TEST(ValueConversion, BooleansRealsDatetimesAndStrings) {
    EXPECT_EQ("true", Canonical("boolean", "true"));
    EXPECT_EQ("false", Canonical("boolean", "false"));
    for (const char* text : {"TRUE", "1", "", "yes", "false "}) {
        EXPECT_THROW(Make("boolean", text), TTelvaException) << text;
    }
    EXPECT_EQ("1.5e3", Canonical("real64", "1.5e3"));
    EXPECT_EQ("-.5", Canonical("real32", "-.5"));
    for (const char* text : {"", ".", "1e", "nan", "inf", "0x1p3", "1.0f", "1e999"}) {
        EXPECT_THROW(Make("real64", text), TTelvaException) << text;
    }
    EXPECT_THROW(Make("real32", "1e39"), TTelvaException);
    EXPECT_EQ("20240131120000.000000+060", Canonical("datetime", "20240131120000.000000+060"));
    EXPECT_EQ("00000001020304.000000:000", Canonical("datetime", "00000001020304.000000:000"));
    EXPECT_THROW(Make("datetime", "2024-01-31"), TTelvaException);
    EXPECT_EQ(" 07 ,x", Canonical("string", " 07 ,x"));
    EXPECT_EQ("", Canonical("string", ""));
    EXPECT_THROW(Make("reference", "root:X.A=\"1\""), TTelvaException);
}

TEST(ValueConversion, TypesByText) {
    for (const char* text : {"boolean", "uint8", "sint8", "uint16", "sint16", "uint32", "sint32",
                             "uint64", "sint64", "real32", "real64", "string", "datetime",
                             "reference"}) {
        EXPECT_EQ(text, TCIMType(text).ToString());
    }
    EXPECT_THROW(TCIMType("String"), TTelvaException);
    EXPECT_THROW(TCIMType("int"), TTelvaException);
}

TEST(ValueConversion, NullValueAndConversions) {
    TCIMValue null;
    EXPECT_TRUE(null.IsNull());
    EXPECT_THROW(null.ToString(), TTelvaException);
    EXPECT_THROW(static_cast<unsigned short>(null), TTelvaException);

    TCIMValue text(std::string("Disk 0"));
    EXPECT_FALSE(text.IsNull());
    EXPECT_EQ("Disk 0", static_cast<std::string>(text));
    EXPECT_EQ(TCIMType(TCIMType::kString), text.GetType());

    EXPECT_EQ(4, static_cast<unsigned short>(Make("uint16", "4")));
    EXPECT_EQ(65535, static_cast<unsigned short>(Make("uint64", "65535")));
    EXPECT_EQ(3, static_cast<unsigned short>(Make("sint8", "3")));
    EXPECT_THROW(static_cast<unsigned short>(Make("uint32", "65536")), TTelvaException);
    EXPECT_THROW(static_cast<unsigned short>(Make("sint32", "-1")), TTelvaException);
    EXPECT_THROW(static_cast<unsigned short>(text), TTelvaException);
    EXPECT_THROW(static_cast<unsigned short>(Make("boolean", "true")), TTelvaException);
}

TEST(ValueConversion, ToStringInOtherBases) {
    EXPECT_EQ("ff", Make("uint32", "255").ToString(16));
    EXPECT_EQ("-ff", Make("sint32", "-255").ToString(16));
    EXPECT_EQ("-8000000000000000", Make("sint64", "-9223372036854775808").ToString(16));
    EXPECT_EQ("101", Make("uint8", "5").ToString(2));
    EXPECT_EQ("0", Make("uint8", "0").ToString(16));
    EXPECT_EQ("ab", TCIMValue(std::string("ab")).ToString(16));
    EXPECT_THROW(Make("uint8", "5").ToString(1), TTelvaException);
    EXPECT_THROW(Make("uint8", "5").ToString(37), TTelvaException);
}

TEST(ValueConversion, ArraysHoldElementsOfOneType) {
    TCIMValue array;
    array.Set(TCIMType("string"), 256, {TCIMValue(std::string("label")), TCIMValue(std::string("C"))});
    EXPECT_TRUE(array.IsArray());
    EXPECT_FALSE(array.IsNull());
    EXPECT_EQ(TCIMType(TCIMType::kString), array.GetType());
    ASSERT_EQ(2u, array.GetElements().size());
    EXPECT_EQ("label,C", array.ToString());
    EXPECT_THROW(static_cast<unsigned short>(array), TTelvaException);

    TCIMValue empty;
    empty.Set(TCIMType("uint16"), 256, {});
    EXPECT_TRUE(empty.IsArray());
    EXPECT_FALSE(empty.IsNull());
    EXPECT_EQ("", empty.ToString());

    TCIMValue refused;
    EXPECT_THROW(refused.Set(TCIMType("uint16"), 256, {TCIMValue(std::string("1"))}), TTelvaException);
    EXPECT_THROW(refused.Set(TCIMType("string"), 256, {TCIMValue()}), TTelvaException);
    EXPECT_THROW(refused.Set(TCIMType("string"), 256, {array}), TTelvaException);
    EXPECT_THROW(refused.Set(TCIMType("string"), 0, {}), TTelvaException);
    EXPECT_TRUE(refused.IsNull());
}

TEST(ObjectPath, TextQuotesKeyValuesInNameOrder) {
    TCIMReference path("root/strata", "ORVA_LogicalDisk",
                       {{"DeviceID", "C:\\"}, {"CreationClassName", "ORVA_LogicalDisk"},
                        {"Label", "say \"hi\""}});
    EXPECT_EQ("root/strata:ORVA_LogicalDisk.CreationClassName=\"ORVA_LogicalDisk\","
              "DeviceID=\"C:\\\\\",Label=\"say \\\"hi\\\"\"",
              path.ToString());
    EXPECT_EQ(path.ToString(), TCIMValue(path).ToString());
    EXPECT_EQ("ORVA_X", TCIMReference("", "ORVA_X", {}).ToString());
}

TEST(ObjectPath, OrderIsTotalAndConsistentWithEquality) {
    const std::vector<TCIMReference> paths = {
        TCIMReference("root/a", "ORVA_DiskDrive", {{"DeviceID", "1"}}),
        TCIMReference("root/a", "ORVA_DiskDrive", {{"DeviceID", "2"}}),
        TCIMReference("root/a", "ORVA_DiskDrive", {{"DeviceID", "1"}, {"Name", "x"}}),
        TCIMReference("root/a", "ORVA_CDROMDrive", {{"DeviceID", "1"}}),
        TCIMReference("root/b", "ORVA_DiskDrive", {{"DeviceID", "1"}}),
        TCIMReference(),
    };
    for (const auto& a : paths) {
        for (const auto& b : paths) {
            const int relations = (a < b) + (b < a) + (a == b);
            EXPECT_EQ(1, relations) << a.ToString() << " vs " << b.ToString();
        }
    }
    std::set<TCIMReference> unique(paths.begin(), paths.end());
    unique.insert(TCIMReference("root/a", "ORVA_DiskDrive", {{"DeviceID", "1"}}));
    EXPECT_EQ(paths.size(), unique.size());
}

}  // namespace
