// The building blocks of the action rows: the posts a plan is made of and the state tests
// several rows share. Internal to the action table's sources.
#pragma once

#include "oxactions.h"

namespace oxact::rows {

namespace group = oxcmd::group;
namespace cmd = oxcmd::cmd;
namespace code = oxcmd::code;

// A post of `command`: its argument (none for a command without one) and value.
template <class T>
Post PostOf(const oxcmd::Command<T>& command, std::type_identity_t<T> argument, long value = 0) {
    return {oxcmd::AnyPost::Of(command, argument, value)};
}
inline Post PostOf(const oxcmd::Command<oxcmd::NoArg>& command, long value = 0) {
    return {oxcmd::AnyPost::Of(command, {}, value)};
}

// The open dialog is named as the command's window.
inline Post ToPanel(Post post) {
    post.namesPanel = true;
    return post;
}

// The undo slot is filled on the I/O thread from the record as it stands, ahead of the
// change that follows it in the queue.
inline Post SaveUndo() {
    return PostOf(cmd::run::kSaveUndo);
}

// A channel's V/div (value: the channel).
inline Post ChannelScale(int channel, double voltsPerDiv) {
    return PostOf(cmd::channel::kScale, static_cast<float>(voltsPerDiv), channel);
}

// The time base the panel shows: under the alternate trigger the first channel's own.
inline oxcmd::setting::timebase::Section PanelTimebase(const _OX_SETUP& s) {
    return oxcmd::setting::timebase::SectionOf(s, 0);
}
inline double ShownTimeScale(const _OX_SETUP& s) {
    const auto t = PanelTimebase(s);
    return t.scale.read(s, t.index);
}
inline Post TimeScale(const _OX_SETUP& s, double secondsPerDiv) {
    const auto t = PanelTimebase(s);
    return PostOf(t.scale.command, secondsPerDiv, t.index);
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
