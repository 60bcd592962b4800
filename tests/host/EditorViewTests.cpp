// The plug-in's own view as a host opens it: size, and repeated opening and closing while
// another thread keeps processing audio, as a DAW's audio thread does.
#include "HostLayer.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <thread>

using namespace qel::host;

namespace
{
std::unique_ptr<HostedPlugin> loadOrFail()
{
    juce::String error;
    auto plugin = HostedPlugin::load (builtBundle(), error);
    EXPECT_NE (plugin, nullptr) << error;
    return plugin;
}
} // namespace

TEST (EditorView, IsThePluginsOwnFixedSizeView)
{
    auto plugin = loadOrFail();
    ASSERT_NE (plugin, nullptr);

    auto* window = plugin->openEditor();
    ASSERT_NE (window, nullptr);
    pumpMessages (200);

    EXPECT_EQ (window->viewBounds().getWidth(), 860);
    EXPECT_EQ (window->viewBounds().getHeight(), 520);
    EXPECT_FALSE (window->editor().isResizable());

    plugin->closeEditor();
}

TEST (EditorView, OpensAndClosesRepeatedlyWhileAudioRuns)
{
    auto plugin = loadOrFail();
    ASSERT_NE (plugin, nullptr);
    ASSERT_TRUE (plugin->prepare (48000.0, 256));

    std::atomic<bool> running { true };
    std::atomic<int> blocks { 0 };
    std::atomic<bool> allFinite { true };

    std::thread audio ([&]
    {
        juce::AudioBuffer<float> block (2, 256);
        double phase = 0.0;

        while (running.load())
        {
            for (int i = 0; i < block.getNumSamples(); ++i)
            {
                phase += 440.0 / 48000.0;
                const auto v = (float) (0.8 * std::sin (juce::MathConstants<double>::twoPi * phase));
                block.setSample (0, i, v);
                block.setSample (1, i, -v);
            }

            plugin->process (block);

            for (int c = 0; c < 2; ++c)
                for (int i = 0; i < block.getNumSamples(); ++i)
                    if (! std::isfinite (block.getSample (c, i)))
                        allFinite = false;

            ++blocks;
            std::this_thread::sleep_for (std::chrono::milliseconds (2));
        }
    });

    for (int round = 0; round < 12; ++round)
    {
        auto* window = plugin->openEditor();
        ASSERT_NE (window, nullptr) << "round " << round;
        pumpMessages (60 + 10 * (round % 3));
        EXPECT_EQ (window->viewBounds().getWidth(), 860);
        plugin->closeEditor();
        EXPECT_EQ (plugin->instance().getActiveEditor(), nullptr);
        pumpMessages (10);
    }

    running = false;
    audio.join();

    EXPECT_GT (blocks.load(), 0) << "the audio thread ran alongside";
    EXPECT_TRUE (allFinite.load());
}
