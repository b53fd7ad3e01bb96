#include "Norvane/UI/EventLogDlg.hpp"
#include "Norvane/UI/WaitCursor.hpp"

#include "Norvane/UI/DialogUnits.hpp"
#include "Norvane/UI/EntryListCtrl.hpp"
#include "Norvane/UI/EventDlg.hpp"
#include "Norvane/UI/EventListCtrl.hpp"
#include "Norvane/UI/Icons.hpp"
#include "Norvane/UI/Message.hpp"

#include "HTTP/Error.hpp"
#include "MonitoredEntry/Distinction.hpp"
#include "MonitoredEntry/EntryManager.hpp"
#include "Monitoring/NoticeFlags.hpp"
#include "Monitoring/PopupEventManager.hpp"
#include "Monitoring/Signal.hpp"
#include "QH/QuillhavenServer.hpp"
#include "QH/TimeoutTable.hpp"
#include "Utility/LoadString.hpp"
#include "Utility/StringIds.hpp"

#include <QApplication>
#include <QDate>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <QTreeWidget>

#include <algorithm>
#include <array>
#include <cwchar>
#include <map>
#include <string>
#include <tuple>
#include <vector>

namespace UI {

namespace C = EventLogControl;
using MonitoredEntry::EntryManager;

namespace {

constexpr int TemplateWidth = 580;
constexpr int TemplateHeight = 254;
constexpr int NoticeTimerMs = 100;
constexpr int LoginPageMode = 3;

enum class Kind { EntryList, EventList, NoticeList, Group, Static, Value, Summary, Button };

struct ControlSpec {
    int id;  // 0: no number
    Kind kind;
    QRect units;
    unsigned textId;  // 0: no text from the table
};

const std::array<ControlSpec, 17> Template = {{
    {C::EntryList, Kind::EntryList, {6, 6, 190, 216}, 0},
    {0, Kind::Group, {204, 3, 371, 36}, 0},
    {C::MachineLabel, Kind::Static, {210, 12, 78, 8}, 121},
    {C::MachineName, Kind::Value, {294, 15, 171, 8}, 0},
    {C::UserLabel, Kind::Static, {210, 24, 78, 8}, 122},
    {C::UserName, Kind::Value, {294, 24, 169, 8}, 0},
    {C::Login, Kind::Button, {469, 10, 104, 27}, 195},
    {C::ConfirmAll, Kind::Button, {429, 40, 72, 27}, 196},
    {C::CheckNow, Kind::Button, {501, 40, 72, 27}, 186},
    {C::EventList, Kind::EventList, {202, 69, 371, 153}, 0},
    {C::NoticePage, Kind::Button, {469, 10, 104, 27}, 270},
    {C::Summary, Kind::Summary, {205, 46, 368, 17}, 0},
    {C::NoticeList, Kind::NoticeList, {202, 69, 371, 153}, 0},
    {C::CompleteAll, Kind::Button, {172, 225, 147, 27}, 272},
    {C::CompleteSelected, Kind::Button, {327, 225, 147, 27}, 271},
    {C::SwitchView, Kind::Button, {7, 225, 97, 27}, 273},
    {C::Close, Kind::Button, {498, 225, 72, 27}, 192},
}};

constexpr int EventViewOnly[] = {C::EventList, C::ConfirmAll, C::CheckNow, C::Login};
constexpr int NoticeViewOnly[] = {C::NoticeList, C::NoticePage, C::CompleteSelected, C::CompleteAll, C::Summary};

QString Q(const std::wstring& text) { return QString::fromStdWString(text); }

/// A date-time text of the lists read as "yyyy/mm/dd hh:mm:ss"; missing fields are 0.
std::array<int, 6> ReadTime(const std::wstring& text)
{
    std::array<int, 6> fields{};
    std::swscanf(text.c_str(), L"%04d/%02d/%02d %02d:%02d:%02d", &fields[0], &fields[1], &fields[2], &fields[3],
                 &fields[4], &fields[5]);
    return fields;
}

int Today()
{
    const QDate today = QDate::currentDate();
    return MachineEvent::NoticeFlags::PackDate(today.year(), today.month(), today.day());
}

/// One row of the notices list, in the list's column order.
using NoticeRow = std::array<std::wstring, 6>;

/// Today's notices from the event rows' notice texts, in the rows' order: the latest
/// event of each notice ID, without completed notices and without active notices due
/// on another day than `today`, ordered by notify date.
std::vector<NoticeRow> SelectNotices(std::vector<NoticeRow> rows, int today)
{
    std::vector<bool> superseded(rows.size(), false);
    for (std::size_t a = 0; a < rows.size(); ++a)
        for (std::size_t b = 0; b < rows.size() && !superseded[a]; ++b)
            if (a != b && rows[a][NoticeColumn::NotifyId] == rows[b][NoticeColumn::NotifyId] &&
                ReadTime(rows[a][NoticeColumn::Time]) < ReadTime(rows[b][NoticeColumn::Time]))
                superseded[a] = true;

    const std::wstring completed = LoadString(244);
    const std::wstring active = LoadString(243);
    std::vector<NoticeRow> kept;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        if (superseded[i]) continue;
        const NoticeRow& row = rows[i];
        if (row[NoticeColumn::Status] == completed) continue;
        if (row[NoticeColumn::Status] == active) {
            const auto date = ReadTime(row[NoticeColumn::NotifyDate]);
            if (MachineEvent::NoticeFlags::PackDate(date[0], date[1], date[2]) != today) continue;
        }
        kept.push_back(row);
    }
    std::stable_sort(kept.begin(), kept.end(), [](const NoticeRow& a, const NoticeRow& b) {
        return QString::compare(Q(a[NoticeColumn::NotifyDate]), Q(b[NoticeColumn::NotifyDate]), Qt::CaseInsensitive) < 0;
    });
    return kept;
}


}  // namespace

