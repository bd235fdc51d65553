// CZuvCommunication: the package's link to one ZUV device over the zuvECom
// library. It opens, finds (by scanning /dev/ttyUSB0 to /dev/ttyUSB255 at eight
// baud rates) and closes a serial or UDP link, answers queries from the
// process-wide log cache (ZuvLogCache.h), runs the device's configuration
// commands, and tests single flags of its status words.
//
// Errors: every fallible operation returns the library's ZuvErrorCode
// unchanged, 0 meaning success. The only code it makes up is 16
// (ZUV_DEVICE_NOT_FOUND); waiting queries give 1 (ZUV_ERROR) when nothing new
// came; file operations give 1 for file failures; an address text that is not
// an IPv4 address gives 9 (ZUV_INVALID_PARAMETER). Out-arguments are written
// only on success. Nothing throws or prints.
//
// Threading: no lock. One thread at a time per object. Opening, closing and
// commands run on the caller's thread; the caller keeps them apart from anyone
// reading frames through GetHandle(). The log cache is shared by every object
// in the process (see ZuvLogCache.h).
//
// Test seam: the calls that open, probe, pump and close a link go through a
// ZuvLinkCalls table (ZuvLinkCalls.h). The default constructor uses the
// library; tests pass a recording double, which is how the /dev/ttyUSB scan is
// tested without touching /dev.
#pragma once

#include <cstdint>
#include <list>
#include <string>

#include "ZuvLinkCalls.h"
#include "zuvECom.h"
#include "zuvEComCommands.h"

class CZuvCommunication {
public:
    CZuvCommunication();
    explicit CZuvCommunication(const ZuvLinkCalls &calls);
    virtual ~CZuvCommunication();

    CZuvCommunication(const CZuvCommunication &) = delete;
    CZuvCommunication &operator=(const CZuvCommunication &) = delete;

    // ---- Connection. Every Connect and AutoConnect closes the current link first.
    // Pass the rate and ports as uint32_t and the flag as bool: other integer
    // types make the serial and UDP overloads ambiguous.
    ZuvErrorCode Connect(const std::string &device, uint32_t baudRate, bool skipQuery);
    ZuvErrorCode Connect(const std::string &remoteAddress, uint32_t remotePort, uint32_t localPort);
    // Building blocks: they leave the connection kind alone and write over the
    // link's interface and handle, so call them only while no link is open.
    ZuvErrorCode CreateSerialInterface(const std::string &device, uint32_t baudRate, bool skipQuery);
    ZuvErrorCode InitECom();
    ZuvErrorCode InitReceiveLogCallback();
    // The first of the eight probe rates at which the device answered, 0 if none.
    // A rate found leaves the interface and handle open, without callback.
    uint32_t TestHandle(std::string &device, bool skipQuery);
    // Tries `device` if it is a /dev/ttyUSB name, then scans from /dev/ttyUSB0;
    // on success `device` and `baudRate` name what answered.
    ZuvErrorCode AutoConnect(std::string &device, uint32_t &baudRate, bool skipQuery);
    ZuvErrorCode Disconnect();
    // Sets the device's main port (COM A, RS-232); the host side keeps its rate.
    ZuvErrorCode ChangeBaudrate(uint32_t baudRate);
    // The protocol record inside the handle; never null, link open or not.
    ZuvEComProtocol *GetHandle();
    // Asked by every command wait and between the probes of a scan: non-zero
    // abandons them (the caller is stopping). Kept across every open.
    void SetAbortCheck(ZuvEComAbortFunc check, void *arg);
    // 0 not connected, 1 serial, 2 UDP.
    int32_t GetConnectionKind() const { return connectionKind_; }

    // ---- Auxiliary link: this class opens none, so these only answer "not found".
    ZuvErrorCode ConnectAux(const std::string &device, uint32_t baudRate);
    uint32_t TestAuxHandle(std::string &device);
    ZuvErrorCode AutoConnectAux(std::string &device, uint32_t &baudRate);
    ZuvErrorCode DisconnectAux();
    ZuvInterface *GetAuxInterface() const { return auxInterface_; }

