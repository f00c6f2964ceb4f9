// Host faults through the kelvodsp shell: each host command the plug-in evaluates is redefined to
// fail (always, or only for one argument), a generate call runs, the command is restored, and a
// clean run in the same shell must reproduce the reference core and directives byte for byte
// (so no stream of the failed run stayed open and no state leaked into the next run).
#include <gtest/gtest.h>

#include "../appmgr/TempDir.h"
#include "CliScript.h"
#include "HostFixture.h"
#include "ShellRun.h"

namespace {

using kwtest::kGenerateErrorLead;
using kwtest::ReadText;
using kwtest::RunShell;
using kwtest::Split;

// argv: the command to break, the glob its arguments must match to fail ("*": every call), then
// the generate call's arguments. A "file SUB" command breaks one sub-command of "file".
const char* const kScript = R"TCL(
lassign $argv target pattern
set call [lrange $argv 2 end]
if {[string match "file *" $target]} {
    set ::failing [lindex $target 1]
    rename ::file ::kw_saved
    proc ::file {sub args} {
        if {$sub eq $::failing} {error "staged failure of file $sub"}
        uplevel 1 [list ::kw_saved $sub {*}$args]
    }
    set target ::file
} else {
    rename $target ::kw_saved
    proc $target args [string map [list @P@ [list $pattern]] {
        if {[string match @P@ $args]} {error "staged failure"}
        uplevel 1 [list ::kw_saved {*}$args]
    }]
}
set code [catch {rcosflt -outdir bad {*}$call} msg]
rename $target {}
rename ::kw_saved $target
set good [catch {rcosflt -outdir good -name good_core} goodMsg]
puts -nonewline [join [list $code $msg $good $goodMsg] \x1f]
)TCL";

struct FaultCase {
    std::string label;
    std::string command;
    std::string pattern;
    std::vector<std::string> call;
    int code;             // 1: the call fails with message, 0: the run goes on
    std::string message;  // relative to the run directory's absolute path: "@" stands for it
};

void PrintTo(const FaultCase& c, std::ostream* os) { *os << c.label; }

std::string Failed(const std::string& text) { return kGenerateErrorLead + text + "\n"; }

std::vector<FaultCase> Cases() {
    const std::string project = "@/bad/rcosflt_001/rcosflt_001";
    return {
        {"banner", "::AppInfo::GetBanner", "*", {}, 1, Failed("Could not get banner!\n")},
        {"banner_of_script", "::AppInfo::GetBanner", "*", {"-project"}, 1, Failed("Could not get banner!\n")},
        {"version_texts", "::AppInfo", "*", {}, 0, ""},
        {"nobanner_option", "::GetGlobalOption", "*", {}, 0, ""},
        {"open_project_query", "::IsFlowStageValid", "*", {"-project"}, 0, ""},
        {"project_open", "::Project", "-new *", {"-project"}, 1,
         Failed("Could not open project " + project + "_proj.kvp")},
        {"project_save", "::Project", "-save", {"-project"}, 1,
         Failed("Could not save project " + project + "_proj.kvp (staged failure)\n")},
        {"underflow_option", "::SetProjectOption", "-show_underflows *", {"-project"}, 1,
         Failed("Could not set show underflow warnings to false")},
        {"script_option", "::SetProjectOption", "-scriptfile *", {"-project"}, 1,
         Failed("Could not set script file to " + project + "_script.m")},
        {"directives_option", "::SetProjectOption", "-directivesfile *", {"-project"}, 1,
         Failed("Could not set script file to " + project + "_script.m")},
        {"set_directive", "::SetDirective", "*", {"-instancepath", "top/u1"}, 1,
         Failed("Internal Error: Could not set the allappparams directive.")},
        {"message_warning", "::Messaging::Message", "*COMMAND-0031*", {}, 1,
         Failed("Could not execute an KelvoWare TCL Message call.")},
        {"message_core_info", "::Messaging::Message", "*MAPFCTS-0002*", {}, 1,
         Failed("Could not execute an KelvoWare TCL Message call.")},
        {"message_script_info", "::Messaging::Message", "*MAPFCTS-0003*", {"-project"}, 1,
         Failed("Could not execute an KelvoWare TCL Message call.")},
        {"message_file_info", "::Messaging::Message", "*MAPFCTS-0006*", {"-project"}, 1,
         Failed("Could not execute an KelvoWare TCL Message call.")},
        {"message_project_file_info", "::Messaging::Message", "*MAPFCTS-0006*project file*", {"-project"}, 1,
         Failed("Could not execute an KelvoWare TCL Message call.")},
        {"file_mkdir", "file mkdir", "", {}, 1, Failed("Could not create directory @/bad")},
        {"file_mkdir_project", "file mkdir", "", {"-project"}, 1, Failed("Could not create directory @/bad")},
        {"file_native", "file native", "", {}, 1, Failed("Could not create directory bad")},
        {"file_pathtype", "file pathtype", "", {}, 0, ""},
        {"file_exists", "file exists", "", {}, 0, ""},
        {"file_isdirectory", "file isdirectory", "", {}, 0, ""},
        {"file_extension", "file extension", "", {}, 0, ""},
        {"file_rename", "file rename", "", {}, 0, ""},
        {"file_delete", "file delete", "", {}, 0, ""},
    };
}

std::string Replace(std::string text, const std::string& marker, const std::string& by) {
    for (std::size_t at; (at = text.find(marker)) != std::string::npos;) {
        text.replace(at, marker.size(), by);
    }
    return text;
}

class HostFault : public ::testing::TestWithParam<FaultCase> {
protected:
    void SetUp() override {
        if (!kwtest::HostFixture::PluginAvailable()) {
            GTEST_SKIP() << "the rcosflt plug-in is not part of this build";
        }
    }
};

struct Reference {
    std::string core;
    std::string directives;
};

const Reference& CleanRun() {
    static const Reference reference = [] {
        TempDir dir;
        RunShell({"rcosflt", "-outdir", "good", "-name", "good_core"}, "", dir.Path().string());
        return Reference{ReadText(dir.Path() / "good" / "good_core.m"),
                         ReadText(dir.Path() / "good" / "good_core.kvd")};
    }();
    return reference;
}

TEST_P(HostFault, RunEndsAsSpecifiedAndTheNextRunIsClean) {
    const FaultCase& c = GetParam();
    TempDir dir;
    std::vector<std::string> arguments = {"-c", kScript, c.command, c.pattern};
    arguments.insert(arguments.end(), c.call.begin(), c.call.end());
    const auto run = RunShell(arguments, "", dir.Path().string());
    ASSERT_EQ(0, run.status) << run.err;
    const auto fields = Split(run.out, '\x1f');
    ASSERT_EQ(4u, fields.size()) << run.out;
    EXPECT_EQ(std::to_string(c.code), fields[0]) << fields[1];
    if (c.code == 1) {
        EXPECT_EQ(Replace(c.message, "@", dir.Path().string()), fields[1]);
    }
    EXPECT_EQ("0", fields[2]) << fields[3];
    EXPECT_EQ(CleanRun().core, ReadText(dir.Path() / "good" / "good_core.m"));
    EXPECT_EQ(CleanRun().directives, ReadText(dir.Path() / "good" / "good_core.kvd"));
}

std::string CaseName(const ::testing::TestParamInfo<FaultCase>& info) { return info.param.label; }

INSTANTIATE_TEST_SUITE_P(Shell, HostFault, ::testing::ValuesIn(Cases()), CaseName);

}  // namespace
