// Buffered writing through a file descriptor, with every short write and interrupted call
// retried and any failure remembered until the file is closed.
#include "host/DescriptorBuffer.h"

#include <cerrno>

#include <sys/stat.h>
#include <unistd.h>

namespace kw {

namespace {

constexpr std::size_t kBufferSize = 1 << 16;

}  // namespace

DescriptorBuffer::DescriptorBuffer() : m_buffer(kBufferSize) {
    setp(m_buffer.data(), m_buffer.data() + m_buffer.size());
}

DescriptorBuffer::~DescriptorBuffer() { Close(); }

void DescriptorBuffer::Attach(int descriptor) {
    Close();
    m_descriptor = descriptor;
    m_failed = false;
}

void DescriptorBuffer::Close() {
    if (m_descriptor >= 0) {
        ::close(m_descriptor);
        m_descriptor = -1;
    }
    setp(m_buffer.data(), m_buffer.data() + m_buffer.size());
}

bool DescriptorBuffer::WriteOut(const char* data, std::size_t size) {
    if (m_descriptor < 0) {
        m_failed = true;
    }
    while (size > 0 && !m_failed) {
        const ssize_t written = ::write(m_descriptor, data, size);
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written <= 0) {
            m_failed = true;
            break;
        }
        data += written;
        size -= static_cast<std::size_t>(written);
    }
    return !m_failed;
}

bool DescriptorBuffer::Flush() {
    const bool written = WriteOut(pbase(), static_cast<std::size_t>(pptr() - pbase()));
    setp(m_buffer.data(), m_buffer.data() + m_buffer.size());
    return written;
}

DescriptorBuffer::int_type DescriptorBuffer::overflow(int_type c) {
    if (!Flush()) {
        return traits_type::eof();
    }
    if (!traits_type::eq_int_type(c, traits_type::eof())) {
        *pptr() = traits_type::to_char_type(c);
        pbump(1);
    }
    return traits_type::not_eof(c);
}

// Large pieces bypass the buffer once it is written out.
std::streamsize DescriptorBuffer::xsputn(const char* text, std::streamsize count) {
    if (count <= epptr() - pptr()) {
        traits_type::copy(pptr(), text, static_cast<std::size_t>(count));
        pbump(static_cast<int>(count));
        return count;
    }
    if (!Flush() || !WriteOut(text, static_cast<std::size_t>(count))) {
        return 0;
    }
    return count;
}

int DescriptorBuffer::sync() { return Flush() ? 0 : -1; }

bool DescriptorBuffer::ReadAll(std::string& text) {
    struct stat status {};
    if (!Flush() || ::fstat(m_descriptor, &status) != 0) {
        return false;
    }
    text.assign(static_cast<std::size_t>(status.st_size), '\0');
    std::size_t done = 0;
    while (done < text.size()) {
        const ssize_t got = ::pread(m_descriptor, text.data() + done, text.size() - done, static_cast<off_t>(done));
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got <= 0) {
            return false;
        }
        done += static_cast<std::size_t>(got);
    }
    return true;
}

bool DescriptorBuffer::Truncate() {
    if (!Flush() || ::ftruncate(m_descriptor, 0) != 0 || ::lseek(m_descriptor, 0, SEEK_SET) != 0) {
        m_failed = true;
    }
    return !m_failed;
}

}  // namespace kw
