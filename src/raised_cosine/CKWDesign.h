// The raised-cosine FIR filter generator as the host sees it: its identity and ports, and the
// steps of a Generate run, each a call of a pure part: the request read and checked once, the
// core designed once from it, and the writers of the core body, the testbench script and the
// project directives.
#pragma once

#include <optional>
#include <ostream>
#include <string>

#include "fir/CoreModel.h"
#include "verilog/HardwareChoices.h"
#include "framework/CKWDesignBase.h"
#include "raised_cosine/CoreDesign.h"
#include "raised_cosine/DesignReport.h"
#include "raised_cosine/GenerateRequest.h"

namespace kw {

class CKWDesign : public CKWDesignBase {
public:
    CKWDesign();

    // Reads and checks the run's request (kw::ParameterError on a refusal), then designs its core.
    void ValidateFunctionalParameters() override;
    void GenerateCore() override;
    void FinishCore() override {}
    void WriteDirectives() override;
    void WriteTestbench() override;
    void CheckFunctionName(const std::string& name, bool calledByTestbench) const override;
    // "-hdl verilog" with a name: refuses (kw::ParameterError) a name that is a Verilog or
    // SystemVerilog reserved word, a port name of either stream interface, or an identifier that
    // the core's Verilog or its testbench already uses. Needs the designed core.
    void CheckVerilogName(const std::string& name) const;
    // -hdl_multipliers against the products the core's outputs take, before anything is written.
    void CheckHardwareMultipliers(const fir::CoreModel& model) const;
    // "-hdl verilog": F.v beside the core and, for a project run, F_tb.v and its vector files.
    void WriteHardware(const std::string& corePath, bool withTestbench) override;
    // The report of the run's request (seed from -seed, default 1) for the -report file.
    bool WriteReport(std::ostream& text, std::string& summary) override;

    // The run's request and design: nullptr until a request has passed its checks (and again
    // from the start of the next run).
    const rcos::GenerateRequest* Request() const { return m_request ? &*m_request : nullptr; }
    const rcos::CoreDesign* Design() const { return m_design ? &*m_design : nullptr; }
    // The run's core model, rcos::DesignCoreModel(*Request()); throws std::logic_error before a
    // request has passed its checks.
    const fir::CoreModel& DesignCoreModel() const;
    // The design report of the checked request; the error measurement's input comes from -seed
    // (default 1), the hardware's timing is added with -hdl verilog.
    rcos::DesignReport MakeReport() const;
    // How the run's hardware is built (-hdl_products, -hdl_multipliers, -hdl_stream).
    fir::HardwareChoices HardwareChoices() const;

private:
    const rcos::GenerateRequest& CheckedRequest() const;
    const rcos::CoreDesign& CheckedDesign() const;
    void WarnOfOutputOverflow(const fir::CoreModel& model) const;

    std::optional<rcos::GenerateRequest> m_request;
    std::optional<rcos::CoreDesign> m_design;
};

}  // namespace kw