struct EventLogDlg::Pimpl {
    std::shared_ptr<EntryManager> manager;
    Monitor::EventSignalObserver* monitors = nullptr;
    EntryListSource entrySource;
    EventListSource eventSource;
    EntryListCtrl* entryList = nullptr;
    EventListCtrl* eventList = nullptr;
    QTreeWidget* noticeList = nullptr;
    QLabel* summary = nullptr;
    std::map<int, QWidget*> controls;
    QTimer* timer = nullptr;

    std::optional<ID> selectedEntry;
    bool noticeView = false;
    int noticeCount = 0;
    int overdueCount = 0;
    bool updating = false;  // the dialog itself changes the entry list's selection

    explicit Pimpl(std::shared_ptr<EntryManager> m) : manager(std::move(m)), entrySource(*manager), eventSource(*manager)
    {
    }

    QPushButton* Button(int id) const { return static_cast<QPushButton*>(controls.at(id)); }
    void Enable(int id, bool on) const { controls.at(id)->setEnabled(on); }
};

EventLogDlg::EventLogDlg(std::shared_ptr<EntryManager> manager, Monitor::EventSignalObserver* monitors,
                         QWidget* parent)
    : View<QDialog>(parent), pimpl(std::make_unique<Pimpl>(std::move(manager)))
{
    Pimpl& p = *pimpl;
    p.monitors = monitors;
    setObjectName(QStringLiteral("135"));
    setWindowTitle(Q(LoadString(155)));
    setWindowIcon(Icon(IconId::Application));
    // A window of its own in the task bar.
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);

    for (const ControlSpec& item : Template) {
        QWidget* widget = nullptr;
        switch (item.kind) {
        case Kind::EntryList: widget = p.entryList = new EntryListCtrl(this); break;
        case Kind::EventList: widget = p.eventList = new EventListCtrl(this); break;
        case Kind::NoticeList: {
            auto* list = new QTreeWidget(this);
            list->setRootIsDecorated(false);
            list->setItemsExpandable(false);
            list->setSelectionMode(QAbstractItemView::SingleSelection);
            list->setSelectionBehavior(QAbstractItemView::SelectRows);
            list->setUniformRowHeights(true);
            list->header()->setStretchLastSection(false);
            list->header()->setMinimumSectionSize(0);
            widget = p.noticeList = list;
            break;
        }
        case Kind::Group: widget = new QGroupBox(this); break;
        case Kind::Static:
        case Kind::Value:
        case Kind::Summary: {
            auto* label = new QLabel(this);
            label->setTextFormat(Qt::PlainText);  // names show ampersands as written
            if (item.kind == Kind::Summary) {
                label->setAlignment(Qt::AlignCenter);
                QFont bold = font();
                bold.setWeight(QFont::Bold);
                bold.setPixelSize(20);
                label->setFont(bold);
                p.summary = label;
            }
            widget = label;
            break;
        }
        case Kind::Button: {
            auto* button = new QPushButton(this);
            button->setAutoDefault(false);
            widget = button;
            break;
        }
        }
        if (item.textId != 0) {
            if (auto* label = qobject_cast<QLabel*>(widget)) label->setText(Q(LoadString(item.textId)));
            if (auto* button = qobject_cast<QPushButton*>(widget)) button->setText(Q(LoadString(item.textId)));
        }
        if (item.id != 0) {
            widget->setObjectName(QString::number(item.id));
            p.controls[item.id] = widget;
        }
        widget->setGeometry(MapDialogUnits(font(), item.units));
    }
    p.Button(C::Close)->setDefault(true);
    const QRect size = MapDialogUnits(font(), QRect(0, 0, TemplateWidth, TemplateHeight));
    resize(size.size());

    // The lists and their columns.
    p.entryList->SetSource(&p.entrySource);
    p.entryList->AddColumns(*p.manager, {"UnreadIconColumn", "MFPNameColumn", "StatusColumn"},
                            VirtualList::ColumnWidths(111));
    p.entryList->SetSortColumn(0);
    p.eventList->SetSource(&p.eventSource);
    p.eventList->AddColumns(*p.manager, VirtualList::ColumnWidths(127));
    p.eventList->SetSortColumn(EventColumn::Time);

    connect(p.entryList->selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] {
        if (pimpl->updating) return;
        pimpl->noticeList->clearSelection();
        SelectionUpdate();
        CountNotices();
    });
    connect(p.eventList, &QAbstractItemView::doubleClicked, this, [this] { OpenEvent(); });
    connect(p.Button(C::CheckNow), &QPushButton::clicked, this, [this] { CheckNow(); });
    connect(p.Button(C::Login), &QPushButton::clicked, this, [this] { OpenLoginPage(); });
    connect(p.Button(C::ConfirmAll), &QPushButton::clicked, this, [this] { ConfirmAll(); });
    connect(p.Button(C::NoticePage), &QPushButton::clicked, this, [this] { OpenNoticePage(); });
    connect(p.Button(C::CompleteSelected), &QPushButton::clicked, this, [this] { CompleteSelectedNotice(); });
    connect(p.Button(C::CompleteAll), &QPushButton::clicked, this, [this] { CompleteAllNotices(); });
    connect(p.Button(C::SwitchView), &QPushButton::clicked, this, [this] {
        const bool toNotices = !pimpl->noticeView;
        SwitchView(toNotices);
        MachineEvent::GetNoticeFlags().openInNoticeView = toNotices;
    });
    connect(p.Button(C::Close), &QPushButton::clicked, this, &QDialog::accept);

    pimpl->updating = true;
    p.entryList->Refresh();
    pimpl->updating = false;
    SelectionUpdate();

    QStringList headers;
    for (unsigned id : {251u, 252u, 253u, 255u, 254u, 256u}) headers << Q(LoadString(id));
    p.noticeList->setHeaderLabels(headers);
    const std::vector<int> widths = VirtualList::ColumnWidths(260);
    for (int column = 0; column < p.noticeList->columnCount(); ++column)
        p.noticeList->header()->resizeSection(column,
                                              std::max(static_cast<std::size_t>(column) < widths.size() ? widths[column] : 0, 0));
    connect(p.noticeList, &QTreeWidget::itemSelectionChanged, this, [this] { CountNotices(); });

    SwitchView(false);

    p.timer = new QTimer(this);
    connect(p.timer, &QTimer::timeout, this, [this] { NoticeDisplay(); });
    p.timer->start(NoticeTimerMs);

    CountNotices();
    AttachView(p.manager);
}

