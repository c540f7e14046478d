// A folder of a test's own under the system's temporary folder, removed with everything in it,
// the same made the current folder, and the reading back of a file a program wrote there.
#pragma once

#include <stdlib.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>

namespace kt73b::testing {

class TempDir {
  public:
    TempDir() {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "kt73b-test-XXXXXX").string();
        path_ = mkdtemp(pattern.data()) != nullptr ? pattern : std::string();
    }
    ~TempDir() {
        std::error_code ignored;
        if (!path_.empty()) {
            std::filesystem::remove_all(path_, ignored);
        }
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& Path() const { return path_; }

  private:
    std::string path_;
};

// A TempDir that is the current folder (where the updater keeps its log) and XDG_RUNTIME_DIR
// (its instance locks, apart from other copies on the machine) while it lives.
class ScratchFolder : public TempDir {
  public:
    ScratchFolder() {
        if (const char* runtime = std::getenv("XDG_RUNTIME_DIR")) {
            runtime_ = runtime;
        }
        std::filesystem::current_path(Path());
        setenv("XDG_RUNTIME_DIR", Path().c_str(), 1);
    }
    ~ScratchFolder() {
        std::filesystem::current_path(previous_);
        if (runtime_) {
            setenv("XDG_RUNTIME_DIR", runtime_->c_str(), 1);
        } else {
            unsetenv("XDG_RUNTIME_DIR");
        }
    }

  private:
    std::filesystem::path previous_ = std::filesystem::current_path();
    std::optional<std::string> runtime_;
};

inline bool Has(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

// The whole content of a file; empty when it cannot be read.
inline std::string ReadFile(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

}  // namespace kt73b::testing
