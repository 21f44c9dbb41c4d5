// Remembered folders and the screen mode, through the platform layers.
#include "oxcommon.h"

#include "displaylayer.h"
#include "settingsstore.h"

#include <cstdio>

namespace {

constexpr const char* kFolderKey = "SOFTWARE\\TAMBER Technologies Inc\\OXBOW\\";
constexpr const char* kFolderValueNames[] = {"PF File Path",  "Ref File Path",   "Rec File Path",
                                             "Wfm File Path", "Setup File Path", "Setup File Path"};
constexpr int kFolderTypes = 6;

bool ValidFolderType(int type) {
    return type >= 0 && type < kFolderTypes;
}

void Report(const char* text) {
    std::puts(text);
}

} // namespace

bool ReadPathFromReg(int type, std::string& path) {
    if (!ValidFolderType(type)) {
        return false;
    }
    std::string value;
    switch (
        oxbow::SettingsStore::ForUser().ReadString(kFolderKey, kFolderValueNames[type], value)) {
    case oxbow::SettingsStore::Status::Ok:
        path = value;
        return true;
    case oxbow::SettingsStore::Status::NoKey:
        Report("Could not create the registry key.");
        return false;
    default:
        Report("Could not Read the Menu file.");
        return false;
    }
}

bool WritePathToReg(int type, const std::string& path) {
    if (!ValidFolderType(type)) {
        return false;
    }
    switch (
        oxbow::SettingsStore::ForUser().WriteString(kFolderKey, kFolderValueNames[type], path)) {
    case oxbow::SettingsStore::Status::Ok:
        return true;
    case oxbow::SettingsStore::Status::CannotCreate:
        Report("Could not create the registry key.");
        return false;
    default:
        Report("Could not set the Main Program file.");
        return false;
    }
}

int SetDisplaySetting(int width, int height, int bitsPerPixel, int refreshRate) {
    oxbow::DisplayLayer* layer = oxbow::InstalledDisplayLayer();
    if (!layer) {
        return 0;
    }
    const oxbow::DisplayMode wanted{width, height, bitsPerPixel, refreshRate};
    oxbow::DisplayMode mode;
    for (int index = 0; index < oxbow::kMaxDisplayModes && layer->EnumMode(index, mode); ++index) {
        if (mode == wanted) {
            return layer->ApplyMode(mode) ? 1 : 0;
        }
    }
    return 0;
}
