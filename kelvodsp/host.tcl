# KelvoDSP host commands: global settings and options, application information and the banner,
# the MATLAB version, the project store (options and directives, saved as a readable file that
# "Project PATH" opens again), catalogued messages and the plug-in folders. Ordinary Tcl
# commands, so that scripts and tests may redefine any of them.

namespace eval ::kelvodsp {
    variable version
    if {![info exists version]} {set version 0.0.0}
    variable buildType Release

    # Global settings: every key not listed here reads as false.
    variable settings
    array set settings {
        Settings::never_show_customer_turn_on_kelvoware_argument_checks 1
        Settings::EnableKelvoWareAutoIndent 1
    }
    variable globalOptions
    array set globalOptions {-nobanner 0}

    variable defaultProjectOptions {
        -default_overflow_mode wrap
        -default_round_mode floor
        -quantizer_max_constant_fractional_length -1
        -quantizer_max_variable_fractional_length -1
        -quantizer_max_port_word_length -1
        -quantizer_max_input_fractional_length -1
        -show_underflows 1
        -scriptfile {}
        -directivesfile {}
    }
    # Options and directives in force while no project is open.
    variable sessionOptions $defaultProjectOptions
    variable sessionDirectives {}
    # The open project.
    variable projectOpen 0
    variable projectPath {}
    variable projectOptions {}
    variable projectDirectives {}

    # Folders of the loaded plug-ins, where their parameter descriptions (.kpd) live.
    variable pluginDirs {}
}

proc ::kelvodsp::AddPluginDirectory {directory} {
    variable pluginDirs
    set directory [file normalize $directory]
    if {$directory ni $pluginDirs} {
        lappend pluginDirs $directory
    }
    return
}

proc ::kelvodsp::BooleanValue {what value} {
    if {![string is boolean -strict $value]} {
        error "expected a boolean value for $what but got \"$value\""
    }
    expr {$value ? 1 : 0}
}

# --- global settings and options -------------------------------------------------------------

proc ::SetGlobalSetting {key value} {
    set ::kelvodsp::settings($key) [::kelvodsp::BooleanValue "setting \"$key\"" $value]
    return
}

proc ::GetGlobalSetting {key} {
    if {[info exists ::kelvodsp::settings($key)]} {
        return $::kelvodsp::settings($key)
    }
    return 0
}

proc ::SetGlobalOption {args} {
    if {[llength $args] == 0 || [llength $args] % 2} {
        error "wrong # args: should be \"SetGlobalOption -name value ?-name value ...?\""
    }
    foreach {name value} $args {
        if {![string match -?* $name]} {
            error "global option \"$name\" must begin with \"-\""
        }
        set ::kelvodsp::globalOptions($name) $value
    }
    return
}

proc ::GetGlobalOption {name} {
    if {![info exists ::kelvodsp::globalOptions($name)]} {
        error "unknown global option \"$name\""
    }
    return $::kelvodsp::globalOptions($name)
}

# --- application information -----------------------------------------------------------------

namespace eval ::AppInfo {}

# The banner lines carry product and purpose only, never a date: equal inputs give equal files.
proc ::AppInfo::GetBanner {args} {
    if {[llength $args] % 2} {
        error "wrong # args: should be \"AppInfo::GetBanner ?-delimiter C?\""
    }
    set delimiter %
    foreach {option value} $args {
        switch -- $option {
            -delimiter {set delimiter $value}
            default {error "unknown option \"$option\": must be -delimiter"}
        }
    }
    set text ""
    foreach line {
        "KelvoDSP: KelvoWare core generators"
        "KelvoWare: parameterised DSP cores written as bit-true fixed-point MATLAB"
    } {
        append text "$delimiter  $line\n"
    }
    return $text
}

proc ::AppInfo {query} {
    switch -- $query {
        ProductName {return KelvoDSP}
        ProductVersionVerbose {return $::kelvodsp::version}
        ProductBuildType {return $::kelvodsp::buildType}
        default {
            error "unknown AppInfo query \"$query\": must be ProductBuildType, ProductName or ProductVersionVerbose"
        }
    }
}

proc ::GetMatlabMajorVersionNumber {} {
    return 7
}

# --- plug-in parameter descriptions ----------------------------------------------------------

namespace eval ::AppMgr {}

proc ::AppMgr::GetKPDFile {name} {
    foreach directory [lreverse $::kelvodsp::pluginDirs] {
        set path [file join $directory $name.kpd]
        if {[file exists $path]} {
            return $path
        }
    }
    error "no parameter description \"$name.kpd\" in the plug-in folders ([join $::kelvodsp::pluginDirs {, }])"
}

# --- script files ----------------------------------------------------------------------------

# "source FILE" checks the file's bytes before Tcl decodes them: Tcl would read a byte that is
# not UTF-8 as the character of the same value, so a name in the file could become another one.
# (With -encoding the caller has said how to read the file.)
if {[info commands ::kelvodsp::TclSource] eq ""} {
    rename ::source ::kelvodsp::TclSource
}

proc ::source {args} {
    if {[llength $args] == 1} {
        set path [lindex $args 0]
        if {![catch {open $path r} channel]} {
            fconfigure $channel -translation binary
            set bytes [read $channel]
            close $channel
            if {[catch {::kelvodsp::RequireUtf8 $bytes} message]} {
                return -code error -errorcode {KELVODSP ENCODING} "couldn't read file \"$path\": $message"
            }
        }
    }
    tailcall ::kelvodsp::TclSource {*}$args
}
