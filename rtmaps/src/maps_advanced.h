// MAPSAdvancedComponent: the package's base between the host's MAPSComponent
// and its components. Pins by pattern and index, one-call copies onto an
// output, the shared life-check action, and error lines in report files.
// Errors: a copy that does not fit the output (count or text longer than its
// maximum vector size, wrong element type, no free element) writes nothing,
// reports at error level and returns false. Report files that cannot be
// written lose the line silently.
// Threads: no lock of its own; the copies run on the caller's thread,
// LifeChecking on the host's action thread.
#pragma once

#include <ctime>
#include <vector>

#include "maps.hpp"

class MAPSAdvancedComponent : public MAPSComponent {
public:
    MAPSAdvancedComponent(const char *name, MAPSComponentDefinition &definition);
    ~MAPSAdvancedComponent() override;

    virtual void ReportInFile(const char *message);

    // pattern followed by the index in decimal ("oSeries" + 2 -> "oSeries2").
    MAPSString GetName(const char *pattern, int index);
    MAPSInput &AddNewInput(const char *pattern, int index);
    MAPSOutput &AddNewOutput(const char *pattern, int index);
    MAPSProperty &AddNewProperty(const char *pattern, int index);
    // count pins or properties named pattern0 .. pattern<count-1>; none for count <= 0.
    void AddNewInputs(const char *pattern, int count);
    void AddNewOutputs(const char *pattern, int count);
    void AddNewProperties(const char *pattern, int count);

    // Each value is rounded to single precision (and widened back).
    bool CopyDouble2OutPin(const char *outputName, const double *values, int count, const MAPSTimestamp &timestamp,
                           int quality);
    bool CopyDouble2OutPin(const char *outputName, std::vector<double> values, const MAPSTimestamp &timestamp,
                           int quality);
    bool CopyVectorDouble2OutPin(const char *outputName, const std::vector<double> &values,
                                 const MAPSTimestamp &timestamp, int quality);
    bool CopyInteger2OutPin(const char *outputName, const MAPSInt32 *values, int count, const MAPSTimestamp &timestamp,
                            int quality);
    bool CopyString2OutPin(const char *outputName, const char *text, const MAPSTimestamp &timestamp);

    // Action callback of aLifeChecking: pAlive := whether the component runs.
    static void LifeChecking(MAPSModule *component, int index);
    // Appends "[Y-M-D @ h:m]Error: message" with the local time to the file.
    static void WriteTimestampedMessageInFile(const char *path, const char *message);
    // The line above for a given local time, without the line feed.
    static MAPSString TimestampedLine(const std::tm &localTime, const char *message);

protected:
    MAPSString firstReportFile;
    MAPSString secondReportFile;
};
