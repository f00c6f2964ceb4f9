// The generator this plug-in publishes: the raised-cosine FIR filter.
#include "plugin/CKWDesignCallBack.h"
#include "raised_cosine/CKWDesign.h"

namespace kw {

namespace {

std::unique_ptr<CKWDesignCallBack> MakeRaisedCosine() {
    return std::make_unique<CKWDesignCallBack>(std::make_unique<CKWDesign>());
}

}  // namespace

int InitPlugin() { return InitPluginWith(&MakeRaisedCosine); }

}  // namespace kw
