// The sound and video settings: five rows, each a label picture with a
// switch beside it (background music, system sound, sound effects, voice
// language, video), and the buttons 确定 and 取消. A switch takes effect at
// once; Cancel turns back the rows changed since the window was last closed,
// the video row excepted. The video switch is kept in vidiosetting.ini for
// the next start.
//
// Loaded the first time anything shows or hides it, then only hidden and
// shown, so the switches keep their pictures for the run.
#pragma once

#include "platform/Forms.h"

#include <QString>

namespace mj {

class VosSet : public Form {
public:
    VosSet();

    ControlArray<Image> Image1;   // the rows' label pictures
    ControlArray<Image> Command2; // the rows' switches; 1 to 4 are created at load
    ControlArray<Image> Command1; // 0 OK, 1 Cancel

    // Row i was clicked an odd number of times since the window was loaded
    // or last closed by OK or Cancel.
    VbArray<bool, 0, 4> RowChanged;

    void Form_Load() override;
    void Command2_Click(int16_t& index);
    void Command1_Click(int16_t index);

private:
    void SwitchVideo();
    void SetSwitchPicture(int row, int16_t picture);

    // The seats' voice languages and the voice folder as they were before
    // the voice-language row's first click since the window was last closed.
    bool voiceSaved_ = false;
    QString savedVoiceLang_[4];
    QString savedVoiceDir_;
};

} // namespace mj
