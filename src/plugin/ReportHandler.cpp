// rcosflt::Report: the design report of the request's core as a dict, keys in the report's order.
#include "plugin/CKWDesignCallBack.h"
#include "raised_cosine/CKWDesign.h"

namespace kw {

int CKWDesignCallBack::Report(CCmdArguments* arguments, CTclResultObj* result) {
    return RunGuarded(result, [&] {
        const rcos::DesignReport report = CheckedRequest(arguments).MakeReport();
        CTclDataObj dict;
        dict.MakeList();
        for (const rcos::ReportEntry& entry : rcos::ReportEntries(report)) {
            dict.AppendAsListElement(entry.key);
            dict.AppendAsListElement(entry.value);
        }
        *result = dict;
    });
}

}  // namespace kw
