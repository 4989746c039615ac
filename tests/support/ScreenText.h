#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

/** Reading back what a component shows on the screen, by OCR (tesseract and ImageMagick). */
namespace ScreenText
{
    /** True when the OCR tools are installed. */
    bool isAvailable();

    /** Saves an image as PNG. */
    bool savePng (const juce::Image& image, const juce::File& file);

    /** The text in an area of a saved screenshot, read as one line. Light text on a dark background
        is made dark on light first, as the reader takes it best. */
    juce::String read (const juce::Image& image, const juce::File& imageFile, juce::Rectangle<int> area, int threshold);

    /** The text read in the area; the reader gets two binarisations before it is taken at its word. */
    juce::String read (const juce::Image& image, const juce::File& imageFile, juce::Rectangle<int> area,
                       const juce::String& wanted);
}
