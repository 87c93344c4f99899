// The preview strip: a monitor on a dark ground showing the current entry,
// with the two entries before and after it as framed thumbnails. Everything
// is drawn into the strip buffer; the main window copies that buffer to its
// paint box and shows the label texts handed back here. User-interface
// thread only.
#pragma once

#include "imaging/bitmap.h"

#include <array>
#include <memory>
#include <string>

class Collection;

inline constexpr int StripWidth = 800;
inline constexpr int StripHeight = 180;
/// The monitor's screen in the background picture; it has the thumbnail's size.
inline constexpr Rect MonitorRect{302, 16, 499, 139};

/// The three information labels.
struct StripLabels {
    std::string num;  ///< "3/27"
    std::string file; ///< the file name with its extension
    std::string dir;  ///< the folder with its trailing separator
};

/// The file-name and folder parts of a path: the text after and up to the
/// last separator (on Windows also a drive colon).
StripLabels splitWallPath(const std::string& path);

class Strip {
public:
    explicit Strip(const Collection& collection);

    /// Creates the strip buffer (800 x 180 times the scale) and the background
    /// picture (the skin picture "background", or "background@2x" at scale 2)
    /// and draws the background into the buffer. Throws ImageError when the
    /// picture is missing.
    void createBufBitmap();
    /// Creates the placeholder from the skin picture "loadphoto" (at scale 2
    /// "loadphoto@2x").
    void createLoadPhoto();

    /// Pixels per strip unit in the buffer: 1, or 2 for screens of twice the
    /// density. The slot rectangles stay in strip units.
    int scale() const { return m_scale; }
    /// Draws at `scale` (1 or 2) from now on: when it changes, the buffer,
    /// background and placeholder are made again at that scale and the view
    /// last drawn (the collection's slots or the empty-collection view) is
    /// drawn again. Throws ImageError when a picture is missing.
    void setScale(int scale);

    /// The path of the current entry when the monitor would show it sharper
    /// from a picture of the monitor's size times the scale than from its
    /// thumbnail, and no such picture is held for it; otherwise empty.
    std::string monitorPictureWanted() const;
    /// Keeps `picture` (the monitor's size times the scale) as the monitor's
    /// picture of the file `path` and shows it when that file is the current
    /// entry. Returns true when the buffer changed.
    bool setMonitorPicture(const std::string& path, Bitmap picture);
    /// Fills the slot rectangles from the monitor rectangle.
    void computePreviewRect();
    /// Frees the three strip bitmaps (buffer, background, placeholder) and
    /// the sharper monitor picture. The view stays: the bitmaps are made and
    /// drawn with it again when next asked for. The main window lets them
    /// go while it is hidden.
    void freeStripBitmaps();

    /// The label texts for the current entry (empty texts when there is none).
    StripLabels infoWall() const;

    /// Restores one slot (offset -2 .. 2) from the background.
    void drawBackground(int numPreview);
    /// Draws b 1:1 with its top-left corner at the monitor's; at scale 2 a
    /// picture of the monitor's size is stretched over the monitor's pixels.
    void drawOnMonitor(const Bitmap& b);
    /// A white-framed thumbnail in a side slot: the slot filled white without
    /// outline, b picked into the inner rectangle.
    void drawOnPreview(int numPreview, const Bitmap& b);

    /// The five slots around the current entry: previews, the placeholder or
    /// the background. Does nothing for an empty collection.
    void drawWallSlots();

    /// The empty-collection view: every slot restored, the desktop's present
    /// wallpaper on the monitor. Returns the label texts of that view (the
    /// hint in English, marked for translation in the context "MainWindow").
    StripLabels clearInfo();
    /// Draws the desktop's present wallpaper on the monitor; when it cannot
    /// be decoded the monitor keeps the background's empty screen.
    void loadDesktopWallpaper();

    /// The strip buffer, the background and the placeholder: made when first
    /// asked for (the buffer drawn with the present view), so that a strip
    /// nobody has looked at holds none. Throws ImageError when a picture is
    /// missing.
    const Bitmap* buffer() const;
    const Bitmap* background() const;
    const Bitmap* placeholder() const;
    /// The slot and inner rectangles of offset -2 .. 2.
    const Rect& slotRect(int numPreview) const { return m_aRectPreview[slotIndex(numPreview)]; }
    const Rect& thumbRect(int numPreview) const { return m_aRectThumb[slotIndex(numPreview)]; }

private:
    static std::size_t slotIndex(int numPreview) {
        return static_cast<std::size_t>(numPreview + 2);
    }
    // A rectangle in strip units as buffer pixels.
    Rect scaled(const Rect& r) const {
        return {r.left * m_scale, r.top * m_scale, r.right * m_scale, r.bottom * m_scale};
    }
    // The skin picture `name` at the present scale.
    void loadScaled(const char* name, Bitmap& img) const;
    // Makes the bitmaps that are not there and draws the view into a new buffer.
    void makeBitmaps() const;
    void drawView();

    const Collection& m_collection;
    // A cache of the view: made by the accessors when missing.
    mutable std::unique_ptr<Bitmap> m_bufBitmap;
    mutable std::unique_ptr<Bitmap> m_backgroundBitmap;
    mutable std::unique_ptr<Bitmap> m_loadPhotoBitmap;
    std::array<Rect, 5> m_aRectPreview{};
    std::array<Rect, 5> m_aRectThumb{};
    int m_scale = 1;
    // Which view the buffer holds, to draw it again at another scale.
    enum class View { None, Slots, Empty };
    View m_view = View::None;
    // The sharper monitor picture (scale 2 only) and the file it shows.
    std::string m_monitorPath;
    Bitmap m_monitorPicture;
};
