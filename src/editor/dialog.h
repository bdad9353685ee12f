// ObKELDialog: the editor's working surface. It shows one sprite object of the application's
// object list at a time: the name drop-down, the parameter fields and the frame grid, and stores
// the fields back into the object after checking them. The document (the object list) belongs to
// the application; the dialog points into it and keeps the document's modified flag.
//
// The operations are spread over one file per concern:
//   dialog.cpp      construction, layout from the template, the empty state, event routing
//   display.cpp     showing an object in the controls and storing the controls into it
//   validation.cpp  the parameter fields: checks and the responses while they are edited
//   palette.cpp     realizing the shown object's palette
//   object_commands.cpp  switching between objects, new, rename, delete and clear
//   cell_commands.cpp    the cell commands on the grid's active cell and the grid's keys
//   clipboard.cpp        cut, copy and paste of the active cell
//   paint_tool.cpp       handing a picture to the external paint program
//   image_list_command.cpp  filling frames from an image list file
//   help.cpp             the help window and the help contents command
#pragma once

#include <QWidget>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "model/image.h"
#include "model/sprite.h"

class QCheckBox;
class QComboBox;
class QLineEdit;
class QUrl;

namespace kel {

class DisplayDevice;
class HelpWindow;
class LaunchPort;
class PromptPort;
class TSpread;
class TUpDown;
struct LogPalette;

class ObKELDialog : public QWidget {
  Q_OBJECT
 public:
  // The template's control ids.
  enum ControlId {
    IDC_BEHAVE = 101,
    IDC_BEHAVE_GROUP = 102,
    IDC_RANDOM = 105,
    IDC_POSX = 106,
    IDC_POSY = 107,
    IDC_DEPTH_UPDOWN = 108,
    IDC_SPEEDX = 109,
    IDC_SPEEDY = 110,
    IDC_START_GROUP = 112,
    IDC_OBJECT = 113,
    IDC_SPREAD = 118,
    IDC_AUTOREPEAT = 124,
    IDC_DEPTH = 125,
    IDC_SIZEX = 126,
    IDC_SIZEY = 127,
    IDC_FRAMES = 129,
  };
  static constexpr int kWidthDu = 278;
  static constexpr int kHeightDu = 178;
  static constexpr int kGridRows = 5;
  static constexpr int kGridCols = 128;
  static constexpr int kMaxDepth = 128;
  static constexpr int kMaxFrames = 128;
  // Grid rows.
  static constexpr int kRowImage = 1, kRowMask = 2, kRowSound = 3, kRowX = 4, kRowY = 5;

  // spriteList: the application's object list (not owned, outlives the dialog).
  ObKELDialog(kel::SpriteList* spriteList, PromptPort& prompt, QWidget* parent = nullptr);
  ~ObKELDialog() override;

  // --- set-up (dialog.cpp)
  void InitWindow();  // the empty state

  // --- display and storage (display.cpp)
  void GetSpriteData(int index);
  void DispSpriteData(ObSpriteData* sprite);
  int SaveSpriteData(ObSpriteData* sprite);
  bool Save();
  void AddSpriteData(std::unique_ptr<ObSpriteData> sprite);
  void MakeSpriteDataDDB();
  void ClearSpread();
  void SetBitmapToSpread();
  void SetPointToSpread(int count);
  void GetPointFromSpread(int unused = 0);
  void SetImageToCell(long col, long row, const ObImage* image);
  // The image and mask cells of column col (1 to kGridCols) show frame col - 1 of the shown
  // object as it is now: its pictures, the continue icon, or nothing.
  void ShowFrameCells(int col);

  // --- parameter fields (validation.cpp)
  static int CheckValue(const QString& text, int min, int max);
  int CheckEdit();
  void BehaveCombo();
  void RandomCheck();
  void ChangeImagePair();
  // Cuts or pads the shown object's frame list to count frames and shows it again, keeping the
  // sound name and the locations typed into the grid for the frames that remain.
  void ResizeFrames(int count);

  // --- object switch and object commands (object_commands.cpp)
  void RedrawDialogParam();
  void CmNewObject();
  void CmRenameObject();
  void CmDeleteObject();
  void CmClearObject();
  // Removes the object at index from the list and destroys it with its frames, pictures,
  // locations and sound; the dialog shows it no more (CurrentSprite null until the caller picks
  // the next one).
  void RemoveSpriteData(int index);
  // True when an object is shown; otherwise the message "オブジェクトがありません。" and false.
  bool CheckObject();

