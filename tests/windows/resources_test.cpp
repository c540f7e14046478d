// The resources Updater.exe carries, read back through the system's resource calls and compared
// with the sources the Linux build reads too: dialog templates and strings (resources/ui/*.def),
// icon 128 (resources/icon), the firmware images, the version fields; and the manifest.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <span>
#include <string>
#include <string_view>

#include "engine/image_set.h"
#include "platform/ui/win32/windows_api.h"
#include "resources/icon/ico_file.h"
#include "resources/ui/ui_resources.h"
#include "resources/windows/version_info.h"

namespace kt73b::testing {
namespace {

const char* const kBinType = "BIN";

// Reads an extended dialog template field by field, little-endian; a read past the end throws,
// which fails the test.
class TemplateCursor {
  public:
    explicit TemplateCursor(std::span<const std::uint8_t> bytes)
        : bytes_(bytes.begin(), bytes.end()) {}

    unsigned U16() {
        const unsigned value = bytes_.at(at_) | bytes_.at(at_ + 1) << 8;
        at_ += 2;
        return value;
    }
    std::uint32_t U32() {
        const std::uint32_t low = U16();
        return low | static_cast<std::uint32_t>(U16()) << 16;
    }
    int Coordinate() { return static_cast<std::int16_t>(U16()); }
    // x, y, width and height, in the order a braced list reads them.
    std::array<int, 4> Box() { return {Coordinate(), Coordinate(), Coordinate(), Coordinate()}; }
    // The shared texts are ASCII; anything else reads as '?', so that it cannot compare equal.
    std::string Text() {
        std::string text;
        for (unsigned c = U16(); c != 0; c = U16()) {
            text.push_back(c < 0x80 ? static_cast<char>(c) : '?');
        }
        return text;
    }
    // A class or text field: a name, or 0xFFFF and a number ("#number" here).
    std::string NameOrNumber() {
        if (bytes_.at(at_) != 0xFF || bytes_.at(at_ + 1) != 0xFF) {
            return Text();
        }
        U16();
        return "#" + std::to_string(U16());
    }
    void Skip(std::size_t count) { at_ += count; }
    void AlignToFour() { at_ = (at_ + 3) & ~std::size_t{3}; }

