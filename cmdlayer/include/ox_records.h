// The shared records of Oxbow and the three instrument setup blocks.
//
// Header only, so that every library (drawing, common helpers, the simulated
// instrument) can use the layouts without linking the command layer.
//
// _OX_SETUP is stored whole in the settings file and in setup and waveform
// files, so its byte image is a file format: every field sits at a fixed
// offset (checked below), little-endian, packed to 4-byte alignment.  The
// records themselves are 8-aligned, so 8-byte fields at offsets 0 mod 8 are
// plain doubles and 64-bit integers; the alternate-trigger ones at offsets
// 4 mod 8 are OxPacked values (by value only, never by address).  Reserved
// byte arrays keep the bytes that carry no named field; they are read and
// written back as they are.
//
// Fields placed by this implementation in ranges set aside for their group
// (all offsets in bytes):
//   12..24     model name, model class, logic analyzer fitted
//   41         data valid
//   160..1153  math traces (operator, sources, scale, offset, inversion,
//              filter), FFT settings, zoom of the further traces, channel
//              filters and the four reference slots; bTraceShownStop (308)
//              sits inside this range
//   1190       logic-analyzer wave size
//   1312..1407 record copies of the main offset and of the delayed window
//   1412..1457 cursors
//   1504       sampling rate of the stored record in equivalent time
//   1512..1608 display settings, self-calibration enable, chosen measurements
//   7364..7379 point count and sampling rate of each channel's alternate record
//   7528..7564 pass/fail settings (record order of the pass/fail dialog)
//   7572..7611 record and playback (frame counts, source, intervals)
//   8120..8134 LAN addresses as read from the instrument (numbers)
//   7872..8119 undo and redo slots of the other markers (levels, trace grounds)
//   8144..8303 undo and redo slots
//   8304       LAN mode word; 8382 connect address; 8400 connect port
#pragma once

#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <type_traits>

static_assert(std::endian::native == std::endian::little,
              "the shared records are little-endian images; a big-endian host needs byte swapping");

// An 8-byte number that the stored image places at a 4-byte boundary.  It is
// read and written by value only, so no misaligned double& or int64_t& can be
// formed from it.
template <class T> struct OxPacked {
    unsigned char raw[sizeof(T)];

    operator T() const {
        T value;
        std::memcpy(&value, raw, sizeof value);
        return value;
    }
    OxPacked& operator=(T value) {
        std::memcpy(raw, &value, sizeof value);
        return *this;
    }
    OxPacked& operator+=(T value) { return *this = T(*this) + value; }
    OxPacked& operator-=(T value) { return *this = T(*this) - value; }
    OxPacked& operator*=(T value) { return *this = T(*this) * value; }
    OxPacked& operator/=(T value) { return *this = T(*this) / value; }
};
static_assert(sizeof(OxPacked<double>) == 8 && alignof(OxPacked<double>) == 1);
static_assert(std::is_trivially_copyable_v<OxPacked<double>>);

#pragma pack(push, 4)

// A screen point and rectangle in pixels (rows grow downwards).
struct OX_POINT {
    int32_t x;
    int32_t y;
};

struct OX_RECT {
    int32_t left;
    int32_t top;
    int32_t right;
    int32_t bottom;
};

// The values the undo and redo commands restore (mouse-adjustable settings).
struct alignas(8) OX_UNDO_SLOT {
    float fChanScale[2];
    float fChanOffset[2];
    double dTimeScale;
    double dTimeOffset;
    double dDelayedScale;
    double dDelayedOffset;
    double dAltTimeOffset[2];
    double dAltTimeScale[2];
};
static_assert(sizeof(OX_UNDO_SLOT) == 80);

// What the undo and redo commands restore beside OX_UNDO_SLOT: the settings the other
// markers of the screen move (the trigger level of each type, of each channel under the
// alternate trigger, and the ground of the math, FFT and reference traces).
struct OX_UNDO_MARKERS {
    float fEdgeLevel;
    float fPulseLevel;
    float fVideoLevel;
    float fSlopeLevelA;
    float fSlopeLevelB;
    float fAltEdgeLevel[2];
    float fAltPulseLevel[2];
    float fAltVideoLevel[2];
    float fAltSlopeLevelA[2];
    float fAltSlopeLevelB[2];
    float fMathOffset[4];
    float fFFTVrmsOffset[4];
    float fFFTdBVrmsOffset[4];
    float fRefOffset[4];
};
static_assert(sizeof(OX_UNDO_MARKERS) == 124);

struct alignas(8) _OX_SETUP {
    uint8_t bRun; //    0
    uint8_t reserved_1[3];
    int32_t nActiveChannel; //    4  0 CH1, 1 CH2, 4 LA, 5..8 further traces, 9 none
    int32_t nInterface;     //    8  0 USB, other LAN
    char szModelName[8];    //   12  model field of the identification, first 8 bytes
    int32_t nModelClass;    //   20  0..5 from the model table
    uint8_t bLaInstalled;   //   24  the model has the logic-analyzer module
    uint8_t reserved_25[11];
    float fMinTimeScale;     //   36  s/div
    uint8_t bSettingChanged; //   40
    uint8_t bDataValid;      //   41  a waveform block has been read successfully
    uint8_t bWaveHold;       //   42  the stopped record is on the screen (set by the
                             //       program at the stop, cleared when a run starts)
    uint8_t bConnected;      //   43
    int32_t hUsbDevice;      //   44  USB device handle (device index)
    uint8_t reserved_48[2];
    uint8_t bChanDisplay[2]; //   50
    uint8_t reserved_52[8];
    float fChanScale[2];      //   60  V/div at the probe tip
    float fChanOffset[2];     //   68  V
    int32_t nChanCoupling[2]; //   76  1 AC, otherwise DC
    float fChanProbe[2];      //   84
    uint8_t bChanBwLimit[2];  //   92
    uint8_t reserved_94[2];
    int32_t nChanUnit[2];   //   96
    char szChanUnit[2][8];  //  104
    uint8_t bChanInvert[2]; //  120
    uint8_t reserved_122[2];
    int32_t nChanInput[2];     //  124  1 50 ohm, otherwise 1 Mohm
    uint8_t bChanShownStop[2]; //  132
    uint8_t reserved_134[2];
    float fChanScaleRec[2];    //  136
    float fChanOffsetRec[2];   //  144
    uint8_t bChanInvertRec[2]; //  152
    uint8_t bTraceShown[4];    //  154  further traces 5..8 (MATH1..MATH4)
    uint8_t reserved_158[2];

