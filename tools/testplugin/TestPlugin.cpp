// The test props plug-in; the script format and the log are described in
// TestPlugin.h.
#include "TestPlugin.h"

#include "platform/PropPlugin.h"

#include <QByteArray>
#include <QColor>
#include <QFile>
#include <QImage>
#include <QStringList>

#include <deque>
#include <map>
#include <optional>
#include <stdexcept>
#include <vector>

namespace {

using namespace mj;

struct Item {
    int16_t kind = 0;
    std::optional<QString> text;
    std::optional<QVector<uint8_t>> frame;
    std::optional<QVector<int32_t>> rect;
    std::optional<QVector<int32_t>> params;
};

// One entry GetScoreInfo writes: BonusText, BonusCoins or AwardTexts.
struct ScoreFill {
    enum Target { Text, Coins, Award } target = Text;
    int row = 0;
    int side = 0;
    QString text;
    double coins = 0;
};

struct ScoreAnswer {
    int32_t result = 0;
    std::vector<ScoreFill> fills;
};

// What a member with a scripted answer does.
enum class Answer { False, True, Raise };

struct State {
    Answer initdll = Answer::True;
    Answer baoinfo = Answer::False;
    bool userinfo = true;
    bool qvvideo = false;
    // Rec_MSG: 0 takes the frame; 1 raises run-time error 5; 2 throws an
    // exception that is not a run-time error.
    int recmsgFails = 0;
    // Members that fail when called, by name: 1 run-time error 5, 2 another exception.
    std::map<QString, int> fails;
    // What CheckSendBuff claims instead of the number of queued items.
    std::optional<int32_t> claim;
    // Box data that replace the defaults GetBaoInfo fills: name -> numbers.
    std::vector<std::pair<QString, QVector<int32_t>>> boxData;
    std::deque<Item> items;
    std::deque<ScoreAnswer> scores;
    QByteArray log;
};

int load(State& s, const QString& script);

// Created on first use and never destroyed, so the object's destructor may
// still log at program exit, after the library's static objects are gone.
State& state()
{
    static State* s = [] {
        auto* fresh = new State;
        const QByteArray path = qgetenv("MJ_TESTPLUGIN_SCRIPT");
        if (!path.isEmpty()) {
            QFile file(QString::fromLocal8Bit(path));
            if (file.open(QIODevice::ReadOnly))
                load(*fresh, QString::fromUtf8(file.readAll()));
        }
        return fresh;
    }();
    return *s;
}

void logLine(State& s, const QString& line)
{
    const QByteArray bytes = line.toUtf8() + '\n';
    s.log += bytes;
    const QByteArray path = qgetenv("MJ_TESTPLUGIN_LOG");
    if (!path.isEmpty()) {
        QFile file(QString::fromLocal8Bit(path));
        if (file.open(QIODevice::WriteOnly | QIODevice::Append))
            file.write(bytes);
    }
}

void logCall(const QString& line)
{
    logLine(state(), line);
}

QString quoted(const QString& text)
{
    return u'"' + text + u'"';
}

QString flag(bool b)
{
    return b ? QStringLiteral("True") : QStringLiteral("False");
}

// ---- Script reading ----

// Splits off `count` blank-separated words; `rest` gets what follows them.
bool words(const QString& line, int count, QStringList& out, QString& rest)
{
    qsizetype pos = 0;
    out.clear();
    while (out.size() < count) {
        while (pos < line.size() && line[pos].isSpace())
            ++pos;
        if (pos >= line.size())
            return false;
        const qsizetype start = pos;
        while (pos < line.size() && !line[pos].isSpace())
            ++pos;
        out << line.mid(start, pos - start);
    }
    if (pos < line.size())
        ++pos; // the one blank before the text
    rest = line.mid(pos);
    return true;
}

std::optional<int32_t> number(const QString& word)
{
    bool ok = false;
    const int32_t v = word.toInt(&ok, 0);
    return ok ? std::optional<int32_t>(v) : std::nullopt;
}

std::optional<QVector<int32_t>> numberList(const QString& word)
{
    QVector<int32_t> list;
    if (word == u"-")
        return list;
    for (const QString& part : word.split(u',')) {
        const auto v = number(part);
        if (!v)
            return std::nullopt;
        list << *v;
    }
    return list;
}

std::optional<Answer> answer(const QString& word, bool mayRaise)
{
    if (word == u"1")
        return Answer::True;
    if (word == u"0")
        return Answer::False;
    if (mayRaise && word == u"raise")
        return Answer::Raise;
    return std::nullopt;
}

// Reads one directive into the state; false when the line is not one.
bool directive(State& s, const QString& line)
{
    QStringList w;
    QString rest;
    if (!words(line, 1, w, rest))
        return true; // blank
    const QString name = w[0];
    if (name.startsWith(u'#'))
        return true;

    if (name == u"initdll" || name == u"baoinfo" || name == u"userinfo" || name == u"qvvideo") {
        const bool mayRaise = name == u"initdll" || name == u"baoinfo";
        if (!words(line, 2, w, rest))
            return false;
        const auto a = answer(w[1], mayRaise);
        if (!a)
            return false;
        if (name == u"initdll")
            s.initdll = *a;
        else if (name == u"baoinfo")
            s.baoinfo = *a;
        else if (name == u"userinfo")
            s.userinfo = *a == Answer::True;
        else
            s.qvvideo = *a == Answer::True;
        return true;
    }
    if (name == u"recmsg") {
        if (!words(line, 2, w, rest))
            return false;
        if (w[1] != u"ok" && w[1] != u"raise" && w[1] != u"throw")
            return false;
        s.recmsgFails = w[1] == u"ok" ? 0 : w[1] == u"raise" ? 1 : 2;
        return true;
    }
    if (name == u"fail") {
        if (!words(line, 3, w, rest))
            return false;
        if (w[2] != u"raise" && w[2] != u"throw" && w[2] != u"ok")
            return false;
        s.fails[w[1]] = w[2] == u"ok" ? 0 : w[2] == u"raise" ? 1 : 2;
        return true;
    }
    if (name == u"claim") {
        if (!words(line, 2, w, rest))
            return false;
        const auto n = number(w[1]);
        if (!n)
            return false;
        s.claim = *n;
        return true;
    }
    if (name == u"boxtiming" || name == u"boxpos" || name == u"boxcentre" || name == u"seatpoint"
        || name == u"labelpoint" || name == u"closedsize" || name == u"openedsize") {
        const int count = name == u"boxpos" || name == u"seatpoint" ? 3 : 2;
        if (!words(line, 1 + count, w, rest))
            return false;
        QVector<int32_t> values;
        for (int i = 1; i <= count; ++i) {
            const auto v = number(w[i]);
            if (!v)
                return false;
            values << *v;
        }
        s.boxData.emplace_back(name, values);
        return true;
    }
    if (name == u"notice") {
        words(line, 1, w, rest);
        s.items.push_back(Item{0, rest, {}, {}, {}});
        return true;
    }
    if (name == u"label") {
        if (!words(line, 3, w, rest))
            return false;
        const auto rect = numberList(w[1]);
        const auto params = numberList(w[2]);
        if (!rect || !params)
            return false;
        s.items.push_back(Item{1, rest, {}, rect, params});
        return true;
    }
    if (name == u"frame") {
        if (!words(line, 2, w, rest))
            return false;
        const auto size = number(w[1]);
        if (!size || *size < 0 || *size > 100000)
            return false;
        QVector<uint8_t> frame(*size, 0);
        for (const QString& set : rest.split(u' ', Qt::SkipEmptyParts)) {
            const QStringList iv = set.split(u'=');
            const auto i = iv.size() == 2 ? number(iv[0]) : std::nullopt;
            const auto v = iv.size() == 2 ? number(iv[1]) : std::nullopt;
            if (!i || !v || *i < 0 || *i >= *size || *v < 0 || *v > 255)
                return false;
            frame[*i] = static_cast<uint8_t>(*v);
        }
        s.items.push_back(Item{2, {}, frame, {}, {}});
        return true;
    }
    if (name == u"command") {
        if (!words(line, 2, w, rest))
            return false;
        const auto kind = number(w[1]);
        if (!kind || *kind < -32768 || *kind > 32767)
            return false;
        s.items.push_back(Item{static_cast<int16_t>(*kind), rest, {}, {}, {}});
        return true;
    }
    if (name == u"score") {
        if (!words(line, 2, w, rest))
            return false;
        const auto result = number(w[1]);
        if (!result)
            return false;
        s.scores.push_back(ScoreAnswer{*result, {}});
        return true;
    }
    if (name == u"bonustext" || name == u"bonuscoins" || name == u"awardtext") {
        if (s.scores.empty())
            return false;
        ScoreFill fill;
        if (name == u"awardtext") {
            if (!words(line, 3, w, rest))
                return false;
            const auto row = number(w[1]);
            const auto side = number(w[2]);
            if (!row || !side)
                return false;
            fill = ScoreFill{ScoreFill::Award, *row, *side, rest, 0};
        } else {
            if (!words(line, 2, w, rest))
                return false;
            const auto side = number(w[1]);
            if (!side)
                return false;
            if (name == u"bonustext") {
                fill = ScoreFill{ScoreFill::Text, 0, *side, rest, 0};
            } else {
                bool ok = false;
                const double coins = rest.trimmed().toDouble(&ok);
                if (!ok)
                    return false;
                fill = ScoreFill{ScoreFill::Coins, 0, *side, {}, coins};
            }
        }
        s.scores.back().fills.push_back(fill);
        return true;
    }
    return false;
}

int load(State& s, const QString& script)
{
    int firstBad = 0;
    const QStringList lines = script.split(u'\n');
    for (int i = 0; i < lines.size(); ++i) {
        QString line = lines[i];
        if (line.endsWith(u'\r'))
            line.chop(1);
        if (!directive(s, line)) {
            logLine(s, QStringLiteral("script error at line %1").arg(i + 1));
            if (firstBad == 0)
                firstBad = i + 1;
        }
    }
    return firstBad;
}

// ---- The plug-in object ----

Picture solidPicture(int width, int height, const QColor& colour)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(colour);
    return Picture::FromImage(image);
}

