#include <gtest/gtest.h>

#include <cstring>
#include <limits>

#include "processor/StateReader.h"
#include "processor/VarnuProcessor.h"
#include "support/TestHelpers.h"

using namespace testing_support;

namespace
{
std::vector<float> allValues (VarnuProcessor& p)
{
    std::vector<float> values;
    for (auto* param : p.getParameters())
        values.push_back (param->getValue());
    return values;
}
} // namespace

TEST (State, FreshInstanceWrites284BytesInTheFrameworkStreamFormat)
{
    VarnuProcessor p;
    const auto bytes = toBytes (saveState (p));
    ASSERT_EQ (bytes.size(), 284u);

    const unsigned char head[] { 'P', 'A', 'R', 'A', 'M', 'E', 'T', 'E', 'R', 'S', 0, 0, 1, 7 };
    EXPECT_TRUE (std::equal (std::begin (head), std::end (head), bytes.begin()));

    // First child: "PARAM", two properties, "id" = "bypass" as a string, then "value" 0.0 as a double.
    const unsigned char firstChild[] { 'P', 'A', 'R', 'A', 'M', 0, 1, 2, 'i', 'd', 0, 1, 8, 5,
                                       'b', 'y', 'p', 'a', 's', 's', 0, 'v', 'a', 'l', 'u', 'e', 0, 1,
                                       9,   4,   0,   0,   0,   0,   0, 0,   0,   0,   0 };
    EXPECT_TRUE (std::equal (std::begin (firstChild), std::end (firstChild), bytes.begin() + 14));

    const auto tree = juce::ValueTree::readFromData (bytes.data(), bytes.size());
    ASSERT_EQ (tree.getNumChildren(), 7);
    const char* order[] { "bypass", "character", "flavor", "hpf", "input", "output", "tone" };
    for (int i = 0; i < 7; ++i)
        EXPECT_EQ (tree.getChild (i)["id"].toString(), order[i]);
}

TEST (State, RoundTripRestoresEveryValueExactlyAndKeepsTheProgram)
{
    VarnuProcessor a;
    a.setCurrentProgram (3);
    setPlain (a.apvts, "input", -7.31f);
    setPlain (a.apvts, "bypass", 1.0f);
    setPlain (a.apvts, "character", 12.3f);
    const auto saved = saveState (a);

    VarnuProcessor b;
    b.setCurrentProgram (1);
    b.setStateInformation (saved.getData(), static_cast<int> (saved.getSize()));

    EXPECT_EQ (allValues (a), allValues (b));
    for (const char* id : { "character", "flavor", "input", "hpf", "tone", "output", "bypass" })
        EXPECT_EQ (plainValue (a.apvts, id), plainValue (b.apvts, id)) << id;

    EXPECT_EQ (b.getCurrentProgram(), 1);
    EXPECT_EQ (toBytes (saveState (b)).size(), toBytes (saved).size());
}

TEST (State, SavingOverwritesLongerContent)
{
    VarnuProcessor p;
    juce::MemoryBlock block (4096, true);
    p.getStateInformation (block);
    EXPECT_EQ (block.getSize(), 284u);
}

TEST (State, InvalidDataChangesNothing)
{
    VarnuProcessor p;
    setPlain (p.apvts, "tone", 33.0f);
    const auto before = allValues (p);
    const auto beforeBytes = toBytes (saveState (p));

    const unsigned char zeroFirst[] { 0, 'P', 'A', 'R', 'A', 'M', 0, 0, 0 };
    p.setStateInformation (nullptr, 0);
    p.setStateInformation (zeroFirst, 0);
    p.setStateInformation (zeroFirst, sizeof (zeroFirst));
    p.setStateInformation (zeroFirst, -5);
    p.setStateInformation (nullptr, 100);

    EXPECT_EQ (allValues (p), before);
    EXPECT_EQ (toBytes (saveState (p)), beforeBytes);
}

TEST (State, PartialTreesChangeOnlyWhatTheyName)
{
    VarnuProcessor p;
    setPlain (p.apvts, "tone", 33.0f);

    juce::ValueTree partial ("PARAMETERS");
    partial.appendChild (juce::ValueTree ("PARAM", { { "id", "hpf" }, { "value", 500.0 } }), nullptr);
    partial.appendChild (juce::ValueTree ("PARAM", { { "id", "flavor" }, { "value", 7.0 } }), nullptr);
    const auto block = streamOf (partial);
    p.setStateInformation (block.getData(), static_cast<int> (block.getSize()));

    EXPECT_EQ (plainValue (p.apvts, "hpf"), 300.0f);
    EXPECT_EQ (plainValue (p.apvts, "flavor"), 2.0f);
    EXPECT_FLOAT_EQ (plainValue (p.apvts, "tone"), 33.0f);
    EXPECT_EQ (plainValue (p.apvts, "character"), 40.0f);
}

