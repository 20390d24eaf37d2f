// The picture id tables and the picture loader.
//
// Every picture the table shows at run time is a numbered resource of type
// "GIF" (PNG or JPEG data inside, decoded by content). The tables map a
// purpose and an index to a resource id, written in decimal as the callers
// expect; InitPictureIds fills them once the layout scale is known.
#pragma once

#include "platform/Picture.h"
#include "platform/Runtime.h"

#include <QString>

#include <cstdint>
#include <exception>

namespace mj::Image_Resource {

// Toolbar buttons AnNiu, pairs of normal and hover picture (发送: normal and
// greyed); entries 2..19 are the small copies when ScaleX is not exactly 1.
inline VbArray<QString, 0, 19> ButtonPicture;
// Tile pictures by TilePicIndex; entries 180 and 181 are the sideways backs.
inline VbArray<QString, 0, 181> TilePicture;
// Claim buttons 吃 碰 杠 胡 过: entry 3k greyed, 3k + 1 lit, 3k + 2 hover.
// Entries 15..17 name ids that do not exist.
inline VbArray<QString, 0, 17> ClaimButtonPicture;
// Die faces 1..6, then ten tumbling frames.
inline VbArray<QString, 0, 15> DicePicture;
// Claim words 吃 碰 杠 暗杠 红中杠 琼蔚杠 开杠 胡.
inline VbArray<QString, 0, 7> WordPicture;
// Follow-the-dealer bubbles of sides 1..3 (entry side - 1).
inline VbArray<QString, 0, 2> FollowBubblePicture;
// Portraits: face "m"n is entry n - 1, face "w"n entry n + 9.
inline VbArray<QString, 0, 19> AvatarPicture;
// Dialog buttons: 确定 and hover, 取消 and hover, 关闭, 开启, 普通话, dialect.
inline VbArray<QString, 0, 7> DialogButtonPicture;
// The wind compass turned for own seat index 0..3.
inline VbArray<QString, 0, 3> CompassPicture;
// Video toolbar icons and window buttons.
inline VbArray<QString, 0, 12> VideoIconPicture;
// Pop-out video backgrounds: small, normal, large; +3 for the small layout.
inline VbArray<QString, 0, 5> VideoBackPicture;
// Small die faces 1..6.
inline VbArray<QString, 0, 5> SmallDicePicture;

// Fills every table above; reads ScaleX.
void InitPictureIds();

// Index into TilePicture: 36 x view + 9 x suitIndex + rank - 1. Views: 0 own
// tiles lying face up, 1 left seat, 2 opposite seat, 3 right seat, 4 own hand
// standing. Raises ErrSubscript when view is not 0..4, suitIndex not 0..3 or
// rank not 1..9, so a bad tile code never picks another picture.
int16_t TilePicIndex(int16_t view, int16_t suitIndex, int16_t rank);

// Empties every table (part of the shared-state reset).
void ResetState();

namespace detail {
// The decoded picture of resource `id` of `type`; an empty Picture when there
// is none or it cannot be decoded. Never raises.
Picture LoadResourcePicture(int16_t id, const QString& type);
} // namespace detail

// Puts picture resource `id` into `target` (anything with
// SetPicture(const mj::Picture&)). Returns 1 on success, 0 on any failure
// (no such id, a type other than "GIF", data that is not a picture, a target
// that refuses the picture), without a message; on failure the target keeps
// its picture. Pictures are decoded from memory: no file is written.
template <typename Target>
int16_t LoadGifResource(int16_t id, const QString& type, Target& target)
{
    const Picture picture = detail::LoadResourcePicture(id, type);
    if (picture.IsNull())
        return 0;
    try {
        target.SetPicture(picture);
    } catch (const std::exception&) {
        return 0;
    }
    return 1;
}

} // namespace mj::Image_Resource
