// Quorvane: a wallpaper changer that lives in the notification area.
#include "app/apptitle.h"
#include "collection/state.h"
#include "platform/instance.h"
#include "platform/signals.h"
#include "ui/dialogs.h"
#include "ui/uFolderSelect.h"
#include "ui/uHelp.h"
#include "ui/uMain.h"
#include "ui/uParam.h"
#include "ui/uPicManager.h"

#include <QApplication>
#include <QSessionManager>

#include <memory>

int main(int argc, char* argv[]) {
    // The command line carries nothing for the program; Qt's own options are
    // left to Qt.
    QApplication app(argc, argv);
    const std::string exe = QCoreApplication::applicationFilePath().toStdString();
    AppTitle = TitleFromExecutable(exe);
    RunValueName = RunValueNameFromExecutable(exe);

    if (!platform::acquireInstanceLock(AppTitle)) {
        ShowAlreadyRunning(AppTitle);
        return 0;
    }

    QApplication::setApplicationName(QStringLiteral("Quorvane"));
    QApplication::setApplicationDisplayName(QStringLiteral("Quorvane"));
    // The program lives in the notification area: hiding the last window
    // does not end it; only the close protocol does.
    QApplication::setQuitOnLastWindowClosed(false);

    // Created in this order, each once for the whole run.
    auto main = std::make_unique<TfMain>();
    auto picManager = std::make_unique<TfPicManager>();
    auto folderSelect = std::make_unique<TfFolderSelect>();
    auto param = std::make_unique<TfParam>();
    auto help = std::make_unique<TfHelp>();

    QObject::connect(main.get(), &TfMain::finallyClosed, &app, &QCoreApplication::quit,
                     Qt::QueuedConnection);
    // Closes from the system ask nothing: straight to the deferred close.
    platform::onTerminationRequest([w = main.get()] { w->SystemClose(); });
    QObject::connect(&app, &QGuiApplication::commitDataRequest, main.get(),
                     [w = main.get()](QSessionManager&) { w->SystemClose(); });

    const int rc = QApplication::exec();
    help.reset();
    param.reset();
    folderSelect.reset();
    picManager.reset();
    main.reset();
    return rc;
}
