#include "FaultRun.h"
#include "ChainTestSupport.h"
#include "app/Upgrader.h"
#include "app/WebEndpoints.h"

const juce::String FaultRunFixture::successText { "Firmware upgrade finished with SUCCESS, please disconnect the device" };

namespace
{
    /** Replies are awaited for a quarter of their time: short enough for thousands of cases, and long
        enough for a loaded machine (the test command runs as many tests at once as there are cores;
        an eighth let a restore's step time out under the sanitizers there).
        The framework's timer thread charges the time it waited for a busy message thread to every
        timer, one started at the end of that wait too, so a timeout must outlast the longest handler
        (a product's identification rebuilds the editors), which the sanitizers slow down. */
    constexpr float timeoutScale = 0.25f;

    /** The pauses of the device object (500 ms before the identity request after a switch of core and
        before the programming start, 100 ms before the erase) shrink to a few milliseconds. */
    constexpr float devicePauseScale = 0.01f;

    /** The monitor ticks once a second in the application; here every few milliseconds, yet slower than
        the 10 ms in which the reset of a lost product follows the tick that found it lost. */
    constexpr int tickSpacingMs = 30;

    constexpr juce::uint32 calderHostFlashStart = 0x3000, calderHostFlashEnd = 0x40000;
    constexpr juce::uint8 calderHostId = 34;

    const juce::String noDeviceText { "Information: No device connected" };
    const juce::String bootloaderConnectedText { "Bootloader connected" };
    const juce::String bootloaderFoundText { "Kelmora Saffrel Bootloader found" };
    const juce::String settingsErrorPrefix { "Error while reading/writing settings errorCode: " };

    /** Settings, command and programming requests: what the injected faults count. */
    bool isCountedRequest (const juce::MemoryBlock& block)
    {
        const auto* bytes = static_cast<const juce::uint8*> (block.getData());
        return block.getSize() >= 10 && bytes[0] == 0xF0 && (bytes[6] & 0x0F) != SYSX_TYPE_INFO;
    }

    int countRequests (SimulatedProductRunner& runner, int type = -1)
    {
        int count = 0;

        for (auto& block : runner.getReceivedMessages())
            if (isCountedRequest (block) && (type < 0 || (static_cast<const juce::uint8*> (block.getData())[6] & 0x0F) == type))
                ++count;

        return count;
    }

    /** Appends one Intel HEX record (with its line break) to a text. */
    void appendHexRecord (std::string& text, int type, juce::uint32 address, const juce::uint8* data, int size)
    {
        static constexpr char digits[] = "0123456789ABCDEF";
        auto appendByte = [&text] (int value)
        {
            text += digits[(value >> 4) & 0x0F];
            text += digits[value & 0x0F];
        };

        text += ':';
        appendByte (size);
        appendByte ((int) (address >> 8) & 0xFF);
        appendByte ((int) address & 0xFF);
        appendByte (type);
        int sum = size + (int) ((address >> 8) & 0xFF) + (int) (address & 0xFF) + type;

        for (int i = 0; i < size; ++i)
        {
            appendByte (data[i]);
            sum += data[i];
        }

        appendByte ((-sum) & 0xFF);
        text += '\n';
    }

    juce::String joined (const std::vector<RecordingMainComponent::Line>& lines, int lastCount)
    {
        juce::StringArray texts;

        for (size_t i = lines.size() > (size_t) lastCount ? lines.size() - (size_t) lastCount : 0; i < lines.size(); ++i)
            texts.add (lines[i].text);

        return texts.joinIntoString (" | ");
    }
}

//==============================================================================
/** Passes every event on to the application's own hub, and keeps the model's tables as a product's
    identification leaves them, just before its settings are read. */
class FaultRunFixture::EventsRecorder : public DeviceEvents
{
public:
    EventsRecorder (DeviceEvents* applicationEvents, std::function<void()> afterReset)
        : inner (applicationEvents), onReset (std::move (afterReset)) {}

