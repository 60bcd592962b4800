// Entry point of the host tests: the framework's message manager and GUI support live for the
// whole run on the thread that runs the tests, which is therefore the host's message thread.
#include <gtest/gtest.h>
#include <juce_events/juce_events.h>
#include <juce_gui_basics/juce_gui_basics.h>

#include <X11/Xlib.h>

namespace
{
// Xlib's default error handler ends the process. The framework only replaces it in an
// application started through its own entry point, which this one is not, and window
// managers' optional atoms (absent on a bare X server such as Xvfb) produce harmless
// BadAtom errors on every window that is put on the desktop; ignore them like the framework.
int ignoreXErrors (Display*, XErrorEvent*)
{
    return 0;
}

class HostEnvironment : public ::testing::Environment
{
public:
    void SetUp() override
    {
        juce = std::make_unique<juce::ScopedJuceInitialiser_GUI>();
        XSetErrorHandler (ignoreXErrors);
    }
    void TearDown() override { juce.reset(); }

private:
    std::unique_ptr<juce::ScopedJuceInitialiser_GUI> juce;
};
} // namespace

int main (int argc, char** argv)
{
    ::testing::InitGoogleTest (&argc, argv);
    ::testing::AddGlobalTestEnvironment (new HostEnvironment());
    return RUN_ALL_TESTS();
}
