// A minimal plug-in for the shell tests: registers the application "fakeapp" (generate command
// "fakeapp", non-global "fakeapp::Echo") and reports its ExitApp on standard error, so the tests
// see the shell's plug-in life cycle without the real generator.
#include <cstdio>

#include "AppMgr.h"

namespace {

class FakeCallBack : public CKelvoAppCallBack {
public:
    int Echo(CCmdArguments* arguments, CTclResultObj* result) {
        CTclDataObj* word = arguments->Find("-word");
        *result = word != nullptr ? word->GetStringValue() : std::string("no word");
        return kAppSuccess;
    }
    int Generate(CCmdArguments* arguments, CTclResultObj* result) {
        CTclDataObj* fail = arguments->Find("-fail");
        if (fail != nullptr && fail->GetBoolValue()) {
            *result = std::string("Error while generating fake\nit failed on purpose\n");
            CAppMgr::SendMsg(2, result->GetStringValue());
            return kAppCommandFailed;
        }
        *result = std::string("generated");
        return kAppSuccess;
    }
};

FakeCallBack* g_callback = nullptr;

TCommandHandler Handler(int (FakeCallBack::*member)(CCmdArguments*, CTclResultObj*)) {
    return static_cast<TCommandHandler>(member);
}

}  // namespace

extern "C" __attribute__((visibility("default"))) int InitApp() {
    if (g_callback == nullptr) {
        g_callback = new FakeCallBack;
    }
    CKelvoApp* app = CAppMgr::NewApp(g_callback, "fakeapp", "Fake application", false, "", true);
    CAppCommand* generate = app->AddCommand("fakeapp", "Fake generate", Handler(&FakeCallBack::Generate));
    generate->AddParameter(CAppCommand::NewBooleanParameter("-fail", "Fail on purpose.", false, false, false));
    CAppCommand* echo = app->AddCommand("Echo", "Echo a word", Handler(&FakeCallBack::Echo));
    echo->AddParameter(CAppCommand::NewStringParameter("-word", "word", "The word.", false, false, ""));
    echo->SetNotGlobalCommand();
    return CAppMgr::RegisterCommands(app) ? kAppSuccess : kAppInitFailed;
}

extern "C" __attribute__((visibility("default"))) int ExitApp() {
    std::fputs("fakeapp: ExitApp\n", stderr);
    delete g_callback;
    g_callback = nullptr;
    return kAppSuccess;
}
