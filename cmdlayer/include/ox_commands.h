// The command vocabulary: every I/O command group and sub-command, the window messages
// the command layer sends back, and the value codes of the record's selector fields.
// Nothing else in the program spells one of these numbers; handlers, the front panel,
// the dialogs and the acquisition loop name them from here.
//
// A sub-command number means something only within its group (1165 is a channel filter
// limit in the channel group and the math filter limit in the math group), so each
// group has its own namespace. Completion messages use the group number as the window
// message and the sub-command as its first parameter.
#pragma once

#include <cstdint>

namespace oxcmd {

using Group = unsigned long;
using Sub = unsigned int;

// I/O command groups (OxPostIOCmd's first argument).
namespace group {
inline constexpr Group kCursorMode = 2185;
inline constexpr Group kSelfCal = 2528;    // the argument byte enables self-calibration
inline constexpr Group kPanel = 3124;      // dialog requests and close requests
inline constexpr Group kRunControl = 3125; // run control and the main window's notices
inline constexpr Group kChannel = 3135;    // value: 0 CH1, 1 CH2
inline constexpr Group kMath = 3136;       // value: math trace 0..3
inline constexpr Group kReference = 3137;  // value: reference slot 0..3
inline constexpr Group kLogic = 3138;      // logic analyzer
inline constexpr Group kTimebase = 3139;
inline constexpr Group kTrigger = 3140;
inline constexpr Group kAcquire = 3141;
inline constexpr Group kDisplay = 3142;
inline constexpr Group kManualCursor = 3143;
inline constexpr Group kTrackCursor = 3144;
inline constexpr Group kPassFail = 3145;
inline constexpr Group kRecord = 3146;
inline constexpr Group kMeasure = 3147;
inline constexpr Group kLink = 3149;
inline constexpr Group kDrag = 4524; // a mouse drag on the screen
} // namespace group

// Group 3124: requests to open a dialog (value: the dialog's own selector, e.g. the
// channel) and the close requests the dialogs post from their close boxes.
namespace panel {
inline constexpr Sub kChannelDialog = 3225;
inline constexpr Sub kMathDialog = 3226;
inline constexpr Sub kReferenceDialog = 3227;
inline constexpr Sub kLogicDialog = 3228;
inline constexpr Sub kHorizontalDialog = 3229;
inline constexpr Sub kTriggerDialog = 3230;
inline constexpr Sub kAcquireDialog = 3231;
inline constexpr Sub kDisplayDialog = 3232;
inline constexpr Sub kManualCursorDialog = 3233;
inline constexpr Sub kTrackCursorDialog = 3234;
inline constexpr Sub kMaskTestDialog = 3235;
inline constexpr Sub kRecordDialog = 3236;
inline constexpr Sub kPreviewDialog = 3240;
inline constexpr Sub kConnectDialog = 3242;
inline constexpr Sub kLinkChoiceDialog = 3244;
inline constexpr Sub kFirstDialogRequest = kChannelDialog;
inline constexpr Sub kLastDialogRequest = kLinkChoiceDialog;

// The channel, math, trigger and display dialogs close the same way, their request plus 100.
inline constexpr Sub kCloseChannel = 3325;
inline constexpr Sub kCloseMath = 3326;
inline constexpr Sub kCloseReference = 3327;
inline constexpr Sub kCloseLogic = 3328;
inline constexpr Sub kCloseHorizontal = 3329;
inline constexpr Sub kCloseTrigger = 3330;
inline constexpr Sub kCloseAcquire = 3331;
inline constexpr Sub kCloseDisplay = 3332;
inline constexpr Sub kCloseManualCursor = 3333;
inline constexpr Sub kCloseTrackCursor = 3334;
inline constexpr Sub kClosePassFail = 3335;
inline constexpr Sub kCloseRecord = 3336; // passes during playback: the record dialog stops it
inline constexpr Sub kClosePreview = 3340;
inline constexpr Sub kCloseConnect = 3342;
inline constexpr Sub kCloseLinkChoice = 3344;
inline constexpr Sub kFirstCloseRequest = kCloseChannel;
inline constexpr Sub kLastCloseRequest = kCloseLinkChoice;
} // namespace panel

// Group 3125: run control. Sub-commands without a handler of their own only notify the
// main window (completion message 3125 with the sub-command).
namespace run {
inline constexpr Sub kRunStatusChanged = 1826; // to the main window: the run state changed
inline constexpr Sub kReconnect = 2828;
inline constexpr Sub kHardwareFailure = 2832;
inline constexpr Sub kAuto = 4125;
inline constexpr Sub kRun = 4126; // also posted to the timebase group by RUN
inline constexpr Sub kStop = 4127;
inline constexpr Sub kStartAcquiringLive = 4128; // acquiring flag 2
inline constexpr Sub kStartAcquiringFull = 4129; // acquiring flag 3
inline constexpr Sub kDefaultSetup = 4134;
inline constexpr Sub kConnectDone = 4135;
// The program's own: RUN's link check, applied under the I/O thread's lock.
inline constexpr Sub kCheckLink = 4136;
// The program's own: fill the undo slot from the record as it stands, on the I/O thread,
// ahead of the change posted after it.
inline constexpr Sub kSaveUndo = 4137;
// The program's own: undo and redo. On the I/O thread the slot's values are posted as the
// ordinary channel and time-base commands (the UI never reads the slots).
inline constexpr Sub kUndo = 4138;
inline constexpr Sub kRedo = 4139;
// The program's own file commands, carried out on the I/O thread under its lock; the value
// is the request's serial number, which the program uses to find the file's path and to
// hand the result back: load a setup file, load a waveform file, copy the records and the
// stored samples for a save.
inline constexpr Sub kLoadSetupFile = 4160;
inline constexpr Sub kLoadWaveformFile = 4161;
inline constexpr Sub kCopyForSave = 4162;
inline constexpr Sub kExit = 4224;
// To the floating timebase views: the main window moved or changed its layout.
inline constexpr Sub kPlaceFloatingViews = 4624;
inline constexpr Sub kShowError = 4424;
inline constexpr Sub kScreenMode = 4434;     // value 0 maximise, 1 restore, 2 surfaces lost
inline constexpr Sub kSettingChanged = 4444; // to the main window: start the change timer
inline constexpr Sub kRedrawWindow = 4454;
inline constexpr long kScreenModeMaximise = 0;
inline constexpr long kScreenModeRestore = 1;
inline constexpr long kScreenModeSurfacesLost = 2;
} // namespace run

// Group 3135 (value: the channel).
namespace channel {
inline constexpr Sub kScale = 1125;
inline constexpr Sub kOffset = 1135;
inline constexpr Sub kCoupling = 1145;
inline constexpr Sub kBwLimit = 1146;
inline constexpr Sub kProbe = 1147;
inline constexpr Sub kDisplay = 1148;
inline constexpr Sub kInvert = 1149;
inline constexpr Sub kUnit = 1150;
inline constexpr Sub kInput = 1151;
inline constexpr Sub kFilterOn = 1155;
inline constexpr Sub kFilterUpper = 1165;
inline constexpr Sub kFilterLower = 1175;
inline constexpr Sub kFilterType = 1185;
} // namespace channel

// Group 3136 (value: the math trace).
namespace math {
inline constexpr Sub kFilterUpper = 1165;
inline constexpr Sub kFilterLower = 1175;
inline constexpr Sub kFilterType = 1185;
inline constexpr Sub kScaleIndex = 1225;
inline constexpr Sub kOffset = 1235;
inline constexpr Sub kOperator = 1255;
inline constexpr Sub kSourceA = 1256;
inline constexpr Sub kSourceB = 1257;
inline constexpr Sub kShown = 1258;
inline constexpr Sub kFFTSource = 1265;
inline constexpr Sub kFFTWindow = 1266;
inline constexpr Sub kFFTUnit = 1274;
inline constexpr Sub kFFTVrmsScaleIndex = 1275;
inline constexpr Sub kFFTVrmsOffset = 1285;
inline constexpr Sub kFFTdBVrmsScale = 1295;
inline constexpr Sub kFFTdBVrmsOffset = 1305;
inline constexpr Sub kFFTHorizScale = 1315;
inline constexpr Sub kFFTHorizOffset = 1325;
inline constexpr Sub kInvert = 1335;
} // namespace math

// Group 3137 (value: the reference slot).
namespace reference {
inline constexpr Sub kSource = 1425;
inline constexpr Sub kShown = 1427;
inline constexpr Sub kVertScale = 1435;
inline constexpr Sub kVertOffset = 1445;
inline constexpr Sub kHorizScale = 1455;
inline constexpr Sub kHorizOffset = 1465;
inline constexpr Sub kPosition = 1485;
} // namespace reference

// Group 3138 (sent to the instrument).
namespace logic {
inline constexpr Sub kEnable = 1525;
inline constexpr Sub kLine = 1535; // value: the line 0..15
inline constexpr Sub kGroup1 = 1536;
inline constexpr Sub kGroup2 = 1537;
inline constexpr Sub kThresholdType = 1545;
inline constexpr Sub kUserThreshold = 1546;
inline constexpr Sub kUserThresholdStored = 1550; // stored, not sent
} // namespace logic

// Group 3139.
namespace timebase {
inline constexpr Sub kDelayed = 1625;
inline constexpr Sub kFormat = 1626;
inline constexpr Sub kMainOffset = 1635;
inline constexpr Sub kMainScale = 1645;
inline constexpr Sub kDelayedOffset = 1655;
inline constexpr Sub kDelayedScale = 1665;
inline constexpr Sub kRedraw = 1685;
inline constexpr Sub kAltScale = 2015;  // value: the channel
inline constexpr Sub kAltOffset = 2025; // value: the channel
} // namespace timebase

// Group 3140. The alternate-trigger sub-commands 2006..2145 take the channel as value.
namespace trigger {
inline constexpr Sub kType = 1825;
inline constexpr Sub kSweep = 1827;
inline constexpr Sub kCoupling = 1828;
inline constexpr Sub kSensitivity = 1829;
inline constexpr Sub kHoldoff = 1845;
inline constexpr Sub kEdgeSlope = 1855;
inline constexpr Sub kEdgeSource = 1856;
inline constexpr Sub kEdgeLevel = 1865;
inline constexpr Sub kPulseSource = 1875;
inline constexpr Sub kPulseCondition = 1876;
inline constexpr Sub kPulseLevel = 1885;
inline constexpr Sub kPulseWidth = 1895;
inline constexpr Sub kVideoSource = 1905;
inline constexpr Sub kVideoPolarity = 1906;
inline constexpr Sub kVideoMode = 1907;
inline constexpr Sub kVideoStandard = 1908;
inline constexpr Sub kVideoLevel = 1915;
inline constexpr Sub kVideoLine = 1925;
inline constexpr Sub kSlopeSource = 1935;
inline constexpr Sub kSlopeCondition = 1936;
inline constexpr Sub kSlopeLevelA = 1945;
inline constexpr Sub kSlopeLevelB = 1955;
inline constexpr Sub kSlopeTime = 1965;
inline constexpr Sub kPatternBit = 1975;   // value: the bit
inline constexpr Sub kPatternGroup = 1976; // value: the group of eight bits
inline constexpr Sub kDurationQualifier = 1986;
inline constexpr Sub kDurationTime = 1995;
inline constexpr Sub kAltSource = 2005;
inline constexpr Sub kAltType = 2006;
inline constexpr Sub kAltSensitivity = 2009;
inline constexpr Sub kAltHoldoff = 2010;
inline constexpr Sub kAltCoupling = 2011;
inline constexpr Sub kAltEdgeSlope = 2035;
inline constexpr Sub kAltEdgeLevel = 2045;
inline constexpr Sub kAltPulseCondition = 2055;
inline constexpr Sub kAltPulseLevel = 2065;
inline constexpr Sub kAltPulseWidth = 2075;
inline constexpr Sub kAltSlopeCondition = 2085;
inline constexpr Sub kAltSlopeTime = 2095;
inline constexpr Sub kAltSlopeLevelA = 2105;
inline constexpr Sub kAltSlopeLevelB = 2115;
inline constexpr Sub kAltVideoPolarity = 2125;
inline constexpr Sub kAltVideoStandard = 2126;
inline constexpr Sub kAltVideoMode = 2127;
inline constexpr Sub kAltVideoLine = 2135;
inline constexpr Sub kAltVideoLevel = 2145;
inline constexpr Sub kFirstAlternate = kAltType;
inline constexpr Sub kLastAlternate = kAltVideoLevel;
} // namespace trigger

// Group 3141.
namespace acquire {
inline constexpr Sub kType = 1725;
inline constexpr Sub kRealTime = 1735;
inline constexpr Sub kAverages = 1745;
inline constexpr Sub kMemory = 1755;
inline constexpr Sub kSampleRate = 1765;
inline constexpr Sub kRecordRate = 1775;
} // namespace acquire

// Group 3142.
namespace display {
inline constexpr Sub kType = 2155; // dots or vectors
inline constexpr Sub kGrid = 2156;
inline constexpr Sub kPersist = 2157;
inline constexpr Sub kCopyShownToStopped = 2158;
inline constexpr Sub kWaveIntensity = 2165;
inline constexpr Sub kGridIntensity = 2175;
inline constexpr Sub kMode = 2176;
// The program's own: empty the persistence history (the instrument drops what it holds too),
// colour grade on or off (byte), the background grey level (integer 0..255).
inline constexpr Sub kClearPersist = 2177;
inline constexpr Sub kColorGrade = 2178;
inline constexpr Sub kBackgroundGrey = 2179;
inline constexpr int kMaxBackgroundGrey = 255;
} // namespace display

// Group 2185: the cursor mode is the sub-command.
namespace cursormode {
inline constexpr Sub kOff = 2186;
inline constexpr Sub kAuto = 2187;   // mode 3
inline constexpr Sub kManual = 2188; // mode 1
inline constexpr Sub kTrack = 2189;  // mode 2
} // namespace cursormode

// Group 3143 (positions: value 0 cursor A, 1 cursor B).
namespace manualcursor {
inline constexpr Sub kXSource = 2195;
inline constexpr Sub kYSource = 2196;
inline constexpr Sub kXPosition = 2205;
inline constexpr Sub kXOn = 2215;
inline constexpr Sub kYPosition = 2225;
inline constexpr Sub kYOn = 2235;
} // namespace manualcursor

// Group 3144 (value 0 cursor A, 1 cursor B).
namespace trackcursor {
inline constexpr Sub kSourceA = 2245;
inline constexpr Sub kSourceB = 2246;
inline constexpr Sub kPosition = 2255;
inline constexpr Sub kOn = 2256;
} // namespace trackcursor

// Group 3145.
namespace passfail {
inline constexpr Sub kEnable = 2325;
inline constexpr Sub kSource = 2326;
inline constexpr Sub kRun = 2327;
inline constexpr Sub kOutput = 2328;
inline constexpr Sub kHorizRange = 2329;
inline constexpr Sub kVertRange = 2330;
inline constexpr Sub kStopOnOutput = 2331;
inline constexpr Sub kShowCounters = 2332;
inline constexpr Sub kCreateMask = 2333;
} // namespace passfail

// Group 3146, and the recorder dialog's notices (window message 3146).
namespace record {
inline constexpr Sub kSource = 2426;
inline constexpr Sub kFrames = 2427;
inline constexpr Sub kInterval = 2429;
inline constexpr Sub kFrameRecordedNotice = 2430;
inline constexpr Sub kStart = 2432;
inline constexpr Sub kStop = 2433;
inline constexpr Sub kFrameRecorded = 2434;
inline constexpr Sub kFramePlayedNotice = 2466;
inline constexpr Sub kPlayFirst = 2467;
inline constexpr Sub kPlayLast = 2470;
inline constexpr Sub kPlayInterval = 2471;
inline constexpr Sub kPlayFrame = 2473;
inline constexpr Sub kPlayStart = 2474;
inline constexpr Sub kPlayPause = 2478;
inline constexpr Sub kPlayStop = 2479;
} // namespace record

// Group 3147.
namespace measure {
inline constexpr Sub kAddAll = 2275; // every measurement of a source (argument: the channel)
inline constexpr Sub kAdd = 2276;    // argument: the code, value: the channel
inline constexpr Sub kRemove = 2277; // one measurement: argument the code, value the channel
inline constexpr Sub kClear = 2279;
} // namespace measure

// Group 3149.
namespace link {
inline constexpr Sub kSelect = 2828;
inline constexpr Sub kDhcp = 2830;
inline constexpr Sub kExchange = 2831;
} // namespace link

// Group 4524.
namespace drag {
inline constexpr Sub kActiveChannel = 4525;
inline constexpr Sub kBothChannels = 4526;
// The program's own: the region record's dragged-window index := value (0..4), posted
// ahead of the box.
inline constexpr Sub kSetWindow = 4528;
inline constexpr long kLastWindow = 4;
} // namespace drag

// Value codes of the record's selector fields.
namespace code {

// nTimeFormat
enum TimeFormat : std::int32_t { kYT = 0, kXY = 1, kRolling = 2 };
// nTrigMode; nAltType (edge, pulse, slope, video)
enum TrigType : std::int32_t {
    kEdge = 0,
    kPulse = 1,
    kSlope = 2,
    kVideo = 3,
    kAlternate = 4,
    kPattern = 5,
    kDuration = 6,
};
inline constexpr int kTrigTypeCount = 7;
inline constexpr int kAltTypeCount = 4; // edge, pulse, slope, video
// nTrigSweep
enum Sweep : std::int32_t { kSweepAuto = 0, kSweepNormal = 1, kSweepSingle = 2 };
// nTrigCoupling
enum TrigCoupling : std::int32_t { kTrigDC = 0, kTrigAC = 1, kTrigHF = 2, kTrigLF = 3 };
// nChanCoupling
enum ChanCoupling : std::int32_t { kChanDC = 0, kChanAC = 1 };
// nAcqType
enum AcqType : std::int32_t { kAcqNormal = 0, kAcqAverage = 1, kAcqPeakDetect = 2 };
// Memory depths (1755): the normal record, and the long record from which on it is long.
inline constexpr std::int32_t kNormalMemoryPoints = 4096;
inline constexpr std::int32_t kLongMemoryPoints = 524288;
// nDisplayType (2155)
enum DisplayType : std::int32_t { kVectors = 0, kDots = 1 };
// nDisplayGrid (2156)
enum DisplayGrid : std::int32_t { kGridFull = 0, kGridNone = 1 };
// nMathOperator
enum MathOperator : std::int32_t { kAdd = 0, kSubtract = 1, kMultiply = 2, kFFT = 3, kFilter = 4 };
inline constexpr int kMathTraces = 4;
// nFFTWindow
enum FFTWindow : std::int32_t { kRectangle = 0, kHanning = 1, kHamming = 2, kBlackman = 3 };
inline constexpr int kFFTWindowCount = 4;
// nFFTUnit
enum FFTUnit : std::int32_t { kVrms = 0, kdBVrms = 1 };
// nChanUnit (6 is unused)
enum ChanUnit : std::int32_t {
    kVolt = 0,
    kAmpere = 1,
    kWatt = 2,
    kdBV = 3,
    kdBA = 4,
    kdBW = 5,
    kUnitU = 7
};
// nChanFilterType, nMathFilterType
enum FilterType : std::int32_t { kLowPass = 0, kHighPass = 1, kBandPass = 2, kBandReject = 3 };
inline constexpr int kFilterTypeCount = 4;
// nLaThresholdType
enum ThresholdType : std::int32_t { kTTL = 0, kCMOS = 1, kECL = 2, kUserLevel = 3 };
// nCursorMode
enum CursorMode : std::int32_t {
    kCursorsOff = 0,
    kManualCursors = 1,
    kTrackCursors = 2,
    kAutoCursors = 3
};
// nRecordState
enum RecordState : std::int32_t { kRecordIdle = 0, kRecording = 1, kPlaying = 2, kPlayPaused = 3 };
// nRunState and the run-status codes of the acquisition loop
enum RunStatus : std::int32_t {
    kStatusRun = 0,
    kStatusStop = 1,
    kStatusWait = 2,
    kStatusTriggered = 3,
    kStatusAuto = 4,
    kStatusScan = 5,
    kStatusPlay = 6,
    kStatusPause = 7,
};
// nInterface
enum Interface : std::int32_t { kUsb = 0, kLan = 1 };
// nActiveChannel beyond the two channels
inline constexpr int kActiveLogic = 4;
inline constexpr int kFirstFurtherTrace = 5; // traces 5..8: the math traces
inline constexpr int kActiveNone = 9;
// Trigger sources (nEdgeSource, nPulseSource, nSlopeSource, nVideoSource): 6..21 are the
// digital lines D0..D15.
enum TrigSource : std::int32_t {
    kSourceCh1 = 0,
    kSourceCh2 = 1,
    kSourceExt = 2,
    kSourceExt5 = 3,
    kSourceAcLine = 5,
    kSourceFirstDigital = 6,
};
// nCurXSource, nCurYSource: 0 CH1, 1 CH2, the math traces from 2 (MATH1..MATH4), then the
// logic analyzer.
inline constexpr std::int32_t kCursorSourceFirstMath = 2;
inline constexpr std::int32_t kCursorSourceLogic = 6;
inline constexpr int kDigitalLines = 16; // D0..D15
// Cursor A and B (the value of position and on/off posts).
inline constexpr long kCursorA = 0;
inline constexpr long kCursorB = 1;

// True while a record is being recorded or played back: the channel controls refuse.
[[nodiscard]] constexpr bool RecordBusy(std::int32_t state) {
    return state >= kRecording && state <= kPlayPaused;
}

} // namespace code

// The refusal texts the command layer, the action table and the dialogs show alike.
namespace refusal {
inline constexpr const char* kNotAvailable = "Function not available";
inline constexpr const char* kNotAtXY = "Function not available at XY mode";
inline constexpr const char* kNotAtAlternate = "Function not available at alternate trigger";
inline constexpr const char* kNotAtRolling = "Function not available at rolling mode";
} // namespace refusal

} // namespace oxcmd
