// The picture manager with a big collection and a big folder, as the program
// runs it (the real window, on the offscreen platform unless QT_QPA_PLATFORM
// says otherwise). It reports
//   opening    from the showing to the first paint of the filled list, with
//              ENTRIES entries; then scrolling to the end and back, and closing;
//   scan       adding a generated tree of FILES files in FOLDERS folders through
//              the manager's scan (the interface serviced once per folder, the
//              rows appended to the list), against `find DIR -type f` on the
//              same tree, alternately in the same run.
// Each figure is the median of the rounds.
//
//   bench_manager [ENTRIES [FILES [FOLDERS]]]      defaults 100000, 100000, 1000
// The tree is generated once into QUORVANE_BENCH_DIR (default: managertree beside
// the binary) and reused.
#include "collection/collection.h"
#include "collection/folderwalk.h"
#include "collection/state.h"
#include "procstatus.h"
#include "ui/picturemanager.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QListView>
#include <QProcess>
#include <QScrollBar>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

fs::path folder(const char* argv0) {
    const char* dir = std::getenv("QUORVANE_BENCH_DIR");
    return dir ? fs::path(dir) : fs::path(argv0).parent_path() / "managertree";
}

// FILES empty files in FOLDERS folders, two levels deep: ten folders at the
// top, the rest spread below them, every folder holding its share. Most are
// .jpg, some .png, .BMP, .jpeg and .txt, as photo folders have.
fs::path generateTree(const fs::path& base, int files, int folders) {
    const fs::path root = base / ("tree-" + std::to_string(files) + "-" + std::to_string(folders));
    if (fs::exists(root / ".complete"))
        return root;
    fs::remove_all(root);
    std::fprintf(stderr, "generating %d files in %d folders under %s\n", files, folders,
                 root.c_str());
    const int top = std::min(10, folders);
    std::vector<fs::path> all;
    for (int i = 0; i < top; ++i)
        all.push_back(root / ("album" + std::to_string(i)));
    for (int i = top; i < folders; ++i)
        all.push_back(all[static_cast<std::size_t>(i % top)] / ("day" + std::to_string(i)));
    const char* exts[] = {".jpg", ".jpg", ".jpg", ".jpg",  ".jpg",
                          ".jpg", ".png", ".BMP", ".jpeg", ".txt"};
    for (int i = 0; i < folders; ++i) {
        fs::create_directories(all[static_cast<std::size_t>(i)]);
        const int here = files / folders + (i < files % folders ? 1 : 0);
        for (int j = 0; j < here; ++j)
            std::ofstream(all[static_cast<std::size_t>(i)] /
                          ("IMG_" + std::to_string(j) + exts[j % std::size(exts)]));
    }
    std::ofstream(root / ".complete");
    return root;
}

// Seconds to run `find DIR -type f`, its output thrown away.
double findSeconds(const fs::path& dir) {
    QProcess find;
    find.setStandardOutputFile(QProcess::nullDevice());
    QElapsedTimer t;
    t.start();
    find.start(QStringLiteral("find"), {QString::fromStdString(dir.string()), "-type", "f"});
    find.waitForFinished(-1);
    return t.nsecsElapsed() * 1e-9;
}

// Runs the event loop until `done`.
template <typename F> void until(F done) {
    while (!done())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
}

