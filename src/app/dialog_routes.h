// The editor dialog's response table: which commands the dialog handles, and with what. A
// command whose handler the dialog does not have travels on to the application.
#pragma once

#include <functional>
#include <map>
#include <type_traits>

#include "app/commands.h"

namespace kel {

namespace route_detail {

// A handler that answers nothing counts as carried out.
template <typename F>
bool Call(F&& f) {
  if constexpr (std::is_void_v<decltype(f())>) {
    f();
    return true;
  } else {
    return bool(f());
  }
}

}  // namespace route_detail

// The handlers of dialog d, by command id: the edit, object and cell commands the dialog has a
// handler for. Built from the dialog's own operations, so a handler is routed to as soon as
// the dialog has it.
template <typename Dialog>
std::map<int, std::function<bool()>> DialogResponseTable(Dialog& d) {
  std::map<int, std::function<bool()>> table;
#define KEL_DIALOG_COMMAND(id, Handler)    \
  if constexpr (requires { d.Handler(); }) \
    table.emplace(id, [&d] { return route_detail::Call([&d] { return d.Handler(); }); });
  KEL_DIALOG_COMMAND(CM_EDITCUT, CmEditCut)
  KEL_DIALOG_COMMAND(CM_EDITCOPY, CmEditCopy)
  KEL_DIALOG_COMMAND(CM_EDITPASTE, CmEditPaste)
  KEL_DIALOG_COMMAND(CM_NEWOBJECT, CmNewObject)
  KEL_DIALOG_COMMAND(CM_RENAMEOBJECT, CmRenameObject)
  KEL_DIALOG_COMMAND(CM_DELETEOBJECT, CmDeleteObject)
  KEL_DIALOG_COMMAND(CM_CLEAROBJECT, CmClearObject)
  KEL_DIALOG_COMMAND(CM_IMAGEREAD, CmImageRead)
  KEL_DIALOG_COMMAND(CM_IMAGELISTREAD, CmImageListRead)
  KEL_DIALOG_COMMAND(CM_SPRITESHEETREAD, CmSpriteSheetRead)
  KEL_DIALOG_COMMAND(CM_SOUNDREAD, CmSoundRead)
  KEL_DIALOG_COMMAND(CM_MAKEMASK, CmMakeMask)
  KEL_DIALOG_COMMAND(CM_CONTICON, CmContIcon)
  KEL_DIALOG_COMMAND(CM_TEST, CmTstButton)
  KEL_DIALOG_COMMAND(CM_DELFRAME, CmDelButton)
#undef KEL_DIALOG_COMMAND
  return table;
}

}  // namespace kel
