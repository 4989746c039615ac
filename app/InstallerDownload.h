#pragma once

#include <juce_events/juce_events.h>
#include <functional>

/** Downloads an application installer into the user's desktop folder, off the message thread.

    The file name is the last path segment of the url without query or
    fragment (the request keeps both). As it comes from the server it is
    untrusted: an empty name, one that begins with '.', or one with '/', '\\',
    ':' or a control character is refused, the name passes through
    juce::File::createLegalFileName, the target must lie directly in the desktop
    folder (which must not be the home folder), and only a regular file is ever
    replaced (never a directory or a link). The body goes to a hidden temporary
    file beside the target, which replaces the target only when the whole answer
    arrived with a status of 200-299; otherwise it is deleted.

    The caller polls with a timer (every 500 ms): poll() writes "downloading...\n"
    to the standard output while the download runs; pollOnMessageThread() runs
    that timer itself and reports the end once. Deleting the object cancels
    the download, waits for its thread (never killing it) and removes any
    partial file.
*/
class InstallerDownload : private juce::Thread,
                          private juce::Timer
{
public:
    enum class State
    {
        ignored,  ///< the url without query and fragment has 10 characters or fewer: nothing to do
        refused,  ///< the download cannot start: show the error alert
        running,
        failed,   ///< show the error alert
        finished  ///< show the "File downloaded" alert
    };

    static constexpr const char* errorTitle = "Error while downloading file";
    static constexpr const char* errorMessage = "An error occured while downloading the app update";
    static constexpr const char* doneTitle = "File downloaded";
    static constexpr const char* doneMessage = "The new app version was downloaded on your desktop, "
                                               "please close this app and install the latest version";
    static constexpr const char* progressText = "downloading...\n";
    static constexpr int pollIntervalMs = 500;
    static constexpr int connectionTimeoutMs = 30000;

    /** Checks the url and the target and, when both are usable, starts the download. */
    explicit InstallerDownload (const juce::String& url);
    ~InstallerDownload() override;

    State getState() const noexcept { return state.load(); }

    /** For the caller's timer: the state, after writing the progress text while running. */
    State poll();

    /** Polls every pollIntervalMs on the message thread and calls onEnd once, with
        failed or finished, when the download has ended (message thread only). */
    void pollOnMessageThread (std::function<void (State)> onEnd);

    /** Where the installer is saved (a non-existent file when the download was refused or ignored). */
    const juce::File& getTargetFile() const noexcept { return target; }

    /** The url without its query ("?" and after) and fragment ("#" and after). */
    static juce::String stripQueryAndFragment (const juce::String& url);

    /** The installer's file name for a url: empty when the url yields no acceptable name. */
    static juce::String getSafeFileName (const juce::String& url);

    /** The target file in the desktop folder; a non-existent File() when the download must be
        refused, which it is too when the desktop folder is the home folder. */
    static juce::File chooseTarget (const juce::String& url, const juce::File& desktopFolder,
                                    const juce::File& homeFolder);

    /** True when nothing is at the place, or a regular file that may be replaced. */
    static bool isReplaceable (const juce::File& file);

private:
    void run() override;
    void timerCallback() override;
    bool download (const juce::File& temporary);

    const juce::String address;
    juce::File target;
    std::atomic<State> state { State::refused };
    std::function<void (State)> endCallback;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (InstallerDownload)
};
