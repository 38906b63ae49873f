// /check on Windows: the facts read from the running system, the verdict in a message box or
// (with /quiet) only in the exit code and the log.
#pragma once
#include "app/CommandLine.h"

// Runs the health check as `options` ask (mode Check) and answers the exit code.
int RunHealthCheckMode(const CommandLineOptions& options);
