#pragma once
// The event details window: one logged event with its machine, user, name, related
// information, time, thumbnail or detail list and notice text, and the document
// actions on the machine (preview, print, save, delete). The popup derives from it.
//
// The window belongs to the GUI thread. LoadThumbnail may run on another thread
// before the window is shown; RequestClose may be called from any thread.

#include "MonitoredEntry/BasicID.hpp"
#include "Monitoring/Popup.hpp"

#include <QDialog>

#include <memory>
#include <optional>
#include <string>

class QWidget;

namespace QH {
class MemoryImage;
}

namespace UI {

/// The control numbers of the window (also their objectName).
namespace EventControl {
inline constexpr int Close = 1;
inline constexpr int Preview = 1067;
inline constexpr int MachineLabel = 1068;
inline constexpr int UserLabel = 1069;
inline constexpr int EventLabel = 1070;
inline constexpr int InfoLabel = 1071;
inline constexpr int TimeLabel = 1072;
inline constexpr int Machine = 1073;
inline constexpr int User = 1074;
inline constexpr int Event = 1075;
inline constexpr int Info = 1076;
inline constexpr int Time = 1077;
inline constexpr int Print = 1078;
inline constexpr int Save = 1079;
inline constexpr int Picture = 1080;
inline constexpr int DetailGroup = 1081;
inline constexpr int ThumbnailBlock = 1114;
inline constexpr int CountLabel = 1124;
inline constexpr int UnreadIcon = 1125;
inline constexpr int UnreadCount = 1126;
inline constexpr int Login = 1127;
inline constexpr int EventLog = 1128;
inline constexpr int EventFrame = 1129;
inline constexpr int Delete = 1130;
inline constexpr int ReadCheck = 1131;
inline constexpr int StatusPicture = 1132;
inline constexpr int DetailList = 1138;
inline constexpr int DetailBlock = 1139;
inline constexpr int NoticeLabel = 1160;
inline constexpr int Notice = 1161;
inline constexpr int NoticeContent = 1162;
inline constexpr int StatusValue = 1163;
inline constexpr int StatusFrame = 1164;
inline constexpr int StatusLabel = 1165;
}  // namespace EventControl

/// The Save As dialog of a save; tests put in one that answers by itself.
class SaveAsChooser {
public:
    virtual ~SaveAsChooser() = default;
    /// Runs on the GUI thread. `filter` is the file-type filter ("PDF (*.pdf)"), `suffix`
    /// the default extension with its dot. Empty when the person cancelled.
    virtual std::optional<std::wstring> Choose(QWidget* owner, const std::wstring& filter,
                                               const std::wstring& suffix) = 0;
};

namespace SaveAs {
/// Replaces the chooser; an empty pointer restores the desktop's file dialog.
void SetChooser(std::shared_ptr<SaveAsChooser> chooser);
std::shared_ptr<SaveAsChooser> CurrentChooser();
/// The filter shown for a document with this extension.
std::wstring FilterFor(const std::wstring& extension);
}  // namespace SaveAs

class EventDlg : public QDialog {
    Q_OBJECT
public:
    /// The snapshot: a copy of the logged event and of its entry's machine and user.
    explicit EventDlg(std::shared_ptr<const MachineEvent::Event> snapshot, QWidget* parent = nullptr);
    /// Cancels a document the machine is still preparing and waits for the worker.
    ~EventDlg() override;

    void SetEntryManager(MonitoredEntry::EntryManager* manager);
    void SetEntryID(const ID& id);
    void SetEventID(const ID& id);
    const ID& GetEntryID() const;
    const ID& GetEventID() const;
    const MachineEvent::Event& GetSnapshot() const;

    /// The thumbnail of an event as fetched from its machine.
    struct Thumbnail {
        std::shared_ptr<QH::MemoryImage> image;
        bool failed = false;  // the machine could not be reached or refused
    };
    /// Fetches the event's thumbnail on the calling thread (nothing without a thumbnail
    /// address). A transport failure gives `failed`; other failures reach the caller.
    static Thumbnail FetchThumbnail(const MachineEvent::Event& snapshot);
    /// Before the window shows: the thumbnail it shows (or the failure text).
    void SetThumbnail(Thumbnail thumbnail);
    /// FetchThumbnail and SetThumbnail, with the wait cursor on the GUI thread.
    void LoadThumbnail();

    /// The person left through the event-log button (the window ended with Cancel).
    bool IsLeftForLog() const;
    /// The erase timer closed the window.
    bool IsClosedByTimer() const;
    /// 1 thumbnail, 2 detail list, 3 neither; 0 before the window was initialised.
    int LayoutMode() const;
    /// The entry's erase time in ms (0: the popup stays).
    int EraseTime() const;
    /// The read flag: sent as the document option with every preview, print and save.
    bool ReadFlag() const;

    /// The control with this number, or null.
    QWidget* Control(int id) const;

    /// Dialog units of the window's font to pixels.
    QRect MapDialogRect(const QRect& units) const;

    /// Closes the window as the title bar's close box would, from any thread; a running
    /// download is cancelled first.
    void RequestClose();

    void setVisible(bool visible) override;
    void reject() override;

signals:
    /// A preview or save ended (the window is usable again); mostly for tests.
    void DocumentActionFinished();

protected:
    /// Texts, header, layout and thumbnail; runs once, right before the window shows.
    virtual void OnInitDialog();
    /// The Close button: waits for a running download to give up, then ends the window.
    void OnOK();
    void closeEvent(QCloseEvent* event) override;
    void SetClosedByTimer();

private:
    void ApplyLayout();
    void PlaceThumbnail();
    void ShowThumbnailFailure();
    void OnPreview();
    void OnPrint();
    void OnSave();
    void OnDelete();
    void OnLogin();
    void OnNotice();
    void OnEventLog();
    void OnReadCheck();

    friend class EventDlgActions;

public:
    struct Pimpl;

private:
    std::shared_ptr<Pimpl> pimpl;
};

}  // namespace UI
