#pragma once

// Qt's own texts (the file, print and preview dialogs, their buttons and tooltips) in
// Japanese, from Qt's catalogue built into the program: the farmer's machine needs no
// copy of Qt's translations, and a system in another language still gets Japanese.
// Once per run, after the application object exists; false when the catalogue cannot
// be read.
bool InstallQtJapanese();
