// Adding a port through a port monitor without its dialog: the monitor's Xcv interface
// (OpenPrinter on ",XcvMonitor <monitor>", then XcvData "AddPort"), as Windows' own
// deployment scripts create TCP/IP ports.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

constexpr uint32_t kErrorAlreadyExists = 183;  // ERROR_ALREADY_EXISTS: the monitor has a port of that name
constexpr uint32_t kErrorUnknownPort = 1796;   // ERROR_UNKNOWN_PORT: no such monitor to open

struct XcvAddPortResult {
    bool monitorOpened = false;  // false: `error` is why the monitor's Xcv handle did not open
    uint32_t error = 0;          // 0, or the failed call's error, or the monitor's status
};

class IXcvPorts {
public:
    virtual ~IXcvPorts() = default;
    // `input` goes to the monitor as it is (a PORT_DATA_1 record, or a port name in UTF-16
    // for the local port monitor).
    virtual XcvAddPortResult AddPort(const std::string& monitorName, const std::vector<uint8_t>& input) = 0;
};
