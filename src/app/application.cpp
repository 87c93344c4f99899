#include "app/application.h"

#include "app/commandchannel.h"
#include "app/notices.h"
#include "collection/datafolder.h"
#include "collection/gather.h"
#include "collection/settings.h"
#include "collection/thumbpath.h"
#include "platform/log.h"
#include "platform/notify.h"
#include "platform/paths.h"
#include "platform/store.h"
#include "platform/wallpaper.h"
#include "system/hotkeys.h"
#include "ui/aboutwindow.h"
#include "ui/appicon.h"
#include "ui/dialogs.h"
#include "ui/droptarget.h"
#include "ui/folderdialog.h"
#include "ui/mainwindow.h"
#include "ui/picturemanager.h"
#include "ui/settingswindow.h"
#include "ui/tray.h"

#include <QCloseEvent>
#include <QFutureWatcher>
#include <QGuiApplication>
#include <QPointer>
#include <QScreen>
#include <QSystemTrayIcon>
#include <QTimer>
#include <QtConcurrent/QtConcurrentRun>

Application::Application(const std::string& appTitle, const std::string& runValueName,
                         QObject* parent)
    : QObject(parent) {
    m_state.appTitle = appTitle;
    m_state.runValueName = runValueName;
    connect(&m_closeTimer, &ProgramTimer::fired, this, &Application::onClosePoll);
    connect(&m_collection, &Collection::errorOccurred, this, &Application::showError);
    m_addPool.setMaxThreadCount(1);
    m_notices = std::make_unique<NoticeBoard>(
        [this](const QString& summary, const QString& body) { notify(summary, body); });
    connect(&m_collection, &Collection::applyFailed, this, [this](const QString& path) {
        m_notices->note(NoticeBoard::Kind::ApplyFailed, {path.toStdString()});
    });
    connect(&m_cache, &ThumbnailCache::pictureUnreadable, this, [this](const QString& path) {
        m_notices->note(NoticeBoard::Kind::Unreadable, {path.toStdString()});
    });
}

Application::~Application() {
    m_addsCancelled = true;
    m_addPool.waitForDone();
    m_cleanup.waitForFinished();
    if (m_hotkeys)
        m_hotkeys->unregisterHotkeys();
    // Normally the close protocol has waited for the worker; an application
    // torn down otherwise lets a running job end without its hand-over.
    m_cache.abandonThumbnailJob();
    m_strip.freeStripBitmaps();
    m_collection.dropAllPreviews();
}

void Application::start() {
    m_starting = true;
    m_tray = std::make_unique<TrayIcon>();
    m_main = std::make_unique<MainWindow>(m_state, m_collection, m_scheduler, m_strip);
    MainWindow* main = m_main.get();
    connect(main, &MainWindow::closeQuery, this, &Application::onCloseQuery);
    connect(&m_collection, &Collection::currentChanged, main, &MainWindow::showCurrent);
    connect(&m_collection, &Collection::previewChanged, main, &MainWindow::showPreview);
    connect(&m_collection, &Collection::monitorsChanged, main, &MainWindow::showCurrent);
    connect(&m_collection, &Collection::collectionEmptied, main, &MainWindow::clearInfo);
    connect(&m_cache, &ThumbnailCache::collectionEmpty, main, &MainWindow::clearInfo);
    connect(&m_scheduler, &ChangeScheduler::changed, main, &MainWindow::showScheduler);
    // Hidden in the notification area the program holds no strip pixels and
    // no previews; they are made again when the window shows.
    m_cache.setStripShown(main->isVisible());
    connect(main, &SkinWindow::shown, this, [this] { m_cache.setStripShown(true); });
    connect(main, &SkinWindow::hidden, this, [this] {
        m_strip.freeStripBitmaps();
        m_cache.setStripShown(false);
    });

    TrayIcon* tray = m_tray.get();
    connect(tray, &TrayIcon::nextRequested, this,
            [this] { m_collection.runWallCommand(WallCommand::Next, true); });
    connect(tray, &TrayIcon::previousRequested, this,
            [this] { m_collection.runWallCommand(WallCommand::Previous, true); });
    connect(tray, &TrayIcon::randomRequested, this,
            [this] { m_collection.runWallCommand(WallCommand::Random, true); });
    connect(tray, &TrayIcon::showRequested, main, &MainWindow::trayClick);
    connect(tray, &TrayIcon::exitRequested, main, &MainWindow::requestExit);
    tray->show();

    // The hotkeys belong to the main window (its handle on Windows).
    m_hotkeys = std::make_unique<GlobalHotkeys>(reinterpret_cast<void*>(main->winId()));
    connect(m_hotkeys.get(), &GlobalHotkeys::hotkeyPressed, this, &Application::runHotkey);

    startUp();

    // The other windows are made when first opened, each once for the whole
    // run: a program that lives in the notification area may never show them.
    connect(main, &MainWindow::managerRequested, this, &Application::runManagerCycle);
    connect(main, &MainWindow::settingsRequested, this, [this] { settingsWindow()->showModal(); });
    connect(main, &MainWindow::aboutRequested, this, &Application::showAbout);
    connect(tray, &TrayIcon::aboutRequested, this, &Application::showAbout);
    // Files and folders dropped from a file manager.
    connect(new DropTarget(main), &DropTarget::pathsDropped, this, &Application::addDropped);
    m_starting = false;
}

