#include "forms/main_form.h"

namespace tepo::forms {

namespace {

MainForm* registered = nullptr;

}  // namespace

MainForm::MainForm() { registered = this; }

MainForm::~MainForm() {
  if (registered == this) registered = nullptr;
}

MainForm& mainForm() {
  if (!registered) raise(ErrorCode::Internal);
  return *registered;
}

}  // namespace tepo::forms