// Raises or throws when the script says the member fails.
void failIfScripted(const QString& member)
{
    const auto it = state().fails.find(member);
    if (it == state().fails.end() || it->second == 0)
        return;
    if (it->second == 1)
        Raise(ErrInvalidCall, QStringLiteral("test plug-in"));
    throw std::runtime_error("test plug-in");
}

bool scripted(Answer a)
{
    if (a == Answer::Raise)
        Raise(ErrInvalidCall, QStringLiteral("test plug-in"));
    return a == Answer::True;
}

class TestTesmora final : public Tesmora {
public:
    ~TestTesmora() override { logCall(QStringLiteral("~Tesmora()")); }

    bool Initdll(QString& account, QString& credential, const QString& caller, uintptr_t tableWindow,
                 const QString& name, Tesmora* self, int16_t layoutMode, int16_t pluginParam) override
    {
        const QString who = self == this ? QStringLiteral("self")
                                         : self ? QStringLiteral("other") : QStringLiteral("null");
        logCall(QStringLiteral("Initdll(%1, %2, %3, %4, %5, %6, %7, %8)")
                    .arg(quoted(account), quoted(credential), quoted(caller))
                    .arg(tableWindow)
                    .arg(quoted(name), who)
                    .arg(layoutMode)
                    .arg(pluginParam));
        failIfScripted(QStringLiteral("Initdll"));
        return scripted(state().initdll);
    }

