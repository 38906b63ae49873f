// A Standard TCP/IP port for a network printer: the printer's address as an administrator
// gives it (HOST or HOST:PORT), the port's name, and the PORT_DATA_1 record that the
// monitor's XcvData "AddPort" takes.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

constexpr uint32_t kRawTcpPortNumber = 9100;  // the RAW (AppSocket/JetDirect) port printers listen on
// The monitor as Windows names it, and the spooler name that opens its Xcv handle.
extern const char kTcpMonitorName[];  // "Standard TCP/IP Port"

struct TcpPrinterAddress {
    std::string host;  // a DNS name or an IPv4/IPv6 literal, IPv6 without brackets
    uint32_t portNumber = kRawTcpPortNumber;
};

// Reads "HOST", "HOST:PORT", "[IPV6]", "[IPV6]:PORT" or a bare IPv6 literal. False, with the
// reason in `why`, for anything else, for a host longer than PORT_DATA_1 holds and for a port
// outside 1..65535.
bool ParseTcpPrinterAddress(const std::string& text, TcpPrinterAddress& address, std::string& why);

bool IsIpv4Literal(const std::string& text);
bool IsIpv6Literal(const std::string& text);
// RFC 1123: dot-separated labels of letters, digits and hyphens, 1..63 each, no hyphen at
// either end, 253 in all; a name whose labels are all digits must be an IPv4 literal.
bool IsDnsName(const std::string& text);

// "IP_<host>" as Windows' own Add Printer wizard names such ports, with "_<port>" added when
// the port is not 9100, so that two printers behind one address get two ports.
std::string TcpPortName(const TcpPrinterAddress& address);

// PORT_DATA_1 byte for byte (tcpxcv.h, 964 bytes, little-endian, UTF-16 texts): version 1,
// RAW protocol, SNMP off with the community "public".
std::vector<uint8_t> PortData1Record(const std::string& portName, const TcpPrinterAddress& address);

// Offsets of PORT_DATA_1, for the record above and for whoever reads one.
namespace PortData1 {
constexpr size_t kPortNameChars = 64;     // MAX_PORTNAME_LEN
constexpr size_t kHostAddressChars = 49;  // MAX_NETWORKNAME_LEN
constexpr size_t kCommunityChars = 33;    // MAX_SNMP_COMMUNITY_STR_LEN
constexpr size_t kQueueChars = 33;        // MAX_QUEUENAME_LEN
constexpr size_t kIpAddressChars = 16;    // MAX_IPADDR_STR_LEN
constexpr size_t kPortName = 0;
constexpr size_t kVersion = kPortName + 2 * kPortNameChars;     // 128
constexpr size_t kProtocol = kVersion + 4;                     // 132
constexpr size_t kSize = kProtocol + 4;                        // 136
constexpr size_t kReserved = kSize + 4;                        // 140
constexpr size_t kHostAddress = kReserved + 4;                 // 144
constexpr size_t kCommunity = kHostAddress + 2 * kHostAddressChars;  // 242
constexpr size_t kDoubleSpool = kCommunity + 2 * kCommunityChars;    // 308
constexpr size_t kQueue = kDoubleSpool + 4;                    // 312
constexpr size_t kIpAddress = kQueue + 2 * kQueueChars;        // 378
constexpr size_t kReservedBytes = kIpAddress + 2 * kIpAddressChars;  // 410, 540 bytes
// The DWORDs after the reserved bytes sit on a 4-byte boundary: two bytes of padding.
constexpr size_t kPortNumber = (kReservedBytes + 540 + 3) / 4 * 4;  // 952
constexpr size_t kSnmpEnabled = kPortNumber + 4;
constexpr size_t kSnmpDevIndex = kSnmpEnabled + 4;
constexpr size_t kRecordSize = kSnmpDevIndex + 4;  // 964
constexpr uint32_t kProtocolRawTcp = 1;           // PROTOCOL_RAWTCP_TYPE
}  // namespace PortData1