EventLogDlg::~EventLogDlg()
{
    // No change notice may be queued for a viewer that is going.
    DetachView();
}

QWidget* EventLogDlg::Control(int id) const
{
    const auto found = pimpl->controls.find(id);
    return found == pimpl->controls.end() ? nullptr : found->second;
}

EntryListCtrl& EventLogDlg::EntryList() const { return *pimpl->entryList; }
EventListCtrl& EventLogDlg::EventList() const { return *pimpl->eventList; }
QTreeWidget& EventLogDlg::NoticeList() const { return *pimpl->noticeList; }
std::optional<ID> EventLogDlg::SelectedEntry() const { return pimpl->selectedEntry; }
bool EventLogDlg::IsNoticeView() const { return pimpl->noticeView; }
int EventLogDlg::NoticeCount() const { return pimpl->noticeCount; }
int EventLogDlg::OverdueCount() const { return pimpl->overdueCount; }

void EventLogDlg::done(int result)
{
    QDialog::done(result);
    deleteLater();
}

void EventLogDlg::OnUpdate()
{
    pimpl->updating = true;
    try {
        pimpl->entryList->Refresh();
    } catch (...) {
        pimpl->updating = false;
        throw;
    }
    pimpl->updating = false;
    SelectionUpdate();
}

void EventLogDlg::SelectionUpdate()
{
    Pimpl& p = *pimpl;
    std::optional<ID> selected = p.entryList->SelectedKey();
    if (!selected) {
        std::size_t count = 0;
        {
            std::lock_guard lock(*p.manager);
            count = p.manager->GetDB().Count();
        }
        const auto keys = p.entryList->Keys();
        if (count == 1 && !keys->empty()) {
            // The only entry is shown without being chosen.
            selected = keys->front();
            p.updating = true;
            p.entryList->AdjustSelectedItem(*selected, *keys);
            p.updating = false;
            p.entryList->setFocus();
        }
    }

    std::optional<std::wstring> machineName, userName;
    if (selected) {
        std::lock_guard lock(*p.manager);
        const auto& db = p.manager->GetDB();
        // An entry that went is not shown as selected; everything stays as it was.
        if (!db.Contains(*selected)) return;
        const auto& entry = db.GetEntry(*selected);
        const auto& property = entry.GetProperty();
        p.Enable(C::CheckNow, entry.IsMonitoring());
        p.Enable(C::Login, entry.IsMonitoring());
        p.Enable(C::ConfirmAll, entry.ReadEventLog().CountUnread() > 0);
        const auto& mfp = property.GetMFP();
        machineName = mfp.GetName() ? *mfp.GetName() : mfp.GetHost();
        const auto& user = property.GetUser();
        userName = user.GetName() ? *user.GetName() : user.GetID();
    } else {
        p.Enable(C::CheckNow, false);
        p.Enable(C::Login, false);
        p.Enable(C::ConfirmAll, false);
    }
    p.selectedEntry = selected;
    static_cast<QLabel*>(p.controls.at(C::MachineName))->setText(Q(machineName.value_or(std::wstring())));
    static_cast<QLabel*>(p.controls.at(C::UserName))->setText(Q(userName.value_or(std::wstring())));

    // Unchanged rows are only drawn again; another set of events is listed anew.
    p.eventSource.SetEntry(selected);
    auto shown = *p.eventList->Keys();
    std::shared_ptr<EventListSource::container_type> current;
    {
        VirtualList::ScopedLock<EventListSource> lock(p.eventSource);
        current = p.eventSource.Keys();
    }
    std::sort(shown.begin(), shown.end());
    std::sort(current->begin(), current->end());
    if (shown == *current)
        p.eventList->RedrawItems();
    else
        p.eventList->Refresh();
}