    // ---- Log cache (ZuvLogCache.h). Each query pumps the library once, or with
    // `wait` up to 2001 times one millisecond apart, and hands out a record that
    // came since the last delivery; otherwise the pump's error or 1.
    static ZuvErrorCode _onLogReceived(ZuvEComHandle *pHandle, ZuvEComClass msgClass, uint8_t msgId,
                                       const ZuvBinaryLogData *pLogData, void *pUserArg);
    ZuvErrorCode GetStatus(ZuvLogStatusData &data, bool wait);
    ZuvErrorCode GetUtcTime(ZuvLogUtcData &data, bool wait);
    ZuvErrorCode GetImu(ZuvLogImuData &data, bool wait);
    ZuvErrorCode GetMag(ZuvLogMag &data, bool wait);
    ZuvErrorCode GetMagCalib(ZuvLogMagCalib &data, bool wait);
    ZuvErrorCode GetEkfEuler(ZuvLogEkfEulerData &data, bool wait);
    ZuvErrorCode GetEkfQuat(ZuvLogEkfQuatData &data, bool wait);
    ZuvErrorCode GetEkfNav(ZuvLogEkfNavData &data, bool wait);
    ZuvErrorCode GetGPS1Velocity(ZuvLogGpsVel &data, bool wait);
    ZuvErrorCode GetGPS1Position(ZuvLogGpsPos &data, bool wait);
    ZuvErrorCode GetGPS1HDT(ZuvLogGpsHdt &data, bool wait);
    ZuvErrorCode GetGPS2Velocity(ZuvLogGpsVel &data, bool wait);
    ZuvErrorCode GetGPS2Position(ZuvLogGpsPos &data, bool wait);
    ZuvErrorCode GetGPS2HDT(ZuvLogGpsHdt &data, bool wait);
    ZuvErrorCode GetOdometerVelocity(ZuvLogOdometerData &data, bool wait);
    ZuvErrorCode GetEventMarkerA(ZuvLogEvent &data, bool wait);
    ZuvErrorCode GetEventMarkerB(ZuvLogEvent &data, bool wait);
    ZuvErrorCode GetEventMarkerC(ZuvLogEvent &data, bool wait);
    ZuvErrorCode GetEventMarkerD(ZuvLogEvent &data, bool wait);
    ZuvErrorCode GetEventMarkerE(ZuvLogEvent &data, bool wait);
    ZuvErrorCode GetDvlBottomTrack(ZuvLogDvlData &data, bool wait);
    ZuvErrorCode GetDvlWaterTrack(ZuvLogDvlData &data, bool wait);
    ZuvErrorCode GetGPS1RAW(ZuvLogGpsRaw &data, bool wait);
    ZuvErrorCode GetAirData(ZuvLogAirData &data, bool wait);
    ZuvErrorCode GetUSBL(ZuvLogUsblData &data, bool wait);
    ZuvErrorCode GetGPS2RAW(ZuvLogGpsRaw &data, bool wait);
    // Low four bits of the newest solution status; `mode` is 0 unless one came.
    ZuvErrorCode GetEkfMode(ZuvEComSolutionMode &mode, bool wait);
    // Clears every flag of the cache; the records keep their contents.
    static void ResetDataReceived();

    // ---- NMEA sentences of an auxiliary port.
    ZuvErrorCode ReadAuxFrames();
    ZuvErrorCode ReadAuxFrame();
    std::list<std::string> PopNMEASentences();
    // '$', then characters up to '*' or CR (which must stand at index 83 or
    // before), then at least one hexadecimal digit of their XOR.
    static bool CheckNMEAChecksum(const char *sentence);

    // ---- Configuration commands, over the open link.
    ZuvErrorCode GetDeviceInformations(ZuvEComDeviceInfo &info);
    ZuvErrorCode GetFeatures(ZuvEComFeatures &features);

