#include "settingsImport.h"

#include <algorithm>

#include "settingsImage.h"
#include "zuvEComCommandRecords.h"

namespace zuv::sim {

namespace {
constexpr size_t kMaxPages =
    (kSettingsImageMaxSize + ZUV_ECOM_SETTINGS_PAGE_DATA_SIZE - 1) / ZUV_ECOM_SETTINGS_PAGE_DATA_SIZE;
}  // namespace

void SettingsImport::reset() {
    image_.clear();
    pageStarts_.clear();
    pageCount_ = 0;
    complete_ = false;
    result_ = ZUV_NO_ERROR;
}

SettingsImport::Step SettingsImport::take(uint16_t pageIndex, uint16_t pageCount, const uint8_t *data, size_t size) {
    if (pageCount == 0 || pageCount > kMaxPages || pageIndex >= pageCount || size > ZUV_ECOM_SETTINGS_PAGE_DATA_SIZE) {
        reset();
        return Step::Refused;
    }
    const size_t received = pageStarts_.size();
    bool repeat = received > 0 && pageIndex + 1u == received && pageCount == pageCount_;
    if (repeat && complete_) {
        // The same bytes again: a retry. Other bytes: a new image (page 0) or nonsense.
        const size_t start = pageStarts_.back();
        if (image_.size() - start == size &&
            std::equal(data, data + size, image_.begin() + static_cast<std::ptrdiff_t>(start))) {
            return Step::Repeated;
        }
        repeat = false;
    }
    if (pageIndex == 0 && !repeat) {
        reset();
        pageCount_ = pageCount;
    } else if (repeat) {
        image_.resize(pageStarts_.back());
        pageStarts_.pop_back();
    } else if (pageIndex != received || pageCount != pageCount_) {
        reset();
        return Step::Refused;
    }
    if (image_.size() + size > kSettingsImageMaxSize) {
        reset();
        return Step::Refused;
    }
    pageStarts_.push_back(image_.size());
    image_.insert(image_.end(), data, data + size);
    if (pageIndex + 1u < pageCount_) {
        return Step::NeedMore;
    }
    complete_ = true;
    return Step::Complete;
}

}  // namespace zuv::sim
