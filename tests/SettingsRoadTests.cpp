#include "support/SimTestSupport.h"
#include "settings/UsbProductName.h"

// The Settings page against the simulated product: what the page shows after the product was read,
// and what the product's own store holds after the user's choices. Every test here builds a main
// component, which deletes the device object when it goes: run them through ctest (one process per
// test) or one at a time.

namespace
{
    constexpr int norrimPreset = 2;

    juce::String hex (juce::uint32 value) { return "0x" + juce::String::toHexString (value).toUpperCase(); }

    /** A user's choice in a list: the list tells its listeners. */
    void choose (juce::ComboBox& list, int itemIndex)
    {
        list.setSelectedItemIndex (itemIndex, juce::sendNotificationSync);
    }
}

class SettingsRoad : public SimulatedAppFixture
{
protected:
    /** A Norrim on its third preset, every TRS output Type A and a USB product name of the user's,
        read in full. */
    std::shared_ptr<SimulatedProductRunner> connectNorrim()
    {
        SimulatedProduct::Config config;
        config.productCode = productNorrim;
        config.hostFirmware = { 4, 5 };
        config.deviceFirmware = { 7, 1 };
        auto product = addProduct (config, false);

        auto& store = product->getProduct();
        auto settings = store.getSettings();

        for (auto& word : settings.trsType)
            word = 0xFFFFFFFF;

        UsbProductName::pack ("Stage Rig", settings.usbProductName);
        store.setSettings (settings);
        store.changePresetOnProduct (norrimPreset);
        product->plugIn();
        return product;
    }

    Settings& page() { return *main->getSettings(); }

    /** Does what a user does, then waits until the product has carried out one more write and
        the tool has taken its answer. */
    ::testing::AssertionResult actAndWaitForWrite (SimulatedProductRunner& product, const std::function<void()>& act)
    {
        const auto writesBefore = product.getProduct().getAppliedWrites().size();
        act();

        const bool done = pumpUntil ([&]
        {
            return product.getProduct().getAppliedWrites().size() > writesBefore && device().waitingForReply == 0
                     && device().getFirstPendingKind() == 0xFF;
        }, 3000);

        if (! done)
            return ::testing::AssertionFailure() << "no write reached the product; status \"" << main->statusLabel->getText() << "\"";

        return ::testing::AssertionSuccess();
    }

    juce::String lastWrite (SimulatedProductRunner& product)
    {
        const auto writes = product.getProduct().getAppliedWrites();
        return writes.isEmpty() ? juce::String() : SimulatedProduct::describe (writes.getLast());
    }
};

TEST_F (SettingsRoad, TheUsbProductNameIsReadFromAndWrittenToTheDeviceCore)
{
    auto product = connectNorrim();
    ASSERT_TRUE (pumpUntilReadEnds (15000)) << main->statusLabel->getText();
    auto& settings = page();
    auto& editor = settings.usbNameEditor.editor;

    // The name the device core holds is shown; it is not the default, so it can be reset.
    EXPECT_EQ (editor.getText(), "Stage Rig");
    EXPECT_FALSE (settings.applyButton.isEnabled());
    EXPECT_TRUE (settings.resetButton.isEnabled());

    const int deviceCore = product->getProduct().getDeviceCoreId();
    const int hostCore = product->getProduct().getHostId();

    editor.selectAll();
    editor.insertTextAtCaret ("FOH Left");
    pump (20);
    ASSERT_TRUE (settings.applyButton.isEnabled());

    ASSERT_TRUE (actAndWaitForWrite (*product, [&] { settings.applyButton.triggerClick(); }));
    EXPECT_EQ (ports->getSentRequests (deviceCore, SYSX_TYPE_WRITE, kindUsbProductName).size(), 1u);
    EXPECT_TRUE (ports->getSentRequests (hostCore, SYSX_TYPE_WRITE, kindUsbProductName).empty());

    juce::uint32 expected[6] = {};
    UsbProductName::pack ("FOH Left", expected);
    const auto stored = product->getProduct().getSettings();

    for (int w = 0; w < 6; ++w)
        EXPECT_EQ (hex (stored.usbProductName[w]), hex (expected[w])) << "word " << w;

    EXPECT_TRUE (main->deviceAlerts.contains ("Please disconnect and reconnected the device after you changed USB product name"));
    EXPECT_FALSE (settings.applyButton.isEnabled());
    EXPECT_TRUE (settings.resetButton.isEnabled());

    // Reset gives the device core the default name, after which there is nothing left to reset.
    ASSERT_TRUE (actAndWaitForWrite (*product, [&] { settings.resetButton.triggerClick(); }));
    EXPECT_EQ (UsbProductName::unpack (product->getProduct().getSettings().usbProductName), "Norrim-Pro");
    EXPECT_EQ (editor.getText(), "Norrim-Pro");
    EXPECT_FALSE (settings.applyButton.isEnabled());
    EXPECT_FALSE (settings.resetButton.isEnabled());
}

TEST_F (SettingsRoad, PanelChoicesReachTheStoreOfTheProductsCurrentPreset)
{
    auto product = connectNorrim();
    ASSERT_TRUE (pumpUntilReadEnds (15000)) << main->statusLabel->getText();
    ASSERT_EQ (device().currentPreset, norrimPreset);

    auto& settings = page();
    auto& presets = *settings.getPresetsPanel();
    auto& trs = *settings.getTrsPanel();
    auto& sync24 = *settings.getSync24Panel();
    auto& power = *settings.getPowerDownPanel();

    // TRS Output 12 made Type B.
    choose (trs.outputList, 1);
    ASSERT_TRUE (trs.typeBButton.isEnabled());
    ASSERT_TRUE (actAndWaitForWrite (*product, [&] { trs.typeBButton.triggerClick(); }));
    EXPECT_EQ (lastWrite (*product), "preset 2 kind 5 item 0: 0xF7FFFFFF");

    // Sync-24 on, then triggered by the first MIDI input.
    ASSERT_TRUE (actAndWaitForWrite (*product, [&] { sync24.outputToggle.triggerClick(); }));
    ASSERT_TRUE (sync24.inputList.isEnabled());
    ASSERT_TRUE (actAndWaitForWrite (*product, [&] { choose (sync24.inputList, 32); }));
    EXPECT_EQ (lastWrite (*product), "preset 2 kind 6 item 0: 0x80000020");

    // Power down after 1h30m, woken up by USB activity.
    ASSERT_TRUE (actAndWaitForWrite (*product, [&] { power.wakeUpToggle.triggerClick(); }));
    ASSERT_TRUE (actAndWaitForWrite (*product, [&] { choose (power.timeList, 4); }));
    EXPECT_EQ (lastWrite (*product), "preset 2 kind 10 item 0: 0x0000016A");

    // Presets changed from MIDI: the product-wide word keeps the current preset in bits 0-4.
    ASSERT_TRUE (actAndWaitForWrite (*product, [&] { presets.enableToggle.triggerClick(); }));

    const auto stored = product->getProduct().getSettings();
    EXPECT_EQ (hex (stored.trsType[norrimPreset]), "0xF7FFFFFF");
    EXPECT_EQ (hex (stored.sync24[norrimPreset]), "0x80000020");
    EXPECT_EQ (hex (stored.powerDown[norrimPreset]), "0x16A");
    EXPECT_EQ (hex (stored.presetSetting), "0x4322");

    // The other presets' words are not touched.
    EXPECT_EQ (hex (stored.trsType[0]), "0xFFFFFFFF");
    EXPECT_EQ (hex (stored.sync24[0]), "0x0");
    EXPECT_EQ (hex (stored.powerDown[0]), "0x0");
}
