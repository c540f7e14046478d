// A device for the transport benchmark: it checks what the host sent and answers each
// message with 7 bytes that carry the message's length and check value, so the host can tell
// that the message arrived whole: F0 7D <length, 14 bits> <check, 14 bits> F7.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace kt73b::testing {

inline constexpr std::size_t kAnswerBytes = 7;

inline std::array<std::uint8_t, kAnswerBytes> AnswerFor(const std::uint8_t* bytes,
                                                        std::size_t length) {
    std::uint32_t check = 0;
    for (std::size_t i = 0; i < length; ++i) {
        check = (check * 31 + bytes[i]) % 16381;
    }
    const auto seven = [](std::uint32_t value, int shift) {
        return static_cast<std::uint8_t>((value >> shift) & 0x7F);
    };
    const auto size = static_cast<std::uint32_t>(length);
    return {0xF0, 0x7D, seven(size, 7), seven(size, 0), seven(check, 7), seven(check, 0), 0xF7};
}

// A message of `length` bytes, F0 ... F7, whose data bytes vary with `seed`.
inline std::vector<std::uint8_t> TestSysEx(std::size_t length, std::uint8_t seed = 0) {
    std::vector<std::uint8_t> message(length);
    for (std::size_t i = 0; i < length; ++i) {
        message[i] = static_cast<std::uint8_t>((i * 7 + seed) & 0x7F);
    }
    message.front() = 0xF0;
    message.back() = 0xF7;
    return message;
}

}  // namespace kt73b::testing
