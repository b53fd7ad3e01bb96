#include "Utility/LoadString.hpp"

#include "System/SystemError.hpp"
#include "Utility/Catalogue.hpp"
#include "Utility/StringTable.hpp"
#include "Utility/Text.hpp"

#include <cerrno>

std::wstring LoadString(unsigned int id)
{
    if (auto text = CLrcReader().Find(id)) return std::move(*text);
    const char* text = StringTable::Find(id);
    return text ? Text::Widen(text) : std::wstring();
}

std::wstring LoadStringFromApp(unsigned int id)
{
    const char* text = StringTable::Find(id);
    // A missing number here is a fault of the program, not of its surroundings.
    if (!text) OSTREL_THROW(SystemError(ENOENT));
    return Text::Widen(text);
}
