#include "Norvane/UI/EntryWizard/Pages.hpp"

#include "UI/EntryWizard/PageWidgets.hpp"

#include "HTTP/Error.hpp"
#include "Norvane/UI/Message.hpp"
#include "QH/QuillhavenServer.hpp"

#include <QGridLayout>
#include <QItemSelectionModel>

#include <algorithm>

namespace UI::EntryWizard {

namespace {
constexpr unsigned int selectPrompt = 114;
constexpr unsigned int refreshText = 186;
constexpr unsigned int userNameText = 122;
constexpr unsigned int accountIDText = 108;
constexpr unsigned int passwordText = 109;
constexpr unsigned int inputPrompt = 107;
constexpr unsigned int noUsers = 161;

// The longest password a machine takes, in plain ASCII.
constexpr std::size_t passwordMax = 28;

QLineEdit* MakePasswordEdit(QWidget* parent, int id)
{
    auto* edit = MakeControl<QLineEdit>(parent, id);
    edit->setEchoMode(QLineEdit::Password);
    return edit;
}

}  // namespace

// ---------------------------------------------------------------- user selection page

UserSelectPage::UserSelectPage(Wizard& wizard) : Page(wizard, PageKey::UserSelect, 2)
{
    list_ = new UserListControl(this);
    list_->setObjectName(QString::number(ControlId::UserList));
    list_->SetSource(&source_);
    SetUpUserList(*list_, users_);
    list_->SetErrorHandler([&wizard](std::exception_ptr error) {
        wizard.Guarded([error] { std::rethrow_exception(error); });
    });
    auto* refresh = MakeControl<QPushButton>(this, ControlId::Refresh, refreshText);
    userName_ = MakeControl<QLabel>(this, ControlId::UserName);
    accountID_ = MakeControl<QLabel>(this, ControlId::AccountID);
    password_ = MakePasswordEdit(this, ControlId::UserPassword);

    auto* layout = new QGridLayout(this);
    layout->addWidget(MakeControl<QLabel>(this, ControlId::UserPrompt, selectPrompt), 0, 0, 1, 3);
    layout->addWidget(list_, 1, 0, 1, 2);
    layout->addWidget(refresh, 1, 2, Qt::AlignTop);
    layout->addWidget(MakeControl<QLabel>(this, ControlId::UserNameLabel, userNameText), 2, 0);
    layout->addWidget(userName_, 2, 1, 1, 2);
    layout->addWidget(MakeControl<QLabel>(this, ControlId::AccountIDLabel, accountIDText), 3, 0);
    layout->addWidget(accountID_, 3, 1, 1, 2);
    layout->addWidget(MakeControl<QLabel>(this, ControlId::UserPasswordLabel, passwordText), 4, 0);
    layout->addWidget(password_, 4, 1, 1, 2);
    layout->setColumnStretch(1, 1);

    connect(refresh, &QPushButton::clicked, this, Guard(this, &UserSelectPage::OnRefresh, wizard));
    connect(list_->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            Guard(this, &UserSelectPage::OnSelectionChanged, wizard));
    connect(password_, &QLineEdit::textChanged, this, Guard(this, &UserSelectPage::UpdateButtons, wizard));

    list_->Refresh();
    OnSelectionChanged();  // the three texts start empty
}

MonitoredEntry::User UserSelectPage::BuildUser() const
{
    MonitoredEntry::User user;
    const std::wstring name = userName_->text().toStdWString();
    if (!name.empty()) user.SetName(name);
    user.SetID(accountID_->text().toStdWString());
    user.SetPassword(MonitoredEntry::Password(password_->text().toStdWString()));
    return user;
}

void UserSelectPage::OnActivate()
{
    const std::wstring& host = GetEntryProperty().GetMFP().GetHost();
    if (host != listedHost_) {
        // Nobody of another machine's list stays chosen.
        list_->clearSelection();
        FetchUserList();
        listedHost_ = host;
    }
    UpdateButtons();
}

bool UserSelectPage::LeaveCheck()
{
    const MonitoredEntry::User user = BuildUser();
    if (!user.IsValid() || !Authenticate(user)) return false;
    MonitoredEntry::EntryProperty property = GetEntryProperty();
    property.SetUser(user);
    SetEntryProperty(property);
    return true;
}

bool UserSelectPage::FetchUserList()
{
    std::vector<UserRecord> users;
    bool answered = true;
    {
        WaitCursor wait;
        try {
            QuillhavenServer server(GetEntryProperty().GetMFP());
            const auto list = server.GetUserList();
            for (const QH::User& user : *list) users.push_back(UserRecord::From(user));
        } catch (const HTTP::Error&) {
            answered = false;
        }
    }
    if (!answered) {
        Message::Show(StringId::CommunicationError, MessageIcon::Exclamation);
        return false;
    }
    users_ = std::move(users);
    if (users_.empty()) Message::Show(noUsers, MessageIcon::Information);
    list_->Refresh();
    OnSelectionChanged();
    return true;
}

void UserSelectPage::OnRefresh()
{
    FetchUserList();
    UpdateButtons();
}

void UserSelectPage::OnSelectionChanged()
{
    const auto key = list_->SelectedKey();
    if (key && source_.Exists(*key)) {
        const UserRecord& user = users_[*key];
        userName_->setText(Str(user.displayName));
        accountID_->setText(Str(user.userName));
        password_->setReadOnly(false);
    } else {
        userName_->clear();
        accountID_->clear();
        password_->clear();
        password_->setReadOnly(true);
    }
    UpdateButtons();
}

void UserSelectPage::UpdateButtons() { SetWizardButtons(Back | (BuildUser().IsValid() ? Next : 0)); }

// ---------------------------------------------------------------- user input page

UserInputPage::UserInputPage(Wizard& wizard) : Page(wizard, PageKey::UserInput, 2)
{
    accountID_ = MakeControl<QLineEdit>(this, ControlId::InputAccountID);
    password_ = MakePasswordEdit(this, ControlId::InputPassword);

    auto* layout = new QGridLayout(this);
    layout->addWidget(MakeControl<QLabel>(this, ControlId::InputPrompt, inputPrompt), 0, 0, 1, 2);
    layout->addWidget(MakeControl<QLabel>(this, ControlId::InputAccountIDLabel, accountIDText), 1, 0);
    layout->addWidget(accountID_, 1, 1);
    layout->addWidget(MakeControl<QLabel>(this, ControlId::InputPasswordLabel, passwordText), 2, 0);
    layout->addWidget(password_, 2, 1);
    layout->setRowStretch(3, 1);
    layout->setColumnStretch(1, 1);

    for (QLineEdit* edit : {accountID_, password_})
        connect(edit, &QLineEdit::textChanged, this, Guard(this, &UserInputPage::UpdateButtons, wizard));
}

boost::optional<MonitoredEntry::User> UserInputPage::BuildUser() const
{
    const std::wstring password = password_->text().toStdWString();
    if (password.size() > passwordMax ||
        std::any_of(password.begin(), password.end(), [](wchar_t c) { return static_cast<unsigned long>(c) > 127; }))
        return boost::none;
    MonitoredEntry::User user = GetEntryProperty().GetUser();
    user.SetID(accountID_->text().toStdWString());
    user.SetPassword(MonitoredEntry::Password(password));
    return user;
}

void UserInputPage::OnActivate()
{
    SetWizardButtons(Back);
    UpdateButtons();
}

bool UserInputPage::LeaveCheck()
{
    const auto user = BuildUser();
    if (!user || !user->IsValid() || !Authenticate(*user)) return false;
    MonitoredEntry::EntryProperty property = GetEntryProperty();
    property.SetUser(*user);
    SetEntryProperty(property);
    return true;
}

void UserInputPage::UpdateButtons()
{
    const auto user = BuildUser();
    SetWizardButtons(Back | (user && user->IsValid() ? Next : 0));
}

}  // namespace UI::EntryWizard
