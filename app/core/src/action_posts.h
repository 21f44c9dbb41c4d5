// The building blocks of the action rows: the posts a plan is made of and the state tests
// several rows share. Internal to the action table's sources.
#pragma once

#include "oxactions.h"

namespace oxact::rows {

namespace group = oxcmd::group;
namespace code = oxcmd::code;

inline Post Command(oxcmd::Group g, oxcmd::Sub sub, long value = 0) {
    return {g, sub, value};
}

inline Post WithArg(oxcmd::Group g, oxcmd::Sub sub, long value, ArgKind kind, double argument) {
    return {g, sub, value, kind, argument};
}

// The open dialog is named as the command's window.
inline Post ToPanel(Post post) {
    post.namesPanel = true;
    return post;
}

// The undo slot is filled on the I/O thread from the record as it stands, ahead of the
// change that follows it in the queue.
inline Post SaveUndo() {
    return Command(group::kRunControl, oxcmd::run::kSaveUndo);
}

// A channel's V/div (value: the channel).
inline Post ChannelScale(int channel, double voltsPerDiv) {
    return WithArg(group::kChannel, oxcmd::channel::kScale, channel, ArgKind::Float, voltsPerDiv);
}

// The time base the panel shows: under the alternate trigger the first channel's own.
inline bool AlternateTimeBase(const _OX_SETUP& s) {
    return s.nTrigMode == code::kAlternate;
}
inline double ShownTimeScale(const _OX_SETUP& s) {
    return AlternateTimeBase(s) ? static_cast<double>(s.dAltTimeScale[0]) : s.dTimeScale;
}
inline Post TimeScale(const _OX_SETUP& s, double secondsPerDiv) {
    return AlternateTimeBase(s) ? WithArg(group::kTimebase, oxcmd::timebase::kAltScale, 0,
                                          ArgKind::Double, secondsPerDiv)
                                : WithArg(group::kTimebase, oxcmd::timebase::kMainScale, 0,
                                          ArgKind::Double, secondsPerDiv);
}

inline bool PlayingBack(const _OX_SETUP& s) {
    return s.nRecordState == code::kPlaying;
}

inline Plan SinglePost(const Post& post) {
    Plan plan;
    plan.Add(post);
    return plan;
}

} // namespace oxact::rows
