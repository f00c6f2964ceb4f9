// A stream buffer that writes to and reads back from an open file descriptor. A file made with
// mkstemp is written through the descriptor mkstemp returned, so no name is ever opened again
// (a name can be swapped for a symbolic link between two opens; a descriptor cannot).
#pragma once

#include <streambuf>
#include <string>
#include <vector>

namespace kw {

class DescriptorBuffer : public std::streambuf {
public:
    DescriptorBuffer();
    DescriptorBuffer(const DescriptorBuffer&) = delete;
    DescriptorBuffer& operator=(const DescriptorBuffer&) = delete;
    ~DescriptorBuffer() override;

    // Takes DESCRIPTOR (open for reading and writing, positioned at its end); a previous one is
    // closed first, without flushing.
    void Attach(int descriptor);
    int Descriptor() const { return m_descriptor; }
    bool IsAttached() const { return m_descriptor >= 0; }

    // Writes out what is buffered; false when any write of this file has failed.
    bool Flush();
    // Everything in the file, read from its start (after a Flush).
    bool ReadAll(std::string& text);
    // Empties the file and starts writing again at its start.
    bool Truncate();
    // Closes the descriptor; buffered text that was not flushed is dropped.
    void Close();

protected:
    int_type overflow(int_type c) override;
    std::streamsize xsputn(const char* text, std::streamsize count) override;
    int sync() override;

private:
    bool WriteOut(const char* data, std::size_t size);

    int m_descriptor = -1;
    bool m_failed = false;
    std::vector<char> m_buffer;
};

}  // namespace kw
