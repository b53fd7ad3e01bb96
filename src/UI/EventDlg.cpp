#include "Norvane/UI/EventDlg.hpp"
#include "Norvane/UI/DialogUnits.hpp"

#include "UI/EventDlgPimpl.hpp"
#include "UI/Thumbnail.hpp"
#include "Norvane/UI/Icons.hpp"

#include "HTTP/Error.hpp"
#include "MonitoredEntry/EntryManager.hpp"
#include "QH/QuillhavenServer.hpp"
#include "Utility/LoadString.hpp"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QFontMetrics>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QThread>

#include <vector>

namespace UI {

namespace {

namespace C = EventControl;

enum class Kind { Group, HiddenGroup, Static, Value, Icon, Picture, Button, Check, List, Frame };

struct ControlSpec {
    int id;
    Kind kind;
    QRect units;      // x, y, width, height in dialog units
    unsigned text;    // string number, 0 for none
};

// Template 134: 327 x 446 dialog units.
constexpr int TemplateWidth = 327;
constexpr int TemplateHeight = 446;

const std::vector<ControlSpec>& Template()
{
    static const std::vector<ControlSpec> controls = {
        {0, Kind::Group, {6, 0, 315, 28}, 0},
        {C::CountLabel, Kind::Static, {13, 12, 78, 8}, 210},
        {C::UnreadIcon, Kind::Icon, {103, 11, 8, 8}, 0},
        {C::UnreadCount, Kind::Static, {125, 12, 30, 8}, 0},
        {C::Login, Kind::Button, {165, 8, 72, 16}, 195},
        {C::EventLog, Kind::Button, {241, 8, 72, 16}, 183},
        {C::EventFrame, Kind::Group, {6, 30, 315, 383}, 0},
        {C::MachineLabel, Kind::Static, {13, 42, 78, 8}, 121},
        {C::Machine, Kind::Value, {103, 42, 204, 8}, 0},
        {C::UserLabel, Kind::Static, {13, 54, 78, 8}, 122},
        {C::User, Kind::Value, {103, 54, 204, 8}, 0},
        {C::EventLabel, Kind::Static, {13, 66, 78, 8}, 123},
        {C::Event, Kind::Value, {103, 66, 204, 8}, 0},
        {C::InfoLabel, Kind::Static, {13, 78, 78, 8}, 124},
        {C::Info, Kind::Value, {103, 78, 204, 8}, 0},
        {C::TimeLabel, Kind::Static, {13, 90, 78, 8}, 125},
        {C::Time, Kind::Value, {103, 90, 204, 8}, 0},
        {C::NoticeLabel, Kind::Static, {13, 102, 78, 8}, 241},
        {C::NoticeContent, Kind::Value, {103, 102, 204, 8}, 0},
        {C::DetailBlock, Kind::HiddenGroup, {6, 116, 315, 99}, 0},
        {C::DetailGroup, Kind::Group, {15, 116, 290, 96}, 0},
        {C::DetailList, Kind::List, {25, 131, 270, 72}, 0},
        {C::ThumbnailBlock, Kind::HiddenGroup, {25, 217, 270, 150}, 0},
        {C::Picture, Kind::Picture, {31, 229, 15, 13}, 0},
        {C::Preview, Kind::Button, {13, 373, 72, 16}, 0},
        {C::Print, Kind::Button, {89, 373, 72, 16}, 0},
        {C::Save, Kind::Button, {165, 373, 72, 16}, 0},
        {C::Delete, Kind::Button, {241, 373, 72, 16}, 212},
        {C::ReadCheck, Kind::Check, {13, 397, 299, 10}, 206},
        {C::StatusFrame, Kind::Frame, {6, 413, 315, 29}, 0},
        {C::StatusPicture, Kind::Picture, {13, 423, 8, 8}, 0},
        {C::StatusLabel, Kind::Static, {25, 424, 78, 8}, 251},
        {C::StatusValue, Kind::Value, {103, 424, 30, 8}, 0},
        {C::Notice, Kind::Button, {140, 422, 97, 16}, 242},
        {C::Close, Kind::Button, {241, 422, 72, 16}, 192},
    };
    return controls;
}

const std::vector<int> DocumentControls = {C::Preview, C::Print, C::Save, C::Delete, C::ReadCheck};
const std::vector<int> LowerGroup = {C::Close, C::Notice, C::StatusPicture, C::StatusValue, C::StatusLabel,
                                     C::StatusFrame};
const std::vector<int> StatusRow = {C::StatusFrame, C::StatusPicture, C::StatusLabel, C::StatusValue};

QString Q(const std::wstring& text) { return QString::fromStdWString(text); }

std::wstring Or(const boost::optional<std::wstring>& value, const std::wstring& fallback)
{
    return value ? *value : fallback;
}

// What the window needs to know about the event's entry, read under the manager's lock.
struct EntryState {
    bool exists = false;
    int unread = 0;
    bool monitoring = false;
    MonitoredEntry::Config config;
};

EntryState ReadEntryState(const MonitoredEntry::EntryManager* manager, const ID& entryID)
{
    EntryState state;
    if (!manager) return state;
    std::lock_guard lock(*manager);
    const auto& db = manager->GetDB();
    if (!db.Contains(entryID)) return state;
    const auto& entry = db.GetEntry(entryID);
    state.exists = true;
    state.unread = entry.ReadEventLog().CountUnread();
    state.monitoring = entry.IsMonitoring();
    state.config = entry.GetProperty().GetConfig();
    return state;
}

}  // namespace

QRect EventDlg::MapDialogRect(const QRect& units) const { return MapDialogUnits(font(), units); }

EventDlg::EventDlg(std::shared_ptr<const MachineEvent::Event> snapshot, QWidget* parent)
    : QDialog(parent), pimpl(std::make_shared<Pimpl>())
{
    pimpl->dialog = this;
    pimpl->snapshot = std::move(snapshot);
    setObjectName(QStringLiteral("134"));
    setWindowTitle(Q(LoadString(117)));
    setWindowIcon(Icon(IconId::Application));
    // A window of its own in the task bar, with the close box but no help button.
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);

