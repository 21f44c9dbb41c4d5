// The hand-over of frames to and from the waveform recorder dialog. A recorded frame is 2048
// bytes of one analog channel; the dialog advances its indices when it is told about a frame.
#include "oxacq.h"

#include <cstring>

namespace oxacq {

int Acquisition::RecordChannel() const {
    switch (records_.setup->nRecordSource) {
    case 1:
        return 1;
    case 2:
        return records_.setup->nRecordSourceChannel != 0 ? 1 : 0;
    default:
        return 0;
    }
}

void Acquisition::PlayRecordedFrame() {
    _OX_SETUP& setup = Setup();
    const std::int64_t index = setup.nPlayCurrentFrame; // counts from 1
    const std::int32_t end = setup.nPlayEndFrame;
    const std::int64_t offset = (index - 1) * kFrameSamples;
    if (index < 1 || index > end ||
        offset + kFrameSamples > static_cast<std::int64_t>(recorder_.frames.size()))
        return;
    std::memcpy(analog_[RecordChannel()].data(), recorder_.frames.data() + offset, kFrameSamples);
    CWnd::SendMessageTo(recorder_.dialog, oxcmd::group::kRecord, oxcmd::record::kFramePlayedNotice,
                        0);
    if (setup.nPlayCurrentFrame <= end) return;
    CWnd* dialog = CWnd::IsWindow(recorder_.dialog) ? recorder_.dialog.wnd : nullptr;
    if (!recorder_.loop && recorder_.holdAtEnd) {
        setup.nPlayCurrentFrame = end;
        commands_.PostIOCmd(oxcmd::group::kRecord, oxcmd::record::kPlayFrame, 0, end, dialog);
    } else {
        commands_.PostIOCmd(oxcmd::group::kRecord, oxcmd::record::kPlayPause, 0, 0, dialog);
    }
}

void Acquisition::RecordFrame() {
    _OX_SETUP& setup = Setup();
    const std::int64_t index = setup.nRecordFrames; // counts from 0
    const std::int32_t maximum = setup.nRecordFramesMax;
    const std::int64_t offset = index * kFrameSamples;
    if (index < 0 || index >= maximum ||
        offset + kFrameSamples > static_cast<std::int64_t>(recorder_.frames.size()))
        return;
    std::memcpy(recorder_.frames.data() + offset, analog_[RecordChannel()].data(), kFrameSamples);
    CWnd::SendMessageTo(recorder_.dialog, oxcmd::group::kRecord,
                        oxcmd::record::kFrameRecordedNotice, 0);
    if (setup.nRecordFrames < maximum) return;
    setup.nRecordFrames = maximum;
    CWnd* dialog = CWnd::IsWindow(recorder_.dialog) ? recorder_.dialog.wnd : nullptr;
    commands_.PostIOCmd(oxcmd::group::kRecord, oxcmd::record::kStop, 0, 0, dialog);
}

} // namespace oxacq
