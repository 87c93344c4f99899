// Moving through the collection with the keyboard of the real program and
// reading the desktop back from the X server's root window.
#include "desktop/desktop.h"

#include <QColor>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QSettings>
#include <QThread>

using Navigation = ThreeColourDesktopTest;

TEST_F(Navigation, KeysApplyPicturesAndARestartKeepsThePlace) {
    QProcess* p = nullptr;
    unsigned long w = startShown(p);
    ASSERT_NE(w, 0u);
    pressKeys(w, {"Down"});
    EXPECT_TRUE(desktopShows(m_colours[1])) << "Down did not apply the second picture";
    pressKeys(w, {"Down"});
    EXPECT_TRUE(desktopShows(m_colours[2]));
    pressKeys(w, {"Left"}); // select only
    QThread::msleep(500);
    EXPECT_TRUE(near(screenColour(8, 8), m_colours[2]));
    pressKeys(w, {"Return"}); // re-apply the selection
    EXPECT_TRUE(desktopShows(m_colours[1]));

    clickAt(w, 763 + 9, 378 + 10);  // minutes up: 6
    clickAt(w, 640 + 35, 378 + 11); // random order on
    clickAt(w, 566 + 35, 378 + 11); // automatic change on
    ASSERT_TRUE(terminate(p));
    {
        QSettings s(settingsFile(), QSettings::IniFormat);
        EXPECT_EQ(s.value("param/PosView").toString(), "1");
        EXPECT_EQ(s.value("param/interval").toString(), "360000");
        EXPECT_EQ(s.value("param/RandomSelect").toString(), "1");
        EXPECT_EQ(s.value("param/AutomaticallyChange").toString(), "1");
    }

    w = startShown(p);
    ASSERT_NE(w, 0u);
    // The stored place is entry 1: the next picture is entry 2.
    pressKeys(w, {"Down"});
    EXPECT_TRUE(desktopShows(m_colours[2]));
    ASSERT_TRUE(terminate(p));
    QSettings s(settingsFile(), QSettings::IniFormat);
    EXPECT_EQ(s.value("param/PosView").toString(), "2");
    EXPECT_EQ(s.value("param/interval").toString(), "360000");
    EXPECT_EQ(s.value("param/RandomSelect").toString(), "1");
}

TEST_F(Navigation, ChangeAtStartAppliesAPictureOfTheCollection) {
    {
        QSettings s(settingsFile(), QSettings::IniFormat);
        s.setValue("version", "3.2");
        s.setValue("param/ChangeWithStart", "1");
    }
    QProcess* p = nullptr;
    ASSERT_NE(startShown(p), 0u);
    QThread::msleep(500);
    const QColor c = screenColour(8, 8);
    EXPECT_TRUE(near(c, m_colours[0]) || near(c, m_colours[1]) || near(c, m_colours[2]))
        << c.name().toStdString();
    EXPECT_TRUE(QFile::exists(dataFolder() + "Wallpaper.bmp"));
    EXPECT_TRUE(terminate(p));
}
