// The plug-in's one callback object: it owns the generator and is the object the host calls
// for every command of the application (name queries, GetParameters and the generate command).
#pragma once

#include <memory>

#include "framework/CKWDesignBase.h"
#include "host/AppMgr.h"

namespace kw {

class CKWDesignCallBack : public CKelvoAppCallBack {
public:
    explicit CKWDesignCallBack(std::unique_ptr<CKWDesignBase> design);
    ~CKWDesignCallBack() override;

    CKWDesignBase* Design() const { return m_design.get(); }
    CAppCommand* GenerateCommand() const { return m_generateCommand; }

    // Adds the five commands to the application, attaches the XML parameter description and
    // publishes the commands. Returns 1, or 3 when the host refuses the registration.
    int RegisterCommands(CKelvoApp* app);

    // Command handlers (status 1 success, 2 command failed).
    int GetFullName(CCmdArguments* arguments, CTclResultObj* result);
    int GetShortName(CCmdArguments* arguments, CTclResultObj* result);
    int GetDescription(CCmdArguments* arguments, CTclResultObj* result);
    int GetParameters(CCmdArguments* arguments, CTclResultObj* result);
    int Generate(CCmdArguments* arguments, CTclResultObj* result);

private:
    void AddNameQueries(CKelvoApp* app);
    void AddGenerateCommand(CKelvoApp* app);
    void AttachParameterDescription();

    std::unique_ptr<CKWDesignBase> m_design;
    CAppCommand* m_generateCommand = nullptr;  // owned by the host
};

// The module's life between the host's InitApp and ExitApp. InitPlugin creates the callback
// object (with the raised-cosine generator) when none exists, creates the host application and
// registers its commands; ExitPlugin destroys the callback object and the generator.
int InitPlugin();
// As InitPlugin, with the generator made by the given factory (for other generators and tests).
int InitPluginWith(std::unique_ptr<CKWDesignBase> (*makeDesign)());
int ExitPlugin();
CKWDesignCallBack* PluginCallBack();

}  // namespace kw
