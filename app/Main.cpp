#include <juce_gui_basics/juce_gui_basics.h>
#include "app/MainComponent.h"
#include "device/MidiController.h"

#if PELLION_DEMO
 #include "sim/SimulatedMidiPortSystem.h"
#endif

class brisaHostAppApplication : public juce::JUCEApplication
{
public:
    brisaHostAppApplication() = default;
    ~brisaHostAppApplication() override { mainWindow = nullptr; }

    const juce::String getApplicationName() override    { return "Pellion Tools"; }
    const juce::String getApplicationVersion() override { return "8.6"; }
    bool moreThanOneInstanceAllowed() override          { return true; }

    void initialise (const juce::String&) override
    {
       #if PELLION_DEMO
        startDemoProduct();
       #endif

        mainWindow = std::make_unique<MainWindow> (getApplicationName());
    }

    void shutdown() override
    {
        mainWindow = nullptr;

       #if PELLION_DEMO
        demoProduct = nullptr;
        MidiPortSystem::install (nullptr);
       #endif
    }

    void systemRequestedQuit() override { quit(); }
    void anotherInstanceStarted (const juce::String&) override {}

    //==============================================================================
    class MainWindow : public juce::DocumentWindow
    {
    public:
        explicit MainWindow (const juce::String& name)
            : DocumentWindow (name,
                              juce::Desktop::getInstance().getDefaultLookAndFeel()
                                  .findColour (juce::ResizableWindow::backgroundColourId),
                              DocumentWindow::allButtons)
        {
            setUsingNativeTitleBar (true);

            if (auto* device = MidiController::getInstance())
            {
                device->baseContentHeight = 600.0f;
                device->baseContentWidth = 800.0f;
            }

            setContentOwned (new MainComponent(), true);
            setResizable (true, true);
            centreWithSize (getWidth(), getHeight());
            setResizeLimits (654, 490, 1680, 1260);
            getConstrainer()->setFixedAspectRatio (1.3333333333333333);

            if (auto* device = MidiController::getInstance())
            {
                device->baseContentHeight = (float) getHeight();
                device->baseContentWidth = (float) getWidth();
            }

            setVisible (true);
        }

        /** Tells the product that the tool goes away, then offers to save changed presets and quits. */
        void closeButtonPressed() override
        {
            auto* device = MidiController::getInstance();
            juce::Component::SafePointer<MainComponent> main (dynamic_cast<MainComponent*> (getContentComponent()));

            if (main == nullptr)
            {
                juce::JUCEApplication::getInstance()->systemRequestedQuit();
                return;
            }

            if (device == nullptr || device->closeConnection() != SYSX_OK)
            {
                main->getPresets()->confirmSaveOnQuit();
                return;
            }

            juce::Timer::callAfterDelay (500, [main]
            {
                if (main != nullptr)
                    main->getPresets()->confirmSaveOnQuit();
            });
        }

    private:
        JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (MainWindow)
    };

private:
   #if PELLION_DEMO
    /** The demo build talks to a simulated Jorvek Pro, plugged in two seconds after start. */
    void startDemoProduct()
    {
        auto ports = std::make_shared<SimulatedMidiPortSystem>();
        MidiPortSystem::install (ports);

        juce::Timer::callAfterDelay (2000, [this, ports]
        {
            SimulatedProduct::Config config;
            config.productCode = productJorvek;
            config.hostFirmware = { 4, 5 };
            config.deviceFirmware = { 7, 1 };
            demoProduct = ports->addProduct (config);

            SimulatedProduct::UsbDeviceSpec keys;
            keys.vidPid = 0x0A4D1234;
            keys.name = "Studio Keys 61";
            keys.inputCables = 1;
            keys.outputCables = 1;
            demoProduct->attachUsbDevice (keys);

            SimulatedProduct::UsbDeviceSpec pads;
            pads.vidPid = 0x1C75A0B2;
            pads.name = "Pad Grid";
            pads.inputCables = 2;
            pads.outputCables = 2;
            demoProduct->attachUsbDevice (pads);
        });
    }

    std::shared_ptr<SimulatedProductRunner> demoProduct;
   #endif

    std::unique_ptr<MainWindow> mainWindow;
};

START_JUCE_APPLICATION (brisaHostAppApplication)
