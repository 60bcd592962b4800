// The module's identity as a host's scanner reads it: loaded through the VST3 SDK's own
// hosting classes, then asked for its factory information, its class table and its objects.
#include "ExpectedIdentity.h"
#include "HostLayer.h"

#include <gtest/gtest.h>

#include <pluginterfaces/base/funknown.h>
#include <pluginterfaces/vst/ivsteditcontroller.h>

namespace
{
using namespace qel::host;

std::string fixedText (const char* text, size_t capacity)
{
    return std::string (text, strnlen (text, capacity));
}

expected::Bytes expectedBytes (const expected::ClassEntry& entry)
{
#if COM_COMPATIBLE
    return entry.bytesCom;
#else
    return entry.bytesNonCom;
#endif
}

class ModuleIdentity : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_TRUE (module.isLoaded()) << module.error(); }

    SdkModule module;
};

TEST_F (ModuleIdentity, FactoryInformation)
{
    const auto info = module.factoryInfo();

    EXPECT_EQ (fixedText (info.vendor, sizeof (info.vendor)), expected::vendor);
    EXPECT_EQ (fixedText (info.url, sizeof (info.url)), "");
    EXPECT_EQ (fixedText (info.email, sizeof (info.email)), "");
    EXPECT_EQ (info.flags, expected::factoryFlags);
    EXPECT_EQ (info.flags, Steinberg::PFactoryInfo::kUnicode);

    // The SDK's own reading of the same record.
    const auto parsed = module.factory().info();
    EXPECT_FALSE (parsed.classesDiscardable());
    EXPECT_FALSE (parsed.licenseCheck());
    EXPECT_FALSE (parsed.componentNonDiscardable());
}

TEST_F (ModuleIdentity, ClassTableInPlainExtendedAndUnicodeForms)
{
    ASSERT_EQ (module.countClasses(), 3);

    const auto plain = module.classInfos();
    const auto extended = module.classInfos2();
    const auto unicode = module.classInfosW();
    ASSERT_EQ (plain.size(), 3u);
    ASSERT_EQ (extended.size(), 3u);
    ASSERT_EQ (unicode.size(), 3u);

    for (size_t i = 0; i < expected::classes.size(); ++i)
    {
        SCOPED_TRACE ("class " + std::to_string (i));
        const auto& want = expected::classes[i];

        const auto& p = plain[i];
        EXPECT_EQ (fixedText (p.category, sizeof (p.category)), want.category);
        EXPECT_EQ (fixedText (p.name, sizeof (p.name)), expected::pluginName);
        EXPECT_EQ (p.cardinality, expected::manyInstances);
        EXPECT_EQ (toBytes (p.cid), expectedBytes (want));

        const auto& e = extended[i];
        EXPECT_EQ (fixedText (e.category, sizeof (e.category)), want.category);
        EXPECT_EQ (fixedText (e.name, sizeof (e.name)), expected::pluginName);
        EXPECT_EQ (fixedText (e.vendor, sizeof (e.vendor)), expected::vendor);
        EXPECT_EQ (fixedText (e.version, sizeof (e.version)), expected::version);
        EXPECT_EQ (fixedText (e.sdkVersion, sizeof (e.sdkVersion)), expected::sdkVersion);
        EXPECT_EQ (fixedText (e.subCategories, sizeof (e.subCategories)), want.subCategories);
        EXPECT_EQ (e.classFlags, 0u);
        EXPECT_EQ (e.cardinality, expected::manyInstances);
        EXPECT_EQ (toBytes (e.cid), expectedBytes (want));

        const auto& w = unicode[i];
        EXPECT_EQ (fixedText (w.category, sizeof (w.category)), want.category);
        EXPECT_EQ (toUtf8 (w.name), expected::pluginName);
        EXPECT_EQ (toUtf8 (w.vendor), expected::vendor);
        EXPECT_EQ (toUtf8 (w.version), expected::version);
        EXPECT_EQ (toUtf8 (w.sdkVersion), expected::sdkVersion);
        EXPECT_EQ (fixedText (w.subCategories, sizeof (w.subCategories)), want.subCategories);
        EXPECT_EQ (w.classFlags, 0u);
        EXPECT_EQ (w.cardinality, expected::manyInstances);
        EXPECT_EQ (toBytes (w.cid), expectedBytes (want));
    }
}