    void requestGoingOut (int type, int kind) override            { if (inner != nullptr) inner->requestGoingOut (type, kind); }
    void itemAnswered (int type, int kind, int item) override      { if (inner != nullptr) inner->itemAnswered (type, kind, item); }
    void chainEnded (bool fullRead) override                       { if (inner != nullptr) inner->chainEnded (fullRead); }
    void identityArriving() override                               { if (inner != nullptr) inner->identityArriving(); }
    void bootloaderAnswered (bool upgradeContinues) override       { if (inner != nullptr) inner->bootloaderAnswered (upgradeContinues); }
    void hostRecordChanged (int index) override                    { if (inner != nullptr) inner->hostRecordChanged (index); }
    void dumpTextArrived (const juce::String& text) override       { if (inner != nullptr) inner->dumpTextArrived (text); }
    void deviceDescriptorArrived() override                        { if (inner != nullptr) inner->deviceDescriptorArrived(); }

    void settingsReset() override
    {
        if (inner != nullptr)
            inner->settingsReset();

        onReset();
    }

    DeviceEvents* const inner;

private:
    std::function<void()> onReset;
};

//==============================================================================
const std::vector<std::pair<FaultRunFixture::Fault, const char*>>& FaultRunFixture::allFaults()
{
    static const std::vector<std::pair<Fault, const char*>> faults {
        { Fault::dropAnswer,        "dropped" },
        { Fault::corruptAnswerByte, "corrupted" },
        { Fault::truncateAnswer,    "truncated" },
        { Fault::delayAnswer,       "late" },
        { Fault::unplugWhileOut,    "unplugged" }
    };

    return faults;
}

std::vector<int> FaultRunFixture::indexesToRun (int roadLength, bool everyIndex)
{
    std::vector<int> indexes;

    for (int i = 0; i < roadLength; ++i)
        if (everyIndex || i < 10 || i >= roadLength - 10 || i % 50 == 0)
            indexes.push_back (i);

    return indexes;
}

//==============================================================================
FaultRunFixture::FaultRunFixture() = default;
FaultRunFixture::~FaultRunFixture() = default;

void FaultRunFixture::SetUp()
{
    DeviceFixture::SetUp();
    ports = std::make_shared<SimulatedMidiPortSystem>();
    MidiPortSystem::install (ports);

    main = std::make_unique<RecordingMainComponent>();
    main->showAsyncBox = [this] (const juce::MessageBoxOptions& options, std::function<void (int)> answer)
    {
        main->readBox (options.getTitle() + ": " + options.getMessage(), options, std::move (answer));
    };

    // The firmware catalogue check after each identification fails at once.
    main->propertiesFile->setValue (WebEndpoints::catalogueServerKey, "http://127.0.0.1:9");

    device().replyTimeoutScale = timeoutScale;
    device().pauseScale = devicePauseScale;

    eventsRecorder = std::make_unique<EventsRecorder> (device().events, [this] { modelBeforeRead = SettingsCells::ofModel (device()); });
    device().events = eventsRecorder.get();
}

void FaultRunFixture::TearDown()
{
    if (auto* d = MidiController::getInstance(); d != nullptr && eventsRecorder != nullptr)
        d->events = eventsRecorder->inner;

    main = nullptr;     // deletes the device object, which closes its ports
    eventsRecorder = nullptr;
    runner = nullptr;
    MidiPortSystem::install (nullptr);
    ports = nullptr;

    if (imageFile != juce::File())
        imageFile.deleteFile();

    DeviceFixture::TearDown();
}

void FaultRunFixture::addProduct (int productCode, bool plugIn)
{
    SimulatedProduct::Config config;
    config.productCode = productCode;
    config.hostFirmware = { 4, 6 };
    config.deviceFirmware = { 7, 1 };
    config.reenumerationDelayMs = 5;
    runner = ports->addProduct (config, plugIn);

    // Host firmware 4.6 has every kind a full read fetches; the tables hold 36 router rows and 72 filter entries.
    if (productCode == productNorrim)
        extent = { 44, 24, 24, 12, true, true, true };
    else
        extent = { 11, 8, 16, 4, false, false, false };
}

int FaultRunFixture::replyTimeoutMs (bool erase) const
{
    return juce::roundToInt ((erase ? 12000.0f : 4000.0f) * timeoutScale);
}

//==============================================================================
void FaultRunFixture::letTimersCatchUp()
{
    // The framework's timer thread charges the time it waited for a blocked message thread to every
    // timer it holds on its next round, a timer started just after the block too: a reply awaited
    // for a fraction of its time would expire before the reply could come. Let that round pass.
    pumpUntil ([] { return false; }, 50);
}