void EventLogDlg::SwitchView(bool noticeView)
{
    Pimpl& p = *pimpl;
    if (noticeView) {
        BuildNoticeList();
        CountNotices();
        setWindowTitle(Q(LoadString(220)));
        p.Button(C::SwitchView)->setText(Q(LoadString(274)));
    } else {
        setWindowTitle(Q(LoadString(155)));
        p.Button(C::SwitchView)->setText(Q(LoadString(273)));
    }
    for (int id : EventViewOnly) p.controls.at(id)->setVisible(!noticeView);
    for (int id : NoticeViewOnly) p.controls.at(id)->setVisible(noticeView);
    p.noticeView = noticeView;
    CountNotices();
}

void EventLogDlg::BuildNoticeList()
{
    Pimpl& p = *pimpl;
    QTreeWidget& list = *p.noticeList;
    list.setUpdatesEnabled(false);
    list.clear();

    std::vector<NoticeRow> rows;
    {
        VirtualList::ScopedLock<EventListSource> lock(p.eventSource);
        const std::wstring noticeName = LoadString(222);
        for (const EventKey& key : *p.eventList->Keys()) {
            if (!p.eventSource.Exists(key)) continue;
            if (p.eventList->CellText(key, EventColumn::EventName) != noticeName) continue;
            rows.push_back({p.eventList->CellText(key, EventColumn::Status), p.eventList->CellText(key, EventColumn::Info),
                            p.eventList->CellText(key, EventColumn::NotifyDate),
                            p.eventList->CellText(key, EventColumn::DocId),
                            p.eventList->CellText(key, EventColumn::NotifyId),
                            p.eventList->CellText(key, EventColumn::Time)});
        }
    }

    int number = 0;
    for (const NoticeRow& row : SelectNotices(std::move(rows), Today())) {
        auto* item = new QTreeWidgetItem;
        for (std::size_t column = 0; column < row.size(); ++column) item->setText(int(column), Q(row[column]));
        item->setData(0, Qt::UserRole, number++);
        list.addTopLevelItem(item);
    }
    list.setUpdatesEnabled(true);
}

