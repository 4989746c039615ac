#include "support/ChainTestSupport.h"

#include <set>
#include <tuple>

/* A long seeded run against a simulated Jorvek: random edits, preset changes made in the tool and on
   the product, and answers that come late, get lost or arrive twice. Two things must hold:
   - once the chain is idle, the product's store equals the model for every item that was read or
     written since it last could have been lost (a timeout, or edits dropped for a preset the
     product left);
   - the product never carries out a write whose value was not read or edited for that preset. */

namespace
{
    using Values = std::vector<juce::uint32>;
    using Key = std::tuple<int, int, int>;   // preset (-1: product-wide), kind, item

    struct EditableKind
    {
        int kind, items;
    };

    const EditableKind editableKinds[] = {
        { kindRouter, 30 }, { kindChannelFilter, 60 }, { kindMessageFilter, 60 }, { kindMapper, 24 },
        { kindTrsType, 1 }, { kindPowerDown, 1 }, { kindPresetName, 6 }, { kindUsbDevicePorts, 16 },
        { kindPortReservation, 32 }, { kindUsbProductName, 1 }
    };

    Values modelValues (const MidiController& d, int preset, int kind, int item)
    {
        switch (kind)
        {
            case kindRouter:          return { d.routerMasks[preset][item] };
            case kindChannelFilter:   return { d.filterChannels[preset][item] };
            case kindMessageFilter:   return { d.filterStatus[preset][item] };
            case kindMapper:
            {
                Values v;
                for (int w = 0; w < 6; ++w)
                    v.push_back (d.mapperRecords[preset][item].getWord (w));
                return v;
            }
            case kindPresetSetting:   return { d.presetSetting };
            case kindTrsType:         return { (juce::uint32) d.trsType[preset] };
            case kindPowerDown:       return { (juce::uint32) d.powerDown[preset] };
            case kindPresetName:      return { std::begin (d.presetNames[item]), std::end (d.presetNames[item]) };
            case kindUsbDevicePorts:  return { (juce::uint32) d.usbDevicePortMasks[item].vidPid, d.usbDevicePortMasks[item].mask };
            case kindPortReservation: return { (juce::uint32) d.portReservations[item].vidPid, d.portReservations[item].cable };
            case kindUsbProductName:  return { std::begin (d.usbProductName), std::end (d.usbProductName) };
            default:                  return {};
        }
    }

    Values storeValues (const SimulatedProduct::Settings& s, int preset, int kind, int item)
    {
        switch (kind)
        {
            case kindRouter:          return { s.routerMasks[preset][item] };
            case kindChannelFilter:   return { s.filterChannels[preset][item] };
            case kindMessageFilter:   return { s.filterStatus[preset][item] };
            case kindMapper:
            {
                Values v;
                for (int w = 0; w < 6; ++w)
                    v.push_back (s.mappers[preset][item].getWord (w));
                return v;
            }
            case kindPresetSetting:   return { s.presetSetting };
            case kindTrsType:         return { s.trsType[preset] };
            case kindPowerDown:       return { s.powerDown[preset] };
            case kindPresetName:      return { std::begin (s.presetNames[item]), std::end (s.presetNames[item]) };
            case kindUsbDevicePorts:  return { (juce::uint32) s.usbDevicePortMasks[item].vidPid, s.usbDevicePortMasks[item].mask };
            case kindPortReservation: return { (juce::uint32) s.portReservations[item].vidPid, s.portReservations[item].cable };
            case kindUsbProductName:  return { std::begin (s.usbProductName), std::end (s.usbProductName) };
            default:                  return {};
        }
    }

