#include "Norvane/UI/EntryConfigSheet.hpp"

#include "Application/Limits.hpp"
#include "MonitoredEntry/DBException.hpp"
#include "MonitoredEntry/Duplicate.hpp"
#include "Norvane/UI/Icons.hpp"
#include "Norvane/UI/Message.hpp"
#include "Norvane/UI/SearchAgent.hpp"
#include "Utility/LoadString.hpp"

#include <ostrel/exception.hpp>

#include <QApplication>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>

namespace UI {

using MonitoredEntry::Entry;
using MonitoredEntry::EntryManager;

namespace {

QString Q(const std::wstring& text) { return QString::fromStdWString(text); }
QString Text(unsigned int id) { return Q(LoadString(id)); }
std::wstring W(const QString& text) { return text.toStdWString(); }

template <class Widget>
Widget* Named(Widget* widget, int id)
{
    widget->setObjectName(QString::number(id));
    return widget;
}

QLabel* Label(int id, const QString& text = {})
{
    auto* label = Named(new QLabel(text), id);
    label->setTextFormat(Qt::PlainText);
    return label;
}

// A label from the string table with its value control beside it.
void AddRow(QGridLayout* layout, int row, int labelId, unsigned int textId, QWidget* value)
{
    layout->addWidget(Label(labelId, Text(textId)), row, 0);
    layout->addWidget(value, row, 1);
}

QString OptionalText(const boost::optional<std::wstring>& text) { return text ? Q(*text) : QString(); }
QString NumberText(const boost::optional<int>& value) { return value ? QString::number(*value) : QString(); }

// An empty edit is an absent number; other text must be a whole number that fits an
// int. False for text that is no such number (the value is then absent).
bool ExchangeNumber(const QLineEdit* edit, boost::optional<int>& value)
{
    const QString text = edit->text().trimmed();
    value = boost::none;
    if (text.isEmpty()) return true;
    bool ok = false;
    const int number = text.toInt(&ok, 10);
    if (ok) value = number;
    return ok;
}

// What a password may be: at most 28 characters, all plain ASCII.
bool IsValidPasswordText(const std::wstring& text)
{
    return text.size() < 29 &&
           std::all_of(text.begin(), text.end(), [](wchar_t c) { return static_cast<unsigned long>(c) <= 127; });
}

}  // namespace

/// Up and down arrows beside an edit: a step moves the edit's number by one within
/// the bounds; an edit without a number starts from the bound in that direction.
class SpinButton : public QWidget {
public:
    SpinButton(int id, QLineEdit* buddy, EntryConfigSettingDlg::Bounds bounds) : buddy_(buddy), bounds_(bounds)
    {
        setObjectName(QString::number(id));
        auto* layout = new QVBoxLayout(this);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->setSpacing(0);
        for (int step : {1, -1}) {
            auto* arrow = new QToolButton(this);
            arrow->setArrowType(step > 0 ? Qt::UpArrow : Qt::DownArrow);
            arrow->setObjectName(step > 0 ? QStringLiteral("up") : QStringLiteral("down"));
            arrow->setAutoRepeat(true);
            layout->addWidget(arrow);
            connect(arrow, &QToolButton::clicked, this, [this, step] { Step(step); });
        }
    }

