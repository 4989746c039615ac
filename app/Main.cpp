#include "app/brisaHostAppApplication.h"

#if PELLION_DEMO
 #include "sim/SimulatedMidiPortSystem.h"

/** The same application, with its MIDI ports holding a simulated Jorvek Pro that is plugged in
    two seconds after start, so that the whole tool can be tried without the product. */
class DemoApplication : public brisaHostAppApplication
{
public:
    void initialise (const juce::String& commandLine) override
    {
        auto ports = std::make_shared<SimulatedMidiPortSystem>();
        MidiPortSystem::install (ports);

        juce::Timer::callAfterDelay (2000, [this, ports]
        {
            SimulatedProduct::Config config;
            config.productCode = productJorvek;
            config.hostFirmware = { 4, 5 };
            config.deviceFirmware = { 7, 1 };
            demoProduct = ports->addProduct (config, false);
            const auto home = juce::File::getSpecialLocation (juce::File::userHomeDirectory);

            // A setup the product holds before the tool reads it, one write a line as the log below has them.
            for (auto& line : juce::StringArray::fromLines (home.getChildFile ("pellion-demo-product-setup.txt").loadFileAsString()))
            {
                SimulatedProduct::AppliedWrite write;

                if (SimulatedProduct::parseWrite (line.trim(), write))
                    demoProduct->getProduct().storeWrite (write);
            }

            demoProduct->plugIn();

            // What reaches the product, for whoever drives the demo to see.
            const auto log = home.getChildFile ("pellion-demo-product-writes.txt");
            log.deleteFile();
            demoProduct->getProduct().onWriteApplied = [log] (const SimulatedProduct::AppliedWrite& write)
            {
                log.appendText (SimulatedProduct::describe (write) + "\n");
            };

            SimulatedProduct::UsbDeviceSpec keys;
            keys.vidPid = 0x0A4D1234;
            keys.name = "Studio Keys 61";
            demoProduct->attachUsbDevice (keys);

            SimulatedProduct::UsbDeviceSpec pads;
            pads.vidPid = 0x1C75A0B2;
            pads.name = "Pad Grid";
            pads.inputCables = 2;
            pads.outputCables = 2;
            demoProduct->attachUsbDevice (pads);
        });

        brisaHostAppApplication::initialise (commandLine);
    }

    void shutdown() override
    {
        brisaHostAppApplication::shutdown();
        demoProduct = nullptr;
        MidiPortSystem::install (nullptr);
    }

private:
    std::shared_ptr<SimulatedProductRunner> demoProduct;
};

START_JUCE_APPLICATION (DemoApplication)
#else
START_JUCE_APPLICATION (brisaHostAppApplication)
#endif
