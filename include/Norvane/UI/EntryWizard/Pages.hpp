#pragma once
// The wizard's pages. Each page has three rules of its own: what happens when it
// becomes the current page (the activation hook), whether it may be left forward (the
// leave check), and which page comes next. Back always returns to the page this one
// was reached from.

#include "Norvane/UI/EntryWizard/UserList.hpp"
#include "Norvane/UI/EntryWizard/Wizard.hpp"

#include "MonitoredEntry/MFP.hpp"
#include "MonitoredEntry/User.hpp"

#include <QWizardPage>

#include <boost/optional.hpp>

#include <string>
#include <vector>

class QCheckBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

namespace UI::EntryWizard {

/// The control numbers of the pages (also their objectName).
namespace ControlId {
// Machine page
inline constexpr int MachineList = 1023;
inline constexpr int Manual = 1024;
inline constexpr int Host = 1014;
inline constexpr int HTTP = 1015;
inline constexpr int HTTPS = 1016;
inline constexpr int MachinePrompt = 1040;
inline constexpr int Search = 1041;
inline constexpr int NameLabel = 1033;
inline constexpr int Name = 1034;
inline constexpr int HostLabel = 1035;
inline constexpr int HTTPLabel = 1036;
inline constexpr int HTTPSLabel = 1037;
inline constexpr int SSL = 1046;
// User selection page
inline constexpr int UserList = 1022;
inline constexpr int UserPassword = 1026;
inline constexpr int UserPrompt = 1027;
inline constexpr int Refresh = 1028;
inline constexpr int UserNameLabel = 1029;
inline constexpr int UserName = 1030;
inline constexpr int AccountID = 1031;
inline constexpr int AccountIDLabel = 1044;
inline constexpr int UserPasswordLabel = 1045;
// User input page
inline constexpr int InputPrompt = 1032;
inline constexpr int InputAccountIDLabel = 1042;
inline constexpr int InputPasswordLabel = 1043;
inline constexpr int InputAccountID = 1047;
inline constexpr int InputPassword = 1048;
// Confirmation page
inline constexpr int CommitPrompt = 1038;
inline constexpr int NotificationItems = 1039;
}  // namespace ControlId

class Page : public QWizardPage {
    Q_OBJECT

public:
    /// The buttons a page asks for.
    enum Button { Back = 1, Next = 2, Finish = 4 };

    /// `step` is the page's place among the wizard's three steps.
    Page(Wizard& wizard, int key, int step);

    int Key() const { return key_; }
    /// The page the wizard came from when it last moved forward to this one.
    int ReachedFrom() const { return reachedFrom_; }
    void SetReachedFrom(int key) { reachedFrom_ = key; }
    /// "<wizard caption> <step>/3".
    const QString& Caption() const { return caption_; }
    /// The buttons the page asks for at present (Back, Next, Finish).
    int WizardButtons() const { return buttons_; }

    /// The page became the current one: its activation hook, then the wizard's title.
    void OnSetActive();

    bool isComplete() const override;
    bool validatePage() override;
    int nextId() const override;

protected:
    Wizard& GetWizard() const { return wizard_; }
    Page* GetPage(int key) const { return wizard_.GetPage(key); }
    const MonitoredEntry::EntryProperty& GetDefaultEntryProperty() const { return wizard_.GetDefaultEntryProperty(); }
    const MonitoredEntry::EntryProperty& GetEntryProperty() const { return wizard_.GetEntryProperty(); }
    void SetEntryProperty(const MonitoredEntry::EntryProperty& property) { wizard_.SetEntryProperty(property); }
    void SetWizardButtons(int buttons);

    virtual void OnActivate() {}
    /// May refuse to leave (false): the wizard stays on the page.
    virtual bool LeaveCheck() { return true; }
    virtual int NextKey() const = 0;

