// The printer's state through winspool's Unicode calls, opened with the right to use it only.
#pragma once
#include "install/PrinterState.h"

class Win32PrinterStateReader : public PrinterStateReader {
public:
    uint32_t ReadPrinter(const std::string& name, PrinterState& state) override;
};
