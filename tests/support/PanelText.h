#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

/** Reads the texts of a panel's snapshot by OCR (ImageMagick and tesseract), as a person reads them. */
namespace PanelText
{
    /** True when the OCR tools are installed (scripts/setup installs them). */
    inline bool isAvailable()
    {
        return juce::File ("/usr/bin/tesseract").existsAsFile()
                && (juce::File ("/usr/bin/convert").existsAsFile() || juce::File ("/usr/local/bin/convert").existsAsFile());
    }

    /** How the text of an area is made dark on white for the reader. */
    enum Reading
    {
        darkOnLight = 0,    ///< dark text of buttons and lists, read as it is
        lightOnDark = 1,    ///< white text on the dark panel, negated
        colouredOnDark = 2  ///< white, coral or red text on the dark panel: its brightness, negated
    };

    /** Text read by OCR from an area of an image. Light text on the dark panel is made dark on white
        first (negate); the dark text of buttons and lists is read as it is. */
    inline juce::String readPanelText (const juce::Image& image, juce::Rectangle<int> area, int negate, bool singleLine,
                                       const juce::File& folder)
    {
        const auto png = folder.getChildFile ("panel.png");
        const auto prepared = folder.getChildFile ("panel-ocr.png");
        png.deleteFile();

        {
            juce::FileOutputStream out (png);
            juce::PNGImageFormat format;

            if (! out.openedOk() || ! format.writeImageToStream (image.getClippedImage (area), out))
                return {};
        }

        juce::StringArray convert { "convert", png.getFullPathName() };
        if (negate == Reading::colouredOnDark)
            convert.addArray ({ "-colorspace", "HSB", "-channel", "B", "-separate", "-negate", "-resize", "300%" });
        else if (negate)
            convert.addArray ({ "-colorspace", "Gray", "-negate", "-resize", "200%", "-threshold", "50%" });
        else
            convert.addArray ({ "-colorspace", "Gray", "-resize", "300%" });
        convert.add (prepared.getFullPathName());

        juce::ChildProcess converter;
        if (! converter.start (convert) || ! converter.waitForProcessToFinish (15000))
            return {};

        juce::ChildProcess tesseract;
        if (! tesseract.start (juce::StringArray { "env", "OMP_THREAD_LIMIT=1", "tesseract", prepared.getFullPathName(),
                                                   "stdout", "--psm", singleLine ? "7" : "11" }))
            return {};

        return tesseract.readAllProcessOutput();
    }
}

using PanelText::readPanelText;
