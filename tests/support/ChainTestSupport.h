#pragma once

#include "SimTestSupport.h"

#include <array>
#include <map>

/** Helpers for tests of the request chain against a simulated product: readable request logs,
    a patterned store and snapshots of the tables to compare the model with the store. */
namespace ChainTest
{
    using KindCounts = std::array<int, PendingRequests::numKinds>;
    using Snapshot = std::map<juce::String, std::vector<juce::uint32>>;

    inline const juce::String timeoutStatus { "Error while reading/writing settings errorCode: 76h" };
    inline const juce::String timeoutAlert { "Sysex Timeout\nNo answer received from the connected device" };

    /** A request as a short readable text: "read 0/5", "write 0/5", "command 6", "address 3000"... */
    inline juce::String describe (const juce::MemoryBlock& block)
    {
        auto* b = static_cast<const juce::uint8*> (block.getData());
        const int size = (int) block.getSize();

        if (size < 10)
            return "short " + hexBytes (b, size);

        const int type = b[6] & 0x0F;
        const int kind = b[7];
        const auto kindAndItem = juce::String (kind) + "/" + juce::String (size >= 12 ? b[9] : -1);

        switch (type)
        {
            case SYSX_TYPE_COMMAND: return "command " + juce::String (kind);
            case SYSX_TYPE_INFO:    return "info " + juce::String (kind);
            case SYSX_TYPE_READ:    return "read " + kindAndItem;
            case SYSX_TYPE_WRITE:   return "write " + kindAndItem;
            default:                break;
        }

        switch (kind)
        {
            case SYSX_CMD_ICSP_START:          return "start";
            case SYSX_CMD_ICSP_ERASE:          return "erase";
            case SYSX_CMD_ICSP_FINISH_SUCCESS: return "finish";
            case SYSX_CMD_ICSP_WRITE:          return "program " + juce::String (b[8]) + " words";
            case SYSX_CMD_ICSP_SET_ADDRESS:
            {
                juce::uint8 unusedSum = 0;
                return "address " + juce::String::toHexString ((int) unpackValue32 (b + 8, unusedSum));
            }
            default:                           return "icsp " + juce::String (kind);
        }
    }

    /** Every request the product received, described, one per line. */
    inline juce::String requestsReceived (SimulatedProductRunner& product)
    {
        juce::StringArray result;

        for (auto& block : product.getReceivedMessages())
            result.add (describe (block));

        return result.joinIntoString ("\n");
    }

    inline juce::String lines (const juce::StringArray& texts)
    {
        return texts.joinIntoString ("\n");
    }

    /** The reads of a full read: the first kind, then every other kind in ascending order, items from 0. */
    inline juce::StringArray fullReadOf (int firstKind, const KindCounts& counts)
    {
        juce::StringArray reads;

        auto addKind = [&] (int kind)
        {
            for (int item = 0; item < counts[(size_t) kind]; ++item)
                reads.add ("read " + juce::String (kind) + "/" + juce::String (item));
        };

        addKind (firstKind);

        for (int kind = 0; kind < PendingRequests::numKinds; ++kind)
            if (kind != firstKind)
                addKind (kind);

        return reads;
    }

    /** What readAllSettings reads from a Jorvek at host firmware 4.5 and device firmware 7.1: 16 host ports
        and 14 further ports, 24 mappers, 6 presets, TRS types and power-down but no Sync-24, no curves. */
    inline const KindCounts jorvekReads { 30, 60, 60, 24, 1, 1, 0, 6, 16, 32, 1, 0, 0, 1, 0, 0, 0 };
    constexpr int jorvekPorts = 30, jorvekMappers = 24, jorvekPresets = 6, jorvekHostPorts = 16;

    /** The same for a Dorvin (8 host ports and 7 further ports, 16 mappers; no TRS types, Sync-24 or
        power-down) at host firmware 1.1 and at 0.5, both with device firmware 7.1. */
    inline const KindCounts dorvinReadsAt11 { 15, 30, 30, 16, 1, 0, 0, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0 };
    inline const KindCounts dorvinReadsAt05 { 15, 15, 15, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0 };

    inline juce::uint32 pattern (int table, int row, int item, int word = 0)
    {
        return 0x9E3779B1u * (juce::uint32) ((((table * 16 + row) * 64 + item) * 32) + word + 1);
    }

    /** A store in which every value differs from its default and from every other value. */
    inline SimulatedProduct::Settings patternedStore (int currentPreset)
    {
        using S = SimulatedProduct::Settings;
        S s;

        for (int p = 0; p < S::numPresetRows; ++p)
        {
            for (int i = 0; i < S::maxPorts; ++i)
                s.routerMasks[p][i] = pattern (kindRouter, p, i);

            for (int i = 0; i < S::maxFilterEntries; ++i)
            {
                s.filterChannels[p][i] = (juce::uint16) pattern (kindChannelFilter, p, i);
                s.filterStatus[p][i] = pattern (kindMessageFilter, p, i);
            }

            for (int m = 0; m < S::numMappers; ++m)
                for (int w = 0; w < 6; ++w)
                    s.mappers[p][m].setWord (w, pattern (kindMapper, p, m, w));

            s.trsType[p] = pattern (kindTrsType, p, 0);
            s.sync24[p] = pattern (kindSync24, p, 0);
            s.powerDown[p] = pattern (kindPowerDown, p, 0);

            for (int w = 0; w < 4; ++w)
                s.presetNames[p][w] = pattern (kindPresetName, 0, p, w);
        }

        for (int i = 0; i < S::numPortMasks; ++i)
            s.usbDevicePortMasks[i] = { (juce::int32) pattern (kindUsbDevicePorts, 0, i, 0), pattern (kindUsbDevicePorts, 0, i, 1) };

        for (int i = 0; i < S::numReservations; ++i)
            s.portReservations[i] = { (juce::int32) pattern (kindPortReservation, 0, i, 0),
                                      (juce::uint16) pattern (kindPortReservation, 0, i, 1) };

        for (int w = 0; w < 6; ++w)
            s.usbProductName[w] = pattern (kindUsbProductName, 0, 0, w);

        s.presetSetting = 0x0100C300u | (juce::uint32) currentPreset;
        return s;
    }

