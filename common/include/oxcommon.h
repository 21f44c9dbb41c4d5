// OxCommon: the stateless utilities every part of Oxbow shares, so that they agree on how
// a value steps up and down, how numbers are rounded and printed with engineering
// prefixes, how a value maps to a graticule pixel and back, how whole files are written
// and read, and where the last-used folders are remembered.
#pragma once

#include "surface.h" // CPoint, CRect: pixel positions, rows growing downwards

#include <cstdint>
#include <string>

// ---- Stepping and snapping ----------------------------------------------------------

// The next value of the 1-2-5 sequence above (up) or below; 0 stays 0.
double SetPreDefinedScale(double value, bool up);
// The value snapped to the 1-2-5 sequence (3 to 5 go to 5, 6 to 9 go to 10); 0 stays 0.
double ValidateScale(double value);
// value ± count × 10^p, p chosen from the value's exponent, the relative digits (negative:
// that many digits below the leading one) and the finest exponent allowed.
double StepIndouble(double value, int finest, bool up, int count, int digits);
float StepInfloat(float value, int finest, bool up, int count, int digits);

// ---- Rounding and printing ----------------------------------------------------------

// The value rounded to `digits` significant digits, then to the grid 10^finest when
// finest < 0, or to an integer when finest > 0.
double GetValidData(double value, int digits, int finest);
// out := GetValidData(value, digits, finest) printed with an engineering prefix and
// `decimals` decimals (-1: as many as make `digits` significant digits).
void GetValidDataStr(std::string& out, double value, int digits, int decimals, int finest);
// out := the value rounded to `decimals` decimals, printed with an engineering prefix.
void GetValidDataAfterDotStr(std::string& out, double value, int decimals);
// The rounded value in exponent notation ("1.500E-003", "2.000E+003").
std::string GetScienceData(double value, int digits, int decimals, int finest);
// Labels: time-base scale ("1.000ms"), time offset ("1.0000ms"), vertical scale ("500mV").
void GetTimeScaleString(std::string& out, double seconds);
void GetTimeOffsetString(std::string& out, double seconds);
void GetVertScaleString(std::string& out, float value, const std::string& unit);
// The five texts joined in order (the pieces of an instrument command).
std::string StrConnect(const std::string& first, const std::string& second,
                       const std::string& third, const std::string& fourth,
                       const std::string& fifth);

// ---- Coordinates --------------------------------------------------------------------
// An area is 8 divisions high; a division is 50 pixels wide. An empty area or a zero scale
// gives 0 where the formula would divide by it; pixel results are limited to ±1,000,000.

float GetVoltOffset(float voltsPerDiv, const CRect& area, const CPoint& point);
CPoint GetVoltOffsetPt(float voltsPerDiv, float offset, const CRect& area);
float GetTrigLevel(float voltsPerDiv, const CRect& area, const CPoint& point,
                   const CPoint& reference);
CPoint GetTrigLevelPt(float voltsPerDiv, float level, float offset, const CRect& area);
double GetTrigOffset(double secondsPerDiv, const CPoint& point, const CPoint& reference);
CPoint GetTrigOffsetPt(double secondsPerDiv, double offset, const CPoint& reference);
CPoint GetXYTimeOffsetPt(double secondsPerDiv, double offset, const CPoint& reference);
CRect GetDelayedRect(double mainScale, double delayedScale, double mainOffset, double delayedOffset,
                     const CRect& area, const CPoint& reference);
float GetLaDisplayPos(const CPoint& point, const CRect& area);
void AdjustCursorCoordinate(int source, CPoint& first, CPoint& second, CPoint& third,
                            const CRect& firstArea, const CRect& secondArea,
                            const CRect& thirdArea);
// value × the multiplier of the index (0.001, 0.002, 0.005 ... 10); an index outside
// 0..12 uses the nearest end of the table.
float GetMathScale(int index, float value);
// The smallest index whose multiplier covers a / b: 13 above 10, -1 below 0.0005.
int GetMathScaleExt(float a, float b);
int GetFFTDivs(int index);

// ---- Files, remembered folders and screen ------------------------------------------

// The question asked before an existing file is replaced (OK, Cancel; empty caption).
inline constexpr const char* kReplaceFileQuestion = "This file already exist,Replace existing file";

// 0 written; 1 length 0; 2 cannot create or write (the old file stays); 4 the user refused
// to replace the existing file.
int OxWriteFile(const void* data, int length, const std::string& path, bool overwrite);
// Tagged read: 0 read, length as expected; 1 the file's length differs (length := the
// file's length; at most the given length was copied); 2 cannot open; 3 shorter than 2
// bytes or the first two bytes are not the tag (low byte first).
int OxReadFile(std::uint16_t tag, void* buffer, int& length, const std::string& path);
// Exact read: 0 read; 1 length differs or expected length 0; 2 cannot open; 3 length below 2.
int OxReadFile(void* buffer, const std::string& path, int length);
// What the header of a record file says about the recording.
struct RecordFileHeader {
    int frames = 0;
    int source = 0;        // the recorded source index
    int sourceChannel = 0; // the channel of a derived source (index 2), else 0
    float scale = 0;       // that channel's V/div
    float offset = 0;      // and its offset
    double timeScale = 0;  // s/div
    double timeOffset = 0; // s
};
// Writes a record file: a 16,048-byte header ("RC", frame length 2048, data length, frame
// count, source, source channel, V/div, offset, s/div, time offset), then the recorded frames
// from `data` (frame count x 2048 bytes). True when the file was written; false when it was
// not (refused, cannot create, no frames to take).
[[nodiscard]] bool WriteRecordFile(const std::string& path, const RecordFileHeader& header,
                                   const std::uint8_t* data);
// Length in bytes; 0 when the file cannot be opened.
int OxGetFileLength(const std::string& path);
// The remembered folder of a path type (0 pass/fail, 1 reference, 2 record, 3 waveform,
// 4 and 5 setup); false when it is not there or the type is outside 0..5.
bool ReadPathFromReg(int type, std::string& path);
bool WritePathToReg(int type, const std::string& path);
// 1 when the display layer switched to the first mode matching all four, else 0.
int SetDisplaySetting(int width, int height, int bitsPerPixel, int refreshRate);