TEST (State, PartialRestoreAppendsTheUnnamedParametersSortedById)
{
    // The framework appends a child for each parameter a restored tree does not name, in its
    // own parameter order; the next save lists the named ones first, as restored, then those.
    struct Case
    {
        std::vector<const char*> named;
        std::vector<const char*> savedOrder;
    };

    const Case cases[] = {
        { { "character" }, { "character", "bypass", "flavor", "hpf", "input", "output", "tone" } },
        { { "tone", "bypass" }, { "tone", "bypass", "character", "flavor", "hpf", "input", "output" } },
        { { "output", "hpf", "character" }, { "output", "hpf", "character", "bypass", "flavor", "input", "tone" } },
    };

    for (const auto& c : cases)
    {
        VarnuProcessor p;
        setPlain (p.apvts, "input", -6.0f);

        juce::ValueTree partial ("PARAMETERS");
        for (const auto* id : c.named)
            partial.appendChild (juce::ValueTree ("PARAM", { { "id", id }, { "value", 1.0 } }), nullptr);
        const auto block = streamOf (partial);
        p.setStateInformation (block.getData(), static_cast<int> (block.getSize()));

        const auto saved = saveState (p);
        const auto again = juce::ValueTree::readFromData (saved.getData(), saved.getSize());
        std::vector<juce::String> order;
        for (const auto& child : again)
            order.push_back (child["id"].toString());

        EXPECT_EQ (order, std::vector<juce::String> (c.savedOrder.begin(), c.savedOrder.end()))
            << "named first: " << c.named.front();
        EXPECT_FLOAT_EQ (static_cast<float> (again.getChildWithProperty ("id", "input")["value"]), -6.0f)
            << "unnamed parameters keep their values";
    }
}

TEST (State, TreeOfAnotherTypeWithExtraContentIsKeptAndSavedAgain)
{
    VarnuProcessor p;
    juce::ValueTree other ("SOMETHING_ELSE");
    other.setProperty ("extra", 42, nullptr);
    other.appendChild (juce::ValueTree ("PARAM", { { "id", "character" }, { "value", 77.0 } }), nullptr);
    other.appendChild (juce::ValueTree ("NOTE", { { "text", "hello" } }), nullptr);
    const auto block = streamOf (other);
    p.setStateInformation (block.getData(), static_cast<int> (block.getSize()));

    EXPECT_FLOAT_EQ (plainValue (p.apvts, "character"), 77.0f);
    const auto saved = saveState (p);
    const auto again = juce::ValueTree::readFromData (saved.getData(), saved.getSize());
    EXPECT_EQ (again.getType().toString(), "SOMETHING_ELSE");
    EXPECT_EQ ((int) again["extra"], 42);
    EXPECT_TRUE (again.getChildWithName ("NOTE").isValid());
    EXPECT_EQ (again.getNumChildren(), 8) << "the six unnamed parameters are appended";
}

TEST (State, TruncatedBlocksRestoreWhatTheyHold)
{
    VarnuProcessor source;
    setPlain (source.apvts, "bypass", 1.0f);
    setPlain (source.apvts, "character", 90.0f);
    const auto full = toBytes (saveState (source));

    for (size_t length = 1; length < full.size(); ++length)
    {
        VarnuProcessor p;
        p.setStateInformation (full.data(), static_cast<int> (length));
        const auto reference = juce::ValueTree::readFromData (full.data(), length);
        const auto ours = readValueTreeSafely (full.data(), length);
        ASSERT_TRUE (ours.isEquivalentTo (reference)) << "length " << length;
    }
}

