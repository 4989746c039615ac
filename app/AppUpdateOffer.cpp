#include "app/AppUpdateOffer.h"
#include "app/WebEndpoints.h"

juce::String AppUpdateOffer::buildChangeLog (const juce::StringArray& lines)
{
    if (lines.isEmpty())
        return {};

    juce::String text ("\n\nChanges log:\n\n");

    for (auto& line : lines)
        text << "- " << line << "\n";

    return text;
}

juce::String AppUpdateOffer::buildMessage (const AppVersionInfo& info, float runningVersion)
{
    return "A new application is available (Version " + info.version
         + "), would you like to update your app (current version is V"
         + juce::String::formatted ("%1.1f", (double) runningVersion) + ") ?"
         + buildChangeLog (info.changelog);
}

AppUpdateOffer AppUpdateOffer::decide (const AppVersionInfo& info, const juce::String& runningVersion)
{
    AppUpdateOffer decision;

    if (! info.valid)
        return decision;

    const double current = WebEndpoints::getVersionValue (runningVersion);
    const double offered = WebEndpoints::getVersionValue (info.version);

    if (current > offered + 0.05)
    {
        decision.markAsBeta = true;
    }
    else if (offered > current + 0.05)
    {
        decision.offer = true;
        decision.message = buildMessage (info, (float) current);
    }

    return decision;
}
