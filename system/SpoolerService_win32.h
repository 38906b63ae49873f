// The "Spooler" service through the Service Control Manager (advapi32).
#pragma once
#include "system/SpoolerService.h"

class Win32SpoolerService : public SpoolerService {
public:
    uint32_t Query(SpoolerServiceState& state) override;
    uint32_t StartAndWait(uint32_t timeoutMs) override;
};