bool FaultRunFixture::tickUntil (std::function<bool()> predicate, int timeoutMs)
{
    const auto end = juce::Time::getMillisecondCounter() + (juce::uint32) timeoutMs;

    while (! predicate())
    {
        if (juce::Time::getMillisecondCounter() >= end)
            return predicate();

        main->connectionMonitor.tick();
        pumpUntil (predicate, tickSpacingMs);
    }

    return true;
}

bool FaultRunFixture::showsNoDevice() const
{
    return main->connectionState == 0 && main->infoLabel->getText() == noDeviceText;
}

juce::String FaultRunFixture::whatIsShown() const
{
    return ": connection state " + juce::String (main->connectionState) + ", \"" + main->infoLabel->getText() + "\", "
         + joined (main->statusLines, 5);
}

bool FaultRunFixture::unplugAndWaitForDisconnect()
{
    if (runner->isPluggedIn())
        runner->unplug();

    return tickUntil ([this] { return showsNoDevice(); });
}

bool FaultRunFixture::applicationReadEnded() const
{
    auto& d = *MidiController::getInstance();
    return main->connectionState > 0 && main->connectionState != productUpgradeMode && d.deviceMode == 1
        && ! d.fullReadRunning && d.readCompleteSent == 1 && d.waitingForReply == 0
        && d.getFirstPendingKind() == 0xFF && main->statusLabel->getText() == "-";
}

bool FaultRunFixture::bootloaderIdle() const
{
    auto& d = *MidiController::getInstance();
    return main->connectionState == productUpgradeMode && d.deviceMode == 0 && ! d.isProgrammingFirmware()
        && d.waitingForReply == 0 && main->statusWasShown (bootloaderConnectedText);
}

bool FaultRunFixture::programmingOver() const
{
    auto& d = *MidiController::getInstance();
    const auto status = main->statusLabel->getText();
    return ! d.isProgrammingFirmware() && d.waitingForReply == 0
        && (status.startsWith ("Firmware upgrade finished") || status.startsWith ("Communication error:"));
}

bool FaultRunFixture::successShown() const
{
    return main->statusWasShown (successText);
}

juce::String FaultRunFixture::upgradeEndShown() const
{
    for (auto it = main->statusLines.rbegin(); it != main->statusLines.rend(); ++it)
        if (it->text.startsWith ("Firmware upgrade finished") || it->text.startsWith ("Communication error:"))
            return it->text;

    return {};
}

int FaultRunFixture::countRequestsOfKind (int programmingKind) const
{
    int count = 0;

    for (auto& block : runner->getReceivedMessages())
    {
        const auto* bytes = static_cast<const juce::uint8*> (block.getData());

        if (isCountedRequest (block) && (bytes[6] & 0x0F) == SYSX_TYPE_ICSP && bytes[7] == programmingKind)
            ++count;
    }

    return count;
}

void FaultRunFixture::clearRecords()
{
    main->statusLines.clear();
    main->infoLines.clear();
    main->deviceAlerts.clear();
    main->boxes.clear();
    runner->clearLogs();
}

//==============================================================================
void FaultRunFixture::makeImage()
{
    // The whole programmable range of the Calder's host core: its product id marker first, then bytes
    // that differ from block to block, so that a block written in the wrong place shows.
    const auto size = calderHostFlashEnd - calderHostFlashStart;
    image = { 0xC0, 0xDE, 0xFA, 0xCE, calderHostId, 0x01, 0x02, 0x03, 0xC0, 0xDE, 0xFA, 0xCE };

    for (auto i = (juce::uint32) image.size(); i < size; ++i)
        image.push_back ((juce::uint8) ((i * 2654435761u) >> 24));

    std::string text;
    juce::uint32 upper = 0xFFFFFFFFu;

    for (juce::uint32 offset = 0; offset < size; offset += 32)
    {
        const auto address = calderHostFlashStart + offset;

        if ((address >> 16) != upper)
        {
            upper = address >> 16;
            const juce::uint8 upperBytes[] = { (juce::uint8) (upper >> 8), (juce::uint8) upper };
            appendHexRecord (text, 0x04, 0, upperBytes, 2);
        }

        appendHexRecord (text, 0x00, address, image.data() + offset, (int) juce::jmin (32u, size - offset));
    }

    text += ":00000001FF\n";
    imageFile = juce::File::getSpecialLocation (juce::File::userHomeDirectory).getChildFile ("calder-host-full.hex");
    imageFile.replaceWithData (text.data(), text.size());
}

