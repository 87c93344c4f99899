// The collection with its current entry, and its one owner: the entries and
// the current index change only here, through the intent methods below, and
// each change is announced with a signal. Also the commands that move through
// the collection, applying a picture as the desktop wallpaper, and the
// removals the user asks for. It asks nothing itself: the windows ask, then
// call in here. User-interface thread only.
#pragma once

#include "imaging/bitmap.h"
#include "imaging/bmpwriter.h"
#include "platform/memory.h"
#include "platform/wallpaper.h"

#include <QObject>
#include <QString>
#include <QThreadPool>
#include <QTimer>

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

struct ProgramState;

/// One entry of the collection. A collection may hold a hundred thousand:
/// the fields are ordered so that no padding lies between them.
struct WallEntry {
    std::string path;                ///< the picture's full path, as listed
    std::unique_ptr<Bitmap> preview; ///< the thumbnail in memory, or none
    /// Tells this entry apart from every other entry of the run, also from
    /// one holding the same path (an index changes when entries move).
    std::uint64_t id = 0;
    bool wasLoad = false; ///< a thumbnail has been handed over once
    /// The walk found this entry's thumbnail file in the cache: it needs no
    /// job until the window reaches it.
    bool fileCached = false;
};

/// An entry as a worker saw it: its index then (a hint: entries move) and
/// its identity.
struct EntryRef {
    std::int32_t index = -1;
    std::uint64_t id = 0;
};

/// The commands that move through the collection.
enum class WallCommand { First, Previous, Random, Next, Last };

/// What a question about deleting the current picture was asked about: the
/// entry (by identity, which survives moves), its path, and which selection
/// was current then.
struct WallTicket {
    std::uint64_t wallId = 0;
    std::string path;
    std::uint64_t selection = 0;
};

class Collection : public QObject {
    Q_OBJECT
public:
    explicit Collection(ProgramState& state, QObject* parent = nullptr);
    /// Waits for the apply in flight and the wallpaper file's write.
    ~Collection() override;

    ProgramState& state() const { return m_state; }

    // ---- Reading

    const std::vector<WallEntry>& entries() const { return m_entries; }
    /// Number of entries as the signed index type.
    std::int32_t count() const { return static_cast<std::int32_t>(m_entries.size()); }
    bool empty() const { return m_entries.empty(); }
    /// True when i is the index of an entry.
    bool isIndex(std::int64_t i) const { return i >= 0 && i < std::int64_t(m_entries.size()); }
    /// The current index; it may lie outside the collection only while the
    /// collection is empty or before the first walk of a start.
    std::int32_t current() const { return m_current; }
    /// The index of the entry `ref` names (ref.index when it still holds that
    /// entry, else wherever it moved), or -1 when it left the collection.
    std::int32_t indexOf(const EntryRef& ref) const;
    /// The paths of the entries in order.
    std::vector<std::string> paths() const;
    /// The list file's lines whose folder is away (see WallList).
    const std::vector<std::string>& unavailable() const { return m_unavailable; }
    /// Changes whenever entries are added, removed or replaced (not for
    /// previews or a move of the current index): an index learnt under one
    /// layout holds while it stays the same.
    std::uint64_t layout() const { return m_layout; }

    // ---- Changing the entries

    /// Loads the list file at start-up (appending its pictures).
    void loadWall();
    /// Appends entries for these pictures; the list file is not written.
    void add(const std::vector<std::string>& paths);
    /// Appends entries for these pictures at the end and writes the list
    /// file; a failure to write is reported and gives false.
    bool append(const std::vector<std::string>& paths);
    /// Replaces the collection by the picture manager's list and writes the
    /// list file; a failure to write is reported and gives false.
    bool replaceWalls(const std::vector<std::string>& paths);
    /// Empties the collection, the lines of folders that are away included;
    /// the list file follows with the next write.
    void clear();

    /// Hands entry `ref` its thumbnail (the entry keeps it until
    /// dropPreview); previewChanged follows. Dropped when the entry is gone.
    void setPreview(const EntryRef& ref, std::unique_ptr<Bitmap> preview);
    /// Frees the thumbnail of entry `index` (wasLoad stays).
    void dropPreview(std::int32_t index);
    /// Frees every thumbnail in memory.
    void dropAllPreviews();
    /// The thumbnail walk found entry `ref`'s file in the cache.
    void markFileCached(const EntryRef& ref);

