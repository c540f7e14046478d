// The resources Updater.exe carries, read back through the system's resource calls and compared
// with the sources the Linux build reads too: dialog templates and strings (resources/ui/*.def),
// icon 128 (resources/icon), the firmware images, the version fields; and the manifest.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <optional>
#include <span>
#include <string>

#include "engine/image_set.h"
#include "platform/ui/win32/windows_api.h"
#include "resources/icon/ico_file.h"
#include "resources/ui/ui_resources.h"
#include "resources/windows/version_info.h"

namespace kt73b::testing {
namespace {

const char* const kBinType = "BIN";

// Extended dialog templates, read as the system lays them out; every read is bounded by the
// resource's size.

// A name or an id, as templates store their class and text fields.
struct NameOrOrdinal {
    std::string name;
    int ordinal = -1;  // >= 0 when the field holds a number
};

struct ControlResource {
    std::uint32_t style;
    int x, y, width, height;
    std::int32_t id;
    NameOrOrdinal className;
    NameOrOrdinal text;
};

struct DialogResource {
    std::uint32_t extendedStyle, style;
    int x, y, width, height;
    std::string caption;
    int fontPoints = 0;
    std::string fontName;
    std::vector<ControlResource> controls;
};

// Reads little-endian fields from a resource; once a read would pass the end, every later read
// fails and the reader reports it.
class Reader {
  public:
    explicit Reader(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}

    bool ok() const { return ok_; }

    template <class T>
    T Read() {
        T value{};
        if (Take(sizeof value))
            std::memcpy(&value, bytes_.data() + offset_ - sizeof value, sizeof value);
        return value;
    }

    // The shared texts are ASCII; anything else reads as '?', so that it cannot compare equal.
    std::string ReadWideString() {
        std::string text;
        for (char16_t c = Read<char16_t>(); ok_ && c != 0; c = Read<char16_t>())
            text.push_back(c < 0x80 ? static_cast<char>(c) : '?');
        return text;
    }

    NameOrOrdinal ReadNameOrOrdinal() {
        NameOrOrdinal field;
        if (Peek16() == 0xFFFF) {
            Read<std::uint16_t>();
            field.ordinal = Read<std::uint16_t>();
        } else {
            field.name = ReadWideString();
        }
        return field;
    }

    void AlignTo(std::size_t boundary) { Take((boundary - offset_ % boundary) % boundary); }

    void Skip(std::size_t count) { Take(count); }

  private:
    bool Take(std::size_t count) {
        if (!ok_ || count > bytes_.size() - offset_) {
            ok_ = false;
            return false;
        }
        offset_ += count;
        return true;
    }

    std::uint16_t Peek16() const {
        if (!ok_ || bytes_.size() - offset_ < 2)
            return 0;
        return static_cast<std::uint16_t>(bytes_[offset_] | bytes_[offset_ + 1] << 8);
    }