    // Math traces MATH1..MATH4, indexed 0..3.
    int32_t nMathOperator[4];      //  160  0 ADD, 1 SUBTRACT, 2 MULTIPLE, 3 FFT, 4 FILTER
    int32_t nMathSourceA[4];       //  176  0 CHANNEL1, 1 CHANNEL2
    int32_t nMathSourceB[4];       //  192
    int32_t nMathScaleIndex[4];    //  208
    float fMathScale[4];           //  224  result V/div
    float fMathOffset[4];          //  240
    uint8_t bMathInvert[4];        //  256
    int32_t nMathFilterType[4];    //  260  0 LOWPASS, 1 HIGHPASS, 2 BANDPASS, 3 BANDREJECT
    float fMathFilterUpper[4];     //  276
    float fMathFilterLower[4];     //  292
    uint8_t bTraceShownStop[4];    //  308
    int32_t nFFTSource[4];         //  312
    int32_t nFFTWindow[4];         //  328  0 RECTANGLE, 1 HANNING, 2 HAMMING, 3 BLACKMAN
    int32_t nFFTUnit[4];           //  344  0 Vrms, 1 dBVrms
    int32_t nFFTVrmsScaleIndex[4]; //  360
    float fFFTVrmsOffset[4];       //  376
    float fFFTdBVrmsScale[4];      //  392
    float fFFTdBVrmsOffset[4];     //  408
    double dFFTHorizScale[4];      //  424  Hz/div
    double dFFTHorizOffset[4];     //  456  Hz
    int32_t nTraceZoomIndex[4];    //  488
    float fTraceZoomFactor[4];     //  504
    float fTraceBaseFreq[4];       //  520
    float fTraceSpan[4];           //  536
    char szTraceUnit[4][8];        //  552  "V", "Vrms", "dBVrms", ...
    uint8_t bFFTSplitScreen;       //  584
    uint8_t reserved_585[3];
    uint8_t bChanFilter[2]; //  588
    uint8_t reserved_590[2];
    int32_t nChanFilterType[2]; //  592
    float fChanFilterUpper[2];  //  600  Hz
    float fChanFilterLower[2];  //  608  Hz

    // Reference slots Ref1..Ref4, indexed 0..3.  The carried words are filled
    // by the capture and passed through reference files unchanged.
    uint8_t bRefDisplay[4];    //  616
    uint8_t bRefValid[4];      //  620
    int32_t nRefSource[4];     //  624  0 CH1, 1 CH2, 2..5 MATH1..MATH4
    float fRefScale[4];        //  640
    int32_t nRefWord20[4];     //  656
    float fRefOffset[4];       //  672
    int32_t nRefWord28[4];     //  688
    double dRefTimeScale[4];   //  704
    uint64_t qRefWord40[4];    //  736
    double dRefTimeOffset[4];  //  768
    uint64_t qRefWord56[4][5]; //  800  file positions 56, 64, 72, 80, 88
    int32_t nRefKind[4];       //  960  3 = FFT trace
    int32_t nRefWord100[4][4]; //  976
    char szRefUnit[4][8];      // 1040
    float fRefSampleRate[4];   // 1072
    int32_t nRefLength[4];     // 1088
    int32_t nRefWord132[4][3]; // 1104
    uint8_t reserved_1152[2];

    uint8_t bLaEnable;      // 1154
    uint8_t bLaChannel[16]; // 1155  D0..D15
    uint8_t reserved_1171[5];
    int32_t nLaThresholdType; // 1176  0 TTL, 1 CMOS, 2 ECL, 3 USER
    float fLaThreshold;       // 1180
    float fLaThresholdUser;   // 1184
    uint8_t bLaGroup1;        // 1188  D7..D0
    uint8_t bLaGroup2;        // 1189  D15..D8
    uint8_t bLaWaveSize;      // 1190
    uint8_t reserved_1191[81];
    uint8_t bLaShownStop; // 1272
    uint8_t bDelayed;     // 1273
    uint8_t bSlowSweep;   // 1274
    uint8_t reserved_1275[1];
    int32_t nTimeFormat;          // 1276  0 Y-T, 1 X-Y, 2 rolling
    double dTimeOffset;           // 1280
    double dTimeScale;            // 1288
    double dDelayedOffset;        // 1296
    double dDelayedScale;         // 1304
    double dTimeOffsetRec;        // 1312
    double dTimeScaleRec;         // 1320
    double dDelayedOffsetRec;     // 1328
    double dDelayedScaleRec;      // 1336
    int64_t llTimeOffsetPs;       // 1344
    int64_t llTimeScalePs;        // 1352
    int64_t llDelayedOffsetPs;    // 1360
    int64_t llDelayedScalePs;     // 1368
    int64_t llTimeOffsetPsRec;    // 1376
    int64_t llTimeScalePsRec;     // 1384
    int64_t llDelayedOffsetPsRec; // 1392
    int64_t llDelayedScalePsRec;  // 1400

    int32_t nCursorMode; // 1408  0 off, 1 manual, 2 tracking, 3
    int32_t nCurXSource; // 1412  0 CH1, 1 CH2, 2..5 MATH1..4, 6 LA
    int32_t nCurYSource; // 1416
    float fCurXA;        // 1420  divisions
    float fCurXB;        // 1424
    float fCurYA;        // 1428
    float fCurYB;        // 1432
    uint8_t bCurXOn;     // 1436
    uint8_t bCurYOn;     // 1437
    uint8_t reserved_1438[2];
    int32_t nTrackSourceA; // 1440  0 CH1, 1 CH2
    int32_t nTrackSourceB; // 1444
    float fTrackA;         // 1448  divisions
    float fTrackB;         // 1452
    uint8_t bTrackOnA;     // 1456
    uint8_t bTrackOnB;     // 1457
    uint8_t reserved_1458[14];

    int32_t nAcqType;     // 1472  0 NORMAL, 1 AVERAGE, 2 PEAKDETECT
    uint8_t bAcqRealTime; // 1476
    uint8_t reserved_1477[3];
    int32_t nAcqAverages;   // 1480
    uint8_t bAcqLongMemory; // 1484
    uint8_t reserved_1485[3];
    int32_t nAcqMemory;        // 1488
    float fSampleRate;         // 1492
    float fSampleRateMem;      // 1496
    float fSampleRateRec;      // 1500  real-time rate of the stored record
    float fSampleRateRecEquiv; // 1504  equivalent-time rate of the stored record
    int32_t nAcqMemoryRec;     // 1508

    // Display settings (computed and drawn by the application).
    int32_t nDisplayType;       // 1512  0 VECTORS, 1 DOTS
    int32_t nDisplayGrid;       // 1516  0 FULL, 1 NONE
    uint8_t bDisplayPersist;    // 1520  persistence on (sub-command 2157); with
    uint8_t bDisplayColorGrade; // 1521  colour grade, the two plot-style overrides
    uint8_t byBackgroundGrey;   // 1522  grey level of the screen background (0 black)
    uint8_t reserved_1523[1];
    int32_t nWaveIntensity; // 1524
    int32_t nGridIntensity; // 1528
    int32_t nDisplayMode;   // 1532
    uint8_t bSelfCalEnable; // 1536
    uint8_t reserved_1537[3];

    // Automatic measurements chosen for the read-outs.
    int32_t nMeasureCount;      // 1540
    int32_t nMeasureItem[8];    // 1544  measurement codes
    int32_t nMeasureSource[8];  // 1576  0 CH1, 1 CH2
    uint8_t bMeasureAll;        // 1608  every measurement of one source
    uint8_t byMeasureAllSource; // 1609  its source: 0 CH1, 1 CH2
    uint8_t reserved_1610[5298];

