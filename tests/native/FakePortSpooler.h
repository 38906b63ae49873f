// A spooler that answers EnumPortsA / EnumMonitorsA the way the real one does: records
// first, their texts after them in the same buffer, and ERROR_INSUFFICIENT_BUFFER with the
// needed size when the buffer is too small. It records every call.
#pragma once
#include <cstddef>
#include <cstdio>
#include <cstring>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "ports/PortSpooler.h"

struct FakePort {
    std::optional<std::string> name;         // nullopt: a null pointer in the record
    std::optional<std::string> description;
    std::optional<std::string> monitor = std::string("Local Port");
    // Set for a name the code page cannot hold: the true name in UTF-8 (`name` is then its
    // lossy code-page form).
    std::optional<std::string> unicodeName = std::nullopt;
};

class FakePortSpooler : public IPortSpooler {
public:
    static constexpr uint32_t kErrorInvalidLevel = 124;

    struct EnumCall {
        uint32_t level;
        bool withBuffer;
        uint32_t size;
    };
    struct MonitorCall {
        std::string operation;  // "AddPort" or "ConfigurePort"
        OwnerWindow owner;
        std::string name;
    };

    std::vector<FakePort> ports;
    std::vector<std::optional<std::string>> monitors;

    // Runs before each EnumeratePorts call with its 1-based number, e.g. to add a port between calls.
    std::function<void(int)> beforeEnumPorts;
    // A failure every enumeration reports instead of answering (0: none).
    uint32_t enumFailure = 0;
    // A faulty spooler: succeeds but reports this many more records than it wrote.
    uint32_t extraReported = 0;
    SpoolerResult monitorCallResult{true, 0};

    std::vector<EnumCall> portCalls, monitorCalls;
    std::vector<MonitorCall> dialogCalls;

    SpoolerResult EnumeratePorts(uint32_t level, uint8_t* buffer, uint32_t size, uint32_t& needed,
                            uint32_t& returned) override
    {
        portCalls.push_back({level, buffer != nullptr, size});
        if (beforeEnumPorts)
            beforeEnumPorts(static_cast<int>(portCalls.size()));
        if (level != 2)
            return {false, kErrorInvalidLevel};
        std::vector<std::vector<std::optional<std::string>>> records;
        for (const FakePort& port : ports)
            records.push_back({port.name, port.monitor, port.description, port.unicodeName});
        return Fill(records,
                    {offsetof(PortInfo2Record, pPortName), offsetof(PortInfo2Record, pMonitorName),
                     offsetof(PortInfo2Record, pDescription), offsetof(PortInfo2Record, pUnicodeName)},
                    sizeof(PortInfo2Record), buffer, size, needed, returned);
    }

    SpoolerResult EnumerateMonitors(uint32_t level, uint8_t* buffer, uint32_t size, uint32_t& needed,
                               uint32_t& returned) override
    {
        monitorCalls.push_back({level, buffer != nullptr, size});
        if (level != 1)
            return {false, kErrorInvalidLevel};
        std::vector<std::vector<std::optional<std::string>>> records;
        for (const auto& monitor : monitors)
            records.push_back({monitor});
        return Fill(records, {offsetof(MonitorInfo1Record, pName)}, sizeof(MonitorInfo1Record), buffer, size, needed,
                    returned);
    }

    SpoolerResult AddNewPort(OwnerWindow owner, const std::string& monitorName) override
    {
        dialogCalls.push_back({"AddPort", owner, monitorName});
        return monitorCallResult;
    }

    SpoolerResult ConfigureExistingPort(OwnerWindow owner, const std::string& portName) override
    {
        dialogCalls.push_back({"ConfigurePort", owner, portName});
        return monitorCallResult;
    }

    // Adds ports named P000, P001, ... up to `count` ports in all.
    void AddNumberedPorts(size_t count)
    {
        while (ports.size() < count) {
            char name[16];
            std::snprintf(name, sizeof(name), "P%03zu", ports.size());
            ports.push_back({std::string(name), std::string("Local Port")});
        }
    }

private:
    // Each record is a row of texts (nullopt: null) for the pointer fields at `offsets`, packed
    // as the spooler packs them.
    SpoolerResult Fill(const std::vector<std::vector<std::optional<std::string>>>& records,
                       const std::vector<size_t>& offsets, size_t recordSize, uint8_t* buffer, uint32_t size,
                       uint32_t& needed, uint32_t& returned)
    {
        if (enumFailure)
            return {false, enumFailure};
        size_t total = records.size() * recordSize;
        for (const auto& record : records)
            for (const auto& text : record)
                if (text)
                    total += text->size() + 1;
        needed = static_cast<uint32_t>(total);
        returned = 0;
        if (total == 0)
            return {true, 0};
        if (!buffer || size < total)
            return {false, kErrorInsufficientBuffer};
        std::memset(buffer, 0, size);
        char* strings = reinterpret_cast<char*>(buffer) + records.size() * recordSize;
        for (size_t i = 0; i < records.size(); ++i) {
            for (size_t f = 0; f < records[i].size(); ++f) {
                if (!records[i][f])
                    continue;
                std::memcpy(strings, records[i][f]->c_str(), records[i][f]->size() + 1);
                std::memcpy(buffer + i * recordSize + offsets[f], &strings, sizeof(char*));
                strings += records[i][f]->size() + 1;
            }
        }
        returned = static_cast<uint32_t>(records.size()) + extraReported;
        return {true, 0};
    }
};

// The system debug output, line by line.
class FakeDebugOutput : public IDebugOutput {
public:
    std::vector<std::string> texts;
    void Write(const std::string& text) override { texts.push_back(text); }
};
