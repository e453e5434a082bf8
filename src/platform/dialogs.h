// Modal message boxes, replaceable so that nothing waits on a person in tests.
#pragma once

#include <functional>
#include <string>

namespace platform {

enum TMsgDlgType { mtWarning, mtError, mtInformation, mtConfirmation, mtCustom };
enum TMsgDlgBtn : unsigned { mbYes = 1, mbNo = 2, mbOK = 4, mbCancel = 8 };
inline constexpr int mrOk = 1;

// Shows a modal box and returns when it is closed; events go on being dispatched meanwhile.
int MessageDlg(const std::string& text, TMsgDlgType type, unsigned buttons, int helpContext);

// Replaces the modal box (empty: the real box again). The handler's result is returned.
using MessageDlgHandler = std::function<int(const std::string& text, TMsgDlgType type)>;
void SetMessageDlgHandler(MessageDlgHandler handler);

}  // namespace platform
