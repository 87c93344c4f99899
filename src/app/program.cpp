// The program itself, loaded by the launcher (main.cpp) when there is more to
// do than handing a command to the instance already running.
#include "app/program.h"

#include "app/application.h"
#include "app/apptitle.h"
#include "app/commandchannel.h"
#include "app/commandclient.h"
#include "app/commandline.h"
#include "app/translations.h"
#include "platform/instance.h"
#include "platform/log.h"
#include "platform/memory.h"
#include "platform/paths.h"
#include "platform/signals.h"
#include "ui/appicon.h"
#include "ui/dialogs.h"

#include <QApplication>
#include <QMessageBox>
#include <QSessionManager>
#include <QThread>
#include <QTimer>
#include <QTranslator>

#include <cstdio>
#include <vector>

namespace {

/// Runs the event loop until `box` is answered, then gives `exitCode`.
int runUntilAnswered(QMessageBox* box, int exitCode) {
    QObject::connect(box, &QDialog::finished, qApp, &QCoreApplication::quit, Qt::QueuedConnection);
    QApplication::exec();
    return exitCode;
}

} // namespace

int quorvaneProgramMain(int argc, char* argv[], bool commandTried) {
    platform::keepFreedMemoryShort();
    // Help, version and a command for a running instance need no display:
    // their texts come before the application object, in a translator of
    // their own.
    QTranslator commandLineTexts;
    loadProgramTranslation(commandLineTexts, QLocale::system());
    setCommandLineTranslation([&commandLineTexts](const char* text) {
        return commandLineTexts.translate("CommandLine", text).toStdString();
    });
    const CommandLine command = parseCommandLine(argc, argv);
    switch (command.action) {
    case CommandLine::Action::Help:
        std::printf("%s\n", helpText().c_str());
        return 0;
    case CommandLine::Action::Version:
        std::printf("%s\n", versionText().c_str());
        return 0;
    case CommandLine::Action::Error:
        std::fprintf(stderr, "quorvane: %s\n%s\n", command.error.c_str(), usageText().c_str());
        return 2;
    case CommandLine::Action::Start:
    case CommandLine::Action::Command:
        break;
    }
    const bool hasCommand = command.action == CommandLine::Action::Command;
    const std::string exe = platform::executablePath();
    const std::string title = titleFromExecutable(exe);
    const std::string channel = commandChannelOf(exe);
    const bool isAdd = hasCommand && command.command == RemoteCommand::Add;
    // The running instance has a folder of its own: relative paths are made whole here.
    const std::vector<std::string> paths = absolutePaths(command.paths);
    const auto handOver = [&](int timeoutMs) {
        return handOverCommand(channel, command, paths, timeoutMs);
    };
    // The launcher has offered the command already when it could.
    if (hasCommand && !commandTried && handOver(HandOverTimeoutMs))
        return 0;

    // The windows have a fixed size: Qt's options that would change it are
    // left out; every other one is Qt's.
    std::vector<std::string> qtArgs = argumentsForQt(argc, argv);
    std::vector<char*> qtArgv;
    for (std::string& a : qtArgs)
        qtArgv.push_back(a.data());
    int qtArgc = static_cast<int>(qtArgv.size());
    qtArgv.push_back(nullptr);
    QApplication qtApp(qtArgc, qtArgv.data());
    // Before the first box: even "already running" speaks the user's language.
    installTranslations(qtApp, QLocale::system());

    const platform::InstanceLock lock = platform::acquireInstanceLock(title);
    if (lock.state == platform::InstanceLock::State::Unavailable) {
        // Running without the lock would let a second copy start beside this one.
        platform::warn("does not start: " + lock.problem);
        return runUntilAnswered(showCannotStart(title, lock.problem), 1);
    }
    if (lock.state == platform::InstanceLock::State::HeldElsewhere) {
        if (!hasCommand)
            return runUntilAnswered(showAlreadyRunning(title), 0);
        // Another instance is starting right now: it takes the command once
        // its channel is open.
        for (int attempt = 0; attempt < 20; ++attempt) {
            if (handOver(1000))
                return 0;
            QThread::msleep(250);
        }
        platform::warn("the running instance did not take the command");
        return 1;
    }

    QApplication::setApplicationName(QStringLiteral("Quorvane"));
    QApplication::setApplicationDisplayName(QStringLiteral("Quorvane"));
    // Ties the windows to the installed desktop entry (the Wayland app id).
    QGuiApplication::setDesktopFileName(appId());
    // The program lives in the notification area: hiding the last window
    // does not end it; only the close protocol does.
    QApplication::setQuitOnLastWindowClosed(false);

    Application app(title, runValueNameFromExecutable(exe));
    QObject::connect(&app, &Application::finished, &qtApp, &QCoreApplication::quit,
                     Qt::QueuedConnection);
    // Closes from the system ask nothing: straight to the deferred close. Set
    // up before the windows exist, so that no end the system asks for meanwhile
    // is lost (the request runs once the event loop does).
    platform::onTerminationRequest([&app] { app.systemClose(); });
    QObject::connect(&qtApp, &QGuiApplication::commitDataRequest, &app,
                     [&app](QSessionManager&) { app.systemClose(); });
    app.start();
    if (!app.listenForCommands(channel))
        platform::warn("commands from the command line cannot reach this instance");
    if (isAdd)
        QTimer::singleShot(0, &app, [&app, &paths] { app.addPaths(paths); });
    else if (hasCommand)
        QTimer::singleShot(0, &app, [&app, &command] { app.runCommand(command.command); });

    return QApplication::exec();
}
