// A fresh, private home for one test: HOME and the XDG folders point into a
// temporary folder, the test has a fresh program state whose data folder is
// $HOME/Documents/Quorvane/, and an empty collection.
#pragma once

#include "collection/collection.h"
#include "collection/state.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

class TempHome : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_dir.isValid());
        m_home = m_dir.path().toStdString();
        setenv("HOME", m_home.c_str(), 1);
        setenv("XDG_CONFIG_HOME", (m_home + "/.config").c_str(), 1);
        setenv("XDG_DATA_HOME", (m_home + "/.local/share").c_str(), 1);
        setenv("XDG_CACHE_HOME", (m_home + "/.cache").c_str(), 1);
        unsetenv("XDG_DOCUMENTS_DIR");
        m_dataFolder = m_home + "/Documents/Quorvane/";
        m_wallpaperFile = m_dataFolder + "Wallpaper.bmp";
        std::filesystem::create_directories(m_dataFolder + "Thumbnail");
    }

    ~TempHome() override {
        // QDir cannot remove names that are not valid UTF-8 (tests make
        // some); the standard library's removal can, and it removes links
        // as links, never what they point to.
        std::error_code ec;
        if (!m_home.empty())
            std::filesystem::remove_all(m_home, ec);
    }

    /// Writes bytes to a file below the home folder and returns its path.
    std::string writeFile(const std::string& relative, const std::string& bytes) {
        const std::string path = m_home + "/" + relative;
        std::filesystem::create_directories(std::filesystem::path(path).parent_path());
        std::ofstream(path, std::ios::binary) << bytes;
        return path;
    }

    static std::string readFile(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }

    // The collection under short names.
    const std::vector<WallEntry>& walls() const { return m_collection.entries(); }
    std::int32_t wallCount() const { return m_collection.count(); }
    std::int32_t currentWall() const { return m_collection.current(); }
    EntryRef refOf(std::int32_t i) const { return EntryRef{i, walls().at(std::size_t(i)).id}; }

    QTemporaryDir m_dir;
    std::string m_home;
    ProgramState m_state;
    // The state's members under their own names, for short tests.
    std::string& m_dataFolder = m_state.dataFolder;
    std::string& m_wallpaperFile = m_state.wallpaperFile;
    bool& m_appClosing = m_state.appClosing;
    bool& m_randomSelect = m_state.randomSelect;
    bool& m_automaticallyChange = m_state.automaticallyChange;
    Collection m_collection{m_state};
};