bool FaultRunFixture::loadImage()
{
    main->getUpgrader()->loadFirmwareFile (juce::URL (imageFile).toString (false));
    return device().firmwareImageSize == image.size() && device().firmwareImageProductId == calderHostId;
}

bool FaultRunFixture::pressStartUpgrade()
{
    auto& tab = *main->getUpgrader();

    if (! tab.startUpgradeButton->isEnabled())
        return false;

    tab.buttonClicked (tab.startUpgradeButton.get());
    return true;
}

juce::String FaultRunFixture::compareFlashWithImage() const
{
    const auto flash = runner->getProduct().readFlash (calderHostFlashStart, (int) image.size());

    if (flash.getSize() != image.size())
        return "the flash holds " + juce::String ((int) flash.getSize()) + " bytes of the image's " + juce::String ((int) image.size());

    const auto* bytes = static_cast<const juce::uint8*> (flash.getData());
    int differing = 0, first = -1;

    for (size_t i = 0; i < image.size(); ++i)
    {
        if (bytes[i] != image[i])
        {
            if (first < 0)
                first = (int) i;

            ++differing;
        }
    }

    if (differing == 0)
        return {};

    return juce::String::formatted ("the flash differs from the image in %d bytes, the first at address %X", differing,
                                    (unsigned) (calderHostFlashStart + (juce::uint32) first));
}

//==============================================================================
int FaultRunFixture::startReadRoad (int productCode)
{
    addProduct (productCode, false);
    const int storePreset = 1;
    const auto store = ChainTest::patternedStore (storePreset);
    runner->getProduct().setSettings (store);
    clearRecords();
    runner->plugIn();

    if (! tickUntil ([this] { return applicationReadEnded(); }))
    {
        ADD_FAILURE() << "the read without a fault did not end: " << joined (main->statusLines, 5);
        return 0;
    }

    auto problems = SettingsCells::findDifferences (device(), store, storePreset, extent);
    problems.addArray (SettingsCells::findValuesNotSent (device(), modelBeforeRead, store, storePreset, extent));

    if (! problems.isEmpty())
    {
        ADD_FAILURE() << "the read without a fault: " << problems.joinIntoString ("\n");
        return 0;
    }

    const int requests = countRequests (*runner);

    if (! unplugAndWaitForDisconnect())
    {
        ADD_FAILURE() << "the tool did not notice the unplugged product";
        return 0;
    }

    return requests;
}

juce::StringArray FaultRunFixture::checkReadAfterFault (const SimulatedProduct::Settings& store, int storePreset, Fault fault)
{
    juce::StringArray problems;
    auto& d = device();

    const bool timeoutShown = main->statusWasShown (ChainTest::timeoutStatus);
    const bool errorShown = std::any_of (main->statusLines.begin(), main->statusLines.end(),
                                         [] (auto& line) { return line.text.startsWith (settingsErrorPrefix); });
    const bool readCompleted = ! errorShown && d.readCompleteSent == 1 && main->statusLabel->getText() == "-";

    if (! (timeoutShown || errorShown || readCompleted))
        problems.add ("the read stopped without an end the user sees: " + joined (main->statusLines, 5));

    if (fault == Fault::unplugWhileOut && ! timeoutShown)
        problems.add ("the read of an unplugged product did not time out");

    // A fault that the answer survives (its id byte, which no check covers) leaves a complete read.
    if (readCompleted)
        for (auto& p : SettingsCells::findDifferences (d, store, storePreset, extent))
            problems.add ("read completed, yet " + p);

    problems.addArray (SettingsCells::findValuesNotSent (d, modelBeforeRead, store, storePreset, extent));

    for (auto& block : runner->getReceivedMessages())
        if (isCountedRequest (block) && (static_cast<const juce::uint8*> (block.getData())[6] & 0x0F) == SYSX_TYPE_WRITE)
            problems.add ("a write went out: " + ChainTest::describe (block));

    if (! runner->getProduct().getAppliedWrites().isEmpty())
        problems.add ("the product carried out a write");

    return problems;
}