TEST (State, CorruptCountsAndDeepNestingAreRefusedWithoutCrashing)
{
    // Seven children claimed as 2^31 - 1: the framework's reader would reserve 16 GiB.
    const unsigned char hugeChildren[] { 'P', 0, 0, 4, 0xff, 0xff, 0xff, 0x7f };
    // A binary property claiming 2 GiB, and an array claiming 2^31 - 1 entries.
    const unsigned char hugeBinary[] { 'P', 0, 1, 1, 'b', 0, 4, 0xff, 0xff, 0xff, 0x7f, 8, 1, 2, 3 };
    const unsigned char hugeArray[] { 'P', 0, 1, 1, 'a', 0, 1, 5, 7, 4, 0xff, 0xff, 0xff, 0x7f, 0 };
    // Two billion properties in a stream that ends at once.
    const unsigned char hugeProperties[] { 'P', 0, 4, 0xff, 0xff, 0xff, 0x7f };

    for (auto [data, size] : { std::pair { hugeChildren, sizeof (hugeChildren) },
                               std::pair { hugeBinary, sizeof (hugeBinary) },
                               std::pair { hugeArray, sizeof (hugeArray) },
                               std::pair { hugeProperties, sizeof (hugeProperties) } })
    {
        VarnuProcessor p;
        p.setStateInformation (data, static_cast<int> (size));
        EXPECT_EQ (plainValue (p.apvts, "character"), 40.0f);
    }

    const auto binary = readValueTreeSafely (hugeBinary, sizeof (hugeBinary));
    ASSERT_TRUE (binary.isValid());
    ASSERT_TRUE (binary["b"].isBinaryData());
    EXPECT_EQ (binary["b"].getBinaryData()->getSize(), 3u);
    EXPECT_FALSE (readValueTreeSafely (hugeArray, sizeof (hugeArray)).isValid());

    // An array counting the smallest int, written as 2^31 or as minus 2^31 (the framework's
    // own reader negates that as an int, which is undefined), reads as an empty array, as any
    // negative count does.
    const unsigned char smallestCount[] { 'P', 0, 1, 1, 'a', 0, 1, 6, 7, 4, 0, 0, 0, 0x80 };
    const unsigned char negatedSmallestCount[] { 'P', 0, 1, 1, 'a', 0, 1, 6, 7, 0x84, 0, 0, 0, 0x80 };

    for (auto [data, size] : { std::pair { smallestCount, sizeof (smallestCount) },
                               std::pair { negatedSmallestCount, sizeof (negatedSmallestCount) } })
    {
        const auto tree = readValueTreeSafely (data, size);
        ASSERT_TRUE (tree.isValid());
        ASSERT_TRUE (tree["a"].isArray());
        EXPECT_EQ (tree["a"].getArray()->size(), 0);
    }

    // A chain of 100 000 nested children would overflow the stack of a recursive reader.
    juce::MemoryOutputStream deep;
    for (int i = 0; i < 100000; ++i)
    {
        deep.writeString ("N");
        deep.writeCompressedInt (0);
        deep.writeCompressedInt (1);
    }
    VarnuProcessor p;
    p.setStateInformation (deep.getData(), static_cast<int> (deep.getDataSize()));
    EXPECT_EQ (plainValue (p.apvts, "character"), 40.0f);
    EXPECT_FALSE (readValueTreeSafely (deep.getData(), deep.getDataSize()).isValid());
}

TEST (State, ReaderMatchesTheFrameworkOnRandomMutationsOfARealState)
{
    VarnuProcessor source;
    const auto original = toBytes (saveState (source));
    juce::Random random (1234);

    for (int round = 0; round < 3000; ++round)
    {
        auto bytes = original;
        const auto flips = 1 + random.nextInt (6);
        for (int f = 0; f < flips; ++f)
        {
            // Size bytes 3 and 4 would let the framework's own reader reserve gigabytes;
            // bytes from 0x80 up can form text that is not UTF-8, which only ours refuses.
            auto value = random.nextInt (0x80);
            while (value == 3 || value == 4)
                value = random.nextInt (0x80);
            bytes[(size_t) random.nextInt ((int) bytes.size())] = (unsigned char) value;
        }

        const auto ours = readValueTreeSafely (bytes.data(), bytes.size());
        const auto reference = juce::ValueTree::readFromData (bytes.data(), bytes.size());
        ASSERT_TRUE (ours.isEquivalentTo (reference)) << "round " << round;
    }
}

