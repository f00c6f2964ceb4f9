// The plug-in's one callback object: it owns the generator and is the object the host calls
// for every command of the application (name queries, GetParameters and the generate command).
#pragma once

#include <functional>
#include <memory>
#include <vector>

#include "framework/CKWDesignBase.h"
#include "host/AppMgr.h"

namespace kw {

class CKWDesign;

class CKWDesignCallBack : public CKelvoAppCallBack {
public:
    // The raised-cosine generator: it designs a core model, so Simulate and Report are
    // registered beside the generate command.
    explicit CKWDesignCallBack(std::unique_ptr<CKWDesign> design);
    // Any other generator: the name queries, GetParameters and the generate command only.
    explicit CKWDesignCallBack(std::unique_ptr<CKWDesignBase> design);
    ~CKWDesignCallBack() override;

    CKWDesignBase* Design() const { return m_design.get(); }
    CAppCommand* GenerateCommand() const { return m_generateCommand; }

    // Adds the commands to the application (the name queries, GetParameters, the generate
    // command and, for a generator that designs a core model, Simulate and Report), attaches the
    // XML parameter description and publishes them. Returns 1, or 3 when the host refuses.
    int RegisterCommands(CKelvoApp* app);

    // Command handlers (status 1 success, 2 command failed).
    int GetFullName(CCmdArguments* arguments, CTclResultObj* result);
    int GetShortName(CCmdArguments* arguments, CTclResultObj* result);
    int GetDescription(CCmdArguments* arguments, CTclResultObj* result);
    int GetParameters(CCmdArguments* arguments, CTclResultObj* result);
    int Generate(CCmdArguments* arguments, CTclResultObj* result);
    // The bit-true outputs of the request's core for the -input integers; writes no file.
    int Simulate(CCmdArguments* arguments, CTclResultObj* result);
    // The design report of the request's core as a dict; writes no file.
    int Report(CCmdArguments* arguments, CTclResultObj* result);

private:
    void AddNameQueries(CKelvoApp* app);
    void AddGenerateCommand(CKelvoApp* app);
    void AddModelCommands(CKelvoApp* app);
    void AttachParameterDescription();
    // Runs a handler's body; a refusal or failure becomes the generator's error text as the
    // command's result and one error line to the host (status 2).
    int RunGuarded(CTclResultObj* result, const std::function<void()>& body);
    // The raised-cosine generator with one call's arguments read and checked as the generate
    // command reads them (throws the same refusals); nothing is written.
    CKWDesign& CheckedRequest(CCmdArguments* arguments);

    std::unique_ptr<CKWDesignBase> m_design;
    // The same object as m_design when the callback was made with the raised-cosine generator,
    // otherwise nullptr; the model commands exist only then.
    CKWDesign* m_coreDesign = nullptr;
    CAppCommand* m_generateCommand = nullptr;  // owned by the host
    std::vector<CAppCommand*> m_modelCommands;  // Simulate and Report, owned by the host
};

// The module's life between the host's InitApp and ExitApp. InitPlugin creates the callback
// object (with the raised-cosine generator) when none exists, creates the host application and
// registers its commands; ExitPlugin destroys the callback object and the generator.
int InitPlugin();
// As InitPlugin, with the callback object made by the given factory.
int InitPluginWith(std::unique_ptr<CKWDesignCallBack> (*makeCallBack)());
// As InitPlugin, with a generator that designs no core model (for other generators and tests).
int InitPluginWith(std::unique_ptr<CKWDesignBase> (*makeDesign)());
int ExitPlugin();
CKWDesignCallBack* PluginCallBack();

}  // namespace kw
