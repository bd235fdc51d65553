// Server-sent events on the wire: "event: NAME\ndata: LINE\n...\n\n". A data
// text with line breaks becomes one "data:" line per line, so the browser
// joins them back with "\n"; a bare "\r" counts as a line break too, since
// the browser would split there.
// Errors: none; an event name with a line break would end the field early,
// so its breaks are dropped. Threading: pure.
#pragma once

#include <string>
#include <string_view>

namespace zuv::tool {

std::string sseEvent(std::string_view name, std::string_view data);
// ": TEXT\n\n", ignored by the browser: keeps proxies and idle links open.
std::string sseComment(std::string_view text);
// "retry: MS\n\n": how long the browser waits before it reconnects.
std::string sseRetry(int milliseconds);

}  // namespace zuv::tool
