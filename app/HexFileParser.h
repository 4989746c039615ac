#pragma once

#include <juce_gui_basics/juce_gui_basics.h>
#include <functional>

class MidiController;
class HexRecord;

/** Reads a firmware image written as Intel HEX text into the device object's
    firmwareImage and checks that it is meant for the connected core.

    Records of type 00 (data, a multiple of 4 bytes), 01 (end of file) and 04
    (extended linear address) are read; every other type is accepted and
    ignored. A record with a character that is not a hexadecimal digit, or
    whose checksum does not match, is refused with "Error 7" on every road,
    so a damaged file is never loaded. The data byte of flash address a
    lands at firmwareImage[a - flashStart]; firmwareImageSize ends just past
    the last data record of the text. Only bytes whose position falls inside
    the image are ever stored.

    The Firmware tab creates one reader per load, sets owner, and drops it when
    the load returns. All operations run on the message thread. The reader
    shows nothing itself: status texts and the product id mismatch box go
    through the hooks below, which tests replace.
*/
class HexFileParser : public juce::Component
{
public:
    HexFileParser();
    ~HexFileParser() override;

    //==============================================================================
    void paint (juce::Graphics&) override;
    void resized() override;

    //==============================================================================
    /** Empties the image: size 0, every byte 0xFF, no base address, write position 0. Only the
        part this reader may have written is filled again (all of it on the first reset), so that
        nothing but this reader may write into the image while the reader lives. */
    void resetImage();

    /** Reads one record into the image. Returns the empty text for an accepted
        record, "Completed" for the end record, otherwise an "Error ..." text. */
    juce::String parseLine (const juce::String& line);

    /** The id byte of the first product id marker that starts below writeOffset
        and lies wholly inside the image; 255 when there is none. */
    juce::uint8 findProductId() const;

    /** The pre-scan: reads the stream up to its end record into the image at
        absolute addresses (addresses beyond the image are skipped) and returns
        the image's product id; 255 when the stream is malformed or damaged,
        ends before the end record or carries no marker. */
    juce::uint8 scanProductId (juce::InputStream& input);

    /** Reads a whole downloaded HEX text. Empty when the image was read and
        belongs to the connected core, otherwise an error text. */
    juce::String parseText (const juce::String& text);

    /** Reads a HEX file ("file:" URL) or web address. Empty when the image was
        read and belongs to the connected core (after switching between the host
        and the device core of one product where that applies); otherwise an
        error, a refusal to switch, or the "Error 9" text while the mismatch box
        is open. The input is read once, up to maxInputSize bytes. */
    juce::String loadFile (const juce::String& location);

    /** What loadFile does with its input once it has been read into memory. */
    juce::String loadData (const void* data, size_t numBytes);

    //==============================================================================
    /** The options of the product id mismatch box. */
    static juce::MessageBoxOptions makeMismatchBoxOptions();

    /** Status texts (posted to the device object as status messages by default). */
    std::function<void (const juce::String&)> postStatus;

    /** Opens the mismatch box; onResult later gets 1 for "Yes: Upgrade anyway",
        0 for "Cancel". By default an asynchronous alert window. */
    std::function<void (std::function<void (int)> onResult)> showMismatchBox;

    /** Called after "Yes: Upgrade anyway" with the Firmware tab that created the
        reader, while that tab still exists; the tab enables its "Start upgrade" button. */
    std::function<void (juce::Component& firmwareTab)> enableStartUpgrade;

    //==============================================================================
    static constexpr size_t maxInputSize = 16 * 1024 * 1024;

    /** Upper address bits of the following data records (the last 04 record's
        value shifted left by 16); -1 until a 04 record is read, which counts
        as a base address of 0. */
    juce::int32 baseAddress = -1;

    /** Image position of the next data byte (in the pre-scan: the absolute address). */
    juce::uint32 writeOffset = 0;

    /** The component that created the reader; looked at when the mismatch box opens. */
    juce::Component* owner = nullptr;

private:
    MidiController* device;

    /** The image bytes from here on are known to be 0xFF: this reader wrote none of them since it
        last filled them. Until its first reset nothing is known. */
    juce::uint32 untouchedFrom;

    /** What the pre-scan found: the product id (255: none), and whether it
        stopped at a damaged record. */
    struct ScanResult
    {
        juce::uint8 productId = 255;
        bool damagedRecord = false;
    };

    ScanResult scanImage (juce::InputStream& input);

    juce::String parseLine (const char* bytes, size_t numBytes);
    /** Stores a data record's bytes from position on, skipping those beyond the image; position
        ends just past the record's last byte. */
    void storeData (const HexRecord& record, juce::uint32& position);
    /** Leaves no image loaded and returns the text. */
    juce::String fail (const juce::String& text);
    /** Switches between the host and the device core of one product when the
        image is for the other core; a refusal text when that core is in its bootloader. */
    juce::String switchCoreIfNeeded (juce::uint8 imageId);
    void openMismatchBox();

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (HexFileParser)
};
