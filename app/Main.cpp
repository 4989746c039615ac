#include <juce_gui_basics/juce_gui_basics.h>

class PlainApplication : public juce::JUCEApplication
{
public:
    const juce::String getApplicationName() override    { return "Pellion Tools"; }
    const juce::String getApplicationVersion() override { return "8.6"; }
    bool moreThanOneInstanceAllowed() override          { return true; }

    void initialise (const juce::String&) override
    {
        window = std::make_unique<Window>();
    }

    void shutdown() override { window = nullptr; }

private:
    struct Window : public juce::DocumentWindow
    {
        Window() : DocumentWindow ("Pellion Tools", juce::Colour (0xff323e44), DocumentWindow::allButtons)
        {
            setUsingNativeTitleBar (true);
            centreWithSize (800, 600);
            setVisible (true);
        }

        void closeButtonPressed() override { juce::JUCEApplication::getInstance()->systemRequestedQuit(); }
    };

    std::unique_ptr<Window> window;
};

START_JUCE_APPLICATION (PlainApplication)
