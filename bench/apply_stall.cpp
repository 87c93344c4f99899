// quorvane-apply-stall DATAFOLDER
// Applies an 8000 x 6000 photograph-like JPEG as the desktop wallpaper the way the program does
// (Collection::setWallpaper with an event loop running) and prints, in milliseconds, the longest
// the event loop was held meanwhile (the worst lateness of a 1 ms timer) and how long the apply
// took until the wallpaper file was complete. Run it inside a private X server: the desktop
// is whatever the environment names.
#include "collection/collection.h"
#include "collection/state.h"

#include "photo.h"

#include <QCoreApplication>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fputs("usage: quorvane-apply-stall DATAFOLDER\n", stderr);
        return 64;
    }
    QCoreApplication app(argc, argv);
    const std::string folder = argv[1];
    const std::string picture = folder + "/stall-8000x6000.jpg";
    writePhotoJpeg(picture, 8000, 6000, 90);
    ProgramState state;
    state.dataFolder = folder + "/";
    state.wallpaperFile = state.dataFolder + "Wallpaper.bmp";
    Collection collection(state);
    collection.add({picture});

    using Clock = std::chrono::steady_clock;
    auto ms = [](Clock::duration d) {
        return std::chrono::duration<double, std::milli>(d).count();
    };
    double worst = 0;
    Clock::time_point last = Clock::now();
    QTimer tick;
    tick.setTimerType(Qt::PreciseTimer);
    tick.setInterval(1);
    QObject::connect(&tick, &QTimer::timeout, [&] {
        const Clock::time_point now = Clock::now();
        worst = std::max(worst, ms(now - last) - 1.0);
        last = now;
    });
    Clock::time_point start;
    QTimer::singleShot(50, [&] {
        start = Clock::now();
        last = start;
        collection.setWallpaper(0);
        // setWallpaper itself counts as a stall of the event loop.
        worst = std::max(worst, ms(Clock::now() - start));
        last = Clock::now();
    });
    QTimer poll;
    poll.setInterval(5);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (start != Clock::time_point() && collection.wallpaperWriteIdle())
            app.quit();
    });
    tick.start();
    poll.start();
    app.exec();
    std::printf("%.1f %.1f\n", worst, ms(Clock::now() - start));
    return 0;
}