  // --- cell commands on the grid's active cell (cell_commands.cpp)
  void CmImageRead();
  // Loads the bitmap file at fileName (the file system's path) into the image (row 1) or mask
  // (other rows) slot of frame col - 1, growing the frame list to col frames. 1 on success; 0
  // when there is no object or the file is no bitmap this program takes (why in *error).
  int ReadImage(long col, long row, const char* fileName, std::string* error = nullptr);
  // Puts a picture with a DIB into the image (row 1) or mask (other rows) slot of frame col - 1
  // of the shown object (1 <= col <= kGridCols), growing the frame list to col frames: makes it
  // drawable, widens the image-size fields to it, shows it and the frame count.
  void PutImage(long col, long row, std::unique_ptr<ObBmpImage> image);
  void CmSoundRead();
  void CmContIcon();
  void CmDelButton();
  // Stores the fields and opens a preview of the object (ObTestWindow, a child window of the
  // dialog) playing its frames once; it stays open on its own.
  void CmTstButton();
  // Closes the previews whose object is no longer in the list (all of them for an empty list):
  // called wherever the list may have lost objects, before any preview can draw again.
  void ClosePreviewsOfGoneObjects();
  // Empties the picture of the active image or mask cell (the cut command's clearing step).
  void CmEditDelete();
  void CmOk();  // Enter: the dialog stays
  // The grid's key notification (Qt key, Ctrl held): the command the key stands for is posted
  // to the command route, as the menu would send it.
  void EvKeydown(int key, bool ctrl);
  // The command id a key of the grid stands for, 0 for none.
  static int GridKeyCommand(int key, bool ctrl);
  // The cell message "選択ｾﾙが違っています".
  void ShowWrongCell();
  // The active cell, when an object is shown and the cell is in rows firstRow to lastRow;
  // otherwise false after the no-object or the wrong-cell message.
  bool ActiveCellIn(int firstRow, int lastRow, int& col, int& row);

  // --- image list files (image_list_command.cpp)
  // An entry of an image list that could not be loaded: frame from 1, image or mask slot, the
  // path as the file system took it, and why.
  struct ImageListFailure {
    int frame = 0;
    bool mask = false;
    std::string path;
    std::string reason;
  };
  // What went wrong in ReadImageList: why the file is no usable list, or the entries that did
  // not load (the others did).
  struct ImageListProblems {
    std::string listError;
    std::vector<ImageListFailure> failed;
  };
  // Asks for an image list file and loads the bitmaps it names into the shown object's frames.
  void CmImageListRead();
  // Loads every bitmap the list file at path (the file system's path) names into its slot of the
  // shown object, through ReadImage; slots whose entry is missing or does not load keep what
  // they held. 1 when at least one bitmap was loaded (the active cell is then (1, 1)); 0 when
  // the file is no usable list or nothing in it could be loaded, and the object is unchanged.
  int ReadImageList(const char* path, ImageListProblems* problems = nullptr);

  // --- the document's save-changes prompt (document_prompt.cpp) and name checks (name_checks.cpp)
  // The id of the Save command, which the prompt sends along the command route.
  static constexpr int kCmFileSave = 24333;
  bool CanClose();   // AbandonOk: whether the window may close
  bool AbandonOk();  // true when the caller may discard the document
  // 0, after the message, when an object of the list already has this name (stored bytes,
  // compared case-sensitively); 1 otherwise.
  int CheckName(const std::string& name);
  int CheckRepeatedName() const;  // 0 when two objects of the list share a name; no message
  // Set by the application: sends a command along the command route, as a menu item does (the
  // dialog's own handler first, then the application's); true when it was carried out. Unset,
  // no command goes beyond the dialog.
  std::function<bool(int id)> SendCommand;
  // Set by the application: the document's file name, shown in the save-changes prompt.
  std::function<QString()> DocumentName;

  // --- palette (palette.cpp)
  bool SelectRealizePalette();
  // active: 0 inactive, 1 active, 2 click-active.
  void EvActivate(unsigned active, bool minimized, QWidget* other);
  bool EvQueryNewPalette();
  bool UpdatePalette(const LogPalette* palette, bool forceRepaint);
  // The palette the dialog last realized in the foreground (null before any).
  const LogPalette* RealizedPalette() const { return foreground_.get(); }

