#include "Norvane/UI/VirtualList/Column.hpp"

#include "Utility/LoadString.hpp"
#include "Utility/Text.hpp"

#include <ostrel/exception.hpp>

#include <limits>

namespace UI::VirtualList {

std::vector<int> ParseColumnWidths(const std::wstring& text)
{
    auto reject = [&text] {
        OSTREL_THROW(ostrel::logic_error() << ostrel::error_message("not a list of column widths: \"" +
                                                                    Text::Narrow(text) + "\""));
    };
    std::vector<int> widths;
    long width = 0;
    bool digits = false;
    for (std::size_t i = 0; i <= text.size(); ++i) {
        if (i == text.size() || text[i] == L',') {
            if (!digits) reject();
            widths.push_back(static_cast<int>(width));
            width = 0;
            digits = false;
        } else if (text[i] >= L'0' && text[i] <= L'9') {
            width = width * 10 + (text[i] - L'0');
            if (width > std::numeric_limits<int>::max()) reject();
            digits = true;
        } else {
            reject();
        }
    }
    return widths;
}

std::vector<int> ColumnWidths(unsigned int stringId)
{
    return ParseColumnWidths(LoadStringFromApp(stringId));
}

}  // namespace UI::VirtualList
