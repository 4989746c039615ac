#include "device/DeviceTypes.h"

//==============================================================================
juce::uint32 MapperRecord::getWord (int index) const
{
    switch (index)
    {
        case 0:  return inVal1Val2;
        case 1:  return outVal1Val2;
        case 2:  return cfg1;
        case 3:  return cfg2;
        case 4:  return cfg3;
        case 5:  return cfg4;
        default: return 0;
    }
}

void MapperRecord::setWord (int index, juce::uint32 value)
{
    switch (index)
    {
        case 0:  inVal1Val2 = value; break;
        case 1:  outVal1Val2 = value; break;
        case 2:  cfg1 = value; break;
        case 3:  cfg2 = value; break;
        case 4:  cfg3 = value; break;
        case 5:  cfg4 = value; break;
        default: break;
    }
}

//==============================================================================
void UsbHostDevice::clear()
{
    *this = UsbHostDevice();
}

juce::String UsbHostDevice::getName() const
{
    return juce::String (name, (size_t) strnlen (name, sizeof (name)));
}

//==============================================================================
static bool isValidSlot (int kind, int item)
{
    return juce::isPositiveAndBelow (kind, PendingRequests::numKinds)
        && juce::isPositiveAndBelow (item, PendingRequests::numItems);
}

void PendingRequests::markForRead (int kind, int item)
{
    if (! isValidSlot (kind, item) || isPending (kind, item))
        return;

    ++marked[kind];
    items[kind][item] = (juce::uint8) item;
    writes[kind][item] = false;
    presets[kind][item] = noPreset;
    generations[kind][item] = 0;
}

void PendingRequests::markForWrite (int kind, int item, int preset)
{
    if (! isValidSlot (kind, item))
        return;

    clear (kind, item);
    ++marked[kind];
    ++writesMarked[kind];
    items[kind][item] = (juce::uint8) item;
    writes[kind][item] = true;
    presets[kind][item] = (juce::uint8) (isPerPresetKind (kind) && juce::isPositiveAndBelow (preset, noPreset) ? preset : noPreset);
    generations[kind][item] = ++lastGeneration;
}

void PendingRequests::clear (int kind, int item)
{
    if (! isValidSlot (kind, item))
        return;

    if (items[kind][item] != 0xFF)
    {
        --marked[kind];

        if (writes[kind][item])
            --writesMarked[kind];
    }

    items[kind][item] = 0xFF;
    writes[kind][item] = false;
    presets[kind][item] = noPreset;
    generations[kind][item] = 0;
}

PendingRequests::PendingRequests()
{
    std::fill (std::begin (marked), std::end (marked), 1);
    clearAll();
}

void PendingRequests::clearKind (int kind)
{
    // A kind without a mark is clear already: every entry's direction, preset and generation go
    // back to their defaults when its mark is cleared.
    if (! juce::isPositiveAndBelow (kind, numKinds) || marked[kind] == 0)
        return;

    std::fill (std::begin (items[kind]), std::end (items[kind]), (juce::uint8) 0xFF);
    std::fill (std::begin (writes[kind]), std::end (writes[kind]), false);
    std::fill (std::begin (presets[kind]), std::end (presets[kind]), (juce::uint8) noPreset);
    std::fill (std::begin (generations[kind]), std::end (generations[kind]), 0u);
    marked[kind] = 0;
    writesMarked[kind] = 0;
}

void PendingRequests::clearAll()
{
    for (int kind = 0; kind < numKinds; ++kind)
        clearKind (kind);
}

bool PendingRequests::isPending (int kind, int item) const
{
    return isValidSlot (kind, item) && items[kind][item] != 0xFF;
}

bool PendingRequests::isWrite (int kind, int item) const
{
    return isPending (kind, item) && writes[kind][item];
}

bool PendingRequests::hasAny (int kind) const
{
    return juce::isPositiveAndBelow (kind, numKinds) && marked[kind] > 0;
}

bool PendingRequests::hasReads (int kind) const
{
    return hasAny (kind) && marked[kind] > writesMarked[kind];
}

int PendingRequests::getPreset (int kind, int item) const
{
    return isWrite (kind, item) ? (int) presets[kind][item] : noPreset;
}

juce::uint32 PendingRequests::getGeneration (int kind, int item) const
{
    return isWrite (kind, item) ? generations[kind][item] : 0;
}