    /** The Jorvek's tables of one preset (and the product-wide ones), as the product keeps them. */
    inline Snapshot snapshotOf (const SimulatedProduct::Settings& s, int preset)
    {
        Snapshot snap;

        for (int i = 0; i < jorvekPorts; ++i)       snap["router"].push_back (s.routerMasks[preset][i]);
        for (int i = 0; i < 2 * jorvekPorts; ++i)   snap["channel filters"].push_back (s.filterChannels[preset][i]);
        for (int i = 0; i < 2 * jorvekPorts; ++i)   snap["message filters"].push_back (s.filterStatus[preset][i]);

        for (int m = 0; m < jorvekMappers; ++m)
            for (int w = 0; w < 6; ++w)
                snap["mappers"].push_back (s.mappers[preset][m].getWord (w));

        for (int p = 0; p < jorvekPresets; ++p)
            for (auto word : s.presetNames[p])
                snap["preset names"].push_back (word);

        for (auto& entry : s.usbDevicePortMasks)
            snap["port masks"].insert (snap["port masks"].end(), { (juce::uint32) entry.vidPid, entry.mask });

        for (int i = 0; i < 2 * jorvekHostPorts; ++i)
            snap["reservations"].insert (snap["reservations"].end(),
                                         { (juce::uint32) s.portReservations[i].vidPid, s.portReservations[i].cable });

        snap["preset setting"] = { s.presetSetting };
        snap["trs types"] = { s.trsType[preset] };
        snap["power-down"] = { s.powerDown[preset] };
        snap["usb product name"] = { std::begin (s.usbProductName), std::end (s.usbProductName) };
        return snap;
    }

    /** The same tables as the device model holds them. */
    inline Snapshot snapshotOf (const MidiController& d, int preset)
    {
        SimulatedProduct::Settings s;

        for (int i = 0; i < jorvekPorts; ++i)
            s.routerMasks[preset][i] = d.routerMasks[preset][i];

        for (int i = 0; i < 2 * jorvekPorts; ++i)
        {
            s.filterChannels[preset][i] = d.filterChannels[preset][i];
            s.filterStatus[preset][i] = d.filterStatus[preset][i];
        }

        for (int m = 0; m < jorvekMappers; ++m)
            s.mappers[preset][m] = d.mapperRecords[preset][m];

        for (int p = 0; p < jorvekPresets; ++p)
            std::copy (std::begin (d.presetNames[p]), std::end (d.presetNames[p]), s.presetNames[p]);

        std::copy (std::begin (d.usbDevicePortMasks), std::end (d.usbDevicePortMasks), s.usbDevicePortMasks);
        std::copy (std::begin (d.portReservations), std::end (d.portReservations), s.portReservations);
        std::copy (std::begin (d.usbProductName), std::end (d.usbProductName), s.usbProductName);
        s.presetSetting = d.presetSetting;
        s.trsType[preset] = (juce::uint32) d.trsType[preset];
        s.powerDown[preset] = (juce::uint32) d.powerDown[preset];
        return snapshotOf (s, preset);
    }

    inline void expectSameTables (const Snapshot& actual, const Snapshot& expected, const char* what)
    {
        for (auto& [table, words] : expected)
            EXPECT_EQ (actual.at (table), words) << what << ": " << table;
    }

    inline bool pendingTableIsEmpty (const MidiController& d)
    {
        for (int kind = 0; kind < PendingRequests::numKinds; ++kind)
            if (d.pendingRequests.hasAny (kind))
                return false;

        return true;
    }
}

using namespace ChainTest;

//==============================================================================
/** A device object talking to a simulated Jorvek (host firmware 4.5, device firmware 7.1)
    whose store holds non-default values. */
class RequestChain : public SimulatedDeviceFixture
{
protected:
    std::shared_ptr<SimulatedProductRunner> connectJorvek (int storePreset, const SimulatedProduct::Faults& faults = {})
    {
        SimulatedProduct::Config config;
        config.productCode = productJorvek;
        config.hostFirmware = { 4, 5 };
        config.deviceFirmware = { 7, 1 };

        auto product = addProduct (config);
        product->getProduct().setSettings (patternedStore (storePreset));
        product->getProduct().setFaults (faults);

        connectProduct (productJorvek, MidiController::firmwareVersionFromDigits (4, 5),
                        MidiController::firmwareVersionFromDigits (7, 1));
        EXPECT_TRUE (openPorts (*product));
        return product;
    }

    /** Runs the message loop until the chain has ended with "-" and no answer is awaited. */
    inline bool runChainToEnd (int timeoutMs = 10000)
    {
        return pumpUntil ([this] { return ui.lastStatus() == "-" && device().waitingForReply == 0
                                              && device().getFirstPendingKind() == 0xFF; }, timeoutMs);
    }

    inline void expectModelMatchesStore (SimulatedProductRunner& product)
    {
        const int preset = product.getProduct().getCurrentPreset();
        EXPECT_EQ ((int) device().currentPreset, preset);
        expectSameTables (snapshotOf (device(), preset), snapshotOf (product.getProduct().getSettings(), preset), "model");
    }
};
