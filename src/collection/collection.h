// The collection with its current entry: the commands that move through it,
// applying a picture as the desktop wallpaper, and the removals the user
// asks for. It asks nothing itself: the windows ask, then call in here.
#pragma once

#include "imaging/bmpwriter.h"
#include "platform/memory.h"

#include <QObject>
#include <QString>
#include <QThreadPool>
#include <QTimer>

#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

struct ProgramState;

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

    /// Makes numWall current (any index out of range lands on 0) and shows
    /// it. Does nothing on an empty collection.
    void jumpTo(std::int32_t numWall);

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

    /// Removes entry `index` as removeWall does, but the list file follows
    /// later, so that many removals in a row (the undecodable pictures the
    /// thumbnail walk meets) cost one write: ListWriteDelayMs after the first
    /// of them at the latest, at WritePendingList, or with any other write of
    /// the list, which carries them along. A run that ends before then finds
    /// these entries again at its next start and removes them again.
    void removeWallLater(std::int32_t index);

    /// How long a removal waits for its write of the list file at most.
    static constexpr int ListWriteDelayMs = 1000;

    /// True while removals wait for their write of the list file.
    bool listWritePending() const { return m_listPending; }

    /// Writes the list file now when removals wait for it. False when the
    /// write failed: they keep waiting, and the failure is reported with
    /// errorOccurred, or only logged once the program is closing (the close
    /// must end).
    bool writePendingList();

    /// Loads the list file at start-up.
    void loadWall();

    /// Replaces the collection by the picture manager's list and writes the
    /// list file; a failure to write is reported and gives false.
    bool replaceWalls(const std::vector<std::string>& paths);

signals:
    /// The current entry changed or must be shown again (labels and strip).
    void currentChanged();
    /// The collection became empty: the empty view.
    void collectionEmptied();
    /// A picture is about to be applied: the change countdown starts anew.
    void applyStarted();
    /// The picture at `path` was handed to the desktop (not sent for a
    /// failed or superseded apply).
    void applied(const QString& path);
    /// An error no handler caught, for the standard error box.
    void errorOccurred(const QString& text);

private:
    void showAfterRemoval();
    // Runs on the apply worker: true when the picture reached the desktop.
    bool applyOnWorker(std::uint64_t generation, const std::string& path,
                       const std::string& wallpaperFile);
    void listWritten();

    ProgramState& m_state;
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
};
