// The maintenance window's save, from the menu to the report: the plan's
// questions, each in a message box, then the write, then the owner reads the
// saved file.
#include <new>

#include "editor/frm_mente.h"
#include "editor/mente_texts.h"
#include "editor/save_plan.h"
#include "forms/msgbox.h"

namespace tepo {

using namespace mente;

void frmMente::mnuSave_Click() {
  SaveOutcome outcome = dataSave(path(), *ops_);
  if (outcome) forms::report(hwnd(), kSaved + outcome.note);
}

frmMente::SaveOutcome frmMente::dataSave(const Text& strFile, FileOps& ops) {
  SaveOutcome outcome;
  SaveResult result;
  try {
    // Plan, ask, write: each question in its turn, then what the answers settled on.
    SavePlan plan(mente_, strFile, ops);
    while (const SavePlan::Question* question = plan.question()) plan.answer(ask(*question));
    if (plan.declined()) return outcome;
    result = mente_.write(strFile, ops, plan.takeSaving());
  } catch (const RuntimeError&) {
    forms::report(hwnd(), kSaveFailed);
    return outcome;
  } catch (const std::bad_alloc&) {
    forms::report(hwnd(), kSaveFailed);
    return outcome;
  }
  for (const Text& leftover : result.leftovers) outcome.note += u"\r\n" + Text(kNotRemoved) + leftover;
  if (!result) {
    // The old file is in its place unless both copies had to stay elsewhere;
    // then the user learns where they are. The main table keeps its messages.
    Text text = kSaveFailed;
    if (!result.newContentsAt.empty()) text += u"\r\n" + Text(kNewContentsAt) + result.newContentsAt;
    if (!result.oldContentsAt.empty()) text += u"\r\n" + Text(kOldContentsAt) + result.oldContentsAt;
    forms::report(hwnd(), text + outcome.note);
    return outcome;
  }
  outcome.saved = true;
  if (saved_) saved_(strFile);
  return outcome;
}

SavePlan::Answer frmMente::ask(const SavePlan::Question& question) {
  if (!question.offersUtf8)
    return forms::confirm(hwnd(), question.text) ? SavePlan::Answer::Ok : SavePlan::Answer::Cancel;
  switch (forms::askYesNoCancel(hwnd(), question.text)) {
    case forms::Answer::Yes:
      return SavePlan::Answer::Yes;
    case forms::Answer::No:
      return SavePlan::Answer::No;
    case forms::Answer::Cancel:
      break;
  }
  return SavePlan::Answer::Cancel;
}

bool frmMente::queryUnload() {
  if (!isOpen() || !mente_.modified()) return true;
  switch (forms::askYesNoCancel(hwnd(), kAskSaveEdits)) {
    case forms::Answer::Yes:
      // Through every question of a save; closes only once it is saved.
      return dataSave(path(), *ops_).saved;
    case forms::Answer::No:
      return true;
    case forms::Answer::Cancel:
      break;
  }
  return false;
}

}  // namespace tepo
