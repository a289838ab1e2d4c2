#pragma once
// Questions answered by a script: each test queues the answers it expects to give, in
// order, and afterwards reads what was asked. A question with no queued answer fails the
// test and is answered Cancel (an empty file name), so a flow never blocks.
#include <QString>
#include <QStringList>
#include <deque>

#include "ui/common/Questions.h"

class TScriptedQuestions : public TQuestions {
public:
    struct TAsked {
        // "Message", "OkCancel", "YesNoCancel" or the file dialog's name.
        QString What;
        TBoxKind Kind = TBoxKind::Information;
        QString Text;
        TFileDialog Dialog;
    };

    void Message(TBoxKind Kind, const QString& Text) override;
    bool OkCancel(TBoxKind Kind, const QString& Text) override;
    TAnswer YesNoCancel(TBoxKind Kind, const QString& Text) override;
    QString AskFile(const TFileDialog& Dialog) override;

    // Answers to come, in order: for OkCancel and YesNoCancel an answer, for a file
    // dialog a file name (empty: cancelled).
    void Answer(TAnswer Answer) { Answers.push_back({Answer, {}}); }
    void AnswerFile(const QString& FileName) { Answers.push_back({TAnswer::Ok, FileName}); }

    // Everything asked since the last Clear, oldest first.
    std::deque<TAsked> Asked;
    // The texts of the message boxes asked so far.
    QStringList Messages() const;
    // Forgets what was asked and what was left unanswered.
    void Clear();

private:
    struct TPrepared {
        TAnswer Answer;
        QString FileName;
    };
    std::deque<TPrepared> Answers;
    TPrepared Next(const QString& What, const QString& Text);
};

// Installs the scripted questions for the whole test program (main does this).
void InstallScriptedQuestions();
// The scripted questions installed; a test that uses it starts with Clear().
TScriptedQuestions& Script();
