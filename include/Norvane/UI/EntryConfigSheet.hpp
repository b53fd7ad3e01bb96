#pragma once
// The detail settings of one entry: a modal sheet with three pages (machine, user,
// settings). A page reads the stored entry when it is first shown; OK writes every
// page that was shown, each in a transaction of its own. A page that finds its entry
// gone closes the sheet and writes nothing.

#include "MonitoredEntry/EntryManager.hpp"

#include <QDialog>
#include <QWidget>

#include <boost/optional.hpp>

#include <exception>
#include <string>
#include <vector>

class QAbstractButton;
class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QTabWidget;

namespace UI {

class EntryConfigSheet;

/// Reports a failure of a button handler of the entry windows; it never reaches the toolkit.
void ReportHandlerFailure(const char* handler, const std::exception& error);

/// A page of the sheet.
class EntryConfigPage : public QWidget {
public:
    EntryConfigPage(EntryConfigSheet& sheet, MonitoredEntry::EntryManager& manager, const ID& id);

    /// Reads the stored entry into the controls, once; false (and the sheet closes)
    /// when the entry is gone.
    bool Initialize();
    bool Initialized() const { return initialized_; }
    /// The page's values are complete and valid.
    virtual bool IsValidParams() const = 0;
    /// Writes the page's values into the stored entry in a transaction of its own.
    /// False when the entry was gone (the sheet closes). A change that would clash with
    /// another monitored entry on the host is stored with monitoring off.
    bool Write();

    bool IsAllValidParams() const;
    void EnableSheetButton(bool enable);
    void OnErasedEntry();

protected:
    /// Fills the page's values and controls from the stored entry.
    virtual void Read(const MonitoredEntry::Entry& entry) = 0;
    /// Takes the page's values from its controls.
    virtual void Exchange() = 0;
    /// Makes the page's change to a copy of the entry.
    virtual void Change(MonitoredEntry::Entry& copy) const = 0;
    /// Every edit, click and choice comes here: values taken, OK enabled or not.
    void OnChanged();

    EntryConfigSheet& sheet_;
    MonitoredEntry::EntryManager& manager_;
    const ID id_;
    bool filling_ = false;  // controls are being filled from values, not edited

private:
    bool initialized_ = false;
};

/// Machine page: the machine chosen from discovery or typed in.
class EntryConfigMFPDlg : public EntryConfigPage {
public:
    EntryConfigMFPDlg(EntryConfigSheet& sheet, MonitoredEntry::EntryManager& manager, const ID& id);
    bool IsValidParams() const override;
    void OnChooseMachine();

protected:
    void Read(const MonitoredEntry::Entry& entry) override;
    void Exchange() override;
    void Change(MonitoredEntry::Entry& copy) const override;

private:
    MonitoredEntry::MFP Values() const;
    void Show();
    void UpdateManualEntry();

    bool manual_ = false;
    boost::optional<std::wstring> name_;
    std::wstring host_;
    boost::optional<int> http_, https_;
    bool portsParsed_ = true;  // false while a port edit holds text that is no number
    bool ssl_ = false;

    QCheckBox* manualCheck_;
    QPushButton* chooseButton_;
    QLabel* nameLabel_;
    QLineEdit* hostEdit_;
    QLineEdit* httpEdit_;
    QLineEdit* httpsEdit_;
    QCheckBox* sslCheck_;
};

/// User page: the account as stored, and its password.
class EntryConfigUserDlg : public EntryConfigPage {
public:
    EntryConfigUserDlg(EntryConfigSheet& sheet, MonitoredEntry::EntryManager& manager, const ID& id);
    bool IsValidParams() const override;

protected:
    void Read(const MonitoredEntry::Entry& entry) override;
    void Exchange() override;
    void Change(MonitoredEntry::Entry& copy) const override;

private:
    boost::optional<std::wstring> name_;
    std::wstring id_;
    std::wstring password_;

    QLabel* nameLabel_;
    QLabel* idLabel_;
    QLineEdit* passwordEdit_;
};

/// An edit with up and down arrows that step its number within a range.
class SpinButton;

/// Settings page: log size, interval, notices and their popup time, document handling.
class EntryConfigSettingDlg : public EntryConfigPage {
public:
    /// The bounds come from the process-wide limits; an empty range raises
    /// ostrel::logic_error.
    EntryConfigSettingDlg(EntryConfigSheet& sheet, MonitoredEntry::EntryManager& manager, const ID& id);
    bool IsValidParams() const override;

    struct Bounds {
        int min, max;
        bool Contains(int value) const { return min <= value && value <= max; }
    };
    const Bounds& LogMaxBounds() const { return logMaxBounds_; }
    const Bounds& IntervalBounds() const { return intervalBounds_; }
    const Bounds& EraseTimeBounds() const { return eraseTimeBounds_; }

protected:
    void Read(const MonitoredEntry::Entry& entry) override;
    void Exchange() override;
    void Change(MonitoredEntry::Entry& copy) const override;

private:
    void UpdateNotice();

    Bounds logMaxBounds_, intervalBounds_, eraseTimeBounds_;
    boost::optional<int> logMax_, interval_, eraseTime_;  // entries; minutes; seconds
    bool notice_ = false, noticeVoice_ = false, thumbnailHidden_ = false;
    bool eventRead_ = false, deleteMsg_ = false;
    int notifyDisplay_ = 1;

    QLineEdit* logMaxEdit_;
    QLineEdit* intervalEdit_;
    QLineEdit* eraseTimeEdit_;
    SpinButton* eraseTimeSpin_;
    QCheckBox* noticeCheck_;
    QCheckBox* noticeVoiceCheck_;
    QCheckBox* thumbnailCheck_;
    QCheckBox* eventReadCheck_;
    QCheckBox* deleteMsgCheck_;
    std::vector<QRadioButton*> notifyRadios_;
};

class EntryConfigSheet : public QDialog {
public:
    /// The sheet for entry `id` of `manager`; the manager must outlive the sheet.
    EntryConfigSheet(MonitoredEntry::EntryManager& manager, const ID& id, QWidget* parent = nullptr);
    ~EntryConfigSheet() override;

    /// Runs the sheet modally. Where no screen can be seen (the offscreen platform)
    /// nobody could change anything: it returns Accepted at once, without writing, if
    /// the entry exists, and Rejected if it does not.
    int Run();

    int PageCount() const { return static_cast<int>(pages_.size()); }
    EntryConfigPage& Page(int index) const { return *pages_.at(static_cast<std::size_t>(index)); }
    /// Shows the page, reading its entry the first time.
    void SetActivePage(int index);
    QPushButton* OkButton() const { return ok_; }

    bool IsAllValidParams() const;
    void EnableSheetButton(bool enable);
    /// Queues a close request: the sheet ends without writing.
    void PostClose();

    /// OK: every initialized page writes its values, in page order.
    void accept() override;

private:
    void OnPageShown(int index);

    MonitoredEntry::EntryManager& manager_;
    ID id_;
    QTabWidget* tabs_;
    QPushButton* ok_;
    std::vector<EntryConfigPage*> pages_;
    bool erased_ = false;
};

}  // namespace UI
