// A private home with a collection of generated pictures, the collection,
// thumbnail cache and strip of a fresh state, and every thumbnail job
// recorded in order.
#pragma once

#include "collection/collection.h"
#include "collection/state.h"
#include "collection/thumbpath.h"
#include "collection/walls.h"
#include "imaging/bitmap.h"
#include "support/temphome.h"
#include "thumbs/strip.h"
#include "thumbs/thumbcache.h"

#include <cstdint>
#include <functional>
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
    void loadFresh(const std::vector<std::string>& paths);
    /// Runs the event loop until no job runs and the chain is idle.
    bool waitIdle(int timeoutMs = 120000);
    /// Indexes of the entries that hold a preview.
    std::vector<std::int32_t> withPreview() const;
    /// Replaces the strip redraw that follows every change of the current
    /// entry by `redraw`.
    void onRedraw(std::function<void()> redraw);

    // The operations under test, on this test's state.
    void BrowseArray() { cache.BrowseArray(); }
    void ThreadDoneCache() { cache.ThreadDoneCache(); }
    void UpdatePreview(std::int32_t anum, const std::string& filename, std::unique_ptr<Bitmap> b) {
        cache.UpdatePreview(anum, filename, std::move(b));
    }
    void AbandonThumbnailJob() { cache.AbandonThumbnailJob(); }
    bool ThumbnailJobRunning() const { return cache.ThumbnailJobRunning(); }
    ThumbStats& ThumbnailStats() { return cache.stats(); }
    void JumpToWall(std::int32_t i) { collection.JumpToWall(i); }
    void DeleteWall(int i) { ::DeleteWall(state, i); }
    void WriteWallList(const std::vector<std::string>& paths) { ::WriteWallList(state, paths); }
    std::string ListFileName() const { return ::ListFileName(state); }
    std::string FindThumbnailHDD(const std::string& p) const {
        return ::FindThumbnailHDD(DataFolder, p);
    }
    std::string ThumbnailFileName(const std::string& p) const {
        return ::ThumbnailFileName(DataFolder, p);
    }
    void ClearPreview() { ::ClearPreview(state); }

    Collection collection{state};
    ThumbnailCache cache{state, collection};
    Strip strip{state, cache};

    std::vector<std::int32_t> jobs; ///< every job created, in order
    /// Called for every job created; records it in `jobs` unless a test
    /// sets its own.
    std::function<void(std::int32_t)> OnThumbnailJob;

private:
    QMetaObject::Connection m_redraw;
};
