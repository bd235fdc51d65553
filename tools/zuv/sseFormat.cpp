#include "sseFormat.h"

namespace zuv::tool {

namespace {

void appendField(std::string &out, std::string_view field, std::string_view text) {
    size_t start = 0;
    for (;;) {
        size_t end = start;
        while (end < text.size() && text[end] != '\n' && text[end] != '\r') ++end;
        out.append(field);
        out.append(": ");
        out.append(text.substr(start, end - start));
        out.push_back('\n');
        if (end >= text.size()) return;
        // "\r\n" is one break, not two.
        start = end + (text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n' ? 2 : 1);
    }
}

}  // namespace

std::string sseEvent(std::string_view name, std::string_view data) {
    std::string out;
    out.reserve(name.size() + data.size() + 24);
    if (!name.empty()) {
        out.append("event: ");
        for (char c : name) {
            if (c != '\n' && c != '\r') out.push_back(c);
        }
        out.push_back('\n');
    }
    appendField(out, "data", data);
    out.push_back('\n');
    return out;
}

std::string sseComment(std::string_view text) {
    std::string out;
    appendField(out, "", text);
    out.push_back('\n');
    return out;
}

std::string sseRetry(int milliseconds) {
    return "retry: " + std::to_string(milliseconds) + "\n\n";
}

}  // namespace zuv::tool
