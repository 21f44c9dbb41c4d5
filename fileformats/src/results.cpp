// The texts shown for the results of saving and loading.
#include "fileformats.h"

namespace oxfile {

const char* SaveResultText(Result result) {
    switch (result) {
    case Result::Ok:
        return "Save successful";
    case Result::NoWaveformHeld:
        return "Save channel is invalid";
    default:
        return "Save failed";
    }
}

const char* LoadResultText(Result result) {
    return result == Result::Ok ? "Load successful" : "Load failed";
}

} // namespace oxfile