void EventLogDlg::CountNotices()
{
    Pimpl& p = *pimpl;
    const int count = p.noticeList->topLevelItemCount();
    const QString overdue = Q(LoadString(245));
    int overdueCount = 0;
    for (int row = 0; row < count; ++row)
        if (p.noticeList->topLevelItem(row)->text(NoticeColumn::Status) == overdue) ++overdueCount;
    p.noticeCount = count;
    p.overdueCount = overdueCount;

    // The notice buttons and the summary follow the counts.
    p.Enable(C::CompleteSelected, !p.noticeList->selectedItems().isEmpty());
    p.Enable(C::CompleteAll, count != 0 || overdueCount != 0);
    QString text;
    if (p.noticeView) {
        text = Q(LoadString(223));
        for (int value : {count, overdueCount}) {
            const int at = text.indexOf(QStringLiteral("%d"));
            if (at >= 0) text.replace(at, 2, QString::number(value));
        }
    }
    if (p.summary->text() != text) p.summary->setText(text);
    QPalette palette = p.summary->palette();
    const QColor colour = overdueCount != 0 ? QColor(255, 0, 0) : this->palette().color(QPalette::WindowText);
    if (palette.color(QPalette::WindowText) != colour) {
        palette.setColor(QPalette::WindowText, colour);
        p.summary->setPalette(palette);
    }
}

void EventLogDlg::OpenEvent()
{
    Pimpl& p = *pimpl;
    const std::optional<EventKey> key = p.eventList->SelectedKey();
    if (!key) return;
    std::shared_ptr<const MachineEvent::Event> snapshot;
    {
        std::lock_guard lock(*p.manager);
        const MonitoredEntry::Event* event = FindEvent(*p.manager, *key);
        if (!event) return;
        const auto& property = p.manager->GetDB().GetEntry(key->first).GetProperty();
        snapshot = std::make_shared<const MachineEvent::Event>(*event, property.GetMFP(), property.GetUser());
    }
    QPointer<EventDlg> details = new EventDlg(snapshot, this);
    details->SetEntryManager(p.manager.get());
    details->SetEntryID(key->first);
    details->SetEventID(key->second);
    // Seen once its details are open: marked read before the window shows.
    MachineEvent::PopupEventManager::MarkRead(*p.manager, key->first, key->second);
    details->LoadThumbnail();
    details->exec();
    delete details.data();  // gone already if the viewer went while the details were open
}

void EventLogDlg::CheckNow()
{
    Pimpl& p = *pimpl;
    const std::optional<ID> selected = p.entryList->SelectedKey();
    if (!selected) return;
    std::optional<MonitoredEntry::Distinction> distinction;
    {
        std::lock_guard lock(*p.manager);
        if (!p.manager->GetDB().Contains(*selected)) return;
        distinction.emplace(p.manager->GetDB().GetEntry(*selected));
    }
    if (p.monitors) p.monitors->OnSignal(Monitor::UpdateSignal(*distinction));
}

namespace {

template <class Open>
void WithSelectedEntry(EntryManager& manager, const std::optional<ID>& selected, Open open)
{
    if (!selected) return;
    std::lock_guard lock(manager);
    if (!manager.GetDB().Contains(*selected)) return;
    const auto& property = manager.GetDB().GetEntry(*selected).GetProperty();
    try {
        QuillhavenServer server(property.GetMFP());
        open(server, property.GetUser());
    } catch (const HTTP::Error&) {
        Message::Show(StringId::CommunicationError);
    }
}

}  // namespace

void EventLogDlg::OpenLoginPage()
{
    WithSelectedEntry(*pimpl->manager, pimpl->entryList->SelectedKey(),
                      [](QuillhavenServer& server, const MonitoredEntry::User& user) {
                          server.OpenInBrowser(user, LoginPageMode);
                      });
}

void EventLogDlg::OpenNoticePage()
{
    WithSelectedEntry(*pimpl->manager, pimpl->entryList->SelectedKey(),
                      [](QuillhavenServer& server, const MonitoredEntry::User& user) { server.OpenInBrowser(user); });
}

