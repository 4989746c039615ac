#include "device/MidiController.h"
#include "device/ProductTables.h"

using ProductTables::isHostCode;
using ProductTables::isDeviceCode;

namespace
{
    // Per product code 1..6
    constexpr int hostPorts[]    = { 8, 8, 12, 16, 24, 24 };
    constexpr int virtualPorts[] = { 4, 2, 4, 8, 8, 8 };
    constexpr int localPorts[]   = { 7, 3, 8, 14, 16, 20 };
    constexpr int presets[]      = { 4, 4, 4, 6, 8, 12 };
    constexpr int hostIds[]      = { 31, 34, 36, 38, 40, 42 };
    constexpr int deviceIds[]    = { 33, 35, 37, 39, 41, 43 };
    const char* const modelNames[]     = { "Dorvin BC", "Calder Pro", "Gavrel Pro", "Jorvek Pro", "Lissar Pro", "Norrim Pro" };
    const char* const modelPortNames[] = { "Dorvin-BC", "Calder-Pro", "Gavrel-Pro", "Jorvek-Pro", "Lissar-Pro", "Norrim-Pro" };

    struct FlashRange { juce::uint32 start, end; };

    FlashRange flashRangeOf (int code)
    {
        switch (code)
        {
            case 1: case 2:  return { 0x3000, 0x40000 };
            case 4:          return { 0x3000, 0x78000 };
            case 6:          return { 0x3000, 0x80000 };
            case 3: case 5:  return { 0x3000, 0 };
            case 7: case 8:  return { 0x2800, 0x8000 };
            case 10:         return { 0x2800, 0x20000 };
            case 12:         return { 0x2800, 0x40000 };
            case 9: case 11: return { 0x2800, 0 };
            default:         return { 0, 0 };
        }
    }
}

int MidiController::getNumUsbHostPorts() const    { return isHostCode (productCode) ? hostPorts[productCode - 1] : 0; }
int MidiController::getNumUsbVirtualPorts() const { return isHostCode (productCode) ? virtualPorts[productCode - 1] : 0; }
int MidiController::getNumLocalPorts() const      { return isHostCode (productCode) ? localPorts[productCode - 1] : 0; }
int MidiController::getNumPresets() const         { return isHostCode (productCode) ? presets[productCode - 1] : 0; }
int MidiController::getNumVelocityCurves() const  { return isHostCode (productCode) ? 4 : 0; }
int MidiController::getNumLfos() const            { return isHostCode (productCode) ? 4 : 0; }

int MidiController::getNumMappers() const
{
    if (! isHostCode (productCode))
        return 0;

    if (productCode == productJorvek)
        return hostFirmwareVersion >= 4.45f ? 24 : 16;

    return productCode >= productLissar ? 24 : 16;
}

//==============================================================================
int ProductTables::hostIdOf (int product)   { return isHostCode (product) ? hostIds[product - 1] : 0; }
int ProductTables::deviceIdOf (int product) { return isHostCode (product) ? deviceIds[product - 1] : 0; }

int ProductTables::idByteOfCode (int code)
{
    return isHostCode (code) ? hostIdOf (code) : (isDeviceCode (code) ? deviceIdOf (code - numProducts) : 0);
}

int ProductTables::codeOfIdByte (int id)
{
    for (int product = 1; product <= numProducts; ++product)
    {
        if (hostIdOf (product) == id)   return product;
        if (deviceIdOf (product) == id) return product + numProducts;
    }

    return 0;
}

bool ProductTables::isDeviceCoreId (int id)
{
    return isDeviceCode (codeOfIdByte (id));
}

juce::String ProductTables::modelNameOfId (int id)
{
    const int code = codeOfIdByte (id);

    if (isHostCode (code))   return modelNames[code - 1];
    if (isDeviceCode (code)) return modelPortNames[code - 1 - numProducts];
    return {};
}

juce::String ProductTables::modelPortName (int product)
{
    return isHostCode (product) ? juce::String (modelPortNames[product - 1]) : juce::String();
}

//==============================================================================
int MidiController::getProductIdByte() const
{
    return ProductTables::idByteOfCode (productCode);
}

int MidiController::getDeviceCoreId() const
{
    return isHostCode (productCode) ? ProductTables::deviceIdOf (productCode) : 255;
}

void MidiController::setProductCode (int code)
{
    productCode = code;
    auto range = flashRangeOf (code);
    flashStart = range.start;
    flashEnd = range.end;
    flashSpan = range.end > range.start ? range.end - range.start : 0;
}

bool MidiController::isDeviceCore() const
{
    return isDeviceCode (productCode);
}

bool MidiController::isProductKnown() const
{
    return productCode != productNone && productCode != productUpgradeMode;
}

bool MidiController::hasSettingsFirmware() const
{
    return hostFirmwareVersion > 0.55f;
}

void MidiController::switchToHostCore()
{
    postAsyncMessage (statusText, "Switching to Pv core...");

    if (isDeviceCode (productCode))
    {
        setProductCode (productCode - ProductTables::numProducts);
        requestIdentityLater();
    }
}

int MidiController::getWirelessModulePortOffset (int code, bool includeAbsent) const
{
    if (code != productDorvin)
        return -1;

    if (wirelessModule != 0 || includeAbsent)
        return getNumUsbVirtualPorts();

    return -1;
}

int MidiController::statusToMessageIndex (int status) const
{
    for (int i = 0; i < 7; ++i)
        if (messageStatusTable[i] == (status & 0xFF))
            return i;

    return -1;
}

int MidiController::messageIndexToStatus (int index) const
{
    if (index >= 0 && index < 7)
        return messageStatusTable[index];

    if (index == 7)
        return 0x90;

    return 255;
}

int MidiController::getNumDataBytes (juce::uint8 status)
{
    if (status >= 0x80 && status <= 0xBF) return 2;
    if (status >= 0xC0 && status <= 0xDF) return 1;
    if (status >= 0xE0 && status <= 0xEF) return 2;
    if (status == 0xF1 || status == 0xF3) return 1;
    if (status == 0xF2) return 2;
    return 0;
}

juce::String MidiController::getStatusName (juce::uint8 status)
{
    switch (status)
    {
        case 0x80: return "Note Off";
        case 0x90: return "Note On";
        case 0xA0: return "Key Aftertouch";
        case 0xB0: return "Ctrl Change";
        case 0xC0: return "Prog Change";
        case 0xD0: return "Chann Aftertouch";
        case 0xE0: return "Pitch bend";
        default:   return "Undefined";
    }
}

juce::String MidiController::getStatusShortName (juce::uint8 status)
{
    switch (status)
    {
        case 0x80: return "Note Off";
        case 0x90: return "Note On";
        case 0xA0: return "Key AT";
        case 0xB0: return "Ctl Ch.";
        case 0xC0: return "Prg Ch.";
        case 0xD0: return "Chan AT";
        case 0xE0: return "Pitch B";
        default:   return "Undef.";
    }
}

float MidiController::firmwareVersionFromDigits (int major, int minor)
{
    auto asFloat = (float) firmwareTextFromDigits (major, minor).getDoubleValue();
    return (float) ((double) asFloat + 0.005);
}

juce::String MidiController::firmwareTextFromDigits (int major, int minor)
{
    return juce::String::formatted ("%1d.%1d", major, minor);
}
