#include "collection/state.h"

#include <chrono>
#include <random>

std::vector<TWall> Walls;
std::int32_t CurrentWall = 0;
std::string AppTitle = "Quorvane";
std::string RunValueName = "Quorvane";
std::string DataFolder;
std::string WallpaperFile;
bool AutomaticallyChange = false;
bool ChangeWithStart = false;
bool RandomSelect = false;
bool UseGlobalKey = true;
bool CacheIdle = true;
bool AppClosing = false;
int CloseStage = 0;
bool ListChanged = false;
UiHooks Ui;

namespace {
std::mt19937& generator() {
    static std::mt19937 gen;
    return gen;
}
} // namespace

void SeedRandom() {
    const auto ticks = std::chrono::high_resolution_clock::now().time_since_epoch().count();
    std::seed_seq seq{static_cast<std::uint32_t>(ticks), static_cast<std::uint32_t>(ticks >> 32),
                      std::random_device{}()};
    generator().seed(seq);
}

std::int32_t RandomIndex(std::int32_t count) {
    if (count <= 0)
        return 0;
    std::uniform_int_distribution<std::int32_t> dist(0, count - 1);
    return dist(generator());
}

void ResetState() {
    Walls.clear();
    CurrentWall = 0;
    DataFolder.clear();
    WallpaperFile.clear();
    AutomaticallyChange = false;
    ChangeWithStart = false;
    RandomSelect = false;
    UseGlobalKey = true;
    CacheIdle = true;
    AppClosing = false;
    CloseStage = 0;
    ListChanged = false;
    Ui = UiHooks{};
}
