// The resources Updater.exe carries, read back through the system's resource calls and compared
// with the sources the Linux build reads too: the dialog templates' controls and the strings
// (resources/ui/*.def); and the manifest.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <span>
#include <string>
#include <string_view>

#include "platform/ui/win32/windows_api.h"
#include "resources/ui/ui_resources.h"

namespace kt73b::testing {
namespace {

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

    // The bytes of a resource, found as the program finds it; empty when there is none.
    std::span<const std::uint8_t> Bytes(LPCSTR type, int id) const {
        HRSRC found = FindResourceA(module_, MAKEINTRESOURCEA(id), type);
        HGLOBAL loaded = found != nullptr ? LoadResource(module_, found) : nullptr;
        const void* bytes = loaded != nullptr ? LockResource(loaded) : nullptr;
        if (bytes == nullptr) {
            return {};
        }
        return {static_cast<const std::uint8_t*>(bytes), SizeofResource(module_, found)};
    }

    // A path of the build machine: Wine maps it onto the drive of the current folder.
    const std::string path_ = KT73B_UPDATER_EXE;
    HMODULE module_ = nullptr;
};

// What a slip in the resource script would break: each control's id, class, style and text, in
// tab order. Sizes and the header's fields come from the same list and are not compared.
TEST_F(UpdaterExeResources, DialogTemplates_CarryTheSharedControls) {
    for (int id : {IDD_UPDATER_DIALOG, IDD_ABOUTBOX}) {
        SCOPED_TRACE("dialog " + std::to_string(id));
        const res::DialogTemplate& want = *res::FindDialogTemplate(id);
        TemplateCursor in(Bytes(RT_DIALOG, id));
        ASSERT_EQ(in.U32(), 0xFFFF0001u);  // version 1 of the extended layout
        in.Skip(8);                        // help id, extended style
        const std::uint32_t style = in.U32();
        ASSERT_EQ(in.U16(), want.controls.size());
        in.Skip(8);         // position and size
        in.NameOrNumber();  // menu
        in.NameOrNumber();  // window class
        in.Text();          // caption
        if ((style & DS_SETFONT) != 0) {
            in.Skip(6);  // points, weight, italic, character set
            in.Text();
        }
        for (const res::ControlTemplate& control : want.controls) {
            SCOPED_TRACE("control " + std::to_string(control.id));
            in.AlignToFour();
            in.Skip(8);  // help id, extended style
            EXPECT_EQ(in.U32(), control.style);
            in.Skip(8);  // position and size
            EXPECT_EQ(static_cast<std::int32_t>(in.U32()), control.id);
            EXPECT_EQ(ClassNameOf(in.NameOrNumber()), ClassNameOf(std::string(control.className)));
            // An icon static names its icon by number, every other control carries its text.
            // Appended: GCC 12 at -O3 reports a false -Wrestrict in "#" + std::to_string(...).
            EXPECT_EQ(in.NameOrNumber(),
                      control.iconId != 0 ? std::string("#").append(std::to_string(control.iconId))
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

// Without asInvoker, Windows asks for administrator rights for a program named like an updater.
TEST_F(UpdaterExeResources, Manifest_RunsAsInvokerWithoutACommonControlsDependency) {
    const auto bytes = Bytes(RT_MANIFEST, 1);
    const std::string manifest(bytes.begin(), bytes.end());
    EXPECT_NE(manifest.find("<requestedExecutionLevel level=\"asInvoker\""), std::string::npos)
        << manifest;
    EXPECT_EQ(manifest.find("dependency"), std::string::npos);
}

}  // namespace
}  // namespace kt73b::testing
