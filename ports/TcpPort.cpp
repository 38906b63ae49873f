#include "ports/TcpPort.h"

#include <algorithm>
#include <cctype>

const char kTcpMonitorName[] = "Standard TCP/IP Port";

namespace {

bool AllOf(const std::string& text, int (*test)(int))
{
    for (char c : text)
        if (!test(static_cast<unsigned char>(c)))
            return false;
    return !text.empty();
}

std::vector<std::string> Split(const std::string& text, char separator)
{
    std::vector<std::string> parts;
    size_t at = 0;
    for (;;) {
        size_t end = text.find(separator, at);
        parts.push_back(text.substr(at, end == std::string::npos ? std::string::npos : end - at));
        if (end == std::string::npos)
            return parts;
        at = end + 1;
    }
}

bool ParsePortNumber(const std::string& text, uint32_t& number)
{
    if (!AllOf(text, isdigit) || text.size() > 5)
        return false;
    number = static_cast<uint32_t>(std::stoul(text));
    return number >= 1 && number <= 65535;
}

void PutU32(std::vector<uint8_t>& record, size_t at, uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        record[at + i] = static_cast<uint8_t>(value >> (8 * i));
}

// The texts here are ASCII (validated names and addresses): UTF-16LE is each byte and a zero.
// One character is always left for the terminating zero.
void PutText(std::vector<uint8_t>& record, size_t at, size_t chars, const std::string& text)
{
    for (size_t i = 0; i < text.size() && i + 1 < chars; ++i)
        record[at + 2 * i] = static_cast<uint8_t>(text[i]);
}

}  // namespace

bool IsIpv4Literal(const std::string& text)
{
    const std::vector<std::string> parts = Split(text, '.');
    if (parts.size() != 4)
        return false;
    for (const std::string& part : parts) {
        // No leading zeros: "010" reads as octal to some resolvers and decimal to others.
        if (!AllOf(part, isdigit) || part.size() > 3 || (part.size() > 1 && part[0] == '0') || std::stoi(part) > 255)
            return false;
    }
    return true;
}

bool IsIpv6Literal(const std::string& text)
{
    if (text.find(':') == std::string::npos)
        return false;
    const size_t gap = text.find("::");
    if (gap != std::string::npos && text.find("::", gap + 1) != std::string::npos)
        return false;
    std::vector<std::string> groups;
    auto take = [&groups](const std::string& side) {
        if (side.empty())
            return true;
        for (const std::string& group : Split(side, ':')) {
            if (group.empty())
                return false;
            groups.push_back(group);
        }
        return true;
    };
    if (gap == std::string::npos ? !take(text) : !take(text.substr(0, gap)) || !take(text.substr(gap + 2)))
        return false;
    size_t count = 0;
    for (size_t i = 0; i < groups.size(); ++i) {
        // An embedded IPv4 address ("::ffff:192.0.2.1") may end the address and counts as two.
        if (i + 1 == groups.size() && groups[i].find('.') != std::string::npos) {
            if (!IsIpv4Literal(groups[i]))
                return false;
            count += 2;
            continue;
        }
        if (groups[i].size() > 4 || !AllOf(groups[i], isxdigit))
            return false;
        ++count;
    }
    return gap == std::string::npos ? count == 8 : count <= 7;
}

bool IsDnsName(const std::string& text)
{
    if (text.empty() || text.size() > 253)
        return false;
    bool allDigits = true;
    for (const std::string& label : Split(text, '.')) {
        if (label.empty() || label.size() > 63 || label.front() == '-' || label.back() == '-')
            return false;
        for (char c : label)
            if (!std::isalnum(static_cast<unsigned char>(c)) && c != '-')
                return false;
        allDigits = allDigits && AllOf(label, isdigit);
    }
    return !allDigits || IsIpv4Literal(text);
}

bool ParseTcpPrinterAddress(const std::string& text, TcpPrinterAddress& address, std::string& why)
{
    std::string host = text, port;
    if (!text.empty() && text[0] == '[') {
        const size_t close = text.find(']');
        if (close == std::string::npos || (close + 1 < text.size() && text[close + 1] != ':')) {
            why = "\"" + text + "\" is not HOST[:PORT]: a bracketed IPv6 address ends with \"]\".";
            return false;
        }
        host = text.substr(1, close - 1);
        if (close + 1 < text.size())
            port = text.substr(close + 2);
        if (!IsIpv6Literal(host)) {
            why = "\"" + host + "\" is not an IPv6 address.";
            return false;
        }
        if (close + 1 < text.size() && port.empty()) {
            why = "\"" + text + "\" has no port number after the colon.";
            return false;
        }
    } else if (std::count(text.begin(), text.end(), ':') == 1) {
        const size_t colon = text.find(':');
        host = text.substr(0, colon);
        port = text.substr(colon + 1);
        if (port.empty()) {
            why = "\"" + text + "\" has no port number after the colon.";
            return false;
        }
    }
    if (!IsIpv6Literal(host) && !IsDnsName(host)) {
        why = "\"" + host + "\" is not a host name, an IPv4 address or an IPv6 address.";
        return false;
    }
    if (host.size() >= PortData1::kHostAddressChars) {
        why = "\"" + host + "\" is longer than the " + std::to_string(PortData1::kHostAddressChars - 1) +
              " characters a Standard TCP/IP port holds.";
        return false;
    }
    uint32_t number = kRawTcpPortNumber;
    if (!port.empty() && !ParsePortNumber(port, number)) {
        why = "\"" + port + "\" is not a port number (1 to 65535).";
        return false;
    }
    address.host = host;
    address.portNumber = number;
    return true;
}

std::string TcpPortName(const TcpPrinterAddress& address)
{
    std::string name = "IP_" + address.host;
    if (address.portNumber != kRawTcpPortNumber)
        name += "_" + std::to_string(address.portNumber);
    return name;
}

std::vector<uint8_t> PortData1Record(const std::string& portName, const TcpPrinterAddress& address)
{
    using namespace PortData1;
    std::vector<uint8_t> record(kRecordSize, 0);
    PutText(record, kPortName, kPortNameChars, portName);
    PutU32(record, kVersion, 1);
    PutU32(record, kProtocol, kProtocolRawTcp);
    PutU32(record, kSize, static_cast<uint32_t>(kRecordSize));
    PutText(record, kHostAddress, kHostAddressChars, address.host);
    PutText(record, kCommunity, kCommunityChars, "public");
    PutU32(record, kPortNumber, address.portNumber);
    PutU32(record, kSnmpDevIndex, 1);
    return record;
}