    ZuvErrorCode GetSensorConfiguration(ZuvEComSensorAlignmentInfo &alignment, float leverArm[3]);
    ZuvErrorCode SetSensorConfiguration(const ZuvEComSensorAlignmentInfo &alignment, const float leverArm[3]);
    ZuvErrorCode GetSensorConfiguration(float &leverArmX, float &leverArmY, float &leverArmZ, float &roll, float &pitch,
                                        float &yaw, ZuvEComAxisDirection &axisDirectionX,
                                        ZuvEComAxisDirection &axisDirectionY);
    ZuvErrorCode SetSensorConfiguration(float leverArmX, float leverArmY, float leverArmZ, float roll, float pitch,
                                        float yaw, ZuvEComAxisDirection axisDirectionX,
                                        ZuvEComAxisDirection axisDirectionY);
    ZuvErrorCode GetSensorLeverArm(float leverArm[3]);
    ZuvErrorCode GetSensorLeverArm(float &x, float &y, float &z);
    ZuvErrorCode SetSensorLeverArm(const float leverArm[3]);
    ZuvErrorCode SetSensorLeverArm(float x, float y, float z);
    ZuvErrorCode GetSensorAlignment(ZuvEComSensorAlignmentInfo &alignment);
    ZuvErrorCode GetSensorAlignment(float &roll, float &pitch, float &yaw);
    ZuvErrorCode SetSensorAlignment(const ZuvEComSensorAlignmentInfo &alignment);
    ZuvErrorCode SetSensorAlignment(float roll, float pitch, float yaw);
    ZuvErrorCode GetSensorAxisDirection(ZuvEComAxisDirection &axisDirectionX, ZuvEComAxisDirection &axisDirectionY);
    ZuvErrorCode SetSensorAxisDirection(ZuvEComAxisDirection axisDirectionX, ZuvEComAxisDirection axisDirectionY);

    ZuvErrorCode GetSensorInitCondition(ZuvEComInitConditionConf &condition);
    ZuvErrorCode GetInitCondition(ZuvEComInitConditionConf &condition);
    ZuvErrorCode SetSensorInitCondition(const ZuvEComInitConditionConf &condition);
    ZuvErrorCode SetInitCondition(ZuvEComInitConditionConf condition);

    ZuvErrorCode GetSensorMotionProfileInfo(ZuvEComModelInfo &info);
    ZuvErrorCode GetMotionProfile(uint32_t &profileId);
    ZuvErrorCode SetMotionProfile(uint32_t profileId);

    ZuvErrorCode GetGNSS1Installation(ZuvEComGnssInstallation &installation);
    ZuvErrorCode SetGNSS1Installation(const ZuvEComGnssInstallation &installation);
    ZuvErrorCode GetGNSS1LeverArmPrimary(float &x, float &y, float &z, bool &precise);
    ZuvErrorCode SetGNSS1LeverArmPrimary(float x, float y, float z, bool precise);
    ZuvErrorCode GetGNSS1LeverArmSecondary(float &x, float &y, float &z, ZuvEComGnssInstallationMode &mode);
    ZuvErrorCode SetGNSS1LeverArmSecondary(float x, float y, float z, ZuvEComGnssInstallationMode mode);
    ZuvErrorCode GetGNSS1RejectionConf(ZuvEComGnssRejectionConf &rejection);
    ZuvErrorCode SetGNSS1RejectionConf(const ZuvEComGnssRejectionConf &rejection);

    ZuvErrorCode GetOdometerConf(ZuvEComOdoConf &conf);
    ZuvErrorCode SetOdometerConf(const ZuvEComOdoConf &conf);
    ZuvErrorCode GetOdometerLeverArm(float &x, float &y, float &z);
    ZuvErrorCode SetOdometerLeverArm(float x, float y, float z);
    ZuvErrorCode GetOdometerRejectionConf(ZuvEComOdoRejectionConf &rejection);
    ZuvErrorCode SetOdometerRejectionConf(const ZuvEComOdoRejectionConf &rejection);

    ZuvErrorCode GetAidingConfiguration(ZuvEComAidingAssignConf &conf);
    ZuvErrorCode SetAidingConfiguration(const ZuvEComAidingAssignConf &conf);
    ZuvErrorCode GetAdvancedConf(ZuvEComAdvancedConf &conf);
    ZuvErrorCode SetAdvancedConf(const ZuvEComAdvancedConf &conf);
    ZuvErrorCode GetTimeReferenceSource(ZuvEComTimeReferenceSrc &source);
    ZuvErrorCode SetTimeReferenceSource(ZuvEComTimeReferenceSrc source);

