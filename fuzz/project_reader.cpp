// Fuzz target: "Project FILE" on a file the fuzz bytes make. Byte 0 picks the mode: the bytes as
// the file itself, or a file built from pieces: byte 1 and 2 give a nesting depth (0 to 65535),
// byte 3 its opening (bracket, brace, quote, array index), byte 4 a repeat count that grows the
// file towards and past its 1 MiB bound, and every further byte one command line from a mix
// (options and directives, commands that must not exist, comments, escapes, odd quoting).
// Properties: the shell never crashes or hangs; the project either opens (only then is it the
// open project, and the file's own SetProjectOption values are in it) or is refused with
// "cannot read project"; nesting past 1000 levels of brackets is always refused; nothing in a
// file runs (a canary command never makes its file); the session's options stay as they were.
#include <tcl.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <stdlib.h>

#include "FuzzSupport.h"

namespace {

namespace fs = std::filesystem;

const std::string& Scratch() {
    static const std::string folder = [] {
        std::string pattern = (fs::temp_directory_path() / "kwfuzzprojXXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr) kwfuzz::Fail("no scratch folder");
        return pattern;
    }();
    return folder;
}

// Removes the scratch folder at exit; it asks for the folder first, so the folder's name (a
// static made first) is still there when this object goes.
struct Cleanup {
    Cleanup() { (void)Scratch(); }
    ~Cleanup() {
        std::error_code ignored;
        fs::remove_all(Scratch(), ignored);
    }
};

std::string Canary() { return Scratch() + "/CANARY"; }

// One line of the command mix per byte.
std::string Line(uint8_t byte) {
    const std::string lines[] = {
        "SetProjectOption -fuzz_a 1",
        "SetProjectOption -fuzz_b {a [b] $c}",
        "SetProjectOption -default_round_mode round -fuzz_c \"x y\"",
        "SetDirective top/u1 -allappparams {-ibits 16 -form Direct}",
        "SetDirective -designfunction {f [x]}",
        "SetProjectOption odd",
        "SetDirective",
        "exec touch " + Canary(),
        "open " + Canary() + " w",
        "while 1 {}",
        "proc p {} {p}; p",
        "set x 1",
        "::tcl::string::repeat x 9",
        "# a comment [[[ {{{ \\",
        "SetProjectOption -fuzz_d \\[\\{\\$x",
        "SetProjectOption -fuzz_e [SetProjectOption -fuzz_f 2]",
        "SetProjectOption -fuzz_g \"[[[]]]\"",
        "SetProjectOption -fuzz_h $x",
        "SetProjectOption -fuzz_i ${x([[[}",
        "SetProjectOption -fuzz_j {*}{-fuzz_k 3}",
        "SetProjectOption -fuzz_l {unbalanced",
        "SetProjectOption -fuzz_m \"unbalanced",
        "SetProjectOption -fuzz_n caf\xc3\xa9",
        "SetProjectOption -fuzz_o lat\xe9",
        std::string("SetProjectOption -fuzz_p a\0b", 28),
        "",
    };
    return lines[byte % (sizeof lines / sizeof lines[0])];
}

std::string Nesting(int depth, uint8_t kind) {
    std::string open;
    std::string close;
    switch (kind % 4) {
    case 0: open = "["; close = "]"; break;
    case 1: open = "{"; close = "}"; break;
    case 2: open = "$a("; close = ")"; break;
    default: open = "\"["; close = "]\""; break;
    }
    std::string text = "SetProjectOption -fuzz_deep ";
    for (int i = 0; i < depth; ++i) text += open;
    for (int i = 0; i < depth; ++i) text += close;
    return text + "\n";
}

struct Made {
    std::string text;
    int bracketDepth = 0;  // nesting of brackets the file certainly holds (0: unknown)
};

Made MakeFile(const uint8_t* data, size_t size) {
    Made made;
    if (size == 0 || (data[0] & 1) == 0) {
        made.text.assign(reinterpret_cast<const char*>(data), size);
        return made;
    }
    const int depth = size > 2 ? (data[1] << 8 | data[2]) : 0;
    const uint8_t kind = size > 3 ? data[3] : 0;
    const int repeat = size > 4 ? 1 + data[4] * 64 : 1;
    std::string body;
    for (size_t i = 5; i < size; ++i) body += Line(data[i]) + "\n";
    if (kind % 4 == 0 || kind % 4 == 3) made.bracketDepth = depth;
    made.text = Nesting(depth, kind);
    for (int r = 0; r < repeat && made.text.size() <= (1u << 20) + 4096; ++r) made.text += body;
    return made;
}

std::pair<int, std::string> Eval(const std::string& script) { return kwfuzz::Host().Eval(script); }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static Cleanup cleanup;
    const Made made = MakeFile(data, size);
    const std::string path = Scratch() + "/fuzz.kvp";
    std::ofstream(path, std::ios::binary | std::ios::trunc) << made.text;
    const auto before = Eval("GetProjectOption -default_round_mode");

    const auto [code, text] = Eval("Project {" + path + "}");
    if (code == TCL_OK) {
        if (made.bracketDepth > 1000) kwfuzz::Fail("a project nested " + std::to_string(made.bracketDepth) + " deep was read");
        if (Eval("Project").second != path) kwfuzz::Fail("an opened project is not the open project");
        if (Eval("Project -close").first != TCL_OK) kwfuzz::Fail("the opened project cannot be closed");
    } else if (text.rfind("cannot read project \"" + path + "\": ", 0) != 0) {
        kwfuzz::Fail("a refused project without its message: " + text.substr(0, 200));
    }
    std::error_code error;
    if (fs::exists(Canary(), error)) kwfuzz::Fail("a command of the project file ran");
    if (Eval("Project").second != "") kwfuzz::Fail("a project stayed open");
    if (Eval("GetProjectOption -default_round_mode") != before) kwfuzz::Fail("the session's options changed");
    if (Eval("expr {6 * 7}").second != "42") kwfuzz::Fail("the shell no longer answers");
    return 0;
}
