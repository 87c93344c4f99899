#include "imaging/resources.h"

#include "imaging/ascii.h"
#include "imaging/codecs.h"

#include <string>

std::span<const std::uint8_t> FindResource(std::string_view aName) {
    for (const EmbeddedResource& r : EmbeddedResources())
        if (EqualIgnoringAsciiCase(r.name, aName))
            return {r.data, r.size};
    return {};
}

void LoadFromRes(std::string_view aName, Bitmap& img) {
    const auto data = FindResource(aName);
    if (data.empty())
        throw ImageError("no embedded picture named " + std::string(aName));
    PNGData2Bitmap(data, img);
}
