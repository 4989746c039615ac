#include <gtest/gtest.h>
#include <juce_core/juce_core.h>

TEST (Smoke, JuceIsThere)
{
    EXPECT_EQ (juce::String ("8.6"), juce::String (PELLION_APP_VERSION));
}
