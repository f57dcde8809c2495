// A fresh folder for one test, removed with everything in it afterwards.
#pragma once

#include <atomic>
#include <chrono>
#include <filesystem>
#include <random>
#include <string>

namespace fakes {

class TempDir {
public:
    TempDir() {
        static std::atomic<int> counter{0};
        path_ = std::filesystem::temp_directory_path() /
                ("smslogic-test-" + processTag() + "-" + std::to_string(++counter));
        std::filesystem::remove_all(path_);
        std::filesystem::create_directories(path_);
    }
    ~TempDir() {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    std::string path() const { return path_.string(); }
    std::string file(const std::string& name) const { return (path_ / name).string(); }

private:
    // Tells this process's folders from those of other test processes running
    // at the same time, without asking the OS for a process id.
    static const std::string& processTag() {
        static const std::string tag = [] {
            std::random_device device;
            const auto now = std::chrono::system_clock::now().time_since_epoch().count();
            std::seed_seq seed{device(), device(), static_cast<unsigned>(now),
                               static_cast<unsigned>(now >> 32)};
            std::mt19937_64 random(seed);
            return std::to_string(random());
        }();
        return tag;
    }

    std::filesystem::path path_;
};

}  // namespace fakes
