#include "support/FaultRun.h"

/* The worst road, step by step: a Calder is upgraded from its running application, is unplugged
   while the blocks are being written, comes back as its bootloader, and is restored to the image. */

class FlashRecovery : public FaultRunFixture {};

TEST_F (FlashRecovery, UnpluggedDuringTheBlocksRepluggedAsBootloaderAndRestoredToTheImage)
{
    auto& d = device();
    auto& tab = *main->getUpgrader();

    // 1. A Calder runs its application and has been read.
    addProduct (productCalder, true);
    auto& product = runner->getProduct();
    ASSERT_TRUE (tickUntil ([this] { return applicationReadEnded(); }));

    // 2. The user checks "Manual update" and loads a whole image for its host core.
    makeImage();
    tab.manualUpdateToggle->setToggleState (true, juce::sendNotificationSync);
    ASSERT_TRUE (loadImage());
    const int blocks = (int) (image.size() + 255) / 256;
    ASSERT_EQ (blocks, 976);

    // 3. "Start upgrade": the application is restarted into its bootloader.
    clearRecords();
    ASSERT_TRUE (pressStartUpgrade());
    letTimersCatchUp();

    // 4. The product will be unplugged as the 64 words of block 500 arrive: start, erase, then an
    //    address and a write per block. The monitor finds the bootloader, programming goes on from
    //    its answer, until the product is gone and the write times out.
    const int unpluggedBlock = 500;
    runner->injectFaultOnce (Fault::unplugWhileOut, 2 + 2 * unpluggedBlock + 1);
    ASSERT_TRUE (tickUntil ([this] { return runner->faultWasInjected() && programmingOver(); }));

    EXPECT_TRUE (main->statusWasShown ("Restarting in Bootloader mode..."));
    EXPECT_TRUE (main->statusWasShown ("Bootloader connected"));
    EXPECT_EQ (main->statusLabel->getText(), "Firmware upgrade finished errorCode: 76h, please disconnect the device");
    EXPECT_FALSE (successShown());
    EXPECT_EQ (d.firmwareImageSize, image.size()) << "the image stays loaded";
    EXPECT_FALSE (d.isProgrammingFirmware());
    EXPECT_FALSE (product.flashHoldsImage());

    // The flash holds the blocks before the unplugged one and is erased beyond.
    const auto flash = product.readFlash (product.getFlashStart(), (int) image.size());
    ASSERT_EQ (flash.getSize(), image.size());
    const auto* bytes = static_cast<const juce::uint8*> (flash.getData());
    const size_t written = (size_t) unpluggedBlock * 256;
    EXPECT_TRUE (std::equal (bytes, bytes + written, image.begin()));
    EXPECT_TRUE (std::all_of (bytes + written, bytes + image.size(), [] (juce::uint8 b) { return b == 0xFF; }));

    // 5. The monitor finds the product gone.
    ASSERT_TRUE (tickUntil ([this] { return showsNoDevice(); }));
    EXPECT_EQ (d.productCode, productNone);

    // 6. Replugged, the product has no whole image to start: its bootloader answers, and the tool finds it.
    clearRecords();
    runner->plugIn();
    EXPECT_TRUE (product.isBootloaderRunning());
    ASSERT_TRUE (tickUntil ([this] { return bootloaderIdle(); }));
    EXPECT_TRUE (main->statusWasShown ("Kelmora Saffrel Bootloader found"));
    EXPECT_EQ (d.productCode, productCalder) << "the bootloader names the core it programs";

    // 7. "Start upgrade" with the image still loaded programs it again, from the start.
    ASSERT_TRUE (pressStartUpgrade());
    ASSERT_TRUE (tickUntil ([this] { return programmingOver(); }));
    EXPECT_EQ (main->statusLabel->getText(), successText);
    EXPECT_EQ (countRequestsOfKind (SYSX_CMD_ICSP_WRITE), blocks);

    // 8. The flash equals the image, byte for byte.
    EXPECT_EQ (compareFlashWithImage(), juce::String());
    EXPECT_TRUE (product.flashHoldsImage());

    // 9. Replugged once more, the product starts its application, and the tool reads it.
    ASSERT_TRUE (unplugAndWaitForDisconnect());
    clearRecords();
    runner->plugIn();
    EXPECT_FALSE (product.isBootloaderRunning());
    ASSERT_TRUE (tickUntil ([this] { return applicationReadEnded(); }));
    EXPECT_EQ (d.deviceMode, 1);
    EXPECT_EQ (d.productCode, productCalder);
}