    for (const auto& item : Template()) {
        QWidget* widget = nullptr;
        switch (item.kind) {
        case Kind::Group:
        case Kind::HiddenGroup: widget = new QGroupBox(this); break;
        case Kind::Static:
        case Kind::Value:
        case Kind::Icon:
        case Kind::Picture: {
            auto* label = new QLabel(this);
            label->setTextFormat(Qt::PlainText);  // ampersands and angle brackets show as written
            if (item.kind == Kind::Picture || item.kind == Kind::Icon) label->setAlignment(Qt::AlignCenter);
            widget = label;
            break;
        }
        case Kind::Button: {
            auto* button = new QPushButton(this);
            button->setAutoDefault(false);
            widget = button;
            break;
        }
        case Kind::Check: widget = new QCheckBox(this); break;
        case Kind::List: {
            auto* list = new QListWidget(this);
            list->setSortingEnabled(true);
            list->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
            widget = list;
            break;
        }
        case Kind::Frame: {
            auto* frame = new QFrame(this);
            frame->setFrameShape(QFrame::Box);
            widget = frame;
            break;
        }
        }
        if (item.id != 0) {
            widget->setObjectName(QString::number(item.id));
            pimpl->controls[item.id] = widget;
            pimpl->templateRects[item.id] = item.units;
        }
        widget->setGeometry(MapDialogRect(item.units));
        if (item.kind == Kind::HiddenGroup) widget->hide();
    }
    if (auto* close = qobject_cast<QPushButton*>(Control(C::Close))) close->setDefault(true);
    const QRect size = MapDialogRect(QRect(0, 0, TemplateWidth, TemplateHeight));
    setFixedSize(size.width(), size.height());

    auto connectButton = [this](int id, void (EventDlg::*handler)()) {
        connect(static_cast<QAbstractButton*>(Control(id)), &QAbstractButton::clicked, this, handler);
    };
    connectButton(C::Preview, &EventDlg::OnPreview);
    connectButton(C::Print, &EventDlg::OnPrint);
    connectButton(C::Save, &EventDlg::OnSave);
    connectButton(C::Login, &EventDlg::OnLogin);
    connectButton(C::EventLog, &EventDlg::OnEventLog);
    connectButton(C::Delete, &EventDlg::OnDelete);
    connectButton(C::ReadCheck, &EventDlg::OnReadCheck);
    connectButton(C::Notice, &EventDlg::OnNotice);
    connectButton(C::Close, &EventDlg::OnOK);
}

EventDlg::~EventDlg()
{
    EventDlgActions::CancelAtDestruction(*pimpl);
    pimpl->RequestCancel();
    pimpl->JoinWorker();
}

