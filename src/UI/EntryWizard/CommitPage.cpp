#include "Norvane/UI/EntryWizard/Pages.hpp"

#include "UI/EntryWizard/PageWidgets.hpp"

#include "Application/Limits.hpp"
#include "MonitoredEntry/Duplicate.hpp"
#include "MonitoredEntry/EntryManager.hpp"
#include "Norvane/UI/Message.hpp"
#include "QH/QuillhavenServer.hpp"

#include <QGridLayout>

#include <chrono>
#include <mutex>
#include <thread>

namespace UI::EntryWizard {

namespace {
constexpr unsigned int prompt = 105;
constexpr unsigned int notificationItemsText = 194;
constexpr unsigned int sameHost = 182;

// The machine's page where the person picks the events to be told about.
constexpr int notificationItemPage = 4;

constexpr std::chrono::milliseconds pollInterval(200);
}  // namespace

CommitPage::CommitPage(Wizard& wizard) : Page(wizard, PageKey::Commit, 3)
{
    notificationItems_ = MakeControl<QCheckBox>(this, ControlId::NotificationItems, notificationItemsText);
    notificationItems_->setChecked(wizard.NotificationItemFlag());

    auto* layout = new QGridLayout(this);
    layout->addWidget(MakeControl<QLabel>(this, ControlId::CommitPrompt, prompt), 0, 0);
    layout->addWidget(notificationItems_, 1, 0);
    layout->setRowStretch(2, 1);

    connect(notificationItems_, &QCheckBox::toggled, this, [&wizard](bool on) { wizard.SetNotificationItemFlag(on); });
}

void CommitPage::OnActivate()
{
    notificationItems_->setChecked(GetWizard().NotificationItemFlag());
    SetWizardButtons(Back | Finish);
}

bool CommitPage::LeaveCheck()
{
    Wizard& wizard = GetWizard();
    MonitoredEntry::EntryManager& manager = wizard.Manager();
    const MonitoredEntry::EntryProperty property = GetEntryProperty();

    // The limit and a host taken meanwhile are the manager's to refuse: its error ends
    // the run and reaches whoever started the wizard.
    std::optional<ID> added;
    {
        MonitoredEntry::EntryManager::Transaction transaction(manager);
        if (manager.Search(MonitoredEntry::Conditions::Duplicate<MonitoredEntry::EntryProperty>(property))->empty()) {
            added = transaction.Append(property);
            transaction.Commit();
        }
    }

    if (!added) {
        // One account per machine: the person may end here or go back and pick another.
        if (Message::Affirmation(sameHost)) QMetaObject::invokeMethod(&wizard, &QWizard::reject, Qt::QueuedConnection);
        return false;
    }

    wizard.SetAddedEntry(*added);
    if (wizard.NotificationItemFlag()) {
        WaitCursor wait;
        // An entry that is not monitored is never subscribed: nothing to wait for.
        if (property.GetMonitoring()) WaitForSubscription(*added);
        QuillhavenServer server(property.GetMFP());
        server.OpenInBrowser(property.GetUser(), notificationItemPage);
    }
    return true;
}

void CommitPage::WaitForSubscription(const ID& id) const
{
    MonitoredEntry::EntryManager& manager = GetWizard().Manager();
    const auto deadline =
        std::chrono::steady_clock::now() + std::chrono::milliseconds(std::max(0, Limits::Current().subscriptionWaitLimitMs));
    try {
        for (;;) {
            {
                std::lock_guard lock(manager);
                if (manager.GetDB().GetEntry(id).GetProperty().GetSubscriptionState() != 0) return;
            }
            if (std::chrono::steady_clock::now() >= deadline) return;
            std::this_thread::sleep_for(pollInterval);
        }
    } catch (const std::exception&) {
        // The entry went away meanwhile, or could not be read: the page opens all the same.
    }
}

}  // namespace UI::EntryWizard
