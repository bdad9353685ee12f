// The program's command ids: the menu items, accelerators, speed-bar and tool-box buttons all
// issue these, and the editor's own keys post them along the same route.
#pragma once

namespace kel {

enum CommandId : int {
  CM_HELPABOUT = 2009,
  CM_HELPCONTENTS = 2020,
  CM_EXIT = 24310,
  CM_EDITUNDO = 24321,
  CM_EDITCUT = 24322,
  CM_EDITCOPY = 24323,
  CM_EDITPASTE = 24324,
  CM_EDITREDO = 24328,
  CM_FILENEW = 24331,
  CM_FILEOPEN = 24332,
  CM_FILESAVE = 24333,
  CM_FILESAVEAS = 24334,
  CM_FILEADD = 24335,
  CM_FILECLOSE = 24339,
  CM_NEWOBJECT = 25101,
  CM_DELETEOBJECT = 25102,
  CM_CLEAROBJECT = 25103,
  CM_RENAMEOBJECT = 25105,
  CM_IMAGEREAD = 25201,
  CM_SOUNDREAD = 25202,
  CM_MAKEMASK = 25203,
  CM_CONTICON = 25204,
  CM_TEST = 25205,
  CM_DELFRAME = 25206,
  CM_IMAGELISTREAD = 25207,
  CM_EDITHISTORY = 25301,
  // The problems check's window.
  CM_OBJECTCHECK = 25106,
  CM_FILEEXPORT = 24340,
  // A picture cut into frames by cell size or rows and columns.
  CM_SPRITESHEETREAD = 25208,
  CM_STAGE = 25107,
};

}  // namespace kel
