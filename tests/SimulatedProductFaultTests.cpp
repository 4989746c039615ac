#include <gtest/gtest.h>

#include "sim/SimulatedProductRunner.h"

#include <mutex>

/* The simulated product's faults on the way, injected once, and its start after it was unplugged. */

namespace
{
    constexpr int jorvekHost = 38;

    juce::MemoryBlock request (int type, int kind, std::vector<juce::uint8> body = {})
    {
        std::vector<juce::uint8> bytes { 0xF0, 0x00, 0x4B, 0x1D, 0x0F, (juce::uint8) jorvekHost, (juce::uint8) type, (juce::uint8) kind };
        bytes.insert (bytes.end(), body.begin(), body.end());
        bytes.push_back (sysexChecksum (bytes.data(), 6, (int) bytes.size()));
        bytes.push_back (0xF7);
        return { bytes.data(), bytes.size() };
    }

    juce::MemoryBlock routerRead (int row)       { return request (SYSX_TYPE_READ, kindRouter, { 1, (juce::uint8) row }); }
    juce::MemoryBlock identityRequest()          { return request (SYSX_TYPE_INFO, SYSX_CMD_IDENTITY); }
    juce::MemoryBlock programming (int kind)     { return request (SYSX_TYPE_ICSP, kind); }

    /** A plugged Jorvek whose answers are collected with the time they came. */
    struct ConnectedJorvek
    {
        explicit ConnectedJorvek (bool inBootloader = false) : runner (makeConfig (inBootloader))
        {
            runner.plugIn();
            connect();
        }

        static SimulatedProduct::Config makeConfig (bool inBootloader)
        {
            SimulatedProduct::Config config;
            config.productCode = productJorvek;
            config.startInBootloader = inBootloader;
            config.reenumerationDelayMs = 5;
            return config;
        }

        void connect()
        {
            const auto id = runner.connectInput (runner.getInputInfo().identifier, [this] (const juce::String&, const juce::MidiMessage& m)
            {
                const std::lock_guard<std::mutex> sl (lock);
                answers.add ({ m.getRawData(), (size_t) m.getRawDataSize() });
                times.add (juce::Time::getMillisecondCounter());
            });
            runner.setInputStarted (id, true);
        }

        void send (const juce::MemoryBlock& block)
        {
            runner.receiveFromTool (runner.getOutputInfo().identifier, juce::MidiMessage (block.getData(), (int) block.getSize()));
        }

        juce::Array<juce::MemoryBlock> received()
        {
            const std::lock_guard<std::mutex> sl (lock);
            return answers;
        }

        SimulatedProductRunner runner;
        std::mutex lock;
        juce::Array<juce::MemoryBlock> answers;
        juce::Array<juce::uint32> times;
    };

    using Fault = SimulatedProductRunner::FaultOnTheWay;
}

//==============================================================================
TEST (SimulatedFaultsOnTheWay, EachSpoilsOnlyTheAnswerToTheCountedRequest)
{
    const struct { Fault fault; const char* name; } faults[] = {
        { Fault::dropAnswer, "dropped" }, { Fault::corruptAnswerByte, "corrupted" },
        { Fault::truncateAnswer, "truncated" }, { Fault::delayAnswer, "late" } };
    constexpr int faultyIndex = 2, delayMs = 150;

    // The answers as they come without a fault.
    ConnectedJorvek clean;
    clean.send (identityRequest());

    for (int row = 0; row < 4; ++row)
        clean.send (routerRead (row));

    ASSERT_TRUE (clean.runner.waitUntilIdle (5000));
    const auto expected = clean.received();
    ASSERT_EQ (expected.size(), 5);

    for (const auto& f : faults)
    {
        SCOPED_TRACE (f.name);
        ConnectedJorvek jorvek;
        jorvek.runner.injectFaultOnce (f.fault, faultyIndex, delayMs);

        // The identity request is no counted request: the fault hits the third read.
        jorvek.send (identityRequest());

        for (int row = 0; row < 4; ++row)
            jorvek.send (routerRead (row));

        ASSERT_TRUE (jorvek.runner.waitUntilIdle (5000));
        EXPECT_TRUE (jorvek.runner.faultWasInjected());
        const auto answers = jorvek.received();
        const auto& original = expected.getReference (1 + faultyIndex);

        if (f.fault == Fault::dropAnswer)
        {
            auto withoutIt = expected;
            withoutIt.remove (1 + faultyIndex);
            EXPECT_EQ (answers, withoutIt);
            continue;
        }

        ASSERT_EQ (answers.size(), expected.size());

        for (int i = 0; i < answers.size(); ++i)
            if (i != 1 + faultyIndex)
                EXPECT_EQ (answers[i], expected[i]) << "answer " << i;

        const auto& spoilt = answers.getReference (1 + faultyIndex);
        const auto* bytes = static_cast<const juce::uint8*> (spoilt.getData());
        const auto* originalBytes = static_cast<const juce::uint8*> (original.getData());

        if (f.fault == Fault::corruptAnswerByte)
        {
            ASSERT_EQ (spoilt.getSize(), original.getSize());
            int differing = 0;

            for (size_t i = 0; i < spoilt.getSize(); ++i)
                if (bytes[i] != originalBytes[i])
                    differing += (bytes[i] ^ originalBytes[i]) == 1 && i > 0 && i + 1 < spoilt.getSize() ? 1 : 100;

            EXPECT_EQ (differing, 1) << "one byte between F0 and F7, its lowest bit";
        }
        else if (f.fault == Fault::truncateAnswer)
        {
            ASSERT_LT (spoilt.getSize(), original.getSize());
            EXPECT_EQ (bytes[spoilt.getSize() - 1], 0xF7);
            EXPECT_EQ (0, memcmp (bytes, originalBytes, spoilt.getSize() - 1)) << "the head of the answer is kept";
        }
        else
        {
            EXPECT_EQ (spoilt, original);
            EXPECT_GE (jorvek.times[1 + faultyIndex] - jorvek.times[faultyIndex], (juce::uint32) delayMs - 5);
        }
    }
}

