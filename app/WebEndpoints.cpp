#include "app/WebEndpoints.h"

juce::String WebEndpoints::joinOriginAndPath (const juce::String& origin, const juce::String& path)
{
    auto base = origin.trim();

    while (base.endsWithChar ('/'))
        base = base.dropLastCharacters (1);

    auto tail = path.trim();

    while (tail.startsWithChar ('/'))
        tail = tail.substring (1);

    return base + "/" + tail;
}

bool WebEndpoints::isUsableOrigin (const juce::String& origin)
{
    auto text = origin.trim();

    while (text.endsWithChar ('/'))
        text = text.dropLastCharacters (1);

    juce::String host;

    if (text.startsWithIgnoreCase ("https://"))
        host = text.substring (8);
    else if (text.startsWithIgnoreCase ("http://"))
        host = text.substring (7);
    else
        return false;

    return host.isNotEmpty() && ! host.containsAnyOf ("/?#\\ \t\r\n");
}

juce::String WebEndpoints::getDefaultOrigin (Endpoint endpoint)
{
    switch (endpoint)
    {
        case versionList:       return defaultUpdateOrigin;
        case firmwareCatalogue: return defaultCatalogueOrigin;
        case deviceReport:      return defaultReportOrigin;
    }

    return {};
}

juce::String WebEndpoints::getPath (Endpoint endpoint)
{
    switch (endpoint)
    {
        case versionList:       return versionListPath;
        case firmwareCatalogue: return firmwareCataloguePath;
        case deviceReport:      return deviceReportPath;
    }

    return {};
}

juce::String WebEndpoints::getPropertyKey (Endpoint endpoint)
{
    switch (endpoint)
    {
        case versionList:       return updateServerKey;
        case firmwareCatalogue: return catalogueServerKey;
        case deviceReport:      return reportServerKey;
    }

    return {};
}

juce::String WebEndpoints::getAddress (Endpoint endpoint, const juce::String& originOverride)
{
    auto origin = isUsableOrigin (originOverride) ? originOverride : getDefaultOrigin (endpoint);
    return joinOriginAndPath (origin, getPath (endpoint));
}

juce::String WebEndpoints::getAddress (Endpoint endpoint, const juce::PropertySet* properties)
{
    return getAddress (endpoint, properties != nullptr ? properties->getValue (getPropertyKey (endpoint))
                                                       : juce::String());
}

juce::String WebEndpoints::getCatalogueProductId (int productCode)
{
    static const char* const ids[] =
    {
        "dorvinbc", "calderpro", "gavrelpro", "jorvekpro", "lissarpro", "norrimpro",
        "ramselprofordorvinbc", "ramselproforcalderpro", "ramselproforgavrelpro",
        "tovaneproforjorvekpro", "tovaneproforlissarpro", "tovaneprofornorrimpro"
    };

    if (productCode >= 1 && productCode <= (int) juce::numElementsInArray (ids))
        return ids[productCode - 1];

    return {};
}

float WebEndpoints::getVersionValue (const juce::String& versionText)
{
    // Only the sign, digits and points are read: the framework's reader would take an exponent
    // as well and gather it in an int, which a long one overflows. A version has none.
    const auto text = versionText.trimStart();
    const int signLength = text.startsWithChar ('-') || text.startsWithChar ('+') ? 1 : 0;
    const auto number = text.substring (signLength).initialSectionContainingOnly ("0123456789.").substring (0, 18);
    return (text.substring (0, signLength) + number).getFloatValue();
}

juce::URL WebEndpoints::toUrl (const juce::String& address)
{
    return juce::URL::createWithoutParsing (address);
}
