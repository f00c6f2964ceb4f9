// CTclResultObj: the value a command answers or an evaluation produced, plus the error text of
// a failed evaluation and the error code of a failed command.
#include "AppMgr.h"

CTclResultObj::CTclResultObj() = default;

CTclResultObj& CTclResultObj::operator=(const std::string& text) {
    SetStringValue(text);
    return *this;
}

CTclResultObj& CTclResultObj::operator=(const CTclDataObj& value) {
    SetObj(value.GetObj());
    return *this;
}

std::string CTclResultObj::GetResultMessage() const { return m_message; }

void CTclResultObj::SetResultMessage(const std::string& message) { m_message = message; }

void CTclResultObj::SetErrorCode(const std::vector<std::string>& words) { m_errorCode = words; }

const std::vector<std::string>& CTclResultObj::GetErrorCode() const { return m_errorCode; }