    ZuvErrorCode GetOutputConfiguration(ZuvEComOutputPort port, ZuvEComClass msgClass, ZuvEComLog log,
                                        ZuvEComOutputMode &mode);
    ZuvErrorCode SetOutputConfiguration(ZuvEComOutputPort port, ZuvEComClass msgClass, ZuvEComLog log,
                                        ZuvEComOutputMode mode);

    // ---- Settings actions and the configuration file (at most 100000 bytes).
    // Save returns 0 once the device has sent logs again for 2 s after saving,
    // and gives up after about 30 s.
    ZuvErrorCode Save();
    ZuvErrorCode Reboot();
    ZuvErrorCode RestoreDefaultSettings();
    // An existing file is replaced only once the device has handed its image over.
    ZuvErrorCode ExportConfigurationFile(const std::string &path);
    // Sends the file's first 100000 bytes.
    ZuvErrorCode ImportConfigurationFile(const std::string &path);

    // ---- Single flags of status words; no link needed.
    // Solution status of the Euler, quaternion and navigation logs.
    static bool Is_Attitude_Valid(uint32_t status);
    static bool Is_Heading_Valid(uint32_t status);
    static bool Is_Velocity_Valid(uint32_t status);
    static bool Is_Position_Valid(uint32_t status);
    static bool Is_VerticalReference_Used(uint32_t status);
    static bool Is_Magnetometer_Used(uint32_t status);
    static bool Is_GPS1Velocity_Used(uint32_t status);
    static bool Is_GPS1Position_Used(uint32_t status);
    static bool Is_GPS1HDT_Used(uint32_t status);
    static bool Is_GPS2Velocity_Used(uint32_t status);
    static bool Is_GPS2Position_Used(uint32_t status);
    static bool Is_GPS2HDT_Used(uint32_t status);
    static bool Is_Odometer_Used(uint32_t status);
    static bool Is_DVL_BT_Used(uint32_t status);
    static bool Is_DVL_WT_Used(uint32_t status);
    static bool Is_UserPosition_Used(uint32_t status);
    static bool Is_UserVelocity_Used(uint32_t status);
    static bool Is_UserHeading_Used(uint32_t status);
    static bool Is_USBL_Used(uint32_t status);
    static bool Is_AirData_Used(uint32_t status);
    static bool Is_ZUPT_Used(uint32_t status);
    static bool Is_SolutionAlignmentValid(uint32_t status);
    // Status of a GNSS position log.
    static bool Is_GPS_L1_Used(uint32_t status);
    static bool Is_GPS_L2_Used(uint32_t status);
    static bool Is_GPS_L5_Used(uint32_t status);
    static bool Is_GLO_L1_Used(uint32_t status);
    static bool Is_GLO_L2_Used(uint32_t status);
    // Aiding status of the status log.
    static bool Is_GPS1Pos_Received(uint32_t status);
    static bool Is_GPS1Vel_Received(uint32_t status);
    static bool Is_GPS1Hdt_Received(uint32_t status);
    static bool Is_GPS1Utc_Received(uint32_t status);

private:
    void closeLink();
    void closeProbe(bool serial);
    ZuvErrorCode initHandle();
    bool abandoned() const;
    template <typename Record>
    ZuvErrorCode deliverNew(Record &out, const Record &cached, bool &newFlag, bool wait);
    ZuvErrorCode readAlignment(ZuvEComSensorAlignmentInfo &alignment, float leverArm[3]);

    ZuvInterface interface_{};
    ZuvEComHandle handle_{};
    int32_t connectionKind_ = 0;
    ZuvEComDeviceInfo deviceInfo_{};
    ZuvInterface *auxInterface_ = nullptr;
    std::list<std::string> nmeaSentences_;
    ZuvLinkCalls calls_;
    ZuvEComAbortFunc abortCheck_ = nullptr;
    void *abortArg_ = nullptr;
};
