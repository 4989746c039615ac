#pragma once

#include <juce_gui_basics/juce_gui_basics.h>
#include "routing/RouterCallOutPanel.h"

class RouterListCommon;
class MainComponent;
class MidiController;

/** The window in which the user gives one input or output a name of their own, opened from the
    pencil beside its row. Names live only in the application properties file, under the product's
    serial, "::" and the port's default name; the name is stored when the window closes, and every
    list that shows it is brought up to date. */
class MidiInOutRenameObject : public juce::Component,
                              public juce::Button::Listener,
                              public RouterCallOutPanel
{
public:
    /** port: inputs 0 to P-1, outputs P to 2P-1 (P the product's ports). */
    MidiInOutRenameObject (RouterListCommon* grid, int port, int routerKind);
    ~MidiInOutRenameObject() override;

    void paint (juce::Graphics&) override;
    void resized() override {}
    void buttonClicked (juce::Button*) override;
    void closePanel (bool apply) override;

    void loadPortName (int port);
    /** The port's name without any custom name, as the key of its custom name. */
    juce::String getDefaultPortName (int port) const;
    /** Stores a non-empty name while the product's serial is known, and refreshes every place
        that shows the port's name. */
    void storePortName (int port, const juce::String& key, const juce::String& value);
    /** Every port gets its default name back. */
    void resetAllPortNames();

    std::unique_ptr<juce::Label> titleLabel;
    std::unique_ptr<juce::TextButton> resetButton;
    std::unique_ptr<juce::TextEditor> nameEditor;
    std::unique_ptr<juce::TextButton> resetAllButton, closeButton;

private:
    MainComponent* getMainComponent() const;
    int getNumPorts() const;

    juce::Component::SafePointer<RouterListCommon> grid;
    int port, routerKind;
    juce::String shownName;
    bool closed = false;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (MidiInOutRenameObject)
};
