#include "imaging/resources.h"

#include "imaging/codecs.h"

#include <string>

namespace {

bool SameNameIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    auto upper = [](char c) {
        return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
    };
    for (std::size_t i = 0; i < a.size(); ++i)
        if (upper(a[i]) != upper(b[i]))
            return false;
    return true;
}

} // namespace

std::span<const std::uint8_t> FindResource(std::string_view aName) {
    for (const EmbeddedResource& r : EmbeddedResources())
        if (SameNameIgnoringCase(r.name, aName))
            return {r.data, r.size};
    return {};
}

void LoadFromRes(std::string_view aName, Bitmap& img) {
    const auto data = FindResource(aName);
    if (data.empty())
        throw ImageError("no embedded picture named " + std::string(aName));
    PNGData2Bitmap(data, img);
}
