// Acquire: the acquisition dialog. Real-time or equal-time sampling, normal, average or peak
// detect acquisition with the number of averages, and normal or long memory with the depth
// of the record shown.
#pragma once

#include "oxplugin.h"

class CWnd;

// The dialog's controls (the tests press them by these names).
enum class AcquireId {
    SamplingBox = 6041,
    RealTime = 6048,
    EqualTime = 6049,
    AcquisitionBox = 6042,
    Type = 6052,
    AveragesLabel = 6044,
    Averages = 6004,
    AveragesUp = 6007,
    AveragesDown = 6010,
    MemoryBox = 6043,
    NormalMemory = 6050,
    LongMemory = 6051,
    DepthLabel = 6045,
    Depth = 6013,
};

// Opens the dialog; `value` is not used. Null when it cannot be opened.
CWnd* ShowAcquireDlg(const oxbow::ui::PluginContext& context, long value);

// The number of averages one step up or down from `count`: the next power of two above or
// below it. Past 2 and 256 too: the command layer keeps the count within its limits and
// says so.
[[nodiscard]] int StepAverages(int count, bool up);
