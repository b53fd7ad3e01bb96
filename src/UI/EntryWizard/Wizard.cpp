#include "Norvane/UI/EntryWizard/Wizard.hpp"

#include "Norvane/UI/AddEntryWizard.hpp"
#include "Norvane/UI/EntryWizard/Pages.hpp"
#include "UI/EntryWizard/PageWidgets.hpp"
#include "Norvane/UI/Icons.hpp"

#include "Application/Config.hpp"
#include "MonitoredEntry/EntryManager.hpp"
#include "Utility/LoadString.hpp"

#include <QMetaObject>

namespace UI::EntryWizard {

Settings Settings::Current()
{
    const Config& config = Config::Instance();
    return {config.defaultEntryProperty(), config.checkConnectNewEntry(), config.checkAuthenticateNewEntry()};
}

Wizard::Wizard(std::shared_ptr<MonitoredEntry::EntryManager> manager, Settings settings, QWidget* parent)
    : QWizard(parent), manager_(std::move(manager)), settings_(std::move(settings)),
      property_(settings_.defaultProperty)
{
    setObjectName(QStringLiteral("EntryWizard"));
    setWindowTitle(QString::fromStdWString(LoadString(WizardCaption)));
    setWindowIcon(Icon(IconId::Application));
    setWizardStyle(QWizard::ClassicStyle);
    setOptions(QWizard::NoBackButtonOnStartPage);

    setPage(PageKey::MachineSelect, new MachineSelectPage(*this));
    setPage(PageKey::UserSelect, new UserSelectPage(*this));
    setPage(PageKey::UserInput, new UserInputPage(*this));
    setPage(PageKey::Commit, new CommitPage(*this));
    setStartId(PageKey::MachineSelect);

    connect(this, &QWizard::currentIdChanged, this, &Wizard::OnPageChanged);
}

Wizard::~Wizard() = default;

Page* Wizard::GetPage(int key) const { return qobject_cast<Page*>(page(key)); }

bool Wizard::Guarded(const std::function<void()>& action)
{
    if (error_) return false;
    try {
        action();
        return true;
    } catch (...) {
        error_ = std::current_exception();
        // Closed from the event loop: the error may have come from inside the wizard's
        // own page switch or its Finish.
        QMetaObject::invokeMethod(this, &QWizard::reject, Qt::QueuedConnection);
        return false;
    }
}

bool Wizard::validateCurrentPage()
{
    Page* page = GetPage(currentId());
    if (!QWizard::validateCurrentPage()) return false;
    if (page) {
        if (Page* next = GetPage(page->nextId())) next->SetReachedFrom(page->Key());
    }
    return true;
}

void Wizard::OnPageChanged(int key)
{
    if (Page* page = GetPage(key)) Guarded([page] { page->OnSetActive(); });
}

}  // namespace UI::EntryWizard

namespace UI {

bool RunAddEntryWizard(QWidget* parent, std::shared_ptr<MonitoredEntry::EntryManager> manager)
{
    EntryWizard::Wizard wizard(std::move(manager), EntryWizard::Settings::Current(), parent);
    wizard.exec();
    if (const std::exception_ptr error = wizard.Error()) std::rethrow_exception(error);
    return wizard.AddedEntry().has_value();
}

}  // namespace UI
