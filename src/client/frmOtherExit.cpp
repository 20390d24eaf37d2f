#include "client/frmOtherExit.h"

#include "client/Api.h"
#include "client/Data.h"
#include "client/SoftTimer.h"
#include "client/frmExit.h"
#include "platform/Resources.h"
#include "table/NewGame.h"

namespace mj {

frmOtherExit::frmOtherExit()
    : Form(QStringLiteral("frmOtherExit"), ScaleMode::Pixels)
    , Label1(*this, QStringLiteral("Label1"))
    , imgOK(*this, QStringLiteral("imgOK"))
    , imgCancel(*this, QStringLiteral("imgCancel"))
{
    SetBorderless(true);
    SetCaption(QStringLiteral("退出"));
    Move(0, 0, 319 * 15, 180 * 15);
    SetPicture(Resources::DesignPicture(QStringLiteral("frmOtherExit")));
    DesignDialogLabel(Label1, 31, 40, 259, 19, QString(), 14.25, false);
    for (Image* button : {&imgOK, &imgCancel})
        button->SetStretch(true);
    imgOK.Move(76, 124, 70, 29);
    imgCancel.Move(180, 124, 70, 29);
    // The buttons' pictures are the dialog's own OK and Cancel pictures.
    if (auto bytes = Resources::Load(130, QStringLiteral("GIF")))
        imgOK.SetPicture(mj::Picture::FromData(*bytes, 130));
    if (auto bytes = Resources::Load(132, QStringLiteral("GIF")))
        imgCancel.SetPicture(mj::Picture::FromData(*bytes, 132));
    imgOK.OnClick = [this] { imgOK_Click(); };
    imgCancel.OnClick = [this] { imgCancel_Click(); };
}

void frmOtherExit::Form_Load()
{
    imgOK.Move(imgOK.Left(), imgOK.Top(), 70, 30);
    imgCancel.Move(imgCancel.Left(), imgCancel.Top(), 70, 30);
}

void frmOtherExit::imgOK_Click()
{
    // The dispatcher sent the leave-seat frame before it showed the dialog.
    const Api::LeaveGuard leave;
    if (!leave)
        return;
    TableResetDone = false;
    Api::ReturnToHall();
    NewGame::ResetRoundDataCopy();
    NewGame::ClearTableAndPlaceWalls();
    Unload();
    Api::LeaveToHallWindow();
}

void frmOtherExit::imgCancel_Click()
{
    OtherExitShown = true;
    GameRunning = false;
    ConnectionMonitorOn = false;
    Unload();
}

} // namespace mj