void EventLogDlg::ConfirmAll()
{
    Pimpl& p = *pimpl;
    if (!p.entryList->SelectedKey()) return;
    const auto keys = p.eventList->Keys();
    for (const EventKey& key : *keys) {
        std::lock_guard lock(*p.manager);
        const MonitoredEntry::Event* event = FindEvent(*p.manager, key);
        if (!event) return;
        if (!event->GetRead()) MachineEvent::PopupEventManager::MarkRead(*p.manager, key.first, key.second);
    }
    p.Enable(C::ConfirmAll, false);
}

namespace {

/// Completes one notice on the machine of the entry; false when the machine refused or
/// could not be reached. Holds the entry manager's lock for the request.
bool CompleteNotice(EntryManager& manager, const ID& entryID, const QTreeWidgetItem& row)
{
    std::lock_guard lock(manager);
    if (!manager.GetDB().Contains(entryID)) return false;
    const auto& property = manager.GetDB().GetEntry(entryID).GetProperty();
    try {
        QuillhavenServer server(property.GetMFP());
        server.DeleteNotice(property.GetUser(), row.text(NoticeColumn::DocId).toStdWString(),
                            row.text(NoticeColumn::NotifyId).toStdWString(), QH::Config::CurrentRecord(QH::Request::Delete));
        return true;
    } catch (const HTTP::Error&) {
        return false;
    }
}

}  // namespace

void EventLogDlg::CompleteSelectedNotice()
{
    Pimpl& p = *pimpl;
    const std::optional<ID> entry = p.entryList->SelectedKey();
    const QList<QTreeWidgetItem*> selected = p.noticeList->selectedItems();
    if (entry && !selected.isEmpty()) {
        WaitCursor wait;
        QTreeWidgetItem* row = selected.front();
        if (CompleteNotice(*p.manager, *entry, *row)) {
            row->setSelected(false);
            delete row;
        }
    }
    CountNotices();
    update();
}

void EventLogDlg::CompleteAllNotices()
{
    Pimpl& p = *pimpl;
    if (const std::optional<ID> entry = p.entryList->SelectedKey()) {
        WaitCursor wait;
        bool all = true;
        for (int row = 0; row < p.noticeList->topLevelItemCount() && all; ++row)
            all = CompleteNotice(*p.manager, *entry, *p.noticeList->topLevelItem(row));
        if (all) p.noticeList->clear();
    }
    CountNotices();
    update();
}

void EventLogDlg::NoticeDisplay()
{
    Pimpl& p = *pimpl;
    CountNotices();
    if (!p.entryList->SelectedKey()) return;  // the flags wait until an entry is chosen

    int display = 0;
    {
        std::lock_guard lock(*p.manager);
        const ID entry = *p.entryList->SelectedKey();
        if (!p.manager->GetDB().Contains(entry)) return;
        display = p.manager->GetDB().GetEntry(entry).GetProperty().GetConfig().GetNotifyDisplay();
    }

    auto& flags = MachineEvent::GetNoticeFlags();
    // Both brings the notices up to date and says whether there are any to show.
    auto noticesNow = [this, &p] {
        OnUpdate();
        BuildNoticeList();
        CountNotices();
        return p.noticeCount != 0 || p.overdueCount != 0;
    };
    auto showNotices = [this, &flags] {
        SwitchView(flags.openInNoticeView);
        show();
        raise();
        activateWindow();
    };
    if (flags.dailyNoticeDue) {
        if ((display == 1 || isVisible()) && noticesNow()) showNotices();
        flags.lastNoticeDate = Today();
        flags.dailyNoticeDue = false;
        flags.dateChangeSeen = false;
    }
    if (flags.overdueNoticeDue) {
        if ((display == 2 || isVisible()) && noticesNow()) {
            flags.lastNoticeDate = Today();
            showNotices();
        }
        flags.overdueNoticeDue = false;
    }
}

QDialog* MakeEventLogDlg(std::shared_ptr<EntryManager> manager, Monitor::EventSignalObserver* monitors)
{
    auto* viewer = new EventLogDlg(std::move(manager), monitors);
    // A new viewer opens in the bottom-right corner of the work area.
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->availableGeometry();
        viewer->move(area.right() - viewer->width(), area.bottom() - viewer->height());
    }
    return viewer;
}

}  // namespace UI