    int32_t nTrigMode; // 6908  0 EDGE .. 4 ALTERNATION, 5 PATTERN, 6 DURATION
    int32_t nRunState; // 6912
    uint8_t reserved_6916[8];
    float fTrigHoldoff;       // 6924
    int32_t nTrigSweep;       // 6928
    float fTrigSensitivity;   // 6932
    int32_t nTrigCoupling;    // 6936
    uint8_t bTrigSourceShown; // 6940
    uint8_t reserved_6941[3];
    int32_t nEdgeSlope;     // 6944
    int32_t nEdgeSource;    // 6948
    float fEdgeLevel;       // 6952  V at the probe tip
    int32_t nPulseMode;     // 6956
    double dPulseWidth;     // 6960
    int32_t nPulseSource;   // 6968
    float fPulseLevel;      // 6972
    int32_t nVideoPolarity; // 6976
    int32_t nVideoSource;   // 6980
    int32_t nVideoMode;     // 6984
    int32_t nVideoStandard; // 6988
    int32_t nVideoLine;     // 6992
    float fVideoLevel;      // 6996
    int32_t nSlopeMode;     // 7000
    int32_t nSlopeSource;   // 7004
    double dSlopeTime;      // 7008
    float fSlopeLevelA;     // 7016
    float fSlopeLevelB;     // 7020
    uint8_t reserved_7024[4];
    int32_t nPatternBit[16];    // 7028
    int32_t nDurationBit[16];   // 7092
    int32_t nDurationQualifier; // 7156
    double dDurationTime;       // 7160

    // Alternate trigger, per channel.
    int32_t nAltSource;                        // 7168  channel being edited
    int32_t nAltType[2];                       // 7172  0 EDGE, 1 PULSE, 2 SLOPE, 3 VIDEO
    OxPacked<double> dAltHoldoff[2];           // 7180
    float fAltSensitivity[2];                  // 7196
    int32_t nAltCoupling[2];                   // 7204
    int32_t nAltWord8[2];                      // 7212
    OxPacked<double> dAltTimeScale[2];         // 7220
    OxPacked<double> dAltTimeOffset[2];        // 7236
    OxPacked<int64_t> llAltTimeScalePs[2];     // 7252
    OxPacked<int64_t> llAltTimeOffsetPs[2];    // 7268
    float fAltWord68[2];                       // 7284
    int32_t nAltWord72[2];                     // 7292
    OxPacked<double> dAltTimeScaleRec[2];      // 7300
    OxPacked<double> dAltTimeOffsetRec[2];     // 7316
    OxPacked<int64_t> llAltTimeScalePsRec[2];  // 7332
    OxPacked<int64_t> llAltTimeOffsetPsRec[2]; // 7348
    int32_t nAltMemoryRec[2];                  // 7364  point count of the channel's stored record
    float fAltSampleRateRec[2];                // 7372  sampling rate of the channel's stored record
    float fAltEdgeLevel[2];                    // 7380  V at the probe tip
    int32_t nAltEdgeSlope[2];                  // 7388
    float fAltPulseLevel[2];                   // 7396
    int32_t nAltPulseMode[2];                  // 7404
    OxPacked<double> dAltPulseWidth[2];        // 7412
    int32_t nAltVideoPolarity[2];              // 7428
    int32_t nAltVideoMode[2];                  // 7436
    int32_t nAltVideoStandard[2];              // 7444
    float fAltVideoLevel[2];                   // 7452
    uint16_t nAltVideoLine[2];                 // 7460
    int32_t nAltSlopeMode[2];                  // 7464
    OxPacked<double> dAltSlopeTime[2];         // 7472
    float fAltSlopeLevelA[2];                  // 7488
    float fAltSlopeLevelB[2];                  // 7496
    uint8_t reserved_7504[20];

    // Pass/fail test.
    uint8_t bPfEnable; // 7524
    uint8_t reserved_7525[3];
    int32_t nPfSource; // 7528  0 CH1, 1 CH2
    uint8_t bPfRun;    // 7532
    uint8_t bPfInfo;   // 7533
    uint8_t reserved_7534[2];
    uint32_t nPfTotal; // 7536
    uint32_t nPfPass;  // 7540
    uint32_t nPfFail;  // 7544
    int32_t nPfOutput; // 7548  0 FAIL, 1 FAIL + BEEPER, 2 PASS, 3 PASS + BEEPER
    uint8_t bPfStop;   // 7552
    uint8_t reserved_7553[3];
    float fPfHorRange;    // 7556  divisions
    float fPfVerRange;    // 7560  divisions
    uint8_t bPfMaskReady; // 7564
    uint8_t reserved_7565[3];

    // Record and playback.
    int32_t nRecordState;         // 7568
    int32_t nRecordFrames;        // 7572  frames recorded
    int32_t nRecordFramesMax;     // 7576  frames to record
    int32_t nPlayStartFrame;      // 7580  first playback frame
    int32_t nPlayEndFrame;        // 7584  last playback frame
    int32_t nPlayCurrentFrame;    // 7588
    int32_t nRecordSource;        // 7592  source index
    int32_t nRecordSourceChannel; // 7596  source channel
    int32_t nRecordInterval;      // 7600  ms between frames
    uint8_t bPlayLoop;            // 7604
    uint8_t reserved_7605[3];
    int32_t nPlayInterval; // 7608  ms between played frames
    uint8_t reserved_7612[260];
    OX_UNDO_MARKERS stUndoMarkers; // 7872
    OX_UNDO_MARKERS stRedoMarkers; // 7996

    uint32_t dwLanIp;      // 8120  most significant byte = first number
    uint32_t dwLanNetmask; // 8124
    uint32_t dwLanGateway; // 8128
    uint8_t byLanMac[3];   // 8132  last three bytes of the MAC address
    uint8_t reserved_8135[6];
    uint8_t bUndoUsed; // 8141
    uint8_t reserved_8142[2];
    OX_UNDO_SLOT stUndoSlot; // 8144
    OX_UNDO_SLOT stRedoSlot; // 8224
    int32_t nLanMode;        // 8304
    uint8_t bLanDhcp;        // 8308
    uint8_t reserved_8309[3];
    int32_t nLanPort;          // 8312
    char szLanIp[16];          // 8316
    char szLanGateway[16];     // 8332
    char szLanNetmask[16];     // 8348
    char szLanMac[18];         // 8364
    char szConnectAddress[18]; // 8382  address the program connects to over LAN
    int32_t nConnectPort;      // 8400
    char szSystemError[260];   // 8404
};

