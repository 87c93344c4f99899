#include "imaging/exif.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr std::uint16_t OrientationTag = 0x0112;
constexpr std::uint16_t TypeShort = 3;
constexpr std::uint16_t TypeLong = 4;
constexpr std::size_t EntryBytes = 12;

// Reads the integers of a TIFF structure in its byte order, from within its bytes only.
class TiffReader {
public:
    TiffReader(std::span<const std::uint8_t> bytes, bool bigEndian)
        : m_bytes(bytes), m_bigEndian(bigEndian) {}

    bool has(std::uint64_t offset, std::uint64_t count) const {
        return offset <= m_bytes.size() && count <= m_bytes.size() - offset;
    }
    std::uint16_t u16(std::size_t offset) const {
        const std::uint8_t* p = m_bytes.data() + offset;
        return m_bigEndian ? static_cast<std::uint16_t>(p[0] << 8 | p[1])
                           : static_cast<std::uint16_t>(p[1] << 8 | p[0]);
    }
    std::uint32_t u32(std::size_t offset) const {
        const std::uint8_t* p = m_bytes.data() + offset;
        return m_bigEndian ? std::uint32_t(p[0]) << 24 | std::uint32_t(p[1]) << 16 |
                                 std::uint32_t(p[2]) << 8 | p[3]
                           : std::uint32_t(p[3]) << 24 | std::uint32_t(p[2]) << 16 |
                                 std::uint32_t(p[1]) << 8 | p[0];
    }

private:
    std::span<const std::uint8_t> m_bytes;
    bool m_bigEndian;
};

} // namespace

int exifOrientation(std::span<const std::uint8_t> tiff) noexcept {
    static constexpr std::uint8_t ExifPrefix[6] = {'E', 'x', 'i', 'f', 0, 0};
    if (tiff.size() >= sizeof ExifPrefix &&
        std::memcmp(tiff.data(), ExifPrefix, sizeof ExifPrefix) == 0)
        tiff = tiff.subspan(sizeof ExifPrefix);
    // The TIFF header: byte order ("II" little-endian, "MM" big-endian), 42, and the
    // offset of the first image directory from the start of the header.
    if (tiff.size() < 8)
        return 1;
    bool bigEndian = false;
    if (tiff[0] == 'M' && tiff[1] == 'M')
        bigEndian = true;
    else if (tiff[0] != 'I' || tiff[1] != 'I')
        return 1;
    const TiffReader in(tiff, bigEndian);
    if (in.u16(2) != 42)
        return 1;
    const std::uint32_t directory = in.u32(4);
    if (!in.has(directory, 2))
        return 1;
    const std::size_t count = in.u16(directory);
    // Only the entries that are there are read: a count beyond the bytes is cut short.
    const std::size_t present =
        std::min<std::size_t>(count, (tiff.size() - directory - 2) / EntryBytes);
    for (std::size_t i = 0; i < present; ++i) {
        const std::size_t entry = directory + 2 + i * EntryBytes;
        if (in.u16(entry) != OrientationTag)
            continue;
        const std::uint16_t type = in.u16(entry + 2);
        if (in.u32(entry + 4) < 1)
            return 1;
        // The value sits at the start of the entry's four value bytes.
        std::uint32_t value = 0;
        if (type == TypeShort)
            value = in.u16(entry + 8);
        else if (type == TypeLong)
            value = in.u32(entry + 8);
        return value >= 1 && value <= 8 ? static_cast<int>(value) : 1;
    }
    return 1;
}
