// The "Spooler" service's state and start type, read only: the health check reports both,
// where the installation asks about the service only after a spooler call failed.
#pragma once
#include <cstdint>

// 0, or the error of the Service Control Manager call that failed. `startType` is
// QUERY_SERVICE_CONFIG's dwStartType (SERVICE_AUTO_START 2, SERVICE_DEMAND_START 3,
// SERVICE_DISABLED 4).
uint32_t ReadSpoolerServiceConfig(bool& running, uint32_t& startType);
