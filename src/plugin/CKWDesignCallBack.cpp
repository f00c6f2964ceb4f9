// The callback object's name queries and its ownership of the generator.
#include "plugin/CKWDesignCallBack.h"

#include "raised_cosine/CKWDesign.h"

namespace kw {

CKWDesignCallBack::CKWDesignCallBack(std::unique_ptr<CKWDesign> design) : m_coreDesign(design.get()) {
    m_design = std::move(design);
}

CKWDesignCallBack::CKWDesignCallBack(std::unique_ptr<CKWDesignBase> design) : m_design(std::move(design)) {}

CKWDesignCallBack::~CKWDesignCallBack() = default;

int CKWDesignCallBack::GetFullName(CCmdArguments*, CTclResultObj* result) {
    *result = m_design->GetFullName();
    return kAppSuccess;
}

int CKWDesignCallBack::GetShortName(CCmdArguments*, CTclResultObj* result) {
    *result = m_design->GetShortName();
    return kAppSuccess;
}

int CKWDesignCallBack::GetDescription(CCmdArguments*, CTclResultObj* result) {
    *result = m_design->GetDescription();
    return kAppSuccess;
}

}  // namespace kw
