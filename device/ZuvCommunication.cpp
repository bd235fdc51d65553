// Opening, finding and closing the link.
#include "ZuvCommunication.h"

#include <cstring>

#include "zuvNetwork.h"

namespace {

enum ConnectionKind : int32_t { kNotConnected = 0, kSerial = 1, kUdp = 2 };

// Fastest first. The list is part of the link's contract (38400 twice, no
// 57600): a scan's attempts are the same on every machine.
constexpr uint32_t kProbeRates[] = {921600, 460800, 230400, 115200, 38400, 38400, 19200, 9600};

constexpr char kScanPrefix[] = "/dev/ttyUSB";
constexpr int kScanLastIndex = 255;

bool inScanFamily(const std::string &device) {
    return device.rfind(kScanPrefix, 0) == 0;
}

}  // namespace

CZuvCommunication::CZuvCommunication() : CZuvCommunication(ZuvLibraryLinkCalls()) {}

CZuvCommunication::CZuvCommunication(const ZuvLinkCalls &calls) : calls_(calls) {}

CZuvCommunication::~CZuvCommunication() {
    closeLink();
}

void CZuvCommunication::closeLink() {
    if (connectionKind_ == kNotConnected) {
        return;
    }
    calls_.close(&handle_);
    if (connectionKind_ == kSerial) {
        calls_.serialDestroy(&interface_);
    } else {
        calls_.udpDestroy(&interface_);
    }
    connectionKind_ = kNotConnected;
}

// Undoes an open that has not become the link yet: handle first, then interface.
void CZuvCommunication::closeProbe(bool serial) {
    calls_.close(&handle_);
    if (serial) {
        calls_.serialDestroy(&interface_);
    } else {
        calls_.udpDestroy(&interface_);
    }
}

void CZuvCommunication::SetAbortCheck(ZuvEComAbortFunc check, void *arg) {
    abortCheck_ = check;
    abortArg_ = arg;
    zuvEComSetAbortCheck(&handle_, check, arg);
}

// Init clears the handle, its abort check included.
ZuvErrorCode CZuvCommunication::initHandle() {
    const ZuvErrorCode rc = calls_.init(&handle_, &interface_);
    zuvEComSetAbortCheck(&handle_, abortCheck_, abortArg_);
    return rc;
}

bool CZuvCommunication::abandoned() const {
    return abortCheck_ != nullptr && abortCheck_(abortArg_) != 0;
}

ZuvErrorCode CZuvCommunication::CreateSerialInterface(const std::string &device, uint32_t baudRate, bool skipQuery) {
    ZuvErrorCode rc = calls_.serialCreate(&interface_, device.c_str(), baudRate);
    if (rc != ZUV_NO_ERROR) {
        return rc;
    }
    rc = initHandle();
    if (rc == ZUV_NO_ERROR && !skipQuery) {
        rc = calls_.getInfo(&handle_, &deviceInfo_);
    }
    if (rc != ZUV_NO_ERROR) {
        closeProbe(true);
    }
    return rc;
}

ZuvErrorCode CZuvCommunication::InitECom() {
    const ZuvErrorCode rc = initHandle();
    if (rc != ZUV_NO_ERROR) {
        calls_.close(&handle_);
    }
    return rc;
}

ZuvErrorCode CZuvCommunication::InitReceiveLogCallback() {
    const ZuvErrorCode rc = calls_.setReceiveLogCallback(&handle_, &CZuvCommunication::_onLogReceived, nullptr);
    if (rc != ZUV_NO_ERROR) {
        calls_.close(&handle_);
    }
    return rc;
}

ZuvErrorCode CZuvCommunication::Connect(const std::string &device, uint32_t baudRate, bool skipQuery) {
    closeLink();
    ZuvErrorCode rc = CreateSerialInterface(device, baudRate, skipQuery);
    if (rc != ZUV_NO_ERROR) {
        return rc;
    }
    rc = calls_.setReceiveLogCallback(&handle_, &CZuvCommunication::_onLogReceived, nullptr);
    if (rc != ZUV_NO_ERROR) {
        closeProbe(true);
        return rc;
    }
    connectionKind_ = kSerial;
    return ZUV_NO_ERROR;
}