    void Step(int step)
    {
        if (!isEnabled()) return;
        boost::optional<int> value;
        int next = step > 0 ? bounds_.min : bounds_.max;
        if (ExchangeNumber(buddy_, value) && value)
            next = static_cast<int>(std::clamp<long long>(static_cast<long long>(*value) + step, bounds_.min, bounds_.max));
        buddy_->setText(QString::number(next));
    }

private:
    QLineEdit* buddy_;
    EntryConfigSettingDlg::Bounds bounds_;
};

void ReportHandlerFailure(const char* handler, const std::exception& error)
{
    qWarning("%s: %s", handler, error.what());
}

// ---------------------------------------------------------------------------------
// Common page behaviour

EntryConfigPage::EntryConfigPage(EntryConfigSheet& sheet, EntryManager& manager, const ID& id)
    : sheet_(sheet), manager_(manager), id_(id)
{
}

bool EntryConfigPage::Initialize()
{
    if (initialized_) return true;
    {
        std::lock_guard lock(manager_);
        if (!manager_.GetDB().Contains(id_)) {
            OnErasedEntry();
            return false;
        }
        // Filling the controls must not read them back half-filled.
        filling_ = true;
        try {
            Read(manager_.GetDB().GetEntry(id_));
        } catch (...) {
            filling_ = false;
            throw;
        }
        filling_ = false;
    }
    initialized_ = true;
    Exchange();
    return true;
}

void EntryConfigPage::OnChanged()
{
    if (filling_ || !initialized_) return;
    Exchange();
    EnableSheetButton(IsAllValidParams());
}

bool EntryConfigPage::Write()
{
    try {
        EntryManager::Transaction transaction(manager_);
        if (!transaction.Contains(id_)) {
            OnErasedEntry();
            return false;
        }
        const std::shared_ptr<Entry> copy = transaction.GetEntryCopy(id_);
        Change(*copy);
        // Another monitored entry on the same host keeps its monitoring; this one gives it up.
        if (!manager_.Search(MonitoredEntry::Conditions::Duplicate<Entry>(*copy))->empty()) {
            auto property = copy->GetProperty();
            property.SetMonitoring(false);
            copy->SetProperty(property);
        }
        transaction.SetEntry(copy);
        transaction.Commit();
    } catch (const MonitoredEntry::DuplicateEntry&) {
        // The transaction rolled this page's change back.
    }
    return true;
}

bool EntryConfigPage::IsAllValidParams() const { return sheet_.IsAllValidParams(); }
void EntryConfigPage::EnableSheetButton(bool enable) { sheet_.EnableSheetButton(enable); }
void EntryConfigPage::OnErasedEntry() { sheet_.PostClose(); }

// ---------------------------------------------------------------------------------
// Machine page

EntryConfigMFPDlg::EntryConfigMFPDlg(EntryConfigSheet& sheet, EntryManager& manager, const ID& id)
    : EntryConfigPage(sheet, manager, id)
{
    setObjectName(QStringLiteral("197"));
    manualCheck_ = Named(new QCheckBox(Text(164)), 1056);
    chooseButton_ = Named(new QPushButton(Text(163)), 1084);
    nameLabel_ = Label(1087);
    hostEdit_ = Named(new QLineEdit, 1060);
    httpEdit_ = Named(new QLineEdit, 1061);
    httpsEdit_ = Named(new QLineEdit, 1062);
    sslCheck_ = Named(new QCheckBox(Text(193)), 1057);

    auto* layout = new QGridLayout(this);
    layout->addWidget(manualCheck_, 0, 0);
    layout->addWidget(chooseButton_, 0, 1, Qt::AlignRight);
    AddRow(layout, 1, 1086, 121, nameLabel_);
    AddRow(layout, 2, 1088, 130, hostEdit_);
    AddRow(layout, 3, 1089, 131, httpEdit_);
    AddRow(layout, 4, 1090, 132, httpsEdit_);
    layout->addWidget(sslCheck_, 5, 0, 1, 2);
    layout->setRowStretch(6, 1);

    connect(manualCheck_, &QCheckBox::clicked, this, [this] {
        manual_ = manualCheck_->isChecked();
        UpdateManualEntry();
        OnChanged();
    });
    connect(chooseButton_, &QPushButton::clicked, this, [this] { OnChooseMachine(); });
    for (QLineEdit* edit : {hostEdit_, httpEdit_, httpsEdit_})
        connect(edit, &QLineEdit::textChanged, this, [this] { OnChanged(); });
    connect(sslCheck_, &QCheckBox::clicked, this, [this] { OnChanged(); });
    UpdateManualEntry();
}

void EntryConfigMFPDlg::Read(const Entry& entry)
{
    const auto& mfp = entry.GetProperty().GetMFP();
    name_ = mfp.GetName();
    host_ = mfp.GetHost();
    http_ = mfp.GetHTTP();
    https_ = mfp.GetHTTPS();
    ssl_ = mfp.GetSSL();
    Show();
}

void EntryConfigMFPDlg::Show()
{
    manualCheck_->setChecked(manual_);
    nameLabel_->setText(OptionalText(name_));
    hostEdit_->setText(Q(host_));
    httpEdit_->setText(NumberText(http_));
    httpsEdit_->setText(NumberText(https_));
    sslCheck_->setChecked(ssl_);
    UpdateManualEntry();
}

void EntryConfigMFPDlg::UpdateManualEntry()
{
    chooseButton_->setEnabled(!manual_);
    for (QLineEdit* edit : {hostEdit_, httpEdit_, httpsEdit_}) edit->setReadOnly(!manual_);
}

void EntryConfigMFPDlg::Exchange()
{
    manual_ = manualCheck_->isChecked();
    host_ = W(hostEdit_->text());
    const bool httpParsed = ExchangeNumber(httpEdit_, http_);
    const bool httpsParsed = ExchangeNumber(httpsEdit_, https_);
    portsParsed_ = httpParsed && httpsParsed;
    ssl_ = sslCheck_->isChecked();
}

MonitoredEntry::MFP EntryConfigMFPDlg::Values() const { return MonitoredEntry::MFP(name_, host_, http_, https_, ssl_); }

bool EntryConfigMFPDlg::IsValidParams() const { return portsParsed_ && Values().IsValid(); }

void EntryConfigMFPDlg::Change(Entry& copy) const
{
    auto property = copy.GetProperty();
    property.SetMFP(Values());
    copy.SetProperty(property);
}

void EntryConfigMFPDlg::OnChooseMachine()
{
    try {
        SearchAgent agent(this);
        if (!agent.Choose()) return;
        const MonitoredEntry::MFP chosen = agent.GetChosen();
        name_ = chosen.GetName();
        host_ = chosen.GetHost();
        http_ = chosen.GetHTTP();
        https_ = chosen.GetHTTPS();
    } catch (const ostrel::communication_failure&) {
        Message::Show(180, MessageIcon::Exclamation);
        return;
    }
    const bool wasFilling = filling_;
    filling_ = true;
    Show();
    filling_ = wasFilling;
    OnChanged();
}

// ---------------------------------------------------------------------------------
// User page

EntryConfigUserDlg::EntryConfigUserDlg(EntryConfigSheet& sheet, EntryManager& manager, const ID& id)
    : EntryConfigPage(sheet, manager, id)
{
    setObjectName(QStringLiteral("198"));
    nameLabel_ = Label(1092);
    idLabel_ = Label(1094);
    passwordEdit_ = Named(new QLineEdit, 1063);
    passwordEdit_->setEchoMode(QLineEdit::Password);

    auto* layout = new QGridLayout(this);
    AddRow(layout, 0, 1091, 122, nameLabel_);
    AddRow(layout, 1, 1093, 108, idLabel_);
    AddRow(layout, 2, 1095, 109, passwordEdit_);
    layout->setRowStretch(3, 1);
    connect(passwordEdit_, &QLineEdit::textChanged, this, [this] { OnChanged(); });
}

void EntryConfigUserDlg::Read(const Entry& entry)
{
    const auto& user = entry.GetProperty().GetUser();
    name_ = user.GetName();
    id_ = user.GetID();
    password_ = user.GetPassword().GetPlainText();
    nameLabel_->setText(OptionalText(name_));
    idLabel_->setText(Q(id_));
    passwordEdit_->setText(Q(password_));
}

void EntryConfigUserDlg::Exchange() { password_ = W(passwordEdit_->text()); }

bool EntryConfigUserDlg::IsValidParams() const { return IsValidPasswordText(password_); }

void EntryConfigUserDlg::Change(Entry& copy) const
{
    auto property = copy.GetProperty();
    auto user = property.GetUser();
    user.SetPassword(MonitoredEntry::Password(password_));
    property.SetUser(user);
    copy.SetProperty(property);
}

// ---------------------------------------------------------------------------------
// Settings page

namespace {

EntryConfigSettingDlg::Bounds CheckedBounds(int min, int max)
{
    if (min > max) OSTREL_THROW(ostrel::logic_error() << ostrel::error_message("empty range of an entry setting"));
    return {min, max};
}

}  // namespace

EntryConfigSettingDlg::EntryConfigSettingDlg(EntryConfigSheet& sheet, EntryManager& manager, const ID& id)
    : EntryConfigPage(sheet, manager, id),
      logMaxBounds_(CheckedBounds(1, Limits::Current().eventLogMax)),
      intervalBounds_(CheckedBounds(Limits::Current().checkIntervalMin / 60000, Limits::Current().checkIntervalMax / 60000)),
      eraseTimeBounds_(CheckedBounds(Limits::Current().eraseIntervalMin / 1000, Limits::Current().eraseIntervalMax / 1000))
{
    setObjectName(QStringLiteral("199"));
    logMaxEdit_ = Named(new QLineEdit, 1064);
    intervalEdit_ = Named(new QLineEdit, 1065);
    eraseTimeEdit_ = Named(new QLineEdit, 1118);
    auto* logMaxSpin = new SpinButton(1108, logMaxEdit_, logMaxBounds_);
    auto* intervalSpin = new SpinButton(1109, intervalEdit_, intervalBounds_);
    eraseTimeSpin_ = new SpinButton(1119, eraseTimeEdit_, eraseTimeBounds_);
    noticeCheck_ = Named(new QCheckBox(Text(1135)), 1058);
    noticeVoiceCheck_ = Named(new QCheckBox(Text(1134)), 1059);
    thumbnailCheck_ = Named(new QCheckBox(Text(1141)), 1140);
    eventReadCheck_ = Named(new QCheckBox(Text(206)), 1122);
    deleteMsgCheck_ = Named(new QCheckBox(Text(207)), 1123);
    for (int i = 0; i < 3; ++i) notifyRadios_.push_back(Named(new QRadioButton(Text(226 + i)), 1191 + i));

    auto* layout = new QGridLayout(this);
    int row = 0;
    auto numberRow = [&](int labelId, unsigned textId, QLineEdit* edit, SpinButton* spin, QLabel* range) {
        layout->addWidget(Label(labelId, Text(textId)), row, 0);
        auto* cell = new QHBoxLayout;
        cell->addWidget(edit);
        cell->addWidget(spin);
        cell->addWidget(range);
        cell->addStretch(1);
        layout->addLayout(cell, row++, 1);
    };
    numberRow(1096, 150, logMaxEdit_, logMaxSpin,
              Label(1098, QStringLiteral("(%1%2)").arg(Text(151)).arg(logMaxBounds_.max)));
    numberRow(1097, 152, intervalEdit_, intervalSpin,
              Label(1099, QStringLiteral("%1(%2-%3)").arg(Text(153)).arg(intervalBounds_.min).arg(intervalBounds_.max)));
    for (QCheckBox* check : {noticeCheck_, noticeVoiceCheck_, thumbnailCheck_}) layout->addWidget(check, row++, 0, 1, 2);
    numberRow(1117, 204, eraseTimeEdit_, eraseTimeSpin_,
              Label(1120, QStringLiteral("%1(%2-%3)").arg(Text(203)).arg(eraseTimeBounds_.min).arg(eraseTimeBounds_.max)));
    layout->addWidget(Label(1121, Text(205)), row++, 1);
    for (QCheckBox* check : {eventReadCheck_, deleteMsgCheck_}) layout->addWidget(check, row++, 0, 1, 2);
    auto* notices = new QHBoxLayout;
    for (QRadioButton* radio : notifyRadios_) notices->addWidget(radio);
    notices->addStretch(1);
    layout->addWidget(Label(1124, Text(225)), row, 0);
    layout->addLayout(notices, row++, 1);
    layout->setRowStretch(row, 1);

    for (QLineEdit* edit : {logMaxEdit_, intervalEdit_, eraseTimeEdit_})
        connect(edit, &QLineEdit::textChanged, this, [this] { OnChanged(); });
    for (QCheckBox* check : {noticeVoiceCheck_, thumbnailCheck_, eventReadCheck_, deleteMsgCheck_})
        connect(check, &QCheckBox::clicked, this, [this] { OnChanged(); });
    connect(noticeCheck_, &QCheckBox::clicked, this, [this] {
        OnChanged();
        UpdateNotice();
    });
    for (QRadioButton* radio : notifyRadios_) connect(radio, &QRadioButton::clicked, this, [this] { OnChanged(); });
}

void EntryConfigSettingDlg::Read(const Entry& entry)
{
    const auto& config = entry.GetProperty().GetConfig();
    logMax_ = config.GetLogMax();
    interval_ = config.GetInterval() / 60000;
    eraseTime_ = config.GetEraseTime() / 1000;
    notice_ = config.GetNotice();
    noticeVoice_ = config.GetNoticeVoice();
    thumbnailHidden_ = config.GetThumbnailHidden();
    eventRead_ = config.GetEventRead();
    deleteMsg_ = config.GetDeleteMsg();
    notifyDisplay_ = config.GetNotifyDisplay();

    logMaxEdit_->setText(NumberText(logMax_));
    intervalEdit_->setText(NumberText(interval_));
    eraseTimeEdit_->setText(NumberText(eraseTime_));
    noticeCheck_->setChecked(notice_);
    noticeVoiceCheck_->setChecked(noticeVoice_);
    thumbnailCheck_->setChecked(thumbnailHidden_);
    eventReadCheck_->setChecked(eventRead_);
    deleteMsgCheck_->setChecked(deleteMsg_);
    for (int i = 0; i < 3; ++i) notifyRadios_[static_cast<std::size_t>(i)]->setChecked(notifyDisplay_ == i);
    UpdateNotice();
}

void EntryConfigSettingDlg::UpdateNotice()
{
    // The popup time only matters for popups; its value stays and is written back.
    eraseTimeEdit_->setReadOnly(!noticeCheck_->isChecked());
    eraseTimeSpin_->setEnabled(noticeCheck_->isChecked());
}

void EntryConfigSettingDlg::Exchange()
{
    ExchangeNumber(logMaxEdit_, logMax_);
    ExchangeNumber(intervalEdit_, interval_);
    ExchangeNumber(eraseTimeEdit_, eraseTime_);
    notice_ = noticeCheck_->isChecked();
    noticeVoice_ = noticeVoiceCheck_->isChecked();
    thumbnailHidden_ = thumbnailCheck_->isChecked();
    eventRead_ = eventReadCheck_->isChecked();
    deleteMsg_ = deleteMsgCheck_->isChecked();
    for (int i = 0; i < 3; ++i)
        if (notifyRadios_[static_cast<std::size_t>(i)]->isChecked()) notifyDisplay_ = i;
}

bool EntryConfigSettingDlg::IsValidParams() const
{
    if (!logMax_ || !interval_ || !eraseTime_) return false;
    // Within the page's bounds first, so that the conversion to milliseconds cannot overflow.
    if (!logMaxBounds_.Contains(*logMax_) || !intervalBounds_.Contains(*interval_) ||
        !eraseTimeBounds_.Contains(*eraseTime_))
        return false;
    return MonitoredEntry::Config(*logMax_, *interval_ * 60000, notice_, noticeVoice_, thumbnailHidden_,
                                  *eraseTime_ * 1000, eventRead_, deleteMsg_, notifyDisplay_)
        .IsValid();
}

void EntryConfigSettingDlg::Change(Entry& copy) const
{
    auto property = copy.GetProperty();
    property.SetConfig(MonitoredEntry::Config(*logMax_, *interval_ * 60000, notice_, noticeVoice_, thumbnailHidden_,
                                              *eraseTime_ * 1000, eventRead_, deleteMsg_, notifyDisplay_));
    copy.SetProperty(property);

    MonitoredEntry::EventLog log = copy.GetEventLog();
    if (*logMax_ < log.GetMax()) log.Trim(*logMax_);
    log.SetMax(*logMax_);
    copy.SetEventLog(log);
}

// ---------------------------------------------------------------------------------
// The sheet

EntryConfigSheet::EntryConfigSheet(EntryManager& manager, const ID& id, QWidget* parent)
    : QDialog(parent), manager_(manager), id_(id)
{
    setObjectName(QStringLiteral("EntryConfigSheet"));
    setWindowTitle(Text(147));
    setWindowIcon(Icon(IconId::Application));

    tabs_ = new QTabWidget(this);
    // Each page belongs to the tabs at once, so that a page failing to construct leaves
    // nothing behind.
    auto add = [this](EntryConfigPage* page) {
        tabs_->addTab(page, Text(200 + static_cast<unsigned>(pages_.size())));
        pages_.push_back(page);
    };
    add(new EntryConfigMFPDlg(*this, manager_, id_));
    add(new EntryConfigUserDlg(*this, manager_, id_));
    add(new EntryConfigSettingDlg(*this, manager_, id_));

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    ok_ = buttons->button(QDialogButtonBox::Ok);
    ok_->setObjectName(QStringLiteral("1"));
    buttons->button(QDialogButtonBox::Cancel)->setObjectName(QStringLiteral("2"));
    connect(buttons, &QDialogButtonBox::accepted, this, &EntryConfigSheet::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &EntryConfigSheet::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(tabs_);
    layout->addWidget(buttons);

    connect(tabs_, &QTabWidget::currentChanged, this, [this](int index) { OnPageShown(index); });
    OnPageShown(tabs_->currentIndex());
}

EntryConfigSheet::~EntryConfigSheet() = default;

int EntryConfigSheet::Run()
{
    const QString platform = QGuiApplication::platformName();
    if (platform == QLatin1String("offscreen") || platform == QLatin1String("minimal")) {
        std::lock_guard lock(manager_);
        return !erased_ && manager_.GetDB().Contains(id_) ? QDialog::Accepted : QDialog::Rejected;
    }
    return exec();
}

void EntryConfigSheet::SetActivePage(int index) { tabs_->setCurrentIndex(index); }

void EntryConfigSheet::OnPageShown(int index)
{
    if (index < 0 || index >= PageCount()) return;
    try {
        if (!Page(index).Initialize()) return;
    } catch (const std::exception& error) {
        ReportHandlerFailure("EntryConfigSheet", error);
        PostClose();
        return;
    }
    EnableSheetButton(IsAllValidParams());
}

bool EntryConfigSheet::IsAllValidParams() const
{
    return std::all_of(pages_.begin(), pages_.end(),
                       [](const EntryConfigPage* page) { return !page->Initialized() || page->IsValidParams(); });
}

void EntryConfigSheet::EnableSheetButton(bool enable) { ok_->setEnabled(enable); }

void EntryConfigSheet::PostClose()
{
    erased_ = true;
    QMetaObject::invokeMethod(this, [this] { reject(); }, Qt::QueuedConnection);
}

void EntryConfigSheet::accept()
{
    if (!IsAllValidParams()) return;
    try {
        for (EntryConfigPage* page : pages_)
            if (page->Initialized() && !page->Write()) break;
    } catch (const std::exception& error) {
        ReportHandlerFailure("EntryConfigSheet", error);
        return;
    }
    if (erased_)
        reject();
    else
        QDialog::accept();
}

}  // namespace UI
