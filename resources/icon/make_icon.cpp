// Writes the application icon: as an .ico file for the Windows resource compiler, or as PNG files
// at every size it is drawn at, laid out as the desktop's hicolor icon theme wants them.
#include <cstdio>
#include <filesystem>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "resources/icon/ico_file.h"
#include "resources/icon/icon_art.h"
#include "resources/icon/png_file.h"

namespace {

int Usage(const char* program) {
    std::fprintf(stderr, "usage: %s OUTPUT.ico\n       %s --hicolor THEME_DIR NAME\n", program,
                 program);
    return 2;
}

int Write(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    std::FILE* out = std::fopen(path.c_str(), "wb");
    if (out == nullptr) {
        std::perror(path.c_str());
        return 1;
    }
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), out) == bytes.size();
    if (std::fclose(out) != 0 || !written) {
        std::fprintf(stderr, "%s: write failed\n", path.c_str());
        return 1;
    }
    return 0;
}

// THEME_DIR/SIZExSIZE/apps/NAME.png for each size.
int WriteTheme(const std::filesystem::path& theme, std::string_view name) {
    for (const int size : kt73b::res::kIconSizes) {
        const std::string sizeDir = std::to_string(size) + "x" + std::to_string(size);
        const std::filesystem::path folder = theme / sizeDir / "apps";
        std::error_code error;
        std::filesystem::create_directories(folder, error);
        if (error) {
            std::fprintf(stderr, "%s: %s\n", folder.c_str(), error.message().c_str());
            return 1;
        }
        const std::filesystem::path file = folder / (std::string(name) + ".png");
        if (const int status = Write(file.string(), kt73b::res::BuildPngFile(size)); status != 0) {
            return status;
        }
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 2) {
        return Write(argv[1], kt73b::res::BuildIcoFile());
    }
    if (argc == 4 && std::string_view(argv[1]) == "--hicolor") {
        return WriteTheme(argv[2], argv[3]);
    }
    return Usage(argv[0]);
}
