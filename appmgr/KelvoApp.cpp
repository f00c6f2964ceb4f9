// CKelvoApp and CKelvoAppCallBack: one plug-in application with its commands, and the base of
// the plug-in's callback object on which the command handlers are called.
#include "AppMgr.h"

CKelvoAppCallBack::CKelvoAppCallBack() = default;
CKelvoAppCallBack::~CKelvoAppCallBack() = default;

CKelvoApp::CKelvoApp(CKelvoAppCallBack* callback, const std::string& name, const std::string& description)
    : m_callback(callback), m_name(name), m_description(description) {}

CKelvoApp::~CKelvoApp() = default;

CAppCommand* CKelvoApp::AddCommand(const std::string& name, const std::string& description,
                                   TCommandHandler handler) {
    m_commands.push_back(std::make_unique<CAppCommand>(name, description, m_callback, handler));
    return m_commands.back().get();
}
