// The command-layer services the acquisition loop and the display engine call, on OxMsg.
#pragma once

#include "oxacq.h"
#include "oxdisplay.h"

namespace oxapp {

class OxbowCommands final : public oxacq::AcqCommands, public oxdisplay::DisplayCommands {
public:
    // Acquisition side.
    void ProcessIOCmd() override;
    bool GetMathEnabled() override;
    bool GetFFTOperator() override;
    void SetChanEnabledStop(bool enabled) override;
    void SaveChangeSetting() override;
    void GetTimeScalePara() override;
    void GetStopScreenPara(short value) override;
    void GetChangeSettingScreenPara() override;
    bool OxInitSystem() override;
    void RebuildRgnSetup() override;
    void PostIOCmd(unsigned long group, unsigned int subCmd, long value, std::int32_t argument,
                   CWnd* firstWindow) override;
    // Display side.
    bool GetMathEnabledStop() override;
    bool GetFFTSplitScreen() override;
    void GetFFTHorizZoomScale(int trace) override;
    void PostIOCmd(unsigned long group, unsigned int subCmd, long value) override;
    // The acquisition side starts its persistence afresh after lost surfaces.
    void RestartPersistence() override;
    void SetAcquisition(oxacq::Acquisition* acquisition) { acquisition_ = acquisition; }

private:
    oxacq::Acquisition* acquisition_ = nullptr;
};

} // namespace oxapp