// Screen regions, marker points and redraw flags.  The image is stored whole
// in waveform and setup files.
struct alignas(8) _OX_RGN_SETUP {
    // One-byte flags; the renderer clears the redraw flags it has served.
    uint8_t bRedrawAll;        //  0  (first byte, set by the mask dialog)
    uint8_t bErasePending;     //  1
    uint8_t bEraseRequest;     //  2
    uint8_t bDisplayActive;    //  3
    uint8_t bSurfaceLost;      //  4
    uint8_t bRedrawWave;       //  5  redraw traces from the stored data
    uint8_t bErrorPending;     //  6
    uint8_t bErrorShown;       //  7
    uint8_t bBusy;             //  8
    uint8_t bRedrawSection;    //  9  the tenth flag byte (timer 11)
    uint8_t bEraseBeforeFrame; // 10
    uint8_t bMarkerHighlight;  // 11
    uint8_t bAcquiring;        // 12
    uint8_t bFloatDraw;        // 13
    uint8_t bChannelSelect;    // 14
    uint8_t bClearRequest;     // 15
    uint8_t bMeasure;          // 16
    uint8_t bTrigMarker;       // 17
    uint8_t bRedrawGrid;       // 18
    uint8_t bRedrawChanMarker; // 19
    uint8_t bRedrawTrigLevel;  // 20
    uint8_t bRedrawTrigPos;    // 21
    uint8_t bRedrawDelayed;    // 22
    uint8_t bRedrawCursor;     // 23
    uint8_t bRedrawMath;       // 24
    uint8_t bRedrawRef;        // 25
    uint8_t bRedrawLa;         // 26
    uint8_t bRedrawMeasure;    // 27
    uint8_t bRedrawPassFail;   // 28
    uint8_t bRedrawStatus;     // 29
    uint8_t bRedrawMemBar;     // 30
    uint8_t bRedrawLabels;     // 31
    uint8_t bClearPersist;     // 32  the display loop empties the persistence history
    uint8_t reserved_33[31];
    int32_t nDragWindow;   // 64  0 main, 1 main then delayed, 2 delayed, 3/4 alternate CH1/CH2
    int32_t nDragMarker;   // 68  the highlighted marker (the mouse's marker code)
    OX_RECT rcMain;        // 72  main graticule
    OX_RECT rcUpper;       // 88  delayed: main window; alternate: CH1
    OX_RECT rcLower;       // 104 delayed: zoomed window; alternate: CH2
    OX_RECT rcFFTTime;     // 120 FFT split: time window
    OX_RECT rcFFTFreq;     // 136 FFT split: spectrum window
    OX_POINT ptTrigOrigin; // 152
    // Ground markers per visible window (0 main or upper, 1 lower):
    // CH1, CH2, MATH1..MATH4, Ref1..Ref4.
    OX_POINT ptTrace[2][10]; // 160
    OX_POINT ptLa[2][16];    // 320  D0..D15
    OX_POINT ptTrigLevel[2]; // 576
    OX_POINT ptTrigPos[2];   // 592
    OX_RECT rcDelayed;       // 608  delayed window drawn in the upper window
    OX_POINT ptCurXA;        // 624
    OX_POINT ptCurXB;        // 632
    OX_POINT ptCurYA;        // 640
    OX_POINT ptCurYB;        // 648
    OX_POINT ptTrackA;       // 656
    OX_POINT ptTrackB;       // 664
    uint8_t reserved_672[2336];
};

// Which samples of a record appear on which screen columns.
struct OX_TRACE_WINDOW {
    int32_t nFirstSample;
    int32_t nLastSample;
    int32_t nFirstColumn;
    int32_t nLastColumn;
    int32_t nFirstDrawn;
    int32_t nLastDrawn;
    int32_t nScanPos;
    int32_t nRollPoints;
};
static_assert(sizeof(OX_TRACE_WINDOW) == 32);

// Places samples first..last on columns first..last, drawn firstDrawn..lastDrawn; the scan
// position and roll points stay.
inline void SetTraceWindow(OX_TRACE_WINDOW& w, int firstSample, int lastSample, int firstColumn,
                           int lastColumn, int firstDrawn, int lastDrawn) {
    w.nFirstSample = firstSample;
    w.nLastSample = lastSample;
    w.nFirstColumn = firstColumn;
    w.nLastColumn = lastColumn;
    w.nFirstDrawn = firstDrawn;
    w.nLastDrawn = lastDrawn;
}

// Trace window records: 0 analog main region, 1 second region, 2 and 3 the
// logic analyzer's, 4..7 math traces, 8..11 their spectra, 12..15 references.
struct alignas(8) _OX_POS_SETUP {
    OX_TRACE_WINDOW stWindow[16];
};

#pragma pack(pop)

inline constexpr int OX_WIN_MAIN = 0;
inline constexpr int OX_WIN_SECOND = 1;
inline constexpr int OX_WIN_LA_MAIN = 2;
inline constexpr int OX_WIN_LA_SECOND = 3;
inline constexpr int OX_WIN_MATH = 4;
inline constexpr int OX_WIN_SPECTRUM = 8;
inline constexpr int OX_WIN_REF = 12;

static_assert(sizeof(_OX_SETUP) == 8664);
static_assert(sizeof(_OX_RGN_SETUP) == 3008);
static_assert(sizeof(_OX_POS_SETUP) == 16 * 32);
static_assert(std::is_trivially_copyable_v<_OX_SETUP> && std::is_standard_layout_v<_OX_SETUP>);
static_assert(std::is_trivially_copyable_v<_OX_RGN_SETUP> &&
              std::is_standard_layout_v<_OX_RGN_SETUP>);
static_assert(alignof(_OX_SETUP) == 8, "8-byte fields at offsets 0 mod 8 are aligned");

