#include "Norvane/UI/EntryWizard/Pages.hpp"

#include "UI/EntryWizard/PageWidgets.hpp"

#include "HTTP/Error.hpp"
#include "Norvane/UI/Message.hpp"
#include "Norvane/UI/SearchAgent.hpp"
#include "QH/QuillhavenServer.hpp"

#include <ostrel/exception.hpp>

#include <QGridLayout>
#include <QListWidget>
#include <QRegularExpressionValidator>

#include <climits>

namespace UI::EntryWizard {

namespace {
constexpr unsigned int prompt = 110;
constexpr unsigned int searchText = 186;
constexpr unsigned int manualText = 164;
constexpr unsigned int nameText = 121;
constexpr unsigned int hostText = 130;
constexpr unsigned int httpText = 131;
constexpr unsigned int httpsText = 132;
constexpr unsigned int sslText = 193;

// Typed machines start on the web service's usual ports.
constexpr int manualHTTP = 80;
constexpr int manualHTTPS = 443;

// An empty port edit means no port; text that is no port number at all (too large for
// any port) becomes -1, which no machine accepts, so Next stays off.
boost::optional<int> ParsePort(const QString& text)
{
    if (text.isEmpty()) return boost::none;
    bool ok = false;
    const long long value = text.toLongLong(&ok);
    if (!ok || value < 0 || value > INT_MAX) return -1;
    return static_cast<int>(value);
}

QString PortText(const boost::optional<int>& port) { return port ? QString::number(*port) : QString(); }
}  // namespace

MachineSelectPage::MachineSelectPage(Wizard& wizard)
    : Page(wizard, PageKey::MachineSelect, 1), ssl_(wizard.GetDefaultEntryProperty().GetMFP().GetSSL())
{
    list_ = new QListWidget(this);
    list_->setObjectName(QString::number(ControlId::MachineList));
    list_->setSelectionMode(QAbstractItemView::SingleSelection);
    search_ = MakeControl<QPushButton>(this, ControlId::Search, searchText);
    manualBox_ = MakeControl<QCheckBox>(this, ControlId::Manual, manualText);
    name_ = MakeControl<QLabel>(this, ControlId::Name);
    host_ = MakeControl<QLineEdit>(this, ControlId::Host);
    http_ = MakeControl<QLineEdit>(this, ControlId::HTTP);
    https_ = MakeControl<QLineEdit>(this, ControlId::HTTPS);
    sslBox_ = MakeControl<QCheckBox>(this, ControlId::SSL, sslText);
    host_->setMaxLength(255);
    const auto* digits = new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]{0,10}")), this);
    http_->setValidator(digits);
    https_->setValidator(digits);

    auto* layout = new QGridLayout(this);
    layout->addWidget(MakeControl<QLabel>(this, ControlId::MachinePrompt, prompt), 0, 0, 1, 3);
    layout->addWidget(list_, 1, 0, 1, 2);
    layout->addWidget(search_, 1, 2, Qt::AlignTop);
    layout->addWidget(manualBox_, 2, 0, 1, 3);
    layout->addWidget(MakeControl<QLabel>(this, ControlId::NameLabel, nameText), 3, 0);
    layout->addWidget(name_, 3, 1, 1, 2);
    layout->addWidget(MakeControl<QLabel>(this, ControlId::HostLabel, hostText), 4, 0);
    layout->addWidget(host_, 4, 1, 1, 2);
    layout->addWidget(MakeControl<QLabel>(this, ControlId::HTTPLabel, httpText), 5, 0);
    layout->addWidget(http_, 5, 1);
    layout->addWidget(MakeControl<QLabel>(this, ControlId::HTTPSLabel, httpsText), 6, 0);
    layout->addWidget(https_, 6, 1);
    layout->addWidget(sslBox_, 7, 0, 1, 3);
    layout->setColumnStretch(1, 1);

    auto guarded = [this, &wizard](void (MachineSelectPage::*handler)()) { return Guard(this, handler, wizard); };
    connect(search_, &QPushButton::clicked, this, guarded(&MachineSelectPage::OnSearchAgain));
    connect(list_, &QListWidget::itemSelectionChanged, this, guarded(&MachineSelectPage::OnSelectionChanged));
    connect(manualBox_, &QCheckBox::clicked, this, guarded(&MachineSelectPage::OnManualClicked));
    connect(sslBox_, &QCheckBox::clicked, this, guarded(&MachineSelectPage::OnEdited));
    for (QLineEdit* edit : {host_, http_, https_})
        connect(edit, &QLineEdit::textChanged, this, guarded(&MachineSelectPage::OnEdited));

    // The machines found so far; a failed search leaves typing one in.
    std::vector<MonitoredEntry::MFP> found;
    try {
        SearchAgent agent;
        found = agent.GetMachines();
    } catch (const ostrel::communication_failure&) {
        Message::Show(StringId::CommunicationError, MessageIcon::Exclamation);
    }
    FillList(found);
    ClearValues();
    ShowValues();
    UpdateControls();
    UpdateButtons();
}

