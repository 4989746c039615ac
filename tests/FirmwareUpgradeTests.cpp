#include "support/SimTestSupport.h"
#include "app/MainComponent.h"
#include "app/Upgrader.h"
#include "app/WebEndpoints.h"
#include "app/AsyncMessageCallBacks.h"
#include "app/FileDownloadThread.h"
#include "support/LocalHttpServer.h"

#include <algorithm>
#include <vector>

namespace
{
    const juce::String successStatus { "Firmware upgrade finished with SUCCESS, please disconnect the device" };
    const juce::String plainRestoreText { "Restore official firmware" };
    constexpr juce::uint32 hostFlashStart = 0x3000;

    /** A firmware image for the host cores (flash from 0x3000) and its Intel HEX text. */
    struct FirmwareImage
    {
        std::vector<juce::uint8> bytes;
        juce::String hexText;
    };

    juce::String hexRecord (int type, juce::uint32 address, const juce::uint8* data, int size)
    {
        auto line = juce::String::formatted (":%02X%04X%02X", size, (int) (address & 0xFFFF), type);
        int sum = size + (int) ((address >> 8) & 0xFF) + (int) (address & 0xFF) + type;

        for (int i = 0; i < size; ++i)
        {
            line << juce::String::formatted ("%02X", data[i]);
            sum += data[i];
        }

        return line + juce::String::formatted ("%02X\n", (-sum) & 0xFF);
    }

    /** The product id marker, then filler bytes (varied by the seed); size must be a multiple of 4. */
    FirmwareImage makeFirmware (juce::uint8 productId, int size, int seed = 0)
    {
        FirmwareImage image;
        image.bytes = { 0xC0, 0xDE, 0xFA, 0xCE, productId, 0x01, 0x02, 0x03, 0xC0, 0xDE, 0xFA, 0xCE };

        for (int i = (int) image.bytes.size(); i < size; ++i)
            image.bytes.push_back ((juce::uint8) (i * 37 + 11 + seed));

        const juce::uint8 upperAddress[] = { 0, 0 };
        image.hexText << hexRecord (0x04, 0, upperAddress, 2);

        for (int offset = 0; offset < size; offset += 32)
            image.hexText << hexRecord (0x00, hostFlashStart + (juce::uint32) offset, image.bytes.data() + offset,
                                        juce::jmin (32, size - offset));

        image.hexText << ":00000001FF\n";
        return image;
    }

    /** Writes the image into the test process's home and returns the file's URL text. */
    juce::String writeFirmwareFile (const FirmwareImage& image)
    {
        auto file = juce::File::getSpecialLocation (juce::File::userHomeDirectory).getChildFile ("firmware.hex");
        file.replaceWithText (image.hexText, false, false, nullptr);
        return juce::URL (file).toString (false);
    }

    /** The commands and programming requests a product received, in order. */
    juce::StringArray commandsAndProgramming (SimulatedProductRunner& product)
    {
        juce::StringArray labels;

        for (auto& block : product.getReceivedMessages())
        {
            const auto* bytes = static_cast<const juce::uint8*> (block.getData());

            if (block.getSize() < 10)
                continue;

            const int type = bytes[6] & 0x0F, kind = bytes[7];

            if (type == SYSX_TYPE_COMMAND)
            {
                labels.add (kind == SYSX_CMD_RESTART_BOOTLOADER ? "restart"
                          : kind == SYSX_CMD_CLOSE_CONNECTION   ? "close connection"
                                                                : "command " + juce::String (kind));
            }
            else if (type == SYSX_TYPE_ICSP)
            {
                juce::uint8 unusedSum = 0;

                switch (kind)
                {
                    case SYSX_CMD_ICSP_START:          labels.add ("start"); break;
                    case SYSX_CMD_ICSP_ERASE:          labels.add ("erase"); break;
                    case SYSX_CMD_ICSP_SET_ADDRESS:    labels.add ("address " + juce::String::toHexString ((int) unpackValue32 (bytes + 8, unusedSum))); break;
                    case SYSX_CMD_ICSP_WRITE:          labels.add ("write"); break;
                    case SYSX_CMD_ICSP_FINISH_SUCCESS: labels.add ("finish"); break;
                    default:                           labels.add ("programming " + juce::String (kind)); break;
                }
            }
        }

        return labels;
    }

    juce::StringArray threeBlocks()
    {
        return { "start", "erase", "address 3000", "write", "address 3100", "write", "address 3200", "write", "finish" };
    }

    /** The expected texts that are missing from seen, from the first one not found in order. */
    juce::StringArray missingInOrder (const juce::StringArray& seen, const juce::StringArray& expected)
    {
        int position = 0;

        for (int i = 0; i < expected.size(); ++i)
        {
            position = seen.indexOf (expected[i], false, position);

            if (position < 0)
                return juce::StringArray (expected.strings.begin() + i, expected.size() - i);

            ++position;
        }

        return {};
    }

    juce::AlertWindow* findAlertWindow()
    {
        for (int i = 0; i < juce::TopLevelWindow::getNumTopLevelWindows(); ++i)
            if (auto* alert = dynamic_cast<juce::AlertWindow*> (juce::TopLevelWindow::getTopLevelWindow (i)))
                return alert;

        return nullptr;
    }

