#include "processor/StateReader.h"

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

class Reader
{
public:
    Reader (const void* data, size_t numBytes) : in (data, numBytes, false) {}

    juce::ValueTree readTree (int depth)
    {
        auto type = in.readString();

        if (type.isEmpty())
            return {};

        if (depth > maxValueTreeDepth)
        {
            corrupt = true;
            return {};
        }

        juce::ValueTree tree (type);
        const auto numProperties = in.readCompressedInt();

        if (numProperties < 0)
            return tree;

        for (int i = 0; i < numProperties && ! corrupt; ++i)
        {
            // Past the end every further name reads empty and is skipped.
            if (in.isExhausted())
                break;

            auto name = in.readString();

            if (name.isNotEmpty())
            {
                auto value = readVar (depth);
                tree.setProperty (name, value, nullptr);
            }
        }

        const auto numChildren = in.readCompressedInt();

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
    juce::var readVar (int depth)
    {
        const auto numBytes = in.readCompressedInt();

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
                return text.toUTF8();
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

                for (auto remaining = in.readCompressedInt(); --remaining >= 0 && ! corrupt;)
                {
                    if (in.isExhausted() && remaining + 1 > maxPaddedArrayEntries)
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
