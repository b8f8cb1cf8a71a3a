#pragma once
// Turning a fuzzer's bytes into the inputs of the engine's functions.

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

namespace lexaro::fuzz {

// Reads a little-endian 32-bit value from the front of the input, or 0 when it is too short.
inline std::int32_t TakeInt32(const std::uint8_t*& data, std::size_t& size) {
    std::uint32_t value = 0;
    if (size >= sizeof value) {
        std::memcpy(&value, data, sizeof value);
        data += sizeof value;
        size -= sizeof value;
    }
    return static_cast<std::int32_t>(value);
}

// The rest of the input as UTF-16 code units, any value allowed (lone surrogates included).
inline std::u16string TakeUtf16(const std::uint8_t* data, std::size_t size) {
    std::u16string text(size / 2, u'\0');
    std::memcpy(text.data(), data, text.size() * 2);
    return text;
}

}  // namespace lexaro::fuzz
