#include "Norvane/UI/PopupEventDlg.hpp"

#include "System/SystemError.hpp"

#include <QEvent>
#include <QGuiApplication>
#include <QScreen>

#include <atomic>
#include <cerrno>

namespace UI {

namespace {
// The erase time of the popup being shown; only one exists at a time.
std::atomic<int> currentEraseTime{0};

bool TouchedByMouse(QEvent::Type type)
{
    switch (type) {
    case QEvent::MouseMove:
    case QEvent::NonClientAreaMouseMove:
    case QEvent::HoverMove:
    case QEvent::Enter:
        return true;
    default:
        return false;
    }
}

// Bottom-right corner of the work area (the screen without the panels).
void MoveToCorner(QWidget& window)
{
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect work = screen->availableGeometry();
        const QSize frame = window.frameGeometry().size();
        window.move(work.right() + 1 - frame.width(), work.bottom() + 1 - frame.height());
    }
}
}  // namespace

PopupEventDlg::PopupEventDlg(std::shared_ptr<const MachineEvent::Event> snapshot, QWidget* parent)
    : EventDlg(std::move(snapshot), parent)
{
    setWindowFlag(Qt::WindowStaysOnTopHint, true);
    setMouseTracking(true);
    for (QWidget* child : findChildren<QWidget*>()) {
        child->setMouseTracking(true);
        child->installEventFilter(this);
    }
}

PopupEventDlg::~PopupEventDlg() = default;

int PopupEventDlg::CurrentEraseTime() { return currentEraseTime; }

bool PopupEventDlg::TimerActive() const { return eraseTimer_ && eraseTimer_->isActive(); }

void PopupEventDlg::OnInitDialog()
{
    EventDlg::OnInitDialog();
    MoveToCorner(*this);
    currentEraseTime = EraseTime();
    StartTimer();
}

void PopupEventDlg::StartTimer()
{
    if (EraseTime() == 0) return;
    if (!eraseTimer_) {
        eraseTimer_ = new QTimer(this);
        eraseTimer_->setObjectName(QStringLiteral("eraseTimer"));
        eraseTimer_->setSingleShot(true);
        connect(eraseTimer_, &QTimer::timeout, this, &PopupEventDlg::OnEraseTimer);
    }
    eraseTimer_->start(EraseTime());
    if (!eraseTimer_->isActive()) OSTREL_THROW(SystemError(EAGAIN));
}

void PopupEventDlg::StopTimer()
{
    if (currentEraseTime != 0 && eraseTimer_) eraseTimer_->stop();
}

void PopupEventDlg::OnEraseTimer()
{
    SetClosedByTimer();
    OnOK();
}

bool PopupEventDlg::eventFilter(QObject* watched, QEvent* event)
{
    if (TouchedByMouse(event->type())) StopTimer();
    return EventDlg::eventFilter(watched, event);
}

bool PopupEventDlg::event(QEvent* event)
{
    if (TouchedByMouse(event->type())) StopTimer();
    // The frame is known once the window is on the screen: keep the corner exact.
    if (event->type() == QEvent::Show) MoveToCorner(*this);
    return EventDlg::event(event);
}

}  // namespace UI
