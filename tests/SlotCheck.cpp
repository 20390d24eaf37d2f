#include "SlotCheck.h"

#include "client/Data.h"
#include "client/MainForm.h"
#include "table/General.h"

#include <QRectF>

#include <map>

namespace mjtest {

QStringList CheckSlots()
{
    using namespace mj;
    QStringList faults;
    MainForm& f = form<MainForm>();
    // Where each tile image was found.
    std::map<int, QStringList> places;

    for (int side = 0; side <= 3; ++side) {
        const SeatRecord& seat = custom[side];
        if (seat.sum < 0)
            faults << QStringLiteral("side %1: sum %2").arg(side).arg(seat.sum);
        // The melds made lie from slot 1 (the own seat) or 2 up to three
        // below MeldEnd; the concealed run follows from FirstConcealed.
        QList<int> live;
        for (int i = side == 0 ? 1 : 2; i <= seat.MeldEnd - 3; ++i)
            live << i;
        for (int i = seat.FirstConcealed; i < seat.FirstConcealed + seat.sum; ++i)
            live << i;
        for (int i : live) {
            if (i < 0 || i > 20) {
                faults << QStringLiteral("side %1: live slot %2").arg(side).arg(i);
                continue;
            }
            const int image = seat.Slots[i].Image;
            if (image < 0 || image > 135) {
                faults << QStringLiteral("side %1: slot %2 shows image %3").arg(side).arg(i).arg(image);
                continue;
            }
            places[image] << QStringLiteral("side %1 slot %2").arg(side).arg(i);
            if (!f.MJ_Image(image).Visible())
                faults << QStringLiteral("side %1: slot %2's image %3 is hidden").arg(side).arg(i).arg(image);
        }
    }
    for (int image = 0; image <= 135; ++image) {
        if (!InWall[image])
            continue;
        places[image] << QStringLiteral("wall");
        if (!f.MJ_Image(image).Visible())
            faults << QStringLiteral("wall tile %1 is hidden").arg(image);
    }
    if (RightPoolCount < 0 || RightPoolCount > 136)
        faults << QStringLiteral("right pool count %1").arg(RightPoolCount);
    else
        for (int i = 0; i < RightPoolCount; ++i)
            places[RightPoolOrder[i]] << QStringLiteral("right pool");

    // The parked discard, while it stands on the table's centre.
    const QPointF centre = General::TableCentre();
    if (ClaimedDiscardImage >= 0 && ClaimedDiscardImage <= 135) {
        const Image& t = f.MJ_Image(ClaimedDiscardImage);
        if (t.Visible() && QRectF(t.Left(), t.Top(), t.Width(), t.Height()).contains(centre))
            places[ClaimedDiscardImage] << QStringLiteral("centre");
    }

    for (const auto& [image, where] : places)
        if (where.size() > 1)
            faults << QStringLiteral("image %1 is in %2").arg(image).arg(where.join(QStringLiteral(" and ")));
    return faults;
}

} // namespace mjtest