  // --- masks (mask_command.cpp)
  // The active column's frame gets the mask of its image as its new mask.
  void CmMakeMask();
  // The mask of an image (black is background): a new picture, or null when the image has no
  // DIB or no mask can be made of it.
  std::unique_ptr<ObBmpImage> MakeBmpMask(const ObImage* image);

  // --- clipboard (clipboard.cpp): cut, copy and paste on the grid's active cell. Pictures of
  // the image and mask rows travel as bitmaps, the numbers of the location rows as text.
  void CmEditCut();
  void CmEditCopy();
  void CmEditPaste();
  // Copy's work: true when the active cell went onto the clipboard (cut empties it only then).
  bool CopyActiveCell();

  // --- the external paint program (paint_tool.cpp)
  // The grid's double-click on a data cell: the picture of an image or mask cell is written as
  // a bitmap file under the next numbered name ("pebbl000.bmp" …) in PaintFolder(), and the
  // paint program is started on it. The object does not change; the user reads the edited file
  // back with the image-read command. 1 when a program was started, 0 otherwise.
  long EvDblClick(int col, int row);
  // Where those files go: the folder of the file last chosen in a file dialog, else the folder
  // of the open document, else the home folder.
  QString PaintFolder() const;
  // The number of the next such file, one counter for the whole program run (0 to 998).
  static inline int32_t PaintFileCounter = 0;
  // Starts the paint program; a QtLaunchPort when left null (tests put a scripted one here).
  std::shared_ptr<LaunchPort> Launcher;

  // --- help (help.cpp)
  // Shows the program's help at its contents page in the help window, which the dialog owns: made
  // on first use, afterwards brought to the front and turned back to the contents. true when the
  // contents were shown.
  bool CmHelpCont();
  // Shows a help page ("qrc:/help/…") in the same window; false, after the help's message, when
  // the program holds no such page.
  bool ShowHelp(const QUrl& page);
  // The help window, or null before the first help command.
  HelpWindow* Help() const;

  // The display the dialog draws on: pictures get their display bitmaps made for it.
  DisplayDevice& DC() { return *dc_; }
  PromptPort& Prompt() { return prompt_; }

  // Message box of the dialog's errors: caption "エラー", information icon, OK.
  void ShowError(const QString& text);

  QSize sizeHint() const override;

  // Controls (owned by the dialog as their Qt parent).
  QComboBox* ObjectCombo = nullptr;
  QComboBox* BehaveTypeCombo = nullptr;
  QCheckBox* RandomCheckBox = nullptr;
  TUpDown* DepthUpDown = nullptr;
  QLineEdit* DepthEdit = nullptr;
  QLineEdit* PosXEdit = nullptr;
  QLineEdit* PosYEdit = nullptr;
  QLineEdit* SpeedXEdit = nullptr;
  QLineEdit* SpeedYEdit = nullptr;
  QLineEdit* SizeXEdit = nullptr;
  QLineEdit* SizeYEdit = nullptr;
  QLineEdit* FramesEdit = nullptr;
  QCheckBox* AutoRepeatCheckBox = nullptr;
  TSpread* Spread = nullptr;
  std::unique_ptr<ObBmpImage> ContIconImage;  // the picture shown for a continue frame

  kel::SpriteList* SpriteList = nullptr;  // the application's object list, not owned
  ObSpriteData* CurrentSprite = nullptr;  // the object shown, an element of the list or null
  int32_t CurrentIndex = 0;               // its index in the list
  int32_t Modified = 0;                   // the document's modified flag, 0 or 1

 signals:
  // The dialog realized its palette on activation: other windows showing pictures should
  // realize theirs again. changer is the dialog.
  void PaletteChanged(QWidget* changer);

 protected:
  bool event(QEvent* e) override;
  bool eventFilter(QObject* watched, QEvent* e) override;

 private:
  void CreateControls();
  void LoadContIcon();
  void FillObjectCombo();
  // The drop-down lists the objects' names again, with the shown one (CurrentIndex) selected.
  void ShowObjectNames();
  void EnableRandomFor(int behave);
  void WriteField(QLineEdit* edit, long long value);
  // Green background for the columns of the object's first count frames, rows 1 to 5.
  void MarkFrameColumns(int count);

  PromptPort& prompt_;
  std::unique_ptr<DisplayDevice> dc_;
  std::shared_ptr<const LogPalette> foreground_;
  QSize sizePx_;
};

}  // namespace kel