void Application::startUp() {
    setUpDataFolder(m_state);
    // Temporaries that a run killed during a write left behind: the data
    // folder's at once, the thumbnail cache's (a big tree) once the start is done.
    // File times come from the kernel's coarse clock, a few milliseconds
    // behind: the margin keeps this run's first writes out of reach.
    const auto started = std::filesystem::file_time_type::clock::now() - std::chrono::seconds(10);
    removeStaleTemporaries(m_state.dataFolder, false, started);
    // So are the wallpaper file's extra names that the desktop no longer shows.
    platform::removeLeftoverWallpaperNames(m_state.wallpaperFile);
    m_state.seedRandom();
    // The window shape comes with the skin. The strip's bitmaps are made
    // when the strip is first drawn.
    m_strip.computePreviewRect();
    try {
        currentVersion(m_state.runValueName);
    } catch (const platform::StoreError& e) {
        showError(QString::fromStdString(e.what()));
    }
    m_collection.loadWall();
    auto areaOf = [](const QScreen* screen) {
        const QRect g = screen ? screen->geometry() : QRect(0, 0, 1920, 1080);
        return ScreenArea{g.x(), g.y(), g.width(), g.height()};
    };
    const ScreenArea primary = areaOf(QGuiApplication::primaryScreen());
    WindowPosition pos = loadSetting(m_state, m_collection, m_scheduler, primary);
    std::vector<ScreenArea> screens;
    for (const QScreen* screen : QGuiApplication::screens())
        screens.push_back(areaOf(screen));
    // A stored place where the window no longer fits on one screen (a
    // monitor unplugged, another scale, a damaged file) would leave part of
    // it, the close button perhaps, where no one can reach it.
    if (!fitsOnAScreen(pos, screens))
        pos = centredOn(primary);
    m_main->move(pos.left, pos.top);
    watchMonitors();
    startupChange();
    m_cache.browseArray();
    m_hotkeys->registerHotkeys(m_state.globalKeys, m_state.useGlobalKey);
    // On a worker, so that it does not hold anything up.
    m_cleanup = QtConcurrent::run([folder = thumbnailFolder(m_state.dataFolder), started] {
        removeStaleTemporaries(folder, true, started);
    });
}

void Application::startupChange() {
    if (m_collection.empty())
        m_main->trayClick();
    else if (!QSystemTrayIcon::isSystemTrayAvailable())
        waitForTrayHost();
    if (!m_collection.empty() && m_state.changeWithStart) {
        m_collection.restoreCurrent(m_state.randomIndex(m_collection.count()));
        m_collection.setWallpaper(m_collection.current());
        return;
    }
    // The last wallpaper again, each monitor with its own picture where
    // each has one.
    m_collection.placeAgain(false);
}

void Application::watchMonitors() {
    m_monitorsSettled.setSingleShot(true);
    m_monitorsSettled.setInterval(MonitorsSettleMs);
    connect(&m_monitorsSettled, &QTimer::timeout, this, [this] {
        takeMonitors();
        m_collection.placeAgain(true);
    });
    for (QScreen* screen : QGuiApplication::screens())
        watchScreen(screen);
    connect(qApp, &QGuiApplication::screenAdded, this, [this](QScreen* screen) {
        watchScreen(screen);
        m_monitorsSettled.start();
    });
    connect(qApp, &QGuiApplication::screenRemoved, this, [this] { m_monitorsSettled.start(); });
    takeMonitors();
}

void Application::watchScreen(QScreen* screen) {
    connect(screen, &QScreen::geometryChanged, this, [this] { m_monitorsSettled.start(); });
}

