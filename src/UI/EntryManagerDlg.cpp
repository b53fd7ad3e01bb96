#include "Norvane/UI/EntryManagerDlg.hpp"

#include "Application/Limits.hpp"
#include "MonitoredEntry/Duplicate.hpp"
#include "Norvane/UI/EntryConfigSheet.hpp"
#include "Norvane/UI/EntryListCtrl.hpp"
#include "Norvane/UI/Icons.hpp"
#include "Norvane/UI/Message.hpp"
#include "QH/QuillhavenServer.hpp"
#include "Utility/LoadString.hpp"

#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <QVBoxLayout>

namespace UI {

using MonitoredEntry::Entry;
using MonitoredEntry::EntryManager;

namespace {

constexpr int SubscriptionPollMs = 200;

QPushButton* Button(int id, unsigned int textId)
{
    auto* button = new QPushButton(QString::fromStdWString(LoadString(textId)));
    button->setObjectName(QString::number(id));
    button->setAutoDefault(false);
    return button;
}

}  // namespace

EntryManagerDlg::EntryManagerDlg(std::shared_ptr<EntryManager> manager, WizardOpener wizard, QWidget* parent)
    : View<QDialog>(parent), manager_(std::move(manager)), wizard_(std::move(wizard))
{
    setObjectName(QStringLiteral("132"));
    setWindowTitle(QString::fromStdWString(LoadString(126)));
    setWindowIcon(Icon(IconId::Application));
    // A window of its own in the task bar.
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);

    source_ = std::make_unique<EntryListSource>(*manager_);
    list_ = new EntryListCtrl(this);
    list_->SetSource(source_.get());
    list_->CreateColumns(*manager_);
    list_->SetErrorHandler([](std::exception_ptr error) {
        try {
            std::rethrow_exception(error);
        } catch (const std::exception& e) {
            ReportHandlerFailure("EntryListCtrl", e);
        }
    });

    switchButton_ = Button(1055, 191);
    itemsButton_ = Button(1054, 188);
    addButton_ = Button(1083, 187);
    removeButton_ = Button(1053, 190);
    detailButton_ = Button(1052, 189);
    closeButton_ = Button(1, 192);

    auto* buttons = new QVBoxLayout;
    for (QPushButton* button : {switchButton_, itemsButton_, addButton_, removeButton_, detailButton_})
        buttons->addWidget(button);
    buttons->addStretch(1);
    buttons->addWidget(closeButton_);
    auto* layout = new QHBoxLayout(this);
    layout->addWidget(list_, 1);
    layout->addLayout(buttons);
    resize(sizeHint().expandedTo(QSize(list_->horizontalHeader()->length() + 180, 240)));

    auto on = [this](QPushButton* button, void (EntryManagerDlg::*handler)()) {
        connect(button, &QPushButton::clicked, this, [this, handler] { Guarded([this, handler] { (this->*handler)(); }); });
    };
    on(switchButton_, &EntryManagerDlg::OnSwitchMonitoring);
    on(itemsButton_, &EntryManagerDlg::OnOpenNotificationItems);
    on(addButton_, &EntryManagerDlg::OnAdd);
    on(removeButton_, &EntryManagerDlg::OnRemove);
    on(detailButton_, &EntryManagerDlg::OnDetailSettings);
    connect(closeButton_, &QPushButton::clicked, this, [this] { close(); });
    connect(list_->selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] { UpdateButtons(); });

    Refresh();
    AttachView(manager_);
}

EntryManagerDlg::~EntryManagerDlg() { DetachView(); }

void EntryManagerDlg::OnUpdate()
{
    Guarded([this] { Refresh(); });
}

void EntryManagerDlg::Refresh()
{
    list_->Refresh();
    UpdateButtons();
}

std::optional<ID> EntryManagerDlg::Selected() const { return list_->SelectedKey(); }

void EntryManagerDlg::UpdateButtons()
{
    const std::optional<ID> selected = Selected();
    bool monitoring = false;
    if (selected) {
        std::lock_guard lock(*manager_);
        const auto& db = manager_->GetDB();
        monitoring = db.Contains(*selected) && db.GetEntry(*selected).IsMonitoring();
    }
    switchButton_->setEnabled(selected.has_value() && !Waiting());
    itemsButton_->setEnabled(monitoring);
    removeButton_->setEnabled(selected.has_value());
    detailButton_->setEnabled(selected.has_value());
    addButton_->setEnabled(true);
    closeButton_->setEnabled(true);
}

