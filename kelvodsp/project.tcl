# The KelvoDSP project store: project options (the quantizer defaults and limits among them),
# directives, and the one open project. "Project -save" writes the project as a script of
# SetProjectOption and SetDirective lines; "Project PATH" reads it back in a safe interpreter
# where nothing but those two commands exists, under a time and a command limit, once its bytes
# are known to be UTF-8 and its nesting to be within Tcl's recursion limit.

namespace eval ::kelvodsp {
    # Bounds for reading a project file: a saved project stays far below every one of them.
    variable maxProjectFileBytes 1048576
    variable maxProjectCommands 100000
    variable maxProjectMilliseconds 5000
    # Tcl parses nested brackets by recursion on the C stack: deeper nesting is refused before
    # the text reaches the parser, at Tcl's own default recursion limit.
    variable maxProjectNesting 1000
}

proc ::kelvodsp::CurrentOptionsVar {} {
    expr {$::kelvodsp::projectOpen ? "::kelvodsp::projectOptions" : "::kelvodsp::sessionOptions"}
}

proc ::kelvodsp::CurrentDirectivesVar {} {
    expr {$::kelvodsp::projectOpen ? "::kelvodsp::projectDirectives" : "::kelvodsp::sessionDirectives"}
}

proc ::GetProjectOption {name} {
    set options [set [::kelvodsp::CurrentOptionsVar]]
    if {![dict exists $options $name]} {
        error "unknown project option \"$name\""
    }
    return [dict get $options $name]
}

proc ::SetProjectOption {args} {
    if {[llength $args] == 0 || [llength $args] % 2} {
        error "wrong # args: should be \"SetProjectOption -name value ?-name value ...?\""
    }
    foreach {name value} $args {
        if {![string match -?* $name]} {
            error "project option \"$name\" must begin with \"-\""
        }
    }
    upvar #0 [::kelvodsp::CurrentOptionsVar] options
    foreach {name value} $args {
        dict set options $name $value
    }
    return
}

# SetDirective ?TARGET? -OPTION VALUE ?-OPTION VALUE ...?
proc ::SetDirective {args} {
    set pairs $args
    if {[llength $args] && ![string match -* [lindex $args 0]]} {
        set pairs [lrange $args 1 end]
    }
    if {[llength $pairs] == 0 || [llength $pairs] % 2} {
        error "wrong # args: should be \"SetDirective ?target? -option value ?-option value ...?\""
    }
    foreach {option value} $pairs {
        if {![string match -?* $option]} {
            error "directive option \"$option\" must begin with \"-\""
        }
    }
    upvar #0 [::kelvodsp::CurrentDirectivesVar] directives
    lappend directives $args
    return
}

# Every directive in force, each as the word list it was given with.
proc ::GetDirectives {} {
    return [set [::kelvodsp::CurrentDirectivesVar]]
}

proc ::IsFlowStageValid {stage} {
    switch -- $stage {
        -project {return $::kelvodsp::projectOpen}
        default {error "unknown flow stage \"$stage\": must be -project"}
    }
}

# Project            the open project's path ("" when none)
# Project PATH       opens PATH, or creates a new project of that name when the file does not exist
# Project -new PATH  creates a fresh project that is saved at PATH; a file there is never read
# Project -close     closes the open project (unsaved changes are dropped)
# Project -save      writes the open project to its path, replacing the file in one step
proc ::Project {args} {
    if {[llength $args] == 0} {
        return $::kelvodsp::projectPath
    }
    if {[llength $args] == 2 && [lindex $args 0] eq "-new"} {
        return [::kelvodsp::OpenProject [lindex $args 1] 0]
    }
    if {[llength $args] != 1} {
        error "wrong # args: should be \"Project ?path|-new path|-close|-save?\""
    }
    set argument [lindex $args 0]
    switch -- $argument {
        -close {return [::kelvodsp::CloseProject]}
        -save {return [::kelvodsp::SaveProject]}
        default {return [::kelvodsp::OpenProject $argument 1]}
    }
}

proc ::kelvodsp::OpenProject {path readExisting} {
    variable projectOpen
    variable projectPath
    variable projectOptions
    variable projectDirectives
    if {$projectOpen} {
        error "project \"$projectPath\" is open: close it first with \"Project -close\""
    }
    if {$path eq ""} {
        error "a project needs a file name"
    }
    set path [file normalize $path]
    set options $::kelvodsp::defaultProjectOptions
    set directives {}
    if {$readExisting && [file exists $path]} {
        lassign [ReadProjectFile $path] options directives
    }
    set projectOptions $options
    set projectDirectives $directives
    set projectPath $path
    set projectOpen 1
    return $path
}