    /** Gives an item new random values in the model, as an editor would. */
    void editModel (MidiController& d, int kind, int item, juce::Random& random)
    {
        const int p = d.currentPreset;
        auto word = [&random] { return (juce::uint32) random.nextInt(); };

        switch (kind)
        {
            case kindRouter:          d.routerMasks[p][item] = word(); break;
            case kindChannelFilter:   d.filterChannels[p][item] = (juce::uint16) word(); break;
            case kindMessageFilter:   d.filterStatus[p][item] = word(); break;
            case kindMapper:          for (int w = 0; w < 6; ++w) d.mapperRecords[p][item].setWord (w, word()); break;
            case kindTrsType:         d.trsType[p] = (juce::int32) word(); break;
            case kindPowerDown:       d.powerDown[p] = (juce::int32) word(); break;
            case kindPresetName:      for (auto& w : d.presetNames[item]) w = word(); break;
            case kindUsbDevicePorts:  d.usbDevicePortMasks[item] = { (juce::int32) word(), word() }; break;
            case kindPortReservation: d.portReservations[item] = { (juce::int32) word(), (juce::uint16) word() }; break;
            case kindUsbProductName:  for (auto& w : d.usbProductName) w = word(); break;
            default:                  break;
        }
    }

    bool isPresetKind (int kind)
    {
        return isPerPresetKind (kind);
    }

    /** A value no store holds, for an item the model has not read yet. */
    juce::uint32 unreadValue (int preset, int kind, int item, int word)
    {
        return 0xBAD00000u ^ (juce::uint32) ((((preset + 1) * 16 + kind) * 64 + item) * 8 + word);
    }

    /** Fills every item of the model with its unread value. */
    void fillModelWithUnreadValues (MidiController& d)
    {
        for (int p = 0; p < MidiController::numPresetRows; ++p)
        {
            for (int i = 0; i < MidiController::numRouterRows; ++i)
                d.routerMasks[p][i] = unreadValue (p, kindRouter, i, 0);

            for (int i = 0; i < MidiController::numFilterEntries; ++i)
            {
                d.filterChannels[p][i] = (juce::uint16) unreadValue (p, kindChannelFilter, i, 0);
                d.filterStatus[p][i] = unreadValue (p, kindMessageFilter, i, 0);
            }

            for (int m = 0; m < MidiController::numMapperSlots; ++m)
                for (int w = 0; w < 6; ++w)
                    d.mapperRecords[p][m].setWord (w, unreadValue (p, kindMapper, m, w));

            d.trsType[p] = (juce::int32) unreadValue (p, kindTrsType, 0, 0);
            d.powerDown[p] = (juce::int32) unreadValue (p, kindPowerDown, 0, 0);

            for (int w = 0; w < 4; ++w)
                d.presetNames[p][w] = unreadValue (-1, kindPresetName, p, w);
        }

        for (int i = 0; i < MidiController::numUsbDevicePortMasks; ++i)
            d.usbDevicePortMasks[i] = { (juce::int32) unreadValue (-1, kindUsbDevicePorts, i, 0), unreadValue (-1, kindUsbDevicePorts, i, 1) };

        for (int i = 0; i < MidiController::numPortReservations; ++i)
            d.portReservations[i] = { (juce::int32) unreadValue (-1, kindPortReservation, i, 0),
                                      (juce::uint16) unreadValue (-1, kindPortReservation, i, 1) };

        for (int w = 0; w < 6; ++w)
            d.usbProductName[w] = unreadValue (-1, kindUsbProductName, 0, w);
    }

    bool isUnread (const Values& values, int preset, int kind, int item)
    {
        const int row = isPresetKind (kind) ? preset : -1;

        for (size_t w = 0; w < values.size(); ++w)
        {
            const auto unread = unreadValue (row, kind, item, (int) w);
            const auto mask = kind == kindChannelFilter || (kind == kindPortReservation && w == 1) ? 0xFFFFu : 0xFFFFFFFFu;

            if (values[w] != (unread & mask))
                return false;
        }

        return true;
    }
}

