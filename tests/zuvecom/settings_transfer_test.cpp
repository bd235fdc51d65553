#include <gtest/gtest.h>

#include <algorithm>

#include "fakeDevice.h"
#include "zuvEComCommands.h"

namespace {

using zuvtest::Bytes;
using zuvtest::FakeClock;
using zuvtest::FakeDevice;

Bytes image(size_t size) {
    Bytes bytes(size);
    uint32_t state = 12345;
    for (auto &byte : bytes) {
        state = state * 1103515245u + 12345u;
        byte = static_cast<uint8_t>(state >> 16);
    }
    return bytes;
}

class SettingsTransfer : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(zuvEComInit(&handle, device.interface()), ZUV_NO_ERROR);
        clock.attach(&handle);
    }

    ZuvErrorCode exportInto(Bytes &out, size_t *pSize) {
        return zuvEComCmdExportSettings(&handle, out.data(), pSize, out.size());
    }

    FakeDevice device;
    ZuvEComHandle handle{};
    FakeClock clock;
};

TEST_F(SettingsTransfer, ALargestImageGoesInAndComesBackInPages) {
    const Bytes settings = image(ZUV_ECOM_SETTINGS_MAX_SIZE);
    ASSERT_EQ(zuvEComCmdImportSettings(&handle, settings.data(), settings.size()), ZUV_NO_ERROR);
    EXPECT_EQ(device.requestCount(ZUV_ECOM_CMD_IMPORT_SETTINGS), 25u);  // ceil(100000 / 4082)
    // Pages go out in order, each numbered with the same count.
    uint16_t expected = 0;
    for (const auto &[cmdId, request] : device.requests()) {
        ASSERT_EQ(request[0] | (request[1] << 8), expected++);
        ASSERT_EQ(request[2] | (request[3] << 8), 25);
    }
    EXPECT_EQ(device.settingsImage, settings);

    Bytes out(ZUV_ECOM_SETTINGS_MAX_SIZE);
    size_t size = 0;
    ASSERT_EQ(exportInto(out, &size), ZUV_NO_ERROR);
    EXPECT_EQ(size, settings.size());
    EXPECT_EQ(out, settings);
    EXPECT_EQ(device.requestCount(ZUV_ECOM_CMD_EXPORT_SETTINGS), 25u);
}

TEST_F(SettingsTransfer, PageBoundaries) {
    for (size_t size : {size_t{1}, size_t{4082}, size_t{4083}}) {
        const Bytes settings = image(size);
        ASSERT_EQ(zuvEComCmdImportSettings(&handle, settings.data(), settings.size()), ZUV_NO_ERROR);
        Bytes out(size);  // exactly the capacity needed
        size_t outSize = 0;
        ASSERT_EQ(exportInto(out, &outSize), ZUV_NO_ERROR);
        EXPECT_EQ(out, settings);
    }
    EXPECT_EQ(device.requestCount(ZUV_ECOM_CMD_IMPORT_SETTINGS), 1u + 1u + 2u);
}

TEST_F(SettingsTransfer, AnEmptyImageIsOneEmptyPageThatTheDeviceRefuses) {
    EXPECT_EQ(zuvEComCmdImportSettings(&handle, nullptr, 0), ZUV_INVALID_PARAMETER);
    ASSERT_EQ(device.requests().size(), 1u);
    EXPECT_EQ(device.requests()[0].second, (Bytes{0, 0, 1, 0}));
}

TEST_F(SettingsTransfer, ARefusedPageStopsTheImport) {
    int pages = 0;
    device.onCommand(ZUV_ECOM_CMD_IMPORT_SETTINGS, [&pages](FakeDevice &d, const Bytes &) {
        d.ack(ZUV_ECOM_CMD_IMPORT_SETTINGS, ++pages == 2 ? ZUV_ERROR : ZUV_NO_ERROR);
    });
    const Bytes settings = image(20000);
    EXPECT_EQ(zuvEComCmdImportSettings(&handle, settings.data(), settings.size()), ZUV_ERROR);
    EXPECT_EQ(pages, 2);
}

