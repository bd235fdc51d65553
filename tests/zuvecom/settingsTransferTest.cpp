#include <gtest/gtest.h>

#include <algorithm>

#include "simLink.h"
#include "zuvEComCommands.h"

namespace zuv::test {
namespace {

Bytes image(size_t size) {
    Bytes bytes(size);
    uint32_t state = 12345;
    for (auto &byte : bytes) {
        state = state * 1103515245u + 12345u;
        byte = static_cast<uint8_t>(state >> 16);
    }
    return bytes;
}

// The settings image of another simulated device (motion profile MARINE), its
// export padded with zeros to `size` bytes (0: as small as it gets): a device
// takes only images it can read.
Bytes otherDevicesImage(size_t size) {
    SimLink other;
    ZuvEComHandle handle{};
    zuvEComInit(&handle, other.interface());
    SimClock clock{&other.device()};
    clock.attach(&handle);
    other.device().setExportPadding(size);
    zuvEComCmdSensorSetMotionProfileId(&handle, 3);
    Bytes image(ZUV_ECOM_SETTINGS_MAX_SIZE);
    size_t got = 0;
    const ZuvErrorCode code = zuvEComCmdExportSettings(&handle, image.data(), &got, image.size());
    image.resize(code == ZUV_NO_ERROR ? got : 0);
    zuvEComClose(&handle);
    return image;
}

class SettingsTransfer : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(zuvEComInit(&handle, device.interface()), ZUV_NO_ERROR);
        clock.attach(&handle);
    }
    void TearDown() override { zuvEComClose(&handle); }

    ZuvErrorCode exportInto(Bytes &out, size_t *pSize) {
        return zuvEComCmdExportSettings(&handle, out.data(), pSize, out.size());
    }

    SimLink device;
    ZuvEComHandle handle{};
    SimClock clock{&device.device()};
};

TEST_F(SettingsTransfer, ALargestImageGoesInAndComesBackInPages) {
    const Bytes settings = otherDevicesImage(ZUV_ECOM_SETTINGS_MAX_SIZE);
    ASSERT_EQ(settings.size(), ZUV_ECOM_SETTINGS_MAX_SIZE);
    device.device().setExportPadding(ZUV_ECOM_SETTINGS_MAX_SIZE);
    ASSERT_EQ(zuvEComCmdImportSettings(&handle, settings.data(), settings.size()), ZUV_NO_ERROR);
    EXPECT_EQ(device.requestCount(ZUV_ECOM_CMD_IMPORT_SETTINGS), 25u);  // ceil(100000 / 4082)
    // Pages go out in order, each numbered with the same count.
    uint16_t expected = 0;
    for (const auto &[cmdId, request] : device.requests()) {
        ASSERT_EQ(request[0] | (request[1] << 8), expected++);
        ASSERT_EQ(request[2] | (request[3] << 8), 25);
    }
    ZuvEComModelInfo profile{};
    ASSERT_EQ(zuvEComCmdSensorGetMotionProfileInfo(&handle, &profile), ZUV_NO_ERROR);
    EXPECT_EQ(profile.id, 3u);  // the other device's settings were taken

    Bytes out(ZUV_ECOM_SETTINGS_MAX_SIZE);
    size_t size = 0;
    ASSERT_EQ(exportInto(out, &size), ZUV_NO_ERROR);
    EXPECT_EQ(size, settings.size());
    EXPECT_EQ(out, settings);
    EXPECT_EQ(device.requestCount(ZUV_ECOM_CMD_EXPORT_SETTINGS), 25u);
}

