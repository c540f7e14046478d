#include "emulator/program/image_files.h"

#include <fstream>
#include <iterator>

#include "engine/image_set.h"

namespace kt73b::emu {

bool ExpectedImages::Load(const std::string& dir, std::string& error) {
    builtIn_ = dir.empty();
    images_.clear();
    if (builtIn_) {
        return true;
    }
    for (const ImageSpec& entry : kImageSpecs) {
        const std::string path = dir + "/" + std::to_string(entry.id) + ".bin";
        std::ifstream file(path, std::ios::binary);
        if (!file) {
            error = "cannot read the expected image " + path;
            return false;
        }
        images_[entry.id].assign(std::istreambuf_iterator<char>(file),
                                 std::istreambuf_iterator<char>());
        if (file.bad()) {
            error = "cannot read the expected image " + path;
            return false;
        }
    }
    return true;
}

ImageSource ExpectedImages::Source() const {
    if (builtIn_) {
        return LookupImage;
    }
    return [this](std::uint32_t id) -> std::span<const std::uint8_t> {
        const auto found = images_.find(id);
        if (found == images_.end()) {
            return {};
        }
        return found->second;
    };
}

bool WriteFlashFile(const std::string& path, std::span<const std::uint8_t> flash,
                    std::string& error) {
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char*>(flash.data()),
               static_cast<std::streamsize>(flash.size()));
    file.close();
    if (!file) {
        error = "cannot write the flash to " + path;
        return false;
    }
    return true;
}

}  // namespace kt73b::emu
