// The texts shown for the results of saving and loading.
#include "fileformats.h"

namespace oxfile {

const char* SaveResultText(Result result) {
    return result == Result::Ok ? "Save successful" : "Save failed";
}

const char* LoadResultText(Result result) {
    return result == Result::Ok ? "Load successful" : "Load failed";
}

} // namespace oxfile
