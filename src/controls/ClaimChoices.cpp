// The ways to make a chi or a gang with the own hand: one is sent at once,
// several are offered on the pickers above the claim buttons.
#include "controls/Operate.h"

#include "client/General.h"
#include "client/Image_Resource.h"
#include "client/MainForm.h"
#include "controls/PlayerRequests.h"
#include "table/Operate.h"

namespace mj::Operate {

namespace {

int16_t SuitBitOf(int16_t code) { return static_cast<int16_t>((code / 16) % 16); }
int16_t RankOf(int16_t code) { return static_cast<int16_t>(code % 16); }

// The own standing face of a tile on a picker.
void ShowOnPicker(Image& picker, int16_t code)
{
    const int entry = 144 + 9 * General::MaskToIndex(static_cast<uint8_t>(SuitBitOf(code))) + RankOf(code) - 1;
    if (entry < 144 || entry > 179)
        return; // a code that names no tile shows nothing
    Image_Resource::LoadGifResource(CInt(Image_Resource::TilePicture[entry]), QStringLiteral("GIF"), picker);
}

void PutInFront(Image& picker)
{
    picker.SetVisible(true);
    picker.ZOrder(0);
    picker.SetEnabled(true);
}

// A gang candidate is sent by the claim it was listed for: OpAddedGang,
// OpExposedGang or OpConcealedGang.
void SendGang(int16_t kind, int16_t slot)
{
    switch (kind) {
    case OpAddedGang: SendAddedGang(slot); break;
    case OpExposedGang: SendExposedGang(slot); break;
    case OpConcealedGang: SendConcealedGang(slot); break;
    default: break;
    }
}

// The claim's word beside its picker, so that two candidates of one tile (the
// wild tile's concealed gang and its setting aside) read apart.
QString GangWord(int16_t kind, int16_t code)
{
    if (kind == OpConcealedGang)
        return QStringLiteral("暗杠");
    if (kind == OpExposedGang)
        return QStringLiteral("杠");
    if (code == TileRedDragon)
        return QStringLiteral("红中杠");
    if (WildTile > 0 && code == WildTile)
        return QStringLiteral("琼蔚杠");
    return QStringLiteral("开杠");
}

} // namespace

void OfferChiChoices(int16_t tile)
{
    MainForm& f = form<MainForm>();
    const int16_t handW[] = {48, 35, 37, 35}, handH[] = {78, 66, 50, 66};
    for (int s = 0; s <= 3; ++s) {
        TileW[s] = CInt(handW[s] * ScaleX);
        TileH[s] = CInt(handH[s] * ScaleY);
    }
    const SeatRecord& own = custom[0];
    SortHand(0, own.sum);

    const int fc = own.FirstConcealed, end = own.FirstConcealed + own.sum; // the run is fc .. end - 1
    const int16_t suit = SuitBitOf(tile);
    int first = -1;
    for (int i = fc; i < end; ++i)
        if (SuitBitOf(own.Slots[i].Code) == suit) {
            first = i;
            break;
        }
    if (first < 0)
        return; // no tile of the suit: no way to chi
    int last = end - 1;
    for (int i = first + 1; i < end; ++i)
        if (SuitBitOf(own.Slots[i].Code) != suit) {
            last = i - 1;
            break;
        }
    int count[11] = {}, cum[11] = {};
    for (int i = first; i <= last; ++i) {
        const int r = RankOf(own.Slots[i].Code);
        if (r >= 1 && r <= 9)
            ++count[r];
    }
    for (int x = 1; x <= 9; ++x)
        cum[x] = cum[x - 1] + count[x];
    const auto has = [&](int x) { return x >= 1 && x <= 9 && count[x] > 0; };
    const auto slotOf = [&](int x) { return static_cast<int16_t>(first + cum[x] - 1); };

    const int r = RankOf(tile);
    const int pairs[3][2] = {{r - 2, r - 1}, {r - 1, r + 1}, {r + 1, r + 2}};
    const bool allowed[3] = {r > 2, r > 1 && r < 9, r < 8};
    int n = 0;
    for (int k = 0; k < 3; ++k) {
        if (!allowed[k] || !has(pairs[k][0]) || !has(pairs[k][1]))
            continue;
        ChiChoices[n] = slotOf(pairs[k][0]);
        ChiChoices[n + 1] = slotOf(pairs[k][1]);
        n += 2;
    }
    if (n == 0)
        return;
    if (n == 2) {
        f.Operation(0).SetVisible(false);
        SendChi(ChiChoices[0], ChiChoices[1]);
        return;
    }
    for (int i = 1; i <= 4; ++i) {
        f.Operation(i).SetVisible(false);
        f.Operation(i).SetEnabled(false);
    }
    for (int i = 0; i < n; ++i) {
        Image& picker = f.Chi(i);
        ShowOnPicker(picker, own.Slots[ChiChoices[i]].Code);
        picker.SetHeight(TileH[0] * 0.8);
        picker.SetWidth(TileW[0] * 0.8);
        picker.SetTop(f.Operation(0).Top() - (i / 2) * picker.Height() * 0.8);
        picker.SetLeft(f.Operation(1).Left() + (i % 2) * picker.Width());
        PutInFront(picker);
    }
    RestartTurnClockForChoice(f);
}

void OfferGangChoices()
{
    MainForm& f = form<MainForm>();
    SeatRecord& own = custom[0];
    int n = 0;
    // Only five pickers exist; a hand never has more candidates.
    const auto add = [&](int16_t slot, int16_t kind) {
        if (n > f.Gang.UBound())
            return;
        GangChoices[n] = slot;
        GangChoiceKinds[n] = kind;
        ShowOnPicker(f.Gang(n), own.Slots[slot].Code);
        f.Gang(n).SetToolTipText(GangWord(kind, own.Slots[slot].Code));
        ++n;
    };
    const auto listed = [&](int16_t slot) {
        for (int k = 0; k < n; ++k)
            if (GangChoices[k] == slot)
                return true;
        return false;
    };
    const auto firstWith = [&](int16_t code) {
        for (int j = own.FirstConcealed; j <= own.FirstConcealed + own.sum - 1; ++j)
            if (own.Slots[j].Code == code)
                return static_cast<int16_t>(j);
        return int16_t{-1};
    };

    const auto held = [&](int16_t code) {
        int count = 0;
        for (int j = own.FirstConcealed; j <= own.FirstConcealed + own.sum - 1; ++j)
            count += own.Slots[j].Code == code;
        return count;
    };
    // All four wild tiles in the hand make a concealed gang too when one is
    // offered: the concealed gang is listed first (the automatic play takes
    // it) and the setting aside after it, a choice of its own.
    const bool wildGangFirst = (OfferBits & OpConcealedGang) && WildTile > 0 && WildTile != TileRedDragon
        && held(WildTile) == 4;
    const auto setWildAside = [&] {
        const int16_t j = firstWith(WildTile);
        if (j >= 0)
            add(j, OpAddedGang);
    };

    if (OfferBits & OpAddedGang) {
        for (int i = 1; i <= own.MeldEnd - 3; ++i) {
            if (own.Slots[i].State != SlotPeng)
                continue;
            const int16_t j = firstWith(own.Slots[i].Code);
            if (j >= 0 && !listed(j))
                add(j, OpAddedGang);
        }
        // The same claim sets a red dragon or the wild tile aside, one at a
        // time, peng or no peng.
        for (const int16_t special : {TileRedDragon, WildTile}) {
            if (special <= 0 || (special == WildTile && wildGangFirst))
                continue;
            const int16_t j = firstWith(special);
            if (j >= 0 && !listed(j))
                add(j, OpAddedGang);
        }
    }
    if (OfferBits & OpExposedGang) {
        for (int i = own.FirstConcealed; i <= own.FirstConcealed + own.sum - 3; ++i) {
            if (own.Slots[i].Code != ClaimedDiscard || own.Slots[i + 2].Code != ClaimedDiscard)
                continue;
            if (!listed(firstWith(own.Slots[i].Code))) {
                add(static_cast<int16_t>(i), OpExposedGang);
                break;
            }
        }
    }
    if (OfferBits & OpConcealedGang) {
        SortHand(0, own.sum);
        for (int i = own.FirstConcealed; i <= own.FirstConcealed + own.sum - 4; ++i) {
            const int16_t code = own.Slots[i].Code;
            if (code != own.Slots[i + 3].Code || code == TileRedDragon)
                continue;
            int j = own.FirstConcealed + own.sum - 1;
            while (j >= own.FirstConcealed && own.Slots[j].Code != code)
                --j;
            if (j == i + 3)
                add(static_cast<int16_t>(i), OpConcealedGang);
        }
        if ((OfferBits & OpAddedGang) && wildGangFirst)
            setWildAside();
    }

    if (DecisionState == 3) {
        if (n > 0)
            SendGang(GangChoiceKinds[0], GangChoices[0]);
        return;
    }
    if (n == 1) {
        f.Operation(2).SetVisible(false);
        SendGang(GangChoiceKinds[0], GangChoices[0]);
        PlayOwnVoice("03");
        return;
    }
    for (int i : {0, 1, 3, 4})
        f.Operation(i).SetVisible(false);
    for (int i = 0; i < n; ++i) {
        Image& picker = f.Gang(i);
        picker.SetHeight(TileH[0] * 0.8);
        picker.SetWidth(TileW[0] * 0.8);
        picker.SetTop(f.Operation(0).Top() - i * picker.Height() * 0.8);
        picker.SetLeft(f.Operation(3).Left());
        PutInFront(picker);
    }
    RestartTurnClockForChoice(f);
}

} // namespace mj::Operate