class ChainProperty : public RequestChain,
                      public ::testing::WithParamInterface<int>
{
protected:
    static constexpr int presets = jorvekPresets;

    /** Every value the model held, per item. */
    std::map<Key, std::set<Values>> history;
    std::map<Key, Values> lastRecorded;
    int lastRecordedPreset = 0;
    std::set<int> presetsInStep;   // presets whose model rows equal the store once the chain is idle

    void recordItems (int preset)
    {
        for (auto& e : editableKinds)
        {
            if (isPresetKind (e.kind) != (preset >= 0))
                continue;

            for (int item = 0; item < e.items; ++item)
            {
                const Key key { preset, e.kind, item };
                auto values = modelValues (device(), juce::jmax (0, preset), e.kind, item);
                auto& last = lastRecorded[key];

                // What the model holds for an item it never read is not a value it may write.
                if (last != values)
                {
                    if (! isUnread (values, juce::jmax (0, preset), e.kind, item))
                        history[key].insert (values);

                    last = std::move (values);
                }
            }
        }

        if (preset < 0)
            history[{ -1, kindPresetSetting, 0 }].insert (modelValues (device(), 0, kindPresetSetting, 0));
    }

    /** Notes what the model holds now for the presets that can have changed, and the product-wide items. */
    void recordModel()
    {
        recordItems (lastRecordedPreset);
        recordItems (device().currentPreset);
        recordItems (-1);
        lastRecordedPreset = device().currentPreset;
    }

    juce::String describeState()
    {
        auto& d = device();
        juce::String text;
        text << "\nwaiting " << d.waitingForReply << ", awaited " << d.awaitedReply.type << "/" << d.awaitedReply.kind
             << "/" << d.awaitedReply.item << " answered " << (int) d.awaitedReply.answered
             << ", first pending kind " << (int) d.getFirstPendingKind() << ", current preset " << (int) d.currentPreset
             << ", preset setting " << juce::String::toHexString ((int) d.presetSetting) << ", timer " << (int) d.isTimerRunning();

        for (int kind = 0; kind < PendingRequests::numKinds; ++kind)
            for (int item = 0; item < PendingRequests::numItems; ++item)
                if (d.pendingRequests.isPending (kind, item))
                    text << "\n  mark " << kind << "/" << item << (d.pendingRequests.isWrite (kind, item) ? " write" : " read")
                         << " preset " << d.pendingRequests.getPreset (kind, item);

        return text;
    }

    bool chainIsIdle()
    {
        return device().waitingForReply == 0 && ! device().isAwaitingReply() && device().getFirstPendingKind() == 0xFF;
    }

    /** Edits were dropped for the presets the status line names, and a timeout drops every mark. */
    void forgetWhatMayBeLost (int& timeoutsSeen)
    {
        for (auto& text : ui.statusTexts)
        {
            const juce::String prefix ("Preset changed on the device: edits of preset ");

            if (text.startsWith (prefix))
                presetsInStep.erase (text.fromFirstOccurrenceOf (prefix, false, false).getIntValue() - 1);
        }

        if (ui.alerts.size() != (size_t) timeoutsSeen)
        {
            timeoutsSeen = (int) ui.alerts.size();
            presetsInStep.clear();
        }

        ui.statusTexts.clear();
    }

    void expectStoreEqualsModel (SimulatedProductRunner& product, int step)
    {
        const auto store = product.getProduct().getSettings();
        ASSERT_EQ (product.getProduct().getCurrentPreset(), (int) device().currentPreset) << "step " << step;

        for (auto& e : editableKinds)
        {
            for (int preset : isPresetKind (e.kind) ? presetsInStep : std::set<int> { 0 })
                for (int item = 0; item < e.items; ++item)
                    ASSERT_EQ (modelValues (device(), preset, e.kind, item), storeValues (store, preset, e.kind, item))
                        << "step " << step << ", preset " << preset << ", kind " << e.kind << ", item " << item;
        }

        ASSERT_EQ (device().presetSetting & 0x7FFFFFFFu, store.presetSetting) << "step " << step;
    }

    void expectOnlyHeldValuesWereWritten (SimulatedProductRunner& product)
    {
        for (auto& w : product.getProduct().getAppliedWrites())
        {
            const bool presetKind = isPresetKind (w.kind);
            const Key key { presetKind ? w.preset : -1, w.kind, w.item };
            const Values values (w.values.begin(), w.values.end());
            const auto& held = history[key];

            EXPECT_TRUE (held.count (values) != 0)
                << "the product got a value the model never held: preset " << w.preset << ", kind " << w.kind
                << ", item " << w.item;
        }
    }
};

