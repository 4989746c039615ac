#pragma once

#include <juce_data_structures/juce_data_structures.h>

/** The maker's web endpoints: where they are, and the small rules shared by their readers.

    Each address is an origin (scheme, host and optional port) followed by the
    endpoint's fixed path. The built-in origins lie under a reserved domain; a
    properties file may replace any of them with the keys "UpdateServer",
    "CatalogueServer" and "ReportServer", each holding a whole origin such as
    "http://127.0.0.1:8080".
*/
struct WebEndpoints
{
    enum Endpoint
    {
        versionList,       ///< the update server's list of application versions
        firmwareCatalogue, ///< the catalogue server's firmware list
        deviceReport       ///< the server that takes reports of attached USB devices
    };

    static constexpr const char* defaultUpdateOrigin    = "https://updates.pellion.invalid";
    static constexpr const char* defaultCatalogueOrigin = "https://catalogue.pellion.invalid";
    static constexpr const char* defaultReportOrigin    = "https://report.pellion.invalid";

   #if JUCE_WINDOWS
    static constexpr const char* platformKey  = "windows"; ///< the version list's platform, in its path and entries
    static constexpr const char* platformName = "Windows"; ///< the platform as the device report names it
   #elif JUCE_MAC
    static constexpr const char* platformKey  = "macos";
    static constexpr const char* platformName = "macOS";
   #else
    static constexpr const char* platformKey  = "linux";
    static constexpr const char* platformName = "Linux";
   #endif

    /** The version list of this application for the platform the tool runs on. */
    static constexpr const char* versionListPath =
   #if JUCE_WINDOWS
        "/api/apps/pellion/windows/versions";
   #elif JUCE_MAC
        "/api/apps/pellion/macos/versions";
   #else
        "/api/apps/pellion/linux/versions";
   #endif
    static constexpr const char* firmwareCataloguePath = "/sv/sv_midi_firmware_v4.json";
    static constexpr const char* deviceReportPath      = "/custom/postPvDevice.php";

    static constexpr const char* updateServerKey    = "UpdateServer";
    static constexpr const char* catalogueServerKey = "CatalogueServer";
    static constexpr const char* reportServerKey    = "ReportServer";

    /** Answers of this many characters or fewer count as no answer. */
    static constexpr int minimumAnswerLength = 50;
    /** Largest body read for the version list and the catalogue. */
    static constexpr juce::int64 maxListBytes = 1 << 20;
    /** Largest firmware file read. */
    static constexpr juce::int64 maxFirmwareFileBytes = 16 << 20;

    static constexpr int fetchConnectionTimeoutMs  = 3000;
    static constexpr int postConnectionTimeoutMs = 60000;
    static constexpr int maxRedirects = 5;

    /** Joins an origin and a path with exactly one '/' between them. */
    static juce::String joinOriginAndPath (const juce::String& origin, const juce::String& path);

    /** True for "http://" or "https://" followed by a host, without path, query or fragment. */
    static bool isUsableOrigin (const juce::String& origin);

    /** The endpoint's address: the override origin when it is usable, else the built-in one. */
    static juce::String getAddress (Endpoint endpoint, const juce::String& originOverride = {});

    /** The endpoint's address, with the override read from the properties (may be null). */
    static juce::String getAddress (Endpoint endpoint, const juce::PropertySet* properties);

    static juce::String getDefaultOrigin (Endpoint endpoint);
    static juce::String getPath (Endpoint endpoint);
    static juce::String getPropertyKey (Endpoint endpoint);

    /** The catalogue's product id of a ProductCode; empty for codes that have none. */
    static juce::String getCatalogueProductId (int productCode);

    /** The decimal number at the start of a version text (blanks and a sign allowed), 0 when none. */
    static float getVersionValue (const juce::String& versionText);

    /** The URL of an address exactly as given: query and fragment are neither parsed nor re-encoded. */
    static juce::URL toUrl (const juce::String& address);
};