    /** Clicks a button of the open alert window and waits until the window has gone. */
    bool answerAlert (const juce::String& buttonText)
    {
        auto* alert = findAlertWindow();

        if (alert == nullptr)
            return false;

        for (auto* child : alert->getChildren())
        {
            if (auto* button = dynamic_cast<juce::Button*> (child); button != nullptr && button->getButtonText() == buttonText)
            {
                button->triggerClick();

                for (int i = 0; i < 400 && findAlertWindow() != nullptr; ++i)
                    juce::MessageManager::getInstance()->runDispatchLoopUntil (5);

                return findAlertWindow() == nullptr;
            }
        }

        return false;
    }
}

//==============================================================================
// The Firmware tab on its own
class UpgraderTab : public DeviceFixture {};

struct EnablementCase
{
    bool manual;
    int mode;
    bool imageLoaded;
    int productCode;
    bool deviceBeta, hostBeta;
    bool loadEnabled, startEnabled;
    const char* restoreText;
    bool restoreEnabled;
};

TEST_F (UpgraderTab, EnablementFollowsManualModeImageAndBetaFlags)
{
    const EnablementCase cases[] = {
        { false, editorIdle,   true,  productJorvek, false, false, false, false, "Restore official firmware", false },
        { true,  editorIdle,   false, productJorvek, false, false, true,  false, "Restore official firmware", false },
        { true,  editorIdle,   true,  productJorvek, false, false, true,  true,  "Restore official firmware", false },
        { true,  editorLocked, true,  productJorvek, true,  false, false, false, "Restore official firmware", false },
        { true,  editorBusy,   true,  productJorvek, true,  false, true,  true,  "Restore official firmware", false },
        { false, editorIdle,   false, productJorvek, true,  false, false, false, "Restore official Device firmware", true },
        { false, editorIdle,   false, productJorvek, true,  true,  false, false, "Restore official Device firmware", true },
        { false, editorIdle,   false, productJorvek, false, true,  false, false, "Restore official Host firmware", true },
        { false, editorIdle,   false, productNone,   true,  true,  false, false, "Restore official firmware", false },
    };

    Upgrader tab (nullptr);

    for (const auto& c : cases)
    {
        SCOPED_TRACE (juce::String::formatted ("manual %d, mode %d, image %d, product %d, beta device %d host %d",
                                               c.manual, c.mode, c.imageLoaded, c.productCode, c.deviceBeta, c.hostBeta).toStdString());
        device().setProductCode (c.productCode);
        device().firmwareImageSize = c.imageLoaded ? 256 : 0;
        device().deviceFirmwareBeta = c.deviceBeta ? 1 : 0;
        device().hostFirmwareBeta = c.hostBeta ? 1 : 0;
        tab.manualUpdateToggle->setToggleState (c.manual, juce::dontSendNotification);

        tab.updateEnablement (c.mode);

        EXPECT_EQ (tab.loadFirmwareButton->isEnabled(), c.loadEnabled);
        EXPECT_EQ (tab.startUpgradeButton->isEnabled(), c.startEnabled);
        EXPECT_EQ (tab.restoreFirmwareButton->getButtonText(), juce::String (c.restoreText));
        EXPECT_EQ (tab.restoreFirmwareButton->isEnabled(), c.restoreEnabled);
    }
}

TEST_F (UpgraderTab, ManualToggleShowsOnlyWhatTheModeAllows)
{
    struct ToggleCase
    {
        int mode;
        bool programming;   ///< an image is being programmed
        int clicks;         ///< on the unchecked box
        bool imageLoaded;
        bool loadEnabled, startEnabled;
    };

    const ToggleCase cases[] = {
        { editorIdle,   false, 1, false, true,  false },
        { editorIdle,   false, 1, true,  true,  true  },
        { editorIdle,   false, 2, true,  false, false },
        { editorIdle,   false, 3, true,  true,  true  },
        { editorBusy,   false, 1, true,  true,  true  },
        { editorLocked, false, 1, false, false, false },
        { editorLocked, false, 1, true,  false, false },
        { editorLocked, false, 3, true,  false, false },
        { editorIdle,   true,  3, true,  false, false },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (juce::String::formatted ("mode %d, programming %d, %d clicks, image %d",
                                               c.mode, c.programming, c.clicks, c.imageLoaded).toStdString());
        Upgrader tab (nullptr);
        device().firmwareImageSize = c.imageLoaded ? 256 : 0;
        device().programmingRuns = c.programming;
        tab.updateEnablement (c.mode);
        ASSERT_FALSE (tab.manualUpdateToggle->getToggleState());

        for (int i = 0; i < c.clicks; ++i)
        {
            tab.manualUpdateToggle->triggerClick();
            pump (10);
        }

        EXPECT_EQ (tab.manualUpdateToggle->getToggleState(), c.clicks % 2 == 1);
        EXPECT_EQ (tab.loadFirmwareButton->isEnabled(), c.loadEnabled);
        EXPECT_EQ (tab.startUpgradeButton->isEnabled(), c.startEnabled);
        device().programmingRuns = false;
    }
}

TEST_F (UpgraderTab, BuiltLockedWithOnlyTheToggleToClick)
{
    Upgrader tab (nullptr);

    EXPECT_FALSE (tab.loadFirmwareButton->isEnabled());
    EXPECT_FALSE (tab.startUpgradeButton->isEnabled());
    EXPECT_FALSE (tab.restoreFirmwareButton->isEnabled());
    EXPECT_EQ (tab.restoreFirmwareButton->getButtonText(), plainRestoreText);
    EXPECT_FALSE (tab.manualUpdateToggle->getToggleState());
    EXPECT_TRUE (tab.manualUpdateToggle->isEnabled());

    // Until a product answers, checking the box enables nothing.
    device().firmwareImageSize = 256;
    tab.manualUpdateToggle->triggerClick();
    pump (10);
    EXPECT_FALSE (tab.loadFirmwareButton->isEnabled());
    EXPECT_FALSE (tab.startUpgradeButton->isEnabled());
}

