// The list file's reader on any bytes: byte-order marks, odd UTF-16
// lengths, lone surrogates, every kind of line end.
#include "collection/walls.h"

#include <cstddef>
#include <cstdint>
#include <string>

// NOLINTNEXTLINE(readability-identifier-naming): the name libFuzzer calls
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    std::size_t total = 0;
    for (const auto& line : parseListText(bytes)) {
        if (line.find_first_of("\r\n") != std::string::npos)
            __builtin_trap(); // a line never carries a line end
        total += line.size();
    }
    // The decoded text of N bytes is never more than about 3/2 N (UTF-16 to UTF-8).
    if (total > size * 2 + 16)
        __builtin_trap();
    return 0;
}
