#include "engine/image_set.h"

#include <cstdio>
#include <fstream>
#include <iterator>
#include <memory>
#include <vector>

#include "engine/chunk_crc.h"

namespace kt73b {

namespace {

ImageSet BuiltInImageSet() {
    ImageSet set;
    set.origin = BuiltInImageOrigin();
    set.folder = BuiltInImageFolder();
    for (std::size_t i = 0; i < kImageSpecs.size(); ++i) {
        set.images[i] = LookupBuiltInImage(kImageSpecs[i].id);
    }
    return set;
}

// Written once at start-up by UseImageSet, before any reader's thread exists; read-only after.
std::unique_ptr<const ImageSet>& ReplacedSet() {
    static std::unique_ptr<const ImageSet> set;
    return set;
}

// A standard CRC-32 (as zip and cksum -a crc32b print it): the chunk check value complemented.
std::uint32_t Crc32(std::span<const std::uint8_t> bytes) {
    return ChunkCrc(bytes.data(), bytes.size()) ^ 0xFFFFFFFFu;
}

const char* OriginText(ImageOrigin origin) {
    switch (origin) {
        case ImageOrigin::kPlaceholder:
            return "placeholder images built in: they are not firmware, and only the emulated "
                   "KT-73B can be updated with them";
        case ImageOrigin::kBuiltIn:
            return "real images built in, from";
        case ImageOrigin::kFolder:
            return "real images read from";
    }
    return "";
}

}  // namespace

const ImageSet& ActiveImageSet() {
    static const ImageSet builtIn = BuiltInImageSet();
    const std::unique_ptr<const ImageSet>& replaced = ReplacedSet();
    return replaced ? *replaced : builtIn;
}

std::span<const std::uint8_t> LookupImage(std::uint32_t id) {
    const ImageSet& set = ActiveImageSet();
    for (std::size_t i = 0; i < kImageSpecs.size(); ++i) {
        if (kImageSpecs[i].id == id) {
            return set.images[i];
        }
    }
    return {};
}

bool ReadImageFolder(const std::string& folder, ImageSet& set, std::string& error) {
    // Kept for the life of the process: the images are read in place like the built-in ones.
    static std::vector<std::unique_ptr<std::vector<std::uint8_t>>> storage;
    ImageSet read;
    read.origin = ImageOrigin::kFolder;
    read.folder = folder;
    for (std::size_t i = 0; i < kImageSpecs.size(); ++i) {
        const ImageSpec& image = kImageSpecs[i];
        const std::string path = folder + "/" + std::to_string(image.id) + ".bin";
        std::ifstream file(path, std::ios::binary);
        if (!file) {
            error = "the firmware image " + path + " is missing or cannot be read";
            return false;
        }
        auto bytes = std::make_unique<std::vector<std::uint8_t>>(
            std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
        if (file.bad()) {
            error = "the firmware image " + path + " cannot be read";
            return false;
        }
        if (bytes->size() != image.size) {
            error = "the firmware image " + path + " has " + std::to_string(bytes->size()) +
                    " bytes; it must have " + std::to_string(image.size);
            return false;
        }
        read.images[i] = *bytes;
        storage.push_back(std::move(bytes));
    }
    set = read;
    return true;
}

void UseImageSet(const ImageSet& set) {
    ReplacedSet() = std::make_unique<const ImageSet>(set);
}

std::string DescribeImageSet(const ImageSet& set) {
    std::string text = OriginText(set.origin);
    if (set.origin != ImageOrigin::kPlaceholder) {
        text += " " + set.folder;
    }
    text += "\n";
    for (std::size_t i = 0; i < kImageSpecs.size(); ++i) {
        char line[80];
        std::snprintf(line, sizeof line, "  image %u: %zu bytes, CRC-32 %08x\n",
                      static_cast<unsigned>(kImageSpecs[i].id), set.images[i].size(),
                      static_cast<unsigned>(Crc32(set.images[i])));
        text += line;
    }
    return text;
}

}  // namespace kt73b