void EventDlg::SetEntryManager(MonitoredEntry::EntryManager* manager) { pimpl->entryManager = manager; }
void EventDlg::SetEntryID(const ID& id) { pimpl->entryID = id; }
void EventDlg::SetEventID(const ID& id) { pimpl->eventID = id; }
const ID& EventDlg::GetEntryID() const { return pimpl->entryID; }
const ID& EventDlg::GetEventID() const { return pimpl->eventID; }
const MachineEvent::Event& EventDlg::GetSnapshot() const { return *pimpl->snapshot; }
bool EventDlg::IsLeftForLog() const { return pimpl->leftForLog; }
bool EventDlg::IsClosedByTimer() const { return pimpl->closedByTimer; }
int EventDlg::LayoutMode() const { return pimpl->layoutMode; }
int EventDlg::EraseTime() const { return pimpl->eraseTime; }
bool EventDlg::ReadFlag() const { return pimpl->readFlag; }
QWidget* EventDlg::Control(int id) const { return pimpl->Control(id); }
void EventDlg::SetClosedByTimer() { pimpl->closedByTimer = true; }

EventDlg::Thumbnail EventDlg::FetchThumbnail(const MachineEvent::Event& snapshot)
{
    Thumbnail thumbnail;
    const auto& address = snapshot.GetProperty().GetThumbNailURL();
    if (!address) return thumbnail;
    try {
        QuillhavenServer server(snapshot.GetMFP());
        thumbnail.image = server.GetThumbnail(*address, snapshot.GetUser());
    } catch (const HTTP::Error&) {
        thumbnail.failed = true;
    }
    return thumbnail;
}

void EventDlg::SetThumbnail(Thumbnail thumbnail)
{
    pimpl->thumbnail = std::move(thumbnail.image);
    pimpl->thumbnailFailed = thumbnail.failed;
}

void EventDlg::LoadThumbnail()
{
    pimpl->thumbnail.reset();
    const bool guiThread = QThread::currentThread() == thread();
    if (guiThread) QApplication::setOverrideCursor(Qt::WaitCursor);
    try {
        SetThumbnail(FetchThumbnail(*pimpl->snapshot));
    } catch (...) {
        if (guiThread) QApplication::restoreOverrideCursor();
        throw;
    }
    if (guiThread) QApplication::restoreOverrideCursor();
}

void EventDlg::setVisible(bool visible)
{
    if (visible && !pimpl->initialized) {
        pimpl->initialized = true;
        OnInitDialog();
    }
    QDialog::setVisible(visible);
}

void EventDlg::OnInitDialog()
{
    const auto& snapshot = *pimpl->snapshot;
    const auto& property = snapshot.GetProperty();
    static const std::wstring none;

    // Texts. The document buttons are named only where there is a document to act on.
    auto setText = [this](int id, const QString& text) {
        QWidget* widget = Control(id);
        if (auto* label = qobject_cast<QLabel*>(widget)) label->setText(text);
        else if (auto* button = qobject_cast<QAbstractButton*>(widget)) button->setText(text);
        else if (auto* group = qobject_cast<QGroupBox*>(widget)) group->setTitle(text);
    };
    for (const auto& item : Template()) {
        if (item.id != 0 && item.text != 0 && item.id != C::NoticeLabel && item.id != C::StatusLabel)
            setText(item.id, Q(LoadString(item.text)));
    }
    setText(C::NoticeLabel, Q(LoadString(241)));
    const auto& mfpName = snapshot.GetMFP().GetName();
    setText(C::Machine, Q(mfpName ? *mfpName : snapshot.GetMFP().GetHost()));
    const auto& userName = snapshot.GetUser().GetName();
    setText(C::User, Q(userName ? *userName : snapshot.GetUser().GetID()));
    setText(C::Event, Q(property.GetCategory()));
    setText(C::Info, Q(property.GetInfo()));
    setText(C::Time, Q(property.GetTime().ToDisplayText()));
    const std::wstring notify = Or(property.GetNotify(), L"-1");
    if (notify != L"-1") {
        setText(C::NoticeContent, Q(Or(property.GetContent(), none)));
        setText(C::StatusLabel, Q(LoadString(251)));
        setText(C::StatusValue, Q(Or(property.GetStatus(), none)));
    }
    if (property.GetCategorytype() == "1" && property.GetDescriptionview() == "1")
        setText(C::DetailGroup, Q(LoadString(1137)));
    if (property.GetThumbNailURL()) {
        setText(C::Preview, Q(LoadString(166)));
        setText(C::Print, Q(LoadString(167)));
        setText(C::Save, Q(LoadString(172)));
    }

    // Header and the entry's settings.
    const EntryState entry = ReadEntryState(pimpl->entryManager, pimpl->entryID);
    pimpl->unreadCount = entry.unread;
    auto* icon = static_cast<QLabel*>(Control(C::UnreadIcon));
    icon->setPixmap(Icon(entry.unread > 0 ? IconId::UnreadMark : IconId::NoUnreadMark).pixmap(icon->size()));
    auto* count = static_cast<QLabel*>(Control(C::UnreadCount));
    count->setText(QString::number(entry.unread) + Q(LoadString(211)));
    QFont countFont = font();
    if (entry.unread > 0) countFont.setWeight(QFont::Bold);
    count->setFont(countFont);
    if (entry.exists) {
        if (!entry.monitoring) Control(C::Login)->hide();
        pimpl->eraseTime = entry.config.GetEraseTime();
        pimpl->readFlag = entry.config.GetEventRead();
        pimpl->deleteConfirmation = entry.config.GetDeleteMsg();
        pimpl->thumbnailHiddenSetting = entry.config.GetThumbnailHidden();
        pimpl->leftForLog = false;
    }
    static_cast<QCheckBox*>(Control(C::ReadCheck))->setChecked(pimpl->readFlag);

    // Layout.
    pimpl->layoutMode = property.GetThumbNailURL() ? 1 : property.GetDetailList() ? 2 : 3;
    ApplyLayout();

    // Thumbnail or the failure text, then the detail lines.
    if (pimpl->thumbnailFailed) {
        ShowThumbnailFailure();
        pimpl->thumbnailFailed = false;
    } else if (property.GetThumbNailURL()) {
        PlaceThumbnail();
    }
    if (const auto& details = property.GetDetailList()) {
        auto* list = static_cast<QListWidget*>(Control(C::DetailList));
        list->clear();
        for (const auto& line : DetailLines(*details)) list->addItem(Q(line));
    }
}