    bool GetBaoInfo(BoxPosArray& boxPos, PropPair& boxCentre, SeatPointArray& seatPoint,
                    PropPair& labelPoint, BoxTimingArray& boxTiming, Picture& closedBoxPicture,
                    PropPair& closedBoxSize, Picture& openedBoxPicture, PropPair& openedBoxSize) override
    {
        logCall(QStringLiteral("GetBaoInfo()"));
        failIfScripted(QStringLiteral("GetBaoInfo"));
        if (!scripted(state().baoinfo))
            return false;
        for (int i = 0; i <= 14; ++i) {
            boxPos(i, 0) = 100 + 70 * (i % 5);
            boxPos(i, 1) = 200 + 90 * (i / 5);
        }
        boxCentre[0] = 400;
        boxCentre[1] = 300;
        for (int s = 0; s <= 3; ++s) {
            seatPoint(s, 0) = 100 + 200 * s;
            seatPoint(s, 1) = 600;
        }
        labelPoint[0] = 400;
        labelPoint[1] = 150;
        boxTiming[0] = 50;
        boxTiming[1] = 4;
        closedBoxPicture = solidPicture(40, 30, QColor(0xC0, 0x60, 0x20));
        closedBoxSize[0] = 40;
        closedBoxSize[1] = 30;
        openedBoxPicture = solidPicture(50, 40, QColor(0xF0, 0xD0, 0x40));
        openedBoxSize[0] = 50;
        openedBoxSize[1] = 40;
        for (const auto& [name, v] : state().boxData) {
            if (name == u"boxtiming") {
                boxTiming[0] = static_cast<int16_t>(v[0]);
                boxTiming[1] = static_cast<int16_t>(v[1]);
            } else if (name == u"boxpos") {
                boxPos(v[0], 0) = v[1];
                boxPos(v[0], 1) = v[2];
            } else if (name == u"boxcentre") {
                boxCentre[0] = v[0];
                boxCentre[1] = v[1];
            } else if (name == u"seatpoint") {
                seatPoint(v[0], 0) = v[1];
                seatPoint(v[0], 1) = v[2];
            } else if (name == u"labelpoint") {
                labelPoint[0] = v[0];
                labelPoint[1] = v[1];
            } else if (name == u"closedsize") {
                closedBoxSize[0] = v[0];
                closedBoxSize[1] = v[1];
            } else {
                openedBoxSize[0] = v[0];
                openedBoxSize[1] = v[1];
            }
        }
        return true;
    }

