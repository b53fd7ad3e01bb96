#include "Norvane/UI/EntryWizard/Pages.hpp"

#include "UI/EntryWizard/PageWidgets.hpp"

#include "HTTP/Error.hpp"
#include "Norvane/UI/Message.hpp"
#include "QH/QuillhavenServer.hpp"
#include "QH/TimeoutTable.hpp"
#include "Utility/LoadString.hpp"

namespace UI::EntryWizard {

namespace {
constexpr unsigned int authenticationFailed = 216;
constexpr int steps = 3;
}  // namespace

Page::Page(Wizard& wizard, int key, int step)
    : QWizardPage(&wizard), wizard_(wizard), key_(key),
      caption_(QStringLiteral("%1 %2/%3").arg(Str(LoadString(WizardCaption))).arg(step).arg(steps))
{
    setObjectName(QString::number(key));
}

void Page::OnSetActive()
{
    OnActivate();
    wizard_.setWindowTitle(caption_);
}

void Page::SetWizardButtons(int buttons)
{
    buttons_ = buttons;
    emit completeChanged();
}

bool Page::isComplete() const { return (buttons_ & (Next | Finish)) != 0; }

bool Page::validatePage()
{
    bool leave = false;
    wizard_.Guarded([this, &leave] { leave = LeaveCheck(); });
    return leave;
}

int Page::nextId() const { return NextKey(); }

bool Page::Authenticate(const MonitoredEntry::User& user) const
{
    if (!wizard_.GetSettings().checkAuthenticate) return true;
    bool accepted = false;
    bool answered = true;
    {
        WaitCursor wait;
        try {
            QuillhavenServer server(GetEntryProperty().GetMFP());
            accepted = server.Authenticate(user, QH::Config::CurrentRecord(QH::Request::Authenticate));
        } catch (const HTTP::Error&) {
            // A machine that stopped answering since its page was left: the person may
            // try again or go back, as on the machine page.
            answered = false;
        }
    }
    if (!answered) {
        Message::Show(StringId::CommunicationError, MessageIcon::Exclamation);
        return false;
    }
    if (!accepted) Message::Show(authenticationFailed, MessageIcon::Exclamation);
    return accepted;
}

}  // namespace UI::EntryWizard