//==============================================================================
// An image for the Calder's host core (id 34) while the Jorvek's is connected.
struct MismatchAnswer
{
    const char* name;
    const char* button;
    bool keepsImage;
};

void PrintTo (const MismatchAnswer& answer, std::ostream* os)  { *os << answer.button; }

class UpgraderTabMismatchBox : public UpgraderTab,
                               public ::testing::WithParamInterface<MismatchAnswer> {};

TEST_P (UpgraderTabMismatchBox, AnswerDecidesAboutTheImage)
{
    const auto& c = GetParam();
    connectProduct (productJorvek, 4.65f);
    const auto image = makeFirmware (34, 600);
    Upgrader tab (nullptr);

    tab.loadFirmwareFile (writeFirmwareFile (image));

    ASSERT_NE (findAlertWindow(), nullptr);
    EXPECT_EQ (device().firmwareImageSize, 600u) << "the image waits for the answer";
    EXPECT_FALSE (tab.startUpgradeButton->isEnabled());

    ASSERT_TRUE (answerAlert (c.button));
    pump (10);

    EXPECT_EQ (device().firmwareImageSize, c.keepsImage ? 600u : 0u);
    EXPECT_EQ (tab.startUpgradeButton->isEnabled(), c.keepsImage);
    EXPECT_EQ (device().firmwareImageAcceptance.isGivenFor (38, device().serialText), c.keepsImage)
        << "accepted for the Jorvek's host core only";
    EXPECT_FALSE (device().firmwareImageAcceptance.isGivenFor (42, device().serialText));
    EXPECT_EQ (ui.statusTexts.contains ("Firmware file loaded with warning"), c.keepsImage);
    EXPECT_TRUE (ui.alerts.empty()) << "a mismatch shows only its box";
}

INSTANTIATE_TEST_SUITE_P (UpgraderTab, UpgraderTabMismatchBox, ::testing::Values (
    MismatchAnswer { "upgradeAnyway", "Yes: Upgrade anyway", true },
    MismatchAnswer { "cancel", "Cancel", false }),
    [] (const auto& info) { return std::string (info.param.name); });

//==============================================================================
// The upgrade through the main component. Its destructor deletes the device object for good,
// so every test here runs in a process of its own (ctest does so).
class FirmwareUpgrade : public SimulatedAppFixture
{
protected:
    void SetUp() override
    {
        SimulatedAppFixture::SetUp();

        // The firmware catalogue check after each identification fails at once.
        main->propertiesFile->setValue (WebEndpoints::catalogueServerKey, "http://127.0.0.1:9");

        main->showAsyncBox = [this] (const juce::MessageBoxOptions& options, std::function<void (int)> answer)
        {
            main->readBox (options.getTitle() + ": " + options.getMessage(), options, std::move (answer));
        };
    }

    std::shared_ptr<SimulatedProductRunner> plugJorvek (bool inBootloader, int bootloaderProcessorId = -1)
    {
        SimulatedProduct::Config config;
        config.productCode = productJorvek;
        config.hostFirmware = { 4, 6 };
        config.startInBootloader = inBootloader;
        config.bootloaderProcessorId = bootloaderProcessorId;
        return addProduct (config);
    }

    juce::StringArray statuses() const
    {
        juce::StringArray texts;

        for (auto& line : main->statusLines)
            texts.add (line.text);

        return texts;
    }

    juce::String lastStatus() const
    {
        return main->statusLines.empty() ? juce::String() : main->statusLines.back().text;
    }

    bool waitForStatus (const juce::String& text, int timeoutMs)
    {
        return pumpUntil ([this, text] { return main->statusWasShown (text); }, timeoutMs);
    }

    bool waitForBootloader()
    {
        return pumpUntil ([this] { return device().deviceMode == 0 && device().waitingForReply == 0
                                       && main->statusWasShown ("Bootloader connected"); }, 5000);
    }

    Upgrader& firmwareTab()  { return *main->getUpgrader(); }

    void loadFirmware (const FirmwareImage& image)
    {
        firmwareTab().loadFirmwareFile (writeFirmwareFile (image));
    }

    /** Manual connection mode (the monitor stops), the Jorvek chosen, then "Connect" with its ports. */
    void connectJorvekByHand()
    {
        auto& settings = *main->getSettings();
        settings.autoDetectToggle.setToggleState (false, juce::dontSendNotification);
        settings.applyConnectionMode (true);
        settings.productCombo.setSelectedId (productJorvekDevice, juce::dontSendNotification);
        settings.applyConnectionMode (false);
        ASSERT_EQ (device().manualConnect, 1);

        main->selectedInputIndex = settings.inputSlotIndices[0];
        main->selectedOutputIndex = settings.outputSlotIndices[0];
        device().inputIdentifier = settings.inputSlotIdentifiers[0];
        device().outputIdentifier = settings.outputSlotIdentifiers[0];
        device().setProductCode (settings.productCombo.getSelectedId());
        main->connectionState = device().productCode;
        ASSERT_EQ (device().openInput (device().inputIdentifier), 1);
        ASSERT_EQ (device().openOutput (device().outputIdentifier), 1);
        device().requestIdentity();
    }

    /** The number of labels equal to this one. */
    static int countOf (const juce::StringArray& labels, const juce::String& label)
    {
        return (int) std::count (labels.begin(), labels.end(), label);
    }

