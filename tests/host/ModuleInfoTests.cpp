// The bundle's Contents/Resources/moduleinfo.json, which hosts read instead of loading the
// module: it must describe exactly what the factory serves.
#include "ExpectedIdentity.h"
#include "HostLayer.h"

#include <gtest/gtest.h>

namespace
{
using namespace qel::host;

class ModuleInfo : public ::testing::Test
{
protected:
    void SetUp() override
    {
        // Found the way the SDK's hosting looks for it.
        const auto path = VST3::Hosting::Module::getModuleInfoPath (builtBundle().getFullPathName().toStdString());
        ASSERT_TRUE ((bool) path) << "no moduleinfo.json in " << builtBundle().getFullPathName();

        file = juce::File (juce::String (*path));
        ASSERT_EQ (file, builtBundle().getChildFile ("Contents/Resources/moduleinfo.json"));

        // The file is JSON5-like (trailing commas), which the framework's parser accepts.
        const auto result = juce::JSON::parse (file.loadFileAsString(), info);
        ASSERT_TRUE (result.wasOk()) << result.getErrorMessage();
        ASSERT_TRUE (info.isObject());
    }

    juce::File file;
    juce::var info;
};

std::string text (const juce::var& value)
{
    return value.toString().toStdString();
}

TEST_F (ModuleInfo, NameVersionAndFactoryInformation)
{
    EXPECT_EQ (text (info["Name"]), expected::pluginName);
    EXPECT_EQ (text (info["Version"]), expected::version);

    const auto& factory = info["Factory Info"];
    EXPECT_EQ (text (factory["Vendor"]), expected::vendor);
    EXPECT_EQ (text (factory["URL"]), "");
    EXPECT_EQ (text (factory["E-Mail"]), "");

    const auto& flags = factory["Flags"];
    ASSERT_TRUE (flags.isObject());
    EXPECT_TRUE ((bool) flags["Unicode"]);
    EXPECT_FALSE ((bool) flags["Classes Discardable"]);
    EXPECT_FALSE ((bool) flags["Component Non Discardable"]);

    // No older classes are declared as replaced, as the compatibility class says too.
    const auto& compatibility = info["Compatibility"];
    EXPECT_TRUE (compatibility.isVoid() || (compatibility.isArray() && compatibility.size() == 0));
}

TEST_F (ModuleInfo, ClassesMatchTheTableAndTheFactory)
{
    const auto& classes = info["Classes"];
    ASSERT_TRUE (classes.isArray());
    ASSERT_EQ (classes.size(), (int) expected::classes.size());

    SdkModule module;
    ASSERT_TRUE (module.isLoaded()) << module.error();
    const auto served = module.classInfos2();
    ASSERT_EQ (served.size(), expected::classes.size());

    for (int i = 0; i < classes.size(); ++i)
    {
        SCOPED_TRACE ("class " + std::to_string (i));
        const auto& entry = classes[i];
        const auto& want = expected::classes[(size_t) i];

        EXPECT_EQ (text (entry["CID"]), want.hexText);
        EXPECT_EQ (text (entry["Category"]), want.category);
        EXPECT_EQ (text (entry["Name"]), expected::pluginName);
        EXPECT_EQ (text (entry["Vendor"]), expected::vendor);
        EXPECT_EQ (text (entry["Version"]), expected::version);
        EXPECT_EQ (text (entry["SDKVersion"]), expected::sdkVersion);
        EXPECT_EQ ((int) entry["Class Flags"], 0);
        EXPECT_EQ ((juce::int64) entry["Cardinality"], (juce::int64) expected::manyInstances);

        // The generator leaves the key out for a class without sub-categories.
        juce::StringArray subCategories;
        if (const auto* list = entry["Sub Categories"].getArray())
            for (const auto& item : *list)
                subCategories.add (item.toString());
        EXPECT_EQ (subCategories.joinIntoString ("|").toStdString(), want.subCategories);

        const auto& snapshots = entry["Snapshots"];
        EXPECT_TRUE (snapshots.isVoid() || (snapshots.isArray() && snapshots.size() == 0));

        // The text names the same 16 bytes the factory serves.
        const auto id = VST3::UID::fromString (text (entry["CID"]));
        ASSERT_TRUE ((bool) id);
        EXPECT_EQ (toBytes (*id), toBytes (served[(size_t) i].cid));
    }
}
} // namespace