// Every field of the stored image at its offset.
static_assert(offsetof(_OX_SETUP, bRun) == 0);
static_assert(offsetof(_OX_SETUP, nActiveChannel) == 4);
static_assert(offsetof(_OX_SETUP, nInterface) == 8);
static_assert(offsetof(_OX_SETUP, szModelName) == 12);
static_assert(offsetof(_OX_SETUP, nModelClass) == 20);
static_assert(offsetof(_OX_SETUP, bLaInstalled) == 24);
static_assert(offsetof(_OX_SETUP, fMinTimeScale) == 36);
static_assert(offsetof(_OX_SETUP, bSettingChanged) == 40);
static_assert(offsetof(_OX_SETUP, bDataValid) == 41);
static_assert(offsetof(_OX_SETUP, bWaveHold) == 42);
static_assert(offsetof(_OX_SETUP, bConnected) == 43);
static_assert(offsetof(_OX_SETUP, hUsbDevice) == 44);
static_assert(offsetof(_OX_SETUP, bChanDisplay) == 50);
static_assert(offsetof(_OX_SETUP, fChanScale) == 60);
static_assert(offsetof(_OX_SETUP, fChanOffset) == 68);
static_assert(offsetof(_OX_SETUP, nChanCoupling) == 76);
static_assert(offsetof(_OX_SETUP, fChanProbe) == 84);
static_assert(offsetof(_OX_SETUP, bChanBwLimit) == 92);
static_assert(offsetof(_OX_SETUP, nChanUnit) == 96);
static_assert(offsetof(_OX_SETUP, szChanUnit) == 104);
static_assert(offsetof(_OX_SETUP, bChanInvert) == 120);
static_assert(offsetof(_OX_SETUP, nChanInput) == 124);
static_assert(offsetof(_OX_SETUP, bChanShownStop) == 132);
static_assert(offsetof(_OX_SETUP, fChanScaleRec) == 136);
static_assert(offsetof(_OX_SETUP, fChanOffsetRec) == 144);
static_assert(offsetof(_OX_SETUP, bChanInvertRec) == 152);
static_assert(offsetof(_OX_SETUP, bTraceShown) == 154);
static_assert(offsetof(_OX_SETUP, nMathOperator) == 160);
static_assert(offsetof(_OX_SETUP, nMathSourceA) == 176);
static_assert(offsetof(_OX_SETUP, nMathSourceB) == 192);
static_assert(offsetof(_OX_SETUP, nMathScaleIndex) == 208);
static_assert(offsetof(_OX_SETUP, fMathScale) == 224);
static_assert(offsetof(_OX_SETUP, fMathOffset) == 240);
static_assert(offsetof(_OX_SETUP, bMathInvert) == 256);
static_assert(offsetof(_OX_SETUP, nMathFilterType) == 260);
static_assert(offsetof(_OX_SETUP, fMathFilterUpper) == 276);
static_assert(offsetof(_OX_SETUP, fMathFilterLower) == 292);
static_assert(offsetof(_OX_SETUP, bTraceShownStop) == 308);
static_assert(offsetof(_OX_SETUP, nFFTSource) == 312);
static_assert(offsetof(_OX_SETUP, nFFTWindow) == 328);
static_assert(offsetof(_OX_SETUP, nFFTUnit) == 344);
static_assert(offsetof(_OX_SETUP, nFFTVrmsScaleIndex) == 360);
static_assert(offsetof(_OX_SETUP, fFFTVrmsOffset) == 376);
static_assert(offsetof(_OX_SETUP, fFFTdBVrmsScale) == 392);
static_assert(offsetof(_OX_SETUP, fFFTdBVrmsOffset) == 408);
static_assert(offsetof(_OX_SETUP, dFFTHorizScale) == 424);
static_assert(offsetof(_OX_SETUP, dFFTHorizOffset) == 456);
static_assert(offsetof(_OX_SETUP, nTraceZoomIndex) == 488);
static_assert(offsetof(_OX_SETUP, fTraceZoomFactor) == 504);
static_assert(offsetof(_OX_SETUP, fTraceBaseFreq) == 520);
static_assert(offsetof(_OX_SETUP, fTraceSpan) == 536);
static_assert(offsetof(_OX_SETUP, szTraceUnit) == 552);
static_assert(offsetof(_OX_SETUP, bFFTSplitScreen) == 584);
static_assert(offsetof(_OX_SETUP, bChanFilter) == 588);
static_assert(offsetof(_OX_SETUP, nChanFilterType) == 592);
static_assert(offsetof(_OX_SETUP, fChanFilterUpper) == 600);
static_assert(offsetof(_OX_SETUP, fChanFilterLower) == 608);
static_assert(offsetof(_OX_SETUP, bRefDisplay) == 616);
static_assert(offsetof(_OX_SETUP, bRefValid) == 620);
static_assert(offsetof(_OX_SETUP, nRefSource) == 624);
static_assert(offsetof(_OX_SETUP, fRefScale) == 640);
static_assert(offsetof(_OX_SETUP, nRefWord20) == 656);
static_assert(offsetof(_OX_SETUP, fRefOffset) == 672);
static_assert(offsetof(_OX_SETUP, nRefWord28) == 688);
static_assert(offsetof(_OX_SETUP, dRefTimeScale) == 704);
static_assert(offsetof(_OX_SETUP, qRefWord40) == 736);
static_assert(offsetof(_OX_SETUP, dRefTimeOffset) == 768);
static_assert(offsetof(_OX_SETUP, qRefWord56) == 800);
static_assert(offsetof(_OX_SETUP, nRefKind) == 960);
static_assert(offsetof(_OX_SETUP, nRefWord100) == 976);
static_assert(offsetof(_OX_SETUP, szRefUnit) == 1040);
static_assert(offsetof(_OX_SETUP, fRefSampleRate) == 1072);
static_assert(offsetof(_OX_SETUP, nRefLength) == 1088);
static_assert(offsetof(_OX_SETUP, nRefWord132) == 1104);
static_assert(offsetof(_OX_SETUP, bLaEnable) == 1154);
static_assert(offsetof(_OX_SETUP, bLaChannel) == 1155);
static_assert(offsetof(_OX_SETUP, nLaThresholdType) == 1176);
static_assert(offsetof(_OX_SETUP, fLaThreshold) == 1180);
static_assert(offsetof(_OX_SETUP, fLaThresholdUser) == 1184);
static_assert(offsetof(_OX_SETUP, bLaGroup1) == 1188);
static_assert(offsetof(_OX_SETUP, bLaGroup2) == 1189);
static_assert(offsetof(_OX_SETUP, bLaWaveSize) == 1190);
static_assert(offsetof(_OX_SETUP, bLaShownStop) == 1272);
static_assert(offsetof(_OX_SETUP, bDelayed) == 1273);
static_assert(offsetof(_OX_SETUP, bSlowSweep) == 1274);
static_assert(offsetof(_OX_SETUP, nTimeFormat) == 1276);
static_assert(offsetof(_OX_SETUP, dTimeOffset) == 1280);
static_assert(offsetof(_OX_SETUP, dTimeScale) == 1288);
static_assert(offsetof(_OX_SETUP, dDelayedOffset) == 1296);
static_assert(offsetof(_OX_SETUP, dDelayedScale) == 1304);
static_assert(offsetof(_OX_SETUP, dTimeOffsetRec) == 1312);
static_assert(offsetof(_OX_SETUP, dTimeScaleRec) == 1320);
static_assert(offsetof(_OX_SETUP, dDelayedOffsetRec) == 1328);
static_assert(offsetof(_OX_SETUP, dDelayedScaleRec) == 1336);
static_assert(offsetof(_OX_SETUP, llTimeOffsetPs) == 1344);
static_assert(offsetof(_OX_SETUP, llTimeScalePs) == 1352);
static_assert(offsetof(_OX_SETUP, llDelayedOffsetPs) == 1360);
static_assert(offsetof(_OX_SETUP, llDelayedScalePs) == 1368);
static_assert(offsetof(_OX_SETUP, llTimeOffsetPsRec) == 1376);
static_assert(offsetof(_OX_SETUP, llTimeScalePsRec) == 1384);
static_assert(offsetof(_OX_SETUP, llDelayedOffsetPsRec) == 1392);
static_assert(offsetof(_OX_SETUP, llDelayedScalePsRec) == 1400);
static_assert(offsetof(_OX_SETUP, nCursorMode) == 1408);
static_assert(offsetof(_OX_SETUP, nCurXSource) == 1412);
static_assert(offsetof(_OX_SETUP, nCurYSource) == 1416);
static_assert(offsetof(_OX_SETUP, fCurXA) == 1420);
static_assert(offsetof(_OX_SETUP, fCurXB) == 1424);
static_assert(offsetof(_OX_SETUP, fCurYA) == 1428);
static_assert(offsetof(_OX_SETUP, fCurYB) == 1432);
static_assert(offsetof(_OX_SETUP, bCurXOn) == 1436);
static_assert(offsetof(_OX_SETUP, bCurYOn) == 1437);
static_assert(offsetof(_OX_SETUP, nTrackSourceA) == 1440);
static_assert(offsetof(_OX_SETUP, nTrackSourceB) == 1444);
static_assert(offsetof(_OX_SETUP, fTrackA) == 1448);
static_assert(offsetof(_OX_SETUP, fTrackB) == 1452);
static_assert(offsetof(_OX_SETUP, bTrackOnA) == 1456);
static_assert(offsetof(_OX_SETUP, bTrackOnB) == 1457);
static_assert(offsetof(_OX_SETUP, nAcqType) == 1472);
static_assert(offsetof(_OX_SETUP, bAcqRealTime) == 1476);
static_assert(offsetof(_OX_SETUP, nAcqAverages) == 1480);
static_assert(offsetof(_OX_SETUP, bAcqLongMemory) == 1484);
static_assert(offsetof(_OX_SETUP, nAcqMemory) == 1488);
static_assert(offsetof(_OX_SETUP, fSampleRate) == 1492);
static_assert(offsetof(_OX_SETUP, fSampleRateMem) == 1496);
static_assert(offsetof(_OX_SETUP, fSampleRateRec) == 1500);
static_assert(offsetof(_OX_SETUP, fSampleRateRecEquiv) == 1504);
static_assert(offsetof(_OX_SETUP, nAcqMemoryRec) == 1508);
static_assert(offsetof(_OX_SETUP, nDisplayType) == 1512);
static_assert(offsetof(_OX_SETUP, nDisplayGrid) == 1516);
static_assert(offsetof(_OX_SETUP, bDisplayPersist) == 1520);
static_assert(offsetof(_OX_SETUP, bDisplayColorGrade) == 1521);
static_assert(offsetof(_OX_SETUP, byBackgroundGrey) == 1522);
static_assert(offsetof(_OX_SETUP, nWaveIntensity) == 1524);
static_assert(offsetof(_OX_SETUP, nGridIntensity) == 1528);
static_assert(offsetof(_OX_SETUP, nDisplayMode) == 1532);
static_assert(offsetof(_OX_SETUP, bSelfCalEnable) == 1536);
static_assert(offsetof(_OX_SETUP, nMeasureCount) == 1540);
static_assert(offsetof(_OX_SETUP, nMeasureItem) == 1544);
static_assert(offsetof(_OX_SETUP, nMeasureSource) == 1576);
static_assert(offsetof(_OX_SETUP, bMeasureAll) == 1608);
static_assert(offsetof(_OX_SETUP, byMeasureAllSource) == 1609);
static_assert(offsetof(_OX_SETUP, nTrigMode) == 6908);
static_assert(offsetof(_OX_SETUP, nRunState) == 6912);
static_assert(offsetof(_OX_SETUP, fTrigHoldoff) == 6924);
static_assert(offsetof(_OX_SETUP, nTrigSweep) == 6928);
static_assert(offsetof(_OX_SETUP, fTrigSensitivity) == 6932);
static_assert(offsetof(_OX_SETUP, nTrigCoupling) == 6936);
static_assert(offsetof(_OX_SETUP, bTrigSourceShown) == 6940);
static_assert(offsetof(_OX_SETUP, nEdgeSlope) == 6944);
static_assert(offsetof(_OX_SETUP, nEdgeSource) == 6948);
static_assert(offsetof(_OX_SETUP, fEdgeLevel) == 6952);
static_assert(offsetof(_OX_SETUP, nPulseMode) == 6956);
static_assert(offsetof(_OX_SETUP, dPulseWidth) == 6960);
static_assert(offsetof(_OX_SETUP, nPulseSource) == 6968);
static_assert(offsetof(_OX_SETUP, fPulseLevel) == 6972);
static_assert(offsetof(_OX_SETUP, nVideoPolarity) == 6976);
static_assert(offsetof(_OX_SETUP, nVideoSource) == 6980);
static_assert(offsetof(_OX_SETUP, nVideoMode) == 6984);
static_assert(offsetof(_OX_SETUP, nVideoStandard) == 6988);
static_assert(offsetof(_OX_SETUP, nVideoLine) == 6992);
static_assert(offsetof(_OX_SETUP, fVideoLevel) == 6996);
static_assert(offsetof(_OX_SETUP, nSlopeMode) == 7000);
static_assert(offsetof(_OX_SETUP, nSlopeSource) == 7004);
static_assert(offsetof(_OX_SETUP, dSlopeTime) == 7008);
static_assert(offsetof(_OX_SETUP, fSlopeLevelA) == 7016);
static_assert(offsetof(_OX_SETUP, fSlopeLevelB) == 7020);
static_assert(offsetof(_OX_SETUP, nPatternBit) == 7028);
static_assert(offsetof(_OX_SETUP, nDurationBit) == 7092);
static_assert(offsetof(_OX_SETUP, nDurationQualifier) == 7156);
static_assert(offsetof(_OX_SETUP, dDurationTime) == 7160);
static_assert(offsetof(_OX_SETUP, nAltSource) == 7168);
static_assert(offsetof(_OX_SETUP, nAltType) == 7172);
static_assert(offsetof(_OX_SETUP, dAltHoldoff) == 7180);
static_assert(offsetof(_OX_SETUP, fAltSensitivity) == 7196);
static_assert(offsetof(_OX_SETUP, nAltCoupling) == 7204);
static_assert(offsetof(_OX_SETUP, nAltWord8) == 7212);
static_assert(offsetof(_OX_SETUP, dAltTimeScale) == 7220);
static_assert(offsetof(_OX_SETUP, dAltTimeOffset) == 7236);
static_assert(offsetof(_OX_SETUP, llAltTimeScalePs) == 7252);
static_assert(offsetof(_OX_SETUP, llAltTimeOffsetPs) == 7268);
static_assert(offsetof(_OX_SETUP, fAltWord68) == 7284);
static_assert(offsetof(_OX_SETUP, nAltWord72) == 7292);
static_assert(offsetof(_OX_SETUP, dAltTimeScaleRec) == 7300);
static_assert(offsetof(_OX_SETUP, dAltTimeOffsetRec) == 7316);
static_assert(offsetof(_OX_SETUP, llAltTimeScalePsRec) == 7332);
static_assert(offsetof(_OX_SETUP, llAltTimeOffsetPsRec) == 7348);
static_assert(offsetof(_OX_SETUP, nAltMemoryRec) == 7364);
static_assert(offsetof(_OX_SETUP, fAltSampleRateRec) == 7372);
static_assert(offsetof(_OX_SETUP, fAltEdgeLevel) == 7380);
static_assert(offsetof(_OX_SETUP, nAltEdgeSlope) == 7388);
static_assert(offsetof(_OX_SETUP, fAltPulseLevel) == 7396);
static_assert(offsetof(_OX_SETUP, nAltPulseMode) == 7404);
static_assert(offsetof(_OX_SETUP, dAltPulseWidth) == 7412);
static_assert(offsetof(_OX_SETUP, nAltVideoPolarity) == 7428);
static_assert(offsetof(_OX_SETUP, nAltVideoMode) == 7436);
static_assert(offsetof(_OX_SETUP, nAltVideoStandard) == 7444);
static_assert(offsetof(_OX_SETUP, fAltVideoLevel) == 7452);
static_assert(offsetof(_OX_SETUP, nAltVideoLine) == 7460);
static_assert(offsetof(_OX_SETUP, nAltSlopeMode) == 7464);
static_assert(offsetof(_OX_SETUP, dAltSlopeTime) == 7472);
static_assert(offsetof(_OX_SETUP, fAltSlopeLevelA) == 7488);
static_assert(offsetof(_OX_SETUP, fAltSlopeLevelB) == 7496);
static_assert(offsetof(_OX_SETUP, bPfEnable) == 7524);
static_assert(offsetof(_OX_SETUP, nPfSource) == 7528);
static_assert(offsetof(_OX_SETUP, bPfRun) == 7532);
static_assert(offsetof(_OX_SETUP, bPfInfo) == 7533);
static_assert(offsetof(_OX_SETUP, nPfTotal) == 7536);
static_assert(offsetof(_OX_SETUP, nPfPass) == 7540);
static_assert(offsetof(_OX_SETUP, nPfFail) == 7544);
static_assert(offsetof(_OX_SETUP, nPfOutput) == 7548);
static_assert(offsetof(_OX_SETUP, bPfStop) == 7552);
static_assert(offsetof(_OX_SETUP, fPfHorRange) == 7556);
static_assert(offsetof(_OX_SETUP, fPfVerRange) == 7560);
static_assert(offsetof(_OX_SETUP, bPfMaskReady) == 7564);
static_assert(offsetof(_OX_SETUP, nRecordState) == 7568);
static_assert(offsetof(_OX_SETUP, nRecordFrames) == 7572);
static_assert(offsetof(_OX_SETUP, nRecordFramesMax) == 7576);
static_assert(offsetof(_OX_SETUP, nPlayStartFrame) == 7580);
static_assert(offsetof(_OX_SETUP, nPlayEndFrame) == 7584);
static_assert(offsetof(_OX_SETUP, nPlayCurrentFrame) == 7588);
static_assert(offsetof(_OX_SETUP, nRecordSource) == 7592);
static_assert(offsetof(_OX_SETUP, nRecordSourceChannel) == 7596);
static_assert(offsetof(_OX_SETUP, nRecordInterval) == 7600);
static_assert(offsetof(_OX_SETUP, bPlayLoop) == 7604);
static_assert(offsetof(_OX_SETUP, nPlayInterval) == 7608);
static_assert(offsetof(_OX_SETUP, stUndoMarkers) == 7872);
static_assert(offsetof(_OX_SETUP, stRedoMarkers) == 7996);
static_assert(offsetof(_OX_SETUP, dwLanIp) == 8120);
static_assert(offsetof(_OX_SETUP, dwLanNetmask) == 8124);
static_assert(offsetof(_OX_SETUP, dwLanGateway) == 8128);
static_assert(offsetof(_OX_SETUP, byLanMac) == 8132);
static_assert(offsetof(_OX_SETUP, bUndoUsed) == 8141);
static_assert(offsetof(_OX_SETUP, stUndoSlot) == 8144);
static_assert(offsetof(_OX_SETUP, stRedoSlot) == 8224);
static_assert(offsetof(_OX_SETUP, nLanMode) == 8304);
static_assert(offsetof(_OX_SETUP, bLanDhcp) == 8308);
static_assert(offsetof(_OX_SETUP, nLanPort) == 8312);
static_assert(offsetof(_OX_SETUP, szLanIp) == 8316);
static_assert(offsetof(_OX_SETUP, szLanGateway) == 8332);
static_assert(offsetof(_OX_SETUP, szLanNetmask) == 8348);
static_assert(offsetof(_OX_SETUP, szLanMac) == 8364);
static_assert(offsetof(_OX_SETUP, szConnectAddress) == 8382);
static_assert(offsetof(_OX_SETUP, nConnectPort) == 8400);
static_assert(offsetof(_OX_SETUP, szSystemError) == 8404);

