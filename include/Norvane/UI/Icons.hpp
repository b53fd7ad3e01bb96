#pragma once
// The program's icons by resource number: 128 the application (and the tray without
// unread events), 141 the tray with unread events, 139/142/140 the list images (an
// event, read, unread), 208/209 the unread mark of the event window (unread events,
// none).

#include <QIcon>
#include <QString>

namespace UI {

namespace IconId {
constexpr int Application = 128;
constexpr int Event = 139;
constexpr int Unread = 140;
constexpr int TrayUnread = 141;
constexpr int Read = 142;
constexpr int UnreadMark = 208;
constexpr int NoUnreadMark = 209;
}  // namespace IconId

/// The icon with resource number `resourceId`; a number without an icon raises
/// SystemError (ENOENT).
QIcon Icon(int resourceId);

/// The icon's file in the program's resources, ":/icons/<number>.svg".
QString IconPath(int resourceId);

}  // namespace UI
