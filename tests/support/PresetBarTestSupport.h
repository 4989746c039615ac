#pragma once

#include "ChainTestSupport.h"
#include "PresetFileTestSupport.h"
#include "settings/Presets.h"
#include "settings/PresetFileWriter.h"
#include "settings/PresetName.h"

/** The preset bar of a main component connected to a simulated product that it has read in full.
    File dialogs are answered with the file the test names; every dialog asked for is noted. */
class PresetBarFixture : public SimulatedAppFixture
{
protected:
    /** A simulated product whose store holds distinct values (mappers in the current format), on
        storePreset; waits until the tool has read it, then forgets what it received. */
    std::shared_ptr<SimulatedProductRunner> connect (int productCode = productJorvek, SimulatedProduct::FirmwareVersion host = { 4, 5 },
                                                     int storePreset = 1)
    {
        SimulatedProduct::Config config;
        config.productCode = productCode;
        config.hostFirmware = host;
        config.deviceFirmware = { 7, 1 };

        auto product = addProduct (config, false);
        auto store = ChainTest::patternedStore (storePreset);

        for (auto& preset : store.mappers)
            for (auto& mapper : preset)
                mapper.cfg2 = (mapper.cfg2 & 0x00FFFFFFu) | 0x5A000000u;

        for (int p = 0; p < SimulatedProduct::Settings::numPresetRows; ++p)
            packPresetName ("Stored " + juce::String (p + 1), store.presetNames[p]);

        product->getProduct().setSettings (store);
        product->plugIn();

        EXPECT_TRUE (pumpUntilReadEnds (20000)) << main->statusLabel->getText();
        EXPECT_TRUE (product->waitUntilIdle (2000));
        product->clearLogs();

        presets().showFileDialog = [this] (const Presets::FileDialogRequest& request, std::function<void (const juce::URL&)> onChosen)
        {
            dialogs.push_back (request);

            if (answerFile != juce::File())
                onChosen (juce::URL (answerFile));
        };

        return product;
    }

    Presets& presets()          { return *main->getPresets(); }

    /** The requests the product received, described (the keep-alive bytes left out). */
    static juce::String requestsOf (SimulatedProductRunner& product)
    {
        juce::StringArray requests;

        for (auto& line : juce::StringArray::fromLines (requestsReceived (product)))
            if (line.isNotEmpty() && ! line.startsWith ("short"))
                requests.add (line);

        return requests.joinIntoString ("\n");
    }
    juce::ComboBox& selector()  { return presets().presetSelector.comboBox; }

    /** Runs the message loop until the chain has ended and nothing waits to go out. */
    bool runChainToEnd (int timeoutMs = 10000)
    {
        return pumpUntil ([this] { return main->statusLabel->getText() == "-" && device().waitingForReply == 0
                                           && device().getFirstPendingKind() == 0xFF; }, timeoutMs);
    }

    /** Presses Save (answering the dialog with the file), as the user does. */
    void saveTo (const juce::File& file)
    {
        answerFile = file;
        presets().buttonSaveSinglePreset.triggerClick();
        pump (50);
    }

    /** Presses Load (answering the dialog with the file), as the user does. */
    void loadFrom (const juce::File& file)
    {
        answerFile = file;
        presets().buttonLoadSinglePreset.triggerClick();
        pump (50);
    }

    /** The file's JSON, edited. */
    static void editFile (const juce::File& file, std::function<void (juce::DynamicObject&)> edit)
    {
        auto parsed = juce::JSON::parse (file.loadFileAsString());
        edit (*parsed.getDynamicObject());
        file.replaceWithText (juce::JSON::toString (parsed));
    }

    static void setArrayValue (juce::DynamicObject& file, const char* key, int index, const juce::String& value)
    {
        file.getProperty (key).getArray()->set (index, value);
    }

    PresetFileTest::TemporaryFolder folder;
    juce::File answerFile;
    std::vector<Presets::FileDialogRequest> dialogs;
};

/** An editor that holds its edits in a one-second debounce, as the router tab does: the model
    changes at once, the items are marked when the debounce fires or the edits are flushed. */
class HeldEditEditor : public EditorPanel,
                       private juce::Timer
{
public:
    /** Flips the route from input row to output bit in the current preset. */
    void clickRoute (int row, int output)
    {
        auto& d = *MidiController::getInstance();
        d.routerMasks[d.currentPreset][row] ^= 1u << output;
        hold (kindRouter, row);
    }

    /** Holds an edit the test made in the model. */
    void hold (int kind, int item)
    {
        held.addIfNotAlreadyThere ({ kind, item });
        startTimer (1000);
    }

    void flushEdits() override
    {
        if (isTimerRunning())
            timerCallback();
    }

    void productLost() override {}
    void setEditorMode (EditorMode) override {}
    void refreshFromModel() override {}

private:
    void timerCallback() override
    {
        stopTimer();

        if (held.isEmpty())
            return;

        auto& d = *MidiController::getInstance();

        for (auto& edit : held)
            d.markForWrite (edit.first, edit.second);

        const int firstKind = held.getFirst().first;
        held.clear();
        d.sendPending (firstKind);
    }

    juce::Array<std::pair<int, int>> held;
};