MonitoredEntry::MFP MachineSelectPage::BuildMFP() const
{
    MonitoredEntry::MFP mfp = GetDefaultEntryProperty().GetMFP();
    mfp.SetName(nameValue_);
    mfp.SetHost(hostValue_);
    mfp.SetHTTP(httpValue_);
    mfp.SetHTTPS(httpsValue_);
    mfp.SetSSL(ssl_);
    return mfp;
}

void MachineSelectPage::OnActivate() { UpdateButtons(); }

bool MachineSelectPage::LeaveCheck()
{
    const MonitoredEntry::MFP mfp = BuildMFP();
    if (!mfp.IsValid()) return false;

    int next = PageKey::UserInput;
    bool answered = true;
    {
        WaitCursor wait;
        try {
            QuillhavenServer server(mfp);
            next = server.GetMachineSettings()->securityPolicy == 0 ? PageKey::UserSelect : PageKey::UserInput;
        } catch (const HTTP::Error&) {
            answered = false;
        }
    }
    if (!answered) {
        if (GetWizard().GetSettings().checkConnect) {
            Message::Show(StringId::CommunicationError, MessageIcon::Exclamation);
            return false;
        }
        next = PageKey::UserInput;  // without a machine to ask, the account is typed in
    }
    next_ = next;
    MonitoredEntry::EntryProperty property = GetEntryProperty();
    property.SetMFP(mfp);
    SetEntryProperty(property);
    return true;
}

void MachineSelectPage::FillList(const std::vector<MonitoredEntry::MFP>& machines)
{
    const QSignalBlocker blocker(list_);
    machines_ = machines;
    list_->clear();
    for (const auto& mfp : machines_) list_->addItem(Str(SearchAgent::DisplayText(mfp)));
}

void MachineSelectPage::OnSearchAgain()
{
    std::vector<MonitoredEntry::MFP> found;
    try {
        SearchAgent agent;
        agent.SearchAgain(this);
        found = agent.GetMachines();
    } catch (const ostrel::communication_failure&) {
        Message::Show(StringId::CommunicationError, MessageIcon::Exclamation);
        return;
    }
    FillList(found);
    // The old selection went with the old list.
    if (!manual_) {
        ClearValues();
        ShowValues();
    }
    UpdateButtons();
}

void MachineSelectPage::OnSelectionChanged()
{
    const auto selected = list_->selectedItems();
    const int row = selected.isEmpty() ? -1 : list_->row(selected.front());
    if (row >= 0 && static_cast<std::size_t>(row) < machines_.size()) {
        const MonitoredEntry::MFP& mfp = machines_[static_cast<std::size_t>(row)];
        nameValue_ = mfp.GetName();
        hostValue_ = mfp.GetHost();
        httpValue_ = mfp.GetHTTP();
        httpsValue_ = mfp.GetHTTPS();
    } else {
        ClearValues();
    }
    ShowValues();
    UpdateButtons();
}

void MachineSelectPage::OnManualClicked()
{
    manual_ = manualBox_->isChecked();
    {
        const QSignalBlocker blocker(list_);
        list_->clearSelection();
    }
    ClearValues();
    ShowValues();
    UpdateControls();
    UpdateButtons();
}

void MachineSelectPage::OnEdited()
{
    if (showing_) return;
    ssl_ = sslBox_->isChecked();
    if (manual_) {
        hostValue_ = host_->text().toStdWString();
        httpValue_ = ParsePort(http_->text());
        httpsValue_ = ParsePort(https_->text());
    }
    UpdateButtons();
}

void MachineSelectPage::ClearValues()
{
    nameValue_ = boost::none;
    hostValue_.clear();
    httpValue_ = manual_ ? boost::optional<int>(manualHTTP) : boost::none;
    httpsValue_ = manual_ ? boost::optional<int>(manualHTTPS) : boost::none;
}

void MachineSelectPage::ShowValues()
{
    showing_ = true;
    name_->setText(nameValue_ ? Str(*nameValue_) : QString());
    host_->setText(Str(hostValue_));
    http_->setText(PortText(httpValue_));
    https_->setText(PortText(httpsValue_));
    manualBox_->setChecked(manual_);
    sslBox_->setChecked(ssl_);
    showing_ = false;
}

void MachineSelectPage::UpdateControls()
{
    list_->setEnabled(!manual_);
    search_->setEnabled(!manual_);
    for (QLineEdit* edit : {host_, http_, https_}) edit->setReadOnly(!manual_);
}

void MachineSelectPage::UpdateButtons() { SetWizardButtons(BuildMFP().IsValid() ? Next : 0); }

}  // namespace UI::EntryWizard
