#include "client/Data.h"

#include "client/General.h"
#include "client/Mod_Sound.h"
#include "client/Image_Resource.h"
#include "client/CommandLine.h"
#include "client/Mod_Proxy.h"
#include "client/SoftTimer.h"
#include "client/Total.h"
#include "client/classIniFile.h"
#include "dispatch/Total.h"
#include "social/FiltChat.h"
#include "social/Mod_Prop.h"
#include "video/VideoState.h"

namespace mj {

int16_t SideOfMask(uint8_t ownMask, uint8_t otherMask)
{
    return static_cast<int16_t>((General::MaskToIndex(ownMask) + 4 - General::MaskToIndex(otherMask)) & 3);
}

void ResetSharedState()
{
#define MJ_RESET_DATA_VARIABLE(name, ...) name = __VA_ARGS__{};
    MJ_DATA_VARIABLES(MJ_RESET_DATA_VARIABLE)
#undef MJ_RESET_DATA_VARIABLE
    ResetSoftTimers();
    Total::ResetState();
    ResetIniFile();
    Image_Resource::ResetState();
    Mod_Sound::ResetState();
    Mod_Prop::ResetState();
    FiltChat::ResetState();
    Mod_Proxy::ResetState();
    ResetVideoState();
    AutoMode = false;
    AutoCaption.clear();
    Total::PluginResetPending = false;
}

} // namespace mj
