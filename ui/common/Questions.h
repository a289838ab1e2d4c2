#pragma once
// The one seam through which the editor asks the user anything: message boxes, OK/Cancel
// and Yes/No/Cancel questions, and the open and save file dialogs. The editor installs the
// real one (Qt dialogs); tests install a scripted one that records every text and returns
// prepared answers, so each flow with a question in it runs without a person.
//
// No other code shows a QMessageBox or a QFileDialog. User-interface thread only.
#include <memory>

#include <QPointer>
#include <QString>

class QDialog;
class QWidget;

// The icon and title of a box.
enum class TBoxKind { Error, Warning, Information, Question };

enum class TAnswer { Ok, Cancel, Yes, No };

// One file dialog as the window that owns it describes it.
struct TFileDialog {
    TFileDialog() = default;
    // A dialog to open a file, or with Save to save one.
    TFileDialog(const QString& Name, const QString& Title, const QString& Filter, bool Save = false)
        : Name(Name), Save(Save), Title(Title), Filter(Filter) {}

    // The dialog's designed name ("dlgOpenAnimation", "dlgSaveAnimation", ...), by which
    // scripted answers are checked.
    QString Name;
    bool Save = false;
    QString Title;
    // Qt's filter syntax: "Animated GIFs (*.GIF *.gif);;All Files (*)".
    QString Filter;
    // The folder the dialog starts in; empty for the current folder.
    QString Folder;
    // The file name offered at first, if any.
    QString FileName;
    // Added to a typed name that has none ("gif", no dot).
    QString DefaultSuffix;
    // Asks before an existing file is overwritten (save dialogs only).
    bool ConfirmOverwrite = true;
    // The chosen file must exist (open dialogs only).
    bool MustExist = true;
    // When set, receives the filter the user chose, for a dialog whose filter decides what
    // is written (a palette format); left as it is when nobody chose one.
    QString* ChosenFilter = nullptr;
};

class TQuestions {
public:
    virtual ~TQuestions() = default;

    // A box with one OK button.
    virtual void Message(TBoxKind Kind, const QString& Text) = 0;
    // A box with OK and Cancel: true when OK was chosen.
    virtual bool OkCancel(TBoxKind Kind, const QString& Text) = 0;
    // A box with Yes, No and Cancel; closing it counts as Cancel.
    virtual TAnswer YesNoCancel(TBoxKind Kind, const QString& Text) = 0;
    // The chosen file as an absolute path, or empty when the dialog was cancelled.
    virtual QString AskFile(const TFileDialog& Dialog) = 0;
};

// The questions now installed (the real Qt dialogs unless something else was installed).
TQuestions& Questions();
// Installs Replacement and returns the one it replaces.
std::unique_ptr<TQuestions> SetQuestions(std::unique_ptr<TQuestions> Replacement);

// The parent of the boxes the real questions show: the main window once it exists.
void SetQuestionsParent(QWidget* Parent);
QWidget* QuestionsParent();

// The window a question asked now belongs above: the open modal dialog, else the window a
// TQuestionsAbove names, else the active window, else the parent set above. The active
// window may be one that stays on top of the others (the import window a piece is dragged
// from), which would hide a question that belonged to the main window.
QWidget* QuestionOwner();

// While one lives, the questions asked belong above Owner, the window that caused them,
// wherever the focus goes in between (the window manager moves it when a box closes).
class TQuestionsAbove {
public:
    explicit TQuestionsAbove(QWidget* Owner);
    ~TQuestionsAbove();
    TQuestionsAbove(const TQuestionsAbove&) = delete;
    TQuestionsAbove& operator=(const TQuestionsAbove&) = delete;

private:
    QPointer<QWidget> Previous;
};

// Shows Dialog, one of the program's dialogs that ask a question of their own (the size
// question), modally above QuestionOwner() and returns its result; the dialog goes back to
// its own parent afterwards.
int ExecAboveOwner(QDialog& Dialog);

// Connects the core's reporting hook (messages and beeps of imaging/, model/ and gif/) to
// the questions: a message becomes a plain information box, a beep the system beep.
void ConnectCoreReports();
