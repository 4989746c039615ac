#pragma once

#include <juce_core/juce_core.h>

/** Scans JSON text in place and checks its syntax on the way, without building a document.

    Strings, numbers and literals come out as tokens pointing into the text; containers
    are walked through callbacks or skipped whole. Containers nested deeper than
    maxNesting count as a syntax error, so the scan never recurses further than that.
    Whatever follows the first value is not looked at.
*/
class JsonScanner
{
public:
    /** A scanned value. A string spans its raw content between the quotes, a number its
        text; literals and containers carry no text. */
    struct Token
    {
        enum class Type { none, string, number, literal, container };

        Type type = Type::none;
        const char* begin = nullptr;
        const char* end = nullptr;

        /** A number, or a string that is not empty. */
        bool hasText() const;
        /** The text read as hexadecimal: characters that are not hexadecimal digits are skipped
            and only the last eight digits count; 0 without text. */
        juce::uint32 getHexValue() const;
        /** The text with its escapes and their surrogate pairs decoded; bytes that are no valid
            UTF-8 are taken one character each. */
        juce::String getText() const;
        /** True when the text, decoded, is exactly this ASCII text. */
        bool isText (const char* ascii) const;

    private:
        bool hasEscapes() const;
        template <typename Fn> void forEachUnit (Fn&& fn) const;
    };

    JsonScanner (const void* text, size_t size, int maxNesting);

    /** The next character after any whitespace; 0 at the end. */
    char peek();
    /** Consumes the next character after any whitespace when it is c. */
    bool consume (char c);

    /** Scans one value held by a container at depth; a container value is checked and skipped. */
    bool scanValue (Token& token, int depth);

    /** At an object at depth: calls onMember (key) for each member, which scans the value and
        returns false to stop with an error. */
    template <typename Fn>
    bool scanMembers (int depth, Fn&& onMember)
    {
        if (depth > maxNesting || ! consume ('{'))
            return false;

        if (consume ('}'))
            return true;

        do
        {
            Token key;

            if (peek() != '"' || ! scanString (key) || ! consume (':') || ! onMember (key))
                return false;
        }
        while (consume (','));

        return consume ('}');
    }

    /** At an array at depth: calls onElement (index) for each element, which scans it and
        returns false to stop with an error. */
    template <typename Fn>
    bool scanElements (int depth, Fn&& onElement)
    {
        if (depth > maxNesting || ! consume ('['))
            return false;

        if (consume (']'))
            return true;

        int index = 0;

        do
        {
            if (! onElement (index++))
                return false;
        }
        while (consume (','));

        return consume (']');
    }

private:
    bool skipContainer (int depth);
    bool scanString (Token& token);
    bool scanNumber (Token& token);
    bool scanLiteral (const char* literal, Token& token);
    bool isDigitHere() const;
    void skipDigits();

    const char* position;
    const char* const end;
    const int maxNesting;
};
