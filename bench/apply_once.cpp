// quorvane-apply-once PICTURE DATAFOLDER [--file-first | --per-monitor]
// Applies PICTURE as the desktop wallpaper once, the way the program does (Collection::setWallpaper
// on a collection of that one picture, without any window), then waits for the wallpaper
// file. Prints two figures in milliseconds: how long setWallpaper held the calling thread (the
// user-interface thread in the program), and how long until the wallpaper file was written;
// then two in MiB: the peak resident size, and the resident size once the apply is over.
// --file-first applies in the order used before the root window was painted from the
// decoded picture: decode, write Wallpaper.bmp, hand the file to the desktop. --per-monitor
// gives the picture to the first monitor only, the others keeping their own.
#include "collection/collection.h"
#include "collection/state.h"
#include "imaging/bitmap.h"
#include "imaging/codecs.h"
#include "platform/wallpaper.h"

#include "procstatus.h"

#include <chrono>
#include <cstdio>
#include <string>

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fputs("usage: quorvane-apply-once PICTURE DATAFOLDER [--file-first | --per-monitor]\n",
                   stderr);
        return 64;
    }
    using Clock = std::chrono::steady_clock;
    const auto start = Clock::now();
    ProgramState state;
    state.dataFolder = std::string(argv[2]) + "/";
    state.wallpaperFile = state.dataFolder + "Wallpaper.bmp";
    state.perMonitor = argc > 3 && std::string(argv[3]) == "--per-monitor";
    Collection collection(state);
    collection.add({argv[1]});
    if (argc > 3 && std::string(argv[3]) == "--file-first") {
        Bitmap b;
        if (!file2Bitmap(b, argv[1]))
            return 1;
        b.saveToFile(state.wallpaperFile);
        platform::setDesktopWallpaper(state.wallpaperFile);
    } else {
        collection.setWallpaper(0);
    }
    const auto applied = Clock::now();
    collection.waitForWallpaperWrite();
    const auto written = Clock::now();
    auto ms = [](Clock::duration d) {
        return std::chrono::duration<double, std::milli>(d).count();
    };
    std::printf("%.1f %.1f %.1f %.1f\n", ms(applied - start), ms(written - start),
                statusKb("VmHWM") / 1024.0, statusKb("VmRSS") / 1024.0);
    return 0;
}