    /** The boxes that offered a firmware. */
    juce::StringArray firmwareOffers() const
    {
        juce::StringArray offers;

        for (auto& box : main->boxes)
            if (box.contains ("irmware available"))
                offers.add (box);

        return offers;
    }

    void pressStartUpgrade()
    {
        firmwareTab().buttonClicked (firmwareTab().startUpgradeButton.get());
    }

    /** The flash holds the image, in whole blocks padded with 0xFF. */
    static void expectFlashHolds (SimulatedProductRunner& product, const FirmwareImage& image)
    {
        auto expected = image.bytes;
        expected.resize ((expected.size() + 255) / 256 * 256, 0xFF);
        const auto flash = product.getProduct().readFlash (hostFlashStart, (int) expected.size());
        EXPECT_EQ (hexBytes (static_cast<const juce::uint8*> (flash.getData()), (int) flash.getSize()),
                   hexBytes (expected.data(), (int) expected.size()));
    }
};

TEST_F (FirmwareUpgrade, PreconditionsAreCheckedInOrder)
{
    main->stopTimer();
    auto& settings = *main->getSettings();
    settings.autoDetectToggle.setToggleState (false, juce::dontSendNotification);

    struct Step
    {
        std::function<void()> fulfilPrevious;
        const char* refusal;
    };

    const Step steps[] = {
        { [] {}, "Please select a product" },
        { [this] { device().setProductCode (productJorvek); }, "Please select MIDI input" },
        { [&] { settings.inputPortCombo.addItem ("Jorvek-Pro MIDI 1", 1); main->selectedInputIndex = 0; }, "Please select MIDI output" },
        { [&] { settings.outputPortCombo.addItem ("Jorvek-Pro MIDI 1", 1); main->selectedOutputIndex = 0; }, "Please select a firmware" },
    };

    for (const auto& step : steps)
    {
        SCOPED_TRACE (step.refusal);
        step.fulfilPrevious();
        main->boxes.clear();

        main->startFirmwareUpgrade();

        EXPECT_EQ (main->boxes, juce::StringArray ("Error: " + juce::String (step.refusal)));
        EXPECT_EQ (lastStatus(), "Error: " + juce::String (step.refusal));
        EXPECT_TRUE (device().midiOutput == nullptr) << "no port opened, nothing sent";
        EXPECT_EQ (device().upgradeInProgress, 0);
        EXPECT_FALSE (settings.autoDetectToggle.getToggleState()) << "the connection mode stays as it was";
    }
}

TEST_F (FirmwareUpgrade, ResultTextFollowsTheCodeAndWhoAnswers)
{
    struct ResultCase { int code; int deviceMode; const char* status; bool keepsImage; };
    const ResultCase cases[] = {
        { SYSX_OK,             0,   "Firmware upgrade finished with SUCCESS, please disconnect the device", false },
        { SYSX_REPLY_TIMEOUT,  0,   "Firmware upgrade finished errorCode: 76h, please disconnect the device", true },
        { 0x21,                0,   "Firmware upgrade finished errorCode: 21h, please disconnect the device", true },
        { SYSX_REPLY_TIMEOUT,  1,   "Communication error: errorCode: 76h, please disconnect the device", true },
        { SYSX_FIRMWARE_ERROR, 255, "Communication error: errorCode: 79h, please disconnect the device", true },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.status);
        device().deviceMode = c.deviceMode;
        device().firmwareImageSize = 256;
        device().upgradeStep = 3;

        main->reportUpgradeResult (c.code);

        EXPECT_EQ (lastStatus(), c.status);
        EXPECT_EQ (device().upgradeStep, 0);
        EXPECT_EQ (device().firmwareImageSize, c.keepsImage ? 256u : 0u);
    }
}

TEST_F (FirmwareUpgrade, RunningProductIsRestartedIntoItsBootloaderProgrammedAndReconnected)
{
    auto product = plugJorvek (false);
    ASSERT_TRUE (pumpUntilReadEnds (8000));
    ASSERT_EQ (device().productCode, productJorvek);

    const auto image = makeFirmware (38, 600);
    loadFirmware (image);
    ASSERT_TRUE (firmwareTab().startUpgradeButton->isEnabled());
    product->clearLogs();

    const auto pressed = juce::Time::getMillisecondCounter();
    pressStartUpgrade();

    EXPECT_GE (juce::Time::getMillisecondCounter() - pressed, 2000u) << "the message thread waits for the restart";
    EXPECT_EQ (commandsAndProgramming (*product), juce::StringArray ("restart"));
    EXPECT_EQ (device().waitingForReply, 0);
    EXPECT_FALSE (device().isTimerRunning()) << "the restart command awaits no answer";
    EXPECT_EQ (device().upgradeInProgress, 1);

    ASSERT_TRUE (waitForStatus (successStatus, 10000)) << statuses().joinIntoString ("\n");

    const juce::StringArray road { "Firmware file successfully loaded",
                                   "Restarting in Bootloader mode...",
                                   "Kelmora Saffrel Bootloader found",
                                   "Bootloader connected",
                                   "Starting Fw upgrade (SYSX_CMD_ICSP_START)",
                                   "Erasing device... Please wait",
                                   "Programming Flash at address 3000 (0 %)",
                                   "Programming Flash at address 3100 (42 %)",
                                   "Programming Flash at address 3200 (85 %)",
                                   "Finishing upgrade (SYSX_CMD_ICSP_FINISH_SUCCESS)",
                                   "Firmware upgrade finished with SUCCESS, please disconnect the device" };
    EXPECT_TRUE (missingInOrder (statuses(), road).isEmpty()) << statuses().joinIntoString ("\n");

    auto expectedRequests = threeBlocks();
    expectedRequests.insert (0, "restart");
    EXPECT_EQ (commandsAndProgramming (*product), expectedRequests);
    expectFlashHolds (*product, image);
    EXPECT_EQ (device().firmwareImageSize, 0u);
    EXPECT_FALSE (firmwareTab().startUpgradeButton->isEnabled());

    product->replugAsApplication ({ 4, 9 });

    ASSERT_TRUE (pumpUntil ([this]
    {
        return std::any_of (main->infoLines.begin(), main->infoLines.end(),
                            [] (auto& line) { return line.text.contains ("Host Firmware: V4.9"); });
    }, 8000)) << main->infoLabel->getText();
    EXPECT_EQ (device().deviceMode, 1);
    EXPECT_EQ (device().productCode, productJorvek);
}

