// Feeds arbitrary bytes to the preset file reader as the content of a preset file, loaded
// without sending into the current preset of a connected device model.
//
// The first input byte picks the situation: the product (each host product, none, a product in
// upgrade mode), the host firmware and the current preset. A refused file must leave the model
// and the preset's file records exactly as they were; no load, refused or not, may leave a mark
// in the pending table.

#include "settings/PresetFileLoader.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

namespace
{
    MidiController& deviceObject()
    {
        // The device object is deleted at exit, before the framework shuts down.
        static auto* const device = []
        {
            juce::MessageManager::getInstance();
            auto* instance = MidiController::getInstance();
            std::atexit ([]
            {
                MidiController::deleteInstance();
                juce::MessageManager::deleteInstance();
            });
            return instance;
        }();

        return *device;
    }

    /** A copy of the device model's tables, kept without allocating. */
    struct ModelCopy
    {
        void take (const MidiController& d)
        {
            std::memcpy (routerMasks, d.routerMasks, sizeof (routerMasks));
            std::memcpy (filterChannels, d.filterChannels, sizeof (filterChannels));
            std::memcpy (filterStatus, d.filterStatus, sizeof (filterStatus));
            std::memcpy (mapperRecords, d.mapperRecords, sizeof (mapperRecords));
            std::memcpy (presetNames, d.presetNames, sizeof (presetNames));
            std::memcpy (trsType, d.trsType, sizeof (trsType));
            std::memcpy (sync24, d.sync24, sizeof (sync24));
            std::memcpy (powerDown, d.powerDown, sizeof (powerDown));
            presetSetting = d.presetSetting;
            currentPreset = d.currentPreset;
        }

        bool equals (const MidiController& d) const
        {
            return std::memcmp (routerMasks, d.routerMasks, sizeof (routerMasks)) == 0
                && std::memcmp (filterChannels, d.filterChannels, sizeof (filterChannels)) == 0
                && std::memcmp (filterStatus, d.filterStatus, sizeof (filterStatus)) == 0
                && std::memcmp (mapperRecords, d.mapperRecords, sizeof (mapperRecords)) == 0
                && std::memcmp (presetNames, d.presetNames, sizeof (presetNames)) == 0
                && std::memcmp (trsType, d.trsType, sizeof (trsType)) == 0
                && std::memcmp (sync24, d.sync24, sizeof (sync24)) == 0
                && std::memcmp (powerDown, d.powerDown, sizeof (powerDown)) == 0
                && presetSetting == d.presetSetting && currentPreset == d.currentPreset;
        }

        juce::uint32 routerMasks[MidiController::numPresetRows][MidiController::numRouterRows];
        juce::uint16 filterChannels[MidiController::numPresetRows][MidiController::numFilterEntries];
        juce::uint32 filterStatus[MidiController::numPresetRows][MidiController::numFilterEntries];
        MapperRecord mapperRecords[MidiController::numPresetRows][MidiController::numMapperSlots];
        juce::uint32 presetNames[MidiController::numPresetRows][4];
        juce::int32 trsType[MidiController::numPresetRows], sync24[MidiController::numPresetRows], powerDown[MidiController::numPresetRows];
        juce::uint32 presetSetting = 0;
        juce::uint8 currentPreset = 0;
    };

    /** What a load may change of the records: the preset's entries and the shared words. */
    struct RecordsCopy
    {
        void take (const PresetFileRecords& r, int p)
        {
            const auto& s = r.fileSnapshot;
            url = r.presetFileUrls[p];
            fileName = r.presetFileNames[p];
            presetName = s.filePresetNames[p];
            std::memcpy (routerMasks, s.fileRouterMasks[p], sizeof (routerMasks));
            std::memcpy (filterChannels, s.fileFilterChannels[p], sizeof (filterChannels));
            std::memcpy (filterStatus, s.fileFilterStatus[p], sizeof (filterStatus));
            std::memcpy (mapperRecords, s.fileMapperRecords[p], sizeof (mapperRecords));
            shared[0] = s.filePresetSetting;
            shared[1] = (juce::uint32) s.fileTrsType;
            shared[2] = (juce::uint32) s.fileSync24;
            shared[3] = (juce::uint32) s.filePowerDown;
        }

