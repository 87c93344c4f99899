// The notices told in desktop notifications: one per kind however many files
// it concerns, with the count and the first names.
#include "app/notices.h"

#include <QTest>
#include <gtest/gtest.h>

#include <utility>
#include <vector>

namespace {

struct Shown {
    QString summary;
    QString body;
};

TEST(Notices, ManyOfAKindMakeOneNotificationWithTheCountAndTheFirstNames) {
    std::vector<Shown> shown;
    NoticeBoard board([&shown](const QString& s, const QString& b) { shown.push_back({s, b}); });
    for (const char* p : {"/a/one.jpg", "/a/two.png", "/b/three.bmp", "/b/four.jpg", "/c/five.jpg"})
        board.note(NoticeBoard::Kind::Unreadable, {p});
    board.note(NoticeBoard::Kind::ApplyFailed, {"/w/wall.jpg"});
    board.note(NoticeBoard::Kind::Skipped, {});
    EXPECT_TRUE(shown.empty()) << "it waits for the rest";
    ASSERT_TRUE(QTest::qWaitFor([&] { return shown.size() == 2; }, NoticeBoard::QuietMs * 3));
    QTest::qWait(NoticeBoard::QuietMs + 200);
    ASSERT_EQ(shown.size(), 2u) << "nothing for a kind without files";
    EXPECT_EQ(shown[0].summary, "Pictures removed");
    EXPECT_EQ(shown[0].body, "5 pictures left the collection because they cannot be read: "
                             "one.jpg, two.png, three.bmp and 2 more.");
    EXPECT_EQ(shown[1].summary, "Wallpaper not set");
    EXPECT_EQ(shown[1].body, "The wallpaper could not be set from this picture: wall.jpg.");
}

TEST(Notices, AStreamThatNeverPausesIsStillToldInTime) {
    std::vector<Shown> shown;
    NoticeBoard board([&shown](const QString& s, const QString& b) { shown.push_back({s, b}); });
    QElapsedTimer t;
    t.start();
    while (shown.empty() && t.elapsed() < NoticeBoard::LongestWaitMs * 2) {
        board.note(NoticeBoard::Kind::Skipped, {"/x/notes.txt"});
        QTest::qWait(NoticeBoard::QuietMs / 3);
    }
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_LT(t.elapsed(), NoticeBoard::LongestWaitMs + NoticeBoard::QuietMs);
    EXPECT_TRUE(shown[0].body.contains(" items were not added")) << shown[0].body.toStdString();
    EXPECT_TRUE(shown[0].body.contains("notes.txt, notes.txt, notes.txt and "))
        << shown[0].body.toStdString();
}

TEST(Notices, OneSkippedItemIsNamedAlone) {
    std::vector<Shown> shown;
    NoticeBoard board([&shown](const QString& s, const QString& b) { shown.push_back({s, b}); });
    board.note(NoticeBoard::Kind::Skipped, {"/x/%1 100%.txt"});
    board.flush();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].body, "1 item was not added because it is neither a picture (JPEG, PNG, "
                             "BMP) nor a folder: %1 100%.txt.");
}

} // namespace
