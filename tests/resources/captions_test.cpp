// The skin pictures in the program's other languages: each differs from the
// English picture only where its captions stand, every caption fits the room
// the English one has without overlapping another's, and what is stored of
// it gives the picture back when laid over the English one.
#include "skin.h"

#include <QRegion>
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace {

struct LanguageCase {
    const char* language;
    int scale;
};

void PrintTo(const LanguageCase& c, std::ostream* os) {
    *os << c.language << "@" << c.scale << "x";
}

// The pixels (scale times the layout's) of a room, with a pixel's margin for
// the edges of the letters and two above and below for accents and the shadow.
QRect pixelsOf(const QRectF& room, int scale) {
    const QRectF r = room.adjusted(-1, -2, 1, 2);
    return QRect(
        QPoint(int(std::floor(r.left() * scale)), int(std::floor(r.top() * scale))),
        QPoint(int(std::ceil(r.right() * scale)) - 1, int(std::ceil(r.bottom() * scale)) - 1));
}

QImage laidOver(const QImage& english, const QImage& delta) {
    QImage out = english.convertToFormat(QImage::Format_ARGB32);
    const QImage changes = delta.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < out.height(); ++y)
        for (int x = 0; x < out.width(); ++x)
            if (qAlpha(changes.pixel(x, y)) != 0)
                out.setPixel(x, y, changes.pixel(x, y));
    return out;
}

class LanguagePictures : public ::testing::TestWithParam<LanguageCase> {
protected:
    void SetUp() override {
        if (!skin::LoadFonts())
            GTEST_SKIP() << "DejaVu Sans is not installed";
        skin::SetScale(GetParam().scale);
    }
    void TearDown() override {
        skin::SetLanguage({});
        skin::SetScale(1);
    }
};

TEST_P(LanguagePictures, DifferOnlyWhereTheirCaptionsStandAndEachFits) {
    const int scale = GetParam().scale;
    const QString version = QStringLiteral("3.2");
    ASSERT_TRUE(skin::SetLanguage({}));
    const std::vector<skin::CaptionedPicture> english = skin::CaptionedPictures(version);
    ASSERT_TRUE(skin::SetLanguage(QString::fromLatin1(GetParam().language),
                                  QStringLiteral(QUORVANE_SKIN_TRANSLATIONS)))
        << "no quorvane_" << GetParam().language << ".qm in " QUORVANE_SKIN_TRANSLATIONS;
    const std::vector<skin::CaptionedPicture> translated = skin::CaptionedPictures(version);
    ASSERT_EQ(translated.size(), english.size());

    for (size_t i = 0; i < english.size(); ++i) {
        const skin::CaptionedPicture& en = english[i];
        const skin::CaptionedPicture& tr = translated[i];
        SCOPED_TRACE(en.name.toStdString());
        ASSERT_EQ(tr.image.size(), en.image.size());
        ASSERT_EQ(tr.captions.size(), en.captions.size());
        QRegion rooms;
        for (size_t c = 0; c < tr.captions.size(); ++c) {
            const skin::DrawnCaption& caption = tr.captions[c];
            SCOPED_TRACE(caption.text.toStdString());
            // The same room as in English, and the caption within it, never
            // smaller than three quarters of the design's size.
            EXPECT_EQ(caption.room, en.captions[c].room);
            EXPECT_LE(caption.width, caption.room.width());
            EXPECT_GE(caption.pixelSize * 4, caption.designSize * 3);
            EXPECT_GE(caption.pixelSize, 7);
            // No room reaches into another.
            for (size_t other = 0; other < c; ++other)
                EXPECT_FALSE(caption.room.intersects(tr.captions[other].room))
                    << "overlaps " << tr.captions[other].text.toStdString();
            rooms += pixelsOf(caption.room, scale);
        }
        // Every changed pixel stands in a caption's room; and something
        // changed: the language was drawn.
        const QImage a = en.image.convertToFormat(QImage::Format_ARGB32);
        const QImage b = tr.image.convertToFormat(QImage::Format_ARGB32);
        int changed = 0;
        int outside = 0;
        for (int y = 0; y < a.height(); ++y)
            for (int x = 0; x < a.width(); ++x)
                if (a.pixel(x, y) != b.pixel(x, y)) {
                    ++changed;
                    if (!rooms.contains(QPoint(x, y)) && outside++ == 0)
                        ADD_FAILURE() << "changed outside the captions at " << x << "," << y;
                }
        EXPECT_GT(changed, 0);
        EXPECT_EQ(outside, 0);
        // What the program carries of it gives the picture back.
        const QImage delta = skin::LanguageDelta(en.image, tr.image);
        ASSERT_FALSE(delta.isNull());
        EXPECT_EQ(laidOver(en.image, delta), b);
    }
}

INSTANTIATE_TEST_SUITE_P(Languages, LanguagePictures,
                         ::testing::Values(LanguageCase{"de", 1}, LanguageCase{"es", 1},
                                           LanguageCase{"fr", 1}, LanguageCase{"ru", 1},
                                           LanguageCase{"de", 2}, LanguageCase{"es", 2},
                                           LanguageCase{"fr", 2}, LanguageCase{"ru", 2}));

} // namespace