void EventDlg::ApplyLayout()
{
    const auto& property = pimpl->snapshot->GetProperty();
    auto hide = [this](std::initializer_list<int> ids) {
        for (int id : ids) Control(id)->hide();
    };
    auto disable = [this](std::initializer_list<int> ids) {
        for (int id : ids) Control(id)->setEnabled(false);
    };

    const std::wstring notify = Or(property.GetNotify(), L"-1");
    if (notify == L"-1") hide({C::Notice, C::NoticeLabel, C::NoticeContent});
    else if (notify != L"1") hide({C::NoticeLabel, C::NoticeContent});
    for (int id : StatusRow) Control(id)->hide();

    // Template measures: L the detail block's height, T from the thumbnail block's top
    // to the event frame's bottom, B from the document buttons' top to the check box's bottom.
    const auto& r = pimpl->templateRects;
    const int L = r.at(C::DetailBlock).height();
    const int frameBottom = r.at(C::EventFrame).y() + r.at(C::EventFrame).height();
    const int thumbnailTop = r.at(C::ThumbnailBlock).y();
    const int T = frameBottom - thumbnailTop;
    const int B = r.at(C::ReadCheck).y() + r.at(C::ReadCheck).height() - r.at(C::Preview).y();

    std::vector<int> moved;
    int by = 0;
    int newFrameBottom = frameBottom;
    switch (pimpl->layoutMode) {
    case 1: {
        hide({C::DetailBlock, C::DetailGroup, C::DetailList});
        disable({C::DetailList});
        const bool thumbnailHidden = pimpl->thumbnailHiddenSetting && !pimpl->thumbnailFailed;
        if (thumbnailHidden) {
            hide({C::ThumbnailBlock, C::Picture});
            moved = {C::Preview, C::Print, C::Save, C::Delete, C::ReadCheck};
            by = L + T - B;
            newFrameBottom = thumbnailTop + B - L;
        } else {
            moved = {C::ThumbnailBlock, C::Picture, C::Preview, C::Print, C::Save, C::Delete, C::ReadCheck};
            by = L;
            newFrameBottom = frameBottom - L;
        }
        break;
    }
    case 2:
        hide({C::ThumbnailBlock, C::Picture, C::Preview, C::Print, C::Save, C::Delete, C::ReadCheck});
        disable({C::Preview, C::Print, C::Save, C::Delete, C::ReadCheck});
        by = T;
        newFrameBottom = thumbnailTop;
        break;
    default:
        hide({C::ThumbnailBlock, C::Picture, C::Preview, C::Print, C::Save, C::Delete, C::ReadCheck,
              C::DetailBlock, C::DetailGroup, C::DetailList});
        disable({C::Preview, C::Print, C::Save, C::Delete, C::ReadCheck, C::DetailList});
        moved = {C::Picture, C::Preview, C::Print, C::Save, C::Delete, C::ReadCheck};
        by = L + T;
        newFrameBottom = frameBottom - L - T;
        break;
    }
    moved.insert(moved.end(), LowerGroup.begin(), LowerGroup.end());
    for (int id : moved) {
        const QRect units = r.at(id).translated(0, -by);
        Control(id)->setGeometry(MapDialogRect(units));
    }
    QRect frame = r.at(C::EventFrame);
    frame.setBottom(newFrameBottom - 1);
    Control(C::EventFrame)->setGeometry(MapDialogRect(frame));
    const QRect size = MapDialogRect(QRect(0, 0, TemplateWidth, TemplateHeight - by));
    setFixedSize(size.width(), size.height());
}

