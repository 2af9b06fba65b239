#pragma once
#include <streambuf>
#include <string>
#include <string_view>

// A stream buffer in front of another that shows control characters escaped ("\x1B",
// "\u009B"), so that names and texts from files cannot move the cursor, recolour or retitle
// the terminal. Line breaks, carriage returns (progress lines) and tabs pass as they are.
class TEscapingBuffer : public std::streambuf {
public:
    explicit TEscapingBuffer(std::streambuf& out) : Out(out) {}
    ~TEscapingBuffer() override;

protected:
    int_type overflow(int_type c) override;
    int sync() override;

private:
    bool Put(const char* text);
    std::streambuf& Out;
    // A lead byte 0xC2 waits for the next byte: with 0x80 … 0x9F it makes a C1 control.
    bool Pending = false;
};

// The text as a TEscapingBuffer would show it.
std::string EscapeControls(std::string_view text);
