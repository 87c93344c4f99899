#include "imaging/resources.h"

#include "imaging/ascii.h"
#include "imaging/codecs.h"

#include <string>

std::span<const std::uint8_t> findResource(std::string_view name) {
    for (const EmbeddedResource& r : embeddedResources())
        if (equalIgnoringAsciiCase(r.name, name))
            return {r.data, r.size};
    return {};
}

void loadFromRes(std::string_view name, Bitmap& img) {
    const auto data = findResource(name);
    if (data.empty())
        throw ImageError("no embedded picture named " + std::string(name));
    pngData2Bitmap(data, img);
}
