// A fixture that runs the test generator as the "rcosflt" application of an in-process host,
// inside a fresh temporary directory that is also the host's current directory. Host commands
// can be recorded (every call's words) or made to fail.
#pragma once

#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "HostFixture.h"
#include "TestGenerator.h"

namespace kwtest {

class FlowFixture : public HostFixture {
protected:
    void SetUp() override;
    void TearDown() override;

    const std::filesystem::path& Dir() const { return m_dir; }
    TestGenerator& Generator();
    // Runs "rcosflt ARGS" in the host: the Tcl return code and the result text.
    std::pair<int, std::string> Generate(const std::string& arguments);

    // Replaces the host command NAME by one that records its words and then runs the original.
    void Record(const std::string& name);
    // Replaces the host command NAME by one that records its words and fails with MESSAGE.
    void MakeFail(const std::string& name, const std::string& message = "staged failure");
    // Every recorded call, in order, each as its words (the command name first).
    std::vector<std::vector<std::string>> Calls();
    std::vector<std::vector<std::string>> CallsOf(const std::string& name);

    void SetSetting(const std::string& key, bool value);
    // Files below Dir(), relative and sorted.
    std::vector<std::string> Files();

private:
    std::filesystem::path m_dir;
    std::filesystem::path m_previousDir;
};

std::string ReadFile(const std::filesystem::path& path);
void WriteFile(const std::filesystem::path& path, const std::string& text);
std::vector<std::string> ListWords(const std::string& tclList);

}  // namespace kwtest
