// The spooler's Xcv interface behind IXcvPorts.
#pragma once
#include "ports/XcvPorts.h"

class Win32XcvPorts : public IXcvPorts {
public:
    XcvAddPortResult AddPort(const std::string& monitorName, const std::vector<uint8_t>& input) override;
};
