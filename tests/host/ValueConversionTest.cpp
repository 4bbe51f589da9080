// Strict conversion of texts to CIM values, arrays, and object paths.
#include "plugin/telva.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <set>

using NTELVA20::TCIMReference;
using NTELVA20::TCIMValue;
using NTELVA20::TTelvaException;
using testing::AllOf;
using testing::HasSubstr;
typedef TCIMValue::TCIMType TCIMType;

namespace {

TCIMValue Make(const char* type, const std::string& text) {
    return TCIMValue(TCIMType(type), text, boost::shared_ptr<NTELVA20::ICIMNamespace>());
}

std::string Canonical(const char* type, const std::string& text) { return Make(type, text).ToString(); }

TEST(ValueConversion, TextsOfEachTypeAreTakenWholeOrRefused) {
    const struct {
        const char* type;
        const char* text;
        const char* canonical;  // nullptr: refused
    } cases[] = {
        {"uint8", "255", "255"}, {"sint8", "-128", "-128"}, {"uint16", "65535", "65535"},
        {"sint16", "-32768", "-32768"}, {"uint32", "4294967295", "4294967295"},
        {"sint32", "-2147483648", "-2147483648"}, {"uint64", "18446744073709551615", "18446744073709551615"},
        {"sint64", "-9223372036854775808", "-9223372036854775808"},
        {"sint64", "9223372036854775807", "9223372036854775807"}, {"uint16", "007", "7"}, {"sint32", "-0", "0"},
        {"uint8", "256", nullptr}, {"sint8", "128", nullptr}, {"sint8", "-129", nullptr},
        {"uint16", "65536", nullptr}, {"uint32", "4294967296", nullptr}, {"sint32", "2147483648", nullptr},
        {"uint64", "18446744073709551616", nullptr}, {"sint64", "9223372036854775808", nullptr},
        {"sint64", "-9223372036854775809", nullptr}, {"uint64", "99999999999999999999999", nullptr},
        {"uint32", "-1", nullptr}, {"uint64", "-0", nullptr}, {"uint16", "", nullptr}, {"sint16", "-", nullptr},
        {"uint32", "12a", nullptr}, {"uint32", "0x10", nullptr}, {"uint32", " 1", nullptr},
        {"uint32", "1 ", nullptr}, {"uint32", "+1", nullptr}, {"sint32", "1.0", nullptr},
        {"boolean", "true", "true"}, {"boolean", "false", "false"}, {"boolean", "TRUE", nullptr},
        {"boolean", "1", nullptr}, {"boolean", "", nullptr}, {"boolean", "false ", nullptr},
        {"real64", "1.5e3", "1.5e3"}, {"real32", "-.5", "-.5"}, {"real64", "", nullptr}, {"real64", ".", nullptr},
        {"real64", "1e", nullptr}, {"real64", "nan", nullptr}, {"real64", "inf", nullptr},
        {"real64", "0x1p3", nullptr}, {"real64", "1.0f", nullptr}, {"real64", "1e999", nullptr},
        {"real32", "1e39", nullptr},
        {"datetime", "20240131120000.000000+060", "20240131120000.000000+060"},
        {"datetime", "00000001020304.000000:000", "00000001020304.000000:000"}, {"datetime", "2024-01-31", nullptr},
        {"string", " 07 ,x", " 07 ,x"}, {"string", "", ""}, {"reference", "root:X.A=\"1\"", nullptr},
    };
    for (const auto& c : cases) {
        if (c.canonical) {
            EXPECT_EQ(c.canonical, Canonical(c.type, c.text)) << c.type << " " << c.text;
        } else {
            EXPECT_THROW(Make(c.type, c.text), TTelvaException) << c.type << " " << c.text;
        }
    }
    try {
        Make("uint32", "-1");
        FAIL() << "no exception";
    } catch (const TTelvaException& error) {
        EXPECT_THAT(error.what(), AllOf(HasSubstr("uint32"), HasSubstr("\"-1\"")));
    }
    EXPECT_THROW(TCIMType("String"), TTelvaException);
}

TEST(ValueConversion, NullValueAndConversions) {
    TCIMValue null;
    EXPECT_TRUE(null.IsNull());
    EXPECT_THROW(null.ToString(), TTelvaException);
    EXPECT_THROW((void)static_cast<unsigned short>(null), TTelvaException);

    TCIMValue text(std::string("Disk 0"));
    EXPECT_FALSE(text.IsNull());
    EXPECT_EQ("Disk 0", static_cast<std::string>(text));
    EXPECT_EQ(TCIMType(TCIMType::kString), text.GetType());

    EXPECT_EQ(4, static_cast<unsigned short>(Make("uint16", "4")));
    EXPECT_EQ(65535, static_cast<unsigned short>(Make("uint64", "65535")));
    EXPECT_EQ(3, static_cast<unsigned short>(Make("sint8", "3")));
    EXPECT_THROW((void)static_cast<unsigned short>(Make("uint32", "65536")), TTelvaException);
    EXPECT_THROW((void)static_cast<unsigned short>(Make("sint32", "-1")), TTelvaException);
    EXPECT_THROW((void)static_cast<unsigned short>(text), TTelvaException);
    EXPECT_THROW((void)static_cast<unsigned short>(Make("boolean", "true")), TTelvaException);
    EXPECT_EQ("-ff", Make("sint32", "-255").ToString(16));
    EXPECT_THROW(Make("uint8", "5").ToString(37), TTelvaException);
}

// Arrays of text are exercised by every report; these are the edges.
TEST(ValueConversion, ArraysHoldElementsOfOneType) {
    TCIMValue empty;
    empty.Set(TCIMType("uint16"), 256, {});
    EXPECT_TRUE(empty.IsArray());
    EXPECT_FALSE(empty.IsNull());
    EXPECT_EQ("", empty.ToString());
    EXPECT_THROW((void)static_cast<unsigned short>(empty), TTelvaException);

    TCIMValue refused;
    EXPECT_THROW(refused.Set(TCIMType("uint16"), 256, {TCIMValue(std::string("1"))}), TTelvaException);
    EXPECT_THROW(refused.Set(TCIMType("string"), 256, {TCIMValue()}), TTelvaException);
    EXPECT_THROW(refused.Set(TCIMType("uint16"), 256, {empty}), TTelvaException);
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
    EXPECT_TRUE(TCIMValue(path).IsReference());
    EXPECT_FALSE(TCIMValue(std::string("C:\\")).IsReference());
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
