// Built against the device library and the simulated product alone: no GUI module is linked.

#include <gtest/gtest.h>

#include "device/MidiController.h"
#include "sim/SimulatedMidiPortSystem.h"

namespace juce
{
    bool dispatchNextMessageOnSystemQueue (bool returnIfNoPendingMessages);
}

namespace
{
    bool runMessagesUntil (const std::function<bool()>& predicate, int timeoutMs)
    {
        const auto end = juce::Time::getMillisecondCounter() + (juce::uint32) timeoutMs;

        while (! predicate())
        {
            if (juce::Time::getMillisecondCounter() > end)
                return predicate();

            if (! juce::dispatchNextMessageOnSystemQueue (true))
                juce::Thread::sleep (1);
        }

        return true;
    }
}

TEST (DeviceLibrary, ReadsASimulatedProductWithoutAnyWindow)
{
    auto ports = std::make_shared<SimulatedMidiPortSystem>();
    MidiPortSystem::install (ports);

    SimulatedProduct::Config config;
    config.productCode = productCalder;
    auto product = ports->addProduct (config);
    product->getProduct().setFaults ({});

    auto& device = *MidiController::getInstance();
    device.inputIdentifier = product->getInputInfo().identifier;
    device.outputIdentifier = product->getOutputInfo().identifier;
    ASSERT_EQ (device.openInput (device.inputIdentifier), 1);
    ASSERT_EQ (device.openOutput (device.outputIdentifier), 1);

    // From the identity request on, the chain runs by itself up to the end of reading.
    device.setProductCode (productCalder);
    device.requestIdentity();
    ASSERT_TRUE (runMessagesUntil ([&device] { return device.readCompleteSent != 0 && device.waitingForReply == 0; }, 5000));

    const auto store = product->getProduct().getSettings();
    EXPECT_EQ (device.productName, "Calder Pro");
    EXPECT_EQ (device.routerMasks[device.currentPreset][0], store.routerMasks[product->getProduct().getCurrentPreset()][0]);

    device.closeInput();
    device.closeOutput();
    MidiPortSystem::install (nullptr);
}

int main (int argc, char** argv)
{
    ::testing::InitGoogleTest (&argc, argv);
    juce::MessageManager::getInstance();
    const int result = RUN_ALL_TESTS();
    MidiController::deleteInstance();
    juce::MessageManager::deleteInstance();
    return result;
}