    std::span<const std::uint8_t> bytes_;
    std::size_t offset_ = 0;
    bool ok_ = true;
};

ControlResource ReadControl(Reader& in) {
    in.AlignTo(4);
    ControlResource control{};
    in.Skip(8);  // help id, extended style
    control.style = in.Read<std::uint32_t>();
    control.x = in.Read<std::int16_t>();
    control.y = in.Read<std::int16_t>();
    control.width = in.Read<std::int16_t>();
    control.height = in.Read<std::int16_t>();
    control.id = in.Read<std::int32_t>();
    control.className = in.ReadNameOrOrdinal();
    control.text = in.ReadNameOrOrdinal();
    in.Skip(in.Read<std::uint16_t>());  // creation data
    return control;
}

constexpr DWORD kSetFont = 0x40;  // DS_SETFONT: the template carries a font
constexpr std::uint16_t kExtendedSignature = 0xFFFF;

// The bytes of resource `name` of `type`, found as the program finds it; empty when there is none.
std::span<const std::uint8_t> ResourceBytes(HMODULE module, LPCSTR type, LPCSTR name) {
    HRSRC found = FindResourceA(module, name, type);
    HGLOBAL loaded = found != nullptr ? LoadResource(module, found) : nullptr;
    const void* bytes = loaded != nullptr ? LockResource(loaded) : nullptr;
    if (bytes == nullptr)
        return {};
    return {static_cast<const std::uint8_t*>(bytes), SizeofResource(module, found)};
}

std::optional<DialogResource> ReadDialog(std::span<const std::uint8_t> bytes) {
    Reader in(bytes);
    DialogResource dialog{};
    const auto version = in.Read<std::uint16_t>();
    if (version != 1 || in.Read<std::uint16_t>() != kExtendedSignature)
        return std::nullopt;
    in.Skip(4);  // help id
    dialog.extendedStyle = in.Read<std::uint32_t>();
    dialog.style = in.Read<std::uint32_t>();
    const auto controlCount = in.Read<std::uint16_t>();
    dialog.x = in.Read<std::int16_t>();
    dialog.y = in.Read<std::int16_t>();
    dialog.width = in.Read<std::int16_t>();
    dialog.height = in.Read<std::int16_t>();
    in.ReadNameOrOrdinal();  // menu
    in.ReadNameOrOrdinal();  // window class
    dialog.caption = in.ReadWideString();
    if ((dialog.style & kSetFont) != 0) {
        dialog.fontPoints = in.Read<std::uint16_t>();
        in.Skip(4);  // weight, italic, character set
        dialog.fontName = in.ReadWideString();
    }
    for (int i = 0; i < controlCount && in.ok(); ++i)
        dialog.controls.push_back(ReadControl(in));
    if (!in.ok())
        return std::nullopt;
    return dialog;
}

// Window class names are not case-sensitive; predefined classes may be stored as ordinals.
std::string ClassNameOf(const NameOrOrdinal& field) {
    static constexpr const char* kPredefined[] = {"BUTTON",  "EDIT",      "STATIC",
                                                  "LISTBOX", "SCROLLBAR", "COMBOBOX"};
    std::string name = field.name;
    if (field.ordinal >= 0x80 && field.ordinal <= 0x85)
        name = kPredefined[field.ordinal - 0x80];
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
        if (module_ != nullptr)
            FreeLibrary(module_);
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
        const auto actual = ReadDialog(Bytes(RT_DIALOG, id));
        ASSERT_TRUE(actual.has_value());
        const res::DialogTemplate& expected = *res::FindDialogTemplate(id);
        EXPECT_EQ(actual->style, expected.style);
        EXPECT_EQ(actual->extendedStyle, expected.extendedStyle);
        EXPECT_EQ(actual->x, expected.x);
        EXPECT_EQ(actual->y, expected.y);
        EXPECT_EQ(actual->width, expected.width);
        EXPECT_EQ(actual->height, expected.height);
        EXPECT_EQ(actual->caption, expected.caption);
        EXPECT_EQ(actual->fontName, expected.fontName);
        EXPECT_EQ(actual->fontPoints, expected.fontPoints);
        ASSERT_EQ(actual->controls.size(), expected.controls.size());
        for (std::size_t i = 0; i < expected.controls.size(); ++i) {
            SCOPED_TRACE("control " + std::to_string(i + 1));
            const ControlResource& control = actual->controls[i];
            const res::ControlTemplate& want = expected.controls[i];
            EXPECT_EQ(control.id, want.id);
            EXPECT_EQ(ClassNameOf(control.className), ClassNameOf({std::string(want.className)}));
            EXPECT_EQ(control.style, want.style);
            EXPECT_EQ(control.x, want.x);
            EXPECT_EQ(control.y, want.y);
            EXPECT_EQ(control.width, want.width);
            EXPECT_EQ(control.height, want.height);
            // An icon static names its icon by number, every other control carries its text.
            EXPECT_EQ(control.text.ordinal, want.iconId != 0 ? want.iconId : -1);
            EXPECT_EQ(control.text.name, want.text);
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

TEST_F(UpdaterExeResources, Images_AreTheFirmwareFiles) {
    for (const ImageSpec& image : kImageSpecs) {
        SCOPED_TRACE("image " + std::to_string(image.id));
        const auto bytes = ResourceBytes(module_, kBinType, MAKEINTRESOURCEA(image.id));
        ASSERT_EQ(bytes.size(), image.size);
        const auto file =
            FileBytes(std::string(KT73B_IMAGE_DIR) + "/" + std::to_string(image.id) + ".bin");
        EXPECT_TRUE(std::equal(bytes.begin(), bytes.end(), file.begin(), file.end()));
    }
}

TEST_F(UpdaterExeResources, Version_CarriesTheSharedNumbersLanguageAndFields) {
    std::vector<char> info(GetFileVersionInfoSizeA(path_.c_str(), nullptr));
    ASSERT_FALSE(info.empty());
    ASSERT_TRUE(
        GetFileVersionInfoA(path_.c_str(), 0, static_cast<DWORD>(info.size()), info.data()));
    void* value = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueA(info.data(), "\\", &value, &length));
    const auto* fixed = static_cast<const VS_FIXEDFILEINFO*>(value);
    constexpr DWORD kNumbers[] = {KT73B_VERSION_NUMBERS};
    EXPECT_EQ(fixed->dwFileVersionMS, kNumbers[0] << 16 | kNumbers[1]);
    EXPECT_EQ(fixed->dwFileVersionLS, kNumbers[2] << 16 | kNumbers[3]);
    EXPECT_EQ(fixed->dwProductVersionMS, fixed->dwFileVersionMS);
    EXPECT_EQ(fixed->dwProductVersionLS, fixed->dwFileVersionLS);

    ASSERT_TRUE(VerQueryValueA(info.data(), "\\VarFileInfo\\Translation", &value, &length));
    ASSERT_EQ(length, 4u);
    const auto* translation = static_cast<const WORD*>(value);
    EXPECT_EQ(translation[0], KT73B_VERSION_LANGUAGE);
    EXPECT_EQ(translation[1], KT73B_VERSION_CODE_PAGE);

    char block[32];
    std::snprintf(block, sizeof block, "\\StringFileInfo\\%04x%04x\\", KT73B_VERSION_LANGUAGE,
                  KT73B_VERSION_CODE_PAGE);
    struct Field {
        const char* name;
        const char* value;
    };
    static constexpr Field kFields[] = {
#define KT73B_VERSION_FIELD(name, value) {name, value},
#include "resources/windows/version_fields.def"
#undef KT73B_VERSION_FIELD
    };
    for (const Field& field : kFields) {
        const std::string query = block + std::string(field.name);
        ASSERT_TRUE(VerQueryValueA(info.data(), query.c_str(), &value, &length)) << query;
        EXPECT_STREQ(static_cast<const char*>(value), field.value) << query;
    }
}

// Without asInvoker, Windows asks for administrator rights for a program named like an updater.
TEST_F(UpdaterExeResources, Manifest_RunsAsInvokerWithoutACommonControlsDependency) {
    const auto bytes = Bytes(RT_MANIFEST, 1);
    const std::string manifest(bytes.begin(), bytes.end());
    EXPECT_NE(manifest.find("<requestedExecutionLevel level=\"asInvoker\""), std::string::npos)
        << manifest;
    EXPECT_EQ(manifest.find("dependency"), std::string::npos);
}

// The image lookup the update uses finds the same bytes in place in the running program.
TEST(ImageLookup, FindsEachImageInPlaceAndNothingElse) {
    for (const ImageSpec& image : kImageSpecs) {
        const auto found = LookupImage(image.id);
        const auto resource =
            ResourceBytes(GetModuleHandleA(nullptr), kBinType, MAKEINTRESOURCEA(image.id));
        EXPECT_EQ(found.data(), resource.data()) << image.id;
        EXPECT_EQ(found.size(), image.size) << image.id;
    }
    EXPECT_TRUE(LookupImage(130).empty());
    EXPECT_TRUE(LookupImage(0).empty());
}

}  // namespace
}  // namespace kt73b::testing