TEST (State, TextThatIsNotWellFormedUtf8IsRefused)
{
    // The framework keeps such text in a string whose length it misjudges: saving the
    // tree again read past the string and wrote bytes that restored as a different tree.
    const char* illFormed[] { "\x80", "a\xc3", "\xc3\x41", "\xc0\x80", "\xe0\x80\x80",
                              "\xed\xa0\x80", "\xf4\x90\x80\x80", "\xf5\x80\x80\x80", "\xff" };
    const char* wellFormed[] { "Vocal \xc2\xb7 Molten Air", "\xe2\x82\xac", "\xf0\x9d\x84\x9e", "\xed\x9f\xbf" };

    // Each text as a type name, a property name, a string value and a string inside an
    // array, written byte by byte: the framework cannot be trusted to write ill-formed text.
    const auto streams = [] (const char* text)
    {
        const auto param = streamOf (juce::ValueTree ("PARAM", { { "id", "tone" }, { "value", -20.0 } }));
        const auto raw = [] (juce::MemoryOutputStream& out, const char* bytes) { out.write (bytes, std::strlen (bytes) + 1); };
        const auto stringVar = [&] (juce::MemoryOutputStream& out)
        {
            out.writeCompressedInt (static_cast<int> (std::strlen (text)) + 2);
            out.writeByte (5);
            raw (out, text);
        };
        const auto finish = [&] (juce::MemoryOutputStream& out)
        {
            out.writeCompressedInt (1);
            out << param;
            return out.getMemoryBlock();
        };

        std::vector<juce::MemoryBlock> blocks;
        juce::MemoryOutputStream asType, asName, asValue, inArray, array;
        raw (asType, text);
        asType.writeCompressedInt (0);
        blocks.push_back (finish (asType));

        raw (asName, "PARAMETERS");
        asName.writeCompressedInt (1);
        raw (asName, text);
        juce::var (1).writeToStream (asName);
        blocks.push_back (finish (asName));

        raw (asValue, "PARAMETERS");
        asValue.writeCompressedInt (1);
        raw (asValue, "note");
        stringVar (asValue);
        blocks.push_back (finish (asValue));

        array.writeByte (7);
        array.writeCompressedInt (2);
        juce::var (1).writeToStream (array);
        stringVar (array);
        raw (inArray, "PARAMETERS");
        inArray.writeCompressedInt (1);
        raw (inArray, "list");
        inArray.writeCompressedInt (static_cast<int> (array.getDataSize()));
        inArray << array.getMemoryBlock();
        blocks.push_back (finish (inArray));
        return blocks;
    };

    for (const auto* text : illFormed)
    {
        for (const auto& block : streams (text))
        {
            VarnuProcessor p;
            const auto before = toBytes (saveState (p));
            EXPECT_FALSE (readValueTreeSafely (block.getData(), block.getSize()).isValid()) << text;
            p.setStateInformation (block.getData(), static_cast<int> (block.getSize()));
            EXPECT_EQ (toBytes (saveState (p)), before) << text;
        }
    }

    for (const auto* text : wellFormed)
    {
        for (const auto& block : streams (text))
        {
            VarnuProcessor p;
            p.setStateInformation (block.getData(), static_cast<int> (block.getSize()));
            EXPECT_EQ (plainValue (p.apvts, "tone"), -20.0f) << text;
            const auto saved = saveState (p);
            VarnuProcessor q;
            q.setStateInformation (saved.getData(), static_cast<int> (saved.getSize()));
            EXPECT_EQ (toBytes (saveState (q)), toBytes (saved)) << text;
        }
    }
}

TEST (State, StoredValuesThatAreNotNumbersKeepThePresentValue)
{
    const auto nan = std::numeric_limits<double>::quiet_NaN();
    const auto inf = std::numeric_limits<double>::infinity();

    VarnuProcessor p;
    setPlain (p.apvts, "character", 12.5f);
    setPlain (p.apvts, "tone", -40.0f);
    setPlain (p.apvts, "output", -5.0f);
    setPlain (p.apvts, "bypass", 1.0f);

    juce::ValueTree state ("PARAMETERS");
    const auto add = [&] (const char* id, const juce::var& value)
    { state.appendChild (juce::ValueTree ("PARAM", { { "id", id }, { "value", value } }), nullptr); };
    add ("character", nan);
    add ("tone", "nan");
    add ("bypass", -nan);
    add ("output", 3.0);
    add ("output", nan); // the framework applies the last child that names a parameter
    add ("hpf", inf);
    add ("input", -inf);
    const auto block = streamOf (state);
    p.setStateInformation (block.getData(), static_cast<int> (block.getSize()));

    EXPECT_EQ (plainValue (p.apvts, "character"), 12.5f);
    EXPECT_EQ (plainValue (p.apvts, "tone"), -40.0f);
    EXPECT_EQ (plainValue (p.apvts, "output"), -5.0f);
    EXPECT_EQ (plainValue (p.apvts, "bypass"), 1.0f);
    EXPECT_EQ (plainValue (p.apvts, "hpf"), 300.0f);
    EXPECT_EQ (plainValue (p.apvts, "input"), -24.0f);
    for (auto* parameter : p.getParameters())
        EXPECT_TRUE (parameter->getValue() >= 0.0f && parameter->getValue() <= 1.0f) << parameter->getName (20);

    // An "id" that is not a number cannot be turned into text: the state is refused whole.
    const auto before = toBytes (saveState (p));
    state.appendChild (juce::ValueTree ("PARAM", { { "id", nan }, { "value", 1.0 } }), nullptr);
    state.getChild (0).setProperty ("value", 99.0, nullptr);
    const auto refused = streamOf (state);
    p.setStateInformation (refused.getData(), static_cast<int> (refused.getSize()));
    EXPECT_EQ (toBytes (saveState (p)), before);
}