// Catches the first paint of the list's rows once the fill has ended.
class PaintWatch : public QObject {
public:
    PaintWatch(PictureManager& m) : m_manager(m) { m.lbPic->viewport()->installEventFilter(this); }
    bool eventFilter(QObject*, QEvent* e) override {
        if (e->type() == QEvent::Paint && armed && !m_manager.waiting() &&
            m_manager.lbPic->model()->rowCount() > 0 && seconds < 0)
            seconds = timer.nsecsElapsed() * 1e-9;
        return false;
    }
    void start() {
        seconds = -1;
        armed = true;
        timer.start();
    }
    QElapsedTimer timer;
    double seconds = -1;
    bool armed = false;

private:
    PictureManager& m_manager;
};

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int entries = argc > 1 ? std::max(1, std::atoi(argv[1])) : 100000;
    const int files = argc > 2 ? std::max(1, std::atoi(argv[2])) : 100000;
    const int folders = argc > 3 ? std::max(1, std::atoi(argv[3])) : 1000;
    const char* roundsText = std::getenv("QUORVANE_BENCH_ROUNDS");
    const int rounds = roundsText ? std::max(1, std::atoi(roundsText)) : 7;
    const fs::path base = folder(argv[0]);
    const fs::path tree = generateTree(base, files, folders);

    ProgramState state;
    state.dataFolder = (base / "data").string() + "/";
    fs::create_directories(base / "data" / "Thumbnail");
    Collection collection(state);
    std::vector<std::string> listed;
    listed.reserve(static_cast<std::size_t>(entries));
    for (int i = 0; i < entries; ++i)
        listed.push_back("/home/someone/Pictures/Holidays " + std::to_string(2000 + i % 25) +
                         "/IMG_" + std::to_string(i) + ".jpg");
    collection.add(listed);
    PictureManager manager(state, collection);
    PaintWatch watch(manager);
    const long startKb = statusKb("VmRSS");

    std::vector<double> open, scroll, close;
    for (int round = 0; round < rounds; ++round) {
        watch.start();
        manager.show();
        until([&] { return watch.seconds >= 0; });
        open.push_back(watch.seconds);
        if (manager.rows().size() != collection.entries().size()) {
            std::fprintf(stderr, "the fill lost entries\n");
            return 1;
        }
        // To the end and back to the top, each shown.
        QElapsedTimer t;
        t.start();
        QScrollBar* bar = manager.lbPic->verticalScrollBar();
        for (int value : {bar->maximum(), bar->maximum() / 2, 0}) {
            bar->setValue(value);
            manager.lbPic->viewport()->repaint();
        }
        scroll.push_back(t.nsecsElapsed() * 1e-9);
        t.start();
        manager.closeWindow();
        QCoreApplication::processEvents();
        close.push_back(t.nsecsElapsed() * 1e-9);
    }
    const long openKb = statusKb("VmHWM");

    // The scan through the manager against find, alternately; the tree is
    // read once first so that both find it in the cache.
    findSeconds(tree);
    std::vector<double> findRuns, scanRuns, bareRuns;
    std::size_t found = 0;
    manager.show();
    until([&] { return !manager.waiting(); });
    for (int round = 0; round < rounds; ++round) {
        findRuns.push_back(findSeconds(tree));
        manager.clearRows();
        QElapsedTimer t;
        t.start();
        manager.scanFolder(tree.string(), true);
        until([&] { return !manager.waiting(); });
        scanRuns.push_back(t.nsecsElapsed() * 1e-9);
        found = manager.rows().size();
        std::vector<std::string> rows;
        t.start();
        scanDir(tree.string(), true, rows);
        bareRuns.push_back(t.nsecsElapsed() * 1e-9);
    }
    manager.closeWindow();

    const double openMs = median(open) * 1e3;
    std::printf("\nPicture manager, %d entries (median of %d rounds):\n", entries, rounds);
    std::printf("  opening: showing to the first paint of the filled list  %8.1f ms   target "
                "< 300 ms  %s\n",
                openMs, openMs < 300 ? "met" : "MISSED");
    std::printf("  scrolling to the end, the middle and the top, painted   %8.1f ms\n",
                median(scroll) * 1e3);
    std::printf("  closing                                                 %8.1f ms\n",
                median(close) * 1e3);
    std::printf("  peak resident memory %ld KiB (%+ld KiB over the collection in memory)\n", openKb,
                openKb - startKb);
    const double ratio = median(scanRuns) / median(findRuns);
    std::printf("\nFolder scan of %d files in %d folders (%zu pictures found), median of %d:\n",
                files, folders, found, rounds);
    std::printf("  find DIR -type f                                        %8.1f ms\n",
                median(findRuns) * 1e3);
    std::printf("  the manager's scan (interface serviced per folder)      %8.1f ms\n",
                median(scanRuns) * 1e3);
    std::printf("  the scan alone                                          %8.1f ms\n",
                median(bareRuns) * 1e3);
    std::printf("  the manager's scan over find                            %8.2f x   target "
                "<= 1.5 x  %s\n",
                ratio, ratio <= 1.5 ? "met" : "MISSED");
    return 0;
}
