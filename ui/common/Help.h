#pragma once
// Context help: the help file beside the program (vimbrel-help.html in AppDir), shown in a
// help window of its own that opens at a topic by its context number: 1 the contents and
// the main window, 17 the animation window, 19 New Animation, 20 Animation Properties,
// 21 the palette editor, 22 Resize Cels, 25 Import from Grid, 30 Set Disposal Method for
// All Cels. User-interface thread only.
class QString;
class QTextBrowser;

// The folder of the help file (the program's files); the folder of the program file until
// it is set.
void SetHelpFolder(const QString& AppDir);

// Shows the help topic whose context number is Context (1 is the contents).
void ShowHelp(int Context);

// The help window, once help has been shown; null before.
QTextBrowser* HelpWindow();