TEST_P (ChainProperty, TheStoreFollowsTheModelAndNothingUnheldIsWritten)
{
    const int seed = GetParam();
    juce::Random random (seed);
    constexpr int steps = 1000, stepsPerPhase = 125;

    auto product = connectJorvek (random.nextInt (presets));
    fillModelWithUnreadValues (device());
    device().replyTimeoutScale = 0.02f;
    device().readAllSettings();
    ASSERT_TRUE (runChainToEnd());
    presetsInStep.insert (device().currentPreset);
    lastRecordedPreset = device().currentPreset;
    recordModel();

    int timeoutsSeen = (int) ui.alerts.size();
    int productPresetChanges = 0, toolPresetChanges = 0, edits = 0, checkpoints = 0;

    for (int step = 0; step < steps; ++step)
    {
        if (step % stepsPerPhase == 0)
        {
            // A phase of its own kind of trouble: clean, slow, repeated or lost answers.
            SimulatedProduct::Faults faults;
            const int trouble = random.nextInt (5);
            product->setReplyDelay (trouble == 1 ? 1 + random.nextInt (3) : 0);
            faults.repeatEveryNthAnswer = trouble == 2 ? 2 + random.nextInt (8) : 0;
            faults.dropEveryNthAnswer = trouble == 3 ? 15 + random.nextInt (45) : 0;
            product->getProduct().setFaults (faults);
        }

        recordModel();
        const int action = random.nextInt (100);

        if (action < 45)
        {
            const auto& e = editableKinds[random.nextInt ((int) std::size (editableKinds))];
            const int item = random.nextInt (e.items);
            editModel (device(), e.kind, item, random);
            device().markForWrite (e.kind, item);
            ++edits;

            if (random.nextBool())
                device().sendPending();
        }
        else if (action < 55)
        {
            device().sendPending();
        }
        else if (action < 62)
        {
            device().switchPreset (random.nextInt (presets));
            ++toolPresetChanges;
        }
        else if (action < 66)
        {
            // The product's own controls change its preset once the chain is idle; the tool asks at once.
            device().sendPending();

            if (pumpUntil ([this] { recordModel(); return chainIsIdle(); }, 2000))
            {
                product->changePresetOnProduct (random.nextInt (presets));
                device().markForRead (kindPresetSetting, 0);
                device().sendPending (kindPresetSetting);
                ++productPresetChanges;
            }
        }
        else
        {
            pump (random.nextInt (6));
        }

        recordModel();

        if ((step + 1) % stepsPerPhase == 0 || step == steps - 1)
        {
            // Checkpoint: the trouble stops, what waits is flushed, and the chain runs dry.
            product->getProduct().setFaults ({});
            product->setReplyDelay (0);
            device().sendPending();
            ASSERT_TRUE (pumpUntil ([this] { recordModel(); return chainIsIdle(); }, 5000)) << "step " << step << describeState();
            ASSERT_TRUE (product->waitUntilIdle (2000));
            pump (5);
            recordModel();
            forgetWhatMayBeLost (timeoutsSeen);

            if (presetsInStep.empty())
            {
                // After a timeout the user reads the settings again.
                device().readAllSettings();
                ASSERT_TRUE (pumpUntil ([this] { recordModel(); return chainIsIdle(); }, 5000)) << "step " << step;
                recordModel();
                forgetWhatMayBeLost (timeoutsSeen);
            }

            presetsInStep.insert (device().currentPreset);
            expectStoreEqualsModel (*product, step);
            ++checkpoints;
        }
    }

    expectOnlyHeldValuesWereWritten (*product);

    // The run did meet what it is about.
    std::cout << "[ seed " << seed << " ] " << edits << " edits, " << toolPresetChanges << " preset changes in the tool, "
              << productPresetChanges << " on the product, " << ui.alerts.size() << " timeouts, "
              << product->getProduct().getAppliedWrites().size() << " writes carried out, " << checkpoints << " checkpoints\n";
    EXPECT_GT (edits, 300);
    EXPECT_GT (toolPresetChanges, 20);
    EXPECT_GT (productPresetChanges, 10);
    EXPECT_GT (product->getProduct().getAppliedWrites().size(), 100);
}

INSTANTIATE_TEST_SUITE_P (Seeds, ChainProperty, ::testing::Values (1, 2, 3, 4));