juce::StringArray FaultRunFixture::runReadCase (Fault fault, int index)
{
    auto& d = device();
    auto& product = runner->getProduct();
    const int storePreset = index % extent.presets;
    const auto store = ChainTest::patternedStore (storePreset);

    product.setSettings (store);
    product.clearAppliedWrites();
    clearRecords();
    runner->injectFaultOnce (fault, index, 2 * replyTimeoutMs (false) + 50);
    runner->plugIn();

    if (! tickUntil ([this] { return runner->faultWasInjected(); }))
        return { "the read never reached the request: " + joined (main->statusLines, 5) };

    // The chain stops by itself: with the reply timeout, after an error report, or at its own end.
    auto chainStopped = [&d] { return d.waitingForReply == 0 && ! d.fullReadRunning && d.getFirstPendingKind() == 0xFF; };

    if (! pumpUntil (chainStopped, waitLimitMs))
        return { "the read never stopped: " + joined (main->statusLines, 5) };

    auto problems = checkReadAfterFault (store, storePreset, fault);
    auto stop = [&problems] (const juce::String& problem) { problems.add (problem); return problems; };

    if (fault == Fault::delayAnswer)
    {
        // The late answer comes now, and changes nothing.
        const auto cells = SettingsCells::ofModel (d);
        runner->waitUntilIdle (waitLimitMs);
        pumpUntil ([] { return false; }, 30);

        if (SettingsCells::ofModel (d) != cells)
            problems.add ("the late answer changed the model");

        if (! chainStopped())
            problems.add ("the late answer started the chain again");
    }

    // The user replugs the product; the tool reads it in full.
    if (! unplugAndWaitForDisconnect())
        return stop ("the tool never showed the product gone" + whatIsShown());

    clearRecords();
    runner->plugIn();

    if (! tickUntil ([this] { return applicationReadEnded(); }))
        return stop ("after the replug the full read did not end: " + joined (main->statusLines, 5));

    for (auto& p : SettingsCells::findDifferences (d, store, storePreset, extent))
        problems.add ("after the replug " + p);

    if (countRequests (*runner, SYSX_TYPE_WRITE) != 0 || ! product.getAppliedWrites().isEmpty())
        problems.add ("the read after the replug wrote to the product");

    if (! unplugAndWaitForDisconnect())
        problems.add ("the tool never showed the product gone after the second read" + whatIsShown());

    return problems;
}

//==============================================================================
int FaultRunFixture::startFlashRoad()
{
    addProduct (productCalder, true);
    makeImage();

    if (! tickUntil ([this] { return applicationReadEnded(); }))
    {
        ADD_FAILURE() << "the Calder was not read: " << joined (main->statusLines, 5);
        return 0;
    }

    main->getUpgrader()->manualUpdateToggle->setToggleState (true, juce::sendNotificationSync);

    auto bringBackBootloader = [this]
    {
        if (! unplugAndWaitForDisconnect())
            return false;

        clearRecords();
        runner->plugIn (true);
        return tickUntil ([this] { return bootloaderIdle(); }) && loadImage();
    };

    if (! bringBackBootloader())
    {
        ADD_FAILURE() << "the bootloader did not come, or the image was refused: " << joined (main->statusLines, 5);
        return 0;
    }

    clearRecords();

    if (! pressStartUpgrade() || ! pumpUntil ([this] { return programmingOver(); }, waitLimitMs) || ! successShown())
    {
        ADD_FAILURE() << "the image was not programmed without a fault: " << joined (main->statusLines, 5);
        return 0;
    }

    if (auto difference = compareFlashWithImage(); difference.isNotEmpty())
    {
        ADD_FAILURE() << difference;
        return 0;
    }

    const int requests = countRequests (*runner, SYSX_TYPE_ICSP);

    if (! bringBackBootloader())
    {
        ADD_FAILURE() << "the bootloader did not come back: " << joined (main->statusLines, 5);
        return 0;
    }

    return requests;
}

