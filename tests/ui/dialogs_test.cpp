// The program's questions and error box on the offscreen platform: they
// return at once, answer through their callback and never call back once
// their owner is gone.
#include "ui/dialogs.h"

#include <QAbstractButton>
#include <QApplication>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QWidget>

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace {

struct QuestionCase {
    const char* name;
    const char* answer; ///< "ok", "cancel", "enter", "escape" or "closebox"
    bool ok;
};

void PrintTo(const QuestionCase& c, std::ostream* os) {
    *os << c.name << "/" << c.answer;
}

QMessageBox* ask(const std::string& name, QWidget* owner, Answer answer) {
    if (name == "exit")
        return askExit(owner, std::move(answer));
    return askDeleteFile(owner, "/pictures/summer.jpg", std::move(answer));
}

void give(QMessageBox* box, const std::string& answer) {
    if (answer == "ok")
        box->button(QMessageBox::Ok)->click();
    else if (answer == "cancel")
        box->button(QMessageBox::Cancel)->click();
    else if (answer == "enter")
        QTest::keyClick(box, Qt::Key_Return);
    else if (answer == "escape")
        QTest::keyClick(box, Qt::Key_Escape);
    else
        box->close();
}

} // namespace

class Question : public ::testing::TestWithParam<QuestionCase> {};

TEST_P(Question, ReturnsAtOnceAndAnswersOnceThroughItsCallback) {
    const QuestionCase c = GetParam();
    QWidget owner;
    std::vector<bool> answers;
    QPointer<QMessageBox> box = ask(c.name, &owner, [&](bool ok) { answers.push_back(ok); });
    ASSERT_NE(box, nullptr);
    EXPECT_TRUE(answers.empty()) << "answered before the user did";
    EXPECT_TRUE(box->isVisible());
    EXPECT_EQ(QApplication::activeModalWidget(), box.data());
    EXPECT_EQ(box->windowModality(), Qt::ApplicationModal);
    EXPECT_EQ(box->windowTitle(), "Quorvane");
    EXPECT_EQ(box->textFormat(), Qt::PlainText);
    EXPECT_EQ(box->standardButtons(), QMessageBox::Ok | QMessageBox::Cancel);
    EXPECT_EQ(box->defaultButton(), box->button(QMessageBox::Ok));
    if (std::string(c.name) == "exit") {
        EXPECT_EQ(box->icon(), QMessageBox::Question);
        EXPECT_EQ(box->text(), "Do you realy want to exit?");
    } else {
        EXPECT_EQ(box->icon(), QMessageBox::Information);
        EXPECT_EQ(box->text(), QString::fromStdString(deleteQuestion("/pictures/summer.jpg")));
    }

    give(box, c.answer);
    EXPECT_EQ(answers, std::vector<bool>{c.ok});
    // Closed, the box goes.
    EXPECT_TRUE(QTest::qWaitFor([&] { return box.isNull(); }, 2000));
    EXPECT_EQ(answers.size(), 1u);
}

INSTANTIATE_TEST_SUITE_P(
    Answers, Question,
    ::testing::Values(QuestionCase{"exit", "ok", true}, QuestionCase{"exit", "enter", true},
                      QuestionCase{"exit", "cancel", false}, QuestionCase{"exit", "escape", false},
                      QuestionCase{"exit", "closebox", false}, QuestionCase{"delete", "ok", true},
                      QuestionCase{"delete", "enter", true},
                      QuestionCase{"delete", "escape", false},
                      QuestionCase{"delete", "closebox", false}));

// The box shows over the active window, which may not be its owner: once the
// owner is gone, an answer reaches no one.
TEST(Questions, AnAnswerAfterTheOwnerWentCallsNothing) {
    QWidget active;
    active.show();
    active.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&active));
    auto owner = std::make_unique<QWidget>();
    bool called = false;
    QPointer<QMessageBox> box = askExit(owner.get(), [&](bool) { called = true; });
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->parentWidget(), &active);
    owner.reset();
    ASSERT_FALSE(box.isNull()) << "the box went with its owner, so this tests nothing";
    box->button(QMessageBox::Ok)->click();
    EXPECT_FALSE(called);
    EXPECT_TRUE(QTest::qWaitFor([&] { return box.isNull(); }, 2000));
}

TEST(ErrorBox, ShowsWithoutWaitingAndGoesWithItsOk) {
    QWidget owner;
    QPointer<QMessageBox> box = showErrorBox(&owner, "the list <b>file</b> cannot be written");
    ASSERT_NE(box, nullptr);
    EXPECT_TRUE(box->isVisible());
    EXPECT_EQ(QApplication::activeModalWidget(), box.data());
    EXPECT_EQ(box->icon(), QMessageBox::Critical);
    EXPECT_EQ(box->windowTitle(), QApplication::applicationDisplayName());
    EXPECT_EQ(box->text(), "the list <b>file</b> cannot be written");
    EXPECT_EQ(box->textFormat(), Qt::PlainText);
    EXPECT_EQ(box->standardButtons(), QMessageBox::Ok);
    QTest::keyClick(box, Qt::Key_Escape);
    EXPECT_TRUE(QTest::qWaitFor([&] { return box.isNull(); }, 2000));
}
