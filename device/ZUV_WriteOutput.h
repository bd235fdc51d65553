// Log record writers: one function per log kind lays a parsed zuvECom record
// out as one sample on an output of a component, and, when asked, the record's
// device time stamp as one Integer64 on the twin output, after the main sample
// and with the same time stamp.
//
// The appended value goes last in the vector when it is 0 or more (the
// decoder's measured framerate); below 0 nothing is appended. Floats are only
// widened, integers keep their exact value; nothing is scaled or reordered
// beyond the documented layouts.
//
// Errors: nothing is returned. An output that yields no element (the component
// is not running) is skipped; a sample its output cannot take whole is refused
// with one error report naming the pin (ZuvWriteSample.h). An unknown output
// name is the host's to report.
// Threading: run on the calling component's thread; no lock, no state kept,
// no heap allocation.
#pragma once

#include "maps.hpp"
#include "zuvEComBinaryLogs.h"

// Inertial and navigation logs. Outputs without a name argument are fixed:
// "oStatus", "oUtcTime", "oImu", "oMag", "oMagCalib", "oEkfEuler", "oEkfQuat",
// "oEkfNav", each twin being the name followed by "InternalTimestamp".
void WriteStatusData(MAPSComponent *component, const ZuvLogStatusData &log, const MAPSInt64 &timestamp,
                     MAPSInt32 appended);
void WriteUtcData(MAPSComponent *component, const ZuvLogUtcData &log, const MAPSInt64 &timestamp,
                  bool internalTimestamp, MAPSInt32 appended);
void WriteImuData(MAPSComponent *component, const ZuvLogImuData &log, const MAPSInt64 &timestamp,
                  bool internalTimestamp, MAPSInt32 appended);
void WriteMagData(MAPSComponent *component, const ZuvLogMag &log, const MAPSInt64 &timestamp, bool internalTimestamp,
                  MAPSInt32 appended);
void WriteMagCalibData(MAPSComponent *component, const ZuvLogMagCalib &log, const MAPSInt64 &timestamp,
                       MAPSInt32 appended);
void WriteEkfEuler(MAPSComponent *component, const ZuvLogEkfEulerData &log, const MAPSInt64 &timestamp,
                   bool internalTimestamp, MAPSInt32 appended);
void WriteEkfQuat(MAPSComponent *component, const ZuvLogEkfQuatData &log, const MAPSInt64 &timestamp,
                  bool internalTimestamp, MAPSInt32 appended);
void WriteEkfNav(MAPSComponent *component, const ZuvLogEkfNavData &log, const MAPSInt64 &timestamp,
                 bool internalTimestamp, MAPSInt32 appended);
void WriteShipMotion(MAPSComponent *component, const ZuvLogShipMotionData &log, const MAPSString &output,
                     const MAPSString &twinOutput, const MAPSInt64 &timestamp, bool internalTimestamp,
                     MAPSInt32 appended);

// Aiding-sensor logs. One writer serves both receivers, both DVL tracks and
// the five event inputs; the caller names the outputs. "oOdoVel", "oPressure"
// and "oUsbl" are fixed.
void WriteGPSVel(MAPSComponent *component, const ZuvLogGpsVel &log, const MAPSString &output,
                 const MAPSString &twinOutput, const MAPSInt64 &timestamp, bool internalTimestamp, MAPSInt32 appended);
void WriteGPSPos(MAPSComponent *component, const ZuvLogGpsPos &log, const MAPSString &output,
                 const MAPSString &twinOutput, const MAPSInt64 &timestamp, bool internalTimestamp, MAPSInt32 appended);
void WriteGPSHdt(MAPSComponent *component, const ZuvLogGpsHdt &log, const MAPSString &output,
                 const MAPSString &twinOutput, const MAPSInt64 &timestamp, bool internalTimestamp, MAPSInt32 appended);
void WriteGPSRaw(MAPSComponent *component, const ZuvLogGpsRaw &log, const MAPSString &output,
                 const MAPSInt64 &timestamp);
void WriteOdo(MAPSComponent *component, const ZuvLogOdometerData &log, const MAPSInt64 &timestamp,
              bool internalTimestamp, MAPSInt32 appended);
void WriteEvent(MAPSComponent *component, const ZuvLogEvent &log, const MAPSString &output, const MAPSInt64 &timestamp,
                MAPSInt32 appended);
void WriteDvl(MAPSComponent *component, const ZuvLogDvlData &log, const MAPSString &output,
              const MAPSString &twinOutput, const MAPSInt64 &timestamp, bool internalTimestamp, MAPSInt32 appended);
void WriteAirData(MAPSComponent *component, const ZuvLogAirData &log, const MAPSInt64 &timestamp,
                  bool internalTimestamp, MAPSInt32 appended);
void WriteUsbl(MAPSComponent *component, const ZuvLogUsblData &log, const MAPSInt64 &timestamp, bool internalTimestamp,
               MAPSInt32 appended);

// Any log kind of the catalogue, by its index there: the kind's writer above,
// or, for a record that the catalogue lays out with a values list, the
// generic writer, on the kind's outputs (the names are the catalogue's).
// An index past the catalogue writes nothing.
void WriteLogKind(MAPSComponent *component, size_t kindIndex, const ZuvBinaryLogData &log, const MAPSString &output,
                  const MAPSString &twinOutput, const MAPSInt64 &timestamp, bool internalTimestamp, MAPSInt32 appended);
