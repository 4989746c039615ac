#include "device/MidiPortSystem.h"
#include "device/MidiController.h"

namespace
{
    std::mutex systemLock;
    std::shared_ptr<MidiPortSystem> installedSystem;

    class JuceInput : public MidiPortSystem::Input
    {
    public:
        explicit JuceInput (std::unique_ptr<juce::MidiInput> in) : input (std::move (in)) {}
        ~JuceInput() override { input->stop(); }
        void start() override { input->start(); }
        void stop() override { input->stop(); }

    private:
        std::unique_ptr<juce::MidiInput> input;
    };

    class JuceOutput : public MidiPortSystem::Output
    {
    public:
        explicit JuceOutput (std::unique_ptr<juce::MidiOutput> out) : output (std::move (out)) {}
        void sendMessageNow (const juce::MidiMessage& message) override { output->sendMessageNow (message); }

        void discardPendingMessages() override
        {
            if (output->isBackgroundThreadRunning())
                output->stopBackgroundThread();

            output->clearAllPendingMessages();
        }

    private:
        std::unique_ptr<juce::MidiOutput> output;
    };
}

MidiPortSystem& MidiPortSystem::get()
{
    return *getShared();
}

std::shared_ptr<MidiPortSystem> MidiPortSystem::getShared()
{
    std::lock_guard<std::mutex> lock (systemLock);

    if (installedSystem == nullptr)
        installedSystem = std::make_shared<JuceMidiPortSystem>();

    return installedSystem;
}

void MidiPortSystem::install (std::shared_ptr<MidiPortSystem> system)
{
    std::lock_guard<std::mutex> lock (systemLock);
    installedSystem = std::move (system);
}

juce::Array<juce::MidiDeviceInfo> JuceMidiPortSystem::getAvailableInputs()
{
    return juce::MidiInput::getAvailableDevices();
}

juce::Array<juce::MidiDeviceInfo> JuceMidiPortSystem::getAvailableOutputs()
{
    return juce::MidiOutput::getAvailableDevices();
}

std::unique_ptr<MidiPortSystem::Input> JuceMidiPortSystem::openInput (const juce::String& identifier, MidiController& receiver)
{
    if (auto input = juce::MidiInput::openDevice (identifier, &receiver))
        return std::make_unique<JuceInput> (std::move (input));

    return nullptr;
}

std::unique_ptr<MidiPortSystem::Output> JuceMidiPortSystem::openOutput (const juce::String& identifier)
{
    if (auto output = juce::MidiOutput::openDevice (identifier))
        return std::make_unique<JuceOutput> (std::move (output));

    return nullptr;
}
