// Recognising the files the generators write by their first lines.
#include "framework/GeneratedFiles.h"

#include <cctype>
#include <string_view>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kw {

namespace {

constexpr std::size_t kReadLimit = 256 * 1024;
constexpr std::string_view kPsdSignature = "function [P,F]=kw_psd(X,NFFT,Fs)";

bool IsNameChar(char c) { return std::isalnum(static_cast<unsigned char>(c)) != 0 || c == '_'; }

bool StartsWith(std::string_view text, std::string_view prefix) { return text.substr(0, prefix.size()) == prefix; }

bool EndsWith(std::string_view text, std::string_view suffix) {
    return text.size() >= suffix.size() && text.substr(text.size() - suffix.size()) == suffix;
}

std::string_view FirstLine(std::string_view text) { return text.substr(0, text.find('\n')); }

// The identifier at the start of TEXT (possibly empty).
std::string_view LeadingName(std::string_view text) {
    std::size_t end = 0;
    while (end < text.size() && IsNameChar(text[end])) ++end;
    return text.substr(0, end);
}

// The first line of a MATLAB file that is neither blank nor a comment (the banner precedes the
// helper's function line).
std::string_view FirstCodeLine(std::string_view text) {
    while (!text.empty()) {
        const std::string_view line = FirstLine(text);
        const std::size_t code = line.find_first_not_of(" \t\r");
        if (code != std::string_view::npos && line[code] != '%') return line;
        text.remove_prefix(std::min(text.size(), line.size() + 1));
    }
    return {};
}

// "function OUT = F( IN )" or "function [A, B] = F( IN )": the core's signature, spaced as the
// generators write it.
std::optional<GeneratedFile> MatlabCore(std::string_view line) {
    if (!StartsWith(line, "function ")) return std::nullopt;
    const std::size_t equals = line.find(" = ");
    if (equals == std::string_view::npos) return std::nullopt;
    const std::string_view rest = line.substr(equals + 3);
    const std::string_view name = LeadingName(rest);
    if (name.empty() || !StartsWith(rest.substr(name.size()), "( ") || !EndsWith(line, " )")) return std::nullopt;
    return GeneratedFile{GeneratedKind::Core, std::string(name)};
}

// A testbench script calls its core once per sample: "[data_out(n)]=F(SigInput(n));".
std::optional<GeneratedFile> MatlabScript(std::string_view text) {
    constexpr std::string_view kCall = "[data_out(n)]=";
    if (text.find("doubleCoefs=[") == std::string_view::npos) return std::nullopt;
    const std::size_t call = text.find(kCall);
    if (call == std::string_view::npos) return std::nullopt;
    const std::string_view rest = text.substr(call + kCall.size());
    const std::string_view name = LeadingName(rest);
    if (name.empty() || !StartsWith(rest.substr(name.size()), "(SigInput(n));")) return std::nullopt;
    return GeneratedFile{GeneratedKind::Script, std::string(name)};
}

std::optional<GeneratedFile> Directives(std::string_view line) {
    constexpr std::string_view kCore = "# Directives for ";
    constexpr std::string_view kProject = "SetDirective -designfunction {for n.";
    if (StartsWith(line, kCore)) {
        const std::string_view name = line.substr(kCore.size());
        if (!name.empty() && LeadingName(name) == name) return GeneratedFile{GeneratedKind::CoreDirectives, std::string(name)};
    }
    if (StartsWith(line, kProject) && EndsWith(line, "}")) {
        const std::string_view name = line.substr(kProject.size(), line.size() - kProject.size() - 1);
        if (!name.empty() && LeadingName(name) == name)
            return GeneratedFile{GeneratedKind::ProjectDirectives, std::string(name)};
    }
    return std::nullopt;
}

// A generated Verilog file opens with "// M: ..." and declares module M: the core's module has
// ports, the testbench's ("M_tb;") none.
std::optional<GeneratedFile> Verilog(std::string_view text) {
    if (!StartsWith(text, "// ")) return std::nullopt;
    const std::string_view header = LeadingName(text.substr(3));
    if (header.empty() || text.substr(3 + header.size(), 1) != ":") return std::nullopt;
    const std::string declaration = "\nmodule " + std::string(header);
    const std::size_t at = text.find(declaration);
    if (at == std::string_view::npos) return std::nullopt;
    const std::string_view after = text.substr(at + declaration.size());
    const std::size_t next = after.find_first_not_of(" \t\r\n");
    if (next == std::string_view::npos || IsNameChar(after[0])) return std::nullopt;
    if (after[next] == ';' && EndsWith(header, "_tb")) {
        return GeneratedFile{GeneratedKind::VerilogTestbench, std::string(header.substr(0, header.size() - 3))};
    }
    return GeneratedFile{GeneratedKind::VerilogCore, std::string(header)};
}

}  // namespace

std::optional<GeneratedFile> RecognizeGenerated(const std::string& text) {
    const std::string_view code = FirstCodeLine(text);
    if (code == kPsdSignature) return GeneratedFile{GeneratedKind::PsdHelper, ""};
    if (auto core = MatlabCore(FirstLine(text))) return core;
    if (auto script = MatlabScript(text)) return script;
    if (auto directives = Directives(FirstLine(text))) return directives;
    return Verilog(text);
}

std::optional<GeneratedFile> RecognizeGeneratedFile(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) return std::nullopt;
    struct stat status {};
    std::string text;
    if (::fstat(fd, &status) == 0 && S_ISREG(status.st_mode)) {
        text.resize(kReadLimit);
        std::size_t filled = 0;
        while (filled < text.size()) {
            const ssize_t got = ::read(fd, text.data() + filled, text.size() - filled);
            if (got <= 0) break;
            filled += static_cast<std::size_t>(got);
        }
        text.resize(filled);
    }
    ::close(fd);
    return text.empty() ? std::nullopt : RecognizeGenerated(text);
}

std::string DescribeGenerated(const GeneratedFile& file) {
    switch (file.kind) {
        case GeneratedKind::Core: return "the core function " + file.core;
        case GeneratedKind::CoreDirectives: return "the directives of core " + file.core;
        case GeneratedKind::Script: return "the testbench script of core " + file.core;
        case GeneratedKind::PsdHelper: return "the testbenches' helper kw_psd";
        case GeneratedKind::ProjectDirectives: return "the project directives of core " + file.core;
        case GeneratedKind::VerilogCore: return "the Verilog core " + file.core;
        case GeneratedKind::VerilogTestbench: return "the Verilog testbench of core " + file.core;
    }
    return "a generated file";
}

}  // namespace kw