        bool equals (const PresetFileRecords& r, int p) const
        {
            const auto& s = r.fileSnapshot;
            return url == r.presetFileUrls[p] && fileName == r.presetFileNames[p] && presetName == s.filePresetNames[p]
                && std::memcmp (routerMasks, s.fileRouterMasks[p], sizeof (routerMasks)) == 0
                && std::memcmp (filterChannels, s.fileFilterChannels[p], sizeof (filterChannels)) == 0
                && std::memcmp (filterStatus, s.fileFilterStatus[p], sizeof (filterStatus)) == 0
                && std::memcmp (mapperRecords, s.fileMapperRecords[p], sizeof (mapperRecords)) == 0
                && shared[0] == s.filePresetSetting && shared[1] == (juce::uint32) s.fileTrsType
                && shared[2] == (juce::uint32) s.fileSync24 && shared[3] == (juce::uint32) s.filePowerDown;
        }

        /** Puts the preset's texts back, so that every run frees what it allocated. */
        void restoreTexts (PresetFileRecords& r, int p) const
        {
            r.presetFileUrls[p] = url;
            r.presetFileNames[p] = fileName;
            r.fileSnapshot.filePresetNames[p] = presetName;
        }

        juce::String url, fileName, presetName;
        juce::uint32 routerMasks[MidiController::numRouterRows];
        juce::uint16 filterChannels[MidiController::numFilterEntries];
        juce::uint32 filterStatus[MidiController::numFilterEntries];
        MapperRecord mapperRecords[MidiController::numMapperSlots];
        juce::uint32 shared[4];
    };

    bool hasMarks (const PendingRequests& pending)
    {
        for (int kind = 0; kind < PendingRequests::numKinds; ++kind)
            if (pending.hasAny (kind))
                return true;

        return false;
    }
}

extern "C" int LLVMFuzzerTestOneInput (const uint8_t* data, size_t size)
{
    static constexpr int products[] = { 1, 2, 3, 4, 5, 6, productNone, productUpgradeMode };
    static const float versions[] = { MidiController::firmwareVersionFromDigits (0, 5), MidiController::firmwareVersionFromDigits (1, 0),
                                      MidiController::firmwareVersionFromDigits (2, 9), MidiController::firmwareVersionFromDigits (3, 7),
                                      MidiController::firmwareVersionFromDigits (3, 9), MidiController::firmwareVersionFromDigits (4, 4),
                                      MidiController::firmwareVersionFromDigits (4, 5), MidiController::firmwareVersionFromDigits (4, 6) };
    static PresetFileRecords records;
    static ModelCopy modelBefore;
    static RecordsCopy recordsBefore;

    if (size == 0)
        return 0;

    auto& d = deviceObject();
    const auto situation = data[0];
    const int preset = situation >> 6;
    d.setProductCode (products[situation & 7]);
    d.deviceMode = 1;
    d.hostFirmwareVersion = versions[(situation >> 3) & 7];
    d.currentPreset = (juce::uint8) preset;
    d.presetSetting = (d.presetSetting & ~0x1Fu) | (juce::uint32) preset;

    modelBefore.take (d);
    recordsBefore.take (records, preset);

    const auto result = PresetFileLoader::loadData (d, records, data + 1, size - 1, {}, -1, false);

    if (result.error.isNotEmpty() && (! modelBefore.equals (d) || ! recordsBefore.equals (records, preset)))
        std::abort();

    if (hasMarks (d.pendingRequests))
        std::abort();

    recordsBefore.restoreTexts (records, preset);
    return 0;
}
