// Registration of the application's commands with the host: the three name queries and
// GetParameters, the generate command with its common options, Simulate and Report, the
// generator's ports and the parameters of its XML description.
#include "host/FilePath.h"
#include "host/GlobalSetting.h"
#include "plugin/CKWDesignCallBack.h"
#include "raised_cosine/CKWDesign.h"

namespace kw {

namespace {

struct NameQuery {
    const char* name;
    const char* description;
    TCommandHandler handler;
    std::initializer_list<std::pair<const char*, const char*>> switches;
};

void AddFlag(CAppCommand* command, const char* switchName, const char* description) {
    command->AddParameter(CAppCommand::NewBooleanParameter(switchName, description, false, false, false));
}

void AddHidden(CAppCommand* command, CCmdParameter* option) {
    option->SetIsHidden(true);
    command->AddParameter(option);
}

void AddHiddenFlag(CAppCommand* command, const char* switchName, const char* description) {
    AddHidden(command, CAppCommand::NewBooleanParameter(switchName, description, false, false, false));
}

void AddHiddenString(CAppCommand* command, const char* switchName, const char* valueName, const char* description) {
    AddHidden(command, CAppCommand::NewStringParameter(switchName, valueName, description, false, false, ""));
}

// A string option, hidden among the generate command's common options, shown on the model commands.
void AddStringOption(CAppCommand* command, bool hidden, const char* switchName, const char* valueName,
                     const char* description) {
    CCmdParameter* option = CAppCommand::NewStringParameter(switchName, valueName, description, false, false, "");
    option->SetIsHidden(hidden);
    command->AddParameter(option);
}

// How the hardware core is built; each needs -hdl verilog.
void AddHardwareOptions(CAppCommand* command, bool hidden) {
    AddStringOption(command, hidden, "-hdl_products", "style",
                    "Products by constant coefficients in the hardware core: multiplier or shiftadd (shifts, adds "
                    "and subtracts from one shared adder graph; fully parallel cores). Default multiplier.");
    AddStringOption(command, hidden, "-hdl_multipliers", "M",
                    "Multipliers a resource-shared hardware core works with side by side (above 1: K = ceil(P/M) "
                    "clocks per output), at most P, its non-zero products per output. Default 1.");
    AddStringOption(command, hidden, "-hdl_stream", "interface",
                    "Ports of the hardware core: plain (valid/ready) or axis (AXI4-Stream). Default plain.");
}

// The output quantizer's modes and the coefficients' scaling: they change the core's arithmetic.
void AddArithmeticOptions(CAppCommand* command, bool hidden) {
    AddStringOption(command, hidden, "-output_round", "mode",
                    "Rounding of the output quantizer: floor, round, nearest, convergent, ceil or fix. Default: "
                    "the project's default rounding mode (floor).");
    AddStringOption(command, hidden, "-output_overflow", "mode",
                    "Overflow of the output quantizer: wrap or saturate. Default: the project's default overflow "
                    "mode (wrap).");
    AddStringOption(command, hidden, "-coef_scale", "scale",
                    "Coefficient scaling: unity (unity gain) or max (the largest tap uses the full coefficient "
                    "range). Default unity.");
}

// The options every generate command accepts; none of them is a generator parameter.
void AddCommonOptions(CAppCommand* command) {
    AddHidden(command,
              CAppCommand::NewFileOutParameter("-outdir", "directory", "Output directory.", false, false, false, ""));
    AddHiddenFlag(command, "-nosubdir", "Do not create or write to subdirectory.");
    AddHiddenFlag(command, "-project", "Open a new project for this KelvoWare.");
    AddHiddenFlag(command, "-report", "Also write the design report F_report.txt beside the core.");
    AddHidden(command, CAppCommand::NewIntegerParameter("-seed", "value",
                                                        "Seed of the design report's error measurement input.",
                                                        false, false, 1));
    AddHidden(command, CAppCommand::NewIntegerParameter("-forcenum", "value",
                                                        "Force starting number for unique-ify naming.", false,
                                                        false, 1));
    command->SetIgnoreUnknownArgs(true);
    AddHiddenFlag(command, "-add_dummy_input", "Add a dummy input to the KelvoWare call");
    AddHiddenFlag(command, "-input_is_float_mantisa", "Input value is limited to between 0.5 and less than 1 always");
    AddHiddenString(command, "-name", "name", "Name of the file to create");
    AddHiddenString(command, "-inputnames", "inputnames", "Names of the inputs");
    AddHiddenString(command, "-outputnames", "outputnames", "Names of the outputs");
    AddHiddenString(command, "-instancepath", "instancepath", "Instance path of the auto-infered function");
    AddHiddenString(command, "-hdl", "language", "Also write the core in this hardware description language (verilog)");
    AddHardwareOptions(command, true);
    AddArithmeticOptions(command, true);
    AddHiddenString(command, "-stopband_from", "F",
                    "The design report measures the stop-band from F (unit of -fs, at most Fs/2; default "
                    "(1+R)*Fd/2).");
}

TCommandHandler Handler(int (CKWDesignCallBack::*handler)(CCmdArguments*, CTclResultObj*)) {
    return static_cast<TCommandHandler>(handler);
}

}  // namespace

void CKWDesignCallBack::AddNameQueries(CKelvoApp* app) {
    const NameQuery queries[] = {
        {"GetFullName", "Get full name of this KelvoWare", Handler(&CKWDesignCallBack::GetFullName),
         {{"-full", "Get the complete absolute name."}}},
        {"GetShortName", "Get short name of this KelvoWare", Handler(&CKWDesignCallBack::GetShortName),
         {{"-full", "Get the complete absolute name."}}},
        {"GetDescription", "Get description of this KelvoWare", Handler(&CKWDesignCallBack::GetDescription),
         {{"-full", "Get the full name and description."}}},
        {"GetParameters", "Get all arguments to this KelvoWare", Handler(&CKWDesignCallBack::GetParameters),
         {{"-inputs", "Show all input parameters."},
          {"-outputs", "Show all outFile parameters."},
          {"-functional", "Show all functional parameters."},
          {"-implementation", "Show all implementation parameters."}}},
    };
    for (const NameQuery& query : queries) {
        CAppCommand* command = app->AddCommand(query.name, query.description, query.handler);
        command->SetNotGlobalCommand();
        for (const auto& [switchName, description] : query.switches) {
            AddFlag(command, switchName, description);
        }
    }
}

void CKWDesignCallBack::AddGenerateCommand(CKelvoApp* app) {
    m_generateCommand =
        app->AddCommand(m_design->GetShortName(), m_design->GetDescription(), Handler(&CKWDesignCallBack::Generate));
    AddCommonOptions(m_generateCommand);
}

// The commands that answer from a request without writing: they take the generator's switches
// (the XML description, attached below) and their own.
void CKWDesignCallBack::AddModelCommands(CKelvoApp* app) {
    m_modelCommands.clear();
    if (m_coreDesign == nullptr) {
        return;
    }
    CAppCommand* simulate = app->AddCommand(
        "Simulate",
        "Runs the core of the given switches bit-true on -input (integers of the input format, value "
        "integer*2^-IFBITS, one per call of the core) and returns its output integers (value "
        "integer*2^-OFBITS), one per input. Checks and refuses as the generate command; writes no file.",
        Handler(&CKWDesignCallBack::Simulate));
    simulate->AddParameter(CAppCommand::NewStringParameter(
        "-input", "list", "Input integers, one per call of the core, each within the IBITS-bit signed range.", false,
        false, ""));
    CAppCommand* report = app->AddCommand(
        "Report",
        "Returns the design report of the core of the given switches as a dict (structure, formats, "
        "coefficient, response, interference and fixed-point error figures). Checks and refuses as the "
        "generate command; writes no file.",
        Handler(&CKWDesignCallBack::Report));
    report->AddParameter(CAppCommand::NewIntegerParameter(
        "-seed", "value", "Seed of the uniform full-range input the fixed-point error is measured with.", false,
        false, 1));
    report->AddParameter(CAppCommand::NewStringParameter(
        "-hdl", "language", "Also give the clocks per sample and the latency in clocks of the core in this "
        "hardware description language (verilog).", false, false, ""));
    AddHardwareOptions(report, false);
    report->AddParameter(CAppCommand::NewStringParameter(
        "-stopband_from", "F", "Measure the stop-band figures from F (unit of -fs, at most Fs/2; default (1+R)*Fd/2).",
        false, false, ""));
    for (CAppCommand* command : {simulate, report}) AddArithmeticOptions(command, false);
    m_modelCommands = {simulate, report};
    for (CAppCommand* command : m_modelCommands) {
        command->SetNotGlobalCommand();
        command->SetIgnoreUnknownArgs(true);
    }
}

// The host names the XML parameter description; a missing file leaves the command without one.
void CKWDesignCallBack::AttachParameterDescription() {
    CTclEvalObj query("AppMgr::GetKPDFile");
    query += m_design->GetShortName();
    if (!query.Evaluate(false)) {
        return;
    }
    const std::string path = query.GetResult()->GetStringValue();
    if (FilePath(path).Exists() && m_generateCommand->SetXMLParameterDescription(path)) {
        for (CAppCommand* command : m_modelCommands) {
            command->SetXMLParameterDescription(path);
        }
    }
    if (GlobalSettingIsOn("Settings::never_show_customer_turn_on_kelvoware_argument_checks")) {
        m_generateCommand->SetIgnoreUnknownArgs(false);
        for (CAppCommand* command : m_modelCommands) {
            command->SetIgnoreUnknownArgs(false);
        }
    }
}

int CKWDesignCallBack::RegisterCommands(CKelvoApp* app) {
    AddNameQueries(app);
    AddGenerateCommand(app);
    AddModelCommands(app);
    AttachParameterDescription();
    m_design->SetCommand(m_generateCommand);
    m_design->LoadXMLParameters();
    m_design->RecordRegisteredPorts();
    return CAppMgr::RegisterCommands(app) ? kAppSuccess : kAppInitFailed;
}

}  // namespace kw
