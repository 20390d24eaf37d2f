// The window shell of the table window: the title-bar buttons, dragging by
// the title strip, minimising and restoring, and the unload. Mouse actions
// are real mouse events on the controls' widgets where the wiring matters.
#include "FakeHall.h"
#include "TableSupport.h"
#include "TestSupport.h"

#include "client/Api.h"
#include "client/Data.h"
#include "client/MainForm.h"
#include "client/frmExit.h"
#include "client/frmOtherExit.h"
#include "client/frmReconnect.h"
#include "controls/Hero.h"
#include "controls/Information.h"
#include "controls/Score.h"
#include "platform/Resources.h"
#include "social/Mod_Prop.h"
#include "social/Talk.h"
#include "social/VosSet.h"
#include "social/huifu.h"
#include "social/rule.h"
#include "video/frm_Local.h"
#include "video/frm_Remote1.h"
#include "video/frm_Remote2.h"
#include "video/frm_Remote3.h"

#include <gtest/gtest.h>

using namespace mj;
using mjtest::Hover;
using mjtest::Press;
using mjtest::PumpUntil;
using mjtest::Release;

namespace {

const QString Title = QStringLiteral("外壳测试大厅");

class WindowShell : public ::testing::Test {
protected:
    void SetUp() override
    {
        w = &mjtest::OpenTableWindow(Title);
        w->ButtonsAtRest = true; // as start-up leaves it
    }

    // The picture entry (1 normal, 2 hover, 3 pressed) a button shows.
    int closeShows() const { return entryShown(w->ImgClose); }
    int minShows() const { return entryShown(w->ImgMin); }
    static int entryShown(ControlArray<Image>& button)
    {
        for (int k = 1; k <= 3; ++k)
            if (button(0).Picture().Image() == button(k).Picture().Image())
                return k;
        return 0;
    }

