#include "app/Utf8Text.h"
#include "app/WebRequest.h"

#include <gtest/gtest.h>

namespace
{
    juce::String utf8 (const char* text) { return juce::String::fromUTF8 (text); }
}

TEST (Utf8Text, OnlyWellFormedUtf8IsTakenAsItIsAndEveryTextCopiesWhole)
{
    struct Case { const char* name; std::string bytes; bool wellFormed; juce::String text; };
    const Case cases[] = {
        { "ASCII",                     "Keys 61",                 true,  "Keys 61" },
        { "two, three and four bytes", "\xC3\xA9\xE2\x82\xAC\xF0\x9F\x8E\xB9", true, utf8 ("\xC3\xA9\xE2\x82\xAC\xF0\x9F\x8E\xB9") },
        { "the last code point",       "\xF4\x8F\xBF\xBF",        true,  utf8 ("\xF4\x8F\xBF\xBF") },
        { "a null byte inside",        std::string ("a\0b", 3),   true,  "a" },
        { "an overlong null",          "/\xC0\x80" "5D",          false, utf8 ("/\xC3\x80\xC2\x80" "5D") },
        { "an overlong slash",         "\xC0\xAF",                false, utf8 ("\xC3\x80\xC2\xAF") },
        { "an overlong three bytes",   "\xE0\x80\xAF",            false, utf8 ("\xC3\xA0\xC2\x80\xC2\xAF") },
        { "an overlong four bytes",    "\xF0\x80\x80\xAF",        false, utf8 ("\xC3\xB0\xC2\x80\xC2\x80\xC2\xAF") },
        { "a five-byte form",          "\xF8\x88\x80\x80\x80",    false, utf8 ("\xC3\xB8\xC2\x88\xC2\x80\xC2\x80\xC2\x80") },
        { "a surrogate half",          "\xED\xA0\x80",            false, utf8 ("\xC3\xAD\xC2\xA0\xC2\x80") },
        { "above U+10FFFF",            "\xF4\x90\x80\x80",        false, utf8 ("\xC3\xB4\xC2\x90\xC2\x80\xC2\x80") },
        { "a cut sequence",            "ab\xE2\x82",              false, utf8 ("ab\xC3\xA2\xC2\x82") },
        { "ISO 8859-1",                "caf\xE9",                 false, utf8 ("caf\xC3\xA9") },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.name);
        EXPECT_EQ (Utf8Text::isWellFormed (c.bytes.data(), c.bytes.size()), c.wellFormed);

        const auto text = Utf8Text::fromBytes (c.bytes.data(), c.bytes.size());
        EXPECT_EQ (text, c.text);
        EXPECT_EQ (juce::String (text.getCharPointer()), text) << "a copy made from the text's characters";

        // A web answer's body is read the same way.
        EXPECT_EQ (WebRequest::bodyToText (juce::MemoryBlock (c.bytes.data(), c.bytes.size())), c.text);
    }
}

TEST (Utf8Text, WebBodiesKeepTheirByteOrderMarks)
{
    const char utf8Marked[] = "\xEF\xBB\xBF{\"a\":1}";
    EXPECT_EQ (WebRequest::bodyToText (juce::MemoryBlock (utf8Marked, sizeof (utf8Marked) - 1)), "{\"a\":1}");

    const char utf16Marked[] = { '\xFF', '\xFE', 'o', 0, 'k', 0 };
    EXPECT_EQ (WebRequest::bodyToText (juce::MemoryBlock (utf16Marked, sizeof (utf16Marked))), "ok");

    EXPECT_EQ (WebRequest::bodyToText ({}), "");
}
