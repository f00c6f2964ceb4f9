// CTclDataObj: a script value held as one reference to a Tcl_Obj. Copies share the value;
// changing operations duplicate a shared value first (Tcl's copy-on-write rule). Texts cross
// this boundary as standard UTF-8, the bytes that file names have on disk: the interpreter's own
// form writes NUL as C0 80 and a character beyond U+FFFF as two three-byte surrogate halves.
#include <cmath>
#include <limits>

#include "AppMgr.h"
#include "TclRuntime.h"

namespace {

bool IsAscii(const char* text, size_t length) {
    for (size_t i = 0; i < length; ++i) {
        if (static_cast<unsigned char>(text[i]) >= 0x80) return false;
    }
    return true;
}

Tcl_Encoding Utf8Encoding() {
    static const Tcl_Encoding encoding = Tcl_GetEncoding(nullptr, "utf-8");
    return encoding;
}

std::string DStringText(Tcl_DString& converted) {
    std::string text(Tcl_DStringValue(&converted), static_cast<size_t>(Tcl_DStringLength(&converted)));
    Tcl_DStringFree(&converted);
    return text;
}

// The interpreter's form of a standard UTF-8 text.
Tcl_Obj* NewTextObj(const std::string& text) {
    if (IsAscii(text.data(), text.size())) return Tcl_NewStringObj(text.data(), static_cast<int>(text.size()));
    Tcl_DString converted;
    Tcl_ExternalToUtfDString(Utf8Encoding(), text.data(), static_cast<int>(text.size()), &converted);
    const std::string own = DStringText(converted);
    return Tcl_NewStringObj(own.data(), static_cast<int>(own.size()));
}

// The standard UTF-8 form of an interpreter text.
std::string StandardText(const char* text, int length) {
    if (IsAscii(text, static_cast<size_t>(length))) return std::string(text, static_cast<size_t>(length));
    Tcl_DString converted;
    Tcl_UtfToExternalDString(Utf8Encoding(), text, length, &converted);
    return DStringText(converted);
}

Tcl_Obj* NewHeldObj(Tcl_Obj* value) {
    Tcl_IncrRefCount(value);
    return value;
}

}  // namespace

CTclDataObj::CTclDataObj() : m_obj((appmgr::EnsureTclLibrary(), NewHeldObj(Tcl_NewObj()))) {}

CTclDataObj::CTclDataObj(int value) : m_obj((appmgr::EnsureTclLibrary(), NewHeldObj(Tcl_NewIntObj(value)))) {}

CTclDataObj::CTclDataObj(const std::string& text)
    : m_obj((appmgr::EnsureTclLibrary(),
             NewHeldObj(NewTextObj(text)))) {}

CTclDataObj::CTclDataObj(Tcl_Obj* value)
    : m_obj((appmgr::EnsureTclLibrary(), NewHeldObj(value ? value : Tcl_NewObj()))) {}

CTclDataObj::CTclDataObj(const CTclDataObj& other) : m_obj(NewHeldObj(other.m_obj)) {}

CTclDataObj& CTclDataObj::operator=(const CTclDataObj& other) {
    SetObj(other.m_obj);
    return *this;
}

CTclDataObj::~CTclDataObj() { Tcl_DecrRefCount(m_obj); }

void CTclDataObj::SetObj(Tcl_Obj* value) {
    Tcl_Obj* held = NewHeldObj(value ? value : Tcl_NewObj());
    Tcl_DecrRefCount(m_obj);
    m_obj = held;
}

std::string CTclDataObj::GetStringValue() const {
    int length = 0;
    const char* text = Tcl_GetStringFromObj(m_obj, &length);
    return StandardText(text, length);
}

int CTclDataObj::GetIntValue() const {
    int value = 0;
    return Tcl_GetIntFromObj(nullptr, m_obj, &value) == TCL_OK ? value : 0;
}

bool CTclDataObj::GetBoolValue() const {
    int value = 0;
    return Tcl_GetBooleanFromObj(nullptr, m_obj, &value) == TCL_OK && value != 0;
}

double CTclDataObj::GetDoubleValue() const {
    double value = 0.0;
    return Tcl_GetDoubleFromObj(nullptr, m_obj, &value) == TCL_OK ? value : 0.0;
}

// A double beyond the float range has no float value (converting it would be undefined): it
// reads as the infinity of its sign, which every range check refuses; NaN stays NaN.
float CTclDataObj::GetFloatValue() const {
    const double value = GetDoubleValue();
    constexpr double kLargest = std::numeric_limits<float>::max();
    if (std::isnan(value)) return std::numeric_limits<float>::quiet_NaN();
    if (value > kLargest) return std::numeric_limits<float>::infinity();
    if (value < -kLargest) return -std::numeric_limits<float>::infinity();
    return static_cast<float>(value);
}

void CTclDataObj::SetStringValue(const std::string& text) {
    SetObj(NewTextObj(text));
}

void CTclDataObj::MakeList() { SetObj(Tcl_NewListObj(0, nullptr)); }

void CTclDataObj::AppendAsListElement(const std::string& element) {
    AppendAsListElement(CTclDataObj(element));
}

void CTclDataObj::AppendAsListElement(int element) { AppendAsListElement(CTclDataObj(element)); }

void CTclDataObj::AppendAsListElement(const CTclDataObj& element) {
    // Append to a private copy: other holders of the value must not see the change.
    if (Tcl_IsShared(m_obj)) {
        SetObj(Tcl_DuplicateObj(m_obj));
    }
    if (Tcl_ListObjAppendElement(nullptr, m_obj, element.m_obj) != TCL_OK) {
        // Not a well-formed list: the old text becomes the first element of a fresh list.
        Tcl_Obj* fresh = Tcl_NewListObj(1, &m_obj);
        Tcl_ListObjAppendElement(nullptr, fresh, element.m_obj);
        SetObj(fresh);
    }
}

int CTclDataObj::GetNumElements() const {
    int count = 0;
    return Tcl_ListObjLength(nullptr, m_obj, &count) == TCL_OK ? count : 0;
}

CTclDataObj CTclDataObj::GetElement(int index) const {
    Tcl_Obj* element = nullptr;
    if (index < 0 || Tcl_ListObjIndex(nullptr, m_obj, index, &element) != TCL_OK || element == nullptr) {
        return CTclDataObj();
    }
    return CTclDataObj(element);
}
