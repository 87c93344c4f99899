// A fresh, private home for one test: HOME and the XDG folders point into a
// temporary folder, the program state is reset and the data folder is
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
        ResetState();
        DataFolder = home + "/Documents/Quorvane/";
        WallpaperFile = DataFolder + "Wallpaper.bmp";
        std::filesystem::create_directories(DataFolder + "Thumbnail");
    }
    void TearDown() override { ResetState(); }

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

    QTemporaryDir dir;
    std::string home;
};
