#include "support/SimTestSupport.h"

/* The full-settings window in the application, with a simulated Jorvek: opened before or after
   the product is read, refreshed by the device's events, hidden when the product goes.

   Every test here builds a main component, which deletes the device object when it goes: run them
   through ctest (one process per test) or one at a time. */

namespace
{
    constexpr int jorvekPorts = 30, jorvekHostPorts = 16, firstVirtualPort = 16;

    SimulatedProduct::Config jorvekConfig()
    {
        SimulatedProduct::Config config;
        config.productCode = productJorvek;
        config.hostFirmware = { 4, 5 };
        config.deviceFirmware = { 7, 1 };
        return config;
    }

    /** The Jorvek's store with a route, a channel filter and one mapper on the first USB-C virtual port. */
    SimulatedProduct::Settings smallSetup (const SimulatedProduct& product)
    {
        auto s = product.getDefaultSettings();
        s.routerMasks[0][firstVirtualPort] = 1u << (firstVirtualPort + 1);
        s.filterChannels[0][firstVirtualPort] = 0x8001;
        s.mappers[0][0].cfg4 = 1u << 0;
        return s;
    }
}

class FullSettingsWindow : public SimulatedAppFixture
{
protected:
    std::shared_ptr<SimulatedProductRunner> connectJorvek()
    {
        auto product = addProduct (jorvekConfig(), false);
        product->getProduct().setSettings (smallSetup (product->getProduct()));
        product->plugIn();
        return product;
    }

    FullMapWindow* window() const  { return main->fullMapWindow.get(); }
    FullMapList& list() const      { return main->getFullMap()->getList(); }
};

TEST_F (FullSettingsWindow, OpenedBeforeConnectingShowsTheJorveksRowsOnceItIsRead)
{
    main->showFullSettings();
    ASSERT_NE (main->getFullMap(), nullptr);
    EXPECT_TRUE (window()->isVisible());
    EXPECT_EQ (window()->getName(), "Full settings");
    EXPECT_EQ (list().getNumRows(), 0);

    auto product = connectJorvek();
    ASSERT_TRUE (pumpUntilReadEnds (15000)) << main->statusLabel->getText();

    ASSERT_EQ (list().getNumRows(), jorvekPorts);
    auto& row = *list().getRow (firstVirtualPort);
    EXPECT_EQ (row.inputChannelList.getText(), "1, 16");
    EXPECT_EQ (row.shownMapperCount, 1);
    EXPECT_EQ (list().getRouteLines().getLines (device(), jorvekPorts).size(), 1u);
    EXPECT_EQ (window()->getName(), "Full settings [Active preset: 1]");

    if (! window()->isVisible())
        main->showFullSettings();

    EXPECT_TRUE (window()->isVisible());
    EXPECT_TRUE (main->getFullMap()->createComponentSnapshot (main->getFullMap()->getLocalBounds()).isValid());

    // A device plugged into the product names its host slot's row.
    SimulatedProduct::UsbDeviceSpec keys;
    keys.name = "Studio Keys 61";
    product->attachUsbDevice (keys);
    ASSERT_TRUE (pumpUntil ([this] { return list().getRow (0)->inputName.getText() == "Studio Keys 61-1"; }, 3000))
        << list().getRow (0)->inputName.getText();
}

TEST_F (FullSettingsWindow, ARefreshWithoutProductPortsHidesTheWindowAndLeavesItsRows)
{
    auto product = connectJorvek();
    ASSERT_TRUE (pumpUntilReadEnds (15000));

    main->showFullSettings();
    ASSERT_TRUE (window()->isVisible());
    list().toggleInputHighlight (3);
    auto* firstRow = list().getRow (0);

    product->unplug();
    ASSERT_TRUE (pumpUntil ([this] { return device().productCode == productNone; }, 3000));
    ASSERT_TRUE (pumpUntil ([this] { return ! window()->isVisible(); }, 2000)) << "the lost product hid the window";

    EXPECT_EQ (window()->getName(), "Full settings");
    EXPECT_TRUE (main->fullSettingsShown) << "only the close button clears the flag";
    EXPECT_EQ (list().getRow (0), firstRow) << "no row was touched";
    EXPECT_EQ (list().getHighlightedInput(), 3);

    // Hidden, it stays hidden: a refresh only hides a visible window.
    main->getFullMap()->refresh();
    EXPECT_FALSE (window()->isVisible());
}

TEST_F (FullSettingsWindow, ClosingHidesTheSameWindowWithItsRowsAndHighlight)
{
    connectJorvek();
    ASSERT_TRUE (pumpUntilReadEnds (15000));

    main->showFullSettings();
    auto* shown = window();
    list().toggleOutputHighlight (20);
    auto* row = list().getRow (20);

    shown->closeButtonPressed();
    EXPECT_FALSE (shown->isVisible());
    EXPECT_FALSE (main->fullSettingsShown);

    // Editors keep refreshing a hidden window.
    main->presets->presetFileNames[0] = "live set.pvp";
    device().filterChannels[0][20] = 0x0004;
    main->getFullMap()->refresh();
    EXPECT_EQ (shown->getName(), "Full settings [Active preset: 1][live set.pvp]");
    EXPECT_EQ (row->inputChannelList.getText(), "3");

    main->showFullSettings();
    EXPECT_EQ (window(), shown);
    EXPECT_TRUE (shown->isVisible());
    EXPECT_EQ (list().getRow (20), row);
    EXPECT_EQ (list().getHighlightedOutput(), 20);

    main->fullMapWindow = nullptr;
    EXPECT_FALSE (main->fullSettingsShown) << "the window's end clears the flag";
}

TEST_F (FullSettingsWindow, AFactoryResetShowsTheDefaultsAtOnce)
{
    connectJorvek();
    ASSERT_TRUE (pumpUntilReadEnds (15000));
    main->showFullSettings();
    ASSERT_EQ (list().getRow (firstVirtualPort)->inputChannelList.getText(), "1, 16");

    main->buttonReset->triggerClick();
    ASSERT_TRUE (pumpUntil ([this] { return list().getRow (firstVirtualPort)->inputChannelList.getText() == "No channel filtered"; }, 3000));
    EXPECT_EQ (list().getNumRows(), jorvekPorts);
}

TEST_F (FullSettingsWindow, ShowingTheWindowAgainTitlesItWithThePresetsFileName)
{
    connectJorvek();
    ASSERT_TRUE (pumpUntilReadEnds (15000));
    main->showFullSettings();
    window()->closeButtonPressed();

    // Saved to a file while the window was hidden, with nothing else changed.
    main->presets->presetFileNames[0] = "stage.pvp";
    main->showFullSettings();

    EXPECT_TRUE (window()->isVisible());
    EXPECT_EQ (window()->getName(), "Full settings [Active preset: 1][stage.pvp]");
}
