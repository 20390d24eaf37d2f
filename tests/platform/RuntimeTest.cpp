#include "TestSupport.h"

#include "platform/Runtime.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace mj;

namespace {

TEST(VbArray, BoundsAreInclusiveAndChecked)
{
    VbArray<int, 1, 3> a;
    a[1] = 10;
    a(3) = 30;
    EXPECT_EQ(a[1], 10);
    EXPECT_EQ(a[3], 30);
    EXPECT_EQ(a[2], 0);
    EXPECT_EQ(mjtest::ErrorOf([&] { a[0] = 1; }), ErrSubscript);
    EXPECT_EQ(mjtest::ErrorOf([&] { (void)a[4]; }), ErrSubscript);
    EXPECT_EQ(mjtest::ErrorOf([&] { (void)a[-1]; }), ErrSubscript);
    EXPECT_EQ(mjtest::ErrorOf([&] { (void)a[1LL << 40]; }), ErrSubscript);
}

TEST(VbArray, TwoDimensionsCheckBothAxes)
{
    VbArray2<int, 1, 3, 0, 20> a;
    a(1, 0) = 5;
    a(3, 20) = 7;
    EXPECT_EQ(a(1, 0), 5);
    EXPECT_EQ(a(3, 20), 7);
    EXPECT_EQ(mjtest::ErrorOf([&] { (void)a(0, 0); }), ErrSubscript);
    EXPECT_EQ(mjtest::ErrorOf([&] { (void)a(1, 21); }), ErrSubscript);
}

struct IntCase {
    const char* text;
    int expected;
    int error; // the run-time error raised instead, 0 when none
};

TEST(Conversions, CIntOfText)
{
    const IntCase cases[] = {
        {"1", 1, 0}, {"  42 ", 42, 0}, {"-32768", -32768, 0}, {"32767", 32767, 0},
        {"2.5", 2, 0}, {"3.5", 4, 0}, {"-2.5", -2, 0}, {"1e2", 100, 0}, {"&HFF", 255, 0},
        {"&HFFFF", -1, 0},
        {"32768", 0, ErrOverflow}, {"-32769", 0, ErrOverflow}, {"1e10", 0, ErrOverflow},
        {"", 0, ErrTypeMismatch}, {"   ", 0, ErrTypeMismatch}, {"12abc", 0, ErrTypeMismatch},
        {"abc", 0, ErrTypeMismatch}, {"8888x", 0, ErrTypeMismatch},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        if (c.error)
            EXPECT_EQ(mjtest::ErrorOf([&] { CInt(QString::fromUtf8(c.text)); }), c.error);
        else
            EXPECT_EQ(CInt(QString::fromUtf8(c.text)), c.expected);
    }
}

TEST(Conversions, CLngAndCByteRanges)
{
    EXPECT_EQ(CLng(QStringLiteral("2147483647")), 2147483647);
    EXPECT_EQ(mjtest::ErrorOf([] { CLng(QStringLiteral("2147483648")); }), ErrOverflow);
    EXPECT_EQ(CByte(255.4), 255);
    EXPECT_EQ(mjtest::ErrorOf([] { CByte(256); }), ErrOverflow);
    EXPECT_EQ(mjtest::ErrorOf([] { CByte(-1); }), ErrOverflow);
    EXPECT_EQ(mjtest::ErrorOf([] { CInt(std::nan("")); }), ErrOverflow);
}

TEST(Conversions, ValReadsTheLeadingNumberAndNeverFails)
{
    const struct {
        const char* text;
        double expected;
    } cases[] = {
        {"123abc", 123}, {"abc", 0}, {"", 0}, {"  1 2 3", 123}, {"-4.5x", -4.5},
        {"1e3", 1000}, {"1e", 1}, {"&H10", 16}, {"&O17", 15}, {".5", 0.5}, {"-", 0},
        {"+7", 7}, {"1d2", 100}, {"9999999999999999999999", 1e22},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_DOUBLE_EQ(Val(QString::fromUtf8(c.text)), c.expected);
    }
}

TEST(EndAndMessages, HooksReplaceTheWindowAndTheExit)
{
    int code = -1;
    EXPECT_TRUE(mjtest::EndsProgram([] { EndProgram(3); }, &code));
    EXPECT_EQ(code, 3);
    mjtest::AnswerMessageBoxes(vbCancel);
    EXPECT_EQ(MsgBox(QStringLiteral("本游戏需从游戏大厅中启动！"), vbOKCancel), vbCancel);
    ASSERT_EQ(mjtest::MessageBoxes().size(), 1);
    EXPECT_EQ(mjtest::MessageBoxes()[0], QStringLiteral("本游戏需从游戏大厅中启动！"));
}

} // namespace

#include "platform/Application.h"

#include <QTimer>

namespace {

TEST(EventLoop, ARunTimeErrorInAnEventGoesToTheUnhandledErrorAction)
{
    int seen = 0;
    SetUnhandledErrorAction([&](const RuntimeError& e) { seen = e.Number; });
    bool after = false;
    QTimer::singleShot(0, [] { Raise(ErrSubscript); });
    QTimer::singleShot(1, [&] { after = true; });
    ASSERT_TRUE(mjtest::PumpUntil([&] { return after; }));
    EXPECT_EQ(seen, ErrSubscript); // and the loop went on
}

TEST(EventLoop, ByDefaultAnUnhandledErrorEndsTheProgram)
{
    QTimer::singleShot(0, [] { Raise(ErrOverflow); });
    ASSERT_TRUE(mjtest::PumpUntil([] { return ProgramEndedInEvent(); }));
}

} // namespace

#include <QKeyEvent>
#include <QLineEdit>
#include <QStyleHints>

namespace {

// An idle table draws nothing: the caret stops blinking when nobody types,
// and blinks again at the next key, button press or focus change.
TEST(EventLoop, TheCaretRestsWithoutInputAndBlinksAgainOnInput)
{
    auto* app = static_cast<Application*>(QCoreApplication::instance());
    QStyleHints* hints = QGuiApplication::styleHints();
    app->SetCaretRest(Application::CaretRestMs);
    const int blink = hints->cursorFlashTime();
    ASSERT_GT(blink, 0);

    QLineEdit box;
    struct Input {
        const char* what;
        std::function<void()> send;
    };
    const Input inputs[] = {
        {"key", [&] {
             QKeyEvent key(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, QStringLiteral("a"));
             QCoreApplication::sendEvent(&box, &key);
         }},
        {"button", [&] {
             QMouseEvent press(QEvent::MouseButtonPress, QPointF(2, 2), QPointF(2, 2), Qt::LeftButton, Qt::LeftButton,
                               Qt::NoModifier);
             QCoreApplication::sendEvent(&box, &press);
         }},
        {"focus", [&] {
             QFocusEvent focus(QEvent::FocusIn);
             QCoreApplication::sendEvent(&box, &focus);
         }},
    };
    for (const Input& input : inputs) {
        SCOPED_TRACE(input.what);
        app->SetCaretRest(30);
        ASSERT_TRUE(mjtest::PumpUntil([&] { return hints->cursorFlashTime() == 0; }));
        input.send();
        EXPECT_EQ(hints->cursorFlashTime(), blink);
    }
    app->SetCaretRest(Application::CaretRestMs);
    EXPECT_EQ(hints->cursorFlashTime(), blink);
}

} // namespace
