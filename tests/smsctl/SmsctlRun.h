// Runs the smsctl program as a process against a user folder inside a test's
// temporary folder, and gives back its exit status and output; a table of
// such runs with what each must print.
#pragma once

#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "contracts/dmg/CDataManager.h"
#include "contracts/dmg/CHistoryLogSerialize.h"
#include "tests/fakes/ChildProcess.h"
#include "tests/fakes/TempDir.h"

namespace smsctltest {

using Args = std::vector<std::string>;

struct Result {
    int status = -1;
    std::string out, err;
};

inline std::string slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

inline std::size_t count(const std::string& text, const std::string& part) {
    std::size_t n = 0;
    for (auto at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
    return n;
}

inline bool has(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

// Starts smsctl --user-dir <dir>/user (or `user`) ARGS without waiting for
// it; its output goes to <dir>/stdout<tag> and <dir>/stderr<tag>. finish()
// collects it.
inline fakes::ChildProcess start(const fakes::TempDir& dir, const Args& args,
                                 const std::string& tag = "", const std::string& user = "") {
    Args argv = {SMSCTL_BIN, "--user-dir", user.empty() ? dir.file("user") : user};
    argv.insert(argv.end(), args.begin(), args.end());
    fakes::ChildProcess process;
    process.start(argv, {dir.file("stdout" + tag)}, {dir.file("stderr" + tag)});
    return process;
}

inline Result finish(const fakes::TempDir& dir, fakes::ChildProcess& process,
                     const std::string& tag = "") {
    Result r;
    r.status = process.wait();
    r.out = slurp(dir.file("stdout" + tag));
    r.err = slurp(dir.file("stderr" + tag));
    return r;
}

inline Result run(const fakes::TempDir& dir, const Args& args, const std::string& tag = "",
                  const std::string& user = "") {
    fakes::ChildProcess process = start(dir, args, tag, user);
    return finish(dir, process, tag);
}

// Runs and expects success; the output.
inline std::string ok(const fakes::TempDir& dir, const Args& args, const std::string& user = "") {
    const Result r = run(dir, args, "", user);
    EXPECT_EQ(r.status, 0) << r.err;
    return r.out;
}

struct Step {
    Args args;
    int status;
    Args out;  // parts of stdout (stderr when the status is not 0)
    Args absent = {};
};

inline void runSteps(const fakes::TempDir& dir, const std::vector<Step>& steps) {
    for (const Step& s : steps) {
        const Result r = run(dir, s.args);
        std::string trace;
        for (const auto& a : s.args) trace += a + " ";
        SCOPED_TRACE(trace + "\n" + r.out + r.err);
        EXPECT_EQ(r.status, s.status);
        const std::string& text = s.status == 0 ? r.out : r.err;
        for (const auto& part : s.out) EXPECT_TRUE(has(text, part)) << part;
        for (const auto& part : s.absent) EXPECT_FALSE(has(text, part)) << part;
    }
}

// Each number of the user folder's history with the times it was sent: 1
// for each accepted row holding it, 100 for each failed one.
inline std::map<std::string, int> sentTimes(const std::string& userDir) {
    Dmg::CDataManager& data = Dmg::CDataManager::getSingleton();
    std::vector<Dmg::CHistoryMsg> rows;
    if (data.openUserData(userDir) == 1) {
        static_cast<Dmg::CHistoryLogSerialize*>(data.getDataSerialize("historylog"))
            ->getAllLog(rows);
        data.closeUserData();
    }
    std::map<std::string, int> sent;
    for (const auto& row : rows) {
        std::stringstream numbers(row.secondText);
        for (std::string n; std::getline(numbers, n, ',');) sent[n] += row.success ? 1 : 100;
    }
    return sent;
}

}  // namespace smsctltest
