// Finding the partitions of one disk by its private-header GUID.
#include "ldm/DiskDatabase.h"

#include <gtest/gtest.h>

using namespace strata_col;

namespace {

LDMDataBase TwoDisks() {
    LDMDataBase database;
    database.diskGuidByName["Disk1"] = "d17c2c046afc46c384b7cdc2f3956c5c";      // version 4
    database.diskGuidByName["Disk2"] = "C85A6CE4-EDB3-4DBC-A3B9-7FBA4B6E6F75";  // version 3
    database.partitions["0425"] = RecordMap{{"Name", "Disk1-01"}, {"Start", "00"}};
    database.partitions["0426"] = RecordMap{{"Name", "Disk1-02"}};
    database.partitions["0431"] = RecordMap{{"Name", "Disk2-01"}};
    database.partitionsByDiskName.insert({"Disk1", "0426"});
    database.partitionsByDiskName.insert({"Disk1", "0425"});
    database.partitionsByDiskName.insert({"Disk1", "0999"});  // record missing
    database.partitionsByDiskName.insert({"Disk2", "0431"});
    return database;
}

TEST(NormalizedGuid, KeepsHexDigitsInLowerCase) {
    EXPECT_EQ("d17c2c046afc46c384b7cdc2f3956c5c",
              NormalizedGuid("{D17C2C04-6AFC-46C3-84B7-CDC2F3956C5C}"));
    EXPECT_EQ("", NormalizedGuid("--xyz--"));
    EXPECT_EQ("", NormalizedGuid(""));
}

// A disk is found from its dashed private-header GUID whatever the record's
// version and letter case; a missing record gives an empty entry.
TEST(PartitionsOfDisk, FindsTheDiskOfAHeaderGuidAndNothingElse) {
    const DiskDatabase database(TwoDisks());
    const std::pair<const char*, std::vector<std::string>> cases[] = {
        {"d17c2c04-6afc-46c3-84b7-cdc2f3956c5c", {"0425", "0426", "0999"}},  // version 4
        {"c85a6ce4-edb3-4dbc-a3b9-7fba4b6e6f75", {"0431"}},                  // version 3
        {"", {}}, {"---", {}}, {"00000000-0000-0000-0000-000000000000", {}},
        {"d17c2c04", {}}};  // a prefix is no match
    for (const auto& c : cases) {
        std::vector<std::string> ids;
        for (const DiskPartitionRef& found : database.PartitionsOfDisk(c.first)) ids.push_back(*found.objectId);
        EXPECT_EQ(c.second, ids) << c.first;
    }
    const std::vector<DiskPartitionRef>& found = database.PartitionsOfDisk("d17c2c04-6afc-46c3-84b7-cdc2f3956c5c");
    ASSERT_EQ(3u, found.size());
    EXPECT_EQ("Disk1-02", found[1].record->at("Name"));
    EXPECT_TRUE(found[2].record->empty());
}

TEST(PartitionsOfDisk, LastMatchingNameWinsAndTheModelKeepsItsTexts) {
    LDMDataBase records = TwoDisks();
    records.diskGuidByName["Disk9"] = "D17C2C04-6AFC-46C3-84B7-CDC2F3956C5C";
    records.partitionsByDiskName.insert({"Disk9", "0431"});
    const DiskDatabase database(records);
    const std::vector<DiskPartitionRef>& found = database.PartitionsOfDisk("d17c2c04-6afc-46c3-84b7-cdc2f3956c5c");
    ASSERT_EQ(1u, found.size());
    EXPECT_EQ("0431", *found[0].objectId);
    EXPECT_EQ("D17C2C04-6AFC-46C3-84B7-CDC2F3956C5C", database.diskGuidByName.at("Disk9"));
}

}  // namespace