  private:
    std::vector<std::uint8_t> bytes_;
    std::size_t at_ = 0;
};

// The bytes of resource `name` of `type`, found as the program finds it; empty when there is none.
std::span<const std::uint8_t> ResourceBytes(HMODULE module, LPCSTR type, LPCSTR name) {
    HRSRC found = FindResourceA(module, name, type);
    HGLOBAL loaded = found != nullptr ? LoadResource(module, found) : nullptr;
    const void* bytes = loaded != nullptr ? LockResource(loaded) : nullptr;
    if (bytes == nullptr) {
        return {};
    }
    return {static_cast<const std::uint8_t*>(bytes), SizeofResource(module, found)};
}

// Window class names are not case-sensitive; predefined classes may be stored as ordinals.
std::string ClassNameOf(std::string name) {
    static constexpr const char* kPredefined[] = {"BUTTON",  "EDIT",      "STATIC",
                                                  "LISTBOX", "SCROLLBAR", "COMBOBOX"};
    // Compared without building "#" + number: GCC 12 at -O3 reports a false -Wrestrict there.
    for (int ordinal = 0x80; ordinal <= 0x85; ++ordinal) {
        if (name.starts_with('#') && std::string_view(name).substr(1) == std::to_string(ordinal)) {
            name = kPredefined[ordinal - 0x80];
        }
    }
    std::transform(name.begin(), name.end(), name.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return name;
}

std::vector<std::uint8_t> FileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class UpdaterExeResources : public ::testing::Test {
  protected:
    void SetUp() override {
        module_ = LoadLibraryExA(path_.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
        ASSERT_NE(module_, nullptr) << path_ << ": error " << GetLastError();
    }
    void TearDown() override {
        if (module_ != nullptr) {
            FreeLibrary(module_);
        }
    }

    std::span<const std::uint8_t> Bytes(LPCSTR type, int id) const {
        return ResourceBytes(module_, type, MAKEINTRESOURCEA(id));
    }

    // A path of the build machine: Wine maps it onto the drive of the current folder.
    const std::string path_ = KT73B_UPDATER_EXE;
    HMODULE module_ = nullptr;
};

TEST_F(UpdaterExeResources, DialogTemplates_AreTheSharedLayouts) {
    for (int id : {IDD_UPDATER_DIALOG, IDD_ABOUTBOX}) {
        SCOPED_TRACE("dialog " + std::to_string(id));
        const res::DialogTemplate& want = *res::FindDialogTemplate(id);
        TemplateCursor in(Bytes(RT_DIALOG, id));
        ASSERT_EQ(in.U32(), 0xFFFF0001u);  // version 1 of the extended layout
        in.Skip(4);                        // help id
        EXPECT_EQ(in.U32(), want.extendedStyle);
        const std::uint32_t style = in.U32();
        EXPECT_EQ(style, want.style);
        ASSERT_EQ(in.U16(), want.controls.size());
        EXPECT_EQ(in.Box(), (std::array{want.x, want.y, want.width, want.height}));
        in.NameOrNumber();  // menu
        in.NameOrNumber();  // window class
        EXPECT_EQ(in.Text(), want.caption);
        if ((style & DS_SETFONT) != 0) {
            EXPECT_EQ(in.U16(), static_cast<unsigned>(want.fontPoints));
            in.Skip(4);  // weight, italic, character set
            EXPECT_EQ(in.Text(), want.fontName);
        }
        for (const res::ControlTemplate& control : want.controls) {
            SCOPED_TRACE("control " + std::to_string(control.id));
            in.AlignToFour();
            in.Skip(8);  // help id, extended style
            EXPECT_EQ(in.U32(), control.style);
            EXPECT_EQ(in.Box(), (std::array{control.x, control.y, control.width, control.height}));
            EXPECT_EQ(static_cast<std::int32_t>(in.U32()), control.id);
            EXPECT_EQ(ClassNameOf(in.NameOrNumber()), ClassNameOf(std::string(control.className)));
            // An icon static names its icon by number, every other control carries its text.
            EXPECT_EQ(in.NameOrNumber(), control.iconId != 0 ? "#" + std::to_string(control.iconId)
                                                             : std::string(control.text));
            in.Skip(in.U16());  // creation data
        }
    }
}

TEST_F(UpdaterExeResources, Strings_LoadThroughTheSystemCallAsTheSharedTable) {
    char text[256];
    for (int id = 101; id <= 115; ++id) {
        const int length = LoadStringA(module_, static_cast<UINT>(id), text, sizeof text);
        EXPECT_EQ(std::string(text, static_cast<std::size_t>(length)), res::LoadString(id))
            << "string " << id;
    }
}

// An icon group is the .ico file's directory with each image's offset replaced by its icon id.
TEST_F(UpdaterExeResources, Icon128_HoldsEveryImageOfTheSharedIcoFile) {
    const std::vector<std::uint8_t> ico = res::BuildIcoFile();
    auto u32 = [&](std::size_t at) {
        return static_cast<std::size_t>(ico.at(at) | ico.at(at + 1) << 8 | ico.at(at + 2) << 16 |
                                        ico.at(at + 3) << 24);
    };
    const std::size_t count = static_cast<std::size_t>(ico.at(4) | ico.at(5) << 8);
    const auto group = Bytes(RT_GROUP_ICON, IDR_MAINFRAME);
    ASSERT_EQ(group.size(), 6 + 14 * count);
    EXPECT_TRUE(std::equal(group.begin(), group.begin() + 6, ico.begin()));
    for (std::size_t i = 0; i < count; ++i) {
        SCOPED_TRACE("icon image " + std::to_string(i));
        const auto entry = group.subspan(6 + 14 * i, 14);
        const std::size_t file = 6 + 16 * i;
        // Width, height, colours, planes, bits per pixel and size as the file's directory says.
        EXPECT_TRUE(std::equal(entry.begin(), entry.begin() + 12, ico.begin() + file));
        const auto bytes = Bytes(RT_ICON, entry[12] | entry[13] << 8);
        const auto image = ico.begin() + static_cast<std::ptrdiff_t>(u32(file + 12));
        EXPECT_TRUE(std::equal(bytes.begin(), bytes.end(), image,
                               image + static_cast<std::ptrdiff_t>(u32(file + 8))));
    }
}

// The fields come from the list the resource script writes them from; what can differ is the
// language, code page and block name written by hand there.
TEST_F(UpdaterExeResources, Version_CarriesTheSharedLanguageAndFields) {
    std::vector<char> info(GetFileVersionInfoSizeA(path_.c_str(), nullptr));
    ASSERT_FALSE(info.empty());
    ASSERT_TRUE(
        GetFileVersionInfoA(path_.c_str(), 0, static_cast<DWORD>(info.size()), info.data()));
    void* value = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueA(info.data(), "\\VarFileInfo\\Translation", &value, &length));
    ASSERT_EQ(length, 4u);
    const auto* translation = static_cast<const WORD*>(value);
    EXPECT_EQ(translation[0], KT73B_VERSION_LANGUAGE);
    EXPECT_EQ(translation[1], KT73B_VERSION_CODE_PAGE);

    char query[64];
    std::snprintf(query, sizeof query, "\\StringFileInfo\\%04x%04x\\OriginalFilename",
                  KT73B_VERSION_LANGUAGE, KT73B_VERSION_CODE_PAGE);
    ASSERT_TRUE(VerQueryValueA(info.data(), query, &value, &length)) << query;
    EXPECT_STREQ(static_cast<const char*>(value), "Updater.exe");
}

// Without asInvoker, Windows asks for administrator rights for a program named like an updater.
TEST_F(UpdaterExeResources, Manifest_RunsAsInvokerWithoutACommonControlsDependency) {
    const auto bytes = Bytes(RT_MANIFEST, 1);
    const std::string manifest(bytes.begin(), bytes.end());
    EXPECT_NE(manifest.find("<requestedExecutionLevel level=\"asInvoker\""), std::string::npos)
        << manifest;
    EXPECT_EQ(manifest.find("dependency"), std::string::npos);
}

// The firmware files in Updater.exe, and the lookup the update uses finding them in place in the
// running program (this one carries the same resources).
TEST_F(UpdaterExeResources, Images_AreTheFirmwareFilesAndTheLookupFindsThemInPlace) {
    for (const ImageSpec& image : kImageSpecs) {
        SCOPED_TRACE("image " + std::to_string(image.id));
        const auto file =
            FileBytes(std::string(KT73B_IMAGE_DIR) + "/" + std::to_string(image.id) + ".bin");
        EXPECT_EQ(Bytes(kBinType, image.id).size(), image.size);
        const auto found = LookupImage(image.id);
        EXPECT_EQ(
            found.data(),
            ResourceBytes(GetModuleHandleA(nullptr), kBinType, MAKEINTRESOURCEA(image.id)).data());
        EXPECT_TRUE(std::equal(found.begin(), found.end(), file.begin(), file.end()));
    }
    EXPECT_TRUE(LookupImage(130).empty());
    EXPECT_TRUE(LookupImage(0).empty());
}

}  // namespace
}  // namespace kt73b::testing
