#include "app/InstallerDownload.h"
#include "app/WebEndpoints.h"
#include "app/WebRequest.h"

#include <iostream>
#include <utility>

juce::String InstallerDownload::stripQueryAndFragment (const juce::String& url)
{
    return url.upToFirstOccurrenceOf ("#", false, false)
              .upToFirstOccurrenceOf ("?", false, false);
}

juce::String InstallerDownload::getSafeFileName (const juce::String& url)
{
    const auto base = stripQueryAndFragment (url);
    const auto name = base.fromLastOccurrenceOf ("/", false, false);

    // A leading '.' would make a hidden file, or replace one such as ".profile" where the
    // desktop folder is the home folder.
    if (name.isEmpty() || name.startsWithChar ('.') || name.containsAnyOf ("/\\:"))
        return {};

    for (auto p = name.getCharPointer(); ! p.isEmpty(); ++p)
        if (*p < 0x20 || *p == 0x7F)
            return {};

    const auto legal = juce::File::createLegalFileName (name).trim();

    if (legal.isEmpty() || legal.startsWithChar ('.'))
        return {};

    return legal;
}

bool InstallerDownload::isReplaceable (const juce::File& file)
{
    if (file.isSymbolicLink())
        return false;

    return ! file.exists() || (file.existsAsFile() && ! file.isDirectory());
}

juce::File InstallerDownload::chooseTarget (const juce::String& url, const juce::File& desktopFolder,
                                            const juce::File& homeFolder)
{
    const auto name = getSafeFileName (url);

    // Where there is no desktop folder of its own, the platform names the home folder: a
    // download there could replace the user's own files, so it is refused.
    if (name.isEmpty() || desktopFolder == juce::File() || ! desktopFolder.isDirectory() || desktopFolder == homeFolder)
        return {};

    auto file = desktopFolder.getChildFile (name);

    if (file.getParentDirectory() != desktopFolder || ! isReplaceable (file))
        return {};

    return file;
}

InstallerDownload::InstallerDownload (const juce::String& url)
    : juce::Thread ("installerDownloadThread"),
      address (url)
{
    if (stripQueryAndFragment (url).length() <= 10)
    {
        state = State::ignored;
        return;
    }

    target = chooseTarget (url, juce::File::getSpecialLocation (juce::File::userDesktopDirectory),
                           juce::File::getSpecialLocation (juce::File::userHomeDirectory));

    if (target == juce::File())
    {
        state = State::refused;
        return;
    }

    state = State::running;

    if (! startThread())
        state = State::refused;
}

InstallerDownload::~InstallerDownload()
{
    stopTimer();

    // The download is cancelled by the exit signal, so waiting is short; never kill.
    stopThread (-1);
}

InstallerDownload::State InstallerDownload::poll()
{
    const auto current = getState();

    if (current == State::running)
        std::cout << progressText << std::flush;

    return current;
}

void InstallerDownload::pollOnMessageThread (std::function<void (State)> onEnd)
{
    endCallback = std::move (onEnd);
    startTimer (pollIntervalMs);
}

void InstallerDownload::timerCallback()
{
    const auto current = poll();

    if (current == State::running)
        return;

    stopTimer();

    // The callback may delete this object: take it out first.
    if (auto callback = std::exchange (endCallback, nullptr))
        callback (current);
}

bool InstallerDownload::download (const juce::File& temporary)
{
    juce::FileOutputStream out (temporary);

    if (! out.openedOk())
        return false;

    WebRequest::Options options;
    options.connectionTimeoutMs = connectionTimeoutMs;
    options.maxRedirects = WebEndpoints::maxRedirects;

    WebRequest request (*this);
    const auto answer = request.perform (WebEndpoints::toUrl (address), options, out);
    out.flush();

    return answer.isCompleted() && answer.isSuccessStatus() && out.getStatus().wasOk();
}

void InstallerDownload::run()
{
    bool ok = false;

    {
        juce::TemporaryFile temporary (target, juce::TemporaryFile::useHiddenFile);

        // The target is checked again: something may have appeared there meanwhile.
        ok = download (temporary.getFile())
              && ! threadShouldExit()
              && isReplaceable (target)
              && temporary.overwriteTargetFileWithTemporary();

        // Leaving the scope deletes whatever did not replace the target.
    }

    state = ok ? State::finished : State::failed;
}