    MainForm* w = nullptr;
    mjtest::FakeHall hall{Title};
};

TEST_F(WindowShell, TheTitleBarButtonsHaveThreeDifferentPictures)
{
    for (ControlArray<Image>* button : {&w->ImgClose, &w->ImgMin}) {
        EXPECT_FALSE((*button)(1).Picture().IsNull());
        EXPECT_NE((*button)(1).Picture().Image(), (*button)(2).Picture().Image());
        EXPECT_NE((*button)(2).Picture().Image(), (*button)(3).Picture().Image());
        EXPECT_NE((*button)(1).Picture().Image(), (*button)(3).Picture().Image());
    }
    EXPECT_EQ(closeShows(), 1);
    EXPECT_EQ(minShows(), 1);
}

// Hovering a button shows its hover picture; the first move over the window
// or the title strip after that puts both back to normal, and later moves
// leave the pictures alone until a button is hovered again.
TEST_F(WindowShell, TheButtonsRestOnceTheMouseLeavesThem)
{
    enum Where { OverClose, OverMin, OverWindow, OverStrip, PressMin, OverCloseEntry1 };
    const struct {
        Where where;
        int close, min; // picture entries shown afterwards
        bool atRest;
    } steps[] = {
        {OverClose, 2, 1, false},
        {OverClose, 2, 1, false},
        {OverWindow, 1, 1, true},
        {PressMin, 1, 3, true},
        {OverWindow, 1, 3, true},  // at rest already: the pressed picture stays
        {OverStrip, 1, 3, true},
        {OverCloseEntry1, 1, 3, true}, // only entry 0 reacts
        {OverMin, 1, 2, false},
        {OverStrip, 1, 1, true},
    };
    int i = 0;
    for (const auto& s : steps) {
        SCOPED_TRACE(i++);
        switch (s.where) {
        case OverClose: w->ImgClose_MouseMove(0, 0, 0, 5, 5); break;
        case OverMin: w->ImgMin_MouseMove(0, 0, 0, 5, 5); break;
        case OverWindow: w->Form_MouseMove(0, 0, 3000, 3000); break;
        case OverStrip: w->LbMove_MouseMove(0, 0, 500, 50); break;
        case PressMin: w->ImgMin_MouseDown(0, 1, 0, 5, 5); break;
        case OverCloseEntry1: w->ImgClose_MouseMove(1, 0, 0, 5, 5); break;
        }
        EXPECT_EQ(closeShows(), s.close);
        EXPECT_EQ(minShows(), s.min);
        EXPECT_EQ(w->ButtonsAtRest, s.atRest);
    }
    EXPECT_EQ(w->LbMove.MousePointer(), vbArrow);
}

// A full click on the close button: the press shows the pressed picture, the
// release toggles the history window and shows the hover picture, the click
// toggles the exit dialog.
TEST_F(WindowShell, AFullClickOnTheCloseButtonTogglesHistoryAndExitDialog)
{
    w->Show();
    QWidget* button = w->ImgClose(0).Widget();
    for (bool shown : {true, false}) {
        SCOPED_TRACE(shown ? "first click" : "second click");
        Hover(button);
        Press(button);
        EXPECT_EQ(closeShows(), 3);
        Release(button);
        EXPECT_EQ(closeShows(), 2);
        EXPECT_EQ(isLoaded<Hero>() && form<Hero>().Visible(), shown);
        EXPECT_EQ(isLoaded<frmExit>() && form<frmExit>().Visible(), shown);
        Hover(w->Widget()); // over the window again
        EXPECT_EQ(closeShows(), 1);
    }
}

TEST_F(WindowShell, TheMinimiseButtonMinimisesTheWindow)
{
    w->Show();
    QWidget* button = w->ImgMin(0).Widget();
    Hover(button);
    EXPECT_EQ(minShows(), 2);
    Press(button);
    EXPECT_EQ(minShows(), 3);
    Release(button);
    EXPECT_EQ(w->WindowState(), 1);
}

TEST_F(WindowShell, DraggingTheTitleStripPutsTheFloatingWindowsAway)
{
    for (int16_t button : {2, 1}) {
        SCOPED_TRACE(button);
        form<Talk>().Show();
        form<huifu>().Show();
        form<Score>().Show();
        form<Hero>().Show();
        form<VosSet>().Show();
        form<Information>().Show();
        w->LbMove.SetMousePointer(vbArrow);
        w->LbMove_MouseDown(button, 0, 500, 50);
        const bool left = button == 1;
        EXPECT_EQ(form<Talk>().Visible(), !left);
        EXPECT_EQ(form<huifu>().Visible(), !left);
        EXPECT_EQ(form<Score>().Visible(), !left);
        EXPECT_EQ(form<Hero>().Visible(), !left);
        EXPECT_EQ(form<VosSet>().Visible(), !left);
        EXPECT_TRUE(form<Information>().Visible()); // not one of them
        EXPECT_EQ(w->LbMove.MousePointer(), left ? vbSizeAll : vbArrow);
    }
}

TEST_F(WindowShell, MinimisingUnloadsTheVisiblePopOutVideoWindows)
{
    w->Show();
    form<frm_Local>().Show();
    form<frm_Remote1>(); // loaded, hidden
    form<frm_Remote2>().Show();
    w->SetWindowState(1);
    EXPECT_FALSE(isLoaded<frm_Local>());
    EXPECT_TRUE(isLoaded<frm_Remote1>());
    EXPECT_FALSE(isLoaded<frm_Remote2>());
    EXPECT_FALSE(isLoaded<frm_Remote3>());
}

// Restoring the window brings it forward, gives the chat box the focus,
// minimises the hall and tells the plug-in; a chat box that cannot take the
// focus is no error, a hall that is gone ends the program.
TEST_F(WindowShell, RestoringTheWindowMinimisesTheHall)
{
    const struct {
        const char* name;
        bool chatEnabled, plugin, hallThere;
    } cases[] = {
        {"plain", true, false, true},
        {"chat box disabled", false, false, true},
        {"with props", true, true, true},
        {"hall gone", true, false, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        DiscardAllForms();
        ResetSharedState();
        SetUp();
        mjtest::FakeHall caseHall(QStringLiteral("外壳测试大厅二"));
        HallTitle = QStringLiteral("外壳测试大厅二");
        mjtest::TestPlugin plugin;
        if (c.plugin) {
            plugin = mjtest::LoadTestPlugin();
            ASSERT_TRUE(plugin);
        }
        w->Show();
        w->Widget()->activateWindow();
        w->SetWindowState(1);
        w->Pic1.SetFocus();
        w->Chat.SetEnabled(c.chatEnabled);
        TimeoutCount = 4;
        const qsizetype before = caseHall.Log().size();
        if (!c.hallThere) {
            // Restored while hidden, then the restore's own handling: the
            // end of the program must not travel through the window system.
            caseHall.Close();
            w->Hide();
            w->SetWindowState(0);
            EXPECT_TRUE(mjtest::EndsProgram([&] { w->Form_Resize(); }));
            continue;
        }

        w->SetWindowState(0);

        EXPECT_FALSE(w->TopMost()); // brought forward, not kept above
        EXPECT_EQ(w->Widget()->focusWidget() == w->Chat.Widget(), c.chatEnabled);
        EXPECT_EQ(TimeoutCount, 0);
        PumpUntil([&] { return caseHall.Log().size() > before; }, 5000);
        EXPECT_EQ(caseHall.Log().mid(before), QStringList{QStringLiteral("minimize")});
        if (c.plugin) {
            EXPECT_TRUE(plugin.Log().contains(QStringLiteral("FixBuffPos()")));
        }
    }
}

TEST_F(WindowShell, TheSkinPlacesTheTitleBar)
{
    w->Move(0, 0, 15600, 11940);
    w->SetIcon(w->ImgClose(1).Picture());
    w->ImgClose(0).Move(0, 0);
    w->ImgMin(0).Move(0, 0);
    w->DrawSkin();
    const Image& close = w->ImgClose(0);
    const Image& min = w->ImgMin(0);
    EXPECT_EQ(close.Left(), w->ScaleWidth() - close.Width() - 70);
    EXPECT_EQ(close.Top(), 25);
    EXPECT_EQ(min.Left(), close.Left() - min.Width() - 30);
    EXPECT_EQ(min.Top(), 25);
    EXPECT_EQ(closeShows(), 1);
    EXPECT_EQ(minShows(), 1);
    EXPECT_EQ(w->LbMove.Left(), 290);
    EXPECT_EQ(w->LbMove.Top(), 0);
    EXPECT_EQ(w->LbMove.Width(), min.Left() - 290);
    EXPECT_EQ(w->LbMove.Height(), close.Height() + 50);
    EXPECT_EQ(w->lcaption.Left(), 300);
    EXPECT_EQ(w->lcaption.Top(), 25);
    EXPECT_EQ(w->lcaption.ForeColor(), 0xFFFFFF);
    EXPECT_EQ(w->ImgIcon.Picture().Image(), w->Icon().Image());
    EXPECT_EQ(w->ImgIcon.Left(), 50);
    EXPECT_EQ(w->ImgIcon.Width(), 240);
}

TEST_F(WindowShell, UnloadingTheTableWindowTakesEverythingDownAndEnds)
{
    const mjtest::TestPlugin plugin = mjtest::LoadTestPlugin();
    ASSERT_TRUE(plugin);
    w->P2PSocket1.Login(QStringLiteral("me"));
    form<frmExit>();
    form<frmOtherExit>();
    form<frmReconnect>();
    form<Hero>();
    form<huifu>();
    form<Information>();
    form<Score>();
    form<Talk>();
    form<VosSet>();
    form<rule>();
    form<frm_Local>();
    form<frm_Remote1>().Show();
    form<frm_Remote3>();
    EXPECT_TRUE(mjtest::EndsProgram([] { unload<MainForm>(); }));
    EXPECT_TRUE(w->P2PSocket1.LoginName().isEmpty());
    EXPECT_TRUE(plugin.Log().contains(QStringLiteral("InitExit(1)")));
    EXPECT_EQ(Mod_Prop::PropObj, nullptr);
    EXPECT_FALSE(isLoaded<frmExit>() || isLoaded<frmOtherExit>() || isLoaded<frmReconnect>());
    EXPECT_FALSE(isLoaded<Hero>() || isLoaded<huifu>() || isLoaded<Information>() || isLoaded<Score>());
    EXPECT_FALSE(isLoaded<Talk>() || isLoaded<VosSet>() || isLoaded<rule>());
    EXPECT_FALSE(isLoaded<frm_Local>() || isLoaded<frm_Remote1>() || isLoaded<frm_Remote3>());
}

} // namespace
