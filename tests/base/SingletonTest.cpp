#include <gtest/gtest.h>

#include <optional>

#include "tests/base/probe/Probe.h"

// The static pointer must be one object shared by the executable and the
// shared object that defines it, or each would see its own instance.
TEST(CSingleton, ExecutableAndLibrarySeeTheSameInstance) {
    ASSERT_EQ(Probe::getSingletonPtr(), nullptr);
    ASSERT_EQ(probeFromLibrary(), nullptr);
    {
        Probe probe;
        probe.value = 7;
        EXPECT_EQ(Probe::getSingletonPtr(), &probe);
        EXPECT_EQ(probeFromLibrary(), &probe);
        EXPECT_EQ(Probe::getSingleton().value, 7);
    }
    EXPECT_EQ(Probe::getSingletonPtr(), nullptr);
    EXPECT_EQ(probeFromLibrary(), nullptr);

    // A later instance is recorded afresh.
    std::optional<Probe> second(std::in_place);
    EXPECT_EQ(probeFromLibrary(), &*second);
    second.reset();
    EXPECT_EQ(probeFromLibrary(), nullptr);
}
