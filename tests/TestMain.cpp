#include <gtest/gtest.h>
#include <juce_gui_basics/juce_gui_basics.h>
#include "device/MidiController.h"

int main (int argc, char** argv)
{
    ::testing::InitGoogleTest (&argc, argv);
    juce::ScopedJuceInitialiser_GUI juce;
    const int result = RUN_ALL_TESTS();

    // The device object lives for the whole run, as it does in the application.
    MidiController::deleteInstance();
    juce::MessageManager::getInstance()->runDispatchLoopUntil (20);
    return result;
}
