#include "routing/RouterImages.h"

#if PELLION_HAS_RESOURCES
 #include "BinaryData.h"
 #define PELLION_IMAGE(name) juce::ImageCache::getFromMemory (BinaryData::name, BinaryData::name ## Size)
#else
 #define PELLION_IMAGE(name) juce::Image()
#endif

namespace RouterImages
{
    juce::Image usbA()      { return PELLION_IMAGE (usbA_png); }
    juce::Image usbC()      { return PELLION_IMAGE (usbC_png); }
    juce::Image bluetooth() { return PELLION_IMAGE (bluetooth_png); }
    juce::Image midi()      { return PELLION_IMAGE (audioconn_png); }
    juce::Image pencil()    { return PELLION_IMAGE (pencilGrey_png); }
    juce::Image locked()    { return PELLION_IMAGE (locked_png); }
    juce::Image unlocked()  { return PELLION_IMAGE (unlocked_png); }

    void setPicture (juce::ImageButton& button, const juce::Image& picture)
    {
        button.setImages (false, true, true,
                          picture, 1.0f, juce::Colour(),
                          juce::Image(), 1.0f, juce::Colour(),
                          juce::Image(), 1.0f, juce::Colour());
    }
}

#undef PELLION_IMAGE
