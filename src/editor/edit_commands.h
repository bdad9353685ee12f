// EditCommands: the edit, object and cell commands of the editor. Each acts on the document's
// current object and the form's active cell, asks what it needs through the prompt port and
// makes its change as one undo step of the document; the form shows the result from the
// document's signals.
//
// One file per family:
//   object_commands.cpp     new, rename, delete and clear an object; the name checks
//   cell_commands.cpp       reading a bitmap or a wave into a cell, continue frames, deleting a
//                           frame, the preview, the grid's keys
//   clipboard.cpp           cut, copy and paste of the active cell
//   mask_command.cpp        a frame's mask made from its image
//   image_list_command.cpp  filling frames from an image list file
//   paint_tool.cpp          handing a picture to the external paint program
#pragma once

#include <QObject>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "document/document.h"
#include "model/image.h"
#include "platform/picture_import.h"

class QImage;
class QUndoCommand;

namespace kel {

class EditStep;
class LaunchPort;
class ObKELDialog;
class PromptPort;
struct SheetSplit;

class EditCommands : public QObject {
  Q_OBJECT
 public:
  static constexpr int kGridCols = 128;
  static constexpr int kMaxFrames = 128;

  // form: the dialog showing doc; both outlive the commands.
  EditCommands(Document& doc, ObKELDialog& form, PromptPort& prompt, QObject* parent = nullptr);
  ~EditCommands() override;

  // True when an object is shown; otherwise the message "オブジェクトがありません。" and false.
  bool CheckObject();

  // --- object commands (object_commands.cpp)
  void CmNewObject();
  void CmRenameObject();
  void CmDeleteObject();
  void CmClearObject();
  // 0, after the message, when an object of the list already has this name (stored bytes,
  // compared case-sensitively); 1 otherwise.
  int CheckName(const std::string& name);
  int CheckRepeatedName() const;  // 0 when two objects of the list share a name; no message

  // --- cell commands on the grid's active cell (cell_commands.cpp)
  void CmImageRead();
  // Loads the picture file at fileName (the file system's path) into the image (row 1) or mask
  // (other rows) slot of frame col - 1 as one step, growing the frame list to col frames (into
  // group instead when one is given): a bitmap as it is stored, any other picture converted,
  // with its mask when it can be transparent; an animation fills one frame after another up to
  // the last column (how many frames did not fit goes to *dropped). The number of frames filled;
  // 0 when there is no object or the file cannot be read (why in *error), and nothing changed.
  int ReadImage(long col, long row, const char* fileName, std::string* error = nullptr,
                EditStep* group = nullptr, int* dropped = nullptr);
  // Puts pictures read from files into frames col - 1 and after, as ReadImage does.
  void PutPictures(long col, long row, const std::vector<PictureDibs>& frames, const QString& text,
                   EditStep* group = nullptr);
  // The step that reads pictures into the image row (row 1) or the mask row (other rows).
  static QString PictureReadText(long row);
  // The message that an animation or a sheet had more frames than the grid has columns left.
  void ShowFramesDropped(int dropped);
  // Puts a picture with a DIB into the image (row 1) or mask (other rows) slot of frame col - 1
  // of the shown object (1 <= col <= kGridCols), growing the frame list to col frames and the
  // image size to the picture: as one step named text, or into group.
  void PutImage(long col, long row, std::unique_ptr<ObBmpImage> image, const QString& text,
                EditStep* group = nullptr);
  void CmSoundRead();
  // The sound command once its file is chosen: the wave file at path into the sound of frame
  // col; false, after the message, when it cannot be used.
  bool SoundRead(int col, const QString& path);
  void CmContIcon();
  void CmDelButton();
  // Opens a preview of the object (ObTestWindow, a window of the form's) playing its frames
  // once; it stays open on its own, and closes when its object leaves the document.
  void CmTstButton();
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
  struct ImageListFailure {
    int frame = 0;
    bool mask = false;
    std::string path;
    std::string reason;
  };
  struct ImageListProblems {
    std::string listError;
    std::vector<ImageListFailure> failed;
  };
  void CmImageListRead();
  // The image list command once its file is chosen: reads it and reports what failed.
  void ImageListRead(const QString& path);
  // Loads every bitmap the list file at path names into its slot of the shown object, as one
  // step; slots whose entry is missing or does not load keep what they held. 1 when at least
  // one bitmap was loaded (the active cell is then (1, 1)); 0 when the file is no usable list
  // or nothing in it could be loaded, and the object is unchanged.
  int ReadImageList(const char* path, ImageListProblems* problems = nullptr);

  // --- sprite sheets (sprite_sheet_command.cpp)
  void CmSpriteSheetRead();
  // Cuts picture by split and fills frames col - 1 and after with the cells in reading order, as
  // one step (cells past the last column are counted in *dropped). The number of frames filled;
  // 0, with *error, when no cell fits or one cannot be stored, and nothing changed.
  int ReadSpriteSheet(long col, long row, const QImage& picture, const SheetSplit& split,
                      std::string* error = nullptr, int* dropped = nullptr);

  // --- drops of files on the window (drop_commands.cpp)
  // What a drop of these files at grid cell (col, row) would do (row 0 or col 0: not on a data
  // cell; col -1: outside the grid): picture files on an image or mask cell, one wave file on
  // the sound row, one image list anywhere on the grid.
  enum class DropKind { None, Pictures, Sound, ImageList };
  static DropKind DropKindOf(const QStringList& paths, int col, int row);
  // Carries the drop out; false when it changed nothing (a refusal has shown its message).
  bool DropFiles(const QStringList& paths, int col, int row);

  // --- masks (mask_command.cpp)
  void CmMakeMask();
  // The mask of an image (black is background): a new picture, or null when the image has no
  // DIB or no mask can be made of it.
  std::unique_ptr<ObBmpImage> MakeBmpMask(const ObImage* image);

  // --- clipboard (clipboard.cpp)
  void CmEditCut();
  void CmEditCopy();
  void CmEditPaste();
  // Copy's work: true when the active cell went onto the clipboard (cut empties it only then).
  bool CopyActiveCell();

  // --- the external paint program (paint_tool.cpp)
  long EvDblClick(int col, int row);
  QString PaintFolder() const;
  static inline int32_t PaintFileCounter = 0;
  std::shared_ptr<LaunchPort> Launcher;

  // Set by the application: sends a command along the command route, as a menu item does.
  std::function<bool(int id)> SendCommand;

  ObKELDialog& Form() const { return form_; }

 private:
  ObSpriteData* Current() const { return doc_.Current(); }
  void ShowError(const QString& text);
  // Into step: value goes into the Mask (mask true) or Image slot of frame, which exists. A
  // continue frame holds the marker in both slots; once one slot gets something else, the frame
  // no longer continues and the other slot is emptied.
  void FillSlot(EditStep* step, int frame, bool mask, FrameSlot value);

  Document& doc_;
  ObKELDialog& form_;
  PromptPort& prompt_;
};

}  // namespace kel