//==============================================================================
// The bootloader answers the connection, then fails the programming.
struct FailureCase
{
    const char* name;
    std::function<void (SimulatedProduct&)> spoil;
    const char* status;
    const char* requests;   ///< joined with "|"
};

void PrintTo (const FailureCase& c, std::ostream* os)  { *os << c.name; }

class FirmwareUpgradeFailure : public FirmwareUpgrade,
                               public ::testing::WithParamInterface<FailureCase> {};

TEST_P (FirmwareUpgradeFailure, EndsWithTheCodeAndKeepsTheImage)
{
    const auto& c = GetParam();
    auto product = plugJorvek (true);
    ASSERT_TRUE (waitForBootloader());

    c.spoil (product->getProduct());
    loadFirmware (makeFirmware (38, 600));
    product->clearLogs();
    pressStartUpgrade();

    ASSERT_TRUE (waitForStatus (c.status, 8000)) << statuses().joinIntoString ("\n");
    EXPECT_EQ (commandsAndProgramming (*product).joinIntoString ("|"), c.requests);
    EXPECT_FALSE (statuses().joinIntoString ("\n").contains ("Error while reading/writing settings"));
    EXPECT_EQ (device().firmwareImageSize, 600u) << "kept for another attempt";
    EXPECT_EQ (device().upgradeStep, 0);
    EXPECT_FALSE (device().isTimerRunning()) << "no later timeout replaces the result";
}

INSTANTIATE_TEST_SUITE_P (FirmwareUpgrade, FirmwareUpgradeFailure, ::testing::Values (
    FailureCase { "silentBootloader",
                  [] (SimulatedProduct& p) { SimulatedProduct::Faults f; f.silent = true; p.setFaults (f); },
                  "Firmware upgrade finished errorCode: 76h, please disconnect the device",
                  "start" },
    FailureCase { "secondWriteRefused",
                  [] (SimulatedProduct& p) { p.failProgrammingStep (SYSX_CMD_ICSP_WRITE, 2, 0x21); },
                  "Firmware upgrade finished errorCode: 21h, please disconnect the device",
                  "start|erase|address 3000|write|address 3100|write" }),
    [] (const auto& info) { return std::string (info.param.name); });

//==============================================================================
TEST_F (FirmwareUpgrade, UpgradeOfProductConnectedByHandRunsUndisturbed)
{
    auto product = plugJorvek (true);
    auto& settings = *main->getSettings();
    ASSERT_NO_FATAL_FAILURE (connectJorvekByHand());

    ASSERT_TRUE (waitForBootloader());
    ASSERT_FALSE (main->isTimerRunning());

    const auto image = makeFirmware (38, 600);
    loadFirmware (image);
    product->clearLogs();
    pressStartUpgrade();

    EXPECT_TRUE (settings.autoDetectToggle.getToggleState()) << "an upgrade returns to automatic mode";

    bool searchRan = false;
    ASSERT_TRUE (pumpUntil ([&]
    {
        if (main->statusWasShown (successStatus))
            return true;

        searchRan = searchRan || main->isTimerRunning();
        return false;
    }, 8000)) << statuses().joinIntoString ("\n");

    EXPECT_FALSE (searchRan) << "no device search while programming runs";
    EXPECT_EQ (commandsAndProgramming (*product), threeBlocks()) << "no close-connection request";
    expectFlashHolds (*product, image);

    EXPECT_TRUE (main->isTimerRunning()) << "the search runs again after the result";
    const auto scans = ports->getScanTimes().size();
    ASSERT_TRUE (pumpUntil ([&] { return ports->getScanTimes().size() > scans; }, 2000));
    EXPECT_EQ (main->connectionState, (int) productUpgradeMode);
    EXPECT_EQ (lastStatus(), successStatus) << "the monitor keeps serving the bootloader";
}

//==============================================================================
TEST_F (FirmwareUpgrade, ImageIsRefusedByTheBootloaderOfAnotherCore)
{
    // After the restart the product's device core (id 39) answers from its bootloader.
    auto product = plugJorvek (false, 39);
    ASSERT_TRUE (pumpUntilReadEnds (8000));

    loadFirmware (makeFirmware (38, 600));
    product->clearLogs();
    pressStartUpgrade();

    const juce::String refusal ("The firmware does not match the connected product");
    ASSERT_TRUE (waitForStatus ("Error: " + refusal, 8000)) << statuses().joinIntoString ("\n");
    pump (50);

    EXPECT_EQ (device().productCode, productJorvekDevice);
    EXPECT_EQ (commandsAndProgramming (*product), juce::StringArray ("restart")) << "nothing started, nothing erased";
    EXPECT_TRUE (main->boxes.contains ("Error: " + refusal));
    EXPECT_EQ (device().firmwareImageSize, 600u);
}

