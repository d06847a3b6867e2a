#pragma once
#include "platform/system/TemporaryFolder.h"

#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

// A fresh directory under the system's temporary directory, removed with everything in
// it when the test ends.
class TempDir {
  public:
    TempDir() {
        std::string pattern = (std::filesystem::temp_directory_path() / "marrowgast-XXXXXX").string();
        int error = 0;
        if (makeUniqueFolder(pattern, error))
            root = pattern;
    }
    ~TempDir() {
        std::error_code ignored;
        if (!root.empty())
            std::filesystem::remove_all(root, ignored);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    // Writes `bytes` exactly as given (no line-break translation) and returns the path.
    std::string write(const std::string& name, std::string_view bytes) const {
        const std::filesystem::path path = root / name;
        std::ofstream out(path, std::ios::binary);
        out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        return path.string();
    }
    std::string path(const std::string& name) const { return (root / name).string(); }

  private:
    std::filesystem::path root;
};
