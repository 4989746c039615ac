#include "SimTestSupport.h"
#include "app/WebEndpoints.h"

SimulatedPorts::SimulatedPorts() : system (std::make_shared<SimulatedMidiPortSystem>())
{
    MidiPortSystem::install (system);
}

SimulatedPorts::~SimulatedPorts()
{
    MidiPortSystem::install (nullptr);
}

void SimulatedDeviceFixture::SetUp()
{
    DeviceFixture::SetUp();
    ports = std::make_unique<SimulatedPorts>();
}

void SimulatedDeviceFixture::TearDown()
{
    if (auto* d = MidiController::getInstance())
    {
        d->closeInput();
        d->closeOutput();
    }

    ports = nullptr;
    DeviceFixture::TearDown();
}

std::shared_ptr<SimulatedProductRunner> SimulatedDeviceFixture::addProduct (const SimulatedProduct::Config& config)
{
    return ports->addProduct (config);
}

bool SimulatedDeviceFixture::openPorts (SimulatedProductRunner& product)
{
    device().inputIdentifier = product.getInputInfo().identifier;
    device().outputIdentifier = product.getOutputInfo().identifier;
    return device().openInput (device().inputIdentifier) == 1 && device().openOutput (device().outputIdentifier) == 1;
}

juce::StringArray SimulatedDeviceFixture::receivedHex (SimulatedProductRunner& product)
{
    juce::StringArray result;

    for (auto& block : product.getReceivedMessages())
        result.add (hexBytes (static_cast<const juce::uint8*> (block.getData()), (int) block.getSize()));

    return result;
}

//==============================================================================
class ObservedPortSystem::LoggedOutput : public MidiPortSystem::Output
{
public:
    LoggedOutput (ObservedPortSystem& ownerSystem, std::unique_ptr<Output> port)
        : owner (ownerSystem), inner (std::move (port)) {}

    void sendMessageNow (const juce::MidiMessage& message) override
    {
        owner.logSent (message);
        inner->sendMessageNow (message);
    }

    void discardPendingMessages() override { inner->discardPendingMessages(); }

private:
    ObservedPortSystem& owner;
    std::unique_ptr<Output> inner;
};

juce::Array<juce::MidiDeviceInfo> ObservedPortSystem::getAvailableInputs()
{
    {
        const std::lock_guard<std::mutex> sl (observedLock);
        scanTimes.add (juce::Time::getMillisecondCounter());
    }

    return SimulatedMidiPortSystem::getAvailableInputs();
}

std::unique_ptr<MidiPortSystem::Output> ObservedPortSystem::openOutput (const juce::String& identifier)
{
    auto port = SimulatedMidiPortSystem::openOutput (identifier);

    if (port == nullptr)
        return nullptr;

    return std::make_unique<LoggedOutput> (*this, std::move (port));
}

void ObservedPortSystem::logSent (const juce::MidiMessage& message)
{
    const std::lock_guard<std::mutex> sl (observedLock);
    sent.push_back ({ juce::Time::getMillisecondCounter(), message });
}

juce::Array<juce::uint32> ObservedPortSystem::getScanTimes() const
{
    const std::lock_guard<std::mutex> sl (observedLock);
    return scanTimes;
}

std::vector<ObservedPortSystem::Sent> ObservedPortSystem::getSent() const
{
    const std::lock_guard<std::mutex> sl (observedLock);
    return sent;
}

std::vector<ObservedPortSystem::Sent> ObservedPortSystem::getSentRequests (int idByte, int type, int kind) const
{
    std::vector<Sent> result;

    for (auto& s : getSent())
    {
        const auto* d = s.message.getRawData();

        if (s.message.isSysEx() && s.message.getRawDataSize() >= 10
             && (idByte < 0 || d[5] == idByte) && d[6] == type && d[7] == kind)
            result.push_back (s);
    }

    return result;
}

//==============================================================================
void RecordingMainComponent::setStatusText (const juce::String& text)
{
    statusLines.push_back ({ juce::Time::getMillisecondCounter(), text });
    MainComponent::setStatusText (text);
}

void RecordingMainComponent::setInfoText (const juce::String& text)
{
    infoLines.push_back ({ juce::Time::getMillisecondCounter(), text });
    MainComponent::setInfoText (text);
}

void RecordingMainComponent::showDeviceAlert (bool, const juce::String& text, std::function<void()>)
{
    deviceAlerts.add (text);
}

void RecordingMainComponent::readBox (const juce::String& text, const juce::MessageBoxOptions& options,
                                      std::function<void (int)> answer)
{
    boxes.add (text);

    if (options.getNumButtons() <= 1)
    {
        if (answer)
            answer (0);
    }
    else
    {
        openBoxes.push_back ({ options, std::move (answer) });
    }
}

bool RecordingMainComponent::answerBox (const juce::String& buttonText)
{
    for (auto it = openBoxes.begin(); it != openBoxes.end(); ++it)
    {
        for (int i = 0; i < it->options.getNumButtons(); ++i)
        {
            if (it->options.getButtonText (i) == buttonText)
            {
                // The first of two buttons answers 1, the second 0.
                auto answer = std::move (it->answer);
                openBoxes.erase (it);

                if (answer)
                    answer (i == 0 ? 1 : 0);

                return true;
            }
        }
    }

    return false;
}

bool RecordingMainComponent::statusWasShown (const juce::String& text) const
{
    return std::any_of (statusLines.begin(), statusLines.end(), [&text] (const Line& l) { return l.text == text; });
}

//==============================================================================
void SimulatedAppFixture::SetUp()
{
    DeviceFixture::SetUp();
    ports = std::make_shared<ObservedPortSystem>();
    MidiPortSystem::install (ports);

    main = std::make_unique<RecordingMainComponent>();
    main->showAsyncBox = [this] (const juce::MessageBoxOptions& options, std::function<void (int)> answer)
    {
        main->readBox (options.getMessage(), options, std::move (answer));
    };
}

void SimulatedAppFixture::TearDown()
{
    main = nullptr;     // deletes the device object, which closes its ports
    MidiPortSystem::install (nullptr);
    ports = nullptr;
    DeviceFixture::TearDown();
}

std::shared_ptr<SimulatedProductRunner> SimulatedAppFixture::addProduct (const SimulatedProduct::Config& config, bool plugIn)
{
    return ports->addProduct (config, plugIn);
}

bool SimulatedAppFixture::pumpUntilReadEnds (int timeoutMs, size_t readsEnded)
{
    return pumpUntil ([this, readsEnded]
    {
        return ports->getSentRequests (-1, SYSX_TYPE_COMMAND, SYSX_CMD_END_OF_READ).size() >= readsEnded
                 && device().waitingForReply == 0 && main->statusLabel->getText() == "-";
    }, timeoutMs);
}

juce::File toolPropertiesFileIn (const juce::File& home)
{
    return home.getChildFile ("Kelmora Pro").getChildFile ("Pellion Tools.pvProperties");
}

juce::File toolPropertiesFile()
{
    return toolPropertiesFileIn (juce::File::getSpecialLocation (juce::File::userHomeDirectory));
}

juce::File writeServerOrigins (const juce::File& home, const juce::String& update, const juce::String& catalogue,
                               const juce::String& report)
{
    juce::PropertiesFile file (toolPropertiesFileIn (home), MainComponent::getPropertiesOptions());
    file.setValue (WebEndpoints::updateServerKey, update);
    file.setValue (WebEndpoints::catalogueServerKey, catalogue);
    file.setValue (WebEndpoints::reportServerKey, report);
    file.save();
    return file.getFile();
}
