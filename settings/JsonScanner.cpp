#include "settings/JsonScanner.h"
#include "app/Utf8Text.h"

//==============================================================================
bool JsonScanner::Token::hasText() const
{
    return type == Type::number || (type == Type::string && end > begin);
}

bool JsonScanner::Token::hasEscapes() const
{
    return type == Type::string && std::memchr (begin, '\\', (size_t) (end - begin)) != nullptr;
}

/** Calls fn (unit, escaped) with each character of a string or number, escapes decoded
    (\uXXXX as its UTF-16 unit), other bytes as they are, until fn returns false. */
template <typename Fn>
void JsonScanner::Token::forEachUnit (Fn&& fn) const
{
    if (type != Type::string && type != Type::number)
        return;

    for (auto* c = begin; c < end; ++c)
    {
        if (type == Type::number || *c != '\\')
        {
            if (! fn ((juce::juce_wchar) (juce::uint8) *c, false))
                return;

            continue;
        }

        // The scan made sure that every escape is complete.
        juce::juce_wchar unit = (juce::uint8) *++c;

        switch (unit)
        {
            case 'b': unit = '\b'; break;
            case 'f': unit = '\f'; break;
            case 'n': unit = '\n'; break;
            case 'r': unit = '\r'; break;
            case 't': unit = '\t'; break;
            case 'u':
                unit = 0;

                for (int i = 0; i < 4; ++i)
                    unit = (unit << 4) | (juce::juce_wchar) juce::CharacterFunctions::getHexDigitValue ((juce::juce_wchar) *++c);

                break;
            default:  break;
        }

        if (! fn (unit, true))
            return;
    }
}

juce::uint32 JsonScanner::Token::getHexValue() const
{
    juce::uint32 value = 0;

    auto take = [&value] (juce::juce_wchar unit)
    {
        const int digit = juce::CharacterFunctions::getHexDigitValue (unit);

        if (digit >= 0)
            value = (value << 4) | (juce::uint32) digit;

        return true;
    };

    if (hasEscapes())
        forEachUnit ([&take] (juce::juce_wchar unit, bool) { return take (unit); });
    else if (type == Type::string || type == Type::number)
        for (auto* c = begin; c < end; ++c)
            take ((juce::juce_wchar) (juce::uint8) *c);

    return value;
}

juce::String JsonScanner::Token::getText() const
{
    if (! hasText())
        return {};

    const auto length = (size_t) (end - begin);

    if (! hasEscapes())
        return Utf8Text::fromBytes (begin, length);

    // Decoding never lengthens the text: an escape of six characters gives at most three bytes.
    juce::HeapBlock<char> utf8 (length);
    auto* out = utf8.get();
    juce::juce_wchar highSurrogate = 0;

    auto writeCodePoint = [&out] (juce::juce_wchar codePoint)
    {
        juce::CharPointer_UTF8 writer (out);
        writer.write (codePoint);
        out = writer.getAddress();
    };

    forEachUnit ([&] (juce::juce_wchar unit, bool escaped)
    {
        const bool isHigh = escaped && unit >= 0xD800 && unit <= 0xDBFF;
        const bool isLow = escaped && unit >= 0xDC00 && unit <= 0xDFFF;

        if (highSurrogate != 0)
        {
            if (isLow)
            {
                writeCodePoint (0x10000 + ((highSurrogate - 0xD800) << 10) + (unit - 0xDC00));
                highSurrogate = 0;
                return true;
            }

            writeCodePoint (0xFFFD);
            highSurrogate = 0;
        }

        if (isHigh)
            highSurrogate = unit;
        else if (isLow)
            writeCodePoint (0xFFFD);
        else if (escaped)
            writeCodePoint (unit);
        else
            *out++ = (char) unit;

        return true;
    });

    if (highSurrogate != 0)
        writeCodePoint (0xFFFD);

    return Utf8Text::fromBytes (utf8.get(), (size_t) (out - utf8.get()));
}

bool JsonScanner::Token::isText (const char* ascii) const
{
    if (! hasEscapes())
    {
        const auto length = (size_t) (end - begin);
        return (type == Type::string || type == Type::number) && std::strlen (ascii) == length
            && std::memcmp (begin, ascii, length) == 0;
    }

    bool same = true;

    forEachUnit ([&] (juce::juce_wchar unit, bool)
    {
        same = *ascii != 0 && unit == (juce::juce_wchar) *ascii++;
        return same;
    });

    return same && *ascii == 0;
}

//==============================================================================
JsonScanner::JsonScanner (const void* text, size_t size, int maxNestingToAllow)
    : position (static_cast<const char*> (text)), end (position + size), maxNesting (maxNestingToAllow)
{
}

char JsonScanner::peek()
{
    while (position < end && (*position == ' ' || *position == '\t' || *position == '\n' || *position == '\r'))
        ++position;

    return position < end ? *position : 0;
}

bool JsonScanner::consume (char c)
{
    if (peek() != c)
        return false;

    ++position;
    return true;
}

bool JsonScanner::scanValue (Token& token, int depth)
{
    token = {};

    switch (peek())
    {
        case '{': case '[':
            token.type = Token::Type::container;
            return skipContainer (depth + 1);
        case '"':  return scanString (token);
        case 't':  return scanLiteral ("true", token);
        case 'f':  return scanLiteral ("false", token);
        case 'n':  return scanLiteral ("null", token);
        default:   return scanNumber (token);
    }
}

bool JsonScanner::skipContainer (int depth)
{
    Token ignored;

    if (peek() == '{')
        return scanMembers (depth, [&] (const Token&) { return scanValue (ignored, depth); });

    return scanElements (depth, [&] (int) { return scanValue (ignored, depth); });
}

bool JsonScanner::scanString (Token& token)
{
    token.type = Token::Type::string;
    token.begin = ++position;

    while (position < end)
    {
        const char c = *position++;

        if (c == '"')
        {
            token.end = position - 1;
            return true;
        }

        if (c == '\\')
        {
            if (position == end)
                return false;

            if (*position++ == 'u')
                for (int i = 0; i < 4; ++i)
                    if (position == end || juce::CharacterFunctions::getHexDigitValue ((juce::juce_wchar) *position++) < 0)
                        return false;
        }
    }

    return false;
}

bool JsonScanner::isDigitHere() const
{
    return position < end && *position >= '0' && *position <= '9';
}

void JsonScanner::skipDigits()
{
    while (isDigitHere())
        ++position;
}

bool JsonScanner::scanNumber (Token& token)
{
    token.type = Token::Type::number;
    token.begin = position;

    if (position < end && *position == '-')
        ++position;

    if (! isDigitHere())
        return false;

    if (*position++ != '0')
        skipDigits();

    if (position < end && *position == '.')
    {
        ++position;

        if (! isDigitHere())
            return false;

        skipDigits();
    }

    if (position < end && (*position == 'e' || *position == 'E'))
    {
        ++position;

        if (position < end && (*position == '+' || *position == '-'))
            ++position;

        if (! isDigitHere())
            return false;

        skipDigits();
    }

    token.end = position;
    return true;
}

bool JsonScanner::scanLiteral (const char* literal, Token& token)
{
    const auto length = std::strlen (literal);

    if ((size_t) (end - position) < length || std::memcmp (position, literal, length) != 0)
        return false;

    token.type = Token::Type::literal;
    position += length;
    return true;
}
