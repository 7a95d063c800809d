// SPDX-License-Identifier: GPL-3.0-or-later
// "File" > "Make Instrument Files...": the SFZ, DecentSampler and SoundFont
// files of an instrument's folder, made from the takes in it. The chooser
// opens at the folder the window's fields name (save folder and instrument).

#include <QAction>

#include "engine/takes/sample_paths.h"
#include "session/instrument_files_after_run.h"
#include "session/run_setup.h"
#include "ui/frm_main.h"
#include "ui/user_dialogs.h"

namespace ntr::ui {

void frmMain::MakeInstrumentFiles() {
  if (!ModalAllowed()) return;
  const PlainRunSettings run = session::RunSettingsOf(CurrentSettings());
  const std::optional<std::string> folder =
      parts_.dialogs.ChooseInstrumentFolder(InstrumentPath(run.saveFolder, run.instrumentName));
  if (!folder) return;
  const session::InstrumentFilesNote note = session::WriteInstrumentFilesOf(*folder, CurrentSettings().options);
  parts_.dialogs.ShowMessage(kAppTitle, note.text + ".",
                             note.written ? MessageIcon::Information : MessageIcon::Critical);
}

}  // namespace ntr::ui
