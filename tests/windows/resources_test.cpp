// The resources a Windows program of ours carries, read back through the system's resource
// calls and compared with the sources the Linux build reads too: dialog templates and strings
// (resources/ui/*.def), icon 128 (resources/icon), the firmware images, the version fields and
// the manifest. Checked in this test program and in Updater.exe, loaded as a data file.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <fstream>
#include <iterator>
#include <set>
#include <string>

#include "engine/image_set.h"
#include "resources/icon/ico_file.h"
#include "resources/ui/ui_resources.h"
#include "resources/windows/version_info.h"
#include "tests/windows/resource_reader.h"

namespace kt73b::testing {
namespace {

constexpr WORD kEnglishUs = MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US);
constexpr WORD kJapanese = MAKELANGID(LANG_JAPANESE, SUBLANG_DEFAULT);
constexpr int kFirstString = 101;
constexpr int kLastString = 115;
const char* const kBinType = "BIN";

struct VersionField {
    const char* name;
    const char* value;
};
constexpr VersionField kVersionFields[] = {
#define KT73B_VERSION_FIELD(name, value) {name, value},
#include "resources/windows/version_fields.def"
#undef KT73B_VERSION_FIELD
};

std::string Upper(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return text;
}

// Window class names are not case-sensitive; predefined classes may be stored as ordinals.
std::string ClassNameOf(const NameOrOrdinal& field) {
    return Upper(field.ordinal >= 0 ? PredefinedClassName(field.ordinal) : field.name);
}

std::vector<std::uint8_t> FileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Each image of an .ico file: its directory entry and its bytes.
struct IcoImage {
    int width, height, bitCount;
    std::vector<std::uint8_t> bytes;
};

std::vector<IcoImage> ImagesOf(const std::vector<std::uint8_t>& ico) {
    auto u16 = [&](std::size_t at) { return ico.at(at) | ico.at(at + 1) << 8; };
    auto u32 = [&](std::size_t at) {
        return static_cast<std::uint32_t>(u16(at)) | static_cast<std::uint32_t>(u16(at + 2)) << 16;
    };
    std::vector<IcoImage> images;
    for (int i = 0; i < u16(4); ++i) {
        const std::size_t entry = 6 + 16 * static_cast<std::size_t>(i);
        const auto size = u32(entry + 8);
        const auto offset = u32(entry + 12);
        const int width = ico.at(entry) == 0 ? 256 : ico.at(entry);
        const int height = ico.at(entry + 1) == 0 ? 256 : ico.at(entry + 1);
        images.push_back(
            {width, height, u16(entry + 6), {ico.begin() + offset, ico.begin() + offset + size}});
    }
    return images;
}

enum class Module { kThisProgram, kUpdaterExe };

class ResourcesTest : public ::testing::TestWithParam<Module> {
  protected:
    void SetUp() override {
        if (GetParam() == Module::kThisProgram) {
            module_ = GetModuleHandleA(nullptr);
            char path[MAX_PATH] = {};
            path_.assign(path, GetModuleFileNameA(nullptr, path, MAX_PATH));
        } else {
            // A path of the build machine: Wine maps it onto the drive of the current folder.
            path_ = KT73B_UPDATER_EXE;
            module_ = LoadLibraryExA(path_.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
            ASSERT_NE(module_, nullptr) << path_ << ": error " << GetLastError();
            loaded_ = true;
        }
    }
    void TearDown() override {
        if (loaded_)
            FreeLibrary(module_);
    }

    std::optional<DialogResource> Dialog(int id) const {
        return ReadDialog(
            ResourceBytes(module_, MAKEINTRESOURCEA(5), MAKEINTRESOURCEA(id), kEnglishUs));
    }

    HMODULE module_ = nullptr;
    std::string path_;
    bool loaded_ = false;
};

void ExpectTemplateMatches(const DialogResource& actual, const res::DialogTemplate& expected) {
    EXPECT_EQ(actual.style, expected.style);
    EXPECT_EQ(actual.extendedStyle, expected.extendedStyle);
    EXPECT_EQ(actual.helpId, 0u);
    EXPECT_EQ(actual.x, expected.x);
    EXPECT_EQ(actual.y, expected.y);
    EXPECT_EQ(actual.width, expected.width);
    EXPECT_EQ(actual.height, expected.height);
    EXPECT_EQ(actual.caption, expected.caption);
    EXPECT_EQ(actual.fontName, expected.fontName);
    EXPECT_EQ(actual.fontPoints, expected.fontPoints);
    EXPECT_EQ(actual.fontWeight, 0);
    EXPECT_EQ(actual.fontItalic, 0);
    EXPECT_EQ(actual.fontCharset, 1);  // DEFAULT_CHARSET
    EXPECT_EQ(actual.menu.name, "");
    EXPECT_EQ(actual.menu.ordinal, -1);
    EXPECT_EQ(actual.windowClass.name, "");
    EXPECT_EQ(actual.windowClass.ordinal, -1);
    ASSERT_EQ(actual.controls.size(), expected.controls.size());
    for (std::size_t i = 0; i < expected.controls.size(); ++i) {
        SCOPED_TRACE("control " + std::to_string(i + 1));
        const ControlResource& control = actual.controls[i];
        const res::ControlTemplate& want = expected.controls[i];
        EXPECT_EQ(control.id, want.id);
        EXPECT_EQ(ClassNameOf(control.className), Upper(std::string(want.className)));
        EXPECT_EQ(control.style, want.style);
        EXPECT_EQ(control.extendedStyle, 0u);
        EXPECT_EQ(control.helpId, 0u);
        EXPECT_EQ(control.x, want.x);
        EXPECT_EQ(control.y, want.y);
        EXPECT_EQ(control.width, want.width);
        EXPECT_EQ(control.height, want.height);
        EXPECT_EQ(control.extraBytes, 0);
        if (want.iconId != 0) {
            EXPECT_EQ(control.text.ordinal, want.iconId);  // the icon named by its number
        } else {
            EXPECT_EQ(control.text.ordinal, -1);
            EXPECT_EQ(control.text.name, want.text);
        }
    }
}

TEST_P(ResourcesTest, DialogTemplates_AreTheSharedLayoutsInEnglishUs) {
    for (int id : {IDD_UPDATER_DIALOG, IDD_ABOUTBOX}) {
        SCOPED_TRACE("dialog " + std::to_string(id));
        EXPECT_EQ(ResourceLanguages(module_, MAKEINTRESOURCEA(5), MAKEINTRESOURCEA(id)),
                  std::vector<WORD>{kEnglishUs});
        const auto dialog = Dialog(id);
        ASSERT_TRUE(dialog.has_value());
        ExpectTemplateMatches(*dialog, *res::FindDialogTemplate(id));
    }
    std::vector<int> ids = ResourceIds(module_, MAKEINTRESOURCEA(5));
    std::sort(ids.begin(), ids.end());
    EXPECT_EQ(ids, (std::vector<int>{IDD_ABOUTBOX, IDD_UPDATER_DIALOG}));
}

TEST_P(ResourcesTest, DialogTemplates_MainWindowKeepsItsExactStylesFontAndClasses) {
    const auto dialog = Dialog(IDD_UPDATER_DIALOG);
    ASSERT_TRUE(dialog.has_value());
    EXPECT_EQ(dialog->style, 0x90C800C0u);
    EXPECT_EQ(dialog->extendedStyle, 0x40000u);
    EXPECT_EQ(dialog->fontName, "MS UI Gothic");
    ASSERT_EQ(dialog->controls.size(), 11u);
    EXPECT_EQ(ClassNameOf(dialog->controls[6].className), "MSCTLS_PROGRESS32");
    EXPECT_EQ(dialog->controls[0].text.name, "Execute");
    EXPECT_EQ(dialog->controls[0].style, 0x50010001u);
}

TEST_P(ResourcesTest, StringTable_HoldsExactlyTheSharedStringsInEnglishUs) {
    std::set<int> found;
    for (int block : ResourceIds(module_, MAKEINTRESOURCEA(6))) {
        SCOPED_TRACE("string block " + std::to_string(block));
        EXPECT_EQ(ResourceLanguages(module_, MAKEINTRESOURCEA(6), MAKEINTRESOURCEA(block)),
                  std::vector<WORD>{kEnglishUs});
        const auto strings = ReadStringBlock(
            ResourceBytes(module_, MAKEINTRESOURCEA(6), MAKEINTRESOURCEA(block), kEnglishUs));
        ASSERT_TRUE(strings.has_value());
        for (int i = 0; i < 16; ++i) {
            const int id = (block - 1) * 16 + i;
            const std::string& text = (*strings)[static_cast<std::size_t>(i)];
            if (text.empty())
                continue;
            found.insert(id);
            EXPECT_EQ(text, res::LoadString(id)) << "string " << id;
        }
    }
    std::set<int> expected;
    for (int id = kFirstString; id <= kLastString; ++id) {
        if (!res::LoadString(id).empty())
            expected.insert(id);
    }
    EXPECT_EQ(found, expected);
    EXPECT_EQ(expected.size(), 14u);  // 101 to 115 without 112
}

TEST_P(ResourcesTest, StringTable_LoadsThroughTheSystemCall) {
    char text[256];
    for (int id = kFirstString; id <= kLastString; ++id) {
        const int length = LoadStringA(GetParam() == Module::kThisProgram ? nullptr : module_,
                                       static_cast<UINT>(id), text, sizeof text);
        EXPECT_EQ(std::string(text, static_cast<std::size_t>(length)), res::LoadString(id))
            << "string " << id;
    }
}

TEST_P(ResourcesTest, Icon128_HoldsNineImagesEqualToTheSharedIcoFile) {
    EXPECT_EQ(ResourceIds(module_, MAKEINTRESOURCEA(14)), std::vector<int>{IDR_MAINFRAME});
    const auto group = ReadIconGroup(
        ResourceBytes(module_, MAKEINTRESOURCEA(14), MAKEINTRESOURCEA(IDR_MAINFRAME), kEnglishUs));
    ASSERT_TRUE(group.has_value());
    const auto images = ImagesOf(res::BuildIcoFile());
    ASSERT_EQ(group->size(), 9u);
    ASSERT_EQ(images.size(), group->size());
    std::set<std::pair<int, int>> sizesAndDepths;
    for (std::size_t i = 0; i < images.size(); ++i) {
        const IconGroupEntry& entry = (*group)[i];
        SCOPED_TRACE("icon image " + std::to_string(i));
        EXPECT_EQ(entry.width, images[i].width);
        EXPECT_EQ(entry.height, images[i].height);
        EXPECT_EQ(entry.bitCount, images[i].bitCount);
        const auto bytes =
            ResourceBytes(module_, MAKEINTRESOURCEA(3), MAKEINTRESOURCEA(entry.iconId), kEnglishUs);
        EXPECT_EQ(entry.bytes, bytes.size());
        EXPECT_TRUE(
            std::equal(bytes.begin(), bytes.end(), images[i].bytes.begin(), images[i].bytes.end()));
        sizesAndDepths.insert({entry.width, entry.bitCount});
    }
    EXPECT_EQ(
        sizesAndDepths,
        (std::set<std::pair<int, int>>{
            {16, 4}, {16, 8}, {16, 24}, {32, 4}, {32, 8}, {32, 24}, {48, 4}, {48, 8}, {48, 24}}));
}

TEST_P(ResourcesTest, Images_AreTheFirmwareFilesAsBinInLanguage1041) {
    for (const ImageSpec& image : kImageSpecs) {
        SCOPED_TRACE("image " + std::to_string(image.id));
        EXPECT_EQ(ResourceLanguages(module_, kBinType, MAKEINTRESOURCEA(image.id)),
                  std::vector<WORD>{kJapanese});
        const auto bytes = ResourceBytes(module_, kBinType, MAKEINTRESOURCEA(image.id), kJapanese);
        ASSERT_EQ(bytes.size(), image.size);
        const auto file =
            FileBytes(std::string(KT73B_IMAGE_DIR) + "/" + std::to_string(image.id) + ".bin");
        EXPECT_TRUE(std::equal(bytes.begin(), bytes.end(), file.begin(), file.end()));
    }
    std::vector<int> ids = ResourceIds(module_, kBinType);
    std::sort(ids.begin(), ids.end());
    EXPECT_EQ(ids, (std::vector<int>{129, 136, 137}));
}

TEST_P(ResourcesTest, Version_IsInLanguage1041AndCodePage932WithTheSharedFields) {
    EXPECT_EQ(ResourceLanguages(module_, MAKEINTRESOURCEA(16), MAKEINTRESOURCEA(1)),
              std::vector<WORD>{kJapanese});
    std::vector<char> info(GetFileVersionInfoSizeA(path_.c_str(), nullptr));
    ASSERT_FALSE(info.empty());
    ASSERT_TRUE(
        GetFileVersionInfoA(path_.c_str(), 0, static_cast<DWORD>(info.size()), info.data()));
    void* value = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueA(info.data(), "\\", &value, &length));
    const auto* fixed = static_cast<const VS_FIXEDFILEINFO*>(value);
    EXPECT_EQ(fixed->dwFileVersionMS, 0x00010000u);  // 1.0
    EXPECT_EQ(fixed->dwFileVersionLS, 0x00000000u);  // .0.0
    EXPECT_EQ(fixed->dwProductVersionMS, 0x00010000u);
    EXPECT_EQ(fixed->dwProductVersionLS, 0x00000000u);