    /// The account with this ID and password checked against the working property's
    /// machine when the settings ask for it; a refusal shows message 216 and gives false.
    bool Authenticate(const MonitoredEntry::User& user) const;

private:
    Wizard& wizard_;
    int key_;
    int reachedFrom_ = -1;
    QString caption_;
    int buttons_ = 0;
};

/// Step 1: a discovered machine or one typed in.
class MachineSelectPage : public Page {
    Q_OBJECT

public:
    explicit MachineSelectPage(Wizard& wizard);

    /// The machine built from the page's values on top of the default machine.
    MonitoredEntry::MFP BuildMFP() const;
    /// The discovered machines the list shows, in its order.
    const std::vector<MonitoredEntry::MFP>& Machines() const { return machines_; }

protected:
    void OnActivate() override;
    bool LeaveCheck() override;
    int NextKey() const override { return next_; }

private:
    void FillList(const std::vector<MonitoredEntry::MFP>& machines);
    void OnSearchAgain();
    void OnSelectionChanged();
    void OnManualClicked();
    void OnEdited();
    void ClearValues();
    void ShowValues();
    void UpdateControls();
    void UpdateButtons();

    QListWidget* list_;
    QPushButton* search_;
    QCheckBox* manualBox_;
    QLabel* name_;
    QLineEdit* host_;
    QLineEdit* http_;
    QLineEdit* https_;
    QCheckBox* sslBox_;

    bool manual_ = false;
    boost::optional<std::wstring> nameValue_;
    std::wstring hostValue_;
    boost::optional<int> httpValue_;
    boost::optional<int> httpsValue_;
    bool ssl_;
    std::vector<MonitoredEntry::MFP> machines_;
    int next_ = PageKey::UserSelect;
    bool showing_ = false;  // the page writes its own edits: no edit notices then
};

/// Step 2 for machines that list their users: a user chosen from the list.
class UserSelectPage : public Page {
    Q_OBJECT

public:
    explicit UserSelectPage(Wizard& wizard);

    /// The account built from the three texts.
    MonitoredEntry::User BuildUser() const;
    const std::vector<UserRecord>& Users() const { return users_; }
    /// The host the list was fetched for.
    const std::wstring& ListedHost() const { return listedHost_; }
    UserListControl& List() const { return *list_; }

protected:
    void OnActivate() override;
    bool LeaveCheck() override;
    int NextKey() const override { return PageKey::Commit; }

private:
    /// Fetches the list from the working property's machine; true when it answered.
    bool FetchUserList();
    void OnRefresh();
    void OnSelectionChanged();
    void UpdateButtons();

    std::vector<UserRecord> users_;
    UserListSource source_{users_};
    UserListControl* list_;
    QLabel* userName_;
    QLabel* accountID_;
    QLineEdit* password_;
    std::wstring listedHost_;
    bool fetched_ = false;
};

/// Step 2 for machines without a user list: an account ID typed in.
class UserInputPage : public Page {
    Q_OBJECT

public:
    explicit UserInputPage(Wizard& wizard);

    /// The working property's account with the typed ID and password; empty when the
    /// password text cannot be a password (too long, not plain ASCII).
    boost::optional<MonitoredEntry::User> BuildUser() const;

protected:
    void OnActivate() override;
    bool LeaveCheck() override;
    int NextKey() const override { return PageKey::Commit; }

private:
    void UpdateButtons();

    QLineEdit* accountID_;
    QLineEdit* password_;
};

/// Step 3: confirm, and add the entry on Finish.
class CommitPage : public Page {
    Q_OBJECT

public:
    explicit CommitPage(Wizard& wizard);

protected:
    void OnActivate() override;
    bool LeaveCheck() override;
    int NextKey() const override { return -1; }

private:
    /// Until the subscription keeper has acted on the new entry, at most the
    /// subscription wait limit; gives up silently on any error.
    void WaitForSubscription(const ID& id) const;

    QCheckBox* notificationItems_;
};

}  // namespace UI::EntryWizard