TEST_F(SettingsTransfer, AnImageLargerThanTheCapacityOverflowsWithoutWritingPastIt) {
    device.settingsImage = image(ZUV_ECOM_SETTINGS_MAX_SIZE);
    Bytes out(ZUV_ECOM_SETTINGS_MAX_SIZE - 1);
    size_t size = 12;
    EXPECT_EQ(exportInto(out, &size), ZUV_BUFFER_OVERFLOW);
    EXPECT_EQ(size, 12u);
    size = 12;
    EXPECT_EQ(zuvEComCmdExportSettings(&handle, nullptr, &size, 0), ZUV_BUFFER_OVERFLOW);
}

TEST_F(SettingsTransfer, APageCountThatChangesIsAnInvalidFrame) {
    device.onCommand(ZUV_ECOM_CMD_EXPORT_SETTINGS, [](FakeDevice &d, const Bytes &request) {
        const uint8_t index = request[0];
        const uint8_t count = index == 0 ? 3 : 4;
        d.answer(ZUV_ECOM_CMD_EXPORT_SETTINGS, {index, 0, count, 0, 0xAA});
    });
    Bytes out(1000);
    size_t size = 0;
    EXPECT_EQ(exportInto(out, &size), ZUV_INVALID_FRAME);
    EXPECT_EQ(device.requestCount(ZUV_ECOM_CMD_EXPORT_SETTINGS), 2u);
}

TEST_F(SettingsTransfer, NonsensePageHeadersAreInvalidFrames) {
    for (const Bytes &answer : {Bytes{0, 0, 0, 0}, Bytes{0, 0}}) {  // no pages at all; no header
        device.onCommand(ZUV_ECOM_CMD_EXPORT_SETTINGS,
                         [answer](FakeDevice &d, const Bytes &) { d.answer(ZUV_ECOM_CMD_EXPORT_SETTINGS, answer); });
        Bytes out(100);
        size_t size = 0;
        EXPECT_EQ(exportInto(out, &size), ZUV_INVALID_FRAME);
    }
}

TEST_F(SettingsTransfer, ALateAnswerToAnEarlierPageIsSkipped) {
    const Bytes settings = image(9000);  // three pages
    device.onCommand(ZUV_ECOM_CMD_EXPORT_SETTINGS, [settings](FakeDevice &d, const Bytes &request) {
        const uint8_t index = request[0];
        if (index == 2) {
            d.answer(ZUV_ECOM_CMD_EXPORT_SETTINGS, {1, 0, 3, 0, 0xEE});  // page 1 once more
        }
        const size_t offset = index * size_t{ZUV_ECOM_SETTINGS_PAGE_DATA_SIZE};
        const size_t n = std::min<size_t>(ZUV_ECOM_SETTINGS_PAGE_DATA_SIZE, settings.size() - offset);
        Bytes page(4 + n, 0);
        page[0] = index;
        page[2] = 3;
        std::copy_n(settings.begin() + static_cast<long>(offset), n, page.begin() + 4);
        d.answer(ZUV_ECOM_CMD_EXPORT_SETTINGS, page);
    });
    Bytes out(9000);
    size_t size = 0;
    ASSERT_EQ(exportInto(out, &size), ZUV_NO_ERROR);
    EXPECT_EQ(size, 9000u);
    EXPECT_EQ(out, settings);
    EXPECT_EQ(device.requestCount(ZUV_ECOM_CMD_EXPORT_SETTINGS), 3u);
}

TEST_F(SettingsTransfer, ImagesBeyondSixtyFiveThousandPagesAreRefused) {
    static const uint8_t anything = 0;
    const size_t tooLarge = size_t{65536} * ZUV_ECOM_SETTINGS_PAGE_DATA_SIZE;
    EXPECT_EQ(zuvEComCmdImportSettings(&handle, &anything, tooLarge), ZUV_INVALID_PARAMETER);
    EXPECT_TRUE(device.requests().empty());
}

}  // namespace
