// A private home with a collection of generated pictures, the strip's
// bitmaps created and every thumbnail job recorded in order.
#pragma once

#include "collection/state.h"
#include "imaging/bitmap.h"
#include "support/temphome.h"

#include <cstdint>
#include <string>
#include <vector>

/// Writes a width x height picture of one colour (0xRRGGBB): a BMP for
/// ".bmp" names, a JPEG for ".jpg".
void WriteSolidPicture(const std::string& path, int width, int height, std::uint32_t rgb);

/// A distinct, clearly non-white colour for each index.
std::uint32_t ColourOf(int i);

/// A bitmap of one colour (24 bits).
Bitmap SolidBitmap(int width, int height, std::uint32_t rgb);

/// Entry indexes first .. last, counting up or down.
std::vector<std::int32_t> Span(std::int32_t first, std::int32_t last);

class ThumbTest : public TempHome {
protected:
    void SetUp() override;
    void TearDown() override;

    /// Writes n small pictures named p0.bmp, p1.bmp, ... (entry i in
    /// ColourOf(i)) and makes them the collection and the list file.
    std::vector<std::string> makeCollection(int n, const std::string& folder = "pics");
    /// Walls as a freshly loaded collection of these paths.
    static void loadFresh(const std::vector<std::string>& paths);
    /// Runs the event loop until no job runs and the chain is idle.
    static bool waitIdle(int timeoutMs = 120000);
    /// Indexes of the entries that hold a preview.
    static std::vector<std::int32_t> withPreview();

    std::vector<std::int32_t> jobs; ///< every job created, in order
};
