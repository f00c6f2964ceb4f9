// A staged host project for quantizer tests: options, global settings and the message command
// are Tcl procedures of the test's interpreter, and every query and message is recorded. An
// option listed in ::failing makes its query fail.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "HostFixture.h"
#include "quantizer/ProjectQuantizerDefaults.h"

// A project whose options and settings the test controls; every query is recorded in ::evals
// and every message call in ::messages.
constexpr const char* kStagedProject = R"tcl(
namespace eval Messaging {}
set ::evals {}
set ::messages {}
set ::options [dict create -default_overflow_mode wrap -default_round_mode floor \
    -quantizer_max_variable_fractional_length 30 -quantizer_max_constant_fractional_length 31 \
    -quantizer_max_port_word_length 32 -quantizer_max_input_fractional_length 33]
set ::settings [dict create]
proc Messaging::Message {args} { lappend ::messages $args; return "message [lindex $args 3]" }
proc GetMatlabMajorVersionNumber {} { lappend ::evals version; return 9 }
set ::failing {}
proc GetProjectOption {option} {
    lappend ::evals $option
    if {$option in $::failing} { error "no such option" }
    return [dict get $::options $option]
}
proc GetGlobalSetting {key} {
    if {[dict exists $::settings $key]} { return [dict get $::settings $key] }
    return 0
}
)tcl";

class StagedProjectTest : public kwtest::HostFixture {
protected:
    void SetUp() override {
        kwtest::HostFixture::SetUp();
        kw::ResetQuantizerProcessState();
        Tcl(kStagedProject);
    }
    void TearDown() override {
        kw::ResetQuantizerProcessState();
        kwtest::HostFixture::TearDown();
    }

    std::string Tcl(const std::string& script) { return EvalOk(script); }
    void SetOption(const std::string& option, const std::string& value) {
        Tcl("dict set ::options " + option + " {" + value + "}");
    }
    void SetSetting(const std::string& key, bool on) {
        Tcl("dict set ::settings " + key + (on ? " 1" : " 0"));
    }
    std::string Evals() { return Tcl("set ::evals"); }
    std::string Messages() { return Tcl("set ::messages"); }
};