proc ::kelvodsp::CloseProject {} {
    variable projectOpen
    if {!$projectOpen} {
        error "no project is open"
    }
    set projectOpen 0
    set ::kelvodsp::projectPath {}
    set ::kelvodsp::projectOptions {}
    set ::kelvodsp::projectDirectives {}
    return
}

proc ::kelvodsp::SaveProject {} {
    variable projectOpen
    variable projectPath
    variable projectOptions
    variable projectDirectives
    if {!$projectOpen} {
        error "no project is open"
    }
    set text "# KelvoDSP project, written by \"Project -save\"; open it again with \"Project <this file>\".\n"
    dict for {name value} $projectOptions {
        append text [list SetProjectOption $name $value] \n
    }
    foreach directive $projectDirectives {
        append text [list SetDirective {*}$directive] \n
    }
    WriteFileDurably $projectPath $text
    return $projectPath
}

# Reads a saved project without running anything but its SetProjectOption and SetDirective lines.
# The reader runs in an interpreter on a thread of its own whose stack has a fixed size, so the
# nesting limit keeps it far from the end of its stack whatever stack the shell was started with.
proc ::kelvodsp::ReadProjectFile {path} {
    variable maxProjectNesting
    variable maxProjectCommands
    variable maxProjectMilliseconds
    variable projectReaderScript
    if {[catch {ProjectFileText $path} text]} {
        error "cannot read project \"$path\": $text"
    }
    if {[catch {RequireNestingWithin $text $maxProjectNesting} message]} {
        error "cannot read project \"$path\": $message"
    }
    set script $projectReaderScript
    append script \n [list ReadProject $text $::kelvodsp::defaultProjectOptions $maxProjectCommands \
                          $maxProjectMilliseconds]
    if {[catch {EvalInFreshInterp $script} result]} {
        error "cannot read project \"$path\": $result"
    }
    return $result
}

# A FIFO or a device could block or never end: only a regular file of bounded size is read, and
# it is opened without waiting for a writer.
proc ::kelvodsp::ProjectFileText {path} {
    variable maxProjectFileBytes
    file stat $path status
    if {$status(type) ne "file"} {
        error "not a regular file"
    }
    if {$status(size) > $maxProjectFileBytes} {
        error "larger than $maxProjectFileBytes bytes"
    }
    set channel [open $path {RDONLY NONBLOCK}]
    fconfigure $channel -translation binary
    set bytes [read $channel [expr {$maxProjectFileBytes + 1}]]
    close $channel
    if {[string length $bytes] > $maxProjectFileBytes} {
        error "larger than $maxProjectFileBytes bytes"
    }
    # Tcl would take a byte that is not UTF-8 as a character of its own value.
    RequireUtf8 $bytes
    return [encoding convertfrom utf-8 $bytes]
}

# The reader, evaluated in a fresh interpreter: "ReadProject TEXT OPTIONS COMMANDS MILLISECONDS"
# answers {options directives}, the options starting from OPTIONS. TEXT runs in a safe
# interpreter in which only SetProjectOption and SetDirective can be called: every other command
# is hidden and the namespaces that hold further commands are gone, so a file can neither loop
# nor grow memory beyond its own size; the command and time limits stop it anyway.
variable ::kelvodsp::projectReaderScript {
    proc ReadProject {text options maxCommands maxMilliseconds} {
        global readOptions readDirectives
        set readOptions $options
        set readDirectives {}
        set reader [interp create -safe]
        set commandsSoFar [$reader eval {info cmdcount}]
        set commands [$reader eval {info commands}]
        set namespaces [$reader eval {namespace children ::}]
        foreach command $commands {
            interp hide $reader $command
        }
        interp invokehidden $reader namespace delete {*}$namespaces
        interp alias $reader SetProjectOption {} ReadOption
        interp alias $reader SetDirective {} ReadDirective
        # The set-up above ran a few commands in the reader as well.
        interp limit $reader command -value [expr {$commandsSoFar + 100 + $maxCommands}]
        set deadline [expr {[clock milliseconds] + $maxMilliseconds}]
        interp limit $reader time -seconds [expr {$deadline / 1000}] -milliseconds [expr {$deadline % 1000}]
        set code [catch {$reader eval $text} message]
        interp delete $reader
        if {$code} {
            error $message
        }
        return [list $readOptions $readDirectives]
    }

    proc ReadOption {args} {
        global readOptions
        if {[llength $args] % 2} {
            error "SetProjectOption needs -name value pairs"
        }
        foreach {name value} $args {
            dict set readOptions $name $value
        }
        return
    }

    proc ReadDirective {args} {
        global readDirectives
        lappend readDirectives $args
        return
    }
}