juce::StringArray FaultRunFixture::runFlashCase (Fault fault, int index)
{
    juce::StringArray problems;
    auto stop = [&problems] (const juce::String& problem) { problems.add (problem); return problems; };
    auto& d = device();
    auto& product = runner->getProduct();

    clearRecords();
    runner->injectFaultOnce (fault, index, 2 * replyTimeoutMs (index == 1) + 50);

    if (! pressStartUpgrade())
        return { "\"Start upgrade\" is not enabled with the bootloader connected and the image loaded" };

    if (! pumpUntil ([this] { return runner->faultWasInjected() && programmingOver(); }, waitLimitMs))
        return { "programming never ended: " + joined (main->statusLines, 5) };

    if (fault == Fault::delayAnswer)
    {
        // The late answer comes now, and moves nothing on.
        const auto requestsBefore = runner->getReceivedMessages().size();
        runner->waitUntilIdle (waitLimitMs);
        pumpUntil ([] { return false; }, 30);

        if (runner->getReceivedMessages().size() != requestsBefore)
            problems.add ("the late answer sent another request");
    }

    const bool success = successShown();

    if (success)
    {
        // Only an answer whose fault no check can see (its id byte) goes through, and then the flash
        // must hold the whole image.
        if (auto difference = compareFlashWithImage(); difference.isNotEmpty() || ! product.flashHoldsImage())
            problems.add ("SUCCESS was shown, but " + (difference.isNotEmpty() ? difference : juce::String ("the flash holds no image")));
    }
    else
    {
        if (upgradeEndShown().isEmpty())
            problems.add ("the failure was not shown: " + joined (main->statusLines, 5));

        if (d.firmwareImageSize != image.size())
            problems.add ("the image was not kept after the failure");
    }

    if (d.isProgrammingFirmware())
        problems.add ("programming still counts as running");

    // The user replugs the product: it comes back as its bootloader unless the flash holds a whole image.
    if (! unplugAndWaitForDisconnect())
        return stop ("the tool never showed the product gone" + whatIsShown());

    const bool flashIntact = product.flashHoldsImage();
    clearRecords();
    runner->plugIn();

    if (! tickUntil ([this] { return successShown() || bootloaderIdle() || applicationReadEnded(); }))
        return stop ("after the replug the tool found nothing: " + joined (main->statusLines, 5));

    if (! successShown() && upgradeEndShown().isNotEmpty())
        return stop ("the restore the tool went on with by itself failed: " + upgradeEndShown());

    if (main->statusWasShown (bootloaderFoundText) == flashIntact)
        problems.add (flashIntact ? "the product came back as its bootloader although its flash holds an image"
                                  : "the product did not come back as its bootloader");

    if (! success)
    {
        // The restore: the tool goes on by itself with the image still loaded, or the user presses "Start upgrade".
        const bool restartsApplication = applicationReadEnded();

        if (! successShown() && (bootloaderIdle() || restartsApplication) && ! pressStartUpgrade())
            return stop ("\"Start upgrade\" is not enabled after the replug");

        if (restartsApplication)
            letTimersCatchUp();

        if (! tickUntil ([this] { return successShown() || programmingOver(); }))
            return stop ("the restore did not end: " + joined (main->statusLines, 5));

        if (! successShown())
            return stop ("the restore failed: " + upgradeEndShown());
    }

    if (auto difference = compareFlashWithImage(); difference.isNotEmpty())
        problems.add ("after the restore " + difference);

    if (! product.flashHoldsImage())
        problems.add ("after the restore the flash holds no image");

    // Replugged once more, the product starts its application again.
    if (! unplugAndWaitForDisconnect())
        return stop ("the tool never showed the restored product gone" + whatIsShown());

    clearRecords();
    runner->plugIn();

    if (! tickUntil ([this] { return applicationReadEnded(); }) || product.isBootloaderRunning())
        return stop ("the application did not start after the restore: " + joined (main->statusLines, 5));

    // Back to the bootloader, with the image loaded again, for the next case.
    if (! unplugAndWaitForDisconnect())
        return stop ("the tool never showed the application gone" + whatIsShown());

    clearRecords();
    runner->plugIn (true);

    if (! tickUntil ([this] { return bootloaderIdle(); }) || ! loadImage())
        problems.add ("the bootloader did not come back with the image loaded: " + joined (main->statusLines, 5));

    return problems;
}
