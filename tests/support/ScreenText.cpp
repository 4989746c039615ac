#include "support/ScreenText.h"
#include "support/ScreenTools.h"

namespace ScreenText
{
    using ScreenTools::findTool;
    using ScreenTools::runTool;

    juce::String read (const juce::Image& image, const juce::File& imageFile, juce::Rectangle<int> area, int threshold)
    {
        float brightness = 0.0f;
        int samples = 0;

        for (int y = area.getY(); y < area.getBottom(); y += 2)
            for (int x = area.getX(); x < area.getRight(); x += 2, ++samples)
                brightness += image.getPixelAt (x, y).getBrightness();

        auto prepared = imageFile.getSiblingFile ("prepared.png");
        juce::StringArray convert { findTool ("convert"), imageFile.getFullPathName(), "-crop",
                                    juce::String (area.getWidth()) + "x" + juce::String (area.getHeight())
                                        + "+" + juce::String (area.getX()) + "+" + juce::String (area.getY()),
                                    "+repage", "-colorspace", "Gray" };

        const bool darkBackground = brightness / (float) juce::jmax (1, samples) < 0.5f;

        if (darkBackground)
            convert.add ("-negate");

        convert.addArray ({ "-resize", "400%", "-threshold", juce::String (darkBackground ? threshold + 15 : threshold) + "%",
                            "-bordercolor", "white", "-border", "12", prepared.getFullPathName() });
        if (! runTool (convert))
            return {};

        juce::String text;
        runTool ({ "env", "OMP_THREAD_LIMIT=1", findTool ("tesseract"), prepared.getFullPathName(), "stdout", "--psm", "7" }, &text);
        return text.trim();
    }

    juce::String read (const juce::Image& image, const juce::File& imageFile, juce::Rectangle<int> area,
                           const juce::String& wanted)
    {
        juce::String text;

        for (int threshold : { 50, 45 })
            if ((text = read (image, imageFile, area, threshold)) == wanted)
                break;

        return text;
    }

    bool isAvailable()
    {
        return findTool ("tesseract").isNotEmpty() && findTool ("convert").isNotEmpty();
    }

    bool savePng (const juce::Image& image, const juce::File& file)
    {
        file.deleteFile();
        juce::FileOutputStream out (file);
        return out.openedOk() && juce::PNGImageFormat().writeImageToStream (image, out);
    }
}
