// The text rule of an outgoing chat line. Every line goes out dressed with
// the sender's name: a public line as name & "说道: " & text, a private one
// (while a private prefix "你对" & target & "说: " stands in the chat box) as
// name & "对" & target & "说: " & text, with the target's seat mask in the
// request. The send button, the Enter key and the quick phrases all use it.
#pragma once

#include "client/Data.h"

#include <QString>

namespace mj {

// The line that is sent for box text `box` (used for the private test) and
// body `body`; for a private line it puts WhisperSide into value(1) of the
// request. WhisperPrefix is empty afterwards; WhisperSide keeps its value.
QString ChatLineText(MsgHeader& request, const QString& box, const QString& body);

// The body of box text `box`: the box with the private prefix taken out
// where it first stands (text typed before it is kept); the box unchanged
// when no prefix is in force or the box does not hold it.
QString ChatLineBody(const QString& box);

// The text with blanks (spaces only) taken off both ends.
QString TrimBlanks(const QString& text);

} // namespace mj