// One page (the image as small as it gets), exactly one full page, one byte more.
TEST_F(SettingsTransfer, PageBoundaries) {
    for (size_t size : {size_t{0}, size_t{4082}, size_t{4083}}) {
        const Bytes settings = otherDevicesImage(size);
        ASSERT_FALSE(settings.empty());
        ASSERT_TRUE(size == 0 || settings.size() == size);
        device.device().setExportPadding(size);
        ASSERT_EQ(zuvEComCmdImportSettings(&handle, settings.data(), settings.size()), ZUV_NO_ERROR);
        Bytes out(settings.size());  // exactly the capacity needed
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
    device.onCommand(ZUV_ECOM_CMD_IMPORT_SETTINGS, [&pages](SimLink &l, const Bytes &) {
        if (++pages < 2) return true;  // the device takes the first page
        l.ack(ZUV_ECOM_CMD_IMPORT_SETTINGS, ZUV_ERROR);
        return false;
    });
    const Bytes settings = image(20000);
    EXPECT_EQ(zuvEComCmdImportSettings(&handle, settings.data(), settings.size()), ZUV_ERROR);
    EXPECT_EQ(pages, 2);
}

TEST_F(SettingsTransfer, AnImageLargerThanTheCapacityOverflowsWithoutWritingPastIt) {
    device.device().setExportPadding(ZUV_ECOM_SETTINGS_MAX_SIZE);
    Bytes out(ZUV_ECOM_SETTINGS_MAX_SIZE - 1);
    size_t size = 12;
    EXPECT_EQ(exportInto(out, &size), ZUV_BUFFER_OVERFLOW);
    EXPECT_EQ(size, 12u);
    size = 12;
    EXPECT_EQ(zuvEComCmdExportSettings(&handle, nullptr, &size, 0), ZUV_BUFFER_OVERFLOW);
}

TEST_F(SettingsTransfer, APageCountThatChangesIsAnInvalidFrame) {
    device.onCommand(ZUV_ECOM_CMD_EXPORT_SETTINGS, [](SimLink &l, const Bytes &request) {
        const uint8_t index = request[0];
        const uint8_t count = index == 0 ? 3 : 4;
        l.answer(ZUV_ECOM_CMD_EXPORT_SETTINGS, {index, 0, count, 0, 0xAA});
        return false;
    });
    Bytes out(1000);
    size_t size = 0;
    EXPECT_EQ(exportInto(out, &size), ZUV_INVALID_FRAME);
    EXPECT_EQ(device.requestCount(ZUV_ECOM_CMD_EXPORT_SETTINGS), 2u);
}

TEST_F(SettingsTransfer, NonsensePageHeadersAreInvalidFrames) {
    for (const Bytes &answer : {Bytes{0, 0, 0, 0}, Bytes{0, 0}}) {  // no pages at all; no header
        device.onCommand(ZUV_ECOM_CMD_EXPORT_SETTINGS, [answer](SimLink &l, const Bytes &) {
            l.answer(ZUV_ECOM_CMD_EXPORT_SETTINGS, answer);
            return false;
        });
        Bytes out(100);
        size_t size = 0;
        EXPECT_EQ(exportInto(out, &size), ZUV_INVALID_FRAME);
    }
}

TEST_F(SettingsTransfer, ALateAnswerToAnEarlierPageIsSkipped) {
    const Bytes settings = image(9000);  // three pages
    device.onCommand(ZUV_ECOM_CMD_EXPORT_SETTINGS, [settings](SimLink &l, const Bytes &request) {
        const uint8_t index = request[0];
        if (index == 2) {
            l.answer(ZUV_ECOM_CMD_EXPORT_SETTINGS, {1, 0, 3, 0, 0xEE});  // page 1 once more
        }
        const size_t offset = index * size_t{ZUV_ECOM_SETTINGS_PAGE_DATA_SIZE};
        const size_t n = std::min<size_t>(ZUV_ECOM_SETTINGS_PAGE_DATA_SIZE, settings.size() - offset);
        Bytes page(4 + n, 0);
        page[0] = index;
        page[2] = 3;
        std::copy_n(settings.begin() + static_cast<long>(offset), n, page.begin() + 4);
        l.answer(ZUV_ECOM_CMD_EXPORT_SETTINGS, page);
        return false;
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
}  // namespace zuv::test
