// Redirects file descriptor 2 into an anonymous temporary file and reads it back on Stop().
#include "StderrCapture.h"

#include <unistd.h>

namespace kwtest {

StderrCapture::StderrCapture() : m_file(std::tmpfile()), m_savedFd(-1) {
    std::fflush(stderr);
    if (m_file != nullptr) {
        m_savedFd = dup(2);
        dup2(fileno(m_file), 2);
    }
}

StderrCapture::~StderrCapture() { Stop(); }

std::string StderrCapture::Stop() {
    if (m_savedFd < 0) {
        return m_text;
    }
    std::fflush(stderr);
    dup2(m_savedFd, 2);
    close(m_savedFd);
    m_savedFd = -1;
    std::rewind(m_file);
    char buffer[4096];
    size_t count = 0;
    while ((count = std::fread(buffer, 1, sizeof buffer, m_file)) > 0) {
        m_text.append(buffer, count);
    }
    std::fclose(m_file);
    m_file = nullptr;
    return m_text;
}

}  // namespace kwtest
