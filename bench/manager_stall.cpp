// quorvane-manager-stall WORKFOLDER [FILES]
// Adds a folder of FILES picture files (default 100000, empty files with picture names: the
// add reads names, never pictures) through the picture manager the way the program does: the
// manager shown modally, its folder dialog opened by "Add Folders", the folder chosen and OK
// pressed once the dialog has settled (as a user takes a moment to choose). Prints, in
// milliseconds, the longest the event loop was held from OK on (the worst lateness of a 1 ms
// timer, watched until half a second after the rows are in) and how long it took from OK until
// the manager's list held every row. With QUORVANE_BENCH_STALL_TRACE set, every event that
// took 5 ms or more from OK on is named on standard error. Needs a display: run it inside a
// private X server. The folder is made once in WORKFOLDER and reused.
#include "collection/collection.h"
#include "collection/state.h"
#include "ui/folderdialog.h"
#include "ui/picturemanager.h"

#include <QApplication>
#include <QListView>
#include <QPushButton>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace fs = std::filesystem;

namespace {

using Clock = std::chrono::steady_clock;

double ms(Clock::duration d) {
    return std::chrono::duration<double, std::milli>(d).count();
}

// FILES empty files named as photos are, in one folder.
fs::path makeFolder(const fs::path& work, int files) {
    const std::string name = "pictures-" + std::to_string(files);
    const fs::path folder = work / name;
    const fs::path complete = work / (name + ".complete");
    if (fs::exists(complete))
        return folder;
    fs::create_directories(folder);
    const char* exts[] = {".jpg", ".jpg", ".jpg", ".png", ".bmp", ".JPG"};
    for (int i = 0; i < files; ++i)
        std::ofstream(folder / ("IMG_" + std::to_string(i) + exts[i % std::size(exts)]));
    std::ofstream{complete};
    return folder;
}

// Names the events that hold the loop for 5 ms or more once `since` is set.
class TracingApplication : public QApplication {
public:
    using QApplication::QApplication;
    bool notify(QObject* receiver, QEvent* event) override {
        if (!trace || since == Clock::time_point())
            return QApplication::notify(receiver, event);
        // The receiver may be gone when the delivery returns.
        const QByteArray what =
            QByteArray(receiver->metaObject()->className()) + " " + receiver->objectName().toUtf8();
        const int type = event->type();
        const Clock::time_point began = Clock::now();
        const bool result = QApplication::notify(receiver, event);
        const double took = ms(Clock::now() - began);
        if (took >= 5)
            std::fprintf(stderr, "  at %7.1f ms: event %d to %s took %.1f ms\n", ms(began - since),
                         type, what.constData(), took);
        return result;
    }
    bool trace = false;
    Clock::time_point since;
};

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fputs("usage: quorvane-manager-stall WORKFOLDER [FILES]\n", stderr);
        return 64;
    }
    TracingApplication app(argc, argv);
    app.trace = !qEnvironmentVariableIsEmpty("QUORVANE_BENCH_STALL_TRACE");
    const fs::path work = argv[1];
    const int files = argc > 2 ? std::max(1, std::atoi(argv[2])) : 100000;
    const fs::path pictures = makeFolder(work, files);

    // An empty collection, as a first run has.
    ProgramState state;
    state.dataFolder = (work / "data").string() + "/";
    fs::create_directories(work / "data" / "Thumbnail");
    Collection collection(state);
    PictureManager manager(state, collection);
    FolderDialog folders;
    folders.setPlacementAnchor(&manager);
    manager.setFolderSelect(&folders);

    // The lateness of a 1 ms timer, all along: before OK it tells when the
    // dialog has settled, from OK on it is the measure.
    double worst = 0;
    Clock::time_point last = Clock::now();
    Clock::time_point quietSince = last;
    QTimer tick;
    tick.setTimerType(Qt::PreciseTimer);
    tick.setInterval(1);
    QObject::connect(&tick, &QTimer::timeout, [&] {
        const Clock::time_point now = Clock::now();
        const double late = ms(now - last) - 1.0;
        worst = std::max(worst, late);
        if (late > 2)
            quietSince = now;
        last = now;
    });

    enum class Step { Filling, Choosing, Adding };
    Step step = Step::Filling;
    Clock::time_point start;
    Clock::time_point filled;
    const Clock::time_point began = Clock::now();
    auto fail = [&](const char* why) {
        std::fprintf(stderr, "%s\n", why);
        app.exit(1);
    };
    QTimer poll;
    poll.setInterval(5);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        const Clock::time_point now = Clock::now();
        switch (step) {
        case Step::Filling:
            if (manager.waiting()) {
                if (now - began > std::chrono::seconds(30))
                    fail("the manager did not fill its list");
                return;
            }
            // "Add Folders", and the folder chosen in the tree.
            manager.addFolder();
            folders.selectFolder(QString::fromStdString(pictures.string()));
            if (!folders.isVisible() || folders.selectedFolder() != pictures.string())
                return fail("the folder dialog did not take the folder");
            step = Step::Choosing;
            quietSince = now;
            return;
        case Step::Choosing:
            // The tree reads its folders and icons in the background first.
            if (now - quietSince < std::chrono::milliseconds(500)) {
                if (now - began > std::chrono::seconds(60))
                    fail("the folder dialog did not settle");
                return;
            }
            step = Step::Adding;
            start = Clock::now();
            app.since = start;
            folders.button1->click();
            // The click itself counts as a stall of the event loop.
            worst = ms(Clock::now() - start);
            last = Clock::now();
            return;
        case Step::Adding:
            if (filled == Clock::time_point() && manager.lbPic->model()->rowCount() >= files)
                filled = now;
            // What follows the rows (the list's layout and paint, the preview) counts too.
            if (filled != Clock::time_point() && now - filled > std::chrono::milliseconds(500))
                app.quit();
            else if (filled == Clock::time_point() && now - start > std::chrono::minutes(5))
                fail("the rows did not all come within 5 minutes");
            return;
        }
    });

    // The manager opens as the program opens it.
    manager.showModal();
    tick.start();
    poll.start();
    if (app.exec() != 0)
        return 1;
    std::printf("%.1f %.1f\n", worst, ms(filled - start));
    return 0;
}
