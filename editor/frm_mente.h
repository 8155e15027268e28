// frmMente: the maintenance window. It edits its own copy of the messages and
// writes it back to the message file, after which the icon draws from the saved file.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "editor/mente_table.h"
#include "editor/save_plan.h"
#include "files/file_ops.h"
#include "forms/controls.h"
#include "forms/window.h"
#include "platform/win32.h"
#include "runtime/runtime.h"

namespace tepo {

class frmMente : public forms::Window {
 public:
  // What the window tells its owner after a save: the file it wrote.
  using SavedHandler = std::function<void(const Text& strFile)>;

  // Creates the window on the message file unless it is open, owned by
  // owner and with its icons, then shows and activates it; an open window is
  // not loaded again. The file is read and written through ops; saved is
  // called after every successful save.
  void show(HWND owner, const Text& messageFile, FileOps& ops, SavedHandler saved);

  // Loads the file into the editor table; a failure is reported to the user and
  // the table keeps what was read.
  void dataRead(const Text& strFile);

  // Refills List1 with one row per slot 0 .. U - 1.
  void setList();

  // What a save did: whether it wrote the file, and the files it made and
  // could not clean away, for its report.
  struct SaveOutcome {
    bool saved = false;
    Text note;
    // As the save command asks: did it save?
    operator bool() const { return saved; }
  };

  // Writes the editor table to the file and then tells the owner, which
  // reads it again. Not saved when the user declined or the save failed
  // (the failure already reported); the file is then as it was.
  SaveOutcome dataSave(const Text& strFile, FileOps& ops);

  // Whether the window may close or load again: at once without unsaved
  // edits; with them, after the user chose to save them (and the save went
  // through) or to throw them away.
  bool queryUnload();

  const MenteTable& table() const { return mente_; }

 private:
  // Event procedures.
  void List1_Click();
  void btnAdd_Click();
  void btnUpdate_Click();
  void btnDelete_Click();
  void Command1_Click();
  void mnuOpen_Click();
  void mnuSave_Click();
  void mnuQuit_Click();

  LRESULT handleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
  void onDestroyed() override;
  UniqueMenu createMenuBar();
  bool createControls();
  void Form_Load();
  // The file the window loads and saves, as its table knows it.
  const Text& path() const { return mente_.file().path; }
  // Selects a row the way the user would, so that List1_Click runs.
  void selectRow(int row);
  // One question of a save, in a message box.
  SavePlan::Answer ask(const SavePlan::Question& question);
  // Whether the selected row can be updated or deleted; tells the user if not.
  bool checkMessageRow(int row);

  MenteTable mente_;
  // A sign-out was held up and its question is on its way.
  bool sessionEndAsked_ = false;
  FileOps* ops_ = nullptr;
  SavedHandler saved_;
  forms::ListBox List1_;
  forms::Frame Frame1_;
  forms::Button btnAdd_;
  forms::Button btnUpdate_;
  forms::Button btnDelete_;
  forms::Edit text1_;
  forms::QuitFrame Frame2_;
  UniqueFont text1Font_;
};

}  // namespace tepo
