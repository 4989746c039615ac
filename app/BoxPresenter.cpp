#include "app/BoxPresenter.h"

BoxPresenter::BoxPresenter (juce::Component& associatedComponent) : associated (associatedComponent)
{
    showBox = [this] (const juce::MessageBoxOptions& options, std::function<void (int)> onResult)
    {
        showOnScreen (options, std::move (onResult));
    };
}

void BoxPresenter::show (const juce::MessageBoxOptions& options, std::function<void (int)> onResult)
{
    waiting.push_back ({ options.withAssociatedComponent (&associated), false, std::move (onResult) });

    if (! showing)
        showNext();
}

void BoxPresenter::showError (const juce::String& text)
{
    show (juce::MessageBoxOptions().withIconType (juce::MessageBoxIconType::WarningIcon)
              .withTitle ("Error")
              .withMessage (text)
              .withButton (TRANS ("OK")));
}

void BoxPresenter::showDeviceAlert (bool warningIcon, const juce::String& text, std::function<void()> onClosed)
{
    auto options = juce::MessageBoxOptions().withIconType (warningIcon ? juce::MessageBoxIconType::WarningIcon
                                                                       : juce::MessageBoxIconType::InfoIcon)
                                            .withTitle ("Info")
                                            .withMessage (text)
                                            .withButton (TRANS ("OK"))
                                            .withAssociatedComponent (&associated);

    waiting.push_back ({ options, true, [onClosed] (int) { if (onClosed) onClosed(); } });

    if (! showing)
        showNext();
}

void BoxPresenter::showNext()
{
    if (waiting.empty())
    {
        showing = false;
        return;
    }

    auto entry = std::move (waiting.front());
    waiting.pop_front();
    showing = true;
    currentIsSystemBox = entry.systemBox;

    // The next box follows once this one is closed; nothing runs once the presenter is gone.
    std::weak_ptr<bool> presenterAlive = alive;
    auto onResult = std::move (entry.onResult);

    showBox (entry.options, [this, presenterAlive, onResult] (int result)
    {
        if (onResult)
            onResult (result);

        if (! presenterAlive.expired())
            showNext();
    });
}

void BoxPresenter::showOnScreen (const juce::MessageBoxOptions& options, std::function<void (int)> onResult)
{
    if (currentIsSystemBox)
    {
        juce::NativeMessageBox::showMessageBoxAsync (options.getIconType(), options.getTitle(), options.getMessage(),
                                                     options.getAssociatedComponent(),
                                                     juce::ModalCallbackFunction::create ([onResult] (int result)
                                                     {
                                                         if (onResult)
                                                             onResult (result);
                                                     }));
        return;
    }

    juce::AlertWindow::showAsync (options, [onResult] (int result)
    {
        if (onResult)
            onResult (result);
    });
}
