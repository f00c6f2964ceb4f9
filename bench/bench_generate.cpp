// Time of one whole "rcosflt" generate command as a user runs it in the host: the host parses
// the arguments, the plug-in designs the filter and writes the core, directives and (with
// -project) the testbench script and project, re-indenting both MATLAB files.
// Run: bench_generate 2>/dev/null   (the host prints each run's messages on standard error)
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <stdexcept>
#include <string>

#include "KelvoHost.h"
#include "plugin/CKWDesignCallBack.h"

namespace {

// One host with the plug-in registered, generating into a private temporary directory.
class GenerateHost {
public:
    GenerateHost() {
        std::string pattern = (std::filesystem::temp_directory_path() / "kwbenchXXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr) {
            throw std::runtime_error("no temporary directory");
        }
        m_dir = pattern;
        m_host = std::make_unique<KelvoHost>();
        m_host->AddPluginDirectory(KW_SOURCE_DIR "/src/plugin");
        if (kw::InitPlugin() != kAppSuccess) {
            throw std::runtime_error("rcosflt could not be registered");
        }
    }
    ~GenerateHost() {
        kw::ExitPlugin();
        m_host.reset();
        std::error_code ignored;
        std::filesystem::remove_all(m_dir, ignored);
    }

    void Generate(const std::string& arguments) {
        const auto [code, text] = m_host->Eval("rcosflt -outdir {" + m_dir.string() + "} -name bench_core " + arguments);
        if (code != 0) {
            throw std::runtime_error(text);
        }
    }

private:
    std::filesystem::path m_dir;
    std::unique_ptr<KelvoHost> m_host;
};

GenerateHost& Host() {
    static GenerateHost host;
    return host;
}

void BM_GenerateCore(benchmark::State& state, const std::string& arguments) {
    for (auto _ : state) {
        Host().Generate(arguments);
    }
}

BENCHMARK_CAPTURE(BM_GenerateCore, defaults_25_taps, std::string(""))->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_GenerateCore, project_25_taps, std::string("-project -nosubdir"))->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_GenerateCore, project_497_taps_transposed,
                  std::string("-project -nosubdir -fs 8 -delay 31 -form Transposed"))
    ->Unit(benchmark::kMillisecond);
// The costliest request: the most taps with the multiplier-free transposed form and a project.
BENCHMARK_CAPTURE(BM_GenerateCore, project_497_taps_multiplier_free_transposed,
                  std::string("-project -nosubdir -fs 8 -fd 1 -delay 31 -form Transposed -no_mults yes"))
    ->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
