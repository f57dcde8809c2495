// Polls `done` for up to `limit`: tests wait for an outcome, never for luck.
#pragma once

#include <chrono>
#include <thread>

namespace fakes {

template <typename Done>
bool waitUntil(Done done, std::chrono::milliseconds limit = std::chrono::seconds(30)) {
    const auto end = std::chrono::steady_clock::now() + limit;
    while (!done() && std::chrono::steady_clock::now() < end)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    return done();
}

}  // namespace fakes