TEST_F (FirmwareUpgrade, UpgradeAnywayProgramsTheAcceptedImage)
{
    auto product = plugJorvek (true);
    ASSERT_TRUE (waitForBootloader());

    // An image for the Calder's host core, accepted in the mismatch box.
    const auto image = makeFirmware (34, 600);
    loadFirmware (image);
    ASSERT_TRUE (main->answerBox ("Yes: Upgrade anyway"));
    ASSERT_TRUE (firmwareTab().startUpgradeButton->isEnabled());
    product->clearLogs();

    pressStartUpgrade();

    ASSERT_TRUE (waitForStatus (successStatus, 8000)) << statuses().joinIntoString ("\n");
    EXPECT_EQ (commandsAndProgramming (*product), threeBlocks());
    expectFlashHolds (*product, image);
}

TEST_F (FirmwareUpgrade, ApplicationConnectedByHandIsRestartedWithoutAClose)
{
    auto product = plugJorvek (false);
    ASSERT_NO_FATAL_FAILURE (connectJorvekByHand());
    ASSERT_TRUE (pumpUntilReadEnds (8000));
    ASSERT_EQ (device().deviceMode, 1);

    const auto image = makeFirmware (38, 600);
    loadFirmware (image);
    product->clearLogs();
    pressStartUpgrade();

    // Back in automatic mode, but nothing is sent into the rebooting product, and the status line
    // keeps telling what happens.
    EXPECT_TRUE (main->getSettings()->autoDetectToggle.getToggleState());
    pump (600);
    EXPECT_EQ (commandsAndProgramming (*product), juce::StringArray ("restart"));
    EXPECT_FALSE (main->statusWasShown ("Closing connection to the device..."));
    EXPECT_TRUE (main->statusWasShown ("Restarting in Bootloader mode..."));

    ASSERT_TRUE (waitForStatus (successStatus, 10000)) << statuses().joinIntoString ("\n");
    auto expected = threeBlocks();
    expected.insert (0, "restart");
    EXPECT_EQ (commandsAndProgramming (*product), expected);
    expectFlashHolds (*product, image);
}

//==============================================================================
TEST_F (FirmwareUpgrade, PausesBeforeStartAndEraseLeaveTheWindowRunningAndTheirTextsShown)
{
    auto product = plugJorvek (true);
    ASSERT_TRUE (waitForBootloader());
    loadFirmware (makeFirmware (38, 600));

    // A call posted before the press must run while programming pauses, not after.
    juce::uint32 otherWorkRanAt = 0;
    juce::Timer::callAfterDelay (100, [&otherWorkRanAt] { otherWorkRanAt = juce::Time::getMillisecondCounter(); });

    const auto pressedAt = juce::Time::getMillisecondCounter();
    pressStartUpgrade();
    EXPECT_LT (juce::Time::getMillisecondCounter() - pressedAt, 300u) << "the press returns at once";

    ASSERT_TRUE (waitForStatus (successStatus, 10000)) << statuses().joinIntoString ("\n");

    auto shownAt = [this] (const juce::String& text) -> juce::uint32
    {
        for (auto& line : main->statusLines)
            if (line.text == text)
                return line.time;

        return 0;
    };

    auto sentAt = [this] (int kind) -> juce::uint32
    {
        const auto sent = ports->getSentRequests (-1, SYSX_TYPE_ICSP, kind);
        return sent.empty() ? 0 : sent.front().time;
    };

    const auto startShown = shownAt ("Starting Fw upgrade (SYSX_CMD_ICSP_START)");
    const auto eraseShown = shownAt ("Erasing device... Please wait");
    ASSERT_NE (startShown, 0u);
    ASSERT_NE (eraseShown, 0u);
    ASSERT_NE (sentAt (SYSX_CMD_ICSP_START), 0u);
    ASSERT_NE (sentAt (SYSX_CMD_ICSP_ERASE), 0u);

    // Each text is on the status line before its request goes out, and the request waits out its
    // pause. The start's pause is counted from the press: the text itself comes through the message
    // queue, which a loaded machine may hold up for a while.
    EXPECT_LE (startShown, sentAt (SYSX_CMD_ICSP_START));
    EXPECT_GE (sentAt (SYSX_CMD_ICSP_START) - pressedAt, 450u);
    EXPECT_GE (sentAt (SYSX_CMD_ICSP_ERASE) - eraseShown, 90u);
    EXPECT_NE (otherWorkRanAt, 0u);
    EXPECT_LT (otherWorkRanAt, sentAt (SYSX_CMD_ICSP_START)) << "the message thread ran during the pause";
}

//==============================================================================
// While the write blocks run, nothing may replace the image or start programming again.
struct InterferenceCase
{
    const char* name;
    enum Kind { toggleAndLoad, postedCatalogueAnswer, postedFirmwareFile, pendingCatalogueDownload, startAndRestore } kind;
};

void PrintTo (const InterferenceCase& c, std::ostream* os)  { *os << c.name; }

class FirmwareUpgradeInterference : public FirmwareUpgrade,
                                    public ::testing::WithParamInterface<InterferenceCase> {};

