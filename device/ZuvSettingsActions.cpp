// Settings actions (save, reboot, restore) and the configuration file.
#include <cstdio>
#include <memory>
#include <new>

#include "ZuvCommunication.h"
#include "ZuvLogCache.h"
#include "zuvPlatform.h"

namespace {

constexpr size_t kSettingsImageCapacity = 100000;  // the device's largest settings image
constexpr uint32_t kSaveQuietMs = 2000;            // logs must flow this long after a save
constexpr uint32_t kSavePauseMs = 10;
constexpr int kSaveMaxSilentPauses = 3001;  // about 30 s of a silent device

std::unique_ptr<uint8_t[]> settingsBuffer() {
    return std::unique_ptr<uint8_t[]>(new (std::nothrow) uint8_t[kSettingsImageCapacity]);
}

}  // namespace

ZuvErrorCode CZuvCommunication::Reboot() {
    return zuvEComCmdSettingsAction(&handle_, ZUV_ECOM_REBOOT_ONLY);
}

ZuvErrorCode CZuvCommunication::RestoreDefaultSettings() {
    return zuvEComCmdSettingsAction(&handle_, ZUV_ECOM_RESTORE_DEFAULT_SETTINGS);
}

// The device pauses its output while it saves; the save counts as done once
// logs have been flowing again for two seconds. Pauses are taken every round
// so that the wait never spins; only the rounds before the first log count
// towards giving up, so a device that comes back always gets its two seconds.
ZuvErrorCode CZuvCommunication::Save() {
    const ZuvErrorCode rc = zuvEComCmdSettingsAction(&handle_, ZUV_ECOM_SAVE_SETTINGS);
    if (rc != ZUV_NO_ERROR) {
        return rc;
    }
    gNewDataReceived = false;
    bool resumed = false;
    uint32_t resumedAt = 0;
    ZuvErrorCode lastPump = ZUV_NO_ERROR;
    for (int silentPauses = 0; silentPauses < kSaveMaxSilentPauses;) {
        lastPump = calls_.handle(&handle_);
        if (gNewDataReceived) {
            if (!resumed) {
                resumed = true;
                resumedAt = zuvGetTime();
            }
            if (static_cast<uint32_t>(zuvGetTime() - resumedAt) > kSaveQuietMs) {
                ZuvLogCacheClearFlags();
                return ZUV_NO_ERROR;
            }
        } else {
            ++silentPauses;
        }
        zuvSleep(kSavePauseMs);
    }
    return lastPump != ZUV_NO_ERROR ? lastPump : ZUV_ERROR;
}

// The file is opened without truncation first, so that a path that cannot be
// written costs no device traffic, and an existing file is only replaced once
// the device has handed its whole image over.
ZuvErrorCode CZuvCommunication::ExportConfigurationFile(const std::string &path) {
    std::FILE *file = std::fopen(path.c_str(), "ab");
    if (file == nullptr) {
        return ZUV_ERROR;
    }
    const std::unique_ptr<uint8_t[]> buffer = settingsBuffer();
    if (!buffer) {
        std::fclose(file);
        return ZUV_MALLOC_FAILED;
    }
    size_t size = 0;
    const ZuvErrorCode rc = zuvEComCmdExportSettings(&handle_, buffer.get(), &size, kSettingsImageCapacity);
    if (rc != ZUV_NO_ERROR) {
        std::fclose(file);
        return rc;
    }
    file = std::freopen(path.c_str(), "wb", file);
    if (file == nullptr) {
        return ZUV_ERROR;
    }
    const size_t written = std::fwrite(buffer.get(), 1, size, file);
    const bool closed = std::fclose(file) == 0;  // a failed flush is a short write too
    return (written == size && closed) ? ZUV_NO_ERROR : ZUV_ERROR;
}

ZuvErrorCode CZuvCommunication::ImportConfigurationFile(const std::string &path) {
    std::FILE *file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) {
        return ZUV_ERROR;
    }
    const std::unique_ptr<uint8_t[]> buffer = settingsBuffer();
    if (!buffer) {
        std::fclose(file);
        return ZUV_MALLOC_FAILED;
    }
    const size_t size = std::fread(buffer.get(), 1, kSettingsImageCapacity, file);
    // A read that failed (a directory, an I/O error) would send a partial image.
    const bool readFailed = std::ferror(file) != 0;
    std::fclose(file);
    if (readFailed) {
        return ZUV_ERROR;
    }
    return zuvEComCmdImportSettings(&handle_, buffer.get(), size);
}
