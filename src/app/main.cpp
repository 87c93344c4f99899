// Quorvane: a wallpaper changer that lives in the notification area.
#include "app/application.h"
#include "app/apptitle.h"
#include "platform/instance.h"
#include "platform/signals.h"
#include "ui/dialogs.h"

#include <QApplication>
#include <QSessionManager>

int main(int argc, char* argv[]) {
    // The command line carries nothing for the program; Qt's own options are
    // left to Qt.
    QApplication qtApp(argc, argv);
    const std::string exe = QCoreApplication::applicationFilePath().toStdString();
    const std::string title = TitleFromExecutable(exe);

    if (!platform::acquireInstanceLock(title)) {
        ShowAlreadyRunning(title);
        return 0;
    }

    QApplication::setApplicationName(QStringLiteral("Quorvane"));
    QApplication::setApplicationDisplayName(QStringLiteral("Quorvane"));
    // The program lives in the notification area: hiding the last window
    // does not end it; only the close protocol does.
    QApplication::setQuitOnLastWindowClosed(false);

    Application app(title, RunValueNameFromExecutable(exe));
    QObject::connect(&app, &Application::finished, &qtApp, &QCoreApplication::quit,
                     Qt::QueuedConnection);
    app.start();
    // Closes from the system ask nothing: straight to the deferred close.
    platform::onTerminationRequest([&app] { app.systemClose(); });
    QObject::connect(&qtApp, &QGuiApplication::commitDataRequest, &app,
                     [&app](QSessionManager&) { app.systemClose(); });

    return QApplication::exec();
}