void Application::takeMonitors() {
    // In device pixels, as the desktop places wallpapers.
    std::vector<platform::Monitor> monitors;
    for (const QScreen* screen : QGuiApplication::screens()) {
        const QRect g = screen->geometry();
        const qreal ratio = screen->devicePixelRatio();
        const int left = qRound(g.x() * ratio), top = qRound(g.y() * ratio);
        monitors.push_back(
            {screen->name().toStdString(),
             {left, top, left + qRound(g.width() * ratio), top + qRound(g.height() * ratio)}});
    }
    m_collection.setToolkitMonitors(std::move(monitors));
}

void Application::waitForTrayHost() {
    // At logon the panel may start after the program: give it a few seconds
    // before deciding that the window is the only way to reach the program.
    auto* poll = new QTimer(this);
    poll->setInterval(TrayPollMs);
    connect(poll, &QTimer::timeout, this, [this, poll, left = TrayWaitMs / TrayPollMs]() mutable {
        if (QSystemTrayIcon::isSystemTrayAvailable()) {
            poll->deleteLater();
            return;
        }
        if (--left > 0)
            return;
        poll->deleteLater();
        if (!m_main->isVisible())
            m_main->trayClick();
    });
    poll->start();
}

PictureManager* Application::picManager() {
    if (m_picManager)
        return m_picManager.get();
    m_picManager = std::make_unique<PictureManager>(m_state, m_collection);
    m_folderSelect = std::make_unique<FolderDialog>();
    m_picManager->setPlacementAnchor(m_main.get());
    m_folderSelect->setPlacementAnchor(m_main.get());
    m_picManager->setFolderSelect(m_folderSelect.get());
    // The file dialog opens where files were last taken from, in an earlier run too.
    if (!m_state.lastFileFolder.empty())
        m_picManager->setLastFileFolder(QString::fromStdString(m_state.lastFileFolder));
    connect(m_picManager.get(), &SkinWindow::finished, this, &Application::finishManagerCycle);
    connect(new DropTarget(m_picManager.get()), &DropTarget::pathsDropped, m_picManager.get(),
            &PictureManager::addPaths);
    // Once the manager has closed (its cycle done), they go to the collection.
    connect(m_picManager.get(), &PictureManager::addsLeftOver, this, &Application::addPaths,
            Qt::QueuedConnection);
    return m_picManager.get();
}

SettingsWindow* Application::settingsWindow() {
    if (!m_param) {
        m_param = std::make_unique<SettingsWindow>(m_state, *m_hotkeys);
        m_param->setPlacementAnchor(m_main.get());
    }
    return m_param.get();
}

AboutWindow* Application::aboutWindow() {
    if (!m_help) {
        m_help = std::make_unique<AboutWindow>();
        m_help->setPlacementAnchor(m_main.get());
    }
    return m_help.get();
}

void Application::showAbout() {
    aboutWindow()->showModal();
}

void Application::runManagerCycle() {
    // The thumbnail walk stops while the manager shows; a job that runs
    // finishes and hands its thumbnail over.
    if (picManager()->isShowingModally())
        return;
    m_cache.setPaused(true);
    m_picManager->showModal();
}

void Application::finishManagerCycle() {
    m_cache.setPaused(false);
    if (m_state.listChanged) {
        m_collection.dropAllPreviews();
        // The new collection is built aside and put in place at once.
        const bool written = m_collection.replaceWalls(m_picManager->rows());
        m_picManager->clearRows();
        if (!written)
            return; // the error was shown; the rest of the cycle is skipped
        m_cache.browseArray();
    } else if (m_cache.idle()) {
        m_cache.threadDoneCache();
    }
    if (m_collection.empty())
        m_main->clearInfo();
}

void Application::runHotkey(int id) {
    switch (id) {
    case RandomWallpaperHotkey:
        return m_collection.runWallCommand(WallCommand::Random, true);
    case NextWallpaperHotkey:
        return m_collection.runWallCommand(WallCommand::Next, true);
    case PreviousWallpaperHotkey:
        return m_collection.runWallCommand(WallCommand::Previous, true);
    default:
        return;
    }
}

void Application::runCommand(RemoteCommand command) {
    switch (command) {
    case RemoteCommand::Next:
        return m_collection.runWallCommand(WallCommand::Next, true);
    case RemoteCommand::Previous:
        return m_collection.runWallCommand(WallCommand::Previous, true);
    case RemoteCommand::Random:
        return m_collection.runWallCommand(WallCommand::Random, true);
    case RemoteCommand::Show:
        return m_main->trayClick();
    case RemoteCommand::Add:
        return; // it comes with its paths (addPaths)
    }
}

void Application::addDropped(const std::vector<std::string>& paths) {
    if (paths.empty() || m_state.appClosing)
        return;
    if (!picManager()->isShowingModally())
        runManagerCycle();
    m_picManager->addPaths(paths);
}

