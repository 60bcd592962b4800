#include "processor/StateReader.h"

#include <cstring>

namespace
{
// Marker bytes of the framework's var stream format.
enum : int
{
    markerInt = 1,
    markerBoolTrue = 2,
    markerBoolFalse = 3,
    markerDouble = 4,
    markerString = 5,
    markerInt64 = 6,
    markerArray = 7,
    markerBinary = 8
};

// Void entries an exhausted array may still be padded with, as the framework's reader
// would; a larger claimed count is corrupt.
constexpr int maxPaddedArrayEntries = 4096;

// Well-formed UTF-8 as RFC 3629 defines it: shortest forms only, no surrogates, nothing
// above U+10FFFF.
bool isWellFormedUtf8 (const char* text, size_t numBytes)
{
    const auto* bytes = reinterpret_cast<const juce::uint8*> (text);

    for (size_t i = 0; i < numBytes;)
    {
        const auto lead = bytes[i];

        if (lead < 0x80)
        {
            ++i;
            continue;
        }

        size_t extra = 0;
        juce::uint32 codePoint = 0, smallest = 0;

        if (lead >= 0xc2 && lead <= 0xdf)
            extra = 1, codePoint = lead & 0x1fu, smallest = 0x80;
        else if (lead >= 0xe0 && lead <= 0xef)
            extra = 2, codePoint = lead & 0x0fu, smallest = 0x800;
        else if (lead >= 0xf0 && lead <= 0xf4)
            extra = 3, codePoint = lead & 0x07u, smallest = 0x10000;
        else
            return false;

        if (numBytes - i - 1 < extra)
            return false;

        for (size_t k = 1; k <= extra; ++k)
        {
            const auto next = bytes[i + k];

            if ((next & 0xc0) != 0x80)
                return false;

            codePoint = (codePoint << 6) | (next & 0x3fu);
        }

        if (codePoint < smallest || codePoint > 0x10ffff || (codePoint >= 0xd800 && codePoint <= 0xdfff))
            return false;

        i += extra + 1;
    }

    return true;
}

class Reader
{
public:
    Reader (const void* data, size_t numBytes) : in (data, numBytes, false) {}

    juce::ValueTree readTree (int depth)
    {
        auto type = readText();

        if (type.isEmpty())
            return {};

        if (depth > maxValueTreeDepth)
        {
            corrupt = true;
            return {};
        }

        juce::ValueTree tree (type);
        const auto numProperties = readCompressedInt();

        if (numProperties < 0)
            return tree;

        for (int i = 0; i < numProperties && ! corrupt; ++i)
        {
            // Past the end every further name reads empty and is skipped.
            if (in.isExhausted())
                break;

            auto name = readText();

            if (name.isNotEmpty())
            {
                auto value = readVar (depth);
                tree.setProperty (name, value, nullptr);
            }
        }

        const auto numChildren = readCompressedInt();

        for (int i = 0; i < numChildren && ! corrupt; ++i)
        {
            auto child = readTree (depth + 1);

            if (! child.isValid())
                break;

            tree.appendChild (child, nullptr);
        }

        return tree;
    }

    bool isCorrupt() const noexcept { return corrupt; }

private:
    // Text up to a zero byte or the end of the data, as the framework's readString gives
    // it. Text that is not well-formed UTF-8 marks the data corrupt: the framework would
    // keep it in a string whose length it then misjudges, so that saving the tree again
    // reads past the string and writes bytes that no longer read back as the same tree.
    juce::String readText()
    {
        const auto* start = static_cast<const char*> (in.getData()) + in.getPosition();
        const auto remaining = static_cast<size_t> (in.getNumBytesRemaining());
        const auto length = strnlen (start, remaining);
        in.skipNextBytes (static_cast<juce::int64> (length < remaining ? length + 1 : length));
        return checkedText (start, length);
    }

    juce::String checkedText (const char* start, size_t length)
    {
        if (! isWellFormedUtf8 (start, length))
        {
            corrupt = true;
            return {};
        }

        return juce::String::fromUTF8 (start, static_cast<int> (length));
    }

    // The framework's compressed int: a size byte (its top bit the sign) and up to four
    // little-endian bytes; zero when the size byte is out of range or the data ends. Read
    // here because the framework negates the magnitude as an int, which is undefined for
    // 0x80000000; here it wraps to the smallest int, as the framework's does in practice.
    int readCompressedInt()
    {
        const auto sizeByte = static_cast<juce::uint8> (in.readByte());
        const auto numBytes = sizeByte & 0x7f;

        if (sizeByte == 0 || numBytes > 4)
            return 0;

        char bytes[4] = {};

        if (in.read (bytes, numBytes) != numBytes)
            return 0;

        const auto magnitude = juce::ByteOrder::littleEndianInt (bytes);
        return static_cast<int> ((sizeByte & 0x80) != 0 ? 0u - magnitude : magnitude);
    }

    juce::var readVar (int depth)
    {
        const auto numBytes = readCompressedInt();

        if (numBytes <= 0)
            return {};

        switch (in.readByte())
        {
            case markerInt:
                return in.readInt();
            case markerInt64:
                return in.readInt64();
            case markerBoolTrue:
                return true;
            case markerBoolFalse:
                return false;
            case markerDouble:
                return in.readDouble();

            case markerString:
            {
                juce::MemoryOutputStream text;
                text.writeFromInputStream (in, numBytes - 1);
                const auto* start = static_cast<const char*> (text.getData());
                return checkedText (start, strnlen (start, text.getDataSize()));
            }

            case markerBinary:
            {
                const auto wanted = juce::jmin (static_cast<juce::int64> (numBytes - 1), in.getNumBytesRemaining());
                juce::MemoryBlock block (static_cast<size_t> (juce::jmax<juce::int64> (wanted, 0)));

                if (wanted > 0)
                    block.setSize (static_cast<size_t> (in.read (block.getData(), static_cast<int> (wanted))));

                return block;
            }

            case markerArray:
            {
                if (depth >= maxValueTreeDepth)
                {
                    corrupt = true;
                    return {};
                }

                juce::Array<juce::var> items;

                // A negative count reads as an empty array; counting up keeps the
                // smallest int from wrapping.
                const auto count = readCompressedInt();

                for (int i = 0; i < count && ! corrupt; ++i)
                {
                    if (in.isExhausted() && count - i > maxPaddedArrayEntries)
                    {
                        corrupt = true;
                        break;
                    }

                    items.add (readVar (depth + 1));
                }

                return items;
            }

            default:
                in.skipNextBytes (numBytes - 1);
                return {};
        }
    }

    juce::MemoryInputStream in;
    bool corrupt = false;
};
} // namespace

juce::ValueTree readValueTreeSafely (const void* data, size_t numBytes)
{
    if (data == nullptr || numBytes == 0)
        return {};

    Reader reader (data, numBytes);
    auto tree = reader.readTree (0);

    return reader.isCorrupt() ? juce::ValueTree() : tree;
}