void EventDlg::PlaceThumbnail()
{
    if (!pimpl->thumbnail) return;
    const QRect frame = Control(C::ThumbnailBlock)->geometry();
    const QImage scaled = ScaleThumbnail(pimpl->thumbnail->GetBytes(), frame.size());
    if (scaled.isNull()) return;  // not a picture: nothing is shown
    auto* picture = static_cast<QLabel*>(Control(C::Picture));
    picture->setPixmap(QPixmap::fromImage(scaled));
    QRect placed(QPoint(0, 0), scaled.size());
    placed.moveCenter(frame.center());
    picture->setGeometry(placed);
}

void EventDlg::ShowThumbnailFailure()
{
    for (int id : DocumentControls) Control(id)->setEnabled(false);
    auto* picture = static_cast<QLabel*>(Control(C::Picture));
    const QString text = Q(LoadString(215));
    picture->setPixmap(QPixmap());
    picture->setFont(font());
    picture->setText(text);
    const int width = QFontMetrics(picture->font()).horizontalAdvance(text);
    QRect placed(0, 0, width, picture->height());
    placed.moveCenter(Control(C::ThumbnailBlock)->geometry().center());
    picture->setGeometry(placed);
}

void EventDlg::OnLogin()
{
    QuillhavenServer server(pimpl->snapshot->GetMFP());
    server.OpenInBrowser(pimpl->snapshot->GetUser(), 3);
}

void EventDlg::OnNotice()
{
    const auto& property = pimpl->snapshot->GetProperty();
    static const std::wstring none;
    QuillhavenServer server(pimpl->snapshot->GetMFP());
    server.OpenInBrowser(pimpl->snapshot->GetUser(), Or(property.GetDocID(), none), Or(property.GetNotifyId(), none));
}

void EventDlg::OnEventLog()
{
    // The main window shows the event log viewer as after a double click on the tray icon.
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (window->property("OsmarkNorvane4MainFrame").toBool()) {
            QMetaObject::invokeMethod(window, "OnTrayDoubleClick", Qt::QueuedConnection);
            break;
        }
    }
    pimpl->leftForLog = true;
    done(QDialog::Rejected);
}

void EventDlg::OnReadCheck() { pimpl->readFlag = !pimpl->readFlag; }

void EventDlg::OnPreview() { EventDlgActions::Preview(*this); }
void EventDlg::OnPrint() { EventDlgActions::Print(*this); }
void EventDlg::OnSave() { EventDlgActions::Save(*this); }
void EventDlg::OnDelete() { EventDlgActions::Delete(*this); }

void EventDlg::OnOK()
{
    if (pimpl->closing) return;
    pimpl->closing = true;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    EventDlgActions::EnableDisablingSet(*this, false);
    EventDlgActions::CloseWait(*this);
    QApplication::restoreOverrideCursor();
    if (pimpl->closedByTimer) {
        done(QDialog::Rejected);
        return;
    }
    pimpl->readFlag = static_cast<QCheckBox*>(Control(C::ReadCheck))->isChecked();
    done(QDialog::Accepted);
}

// Escape, the close box and a close request all end the window with OK; while a
// preview or save runs they go the way of the Close button, waiting for it to give up.
void EventDlg::reject()
{
    if (pimpl->closing || !Control(C::Close)->isEnabled()) return;
    if (pimpl->workerState == 1) {
        OnOK();
        return;
    }
    done(QDialog::Accepted);
}

void EventDlg::closeEvent(QCloseEvent* event)
{
    // While the disabling set is off, only a close request may end the window.
    event->ignore();
    reject();
}

void EventDlg::RequestClose()
{
    QMetaObject::invokeMethod(
        this,
        [this] {
            if (pimpl->workerState == 1) OnOK();
            else if (!pimpl->closing) done(QDialog::Accepted);
        },
        Qt::QueuedConnection);
}

}  // namespace UI
