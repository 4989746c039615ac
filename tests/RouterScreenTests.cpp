#include "support/SimTestSupport.h"
#include "support/ScreenText.h"
#include "routing/RouterMidi.h"

// The router tab as it shows on the screen, read back by OCR. Each test builds a main component,
// which deletes the device object when it goes: run them one per process (ctest does).

class RouterScreen : public SimulatedAppFixture
{
protected:
    void SetUp() override
    {
        SimulatedAppFixture::SetUp();
        folder = juce::File::getSpecialLocation (juce::File::tempDirectory).getNonexistentChildFile ("pellion-router-screen-", "", false);
        folder.createDirectory();

        window = std::make_unique<juce::DocumentWindow> ("Pellion Tools", juce::Colours::black, 0);
        window->setContentNonOwned (main.get(), true);
        window->setTopLeftPosition (40, 40);
        window->setVisible (true);

        if (! ScreenText::isAvailable())
            GTEST_SKIP() << "tesseract and ImageMagick are needed (scripts/setup installs them)";
    }

    void TearDown() override
    {
        if (! keepFiles)
            folder.deleteRecursively();

        window->clearContentComponent();
        window = nullptr;
        SimulatedAppFixture::TearDown();
    }

    /** Plugs in a product of this code with host firmware 4.5; null when its full read did not end. */
    std::shared_ptr<SimulatedProductRunner> connectProduct (int productCode)
    {
        SimulatedProduct::Config config;
        config.productCode = productCode;
        config.hostFirmware = { 4, 5 };
        auto product = addProduct (config);
        return pumpUntilReadEnds (12000) ? product : nullptr;
    }

    static SimulatedProduct::UsbDeviceSpec usbDevice (juce::int32 vidPid, const char* name)
    {
        SimulatedProduct::UsbDeviceSpec spec;
        spec.vidPid = vidPid;
        spec.name = name;
        return spec;
    }

    /** Expects the text read in an area of the snapshot; a screenshot that reads wrong is kept. */
    void expectText (const juce::Image& snapshot, const juce::File& file, juce::Rectangle<int> area, const char* wanted)
    {
        const auto text = ScreenText::read (snapshot, file, area, juce::String (wanted));
        EXPECT_EQ (text, wanted) << "at " << area.toString() << " (screenshot " << file.getFullPathName() << ")";
        keepFiles = keepFiles || text != wanted;
    }

    std::unique_ptr<juce::DocumentWindow> window;
    juce::File folder;
    bool keepFiles = false;
};

TEST_F (RouterScreen, CalderWithOneDeviceShowsItsPortsTheDeviceAndTheCounts)
{
    auto product = connectProduct (productCalder);
    ASSERT_NE (product, nullptr);

    product->attachUsbDevice (usbDevice (0x05821234, "KEYBOARD"));
    ASSERT_TRUE (pumpUntil ([this] { return device().usbHostDevices[8].deviceHandle != -1; }, 3000));
    pump (300);

    auto& tab = *main->getRouter();
    auto& grid = *tab.getRouterList();
    const auto snapshot = tab.createComponentSnapshot (tab.getLocalBounds());
    const auto gridOrigin = grid.getBoundsInParent().getPosition() + tab.getViewport().getBoundsInParent().getPosition();
    const int outX = grid.getWidth() - 230;

    auto file = folder.getChildFile ("router-tab.png");
    ASSERT_TRUE (ScreenText::savePng (snapshot, file));

    struct Expected { juce::Rectangle<int> area; const char* text; };
    const Expected expected[] = {
        { { 72, 52, 140, 24 },        "USB-C Virtual In 1" },
        { { 72, 84, 140, 24 },        "USB-C Virtual In 2" },
        { { 72, 160, 140, 24 },       "MIDI In 1" },
        { { 72, 240, 140, 24 },       "KEYBOARD-1" },
        { { 34, 245, 28, 14 },        "Ports" },
        { { 72, 272, 190, 24 },       "Available host In ports: 7" },
        { { outX + 20, 52, 138, 24 }, "USB-C Virtual Out 1" },
        { { outX + 20, 160, 138, 24 },"MIDI Out 1" },
        { { outX + 20, 240, 138, 24 },"KEYBOARD-1" },
        { { outX + 168, 245, 28, 14 },"Ports" },
        { { outX, 272, 200, 24 },     "Available host Out ports: 7" },
        { { 72 + 31, 24, 112, 24 },   "USB Device Inputs" },
        { { 72 + 23, 128, 112, 24 },  "MIDI Inputs" },
        { { 72 + 31, 204, 112, 24 },  "USB-A Host Ins" },
    };

    for (auto& e : expected)
        expectText (snapshot, file, e.area + gridOrigin, e.text);

    // The input's "Ports" button is drawn in its light grey: the device has every cable enabled.
    const auto portsPixel = snapshot.getPixelAt (gridOrigin.x + 34, gridOrigin.y + 245);
    EXPECT_GT (portsPixel.getBrightness(), 0.8f) << portsPixel.toDisplayString (true);
}

