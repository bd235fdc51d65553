// Export and import of the whole settings image, in pages.
#include <cstring>

#include "commands/exchange.h"
#include "zuvEComCommandCodec.h"
#include "zuvEComCommands.h"

using namespace zuv::commands;

namespace {

// Collects one export page into the caller's buffer; all pages must agree on the count.
class ExportPageSink final : public AnswerSink {
public:
    ExportPageSink(uint8_t *pBuffer, size_t capacity) : buffer_(pBuffer), capacity_(capacity) {}

    void expect(uint16_t pageIndex) { pageIndex_ = pageIndex; }
    uint16_t pageCount() const { return pageCount_; }
    size_t size() const { return size_; }

    bool onAnswer(const uint8_t *pPayload, size_t size, ZuvErrorCode *pResult) override {
        uint16_t index = 0;
        uint16_t count = 0;
        const uint8_t *pData = nullptr;
        size_t dataSize = 0;
        *pResult = zuvEComSettingsPageDecode(pPayload, size, &index, &count, &pData, &dataSize);
        if (*pResult != ZUV_NO_ERROR) {
            return true;
        }
        if (index != pageIndex_) {
            return false;  // a late answer to an earlier attempt
        }
        if (count == 0 || index >= count || (pageCount_ != 0 && count != pageCount_)) {
            *pResult = ZUV_INVALID_FRAME;
            return true;
        }
        if (dataSize > capacity_ - size_) {
            *pResult = ZUV_BUFFER_OVERFLOW;
            return true;
        }
        if (dataSize > 0) {
            std::memcpy(buffer_ + size_, pData, dataSize);
        }
        size_ += dataSize;
        pageCount_ = count;
        return true;
    }

private:
    uint8_t *buffer_;
    size_t capacity_;
    size_t size_ = 0;
    uint16_t pageIndex_ = 0;
    uint16_t pageCount_ = 0;  // 0 until page 0 has told it
};

ZuvErrorCode encodePageRequest(ZuvEComHandle &handle, uint16_t pageIndex, size_t *pSize) {
    return zuv::encodePayload(requestPayload(handle), kRequestCapacity, pSize, ZUV_ECOM_EXPORT_REQUEST_SIZE,
                              [&](zuv::WireWriter &w) {
                                  w.u16(pageIndex);
                                  return true;
                              });
}

}  // namespace

extern "C" {

ZuvErrorCode zuvEComCmdExportSettings(ZuvEComHandle *pHandle, void *pBuffer, size_t *pSize, size_t capacity) {
    const ZuvErrorCode check = checkHandle(pHandle);
    if (check != ZUV_NO_ERROR) {
        return check;
    }
    if (pSize == nullptr || (pBuffer == nullptr && capacity > 0)) {
        return ZUV_NULL_POINTER;
    }
    ExportPageSink sink(static_cast<uint8_t *>(pBuffer), capacity);
    uint16_t pageIndex = 0;
    do {
        size_t requestSize = 0;
        ZuvErrorCode result = encodePageRequest(*pHandle, pageIndex, &requestSize);
        if (result == ZUV_NO_ERROR) {
            sink.expect(pageIndex);
            result = exchange(*pHandle, ZUV_ECOM_CMD_EXPORT_SETTINGS, requestSize, &sink);
        }
        if (result != ZUV_NO_ERROR) {
            return result;
        }
        ++pageIndex;
    } while (pageIndex < sink.pageCount());
    *pSize = sink.size();
    return ZUV_NO_ERROR;
}

ZuvErrorCode zuvEComCmdImportSettings(ZuvEComHandle *pHandle, const void *pBuffer, size_t size) {
    const ZuvErrorCode check = checkHandle(pHandle);
    if (check != ZUV_NO_ERROR) {
        return check;
    }
    if (pBuffer == nullptr && size > 0) {
        return ZUV_NULL_POINTER;
    }
    const size_t pageSize = ZUV_ECOM_SETTINGS_PAGE_DATA_SIZE;
    const size_t pageCount = size == 0 ? 1 : (size + pageSize - 1) / pageSize;
    if (pageCount > UINT16_MAX) {
        return ZUV_INVALID_PARAMETER;
    }
    const auto *image = static_cast<const uint8_t *>(pBuffer);
    for (size_t page = 0; page < pageCount; ++page) {
        const size_t offset = page * pageSize;
        const size_t dataSize = size - offset < pageSize ? size - offset : pageSize;
        size_t requestSize = 0;
        ZuvErrorCode result = zuvEComSettingsPageEncode(static_cast<uint16_t>(page), static_cast<uint16_t>(pageCount),
                                                        dataSize > 0 ? image + offset : nullptr, dataSize,
                                                        requestPayload(*pHandle), kRequestCapacity, &requestSize);
        if (result == ZUV_NO_ERROR) {
            result = exchange(*pHandle, ZUV_ECOM_CMD_IMPORT_SETTINGS, requestSize, nullptr);
        }
        if (result != ZUV_NO_ERROR) {
            return result;
        }
    }
    return ZUV_NO_ERROR;
}

}  // extern "C"
