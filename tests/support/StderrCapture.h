// Captures what the process writes to standard error (file descriptor 2) between construction
// and Stop(), e.g. the lines of CAppMgr::SendMsg and Messaging::Message.
#pragma once

#include <cstdio>
#include <string>

namespace kwtest {

class StderrCapture {
public:
    StderrCapture();   // starts capturing
    ~StderrCapture();  // stops if still capturing
    StderrCapture(const StderrCapture&) = delete;
    StderrCapture& operator=(const StderrCapture&) = delete;

    // Stops capturing, restores standard error and returns everything written meanwhile.
    std::string Stop();

private:
    std::FILE* m_file;
    int m_savedFd;
    std::string m_text;
};

}  // namespace kwtest
