// The page's files, embedded into the tool at build time (CMake turns
// tools/zuv/web/* and the system's chart.js into webAssets.cpp), so that the
// page needs no network and no file at run time.
// Errors: none (nullptr: no such file). Threading: constant data.
#pragma once

#include <cstddef>
#include <string_view>

namespace zuv::tool {

struct WebAsset {
    const char *name;  // "index.html", "app.js", "chart.js"
    const char *contentType;
    const unsigned char *data;
    size_t size;
};

const WebAsset *findWebAsset(std::string_view name);

}  // namespace zuv::tool
