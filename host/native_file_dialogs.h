// The plug-in's own file dialogs, answered by the host. On Windows the
// plug-in shows the common dialogs (comdlg32's GetOpenFileNameA and
// GetSaveFileNameA) instead of asking the host; the reference host, which
// has nobody to click them, points the plug-in's imports of the two at
// functions that ask the application (korvo_interface::ask_file_path) with
// the dialog's starting path and the types of its filter, and fill in the
// dialog's answer as the common dialog would. The plug-in's own code
// around the dialog runs as it does in Korvo. Elsewhere these do nothing.
#pragma once

class korvo_interface;

namespace host {

// Makes the common file dialogs of the loaded library `module` (null: the
// program's own) ask `host` until stop_answering_file_dialogs(host). One host is answered for at a
// time in a process (the common dialogs have no context to tell them
// apart): the last one given.
void answer_file_dialogs(void* module, korvo_interface& host);
void stop_answering_file_dialogs(korvo_interface& host);

}  // namespace host
