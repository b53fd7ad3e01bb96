#pragma once
// Every message box of the program goes through here. The text comes from the string
// table by number; the caption is the application name.

#include <memory>
#include <string>

namespace UI {

enum class MessageIcon { Exclamation, Information };

/// What shows the boxes: the desktop's message boxes, the terminal where no screen
/// can be seen, or a test's recorder.
class MessageService {
public:
    virtual ~MessageService() = default;
    virtual void Show(const std::wstring& text, MessageIcon icon) = 0;
    /// A Yes/No question; true for Yes.
    virtual bool Ask(const std::wstring& text) = 0;
};

namespace Message {

/// An OK box with string `textId`.
void Show(unsigned int textId, MessageIcon icon = MessageIcon::Exclamation);
/// A Yes/No question with string `textId`; true for Yes.
bool Affirmation(unsigned int textId);

/// Replaces the service (tests); an empty pointer restores the default one.
void SetService(std::shared_ptr<MessageService> service);

}  // namespace Message

/// The default service: QMessageBox on a visible screen; without one (the offscreen
/// platform, or before any application object exists) each message becomes one line
/// "Norvane4: <text>" on standard error and a question takes its default answer, Yes.
std::shared_ptr<MessageService> MakeDefaultMessageService();

}  // namespace UI
