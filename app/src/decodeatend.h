// The command line's decoding of the stopped record's copy, on a decode thread, reported on
// the UI thread once it is done.
#pragma once

#include "exportcli.h"
#include "oxstorage.h"

#include <QObject>

#include <functional>

namespace oxapp {

// Decodes `copy` with the --decode stacks (nothing to do without them) and reports the
// annotations; then `done(true when every stack was decoded and reported)` on the UI thread.
// The decoding ends with `context` when that goes first.
void DecodeAtEnd(const ExportOptions& options, const oxacq::RecordCopy& copy, QObject& context,
                 std::function<void(bool)> done);

} // namespace oxapp
