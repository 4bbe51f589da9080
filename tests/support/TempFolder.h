// A folder of its own under the system's temporary folder, removed with its
// contents when the object ends.
#ifndef STRATA_TESTS_SUPPORT_TEMPFOLDER_H
#define STRATA_TESTS_SUPPORT_TEMPFOLDER_H

#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <string>

namespace strata_test {

class TempFolder {
public:
    TempFolder() {
        std::string pattern = (std::filesystem::temp_directory_path() / "strata-test-XXXXXX").string();
        if (mkdtemp(&pattern[0]) == nullptr) throw std::runtime_error("cannot make a temporary folder");
        path_ = pattern;
    }
    ~TempFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
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
