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
void writeSolidPicture(const std::string& path, int width, int height, std::uint32_t rgb);

/// A distinct, clearly non-white colour for each index.
std::uint32_t colourOf(int i);

/// A bitmap of one colour (24 bits).
Bitmap solidBitmap(int width, int height, std::uint32_t rgb);

/// Entry indexes first .. last, counting up or down.
std::vector<std::int32_t> span(std::int32_t first, std::int32_t last);

class ThumbTest : public TempHome {
protected:
    void SetUp() override;
    void TearDown() override;

    /// Writes n small pictures named p0.bmp, p1.bmp, ... (entry i in
    /// colourOf(i)) and makes them the collection and the list file.
    std::vector<std::string> makeCollection(int n, const std::string& folder = "pics");
    /// The collection as freshly loaded with these paths.
    void loadFresh(const std::vector<std::string>& paths);
    /// Runs the event loop until no job runs and the chain is idle.
    bool waitIdle(int timeoutMs = 120000);
    /// Indexes of the entries that hold a preview.
    std::vector<std::int32_t> withPreview() const;
    /// Replaces the strip redraw that follows every change of the current
    /// entry and every thumbnail arriving for a visible slot by `redraw`.
    void onRedraw(std::function<void()> redraw);

    // The operations under test, on this test's state.
    void browseArray() { m_cache.browseArray(); }
    void threadDoneCache() { m_cache.threadDoneCache(); }
    void updatePreview(const EntryRef& entry, std::unique_ptr<Bitmap> b) {
        m_cache.updatePreview(entry, std::move(b));
    }
    void abandonThumbnailJob() { m_cache.abandonThumbnailJob(); }
    bool thumbnailJobRunning() const { return m_cache.thumbnailJobRunning(); }
    ThumbStats& thumbnailStats() { return m_cache.stats(); }
    void jumpTo(std::int32_t i) { m_collection.jumpTo(i); }
    void deleteWall(int i) { m_collection.removeWall(i); }
    void writeWallList(const std::vector<std::string>& paths) { ::writeWallList(m_state, paths); }
    std::string listFileName() const { return ::listFileName(m_state); }
    std::string findThumbnailOnDisk(const std::string& p) const {
        return ::findThumbnailOnDisk(m_dataFolder, p);
    }
    std::string thumbnailFileName(const std::string& p) const {
        return ::thumbnailFileName(m_dataFolder, p);
    }

    ThumbnailCache m_cache{m_state, m_collection};
    Strip m_strip{m_collection};

    std::vector<std::int32_t> m_jobs; ///< every job created, in order
    /// Called for every job created; records it in `jobs` unless a test
    /// sets its own.
    std::function<void(std::int32_t)> m_onThumbnailJob;

private:
    QMetaObject::Connection m_redraw;
    QMetaObject::Connection m_redrawPreview;
};
