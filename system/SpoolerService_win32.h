// The "Spooler" service through the Service Control Manager (advapi32).
#pragma once
#include "system/SpoolerService.h"

// Its waits sleep: for a run without windows (a page's pumps its messages instead).
class Win32SpoolerService : public SpoolerService {
public:
    uint32_t Query(SpoolerServiceState& state) override;
    uint32_t Start() override;
    uint32_t Milliseconds() override;
    void Wait(uint32_t milliseconds) override;
};
