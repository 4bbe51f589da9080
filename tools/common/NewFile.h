// A file a tool writes into an output folder, made so that nothing else is
// touched: it is created exclusively under a temporary name beside its
// final one and put in place only when complete; no symbolic link inside the
// folder is followed, and a file that is already there stays unless the
// caller accepts replacing it. The folder itself is the user's choice and is
// followed as given.
#ifndef STRATA_TOOLS_NEWFILE_H
#define STRATA_TOOLS_NEWFILE_H

#include <boost/function.hpp>

#include <string>

namespace strata_tools {

// Says why the existing regular file at a path must stay; empty when it may
// be replaced.
typedef boost::function<std::string(const std::string& path)> ExistingFileRule;

// Refuses every existing file: "exists; it is not replaced".
std::string KeepEveryFile(const std::string& path);

class NewFile {
public:
    // `name` is a relative path inside `folder` (empty: the current folder);
    // missing subfolders are made.
    // Throws std::runtime_error naming the path when a part of it is a
    // symbolic link, when the file exists and `rule` keeps it (or it is not
    // a regular file), or when the temporary file cannot be created.
    NewFile(const std::string& folder, const std::string& name, const ExistingFileRule& rule = KeepEveryFile);
    // Removes the temporary file unless the new file was put in place.
    ~NewFile();
    NewFile(const NewFile&) = delete;
    NewFile& operator=(const NewFile&) = delete;

    const std::string& Path() const { return path_; }
    // Where to write the contents: an empty file this object created.
    const std::string& TemporaryPath() const { return temporary_; }

    // Puts the written file at Path(), checking the rule again; a file that
    // appeared there meanwhile is not replaced unless the rule accepts it.
    void Commit();

private:
    void CheckExisting() const;

    std::string path_;
    std::string temporary_;
    ExistingFileRule rule_;
    bool committed_ = false;
};

}  // namespace strata_tools

#endif
