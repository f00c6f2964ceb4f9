// The command boundary every handler of the module runs in: for each kind of exception, the
// status, the result text, the error line sent to the host and the error code.
#include "host/CommandBoundary.h"

#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "HostFixture.h"
#include "host/AppMgr.h"
#include "host/Failure.h"

namespace {

const std::string kLead = "Error while testing\n";

struct BoundaryCase {
    const char* name;
    std::function<void()> body;
    std::string text;  // after the lead
    std::vector<std::string> code;
};

class CommandBoundary : public kwtest::HostFixture {};

TEST_F(CommandBoundary, EveryExceptionEndsAsTextAndErrorCode) {
    const std::vector<std::string> parameter = {"KELVOWARE", "PARAMETER"};
    const std::vector<std::string> io = {"KELVOWARE", "IO"};
    const std::vector<std::string> internal = {"KELVOWARE", "INTERNAL"};
    const std::vector<BoundaryCase> cases = {
        {"refused parameter", [] { throw kw::ParameterError("Invalid Parameter: x."); }, "Invalid Parameter: x.\n",
         parameter},
        {"file not written", [] { throw kw::IoError("Could not create directory /d"); },
         "Could not create directory /d\n", io},
        {"runtime error without a kind", [] { throw std::runtime_error("Could not get banner!\n"); },
         "Could not get banner!\n\n", internal},
        {"logic error", [] { throw std::invalid_argument("core model: no channel"); },
         "Internal Error: core model: no channel\n", internal},
        {"not a std::exception", [] { throw 7; }, "Internal Error: unknown exception\n", internal},
        {"empty text", [] { throw std::runtime_error(""); }, "", internal},
    };
    for (const BoundaryCase& c : cases) {
        SCOPED_TRACE(c.name);
        CTclResultObj result;
        kwtest::StderrCapture capture;
        const int status = kw::RunCommandBody(result, kLead, c.body);
        const std::string errorLine = capture.Stop();
        EXPECT_EQ(kAppCommandFailed, status);
        EXPECT_EQ(kLead + c.text, result.GetStringValue());
        EXPECT_NE(std::string::npos, errorLine.find(kLead + c.text)) << errorLine;
        EXPECT_EQ(c.code, result.GetErrorCode());
    }
}

TEST_F(CommandBoundary, ABodyThatReturnsKeepsItsResultAndSetsNoCode) {
    CTclResultObj result;
    const int status = kw::RunCommandBody(result, kLead, [&] { result = std::string("done"); });
    EXPECT_EQ(kAppSuccess, status);
    EXPECT_EQ("done", result.GetStringValue());
    EXPECT_TRUE(result.GetErrorCode().empty());
}

}  // namespace