    // ---- Moving the current entry

    /// Makes numWall current (any index out of range lands on 0) and shows
    /// it. Does nothing on an empty collection.
    void jumpTo(std::int32_t numWall);
    /// Takes the index stored by the last run, before anything is shown: an
    /// index outside a non-empty collection lands on 0; on an empty one it is
    /// kept as it is, to be stored again. Nothing is signalled.
    void restoreCurrent(std::int32_t index);

    /// Makes entry numWall's picture the desktop wallpaper: decodes it,
    /// writes the wallpaper file and hands it to the desktop, all on a
    /// worker; `applied` follows on this thread once the desktop has it.
    /// Every failure is silent and leaves the desktop as it was. Applies run
    /// one after the other; a newer one supersedes an older one that has not
    /// yet reached the desktop, whose picture is then dropped. Where the
    /// program paints the desktop itself the picture shows first and the
    /// wallpaper file is written in the background (see wallpaperWriteIdle).
    void setWallpaper(std::int32_t numWall);

    /// False while an apply is in flight or the wallpaper file of one is
    /// still being written: the close waits for it (the destructor waits
    /// too).
    bool wallpaperWriteIdle() const;
    /// The monitors the toolkit reports, for a desktop whose monitors the
    /// platform layer cannot list itself.
    void setToolkitMonitors(std::vector<platform::Monitor> monitors);

    /// Places the wallpaper again for the monitors as they are now (one was
    /// added, removed or changed its size), from the wallpaper files: each
    /// monitor its own where each has its own picture. Also used at start-up
    /// to show the last wallpaper again. Runs on the apply worker after any
    /// apply in flight; nothing happens before a first apply wrote a file.
    /// With `onlyWhileShown`, only while the desktop shows one of the
    /// program's files (not a wallpaper another program set since).
    void placeAgain(bool onlyWhileShown);

    /// The monitor (0 for the first) that shows entry `index`'s picture as
    /// its own, where each monitor has a picture of its own; -1 otherwise.
    int monitorShowing(std::int32_t index) const;
    /// The number of monitors met by the last apply that gave a monitor its
    /// own picture.
    int monitorCount() const { return static_cast<int>(m_monitorEntries.size()); }

    /// Blocks until wallpaperWriteIdle would be true (tests and benchmarks;
    /// the program polls instead).
    void waitForWallpaperWrite();

    /// Selects the command's entry with jumpTo and, with `apply`, makes
    /// it the wallpaper. Every source (keys, buttons, tray menu, wheel,
    /// timer, hotkeys) runs its commands through here.
    void runWallCommand(WallCommand command, bool apply);

    /// Removes the current entry (its picture file stays), then shows and
    /// applies the successor, or the empty view.
    void deleteCurrentWall();

    /// The ticket of the current entry, for a question asked about it.
    WallTicket currentWallTicket() const;

    /// Deletes the picture file the ticket names (the question about it was
    /// answered with OK) and removes its entry when it is still in the
    /// collection, wherever it moved meanwhile. When nothing selected another
    /// entry while the question was open, its successor is shown and applied
    /// (or the empty view), as for Delete; otherwise the entry the user moved
    /// to stays current.
    void deleteWallWithFile(const WallTicket& ticket);

    /// Removes entry `index` and rewrites the list file; a failure to write
    /// is reported with errorOccurred and gives false.
    bool removeWall(std::int32_t index);

    /// Removes entry `ref` (when it is still in the collection) as removeWall
    /// does, but the list file follows later, so that many removals in a row
    /// (the undecodable pictures the thumbnail walk meets) cost one write:
    /// ListWriteDelayMs after the first of them at the latest, at
    /// writePendingList, or with any other write of the list, which carries
    /// them along. A run that ends before then finds these entries again at
    /// its next start and removes them again.
    void removeWallLater(const EntryRef& ref);

    /// How long a removal waits for its write of the list file at most.
    static constexpr int ListWriteDelayMs = 1000;