// ---------------------------------------------------------------------------
// The instrument's setup blocks: plain byte images with typed little-endian
// access at fixed offsets.  The offsets are named after the _OX_SETUP field
// each one carries; a suffix names the unit of a converted copy.

namespace oxrec {

// The position and type of one value inside a block.
template <class T> struct BlockField {
    static_assert(std::is_trivially_copyable_v<T>);
    std::size_t offset;
};

// Offsets of a per-channel value: CH1 at `first`, CH2 `stride` bytes later.
template <class T>
constexpr std::array<BlockField<T>, 2> PerChannel(std::size_t first, std::size_t stride) {
    return {BlockField<T>{first}, BlockField<T>{first + stride}};
}

template <std::size_t N> struct Block {
    static constexpr std::size_t kSize = N;
    unsigned char bytes[N];

    template <class T> T get(BlockField<T> field) const {
        T value{};
        if (fits(field)) std::memcpy(&value, bytes + field.offset, sizeof(T));
        return value;
    }

    // A field outside the block is never written; get() returns a zero value.
    template <class T> void set(BlockField<T> field, T value) {
        if (fits(field)) std::memcpy(bytes + field.offset, &value, sizeof(T));
    }

    template <class T> static constexpr bool fits(BlockField<T> field) {
        return field.offset <= N && sizeof(T) <= N - field.offset;
    }
};

namespace dso {
inline constexpr BlockField<uint8_t> bRun{0};
inline constexpr BlockField<uint32_t> nActiveChannel{8};
inline constexpr std::array<BlockField<uint8_t>, 2> bChanDisplay{BlockField<uint8_t>{12},
                                                                 BlockField<uint8_t>{90}};
inline constexpr auto fChanScale = PerChannel<float>(16, 76);
inline constexpr auto nChanScaleUv = PerChannel<int32_t>(20, 76); // µV/div at the input
inline constexpr auto fChanOffset = PerChannel<float>(24, 76);
inline constexpr auto nChanOffsetDiv25 = PerChannel<int16_t>(28, 76); // 1/25 division
inline constexpr auto nChanCoupling = PerChannel<int32_t>(32, 76);
inline constexpr auto nChanInput = PerChannel<int32_t>(36, 76);
inline constexpr auto fChanProbe = PerChannel<float>(40, 76);
inline constexpr auto bChanBwLimit = PerChannel<uint8_t>(44, 76);
inline constexpr auto bChanInvert = PerChannel<uint8_t>(46, 76);
inline constexpr auto nChanZero = PerChannel<uint32_t>(48, 76); // written as 0
inline constexpr auto bChanShownStop = PerChannel<uint8_t>(52, 76);
inline constexpr auto fChanScaleRec = PerChannel<float>(56, 76);
inline constexpr auto nChanScaleRecUv = PerChannel<int32_t>(60, 76);
inline constexpr auto fChanOffsetRec = PerChannel<float>(64, 76);
inline constexpr auto nChanOffsetRecDiv25 = PerChannel<int16_t>(68, 76);
inline constexpr auto bChanInvertRec = PerChannel<uint8_t>(70, 76);
inline constexpr BlockField<uint8_t> bDelayed{288};
inline constexpr BlockField<uint8_t> bSlowSweep{289};
inline constexpr BlockField<int32_t> nTimeFormat{292};
inline constexpr BlockField<double> dTimeOffset{296};
inline constexpr BlockField<int64_t> llTimeOffsetPs{304};
inline constexpr BlockField<float> fTimeScale{312};
inline constexpr BlockField<int64_t> llTimeScalePs{316};
inline constexpr BlockField<double> dDelayedOffset{324};
inline constexpr BlockField<int64_t> llDelayedOffsetPs{332};
inline constexpr BlockField<float> fDelayedScale{340};
inline constexpr BlockField<int64_t> llDelayedScalePs{344};
inline constexpr BlockField<float> fSampleRate{352};
inline constexpr BlockField<float> fSampleRateMem{356};
inline constexpr BlockField<double> dTimeOffsetRecS{360}; // seconds
inline constexpr BlockField<int64_t> llTimeOffsetPsRec{368};
inline constexpr BlockField<float> fTimeScaleRecS{376}; // seconds
inline constexpr BlockField<int64_t> llTimeScalePsRec{380};
inline constexpr BlockField<float> fSampleRateRec{388};
inline constexpr BlockField<float> fSampleRateRecEquiv{392}; // the 4 bytes after fSampleRateRec
inline constexpr BlockField<int32_t> nAcqType{448};
inline constexpr BlockField<int32_t> nAcqEquivalent{452};    // 1 = equivalent time
inline constexpr BlockField<uint16_t> nAcqAveragesBits{456}; // significant bits of the count
inline constexpr BlockField<int32_t> nAcqMemory{460};
inline constexpr BlockField<int32_t> nAcqMemoryRec{464};
inline constexpr BlockField<int32_t> nAcqLongMemory{468};
inline constexpr BlockField<int32_t> nTrigMode{520};
inline constexpr BlockField<int32_t> nRunState{524};
inline constexpr BlockField<int32_t> nTrigCoupling{528};
inline constexpr BlockField<float> fTrigSensitivity{532};
inline constexpr BlockField<float> fTrigHoldoff{536};
inline constexpr BlockField<int32_t> nTrigSweep{540};
inline constexpr BlockField<int32_t> nEdgeSlope{544};
inline constexpr BlockField<int32_t> nEdgeSource{548};
inline constexpr BlockField<float> fEdgeLevel{552}; // V at the input
inline constexpr BlockField<int32_t> nPulseMode{560};
inline constexpr BlockField<float> fPulseWidth{564};
inline constexpr BlockField<int32_t> nPulseSource{568};
inline constexpr BlockField<float> fPulseLevel{572};
inline constexpr BlockField<int32_t> nVideoPolarity{580};
inline constexpr BlockField<int32_t> nVideoSource{584};
inline constexpr BlockField<int32_t> nVideoMode{588};
inline constexpr BlockField<int32_t> nVideoStandard{592};
inline constexpr BlockField<uint16_t> nVideoLine{596};
inline constexpr BlockField<float> fVideoLevel{600};
inline constexpr BlockField<int32_t> nSlopeMode{608};
inline constexpr BlockField<float> fSlopeLevelA{616};
inline constexpr BlockField<float> fSlopeLevelB{624};
inline constexpr BlockField<float> fSlopeTime{632};
inline constexpr BlockField<int32_t> nSlopeSource{636};
inline constexpr BlockField<uint8_t> bPfEnable{640};
inline constexpr BlockField<uint8_t> bLanDhcp{757};
inline constexpr BlockField<uint32_t> dwLanIp{760};
inline constexpr BlockField<uint32_t> dwLanNetmask{764};
inline constexpr BlockField<uint32_t> dwLanGateway{768};
inline constexpr BlockField<uint16_t> nLanPort{772};
inline constexpr std::array<BlockField<uint8_t>, 3> byLanMac{
    BlockField<uint8_t>{774}, BlockField<uint8_t>{775}, BlockField<uint8_t>{776}};
} // namespace dso

namespace la {
inline constexpr BlockField<uint8_t> bLaEnable{0};
inline constexpr BlockField<uint8_t> bLaShownStop{1};
constexpr BlockField<uint8_t> bLaChannel(int line) {
    return {2 + static_cast<std::size_t>(line)};
}
inline constexpr BlockField<int32_t> nLaThresholdType{56};
inline constexpr BlockField<float> fLaThreshold{60};
inline constexpr BlockField<float> fLaThresholdUser{64};
inline constexpr BlockField<uint8_t> bLaGroup1{68};
inline constexpr BlockField<uint8_t> bLaGroup2{86};
constexpr BlockField<int32_t> nPatternBit(int line) {
    return {104 + 4 * static_cast<std::size_t>(line)};
}
constexpr BlockField<int32_t> nDurationBit(int line) {
    return {176 + 4 * static_cast<std::size_t>(line)};
}
inline constexpr BlockField<double> dDurationTime{240};
inline constexpr BlockField<int32_t> nDurationQualifier{248};
} // namespace la

// Alternate trigger: the CH2 part lies 196 bytes after the CH1 part.
namespace alt {
inline constexpr std::size_t kChannelStride = 196;
inline constexpr auto nAltType = PerChannel<int32_t>(4, kChannelStride);
inline constexpr auto nAltWord8 = PerChannel<int32_t>(8, kChannelStride);
inline constexpr auto llAltTimeScalePs = PerChannel<int64_t>(12, kChannelStride);
inline constexpr auto fAltTimeScale = PerChannel<float>(20, kChannelStride);
inline constexpr auto llAltTimeOffsetPs = PerChannel<int64_t>(24, kChannelStride);
inline constexpr auto dAltTimeOffset = PerChannel<double>(32, kChannelStride);
inline constexpr auto llAltTimeScalePsRec = PerChannel<int64_t>(40, kChannelStride);
inline constexpr auto fAltTimeScaleRec = PerChannel<float>(48, kChannelStride);
inline constexpr auto llAltTimeOffsetPsRec = PerChannel<int64_t>(52, kChannelStride);
inline constexpr auto dAltTimeOffsetRec = PerChannel<double>(60, kChannelStride);
inline constexpr auto nAltWord68 = PerChannel<int32_t>(68, kChannelStride); // fAltWord68 truncated
inline constexpr auto nAltWord72 = PerChannel<int32_t>(72, kChannelStride);
inline constexpr auto nAltCoupling = PerChannel<int32_t>(76, kChannelStride);
inline constexpr auto fAltEdgeLevel = PerChannel<float>(84, kChannelStride); // V at the input
inline constexpr auto fAltEdgeHoldoff = PerChannel<float>(88, kChannelStride);
inline constexpr auto nAltEdgeSlope = PerChannel<int32_t>(92, kChannelStride);
inline constexpr auto fAltEdgeSensitivity = PerChannel<float>(96, kChannelStride);
inline constexpr auto nAltEdgeCoupling = PerChannel<int32_t>(100, kChannelStride);
inline constexpr auto fAltPulseLevel = PerChannel<float>(108, kChannelStride);
inline constexpr auto fAltPulseHoldoff = PerChannel<float>(112, kChannelStride);
inline constexpr auto fAltPulseSensitivity = PerChannel<float>(116, kChannelStride);
inline constexpr auto nAltPulseMode = PerChannel<int32_t>(120, kChannelStride);
inline constexpr auto fAltPulseWidth = PerChannel<float>(124, kChannelStride);
inline constexpr auto nAltVideoPolarity = PerChannel<int32_t>(128, kChannelStride);
inline constexpr auto nAltVideoMode = PerChannel<int32_t>(132, kChannelStride);
inline constexpr auto nAltVideoStandard = PerChannel<int32_t>(136, kChannelStride);
inline constexpr auto fAltVideoLevel = PerChannel<float>(144, kChannelStride);
inline constexpr auto fAltVideoSensitivity = PerChannel<float>(148, kChannelStride);
inline constexpr auto nAltVideoLine = PerChannel<uint16_t>(152, kChannelStride);
inline constexpr auto fAltVideoHoldoff = PerChannel<float>(156, kChannelStride);
inline constexpr auto nAltSlopeMode = PerChannel<int32_t>(160, kChannelStride);
inline constexpr auto nAltVideoCoupling = PerChannel<int32_t>(164, kChannelStride);
inline constexpr auto fAltSlopeLevelA = PerChannel<float>(176, kChannelStride);
inline constexpr auto fAltSlopeLevelB = PerChannel<float>(184, kChannelStride);
inline constexpr auto fAltSlopeTime = PerChannel<float>(188, kChannelStride);
inline constexpr auto fAltSlopeSensitivity = PerChannel<float>(192, kChannelStride);
inline constexpr auto fAltSlopeHoldoff = PerChannel<float>(196, kChannelStride);
} // namespace alt

} // namespace oxrec

// The blocks exchanged with the instrument (request 6 / 12 / 13, ":SETUP:DSO?" ...).
struct DSO_SETUP : oxrec::Block<780> {};
struct _OX_LA_SETUP : oxrec::Block<260> {};
struct DSO_ALT_SETUP : oxrec::Block<396> {};

static_assert(sizeof(DSO_SETUP) == 780 && alignof(DSO_SETUP) == 1);
static_assert(sizeof(_OX_LA_SETUP) == 260 && alignof(_OX_LA_SETUP) == 1);
static_assert(sizeof(DSO_ALT_SETUP) == 396 && alignof(DSO_ALT_SETUP) == 1);
static_assert(oxrec::alt::fAltSlopeHoldoff[1].offset + 4 == sizeof(DSO_ALT_SETUP));
