#include <gtest/gtest.h>

#include <optional>

#include "tests/base/probe/Probe.h"

// The static pointer must be one object shared by the executable and the
// shared object that defines it, or each would see its own instance.
TEST(CSingleton, ExecutableAndLibrarySeeTheSameInstance) {
    for (int round = 0; round < 2; ++round) {  // a later instance is recorded afresh
        SCOPED_TRACE(round);
        std::optional<Probe> probe(std::in_place);
        EXPECT_EQ(Probe::getSingletonPtr(), &*probe);
        EXPECT_EQ(probeFromLibrary(), &*probe);
        EXPECT_EQ(&Probe::getSingleton(), &*probe);
        probe.reset();
        EXPECT_EQ(Probe::getSingletonPtr(), nullptr);
        EXPECT_EQ(probeFromLibrary(), nullptr);
    }
}
