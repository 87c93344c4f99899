// The application object: owns the program state, the collection with its
// scheduler and thumbnail cache, the strip, the windows and the tray icon;
// runs the start-up sequence and the close protocol, and wires the parts.
#pragma once

#include "app/commandline.h"
#include "collection/collection.h"
#include "collection/scheduler.h"
#include "collection/state.h"
#include "collection/timer.h"
#include "thumbs/strip.h"
#include "thumbs/thumbcache.h"

#include <QFuture>
#include <QObject>
#include <QThreadPool>
#include <QTimer>

#include <atomic>
#include <memory>
#include <string>
#include <vector>

class QScreen;

class CommandChannel;
class NoticeBoard;
class GlobalHotkeys;
class QCloseEvent;
class FolderDialog;
class AboutWindow;
class MainWindow;
class SettingsWindow;
class PictureManager;
class TrayIcon;

class Application : public QObject {
    Q_OBJECT
public:
    /// How long the start waits for a notification area before it shows the
    /// window instead, and how often it looks.
    static constexpr int TrayWaitMs = 5000;
    static constexpr int TrayPollMs = 250;
    /// How long monitor changes must have settled before the wallpaper is
    /// placed again for them.
    static constexpr int MonitorsSettleMs = 300;

    /// `appTitle` and `runValueName` come from the executable's name.
    Application(const std::string& appTitle, const std::string& runValueName,
                QObject* parent = nullptr);
    ~Application() override;

    /// Creates the windows in their order; the main window's creation runs
    /// the start-up sequence. It waits on nothing: an error met meanwhile is
    /// shown once the event loop runs.
    void start();

    /// A close that asks nothing (system shutdown, signals): the deferred close.
    void systemClose();

    /// Takes commands from later starts at the channel named `name`; false
    /// when it cannot listen there.
    bool listenForCommands(const std::string& name);
    /// A command from the command line or the channel: as a hotkey does it
    /// (Show: as the tray icon's click).
    void runCommand(RemoteCommand command);
    /// Adds these picture files and folders (folders with their
    /// subfolders), as dropped or handed over with --add. While the picture
    /// manager shows they go into its list, as its own add would (its close
    /// keeps them). Otherwise their pictures are gathered in the background
    /// and appended to the collection, the list file written and the
    /// thumbnail walk started for them; what was skipped is told in a
    /// desktop notification.
    void addPaths(const std::vector<std::string>& paths);
    /// Dropped on the main window: the picture manager opens and adds them
    /// behind its wait panel with its progress; closing it keeps them.
    void addDropped(const std::vector<std::string>& paths);
    /// True while adds are being gathered for the collection.
    bool addsPending() const { return m_addsRunning > 0; }
    NoticeBoard* notices() const { return m_notices.get(); }

    /// A pressed hotkey (a HotkeyId).
    void runHotkey(int id);

    /// Opens the picture manager modally and returns; once it closes, when it
    /// changed the list, the collection is rebuilt from it, the list file
    /// written and the thumbnail walk started afresh.
    void runManagerCycle();
    /// Opens the About window modally and returns.
    void showAbout();

    /// The picture manager (with its folder dialog), the settings window and
    /// the About window, each made when first asked for.
    PictureManager* picManager();
    SettingsWindow* settingsWindow();
    AboutWindow* aboutWindow();

    ProgramState& state() { return m_state; }
    Collection& collection() { return m_collection; }
    ChangeScheduler& scheduler() { return m_scheduler; }
    ThumbnailCache& thumbnails() { return m_cache; }
    Strip& strip() { return m_strip; }
    MainWindow* mainWindow() const { return m_main.get(); }
    TrayIcon* tray() const { return m_tray.get(); }
    GlobalHotkeys* hotkeys() const { return m_hotkeys.get(); }
    ProgramTimer& closeTimer() { return m_closeTimer; }

signals:
    /// The final close went through: the program ends now.
    void finished();

private:
    void startUp();
    void startupChange();
    void waitForTrayHost();
    /// Follows the monitors: when one is added, removed or changes its size,
    /// the wallpaper is placed again for the new layout.
    void watchMonitors();
    void watchScreen(QScreen* screen);
    void takeMonitors();
    /// The second half of the manager cycle, once the manager has closed.
    void finishManagerCycle();
    void saveSettings();
    void onCloseQuery(QCloseEvent* event);
    void onClosePoll();
    void showError(const QString& text);
    void notify(const QString& summary, const QString& body);

    ProgramState m_state;
    Collection m_collection{m_state};
    ChangeScheduler m_scheduler{m_state, m_collection};
    ThumbnailCache m_cache{m_state, m_collection};
    Strip m_strip{m_collection};
    ProgramTimer m_closeTimer{200};
    std::unique_ptr<TrayIcon> m_tray;
    std::unique_ptr<CommandChannel> m_channel;
    std::unique_ptr<MainWindow> m_main;
    std::unique_ptr<GlobalHotkeys> m_hotkeys;
    std::unique_ptr<PictureManager> m_picManager;
    std::unique_ptr<FolderDialog> m_folderSelect;
    std::unique_ptr<SettingsWindow> m_param;
    std::unique_ptr<AboutWindow> m_help;
    std::unique_ptr<NoticeBoard> m_notices;
    QFuture<void> m_cleanup;
    // Adds for the collection are gathered one after the other, so that they
    // are appended in the order they came.
    int m_addsRunning = 0;
    std::atomic<bool> m_addsCancelled{false};
    QThreadPool m_addPool;
    bool m_starting = false; // start() runs: errors are shown after it
    // Monitor changes come in bursts (a monitor plugged in changes the
    // others' places too): the wallpaper is placed once they have settled.
    QTimer m_monitorsSettled;
};