    bool SetUserinfo(QString& name, QString& account, uint8_t seatMask, int16_t side, bool hasCredit,
                     uint8_t& sex, QString& tag, QString& face) override
    {
        const bool ok = state().userinfo;
        logCall(QStringLiteral("SetUserinfo(%1, %2, %3, %4, %5, %6, %7, %8) -> %9")
                    .arg(quoted(name), quoted(account))
                    .arg(seatMask)
                    .arg(side)
                    .arg(flag(hasCredit))
                    .arg(sex)
                    .arg(quoted(tag), quoted(face), flag(ok)));
        failIfScripted(QStringLiteral("SetUserinfo"));
        return ok;
    }

    void ClearUser(int16_t side) override
    {
        logCall(QStringLiteral("ClearUser(%1)").arg(side));
        failIfScripted(QStringLiteral("ClearUser"));
    }

    void Ainit(const QString& fileName) override
    {
        logCall(QStringLiteral("Ainit(%1)").arg(quoted(fileName)));
        failIfScripted(QStringLiteral("Ainit"));
    }

    void rec_state(int16_t kind, bool flagValue, int16_t side) override
    {
        logCall(QStringLiteral("rec_state(%1, %2, %3)").arg(kind).arg(flag(flagValue)).arg(side));
        failIfScripted(QStringLiteral("rec_state"));
    }

    void Rec_MSG(PropFrame& frame) override
    {
        const QByteArray bytes(reinterpret_cast<const char*>(frame.data()), PropFrame::Count);
        logCall(QStringLiteral("Rec_MSG(%1)").arg(QString::fromLatin1(bytes.toHex())));
        failIfScripted(QStringLiteral("Rec_MSG"));
        if (state().recmsgFails == 1)
            Raise(ErrInvalidCall, QStringLiteral("test plug-in"));
        if (state().recmsgFails == 2)
            throw std::runtime_error("test plug-in");
    }

    int32_t CheckSendBuff() override
    {
        const auto n = state().claim.value_or(static_cast<int32_t>(state().items.size()));
        logCall(QStringLiteral("CheckSendBuff() -> %1").arg(n));
        failIfScripted(QStringLiteral("CheckSendBuff"));
        return n;
    }

    void GetSendBuff(Picture&, QString& text, QVector<uint8_t>& frame, int16_t& kind,
                     QVector<int32_t>& rect, QVector<int32_t>& params) override
    {
        State& s = state();
        if (s.fails.count(QStringLiteral("GetSendBuff")) && s.fails[QStringLiteral("GetSendBuff")] != 0) {
            logCall(QStringLiteral("GetSendBuff()"));
            failIfScripted(QStringLiteral("GetSendBuff"));
        }
        if (s.items.empty()) {
            logCall(QStringLiteral("GetSendBuff() -> none"));
            return;
        }
        const Item item = s.items.front();
        s.items.pop_front();
        kind = item.kind;
        if (item.text)
            text = *item.text;
        if (item.frame)
            frame = *item.frame;
        if (item.rect)
            rect = *item.rect;
        if (item.params)
            params = *item.params;
        logCall(QStringLiteral("GetSendBuff() -> %1").arg(kind));
    }

