#pragma once
// A desktop opener that records the addresses the program asks the desktop to open.

#include "System/System.hpp"

#include <string>
#include <vector>

class RecordingOpener : public System::Opener {
public:
    bool Open(const std::wstring& address, const std::wstring&) override
    {
        opened.push_back(address);
        return true;
    }
    std::vector<std::wstring> opened;
};
