// Collects an imported settings image page by page. Pages come in order from 0;
// the image is judged once the last page is in. A page sent again (the host
// retries when an acknowledgement got lost) replaces its earlier copy and gets
// the same answer, instead of being taken as out of order.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "zuvErrorCodes.h"

namespace zuv::sim {

class SettingsImport {
public:
    enum class Step { Refused, NeedMore, Complete, Repeated };

    // Takes one page. Complete: the whole image is in image(). Repeated: the last
    // page again after completion, answer with the earlier result.
    Step take(uint16_t pageIndex, uint16_t pageCount, const uint8_t *data, size_t size);
    const std::vector<uint8_t> &image() const { return image_; }

    void setResult(ZuvErrorCode code) { result_ = code; }
    ZuvErrorCode result() const { return result_; }
    void reset();

private:
    std::vector<uint8_t> image_;
    std::vector<size_t> pageStarts_;
    uint16_t pageCount_ = 0;
    bool complete_ = false;
    ZuvErrorCode result_ = ZUV_NO_ERROR;
};

}  // namespace zuv::sim
