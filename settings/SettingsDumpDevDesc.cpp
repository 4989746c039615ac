#include "settings/SettingsDumpDevDesc.h"
#include "settings/Settings.h"
#include "settings/SettingsLook.h"
#include "app/LayoutRules.h"
#include "app/MainComponent.h"

#if PELLION_HAS_RESOURCES
 #include "BinaryData.h"
#endif

SettingsDumpDevDesc::SettingsDumpDevDesc (Settings* ownerPage) : owner (ownerPage)
{
    setName ("SettingsDumpDevDesc");

    SettingsLook::styleButton (startDumpButton, "new button", TRANS ("Start device dump"),
                               TRANS ("Disconnect Hub if connected, click this button and connect the device which is not "
                                      "recognized, then copy paste the below informations and send to Kelmora support by email"));
    startDumpButton.addListener (this);

    dumpText.setName ("new text editor");
    dumpText.setMultiLine (true, true);
    dumpText.setReturnKeyStartsNewLine (true);
    dumpText.setReadOnly (false);
    dumpText.setScrollbarsShown (true);
    dumpText.setCaretVisible (false);
    dumpText.setPopupMenuEnabled (true);
    dumpText.setColour (juce::TextEditor::textColourId, juce::Colours::white);
    dumpText.setColour (juce::TextEditor::backgroundColourId, juce::Colour (0xff808080));
    // Without a change message: the editor would otherwise set this text again later, over a dump.
    dumpText.setText (TRANS (DescriptorDump::prompt), false);

    SettingsLook::styleLabel (infoLabel, "new label",
                              TRANS ("If one USB MIDI device is not recognized when connected to CL/DR/JK/NM product, please "
                                     "disconnect all hubs and devices, then press below button and connect the unrecognized "
                                     "device, then send the below informations to Kelmora support\n"),
                              14.0f);

    copyButton.setName ("new button");
    copyButton.setTooltip (TRANS ("Press this button to copy the below information to clipboard and paste into an email to "
                                  "Kelmora support\n"));
    copyButton.addListener (this);

   #if PELLION_HAS_RESOURCES
    const auto clipboardImage = juce::ImageCache::getFromMemory (BinaryData::copyClipboard_png, BinaryData::copyClipboard_pngSize);
    copyButton.setImages (false, true, true,
                          clipboardImage, 1.0f, juce::Colour(),
                          juce::Image(), 1.0f, juce::Colour(),
                          juce::Image(), 1.0f, juce::Colour());
   #endif

    for (juce::Component* child : { (juce::Component*) &startDumpButton, (juce::Component*) &dumpText,
                                    (juce::Component*) &infoLabel, (juce::Component*) &copyButton })
        addAndMakeVisible (child);

    setSize (800, 202);
}

SettingsDumpDevDesc::~SettingsDumpDevDesc() = default;

void SettingsDumpDevDesc::paint (juce::Graphics& g)
{
    g.fillAll (SettingsLook::panelBackground);
}

void SettingsDumpDevDesc::resized()
{
    using LayoutRules::scaled;
    const int w = getWidth(), h = getHeight();

    startDumpButton.setBounds (w / 2 - scaled (w, 0.2675) / 2, scaled (h, 0.3416), scaled (w, 0.2675), scaled (h, 0.1188));
    dumpText.setBounds (w / 2 - scaled (w, 0.9675) / 2, scaled (h, 0.5545), scaled (w, 0.9675), scaled (h, 0.396));
    infoLabel.setBounds (w / 2 - scaled (w, 0.9775) / 2, 0, scaled (w, 0.9775), scaled (h, 0.3267));
    copyButton.setBounds (scaled (w, 0.9775) - 30, scaled (h, 0.3416), 30, 24);
}

//==============================================================================
void SettingsDumpDevDesc::appendText (const juce::String& text)
{
    if (text.isNotEmpty())
        dumpText.insertTextAtCaret (text);
}

void SettingsDumpDevDesc::startDeviceDump()
{
    auto* device = MidiController::getInstance();

    if (device == nullptr)
        return;

    clearDump();

    const auto* main = owner != nullptr ? owner->getMainComponent() : nullptr;
    const auto version = main != nullptr ? main->applicationVersion() : juce::String (PELLION_APP_VERSION);

    for (const auto& piece : DescriptorDump::getHeader (*device, version))
        appendText (piece);

    dump.start (*device);
}

void SettingsDumpDevDesc::clearDump()
{
    dumpText.clear();
    dumpText.repaint();
}

void SettingsDumpDevDesc::resetDump()
{
    clearDump();
    setCopyEnabled (false);
}

void SettingsDumpDevDesc::setCopyEnabled (bool enabled)
{
    copyButton.setEnabled (enabled);
}

void SettingsDumpDevDesc::copyToClipboard()
{
    dumpText.selectAll();
    juce::SystemClipboard::copyTextToClipboard (dumpText.getText());
    dumpText.moveCaretToEnd();

    auto options = juce::MessageBoxOptions()
                       .withIconType (juce::MessageBoxIconType::InfoIcon)
                       .withTitle (DescriptorDump::copyNoticeTitle)
                       .withMessage (DescriptorDump::getCopyNoticeMessage())
                       .withButton (TRANS ("OK"));

    if (auto* main = owner != nullptr ? owner->getMainComponent() : nullptr)
        main->boxPresenter.show (options);
}

void SettingsDumpDevDesc::updateEnablement (int mode)
{
    auto* device = MidiController::getInstance();
    const bool enabled = device != nullptr && DescriptorDump::isEnabled (*device, mode);

    startDumpButton.setEnabled (enabled);
    dumpText.setEnabled (enabled);
}

//==============================================================================
void SettingsDumpDevDesc::buttonClicked (juce::Button* button)
{
    if (button == &startDumpButton)
        startDeviceDump();
    else if (button == &copyButton)
        copyToClipboard();
}
