// The test props plug-in: libTesmora.so, a stand-in for the props component
// that answers from a script and logs every call. Built into
// <build>/plugin/tools/, where a client started from the build folder finds it.
//
// Script: read once, when the library is first used, from the file named by
// the environment variable MJ_TESTPLUGIN_SCRIPT (UTF-8); in-process tests add
// to it with mj_testplugin_load. One directive a line; blank lines and lines
// starting with '#' are skipped; <text> is the rest of the line (may be empty).
//
//   initdll 1|0|raise            Initdll returns True / False / raises error 5 (default 1)
//   baoinfo 1|0|raise            GetBaoInfo likewise (default 0); 1 also fills the box data:
//                                  BoxPos(i) = (100 + 70 * (i mod 5), 200 + 90 * (i \ 5)),
//                                  BoxCentre = (400, 300), SeatPoint(s) = (100 + 200 * s, 600),
//                                  LabelPoint = (400, 150), BoxTiming = (50, 4),
//                                  closed box 40x30 picture and size, opened box 50x40
//   userinfo 1|0                 SetUserinfo's answer (default 1)
//   qvvideo 1|0                  ShowQvVideo's answer (default 0)
//   recmsg ok|raise|throw        Rec_MSG takes the frame (default) / raises error 5 /
//                                  throws an exception that is not a run-time error
//   fail <Member> raise|throw|ok  that member (Initdll, CheckSendBuff, ShowGif ...) raises
//                                  run-time error 5 / throws an exception that is not a
//                                  run-time error / answers again; it logs its call first
//   claim <n>                    CheckSendBuff answers n, whatever is queued
//   boxtiming <interval> <steps> box data that GetBaoInfo 1 gives instead of its defaults;
//   boxpos <i> <left> <top>        an index out of bounds raises error 9 in GetBaoInfo
//   boxcentre <x> <y>
//   seatpoint <side> <x> <y>
//   labelpoint <x> <y>
//   closedsize <w> <h>
//   openedsize <w> <h>
//   notice <text>                queues an item of kind 0
//   label <rect> <params> <text> queues kind 1; rect and params are comma-separated
//                                  numbers ("300,40,100,200" "500,6,12,255,2"), "-" for empty
//   frame <size> [<i>=<v>]...    queues kind 2: a frame of <size> bytes, 0 but the listed ones
//                                  (numbers decimal or 0x hex)
//   command <kind> <text>        queues an item of any kind with a text (3, 4, 5 ...)
//   score <result>               queues the next GetScoreInfo answer; the lines below
//   bonustext <side> <text>        fill its arrays (only the entries named; an index out
//   bonuscoins <side> <number>     of bounds raises error 9 in GetScoreInfo)
//   awardtext <row> <side> <text>
//
// CheckSendBuff answers the number of queued items; GetSendBuff takes them in
// order and sets the kind and only the outputs its item names (a notice or
// command sets the text; a label the text, rect and params; a frame the
// frame); with none queued it changes nothing. GetScoreInfo takes the queued
// answers in order and answers 0 once they are used up.
//
// Log: one line per call, "Member(arguments)" with " -> result" where the
// member returns one; texts in double quotes, flags True/False, a frame as
// hex, the object passed to Initdll as self/other/null. A script line the
// plug-in cannot read logs "script error at line N". Lines go to the file
// named by MJ_TESTPLUGIN_LOG (appended) and to memory (mj_testplugin_log).
#pragma once

// C functions for in-process tests (resolve them from the loaded library).
// Adds the directives of a script text; 0, or the number of the first line
// that could not be read (the rest is still read).
using MjTestPluginLoad = int (*)(const char* utf8Script);
// Forgets the script and the in-memory log: every answer back to its default.
using MjTestPluginReset = void (*)();
// Every call logged so far, one per line (UTF-8); valid until the next call.
using MjTestPluginLog = const char* (*)();

inline constexpr char MjTestPluginLoadName[] = "mj_testplugin_load";
inline constexpr char MjTestPluginResetName[] = "mj_testplugin_reset";
inline constexpr char MjTestPluginLogName[] = "mj_testplugin_log";