    /// How long the rasters of an apply are kept for the next one after it
    /// (see keepFreedRasters), so that pictures applied one after the other
    /// find their memory ready; then they go back to the system.
    static constexpr int KeepRastersMs = 10000;

    /// True while removals wait for their write of the list file.
    bool listWritePending() const { return m_listPending; }

    /// Writes the list file now when removals wait for it. False when the
    /// write failed: they keep waiting, and the failure is reported with
    /// errorOccurred, or only logged once the program is closing (the close
    /// must end).
    bool writePendingList();

signals:
    /// The current entry changed or must be shown again (labels and strip).
    void currentChanged();
    /// Entry `index` got its thumbnail.
    void previewChanged(std::int32_t index);
    /// Entries were added, removed or replaced.
    void entriesChanged();
    /// The collection became empty: the empty view.
    void collectionEmptied();
    /// A picture is about to be applied: the change countdown starts anew.
    void applyStarted();
    /// The picture at `path` was handed to the desktop (not sent for a
    /// failed or superseded apply).
    void applied(const QString& path);
    /// The picture at `path` could not be made the wallpaper (missing,
    /// unreadable, or the wallpaper file could not be written); not sent for
    /// an apply that a newer one superseded.
    void applyFailed(const QString& path);
    /// An error no handler caught, for the standard error box.
    void errorOccurred(const QString& text);
    /// Another monitor took a picture of its own (see monitorShowing).
    void monitorsChanged();

private:
    // Makes numWall current (any index out of range lands on 0) without
    // showing it; false on an empty collection.
    bool moveCurrent(std::int32_t numWall);
    WallEntry makeEntry(std::string path);
    void eraseEntry(std::int32_t index);
    void showAfterRemoval();
    // What the apply worker reports: whether the picture reached the desktop
    // and, where it went to one monitor only, which one of how many.
    struct ApplyResult {
        bool shown = false;
        int monitor = -1;
        int monitors = 0;
    };
    // What an apply on the worker needs to know, copied from the state.
    struct ApplyJob {
        std::uint64_t generation = 0;
        std::string path;
        std::string wallpaperFile;
        platform::Placement placement;
        bool perMonitor = false;
        std::uint32_t turn = 0;
        std::vector<platform::Monitor> toolkitMonitors;
    };
    ApplyJob applyJob() const;
    // Run on the apply worker.
    ApplyResult applyOnWorker(const ApplyJob& job);
    ApplyResult applyToMonitor(const ApplyJob& job, Bitmap& picture,
                               const std::vector<platform::Monitor>& monitors);
    void placeAgainOnWorker(const ApplyJob& job, bool onlyWhileShown);
    void listWritten();

    ProgramState& m_state;
    std::vector<WallEntry> m_entries;
    std::int32_t m_current = 0;
    std::vector<std::string> m_unavailable;
    std::uint64_t m_lastId = 0;
    std::uint64_t m_layout = 0;
    // The monitors the toolkit reports, the next monitor's turn, and which
    // entry (by identity) each monitor shows as its own.
    std::vector<platform::Monitor> m_toolkitMonitors;
    std::uint32_t m_monitorTurn = 0;
    std::vector<std::uint64_t> m_monitorEntries;
    // Counts the selections that made another index current.
    std::uint64_t m_selection = 0;
    // The written picture's memory goes back to the system at once.
    BmpWriter m_wallpaperWriter{&platform::releaseFreedMemory};
    // The number of the newest apply: an older one still queued or decoding
    // sees that it was superseded and drops its picture.
    std::atomic<std::uint64_t> m_applyGeneration{0};
    // Applies requested and not yet finished on the worker.
    std::atomic<int> m_appliesInFlight{0};
    // One thread, so that applies reach the desktop in the order requested.
    // Declared after what its jobs use, so that it is gone (its jobs
    // finished) first.
    QThreadPool m_applyPool;
    // Removals not yet in the list file, and the countdown to their write.
    bool m_listPending = false;
    QTimer m_listTimer;
    // The countdown to giving back the rasters kept for the next apply.
    QTimer m_rasterTimer;
};
