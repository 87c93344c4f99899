// Where the program's icon comes from: the icon theme when the desktop has an
// icon installed under the application id, the pictures the program carries
// otherwise. Each case builds a private icon folder with real theme files.
#include "ui/appicon.h"

#include "ui/skin.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <vector>

namespace {

// One icon of a test theme: the theme's folder name, the icon's name and the
// colour it is filled with.
struct ThemeIcon {
    const char* theme;
    const char* name; ///< nullptr for the application id
    QRgb colour;
};

struct IconCase {
    const char* label;
    const char* activeTheme;
    std::vector<ThemeIcon> icons;
    bool fromTheme;
    QRgb colour; ///< expected colour of a theme icon
};

constexpr QRgb Red = 0xffff0000;
constexpr QRgb Blue = 0xff0000ff;

class AppIconSource : public ::testing::TestWithParam<IconCase> {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_dir.isValid());
        m_savedPaths = QIcon::themeSearchPaths();
        m_savedTheme = QIcon::themeName();
        // Every theme exists, whether or not it holds an icon; the desktop's
        // own theme falls back to hicolor as installed themes do.
        writeTheme("hicolor", QString());
        writeTheme("FakeDesk", QStringLiteral("hicolor"));
    }
    void TearDown() override {
        QIcon::setThemeSearchPaths(m_savedPaths);
        QIcon::setThemeName(m_savedTheme);
    }

    QString iconsFolder() const { return m_dir.path() + QStringLiteral("/icons"); }

    void writeTheme(const QString& theme, const QString& inherits) {
        const QString folder = iconsFolder() + "/" + theme;
        ASSERT_TRUE(QDir().mkpath(folder + "/48x48/apps"));
        QFile index(folder + "/index.theme");
        ASSERT_TRUE(index.open(QIODevice::WriteOnly));
        QByteArray text = "[Icon Theme]\nName=" + theme.toUtf8() + "\nComment=test\n";
        if (!inherits.isEmpty())
            text += "Inherits=" + inherits.toUtf8() + "\n";
        text += "Directories=48x48/apps\n\n[48x48/apps]\nSize=48\nType=Fixed\n";
        ASSERT_EQ(index.write(text), text.size());
    }

    void writeIcon(const ThemeIcon& icon) {
        const QString name = icon.name ? QString::fromLatin1(icon.name) : appId();
        QImage picture(48, 48, QImage::Format_ARGB32);
        picture.fill(icon.colour);
        ASSERT_TRUE(
            picture.save(iconsFolder() + "/" + icon.theme + "/48x48/apps/" + name + ".png"));
    }

    QTemporaryDir m_dir;
    QStringList m_savedPaths;
    QString m_savedTheme;
};

TEST_P(AppIconSource, ComesFromTheThemeOnlyWhenItHasTheApplicationsIcon) {
    const IconCase& c = GetParam();
    for (const ThemeIcon& icon : c.icons)
        writeIcon(icon);
    QIcon::setThemeSearchPaths({iconsFolder()});
    QIcon::setThemeName(QString::fromLatin1(c.activeTheme));

    const QIcon icon = appIcon();
    ASSERT_FALSE(icon.isNull());
    const QImage shown = icon.pixmap(48, 48).toImage().convertToFormat(QImage::Format_ARGB32);
    ASSERT_EQ(shown.size(), QSize(48, 48));
    if (c.fromTheme) {
        EXPECT_EQ(icon.name(), appId());
        EXPECT_EQ(shown.pixel(24, 24), c.colour);
    } else {
        EXPECT_TRUE(icon.name().isEmpty());
        const QImage carried =
            skinPixmap("icon48").toImage().convertToFormat(QImage::Format_ARGB32);
        EXPECT_EQ(shown, carried);
        // Every size the program carries stays available to the tray.
        EXPECT_EQ(icon.availableSizes().size(), 7);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Themes, AppIconSource,
    ::testing::Values(
        IconCase{"InstalledInHicolor", "hicolor", {{"hicolor", nullptr, Red}}, true, Red},
        IconCase{"InheritedByTheDesktopsTheme", "FakeDesk", {{"hicolor", nullptr, Red}}, true, Red},
        IconCase{"OverriddenByTheDesktopsTheme",
                 "FakeDesk",
                 {{"hicolor", nullptr, Red}, {"FakeDesk", nullptr, Blue}},
                 true,
                 Blue},
        IconCase{"OnlyOtherIconsInstalled",
                 "FakeDesk",
                 {{"hicolor", "org.example.Other", Red}, {"FakeDesk", "quorvane", Blue}},
                 false,
                 0},
        IconCase{"NoIconInstalled", "hicolor", {}, false, 0}),
    [](const ::testing::TestParamInfo<IconCase>& info) { return std::string(info.param.label); });

TEST(AppIdTest, IsAReverseDomainNameTheDesktopsAccept) {
    // Desktop entry and AppStream ids: at least three elements of letters,
    // digits and underscores, none starting with a digit.
    const QStringList parts = appId().split(QLatin1Char('.'));
    ASSERT_GE(parts.size(), 3);
    for (const QString& part : parts) {
        ASSERT_FALSE(part.isEmpty());
        EXPECT_FALSE(part.front().isDigit()) << part.toStdString();
        for (QChar ch : part)
            EXPECT_TRUE(ch.isLetterOrNumber() || ch == QLatin1Char('_')) << part.toStdString();
    }
}

} // namespace