TEST_F (RouterScreen, JorvekReservationViewWithADeviceOnAHub)
{
    auto product = connectProduct (productJorvek);
    ASSERT_NE (product, nullptr);

    product->attachUsbDevice (usbDevice (0x05821234, "KEYS"));

    auto pads = usbDevice (0x09E85678, "PADS");
    pads.hubId = 2;
    pads.hubPort = 3;
    pads.hubPortCount = 4;
    product->attachUsbDevice (pads);

    ASSERT_TRUE (pumpUntil ([this] { return device().usbHostDevices[1].deviceHandle != -1
                                             && device().usbHostDevices[17].deviceHandle != -1; }, 3000));
    pump (300);

    auto& tab = *main->getRouter();
    auto& grid = *tab.getRouterList();
    tab.buttonPortReservation->triggerClick();
    pump (100);
    ASSERT_TRUE (grid.isReservationViewOpen());

    auto& view = *grid.getUsbPortsReservation();
    view.autoReserveButton->triggerClick();
    pump (100);
    grid.rebuildIfScheduled();
    pump (100);

    const auto snapshot = tab.createComponentSnapshot (tab.getLocalBounds());
    auto file = folder.getChildFile ("reservation-view.png");
    ASSERT_TRUE (ScreenText::savePng (snapshot, file));

    auto areaOf = [&tab] (juce::Component& c) { return tab.getLocalArea (&c, c.getLocalBounds()); };
    const auto shown = tab.getViewport().getBounds();

    juce::Component* padsHeading = nullptr;

    for (auto& label : grid.hubLabelsIn)
        if (label->isVisible() && label->getText().startsWith ("PADS"))
            padsHeading = label.get();

    ASSERT_NE (padsHeading, nullptr);

    // Combo boxes are read without their arrow.
    struct Expected { juce::Component* component; const char* text; int trimRight; };
    const Expected expected[] = {
        { view.titleLabel.get(),            "USB-C Host Ports reservation", 0 },
        { view.inputsLabel.get(),           "Inputs", 0 },
        { view.outputsLabel.get(),          "Outputs", 0 },
        { view.inputDeviceCombos[0].get(),  "KEYS", 20 },
        { view.inputDeviceCombos[1].get(),  "PADS", 20 },
        { view.outputDeviceCombos[0].get(), "KEYS", 20 },
        { view.outputDeviceCombos[1].get(), "PADS", 20 },
        { padsHeading,                      "PADS [Hub 3/4]", 0 },
    };

    for (auto& e : expected)
    {
        const auto area = areaOf (*e.component);
        ASSERT_TRUE (e.component->isShowing()) << e.text;
        ASSERT_TRUE (shown.contains (area)) << e.text << " at " << area.toString();
        expectText (snapshot, file, area.withTrimmedRight (e.trimRight), e.text);
    }

    // The device on the hub is listed under its hub's heading, above the device on the host port.
    EXPECT_LT (view.inputDeviceCombos[1]->getY(), view.inputDeviceCombos[0]->getY());
    EXPECT_TRUE (grid.hostInLockButtons[0]->isShowing());
    EXPECT_EQ (view.messageLabel->getText(), "");
}
