// A scratch folder under the user's temp folder for the Win32 tests, removed with all
// it holds (read-only files included) when the test ends. Names are UTF-8.
#pragma once

#include <string>

namespace kavrel::test {

class Win32TempFolder {
public:
    Win32TempFolder();
    ~Win32TempFolder();
    Win32TempFolder(const Win32TempFolder&) = delete;
    Win32TempFolder& operator=(const Win32TempFolder&) = delete;

    // The folder, ending with a backslash.
    const std::string& Path() const { return path_; }

    // `relative` below the folder; parents are created as needed.
    void AddFolder(const std::string& relative);
    void AddFile(const std::string& relative, const std::string& data = {});
    std::string ReadFile(const std::string& relative) const;

private:
    std::string path_;
};

}  // namespace kavrel::test