TEST_P (FirmwareUpgradeInterference, FlashGetsTheFirstImageOnlyAndNoOfferOpens)
{
    const auto kind = GetParam().kind;
    LocalHttpServer catalogue;
    const auto first = makeFirmware (38, 2048);
    const auto second = makeFirmware (38, 1024, 101);

    FirmwareVersionInfo offered;
    offered.version = "9.9";
    offered.date = "2024-06-01";
    offered.url = catalogue.getOrigin() + "/fw/other.hex";
    offered.product = "jorvekpro";
    offered.valid = true;

    // A catalogue answer with a valid entry, which the server holds back for a while.
    auto answer = LocalHttpServer::Response::text ("{\"versions\":[{\"product\":\"jorvekpro\",\"version\":\"9.9\",\"url\":\""
                                                   + offered.url + "\",\"date\":\"2024-06-01\"}]}");
    answer.delayMs = 1500;
    catalogue.setResponse (WebEndpoints::firmwareCataloguePath, answer);
    catalogue.setResponse ("/fw/other.hex", LocalHttpServer::Response::text (second.hexText));

    auto product = plugJorvek (true);
    ASSERT_TRUE (waitForBootloader());
    pump (200);
    main->boxes.clear();

    firmwareTab().manualUpdateToggle->triggerClick();
    pump (50);
    loadFirmware (first);
    ASSERT_TRUE (firmwareTab().startUpgradeButton->isEnabled());

    if (kind == InterferenceCase::pendingCatalogueDownload)
    {
        main->startFileDownload (productJorvek, WebEndpoints::getAddress (WebEndpoints::firmwareCatalogue, catalogue.getOrigin()), 0);
        ASSERT_TRUE (catalogue.waitForRequests (1, 5000));
    }

    // Slow answers, so that the write blocks run for a good while.
    product->setReplyDelay (40);
    product->clearLogs();
    pressStartUpgrade();

    ASSERT_TRUE (pumpUntil ([&] { return commandsAndProgramming (*product).contains ("write"); }, 8000))
        << statuses().joinIntoString ("\n");

    auto& tab = firmwareTab();

    ASSERT_TRUE (device().isProgrammingFirmware());

    switch (kind)
    {
        case InterferenceCase::toggleAndLoad:
            tab.manualUpdateToggle->triggerClick();
            tab.manualUpdateToggle->triggerClick();
            pump (50);
            ASSERT_TRUE (device().isProgrammingFirmware()) << "the clicks landed while programming ran";
            EXPECT_TRUE (tab.manualUpdateToggle->getToggleState());
            EXPECT_FALSE (tab.loadFirmwareButton->isEnabled());
            EXPECT_FALSE (tab.startUpgradeButton->isEnabled());
            // A chooser opened before would still hand its file over.
            tab.loadFirmwareFile (writeFirmwareFile (second));
            break;

        case InterferenceCase::postedCatalogueAnswer:
            main->postCallBacksMessage (firmwareOffer, {}, offered, {});
            break;

        case InterferenceCase::postedFirmwareFile:
            main->postCallBacksMessage (firmwareFile, second.hexText, {}, {});
            break;

        case InterferenceCase::pendingCatalogueDownload:
            EXPECT_TRUE (main->fileDownloadThread->threadShouldExit()) << "starting the upgrade cancelled the download";
            break;

        case InterferenceCase::startAndRestore:
            device().hostFirmwareBeta = 1;
            main->upgradeRequested = false;
            pressStartUpgrade();
            tab.restoreOfficialFirmware();
            EXPECT_FALSE (main->upgradeRequested);
            EXPECT_FALSE (main->restoreRequested);
            break;
    }

    ASSERT_TRUE (waitForStatus (successStatus, 15000)) << statuses().joinIntoString ("\n");
    pump (kind == InterferenceCase::pendingCatalogueDownload ? 2000 : 300);

    const auto requests = commandsAndProgramming (*product);
    EXPECT_EQ (countOf (requests, "start"), 1) << requests.joinIntoString ("|");
    EXPECT_EQ (countOf (requests, "erase"), 1);
    EXPECT_EQ (countOf (requests, "write"), 8);
    expectFlashHolds (*product, first);
    EXPECT_TRUE (firmwareOffers().isEmpty()) << firmwareOffers().joinIntoString ("\n");
    EXPECT_EQ (device().productCode, productJorvek);
    EXPECT_EQ (catalogue.getRequests().size(), kind == InterferenceCase::pendingCatalogueDownload ? 1 : 0)
        << "no firmware file was fetched";
    EXPECT_FALSE (statuses().contains ("Error: firmware file download failed"));
}

INSTANTIATE_TEST_SUITE_P (FirmwareUpgrade, FirmwareUpgradeInterference, ::testing::Values (
    InterferenceCase { "toggleAndLoad",            InterferenceCase::toggleAndLoad },
    InterferenceCase { "postedCatalogueAnswer",    InterferenceCase::postedCatalogueAnswer },
    InterferenceCase { "postedFirmwareFile",       InterferenceCase::postedFirmwareFile },
    InterferenceCase { "pendingCatalogueDownload", InterferenceCase::pendingCatalogueDownload },
    InterferenceCase { "startAndRestore",          InterferenceCase::startAndRestore }),
    [] (const auto& info) { return std::string (info.param.name); });

//==============================================================================
// An image loaded while one product was connected, then another product plugged in its place.
struct ProductSwapCase
{
    const char* name;
    int imageId;            ///< 38: the Jorvek's host core, for which it is loaded; 34: the Calder's
    bool acceptedAnyway;    ///< the mismatch box answered "Yes: Upgrade anyway"
    int laterProduct;       ///< plugged in after the first one was unplugged (0: the first stays)
    bool sameSerial;
    bool restarted;         ///< a restart request goes out
    const char* status;     ///< the status line right after "Start upgrade"
};

