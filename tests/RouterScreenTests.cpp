#include "support/SimTestSupport.h"
#include "routing/RouterMidi.h"

// The router tab as it shows on the screen, read back by OCR. Each test builds a main component,
// which deletes the device object when it goes: run them one per process (ctest does).

namespace
{
    juce::String findTool (const juce::String& name)
    {
        for (auto folder : { "/usr/bin", "/usr/local/bin", "/bin" })
            if (auto file = juce::File (folder).getChildFile (name); file.existsAsFile())
                return file.getFullPathName();

        return {};
    }

    /** The text in an area of a saved screenshot, read by OCR: light text on a dark background is
        made dark on light first, as the reader takes it best. */
    juce::String readText (const juce::Image& image, const juce::File& imageFile, juce::Rectangle<int> area, int threshold)
    {
        float brightness = 0.0f;
        int samples = 0;

        for (int y = area.getY(); y < area.getBottom(); y += 2)
            for (int x = area.getX(); x < area.getRight(); x += 2, ++samples)
                brightness += image.getPixelAt (x, y).getBrightness();

        auto prepared = imageFile.getSiblingFile ("prepared.png");
        juce::StringArray convert { findTool ("convert"), imageFile.getFullPathName(), "-crop",
                                    juce::String (area.getWidth()) + "x" + juce::String (area.getHeight())
                                        + "+" + juce::String (area.getX()) + "+" + juce::String (area.getY()),
                                    "+repage", "-colorspace", "Gray" };

        const bool darkBackground = brightness / (float) juce::jmax (1, samples) < 0.5f;

        if (darkBackground)
            convert.add ("-negate");

        convert.addArray ({ "-resize", "400%", "-threshold", juce::String (darkBackground ? threshold + 15 : threshold) + "%",
                            "-bordercolor", "white", "-border", "12", prepared.getFullPathName() });
        juce::ChildProcess c;

        if (! c.start (convert) || ! c.waitForProcessToFinish (15000))
            return {};

        juce::ChildProcess ocr;

        if (! ocr.start (juce::StringArray { "env", "OMP_THREAD_LIMIT=1", findTool ("tesseract"), prepared.getFullPathName(),
                                             "stdout", "--psm", "7" }))
            return {};

        auto text = ocr.readAllProcessOutput();
        ocr.waitForProcessToFinish (15000);
        return text.trim();
    }

    /** The text read in the area; the reader gets two binarisations before it is taken at its word. */
    juce::String readText (const juce::Image& image, const juce::File& imageFile, juce::Rectangle<int> area,
                           const juce::String& wanted)
    {
        juce::String text;

        for (int threshold : { 50, 45 })
            if ((text = readText (image, imageFile, area, threshold)) == wanted)
                break;

        return text;
    }
}

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
    }

    void TearDown() override
    {
        if (! keepFiles)
            folder.deleteRecursively();

        window->clearContentComponent();
        window = nullptr;
        SimulatedAppFixture::TearDown();
    }

    std::unique_ptr<juce::DocumentWindow> window;
    juce::File folder;
    bool keepFiles = false;
};

TEST_F (RouterScreen, CalderWithOneDeviceShowsItsPortsTheDeviceAndTheCounts)
{
    if (findTool ("tesseract").isEmpty() || findTool ("convert").isEmpty())
        GTEST_SKIP() << "tesseract and ImageMagick are needed (scripts/setup installs them)";

    SimulatedProduct::Config config;
    config.productCode = productCalder;
    config.hostFirmware = { 4, 5 };
    auto product = addProduct (config);
    ASSERT_TRUE (pumpUntilReadEnds (12000));

    SimulatedProduct::UsbDeviceSpec keys;
    keys.vidPid = 0x05821234;
    keys.name = "KEYBOARD";
    product->attachUsbDevice (keys);
    ASSERT_TRUE (pumpUntil ([this] { return device().usbHostDevices[8].deviceHandle != -1; }, 3000));
    pump (300);

    auto& tab = *main->getRouter();
    auto& grid = *tab.getRouterList();
    const auto snapshot = tab.createComponentSnapshot (tab.getLocalBounds());
    const auto gridOrigin = grid.getBoundsInParent().getPosition() + tab.getViewport().getBoundsInParent().getPosition();
    const int outX = grid.getWidth() - 230;

    auto file = folder.getChildFile ("router-tab.png");
    {
        juce::FileOutputStream out (file);
        juce::PNGImageFormat().writeImageToStream (snapshot, out);
    }

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
    {
        const auto text = readText (snapshot, file, e.area + gridOrigin, juce::String (e.text));
        EXPECT_EQ (text, e.text) << "at " << e.area.toString() << " (screenshot " << file.getFullPathName() << ")";
        keepFiles = keepFiles || text != e.text;
    }

    // The input's "Ports" button is drawn in its light grey: the device has every cable enabled.
    const auto portsPixel = snapshot.getPixelAt (gridOrigin.x + 34, gridOrigin.y + 245);
    EXPECT_GT (portsPixel.getBrightness(), 0.8f) << portsPixel.toDisplayString (true);
}
