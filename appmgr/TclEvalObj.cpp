// CTclEvalObj: a command built word by word (a Tcl list evaluated with Tcl_EvalObjv, so no word
// is ever substituted) or a script text (evaluated with Tcl_EvalObjEx), run at global level in
// the current host's interpreter. The interpreter's own result state is restored afterwards.
#include "AppMgr.h"
#include "TclRuntime.h"

namespace {

Tcl_Obj* WordsOf(const std::string& command) {
    Tcl_Obj* text = Tcl_NewStringObj(command.data(), static_cast<int>(command.size()));
    Tcl_IncrRefCount(text);
    int count = 0;
    Tcl_Obj** words = nullptr;
    Tcl_Obj* list = nullptr;
    if (Tcl_ListObjGetElements(nullptr, text, &count, &words) == TCL_OK) {
        list = Tcl_NewListObj(count, words);
    } else {
        // Not a well-formed list: keep the text as one word rather than losing it.
        list = Tcl_NewListObj(1, &text);
    }
    Tcl_IncrRefCount(list);
    Tcl_DecrRefCount(text);
    return list;
}

// The text a word contributes to a script: quoted as a one-element list, so it stays one word.
std::string QuotedWord(Tcl_Obj* word) {
    Tcl_Obj* single = Tcl_NewListObj(1, &word);
    Tcl_IncrRefCount(single);
    std::string text = Tcl_GetString(single);
    Tcl_DecrRefCount(single);
    return text;
}

}  // namespace

CTclEvalObj::CTclEvalObj(const std::string& command, CTclResultObj* result)
    : m_command((appmgr::EnsureTclLibrary(), WordsOf(command))), m_isScript(false), m_result(result) {
    if (m_result == nullptr) {
        m_ownResult = std::make_unique<CTclResultObj>();
        m_result = m_ownResult.get();
    }
}

CTclEvalObj::~CTclEvalObj() { Tcl_DecrRefCount(m_command); }

CTclEvalObj& CTclEvalObj::operator+=(const std::string& word) { return *this += CTclDataObj(word); }

CTclEvalObj& CTclEvalObj::operator+=(const char* word) { return *this += std::string(word ? word : ""); }

CTclEvalObj& CTclEvalObj::operator+=(const CTclDataObj& word) {
    if (m_isScript) {
        std::string script = Tcl_GetString(m_command);
        script += ' ';
        script += QuotedWord(word.GetObj());
        Tcl_Obj* replaced = Tcl_NewStringObj(script.data(), static_cast<int>(script.size()));
        Tcl_IncrRefCount(replaced);
        Tcl_DecrRefCount(m_command);
        m_command = replaced;
        return *this;
    }
    if (Tcl_IsShared(m_command)) {
        Tcl_Obj* copy = Tcl_DuplicateObj(m_command);
        Tcl_IncrRefCount(copy);
        Tcl_DecrRefCount(m_command);
        m_command = copy;
    }
    Tcl_ListObjAppendElement(nullptr, m_command, word.GetObj());
    return *this;
}

CTclEvalObj& CTclEvalObj::operator+=(CTclEvalObj& evaluated) {
    evaluated.Evaluate(false);
    return *this += static_cast<const CTclDataObj&>(*evaluated.GetResult());
}

CTclEvalObj& CTclEvalObj::operator=(const std::string& script) {
    Tcl_Obj* text = Tcl_NewStringObj(script.data(), static_cast<int>(script.size()));
    Tcl_IncrRefCount(text);
    Tcl_DecrRefCount(m_command);
    m_command = text;
    m_isScript = true;
    return *this;
}

bool CTclEvalObj::Evaluate(bool /*flag*/) {
    Tcl_Interp* interp = appmgr::CurrentInterp();
    if (interp == nullptr) {
        const std::string message = "no KelvoDSP host interpreter is running";
        *m_result = message;
        m_result->SetResultMessage(message);
        return false;
    }
    // A handler may evaluate while its own command is running: keep the caller's result state.
    Tcl_InterpState saved = Tcl_SaveInterpState(interp, TCL_OK);
    Tcl_ResetResult(interp);
    Tcl_Preserve(interp);
    // Hold the command while it runs: the script may replace this object's contents.
    appmgr::TclObjRef command(m_command);
    int code = TCL_OK;
    if (m_isScript) {
        code = Tcl_EvalObjEx(interp, command.get(), TCL_EVAL_GLOBAL);
    } else {
        int count = 0;
        Tcl_Obj** words = nullptr;
        Tcl_ListObjGetElements(nullptr, command.get(), &count, &words);
        if (count > 0) {
            // Tcl_EvalObjv needs the words to stay alive: a private copy of the list holds them.
            appmgr::TclObjRef held(Tcl_NewListObj(count, words));
            Tcl_ListObjGetElements(nullptr, held.get(), &count, &words);
            code = Tcl_EvalObjv(interp, count, words, TCL_EVAL_GLOBAL);
        }
    }
    CTclDataObj answer(Tcl_GetObjResult(interp));
    *m_result = answer;
    m_result->SetResultMessage(code == TCL_OK ? std::string() : answer.GetStringValue());
    Tcl_RestoreInterpState(interp, saved);
    Tcl_Release(interp);
    return code == TCL_OK;
}

CTclResultObj* CTclEvalObj::GetResult() { return m_result; }
