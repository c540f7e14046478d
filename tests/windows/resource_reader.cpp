#include "tests/windows/resource_reader.h"

#include <cstring>

namespace kt73b::testing {

namespace {

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

}  // namespace

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

}  // namespace kt73b::testing
