#include "Monitoring/DetectedEvent.hpp"

#include <climits>

namespace MachineEvent {

int NoticeBits(const std::wstring& categorynotice)
{
    long long value = 0;
    for (const wchar_t c : categorynotice) {
        if (c < L'0' || c > L'9') break;
        value = value * 10 + (c - L'0');
        if (value > INT_MAX) return INT_MAX;
    }
    return static_cast<int>(value);
}

}  // namespace MachineEvent