    ASSERT_TRUE(VerQueryValueA(info.data(), "\\VarFileInfo\\Translation", &value, &length));
    ASSERT_EQ(length, 4u);
    const auto* translation = static_cast<const WORD*>(value);
    EXPECT_EQ(translation[0], KT73B_VERSION_LANGUAGE);
    EXPECT_EQ(translation[1], KT73B_VERSION_CODE_PAGE);
    EXPECT_EQ(KT73B_VERSION_LANGUAGE, 1041);

    for (const VersionField& field : kVersionFields) {
        const std::string query = std::string("\\StringFileInfo\\041103a4\\") + field.name;
        ASSERT_TRUE(VerQueryValueA(info.data(), query.c_str(), &value, &length)) << query;
        EXPECT_STREQ(static_cast<const char*>(value), field.value) << query;
    }
}

TEST_P(ResourcesTest, Version_NamesTheUpdaterAndTheProduct) {
    auto fieldValue = [](std::string_view name) {
        for (const VersionField& field : kVersionFields) {
            if (name == field.name)
                return std::string(field.value);
        }
        return std::string();
    };
    EXPECT_EQ(fieldValue("FileDescription"), "Updater");
    EXPECT_EQ(fieldValue("InternalName"), "Updater.exe");
    EXPECT_EQ(fieldValue("ProductName"), "KT-73B");
    EXPECT_EQ(fieldValue("FileVersion"), "1.0.0.0");
    EXPECT_EQ(fieldValue("ProductVersion"), "1.0.0.0");
}

TEST_P(ResourcesTest, Manifest_RunsAsInvokerWithoutACommonControlsDependency) {
    EXPECT_EQ(ResourceIds(module_, MAKEINTRESOURCEA(24)), std::vector<int>{1});
    const auto languages = ResourceLanguages(module_, MAKEINTRESOURCEA(24), MAKEINTRESOURCEA(1));
    ASSERT_EQ(languages.size(), 1u);
    const auto bytes =
        ResourceBytes(module_, MAKEINTRESOURCEA(24), MAKEINTRESOURCEA(1), languages[0]);
    const std::string manifest(bytes.begin(), bytes.end());
    EXPECT_NE(manifest.find("<requestedExecutionLevel level=\"asInvoker\" uiAccess=\"false\"/>"),
              std::string::npos);
    EXPECT_EQ(manifest.find("Common-Controls"), std::string::npos);
    EXPECT_EQ(manifest.find("dependency"), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(Programs, ResourcesTest,
                         ::testing::Values(Module::kThisProgram, Module::kUpdaterExe),
                         [](const ::testing::TestParamInfo<Module>& param) {
                             return param.param == Module::kThisProgram ? "ThisProgram"
                                                                        : "UpdaterExe";
                         });

// The image lookup the update uses finds the same bytes in place.
TEST(ImageLookup, FindsEachImageInPlaceAndNothingElse) {
    for (const ImageSpec& image : kImageSpecs) {
        const auto found = LookupImage(image.id);
        const auto resource = ResourceBytes(GetModuleHandleA(nullptr), kBinType,
                                            MAKEINTRESOURCEA(image.id), kJapanese);
        EXPECT_EQ(found.data(), resource.data()) << image.id;
        EXPECT_EQ(found.size(), image.size) << image.id;
    }
    EXPECT_TRUE(LookupImage(130).empty());
    EXPECT_TRUE(LookupImage(0).empty());
}

}  // namespace
}  // namespace kt73b::testing