ZuvErrorCode CZuvCommunication::Connect(const std::string &remoteAddress, uint32_t remotePort, uint32_t localPort) {
    closeLink();
    const uint32_t address = zuvNetworkIpFromString(remoteAddress.c_str());
    // The converter answers 0 for bad text; only "0.0.0.0" itself may mean 0.
    if (address == 0 && remoteAddress != "0.0.0.0") {
        return ZUV_INVALID_PARAMETER;
    }
    ZuvErrorCode rc = calls_.udpCreate(&interface_, address, remotePort, localPort);
    if (rc != ZUV_NO_ERROR) {
        return rc;
    }
    rc = initHandle();
    if (rc == ZUV_NO_ERROR) {
        rc = calls_.setReceiveLogCallback(&handle_, &CZuvCommunication::_onLogReceived, nullptr);
    }
    if (rc != ZUV_NO_ERROR) {
        closeProbe(false);
        return rc;
    }
    connectionKind_ = kUdp;
    return ZUV_NO_ERROR;
}

uint32_t CZuvCommunication::TestHandle(std::string &device, bool skipQuery) {
    for (const uint32_t rate : kProbeRates) {
        if (abandoned()) {
            return 0;
        }
        if (calls_.serialCreate(&interface_, device.c_str(), rate) != ZUV_NO_ERROR) {
            continue;
        }
        if (initHandle() != ZUV_NO_ERROR) {
            closeProbe(true);
            continue;
        }
        if (skipQuery || calls_.getInfo(&handle_, &deviceInfo_) == ZUV_NO_ERROR) {
            return rate;
        }
        closeProbe(true);
    }
    return 0;
}

ZuvErrorCode CZuvCommunication::AutoConnect(std::string &device, uint32_t &baudRate, bool skipQuery) {
    closeLink();
    if (inScanFamily(device)) {
        baudRate = TestHandle(device, skipQuery);
        if (baudRate != 0) {
            if (InitReceiveLogCallback() == ZUV_NO_ERROR) {
                connectionKind_ = kSerial;
                // The link stays open even when this last query fails.
                return skipQuery ? ZUV_NO_ERROR : calls_.getInfo(&handle_, &deviceInfo_);
            }
            calls_.serialDestroy(&interface_);  // the handle is closed already
        }
    }
    for (int n = 0; n <= kScanLastIndex && !abandoned(); ++n) {
        device = kScanPrefix + std::to_string(n);
        baudRate = TestHandle(device, skipQuery);
        if (baudRate != 0) {
            break;
        }
    }
    if (baudRate == 0) {
        return ZUV_DEVICE_NOT_FOUND;
    }
    const ZuvErrorCode rc = calls_.setReceiveLogCallback(&handle_, &CZuvCommunication::_onLogReceived, nullptr);
    if (rc != ZUV_NO_ERROR) {
        closeProbe(true);
        return rc;
    }
    connectionKind_ = kSerial;
    return ZUV_NO_ERROR;
}

ZuvErrorCode CZuvCommunication::Disconnect() {
    if (connectionKind_ == kNotConnected) {
        return ZUV_NO_ERROR;
    }
    calls_.close(&handle_);
    const ZuvErrorCode rc =
        connectionKind_ == kSerial ? calls_.serialDestroy(&interface_) : calls_.udpDestroy(&interface_);
    connectionKind_ = kNotConnected;
    return rc;
}

ZuvErrorCode CZuvCommunication::ChangeBaudrate(uint32_t baudRate) {
    ZuvEComInterfaceConf configuration{};
    configuration.baudRate = baudRate;
    configuration.mode = ZUV_ECOM_UART_MODE_232;
    return zuvEComCmdInterfaceSetUartConf(&handle_, ZUV_ECOM_IF_COM_A, &configuration);
}

ZuvEComProtocol *CZuvCommunication::GetHandle() {
    return &handle_.protocolHandle;
}

ZuvErrorCode CZuvCommunication::ConnectAux(const std::string &, uint32_t) {
    auxInterface_ = nullptr;
    return ZUV_DEVICE_NOT_FOUND;
}

uint32_t CZuvCommunication::TestAuxHandle(std::string &) {
    auxInterface_ = nullptr;
    return 0;
}

// Walks the same names as AutoConnect; with no auxiliary link to open, none answers.
ZuvErrorCode CZuvCommunication::AutoConnectAux(std::string &device, uint32_t &baudRate) {
    baudRate = 0;
    if (inScanFamily(device)) {
        baudRate = TestAuxHandle(device);
    }
    for (int n = 0; n <= kScanLastIndex && baudRate == 0; ++n) {
        device = kScanPrefix + std::to_string(n);
        baudRate = TestAuxHandle(device);
    }
    device.clear();
    baudRate = 0;
    return ZUV_DEVICE_NOT_FOUND;
}

ZuvErrorCode CZuvCommunication::DisconnectAux() {
    return ZUV_DEVICE_NOT_FOUND;
}