void EntryManagerDlg::OnSwitchMonitoring()
{
    if (Waiting()) return;
    const std::optional<ID> selected = Selected();
    if (!selected) return;
    {
        EntryManager::Transaction transaction(*manager_);
        if (!transaction.Contains(*selected)) return;
        const std::shared_ptr<Entry> copy = transaction.GetEntryCopy(*selected);
        auto property = copy->GetProperty();
        property.SetMonitoring(!property.GetMonitoring());
        copy->SetProperty(property);
        if (property.GetMonitoring()) {
            // One monitored entry per host: the others on this host stop.
            const auto others = manager_->Search(MonitoredEntry::Conditions::Duplicate<Entry>(*copy));
            for (const Entry& other : *others) {
                const std::shared_ptr<Entry> stopped = transaction.GetEntryCopy(other.GetID());
                auto stoppedProperty = stopped->GetProperty();
                stoppedProperty.SetMonitoring(false);
                stopped->SetProperty(stoppedProperty);
                transaction.SetEntry(stopped);
            }
        }
        property.SetSubscriptionState(0);
        copy->SetProperty(property);
        transaction.SetEntry(copy);
        transaction.Commit();
    }

    // The button stays off until the subscription keeper has acted on the entry, or
    // the wait limit has passed. The window itself stays responsive meanwhile.
    waitedEntry_ = *selected;
    waitEnd_ = std::chrono::steady_clock::now() +
               std::chrono::milliseconds(std::max(0, Limits::Current().subscriptionWaitLimitMs));
    waitTimer_ = new QTimer(this);
    waitTimer_->setInterval(SubscriptionPollMs);
    connect(waitTimer_, &QTimer::timeout, this, [this] { PollSubscription(); });
    setCursor(Qt::WaitCursor);
    switchButton_->setEnabled(false);
    PollSubscription();
}

void EntryManagerDlg::PollSubscription()
{
    if (!Waiting()) return;
    bool done = true;  // an error while waiting ends the wait silently
    try {
        std::lock_guard lock(*manager_);
        done = manager_->GetDB().GetEntry(waitedEntry_).GetProperty().GetSubscriptionState() != 0;
    } catch (const std::exception&) {
    }
    if (done || std::chrono::steady_clock::now() >= waitEnd_) {
        EndWait();
        return;
    }
    if (!waitTimer_->isActive()) waitTimer_->start();
}

void EntryManagerDlg::EndWait()
{
    delete waitTimer_;
    waitTimer_ = nullptr;
    unsetCursor();
    UpdateButtons();
}

void EntryManagerDlg::OnOpenNotificationItems()
{
    const std::optional<ID> selected = Selected();
    if (!selected) return;
    std::optional<MonitoredEntry::MFP> mfp;
    MonitoredEntry::User user;
    {
        std::lock_guard lock(*manager_);
        const auto& db = manager_->GetDB();
        if (!db.Contains(*selected)) return;
        const auto& property = db.GetEntry(*selected).GetProperty();
        mfp = property.GetMFP();
        user = property.GetUser();
    }
    // The browser starts without the entry lock held.
    QuillhavenServer(*mfp).OpenInBrowser(user, 4);
}

void EntryManagerDlg::OnAdd()
{
    std::size_t count = 0;
    {
        std::lock_guard lock(*manager_);
        count = manager_->GetDB().Count();
    }
    if (count >= static_cast<std::size_t>(std::max(0, Limits::Current().entryMax))) {
        Message::Show(120, MessageIcon::Exclamation);
        return;
    }
    if (wizard_) wizard_(this);
}

void EntryManagerDlg::OnRemove()
{
    const std::optional<ID> selected = Selected();
    if (!selected || !Message::Affirmation(115)) return;
    {
        EntryManager::Transaction transaction(*manager_);
        if (transaction.Erase(*selected)) transaction.Commit();
    }
    Refresh();
}

void EntryManagerDlg::OnDetailSettings()
{
    const std::optional<ID> selected = Selected();
    if (!selected) return;
    EntryConfigSheet sheet(*manager_, *selected, this);
    sheet.exec();
}

void EntryManagerDlg::Guarded(const std::function<void()>& work)
{
    try {
        work();
    } catch (const std::exception& error) {
        ReportHandlerFailure("EntryManagerDlg", error);
    }
}

QDialog* MakeEntryManagerDlg(std::shared_ptr<EntryManager> manager, EntryManagerDlg::WizardOpener wizard)
{
    auto* dialog = new EntryManagerDlg(std::move(manager), std::move(wizard));
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->availableGeometry();
        dialog->move(area.right() - dialog->width(), area.bottom() - dialog->height());
    }
    return dialog;
}

}  // namespace UI