int PendingRequests::lowestWriteKind() const
{
    for (int kind = 0; kind < numKinds; ++kind)
        if (writesMarked[kind] > 0)
            return kind;

    return 0xFF;
}

bool PendingRequests::hasWritesForPreset (int preset) const
{
    for (int kind = 0; kind < numKinds; ++kind)
        if (isPerPresetKind (kind) && writesMarked[kind] > 0)
            for (int item = 0; item < numItems; ++item)
                if (getPreset (kind, item) == preset)
                    return true;

    return false;
}

juce::uint32 PendingRequests::dropWritesOfOtherPresets (int keepPreset)
{
    juce::uint32 dropped = 0;

    for (int kind = 0; kind < numKinds; ++kind)
    {
        if (! isPerPresetKind (kind) || writesMarked[kind] == 0)
            continue;

        for (int item = 0; item < numItems; ++item)
        {
            const int preset = getPreset (kind, item);

            if (isWrite (kind, item) && preset != keepPreset)
            {
                if (preset < 32)
                    dropped |= 1u << preset;

                clear (kind, item);
            }
        }
    }

    return dropped;
}

int PendingRequests::firstItem (int kind) const
{
    if (hasAny (kind))
        for (int i = 0; i < numItems; ++i)
            if (items[kind][i] != 0xFF)
                return items[kind][i];

    return 0xFF;
}

int PendingRequests::firstItem (int kind, bool write) const
{
    if (hasAny (kind) && (! write || writesMarked[kind] > 0))
        for (int i = 0; i < numItems; ++i)
            if (items[kind][i] != 0xFF && writes[kind][i] == write)
                return items[kind][i];

    return 0xFF;
}

int PendingRequests::firstDirection (int kind) const
{
    auto item = firstItem (kind);
    return (item != 0xFF && isWrite (kind, item)) ? 3 : 2;
}

//==============================================================================
void packValue32 (juce::uint32 value, juce::uint8* dest)
{
    dest[0] = (juce::uint8) (value & 0x0F);
    dest[1] = (juce::uint8) ((value >> 4) & 0x7F);
    dest[2] = (juce::uint8) ((value >> 11) & 0x7F);
    dest[3] = (juce::uint8) ((value >> 18) & 0x7F);
    dest[4] = (juce::uint8) ((value >> 25) & 0x7F);
}

void packValue16 (juce::uint16 value, juce::uint8* dest)
{
    dest[0] = (juce::uint8) (value & 0x03);
    dest[1] = (juce::uint8) ((value >> 2) & 0x7F);
    dest[2] = (juce::uint8) ((value >> 9) & 0x7F);
}

juce::uint32 unpackValue32 (const juce::uint8* src, juce::uint8& runningSum)
{
    static constexpr juce::uint32 masks[5]  = { 0x0F, 0x7F, 0x7F, 0x7F, 0x7F };
    static constexpr int shifts[5] = { 0, 4, 11, 18, 25 };
    juce::uint32 value = 0;

    for (int i = 0; i < 5; ++i)
    {
        auto bits = (juce::uint32) src[i] & masks[i];
        value |= bits << shifts[i];
        runningSum = (juce::uint8) ((runningSum + bits) & 0x7F);
    }

    return value;
}

juce::uint16 unpackValue16 (const juce::uint8* src, juce::uint8& runningSum)
{
    static constexpr juce::uint32 masks[3]  = { 0x03, 0x7F, 0x7F };
    static constexpr int shifts[3] = { 0, 2, 9 };
    juce::uint32 value = 0;

    for (int i = 0; i < 3; ++i)
    {
        auto bits = (juce::uint32) src[i] & masks[i];
        value |= bits << shifts[i];
        runningSum = (juce::uint8) ((runningSum + bits) & 0x7F);
    }

    return (juce::uint16) value;
}

juce::uint8 nibblePair (const juce::uint8* src)
{
    return (juce::uint8) ((src[0] & 0x0F) | ((src[1] & 0x0F) << 4));
}

juce::uint8 sysexChecksum (const juce::uint8* data, int from, int to)
{
    unsigned sum = 0;

    for (int i = from; i < to; ++i)
        sum += data[i];

    return (juce::uint8) (sum & 0x7F);
}
