#include "Norvane/UI/SingleWindow.hpp"

#include "Norvane/UI/Icons.hpp"
#include "Utility/LoadString.hpp"

namespace UI {

QDialog* MakePlaceholderDialog(unsigned int captionId)
{
    auto* dialog = new QDialog(nullptr);
    dialog->setWindowTitle(QString::fromStdWString(LoadString(captionId)));
    dialog->setWindowIcon(Icon(128));
    dialog->resize(480, 320);
    return dialog;
}

}  // namespace UI
