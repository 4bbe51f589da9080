// Builds a dynamic-disk database in code, the way the reader files the
// records: numbers as lowercase hex texts, the two name indexes filled.
#ifndef STRATA_TESTS_SUPPORT_DATABASEBUILDER_H
#define STRATA_TESTS_SUPPORT_DATABASEBUILDER_H

#include "ldm/DiskDatabase.h"

#include <string>

namespace strata_test {

// A copy of the records with their lookups, as the reader files it.
strata_col::SharedDatabase Share(const strata_col::LDMDataBase& records);

class DatabaseBuilder {
public:
    DatabaseBuilder& Group(const std::string& id, const std::string& name,
                           const std::string& groupGuid = "group-guid");
    // A version-3 disk record: its DiskID is the GUID text.
    DatabaseBuilder& Disk(const std::string& id, const std::string& name, const std::string& guid);
    DatabaseBuilder& Volume(const std::string& id, const std::string& name,
                            const std::string& children, const std::string& sizeSectors,
                            const std::string& state = "ACTIVE",
                            const std::string& partitionType = "07");
    DatabaseBuilder& Component(const std::string& id, const std::string& volumeId,
                               const std::string& type, const std::string& children);
    // The partition is indexed under the name of its disk record.
    DatabaseBuilder& Partition(const std::string& id, const std::string& name,
                               const std::string& componentId, const std::string& diskId,
                               const std::string& startSectors, const std::string& sizeSectors);

    const strata_col::LDMDataBase& Get() const { return database_; }
    // The database as the collectors hold it.
    strata_col::SharedDatabase Shared() const { return Share(database_); }

private:
    strata_col::LDMDataBase database_;
};

}  // namespace strata_test

#endif
