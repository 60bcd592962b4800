// Test entry point: the framework's message manager and GUI support live for the whole
// run, on the thread that runs the tests, which is the message thread.
#include <gtest/gtest.h>
#include <juce_events/juce_events.h>
#include <juce_gui_basics/juce_gui_basics.h>

#if VARNU_TEST_IGNORES_X_ERRORS
 #include "support/IgnoreXErrors.h"
#endif

namespace
{
class JuceEnvironment : public ::testing::Environment
{
public:
    void SetUp() override
    {
        juce = std::make_unique<juce::ScopedJuceInitialiser_GUI>();
#if VARNU_TEST_IGNORES_X_ERRORS
        ignoreXErrors(); // the host tests put real windows on the desktop
#endif
    }

    void TearDown() override { juce.reset(); }

private:
    std::unique_ptr<juce::ScopedJuceInitialiser_GUI> juce;
};
} // namespace

int main (int argc, char** argv)
{
    ::testing::InitGoogleTest (&argc, argv);
    ::testing::AddGlobalTestEnvironment (new JuceEnvironment());
    return RUN_ALL_TESTS();
}
