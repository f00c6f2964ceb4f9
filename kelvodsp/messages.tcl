# Catalogued messages: "Messaging::Message" formats the catalogue text of a message identifier
# with its parameters, prints "Severity (ID): text" to standard error (unless
# -dontsendtostream) and returns the formatted text.

namespace eval ::Messaging {
    # %1, %2 ... stand for the message's parameters.
    variable catalogue {
        COMMAND-0031 {Generating KelvoWare %1: the core is a bit-true fixed-point MATLAB model; simulate it with its testbench before synthesis.}
        COMMAND-0032 {-name %1 is ignored: with -project the files are named after their numbered subdirectory (add -nosubdir to name them %1).}
        COMMAND-0033 {-ofbits %1 is ignored: with -obits auto the output fraction length is derived as well (give -obits a width to use -ofbits).}
        MAPFCTS-0002 {KelvoWare %1: core function written to %2}
        MAPFCTS-0003 {KelvoWare %1: testbench script written to %2}
        MAPFCTS-0005 {KelvoWare %1: design report written to %2: %3}
        MAPFCTS-0006 {KelvoWare %1: %2 written to %3}
        MAPFCTS-0004 {KelvoWare %1 has no XML parameter description (.kpd): its implementation parameters are not available.}
        QTZ-0040 {Quantizer rounding mode "round" is taken as "nearest".}
        DIR-0035 {Invalid quantizer specification: every element of "%1" must be an integer.}
        DIR-0036 {Invalid quantizer specification: at most two integers (word length and fraction length) may be given.}
        DIR-0037 {Invalid quantizer specification: "%1" is not a known quantizer type, overflow mode or rounding mode.}
    }
}

proc ::Messaging::Message {args} {
    set toStream 1
    set severity info
    set msgid {}
    set fileinfo {}
    set params {}
    while {[llength $args]} {
        set args [lassign $args option]
        if {$option eq "-dontsendtostream"} {
            set toStream 0
            continue
        }
        if {$option ni {-severity -msgid -fileinfo -params}} {
            error "Messaging::Message: unknown option \"$option\": must be -dontsendtostream, -fileinfo, -msgid, -params or -severity"
        }
        if {![llength $args]} {
            error "Messaging::Message: missing value for $option"
        }
        set args [lassign $args value]
        set [string range $option 1 end] $value
    }
    if {$msgid eq ""} {
        error "Messaging::Message: -msgid is required"
    }
    set text [FormatMessage $msgid [ParameterList $params]]
    if {$toStream} {
        puts stderr "[Location $fileinfo][SeverityLabel $severity] ($msgid): $text"
    }
    return $text
}

# The parameters proper: a value that is not a list is one parameter; a leading empty element
# (the structured sender's list starts with one) is dropped.
proc ::Messaging::ParameterList {params} {
    if {![string is list $params]} {
        return [list $params]
    }
    if {[llength $params] > 1 && [lindex $params 0] eq ""} {
        return [lrange $params 1 end]
    }
    return $params
}

# Fills %1 ... %n; when more parameters than placeholders are given, the last placeholder takes
# the rest joined with blanks (a text such as "Raised-Cosine FIR Filter" sent as words).
proc ::Messaging::FormatMessage {msgid params} {
    variable catalogue
    if {![dict exists $catalogue $msgid]} {
        if {[llength $params]} {
            return "$msgid: [join $params {, }]"
        }
        return $msgid
    }
    set text [dict get $catalogue $msgid]
    set count 0
    foreach placeholder [regexp -all -inline {%[1-9]} $text] {
        set count [expr {max($count, [string index $placeholder 1])}]
    }
    set mapping {}
    for {set index 1} {$index <= $count} {incr index} {
        if {$index == $count} {
            set value [join [lrange $params [expr {$index - 1}] end] " "]
        } else {
            set value [lindex $params [expr {$index - 1}]]
        }
        lappend mapping %$index $value
    }
    return [string map $mapping $text]
}

proc ::Messaging::SeverityLabel {severity} {
    switch -nocase -- $severity {
        warn - warning {return Warning}
        error {return Error}
        info {return Info}
        default {return [string totitle $severity]}
    }
}

proc ::Messaging::Location {fileinfo} {
    lassign $fileinfo file line
    if {$file eq ""} {
        return ""
    }
    if {$line ne ""} {
        return "$file:$line: "
    }
    return "$file: "
}
