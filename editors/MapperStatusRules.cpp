#include "editors/MapperStatusRules.h"
#include "editors/MapperFirmwareGates.h"
#include "editors/MapperRecordCodec.h"
#include "device/MidiController.h"

namespace
{
    int dataBytesOfPosition (int position)
    {
        return MidiController::getNumDataBytes ((juce::uint8) MapperRecordCodec::statusOfPosition (position));
    }
}

void MapperStatusRules::enable (std::initializer_list<Control> controls, bool enabled)
{
    for (auto control : controls)
        at (control).enabled = enabled;
}

void MapperStatusRules::untickAndDisable (std::initializer_list<Control> controls)
{
    for (auto control : controls)
    {
        at (control).enabled = false;
        at (control).ticked = false;
    }
}

MapperStatusRules::MapperStatusRules (const MapperChoices& choices, float firmware)
{
    const int p = choices.inStatus;
    const bool notesTranspose = p == MapperRecordCodec::positionNotesTranspose;
    const bool globalUpdate = p == MapperRecordCodec::positionGlobalChannelUpdate && firmware > 3.35f;

    outStatusCleared = notesTranspose || globalUpdate;
    outStatusPlaceholder = notesTranspose ? "Transposed Notes" : globalUpdate ? "Global ch. update" : "Select...";
    at (outStatus).enabled = ! outStatusCleared;
    enable ({ inValue1Min, inValue1Max, followChannel }, true);

    const bool transposeAllowed = MapperFirmwareGates::isOpen (MapperFirmwareGates::transposeChannel, firmware);
    const bool curvesAllowed = MapperFirmwareGates::isOpen (MapperFirmwareGates::curveValue1, firmware);
    at (transposeChannel).enabled = transposeAllowed;
    enable ({ curveValue1, curveValue2, userCurve1, userCurve2 }, curvesAllowed);

    if (p == MapperChoices::noChoice)
    {
        enable ({ inValue2Min, inValue2Max }, false);
        at (skip).visible = false;
        return;
    }

    bool keepOriginalTicked = choices.keepOriginal;
    applyInputStatus (choices, firmware, keepOriginalTicked);
    applyOutputStatus (choices, firmware, notesTranspose);
    applyFollows (choices, firmware);
    applyFilterOrGlobalUpdate (choices, firmware);
}

void MapperStatusRules::applyInputStatus (const MapperChoices& choices, float firmware, bool& keepOriginalTicked)
{
    const int p = choices.inStatus;
    const bool hasValue2 = p == MapperRecordCodec::positionNotesTranspose || dataBytesOfPosition (p) >= 2;

    if (! hasValue2)
    {
        // No second data byte: its range is the whole range, and output value 1 can't come from it.
        at (inValue2Min) = { false, {}, {}, 0 };
        at (inValue2Max) = { false, {}, {}, 127 };
        untickAndDisable ({ useInValue2 });
        at (skip).visible = false;
    }
    else
    {
        enable ({ inValue2Min, inValue2Max, useInValue2 }, true);

        if (p == MapperRecordCodec::positionNotesTranspose)
        {
            // Output value 1 is the transposition: nothing else can come into it.
            enable ({ outValue1Min, outValue1Max }, true);
            untickAndDisable ({ useInValue2, followValue1, invertValue1, keepOriginal, compressValue1 });
            keepOriginalTicked = false;
            at (skip).visible = MapperFirmwareGates::isOpen (MapperFirmwareGates::skip, firmware);
            return;
        }
    }

    enable ({ followValue1, invertValue1 }, true);

    if (MapperFirmwareGates::isOpen (MapperFirmwareGates::keepOriginal, firmware))
    {
        at (keepOriginal).enabled = true;
    }
    else
    {
        untickAndDisable ({ keepOriginal });
        keepOriginalTicked = false;
    }

    if (MapperFirmwareGates::isOpen (MapperFirmwareGates::compressValue1, firmware))
        enable ({ compressValue1, compressValue2 }, true);
    else
        untickAndDisable ({ compressValue1, compressValue2 });

    // Notes can be skipped, unless the original is kept.
    const bool skipShown = MapperFirmwareGates::isOpen (MapperFirmwareGates::skip, firmware)
                            && MapperRecordCodec::statusOfPosition (p) == 0x90 && ! keepOriginalTicked;
    at (skip).visible = skipShown;

    if (! skipShown)
        at (skip).position = 0;
}

void MapperStatusRules::applyOutputStatus (const MapperChoices& choices, float firmware, bool notesTranspose)
{
    if (! notesTranspose && dataBytesOfPosition (choices.outStatus) < 2)
    {
        at (outValue2Min) = { false, {}, {}, 0 };
        at (outValue2Max) = { false, {}, {}, 127 };
        untickAndDisable ({ useInValue1 });
        enable ({ followValue2, invertValue2, compressValue2 }, false);
        return;
    }

    enable ({ outValue2Min, outValue2Max, useInValue1, invertValue2 }, true);

    // A curve on value 2 takes the place of following the input.
    at (followValue2).enabled = ! choices.curveValue2;

    if (MapperFirmwareGates::isOpen (MapperFirmwareGates::compressValue2, firmware))
        at (compressValue2).enabled = true;
    else
        untickAndDisable ({ compressValue2 });
}

void MapperStatusRules::applyFollows (const MapperChoices& choices, float firmware)
{
    const bool followsValue1 = choices.followValue1 && at (followValue1).ticked.value_or (true);

    if (followsValue1)
    {
        enable ({ outValue1Min, outValue1Max, compressValue1 }, false);
    }
    else
    {
        enable ({ outValue1Min, outValue1Max }, true);

        if (! MapperFirmwareGates::isOpen (MapperFirmwareGates::compressValue1, firmware))
            untickAndDisable ({ compressValue1 });
    }

    if (choices.followValue2)
        enable ({ outValue2Min, outValue2Max, compressValue2 }, false);

    at (outChannel).enabled = ! choices.followChannel;
}

void MapperStatusRules::applyFilterOrGlobalUpdate (const MapperChoices& choices, float firmware)
{
    if (firmware <= 3.35f)
        return;

    const bool filterMessage = choices.outStatus == MapperRecordCodec::positionFilterMessage;
    const bool globalUpdate = choices.inStatus == MapperRecordCodec::positionGlobalChannelUpdate;

    if (! filterMessage && ! globalUpdate)
        return;

    enable ({ outValue1Min, outValue1Max, outValue2Min, outValue2Max, useInValue2, useInValue1, followValue1, followValue2,
              invertValue1, invertValue2, keepOriginal, compressValue1, compressValue2 }, false);

    // A filtered message is dropped: there is no original to keep.
    if (filterMessage)
        at (keepOriginal).ticked = false;

    at (skip).visible = false;
    at (skip).position = 0;
    enable ({ curveValue1, curveValue2, userCurve1, userCurve2 }, false);

    if (filterMessage)
    {
        enable ({ outChannel, followChannel, transposeChannel }, false);
    }
    else
    {
        // Only the channel changes.
        enable ({ inValue1Min, inValue1Max, inValue2Min, inValue2Max }, false);
        at (outChannel).enabled = true;
        untickAndDisable ({ followChannel });
        at (transposeChannel).enabled = true;
    }
}
