# The KelvoDSP project store: project options (the quantizer defaults and limits among them),
# directives, and the one open project. "Project -save" writes the project as a script of
# SetProjectOption and SetDirective lines; "Project PATH" reads it back in a safe interpreter.

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
# Project -close     closes the open project (unsaved changes are dropped)
# Project -save      writes the open project to its path
proc ::Project {args} {
    if {[llength $args] == 0} {
        return $::kelvodsp::projectPath
    }
    if {[llength $args] != 1} {
        error "wrong # args: should be \"Project ?path|-close|-save?\""
    }
    set argument [lindex $args 0]
    switch -- $argument {
        -close {return [::kelvodsp::CloseProject]}
        -save {return [::kelvodsp::SaveProject]}
        default {return [::kelvodsp::OpenProject $argument]}
    }
}

proc ::kelvodsp::OpenProject {path} {
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
    if {[file exists $path]} {
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
    set channel [open $projectPath w]
    fconfigure $channel -translation lf
    puts -nonewline $channel $text
    close $channel
    return $projectPath
}

# Reads a saved project without running anything but its SetProjectOption and SetDirective lines.
proc ::kelvodsp::ReadProjectFile {path} {
    variable readOptions $::kelvodsp::defaultProjectOptions
    variable readDirectives {}
    set channel [open $path r]
    set text [read $channel]
    close $channel
    set reader [interp create -safe]
    interp alias $reader SetProjectOption {} ::kelvodsp::ReadOption
    interp alias $reader SetDirective {} ::kelvodsp::ReadDirective
    set code [catch {$reader eval $text} message]
    interp delete $reader
    if {$code} {
        error "cannot read project \"$path\": $message"
    }
    return [list $readOptions $readDirectives]
}

proc ::kelvodsp::ReadOption {args} {
    variable readOptions
    if {[llength $args] % 2} {
        error "SetProjectOption needs -name value pairs"
    }
    foreach {name value} $args {
        dict set readOptions $name $value
    }
}

proc ::kelvodsp::ReadDirective {args} {
    variable readDirectives
    lappend readDirectives $args
}
