// A fresh, private home for one test: HOME and the XDG folders point into a
// temporary folder, the test has a fresh program state whose data folder is
// $HOME/Documents/Quorvane/.
#pragma once

#include "collection/state.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

class TempHome : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        home = dir.path().toStdString();
        setenv("HOME", home.c_str(), 1);
        setenv("XDG_CONFIG_HOME", (home + "/.config").c_str(), 1);
        setenv("XDG_DATA_HOME", (home + "/.local/share").c_str(), 1);
        setenv("XDG_CACHE_HOME", (home + "/.cache").c_str(), 1);
        unsetenv("XDG_DOCUMENTS_DIR");
        DataFolder = home + "/Documents/Quorvane/";
        WallpaperFile = DataFolder + "Wallpaper.bmp";
        std::filesystem::create_directories(DataFolder + "Thumbnail");
    }

    ~TempHome() override {
        // QDir cannot remove names that are not valid UTF-8 (tests make
        // some); the standard library's removal can, and it removes links
        // as links, never what they point to.
        std::error_code ec;
        if (!home.empty())
            std::filesystem::remove_all(home, ec);
    }

    /// Writes bytes to a file below the home folder and returns its path.
    std::string writeFile(const std::string& relative, const std::string& bytes) {
        const std::string path = home + "/" + relative;
        std::filesystem::create_directories(std::filesystem::path(path).parent_path());
        std::ofstream(path, std::ios::binary) << bytes;
        return path;
    }

    static std::string readFile(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }

    std::int32_t WallCount() const { return state.WallCount(); }

    QTemporaryDir dir;
    std::string home;
    ProgramState state;
    // The state's members under their own names, for short tests.
    std::vector<TWall>& Walls = state.Walls;
    std::int32_t& CurrentWall = state.CurrentWall;
    std::string& DataFolder = state.DataFolder;
    std::string& WallpaperFile = state.WallpaperFile;
    bool& CacheIdle = state.CacheIdle;
    bool& AppClosing = state.AppClosing;
    bool& RandomSelect = state.RandomSelect;
    bool& AutomaticallyChange = state.AutomaticallyChange;
};
