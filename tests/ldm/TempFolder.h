// A folder of its own under the system's temporary folder, removed at the end.
#ifndef STRATA_TESTS_LDM_TEMPFOLDER_H
#define STRATA_TESTS_LDM_TEMPFOLDER_H

#include <cstdlib>
#include <filesystem>
#include <string>

namespace strata_test {

class TempFolder {
public:
    TempFolder() {
        std::string pattern = (std::filesystem::temp_directory_path() / "strata-ldm-XXXXXX").string();
        if (mkdtemp(&pattern[0]) != nullptr) path_ = pattern;
    }
    ~TempFolder() {
        std::error_code ignored;
        if (!path_.empty()) std::filesystem::remove_all(path_, ignored);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::string& path() const { return path_; }
    std::string File(const std::string& name) const { return path_ + "/" + name; }

private:
    std::string path_;
};

}  // namespace strata_test

#endif
