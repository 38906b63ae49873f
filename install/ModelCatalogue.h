// The one printer model this wizard installs, and the fixed vocabularies that the
// installation writes into the registry for its serial-line settings.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

struct ModelRecord {
    // The display name is kept only scrambled; DecodeModelName(displayNameCode, displayNameKey)
    // gives the text for the model combo box and the initial printer name.
    const char* displayNameCode;
    uint16_t displayNameKey;
    const char* pluginBaseName;  // rendering plug-in, copied as <name>.DLL
    const char* gpdBaseName;     // minidriver description, copied as <name>.GPD; the data file
    const char* driverName;      // the driver's name, also the printer's name
};

// Indexed by the selection of the model combo box, which only ever holds index 0.
extern const ModelRecord kModelRecords[];
extern const size_t kModelRecordCount;

// Letter pairs to bytes ((first - 'A') * 26 + (second - 'A'), low 8 bits; a trailing odd
// letter is ignored), then each byte unmasked with the high byte of a running 16-bit key
// that advances as (byte + key) * kModelNameFactor + kModelNameAddend. Keeps no state.
std::string DecodeModelName(const std::string& code, uint16_t key);

// The two constants of the unmasking step.
constexpr uint16_t kModelNameFactor = 0x6F35;
constexpr uint16_t kModelNameAddend = 0x1B59;

// Registry text for each selection index of the printer settings page's serial combo boxes,
// in the order of their items.
struct SerialSettingTables {
    static constexpr const char* portValueName[] = {"LPT1:", "LPT2:", "LPT3:", "COM1:", "COM2:", "COM3:", "COM4:"};
    static constexpr const char* baudRate[] = {"300", "1200", "2400", "4800", "9600", "19200", "38400", "57600", "115200"};
    static constexpr const char* dataBits[] = {"5", "6", "7", "8"};
    static constexpr const char* stopBits[] = {"1", "1.5", "2"};
    static constexpr const char* parity[] = {"E", "M", "N", "O", "S"};
    // "None" is one blank, not an empty field: the Ports value keeps five fields.
    static constexpr const char* flowControl[] = {" ", "x", "p"};
};