void PrintTo (const ProductSwapCase& c, std::ostream* os)  { *os << c.name; }

class FirmwareUpgradeProductSwap : public FirmwareUpgrade,
                                   public ::testing::WithParamInterface<ProductSwapCase> {};

TEST_P (FirmwareUpgradeProductSwap, ImageGoesOnlyIntoTheCoreAndProductItWasAcceptedFor)
{
    const auto& c = GetParam();
    const juce::String restarting ("Restarting in Bootloader mode...");

    SimulatedProduct::Config first;
    first.productCode = productJorvek;
    first.hostFirmware = { 4, 6 };
    auto product = addProduct (first);
    ASSERT_TRUE (pumpUntilReadEnds (8000));

    loadFirmware (makeFirmware ((juce::uint8) c.imageId, 600));

    if (c.imageId != 38)
        ASSERT_TRUE (main->answerBox (c.acceptedAnyway ? "Yes: Upgrade anyway" : "Cancel"));

    ASSERT_EQ (device().firmwareImageSize, 600u);

    if (c.laterProduct != 0)
    {
        product->unplug();
        ASSERT_TRUE (pumpUntil ([this] { return device().productCode == productNone; }, 5000));

        SimulatedProduct::Config later;
        later.productCode = c.laterProduct;
        later.hostFirmware = { 4, 6 };

        if (! c.sameSerial)
            later.serial[2] = 0x01020304;

        product = addProduct (later);
        ASSERT_TRUE (pumpUntilReadEnds (8000, 2));
        ASSERT_EQ (device().productCode, c.laterProduct);
    }

    ASSERT_EQ (device().firmwareImageSize, 600u) << "the image stays loaded";
    product->clearLogs();
    const auto restartsBefore = ports->getSentRequests (-1, SYSX_TYPE_COMMAND, SYSX_CMD_RESTART_BOOTLOADER).size();
    main->boxes.clear();

    pressStartUpgrade();

    const auto restarts = ports->getSentRequests (-1, SYSX_TYPE_COMMAND, SYSX_CMD_RESTART_BOOTLOADER).size() - restartsBefore;
    EXPECT_EQ (restarts, c.restarted ? 1u : 0u);
    EXPECT_TRUE (pumpUntil ([&] { return main->statusWasShown (c.status); }, 3000)) << statuses().joinIntoString ("\n");
    EXPECT_EQ (main->statusWasShown (restarting), c.restarted);

    if (! c.restarted)
    {
        EXPECT_EQ (main->boxes, juce::StringArray ("Error: The firmware does not match the connected product"));
        pump (1500);
        EXPECT_TRUE (commandsAndProgramming (*product).isEmpty()) << "nothing restarted, nothing erased";
        EXPECT_EQ (device().deviceMode, 1) << "the product runs its application on";
        EXPECT_FALSE (product->getProduct().isBootloaderRunning());
        EXPECT_FALSE (main->upgradeRequested) << "no later bootloader takes the image either";
    }
}

INSTANTIATE_TEST_SUITE_P (FirmwareUpgrade, FirmwareUpgradeProductSwap, ::testing::Values (
    ProductSwapCase { "matchingImageSameProduct",        38, false, 0,             true,  true,  "Restarting in Bootloader mode..." },
    ProductSwapCase { "acceptedImageSameProduct",        34, true,  0,             true,  true,  "Restarting in Bootloader mode..." },
    ProductSwapCase { "matchingImageOtherJorvek",        38, false, productJorvek, false, true,  "Restarting in Bootloader mode..." },
    ProductSwapCase { "matchingImageThenCalder",         38, false, productCalder, true,  false, "Error: The firmware does not match the connected product" },
    ProductSwapCase { "acceptedImageReplugged",          34, true,  productJorvek, true,  false, "Error: The firmware does not match the connected product" },
    ProductSwapCase { "acceptedImageOtherJorvek",        34, true,  productJorvek, false, false, "Error: The firmware does not match the connected product" },
    ProductSwapCase { "acceptedImageThenNorrim",         34, true,  productNorrim, true,  false, "Error: The firmware does not match the connected product" },
    ProductSwapCase { "acceptedImageThenItsOwnCore",     34, true,  productCalder, false, true,  "Restarting in Bootloader mode..." }),
    [] (const auto& info) { return std::string (info.param.name); });

TEST_F (FirmwareUpgrade, AcceptanceIsHonouredOnlyForTheCoreAndSerialItWasGivenFor)
{
    auto product = plugJorvek (false);
    ASSERT_TRUE (pumpUntilReadEnds (8000));

    loadFirmware (makeFirmware (34, 600));
    ASSERT_TRUE (main->answerBox ("Yes: Upgrade anyway"));

    const auto jorvekSerial = device().serialText;
    EXPECT_TRUE (device().imageFitsConnectedCore());

    // Without a lost product in between (a connection chosen by hand, say), the same core of
    // another product or another core of the same product does not take it.
    device().serialText = "000000000000000000000001";
    EXPECT_FALSE (device().imageFitsConnectedCore());
    device().serialText = jorvekSerial;
    device().setProductCode (productJorvekDevice);
    EXPECT_FALSE (device().imageFitsConnectedCore());
    device().setProductCode (productJorvek);
    EXPECT_TRUE (device().imageFitsConnectedCore());
}
