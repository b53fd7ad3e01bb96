#pragma once
// Small pieces the wizard and its pages share: controls named by their numbers with
// their texts from the string table, handlers whose errors end the run, and the wait
// cursor around calls to a machine.

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QString>

#include "Norvane/UI/EntryWizard/Wizard.hpp"
#include "Norvane/UI/WaitCursor.hpp"
#include "Utility/LoadString.hpp"
#include "Utility/StringIds.hpp"

#include <string>
#include <type_traits>

namespace UI::EntryWizard {

/// "監視ユーザー追加ウィザード": the wizard's caption, and the start of every page's.
inline constexpr unsigned int WizardCaption = 104;

inline QString Str(const std::wstring& text) { return QString::fromStdWString(text); }

/// A widget of type T named `id`, with the string table's text `textId` (0: none).
template <class T>
T* MakeControl(QWidget* parent, int id, unsigned int textId = 0)
{
    auto* control = new T(parent);
    control->setObjectName(QString::number(id));
    if (textId != 0) control->setText(Str(LoadString(textId)));
    if constexpr (std::is_same_v<T, QLabel>) control->setTextFormat(Qt::PlainText);
    if constexpr (std::is_same_v<T, QPushButton>) control->setAutoDefault(false);
    return control;
}

/// A handler of `page` run through the wizard, so that an error ends the wizard's run
/// instead of unwinding through the toolkit.
template <class PageT>
auto Guard(PageT* page, void (PageT::*handler)(), Wizard& wizard)
{
    return [page, handler, &wizard] { wizard.Guarded([page, handler] { (page->*handler)(); }); };
}


}  // namespace UI::EntryWizard
