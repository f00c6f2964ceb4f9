// Time of the commands that answer from a request without writing, as a script calls them in the
// host: rcosflt::Report for the largest design (511 taps), and rcosflt::Simulate on 10^6 samples
// (the list read element by element through the host, the core run, the answer built).
// Run: bench_commands 2>/dev/null
#include <benchmark/benchmark.h>

#include <memory>
#include <stdexcept>
#include <string>

#include "KelvoHost.h"
#include "plugin/CKWDesignCallBack.h"

namespace {

class CommandHost {
public:
    CommandHost() {
        m_host = std::make_unique<KelvoHost>();
        m_host->AddPluginDirectory(KW_SOURCE_DIR "/kelvodsp");
        if (kw::InitPlugin() != kAppSuccess) throw std::runtime_error("rcosflt could not be registered");
        // 10^6 full-range 16-bit inputs, built once as a list of integers.
        Eval("set ::samples {}; for {set i 0} {$i < 1000000} {incr i} {"
             "lappend ::samples [expr {($i * 7919) % 65536 - 32768}]}");
    }
    ~CommandHost() {
        kw::ExitPlugin();
        m_host.reset();
    }

    void Eval(const std::string& script) {
        const auto [code, text] = m_host->Eval(script);
        if (code != 0) throw std::runtime_error(text);
    }

private:
    std::unique_ptr<KelvoHost> m_host;
};

CommandHost& Host() {
    static CommandHost host;
    return host;
}

void BM_Command(benchmark::State& state, const std::string& script) {
    Host();
    for (auto _ : state) Host().Eval(script);
}

BENCHMARK_CAPTURE(BM_Command, report_511_taps, std::string("rcosflt::Report -fs 5 -delay 51"))
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Command, report_511_taps_multfree_transposed,
                  std::string("rcosflt::Report -fs 5 -delay 51 -no_mults yes -form Transposed"))
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Command, simulate_25_taps_1e6_samples, std::string("rcosflt::Simulate -input $::samples"))
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Command, simulate_511_taps_1e6_samples,
                  std::string("rcosflt::Simulate -fs 5 -delay 51 -input $::samples"))
    ->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
