// "::kelvodsp::EvalInFreshInterp": one interpreter per call, created, used and deleted on its own
// thread (an interpreter belongs to the thread that made it).
#include "FreshInterpCommand.h"

#include <pthread.h>

#include <cstring>
#include <string>

namespace appmgr {
namespace {

// Tcl parses and compiles nested substitutions by recursion; 64 MiB holds tens of thousands of
// levels, far beyond the nesting the host lets a project file have.
constexpr std::size_t kStackBytes = std::size_t{64} << 20;

struct Evaluation {
    std::string script;  // in the interpreter's own UTF-8 form, as it came
    std::string result;
    int code = TCL_ERROR;
};

void* Evaluate(void* argument) {
    auto* evaluation = static_cast<Evaluation*>(argument);
    Tcl_Interp* interp = Tcl_CreateInterp();
    evaluation->code = Tcl_EvalEx(interp, evaluation->script.data(), static_cast<int>(evaluation->script.size()),
                                  TCL_EVAL_GLOBAL);
    int length = 0;
    const char* result = Tcl_GetStringFromObj(Tcl_GetObjResult(interp), &length);
    evaluation->result.assign(result, static_cast<std::size_t>(length));
    Tcl_DeleteInterp(interp);
    Tcl_FinalizeThread();
    return nullptr;
}

bool RunOnOwnThread(Evaluation& evaluation, std::string& failure) {
    pthread_attr_t attributes;
    pthread_attr_init(&attributes);
    int error = pthread_attr_setstacksize(&attributes, kStackBytes);
    pthread_t thread{};
    if (error == 0) error = pthread_create(&thread, &attributes, Evaluate, &evaluation);
    pthread_attr_destroy(&attributes);
    if (error != 0) {
        failure = std::string("cannot start an interpreter thread: ") + std::strerror(error);
        return false;
    }
    pthread_join(thread, nullptr);
    return true;
}

int EvalInFreshInterpCommand(ClientData, Tcl_Interp* interp, int objc, Tcl_Obj* const objv[]) {
    if (objc != 2) {
        Tcl_WrongNumArgs(interp, 1, objv, "script");
        return TCL_ERROR;
    }
    int length = 0;
    const char* script = Tcl_GetStringFromObj(objv[1], &length);
    Evaluation evaluation;
    evaluation.script.assign(script, static_cast<std::size_t>(length));
    std::string failure;
    if (!RunOnOwnThread(evaluation, failure)) {
        Tcl_SetObjResult(interp, Tcl_NewStringObj(failure.data(), static_cast<int>(failure.size())));
        return TCL_ERROR;
    }
    Tcl_SetObjResult(interp, Tcl_NewStringObj(evaluation.result.data(), static_cast<int>(evaluation.result.size())));
    return evaluation.code == TCL_OK ? TCL_OK : TCL_ERROR;
}

}  // namespace

void InstallFreshInterpCommand(Tcl_Interp* interp) {
    Tcl_CreateObjCommand(interp, "::kelvodsp::EvalInFreshInterp", EvalInFreshInterpCommand, nullptr, nullptr);
}

}  // namespace appmgr
