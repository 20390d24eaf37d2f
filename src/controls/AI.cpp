#include "controls/AI.h"

#include "client/Data.h"
#include "client/General.h"

#include <cstdlib>

namespace mj::AI {

namespace {

int SuitIndexOf(int code) { return General::MaskToIndex(static_cast<uint8_t>((code / 16) % 16)); }

// A code the evaluation can count: one of the four suit bits and rank 1..9.
bool Countable(int code)
{
    const int suit = (code / 16) % 16, rank = code % 16;
    return (suit == 1 || suit == 2 || suit == 4 || suit == 8) && rank >= 1 && rank <= 9;
}

// A tile naming suit index s and rank x.
int CodeOf(int s, int x) { return General::IndexToMask(static_cast<int16_t>(s)) * 16 + x; }

// Scores are 16-bit; a result outside that range is a run-time error.
int16_t Score16(int value)
{
    if (value < -32768 || value > 32767)
        Raise(6); // overflow
    return static_cast<int16_t>(value);
}

} // namespace

void CountHandTiles()
{
    HandCount.Fill(0);
    MeldTiles.Fill(0);
    SeatRecord& own = custom[0];
    for (int i = own.FirstConcealed; i <= own.FirstConcealed + own.sum - 1; ++i) {
        const int16_t code = static_cast<int16_t>(own.Slots[i].Code & 0xFF);
        own.Slots[i].Code = code;
        const int s = SuitIndexOf(code), r = code % 16;
        if (s >= 0 && s <= 3 && r >= 1 && r <= 9)
            ++HandCount(s, r);
    }
}

int16_t EvaluateSuit(int16_t mode, uint8_t tile)
{
    const int s = SuitIndexOf(tile);
    const int tileRank = tile % 16;
    const auto H = [&](int x) -> int { return x >= 1 && x <= 9 ? HandCount(s, x) : 0; };
    const auto W = [&](int x) -> int { return x >= 1 && x <= 9 ? RankWeight(s, x) : 0; };
    const bool numbered = s > 0;

    if (mode == 1)
        --HandCount(s, tileRank);
    int score = 0;
    for (int pass = 0; pass < 5; ++pass) {
        for (int x = 1; x <= 9; ++x)
            RankWeight(s, x) = 0;
        int best = 20000, chosen = 0, flags = 0;
        for (int r = 1; r <= 9; ++r) {
            if (H(r) <= 0)
                continue;
            int w = numbered ? H(r - 2) * (r > 2) + 2 * H(r - 1) * (r > 1) + 3 * H(r) + 2 * H(r + 1) * (r < 9)
                    + H(r + 2) * (r < 8)
                             : 3 * H(r);
            int l = 0;
            if (numbered) {
                if (r > 2 && H(r - 2) > 0 && H(r - 1) > 0)
                    l += 1;
                if (r > 1 && r < 9 && H(r - 1) > 0 && H(r + 1) > 0)
                    l += 2;
                if (r < 8 && H(r + 1) > 0 && H(r + 2) > 0)
                    l += 4;
            }
            if (H(r) > 2)
                l += 8;
            if (l == 0)
                w = 0;
            RankWeight(s, r) = static_cast<int16_t>(w);
            if (w > 0 && w < best) {
                best = w;
                chosen = r;
                flags = l;
            }
        }
        if (chosen == 0)
            break;
        const int r = chosen;
        int meld[3] = {};
        best = 20000;
        const auto consider = [&](int flag, int cost, int a, int b, int c) {
            if ((flags & flag) && cost < best) {
                best = cost;
                meld[0] = a;
                meld[1] = b;
                meld[2] = c;
            }
        };
        consider(8, 2 * W(r), r, r, r);
        consider(4, W(r + 1) + W(r + 2), r, r + 1, r + 2);
        consider(2, W(r - 1) + W(r + 1), r - 1, r, r + 1);
        consider(1, W(r - 2) + W(r - 1), r - 2, r - 1, r);
        for (int rank : meld) {
            --HandCount(s, rank);
            ++MeldTiles(s, rank);
        }
        if (mode < 4)
            score += 1000;
    }

    if (!numbered) {
        for (int r = 1; r <= 7; ++r) {
            if (H(r) <= 0)
                continue;
            score += H(r) == 1 ? -100 : -30;
            score -= 2 * SeenTiles(0, r);
            score += 50 * MeldTiles(0, r);
        }
    } else {
        for (int r = 1; r <= 9; ++r) {
            if (H(r) <= 0)
                continue;
            score -= 60 + 2 * SeenTiles(s, r);
            if (r == 2 || r == 5 || r == 8) {
                score += H(2) > 1 || H(5) > 1 || H(8) > 1 ? 54 : 10;
                if (H(2) + H(5) + H(8) < 2)
                    score += 8;
            }
            score += 4 - std::abs(5 - r);
            for (int q = 1; q <= 9; ++q) {
                const int d = std::abs(r - q);
                if (H(q) > 0) {
                    if (d <= 1)
                        score += 3 * H(q) * (10 - d) / 2;
                    else if (d == 2)
                        score += H(q) * (10 - d) / 2;
                    else if (d <= 4)
                        score += H(q) * (10 - d) / 3;
                }
                if (MeldTiles(s, q) > 0 && d < 3)
                    score += MeldTiles(s, q) * (10 - d) / 2;
            }
        }
    }
    if (mode == 1)
        ++HandCount(s, tileRank);
    return Score16(score);
}

int16_t ChooseDiscard()
{
    const SeatRecord& own = custom[0];
    int best = -20000;
    int chosen = own.FirstConcealed + own.sum - 1;
    for (int i = own.FirstConcealed; i <= own.FirstConcealed + own.sum - 1; ++i) {
        const int code = own.Slots[i].Code & 0xFF;
        if (!Countable(code))
            continue; // never evaluated, never chosen
        const int suit = SuitIndexOf(code);
        int total = 0;
        for (int k = 0; k <= 3; ++k) {
            if (k == suit)
                continue;
            CountHandTiles();
            total += EvaluateSuit(0, static_cast<uint8_t>(CodeOf(k, 1)));
        }
        CountHandTiles();
        total += EvaluateSuit(1, static_cast<uint8_t>(code));
        if (total > best) {
            best = total;
            chosen = i;
        }
    }
    return own.Slots[chosen].Code;
}

bool DecideClaim(int16_t kind, uint8_t tile)
{
    ClaimChoiceA = 0;
    ClaimChoiceB = 0;
    if (!Countable(tile))
        return false;
    const int s = SuitIndexOf(tile), r = tile % 16;
    int best = -20000;
    if (kind == 1) {
        const int pairs[3][2] = {{r - 2, r - 1}, {r - 1, r + 1}, {r + 1, r + 2}};
        const bool tried[3] = {r > 2, r > 1 && r < 9, r < 8};
        for (int k = 0; k < 3; ++k) {
            if (!tried[k])
                continue;
            CountHandTiles();
            const int a = pairs[k][0], b = pairs[k][1];
            if (HandCount(s, a) < 1 || HandCount(s, b) < 1)
                continue;
            --HandCount(s, a);
            --HandCount(s, b);
            const int v = EvaluateSuit(2, tile) + 1000;
            if (v > best) {
                best = v;
                ClaimChoiceA = static_cast<int16_t>(CodeOf(s, a));
                ClaimChoiceB = static_cast<int16_t>(CodeOf(s, b));
            }
        }
        const SeatRecord& own = custom[0];
        for (int16_t* choice : {&ClaimChoiceA, &ClaimChoiceB})
            for (int i = own.FirstConcealed; i <= own.FirstConcealed + own.sum - 1; ++i)
                if (own.Slots[i].Code == *choice) {
                    *choice = static_cast<int16_t>(i);
                    break;
                }
    } else {
        CountHandTiles();
        if (HandCount(s, r) < 2)
            return false; // no pair to claim with
        HandCount(s, r) = static_cast<int16_t>(HandCount(s, r) - 2);
        ClaimChoiceA = static_cast<int16_t>(CodeOf(s, r));
        best = EvaluateSuit(3, tile) + 1000;
    }
    CountHandTiles();
    const int base = EvaluateSuit(0, tile);
    return best - base > 150;
}

bool DecideGang()
{
    int total = 0;
    for (int k = 0; k <= 3; ++k) {
        CountHandTiles();
        total += EvaluateSuit(4, static_cast<uint8_t>(CodeOf(k, 1)));
    }
    return total >= -99;
}

} // namespace mj::AI
