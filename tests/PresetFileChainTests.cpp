#include "support/ChainTestSupport.h"
#include "settings/PresetFileLoader.h"
#include "settings/PresetFileWriter.h"

/* Preset files loaded while a simulated Jorvek is connected: what the product then receives
   and what its store holds. */

namespace
{
    /** A file written from the model's preset and edited. */
    juce::String editedFile (const MidiController& d, int preset, const juce::String& name,
                             std::function<void (juce::DynamicObject&)> edit)
    {
        auto parsed = juce::JSON::parse (PresetFileWriter::createText (d, preset, name));
        edit (*parsed.getDynamicObject());
        return juce::JSON::toString (parsed);
    }
}

class PresetFileChain : public RequestChain
{
protected:
    /** A Jorvek whose settings the model has read in full, on preset 1. */
    std::shared_ptr<SimulatedProductRunner> connectAndRead()
    {
        auto product = connectJorvek (1);

        // Mappers in the current format: a file written from them loads back unchanged.
        auto store = product->getProduct().getSettings();
        for (auto& preset : store.mappers)
            for (auto& mapper : preset)
                mapper.cfg2 = (mapper.cfg2 & 0x00FFFFFFu) | 0x5A000000u;
        product->getProduct().setSettings (store);

        device().readAllSettings();
        EXPECT_TRUE (runChainToEnd());
        product->clearLogs();
        ui.statusTexts.clear();
        return product;
    }

    PresetFileLoader::Result load (const juce::String& text)
    {
        const juce::URL source (juce::File::getSpecialLocation (juce::File::userHomeDirectory).getChildFile ("Set.pvp"));
        return PresetFileLoader::loadData (device(), records, text.toRawUTF8(), text.getNumBytesAsUTF8(), source, -1, true);
    }

    PresetFileRecords records;
};

TEST_F (PresetFileChain, TheProductReceivesTheChangedItemsNameFirst)
{
    auto product = connectAndRead();

    const auto file = editedFile (device(), 1, "Chorus", [] (juce::DynamicObject& f)
    {
        f.getProperty ("Router").getArray()->set (3, "7");
        f.getProperty ("FilterChannels").getArray()->set (4, "1");
        f.getProperty ("FilterStatus").getArray()->set (40, "2");
        f.getProperty ("Mapper")[6].getDynamicObject()->setProperty ("cfg3", "3");
        f.setProperty ("PresetSetting", "0100C3A5");
        f.setProperty ("TrsType", "FFFFFFFE");
        f.setProperty ("Power-Down", "16A");
    });

    ASSERT_EQ (load (file).error, "");
    ASSERT_TRUE (runChainToEnd());

    EXPECT_EQ (requestsReceived (*product), lines ({ "write 7/1", "write 0/3", "write 1/4", "write 2/40", "write 3/6",
                                                     "write 4/0", "write 5/0", "write 10/0" }));

    const auto store = product->getProduct().getSettings();
    EXPECT_EQ (store.routerMasks[1][3], 7u);
    EXPECT_EQ (store.filterChannels[1][4], 1);
    EXPECT_EQ (store.filterStatus[1][40], 2u);
    EXPECT_EQ (store.mappers[1][6].cfg3, 3u);
    EXPECT_EQ (store.presetSetting, 0x0100C3A1u);
    EXPECT_EQ (store.trsType[1], 0xFFFFFFFEu);
    EXPECT_EQ (store.powerDown[1], 0x16Au);
    EXPECT_EQ (product->getProduct().getCurrentPreset(), 1);
    expectModelMatchesStore (*product);
}

TEST_F (PresetFileChain, AFileThatDiffersOnlyInTrsTypesSendsOneWrite)
{
    auto product = connectAndRead();

    ASSERT_EQ (load (editedFile (device(), 1, "", [] (juce::DynamicObject& f) { f.setProperty ("TrsType", "0"); })).error, "");
    ASSERT_TRUE (runChainToEnd());

    EXPECT_EQ (requestsReceived (*product), "write 5/0");
    EXPECT_EQ (product->getProduct().getSettings().trsType[1], 0u);
    expectModelMatchesStore (*product);
}

TEST_F (PresetFileChain, AFileEqualToTheModelSendsNothing)
{
    auto product = connectAndRead();

    ASSERT_EQ (load (PresetFileWriter::createText (device(), 1, "")).error, "");
    pump (100);

    EXPECT_EQ (requestsReceived (*product), "");
    EXPECT_TRUE (pendingTableIsEmpty (device()));
}

TEST_F (PresetFileChain, AnOldFormatFileWritesTheConvertedMappers)
{
    auto product = connectAndRead();

    const auto result = load (editedFile (device(), 1, "", [] (juce::DynamicObject& f)
    {
        f.getProperty ("Mapper")[2].getDynamicObject()->setProperty ("cfg2", "77FF1234");
    }));

    ASSERT_EQ (result.error, "");
    EXPECT_EQ (result.saveDialogTitle, "Update preset file with new format...");
    ASSERT_TRUE (runChainToEnd());

    EXPECT_EQ (requestsReceived (*product), "write 3/2");
    EXPECT_EQ (product->getProduct().getSettings().mappers[1][2].cfg2, 0x5A001234u);
    expectModelMatchesStore (*product);
}
