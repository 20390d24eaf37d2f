// The props plug-in: an outside component that runs the props, the prop
// store and the treasure-box awards. The client holds one object of the
// abstract class Tesmora below and calls its members; the plug-in never calls
// back, it is polled.
//
// The plug-in is a shared library, plugin/tools/libTesmora.so beside the
// program, exporting one C function:
//
//     extern "C" mj::Tesmora* mj_create_plugin(int interfaceVersion);
//
// It returns a new object for a version it serves and nullptr otherwise. The
// client owns the object and deletes it through the virtual destructor. The
// library stays loaded for the rest of the run once it was loaded, so an
// object never outlives its code.
//
// What crosses the boundary is C++ (Qt strings and containers, the client's
// checked arrays and pictures, exceptions), so a plug-in must be built with
// the same compiler and the same Qt as the client, against these headers.
// A plug-in that indexes the client's checked arrays links the client's
// platform/Runtime.cpp (and platform/Picture.cpp to make pictures) into
// itself; an index out of bounds then raises mj::RuntimeError inside the
// plug-in, and the error reaches the caller of the member, as any run-time
// error of a plug-in call does.
//
// No library, a library that does not load, one without the entry point, or
// one that refuses the version: no plug-in, and the client runs without props.
#pragma once

#include "platform/Picture.h"
#include "platform/Runtime.h"

#include <QString>
#include <QVector>

#include <cstdint>
#include <memory>

namespace mj {

// The interface version this client asks for.
constexpr int TesmoraInterfaceVersion = 1;
// The entry point the library exports.
inline constexpr char TesmoraEntryPoint[] = "mj_create_plugin";

// Arrays the client passes whose bounds the client fixes.
using PropFrame = VbArray<uint8_t, 0, 271>;               // a received frame
using BoxPosArray = VbArray2<int32_t, 0, 14, 0, 1>;       // box i: left, top
using SeatPointArray = VbArray2<int32_t, 0, 3, 0, 1>;     // by side: x, y
using PropPair = VbArray<int32_t, 0, 1>;                  // a point or a size
using BoxTimingArray = VbArray<int16_t, 0, 1>;            // interval, steps
using BonusTextArray = VbArray<QString, 0, 3>;            // by side
using BonusCoinsArray = VbArray<double, 0, 3>;            // by side
using AwardTextsArray = VbArray2<QString, 0, 1, 0, 3>;    // (0|1, side)

class Tesmora {
public:
    virtual ~Tesmora() = default;

    // Set-up. account and credential of the command line, caller "DLL", the
    // table window's handle (opaque to the plug-in), name "qvtarn", the
    // object itself, layout mode (1 full scale, 2 small) and the plug-in
    // value of the command line. False: the plug-in is unusable.
    virtual bool Initdll(QString& account, QString& credential, const QString& caller,
                         uintptr_t tableWindow, const QString& name, Tesmora* self,
                         int16_t layoutMode, int16_t pluginParam) = 0;
    // Fills the treasure-box geometry, timing and pictures. True when box
    // data were given.
    virtual bool GetBaoInfo(BoxPosArray& boxPos, PropPair& boxCentre, SeatPointArray& seatPoint,
                            PropPair& labelPoint, BoxTimingArray& boxTiming,
                            Picture& closedBoxPicture, PropPair& closedBoxSize,
                            Picture& openedBoxPicture, PropPair& openedBoxSize) = 0;
    // Registers one table member. False: shut the plug-in down.
    virtual bool SetUserinfo(QString& name, QString& account, uint8_t seatMask, int16_t side,
                             bool hasCredit, uint8_t& sex, QString& tag, QString& face) = 0;
    // Forgets the member of a side.
    virtual void ClearUser(int16_t side) = 0;
    // Re-initialises the plug-in from a file name.
    virtual void Ainit(const QString& fileName) = 0;
    // (1, sound effects on); (2, hidden, side): that side's video hidden or
    // shown; (3, up): the server link is up or lost. side is used by kind 2.
    virtual void rec_state(int16_t kind, bool flag, int16_t side = 0) = 0;
    // A received frame that belongs to the plug-in.
    virtual void Rec_MSG(PropFrame& frame) = 0;
    // Number of items waiting; each is fetched once by GetSendBuff.
    virtual int32_t CheckSendBuff() = 0;
    // Takes the next item. kind: 0 notice, 1 label, 2 frame to send, 3 click
    // avatar, 4 key, 5 hover avatar. The plug-in decides the sizes of frame
    // (272 bytes when right), rect (entries 0 to 3: width, height, left, top)
    // and params (entries 0 to 4: interval, ticks, font size, colour,
    // alignment); the client checks them before use. Outputs the plug-in does
    // not set keep what the client passed.
    virtual void GetSendBuff(Picture& picture, QString& text, QVector<uint8_t>& frame,
                             int16_t& kind, QVector<int32_t>& rect, QVector<int32_t>& params) = 0;
    // The hand is over.
    virtual void InitShowEnd() = 0;
    // The hand's award data; 1 when ready (the arrays are then filled), any
    // other value: ask again later.
    virtual int32_t GetScoreInfo(BonusTextArray& bonusText, BonusCoinsArray& bonusCoins,
                                 AwardTextsArray& awardTexts) = 0;
    // True: the next hand begins; False: the result was shown.
    virtual void InitShowNext(bool starting) = 0;
    // (1, True) boxes opening; (1, False) awards counted.
    virtual void ShowGif(int16_t kind, bool on) = 0;
    // F1 to F6 (112 to 117) pressed.
    virtual void SetKeyDown(int16_t& keyCode) = 0;
    // 0 store button clicked; 2 leaving.
    virtual void setbankstate(int16_t state) = 0;
    // The table window was restored.
    virtual void FixBuffPos() = 0;
    // The plug-in's video pop-up for a side; True when it was shown.
    virtual bool ShowQvVideo(int16_t side, bool show, int16_t reserved) = 0;
    // False before leaving the table.
    virtual void UpdataMyProp(bool update) = 0;
    // Shut-down: 1 at program end, else 0.
    virtual void InitExit(int16_t& mode) = 0;
};

// The signature of the entry point.
using TesmoraFactory = Tesmora* (*)(int interfaceVersion);

// Where the plug-in library is looked for: ProgramFolder() + "/plugin/tools/libTesmora.so".
QString PropPluginPath();
// True when the plug-in library file is present.
bool PropPluginFileExists();
// Loads the library and creates the object. Null when the file is missing,
// does not load, lacks the entry point, refuses the interface version or
// fails while creating the object.
std::unique_ptr<Tesmora> CreatePropPlugin();

} // namespace mj