void Application::addPaths(const std::vector<std::string>& paths) {
    if (paths.empty() || m_state.appClosing)
        return;
    if (m_picManager && m_picManager->isShowingModally())
        return m_picManager->addPaths(paths);
    ++m_addsRunning;
    auto* watcher = new QFutureWatcher<GatheredPictures>(this);
    connect(watcher, &QFutureWatcherBase::finished, this, [this, watcher, paths] {
        watcher->deleteLater();
        --m_addsRunning;
        if (m_state.appClosing || watcher->future().resultCount() == 0)
            return;
        GatheredPictures found = watcher->future().takeResult();
        // The manager opened meanwhile: its list takes them, as its own add would.
        if (m_picManager && m_picManager->isShowingModally())
            return m_picManager->addPaths(paths);
        m_notices->note(NoticeBoard::Kind::Skipped, found.skipped);
        m_notices->note(NoticeBoard::Kind::Unlistable,
                        std::vector<std::string>(found.unlistable, std::string()));
        if (found.rows.empty())
            return;
        const bool wasEmpty = m_collection.empty();
        const bool written = m_collection.append(found.rows);
        m_main->stopManagerBlink();
        if (wasEmpty)
            m_collection.jumpTo(0);
        else
            m_main->showCurrent(); // the count has grown
        if (written)
            m_cache.browseArray();
    });
    watcher->setFuture(QtConcurrent::run(&m_addPool, [this, paths] {
        return gatherPictures(paths, true, [this](int) { return !m_addsCancelled.load(); });
    }));
}

void Application::notify(const QString& summary, const QString& body) {
    // Where the desktop has no notification service, the notification-area
    // icon shows it; without either it goes to the log.
    // The answer may come after the application is gone: only the icon is held.
    QPointer<QSystemTrayIcon> icon = m_tray ? m_tray->icon() : nullptr;
    platform::showNotification(
        summary.toStdString(), body.toStdString(), appId().toStdString(), [icon, summary, body] {
            if (icon && QSystemTrayIcon::isSystemTrayAvailable() &&
                QSystemTrayIcon::supportsMessages())
                icon->showMessage(summary, body, QSystemTrayIcon::Warning);
            else
                platform::warn((summary + QStringLiteral(": ") + body).toStdString());
        });
}

bool Application::listenForCommands(const std::string& name) {
    if (name.empty())
        return false;
    m_channel = std::make_unique<CommandChannel>();
    connect(m_channel.get(), &CommandChannel::commandReceived, this, &Application::runCommand);
    connect(m_channel.get(), &CommandChannel::addReceived, this, &Application::addPaths);
    return m_channel->listen(QString::fromStdString(name));
}

void Application::showError(const QString& text) {
    if (m_starting) {
        // The box opens once the event loop runs, over the windows the start
        // showed. Like every box it waits for no answer: the program takes
        // commands and ends when the system asks while it shows.
        QTimer::singleShot(0, this,
                           [this, text] { showErrorBox(m_main.get(), text.toStdString()); });
        return;
    }
    showErrorBox(m_main.get(), text.toStdString());
}

void Application::saveSettings() {
    try {
        if (m_picManager)
            m_state.lastFileFolder = m_picManager->lastFileFolder().toStdString();
        saveSetting(m_state, m_collection, m_scheduler, WindowPosition{m_main->x(), m_main->y()});
    } catch (const std::exception& e) {
        // The close must still complete; the reason goes where it can be seen.
        platform::warn(std::string("the settings could not be saved: ") + e.what());
    }
}

void Application::systemClose() {
    if (m_main)
        m_main->close();
}

void Application::onCloseQuery(QCloseEvent* event) {
    m_state.appClosing = true;
    if (m_state.closeStage != CloseStage::Final) {
        m_state.closeStage = CloseStage::WaitingForWorkers;
        m_closeTimer.setEnabled(true);
        event->ignore();
    } else {
        event->accept();
    }
    saveSettings();
    if (event->isAccepted())
        emit finished();
}

void Application::onClosePoll() {
    // Adds being gathered stop; the thumbnail worker and a wallpaper file
    // still being written finish first.
    m_addsCancelled = true;
    if (!m_cache.idle() || !m_collection.wallpaperWriteIdle() || m_addsRunning > 0)
        return;
    if (m_state.closeStage != CloseStage::Final) {
        // Removals the thumbnail walk has not written yet go into the list now.
        m_collection.writePendingList();
        m_state.closeStage = CloseStage::Final;
        m_main->close();
    }
}
