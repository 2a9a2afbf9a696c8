// A result pane's whole text saved as a file: UTF-8 behind its byte-order mark, lines joined with
// CR LF exactly as a copy of the whole pane gives them. Plain C++, so that it is tested on any
// host.
#pragma once

#include <string>

#include "widgets/line_store.h"

namespace widgets {

// Writes all of `lines` to `path` (a full core path) through a temporary file beside it that then
// takes its place, so that a failed save never leaves part of a report where a file was. False
// with the system's error code in `error` when it could not; a file at `path` is then as it was.
// A file the user made read-only is never replaced: `error` is then kReadOnlyReport.
inline constexpr unsigned long kReadOnlyReport = ~0ul;
bool SaveReport(const TLineStore& lines, const std::string& path, unsigned long& error);

}  // namespace widgets