TEST_F (ModuleIdentity, ClassIdsReadAsTheirFourWordsOnEveryPlatform)
{
    const auto infos = module.classInfos2();
    ASSERT_EQ (infos.size(), 3u);

    for (size_t i = 0; i < expected::classes.size(); ++i)
    {
        SCOPED_TRACE ("class " + std::to_string (i));
        const auto& want = expected::classes[i];
        const auto id = Steinberg::FUID::fromTUID (infos[i].cid);

        EXPECT_EQ (id.getLong1(), want.words[0]);
        EXPECT_EQ (id.getLong2(), want.words[1]);
        EXPECT_EQ (id.getLong3(), want.words[2]);
        EXPECT_EQ (id.getLong4(), want.words[3]);
        EXPECT_EQ (VST3::UID::fromTUID (infos[i].cid).toString(), want.hexText);
    }

    // The plain bytes on this platform, spelled out for the audio module: big-endian words.
#if ! COM_COMPATIBLE
    const expected::Bytes audioModule { 0xAB, 0xCD, 0xEF, 0x01, 0x91, 0x82, 0xFA, 0xEB,
                                        'Q',  'e',  'l',  'v',  'Q',  'v',  'n',  '1' };
    EXPECT_EQ (toBytes (infos[0].cid), audioModule);
#endif
}

TEST_F (ModuleIdentity, ComponentNamesTheControllerClassAndEachClassCreatesItsObject)
{
    const auto infos = module.classInfos2();
    ASSERT_EQ (infos.size(), 3u);

    auto component = module.create<Steinberg::Vst::IComponent> (infos[0].cid);
    ASSERT_NE (component, nullptr);
    ASSERT_EQ (component->initialize (module.hostContext()), Steinberg::kResultOk);

    Steinberg::TUID controllerId {};
    EXPECT_EQ (component->getControllerClassId (controllerId), Steinberg::kResultOk);
    EXPECT_EQ (toBytes (controllerId), toBytes (infos[1].cid));

    auto controller = module.create<Steinberg::Vst::IEditController> (controllerId);
    ASSERT_NE (controller, nullptr);
    EXPECT_EQ (controller->initialize (module.hostContext()), Steinberg::kResultOk);
    EXPECT_EQ (controller->terminate(), Steinberg::kResultOk);
    EXPECT_EQ (component->terminate(), Steinberg::kResultOk);

    EXPECT_NE (module.create<Steinberg::IPluginCompatibility> (infos[2].cid), nullptr);

    // An ID that matches no entry (the audio module's with one byte changed) creates nothing.
    Steinberg::TUID unknown {};
    std::memcpy (unknown, infos[0].cid, sizeof (unknown));
    unknown[15] = (Steinberg::int8) (unknown[15] ^ 0x01);
    EXPECT_EQ (module.create<Steinberg::Vst::IComponent> (unknown), nullptr);
    EXPECT_EQ (module.create<Steinberg::FUnknown> (unknown), nullptr);
}

TEST_F (ModuleIdentity, CompatibilityClassDeclaresNoOlderClasses)
{
    const auto infos = module.classInfos2();
    ASSERT_EQ (infos.size(), 3u);

    auto compatibility = module.create<Steinberg::IPluginCompatibility> (infos[2].cid);
    ASSERT_NE (compatibility, nullptr);

    // Asked twice: each query builds and drops a processor of its own, and both answer alike.
    for (int query = 0; query < 2; ++query)
    {
        const auto json = readCompatibilityJson (*compatibility);
        ASSERT_TRUE (json.has_value());

        juce::var parsed;
        const auto result = juce::JSON::parse (juce::String::fromUTF8 (json->data(), (int) json->size()), parsed);
        ASSERT_TRUE (result.wasOk()) << result.getErrorMessage() << " in " << *json;
        ASSERT_TRUE (parsed.isArray()) << *json;
        EXPECT_EQ (parsed.size(), 0) << *json;
    }
}
} // namespace