    void InitShowEnd() override
    {
        logCall(QStringLiteral("InitShowEnd()"));
        failIfScripted(QStringLiteral("InitShowEnd"));
    }

    int32_t GetScoreInfo(BonusTextArray& bonusText, BonusCoinsArray& bonusCoins,
                         AwardTextsArray& awardTexts) override
    {
        State& s = state();
        ScoreAnswer a;
        if (!s.scores.empty()) {
            a = s.scores.front();
            s.scores.pop_front();
        }
        logCall(QStringLiteral("GetScoreInfo() -> %1").arg(a.result));
        failIfScripted(QStringLiteral("GetScoreInfo"));
        for (const ScoreFill& f : a.fills) {
            switch (f.target) {
            case ScoreFill::Text: bonusText[f.side] = f.text; break;
            case ScoreFill::Coins: bonusCoins[f.side] = f.coins; break;
            case ScoreFill::Award: awardTexts(f.row, f.side) = f.text; break;
            }
        }
        return a.result;
    }

    void InitShowNext(bool starting) override
    {
        logCall(QStringLiteral("InitShowNext(%1)").arg(flag(starting)));
        failIfScripted(QStringLiteral("InitShowNext"));
    }

    void ShowGif(int16_t kind, bool on) override
    {
        logCall(QStringLiteral("ShowGif(%1, %2)").arg(kind).arg(flag(on)));
        failIfScripted(QStringLiteral("ShowGif"));
    }

    void SetKeyDown(int16_t& keyCode) override
    {
        logCall(QStringLiteral("SetKeyDown(%1)").arg(keyCode));
        failIfScripted(QStringLiteral("SetKeyDown"));
    }

    void setbankstate(int16_t st) override
    {
        logCall(QStringLiteral("setbankstate(%1)").arg(st));
        failIfScripted(QStringLiteral("setbankstate"));
    }

    void FixBuffPos() override
    {
        logCall(QStringLiteral("FixBuffPos()"));
        failIfScripted(QStringLiteral("FixBuffPos"));
    }

    bool ShowQvVideo(int16_t side, bool show, int16_t reserved) override
    {
        const bool shown = state().qvvideo;
        logCall(QStringLiteral("ShowQvVideo(%1, %2, %3) -> %4")
                    .arg(side)
                    .arg(flag(show))
                    .arg(reserved)
                    .arg(flag(shown)));
        failIfScripted(QStringLiteral("ShowQvVideo"));
        return shown;
    }

    void UpdataMyProp(bool update) override
    {
        logCall(QStringLiteral("UpdataMyProp(%1)").arg(flag(update)));
        failIfScripted(QStringLiteral("UpdataMyProp"));
    }

    void InitExit(int16_t& mode) override
    {
        logCall(QStringLiteral("InitExit(%1)").arg(mode));
        failIfScripted(QStringLiteral("InitExit"));
    }
};

} // namespace

extern "C" Q_DECL_EXPORT mj::Tesmora* mj_create_plugin(int interfaceVersion)
{
    if (interfaceVersion != mj::TesmoraInterfaceVersion) {
        logCall(QStringLiteral("mj_create_plugin(%1) -> refused").arg(interfaceVersion));
        return nullptr;
    }
    logCall(QStringLiteral("mj_create_plugin(%1)").arg(interfaceVersion));
    return new TestTesmora;
}

extern "C" Q_DECL_EXPORT int mj_testplugin_load(const char* utf8Script)
{
    return load(state(), QString::fromUtf8(utf8Script ? utf8Script : ""));
}

extern "C" Q_DECL_EXPORT void mj_testplugin_reset()
{
    State& s = state();
    s = State();
}

extern "C" Q_DECL_EXPORT const char* mj_testplugin_log()
{
    return state().log.constData();
}