TEST (SimulatedFaultsOnTheWay, UnpluggedWhileTheRequestIsOutItIsNotCarriedOut)
{
    ConnectedJorvek jorvek;
    jorvek.runner.injectFaultOnce (Fault::unplugWhileOut, 1);

    jorvek.send (routerRead (0));
    jorvek.send (request (SYSX_TYPE_WRITE, kindRouter, { 1, 3, 0x0F, 0x7F, 0x7F, 0x7F, 0x7F }));
    jorvek.send (routerRead (1));

    ASSERT_TRUE (jorvek.runner.waitUntilIdle (5000));
    EXPECT_TRUE (jorvek.runner.faultWasInjected());
    EXPECT_FALSE (jorvek.runner.isPluggedIn());
    EXPECT_EQ (jorvek.received().size(), 1) << "only the answer before the unplug came";
    EXPECT_TRUE (jorvek.runner.getProduct().getAppliedWrites().isEmpty());
}

//==============================================================================
struct PowerUpCase
{
    const char* name;
    bool startInBootloader;
    std::vector<int> programmingSteps;  ///< carried out before the unplug
    bool holdInBootloader;
    bool bootloaderAfterReplug;
};

void PrintTo (const PowerUpCase& c, std::ostream* os)  { *os << c.name; }

class SimulatedPowerUp : public ::testing::TestWithParam<PowerUpCase> {};

TEST_P (SimulatedPowerUp, StartsItsApplicationOnlyFromAWholeImage)
{
    const auto& c = GetParam();
    ConnectedJorvek jorvek (c.startInBootloader);
    auto& product = jorvek.runner.getProduct();

    if (! c.startInBootloader && ! c.programmingSteps.empty())
    {
        // The restart command re-enumerates the product as its bootloader; it keeps its power.
        jorvek.send (request (SYSX_TYPE_COMMAND, SYSX_CMD_RESTART_BOOTLOADER));
        ASSERT_TRUE (jorvek.runner.waitUntilIdle (5000));
        ASSERT_TRUE (product.isBootloaderRunning());
        jorvek.connect();
    }

    for (auto step : c.programmingSteps)
        jorvek.send (programming (step));

    ASSERT_TRUE (jorvek.runner.waitUntilIdle (5000));

    jorvek.runner.unplug();
    jorvek.runner.plugIn (c.holdInBootloader);

    EXPECT_EQ (product.isBootloaderRunning(), c.bootloaderAfterReplug);
    EXPECT_EQ (jorvek.runner.getInputInfo().name.contains ("Upg"), c.bootloaderAfterReplug);
}

INSTANTIATE_TEST_SUITE_P (SimulatedProduct, SimulatedPowerUp, ::testing::Values (
    PowerUpCase { "runningApplication",          false, {},                                   false, false },
    PowerUpCase { "heldInBootloader",            false, {},                                   true,  true  },
    PowerUpCase { "restartedButNotErased",       false, { SYSX_CMD_ICSP_START },               false, false },
    PowerUpCase { "erased",                      false, { SYSX_CMD_ICSP_START, SYSX_CMD_ICSP_ERASE }, false, true },
    PowerUpCase { "programmedToTheEnd",          false, { SYSX_CMD_ICSP_START, SYSX_CMD_ICSP_ERASE,
                                                          SYSX_CMD_ICSP_FINISH_SUCCESS },     false, false },
    PowerUpCase { "startedInBootloader",         true,  {},                                   false, true  },
    PowerUpCase { "startedInBootloaderFinished", true,  { SYSX_CMD_ICSP_START, SYSX_CMD_ICSP_ERASE,
                                                          SYSX_CMD_ICSP_FINISH_SUCCESS },     false, false }),
    [] (const auto& info) { return std::string (info.param.name); });
