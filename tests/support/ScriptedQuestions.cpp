#include "support/ScriptedQuestions.h"

#include <gtest/gtest.h>

namespace {
TScriptedQuestions* Installed = nullptr;
}

void TScriptedQuestions::Message(TBoxKind Kind, const QString& Text) {
    Asked.push_back({"Message", Kind, Text, {}});
}

bool TScriptedQuestions::OkCancel(TBoxKind Kind, const QString& Text) {
    Asked.push_back({"OkCancel", Kind, Text, {}});
    return Next("OkCancel", Text).Answer == TAnswer::Ok;
}

TAnswer TScriptedQuestions::YesNoCancel(TBoxKind Kind, const QString& Text) {
    Asked.push_back({"YesNoCancel", Kind, Text, {}});
    return Next("YesNoCancel", Text).Answer;
}

QString TScriptedQuestions::AskFile(const TFileDialog& Dialog) {
    Asked.push_back({Dialog.Name, TBoxKind::Question, Dialog.Title, Dialog});
    return Next(Dialog.Name, Dialog.Title).FileName;
}

QStringList TScriptedQuestions::Messages() const {
    QStringList Texts;
    for (const TAsked& Question : Asked)
        if (Question.What == "Message") Texts << Question.Text;
    return Texts;
}

void TScriptedQuestions::Clear() {
    Asked.clear();
    Answers.clear();
}

TScriptedQuestions::TPrepared TScriptedQuestions::Next(const QString& What, const QString& Text) {
    if (Answers.empty()) {
        ADD_FAILURE() << "unexpected question " << What.toStdString() << ": " << Text.toStdString();
        return {TAnswer::Cancel, {}};
    }
    const TPrepared Prepared = Answers.front();
    Answers.pop_front();
    return Prepared;
}

void InstallScriptedQuestions() {
    auto Scripted = std::make_unique<TScriptedQuestions>();
    Installed = Scripted.get();
    SetQuestions(std::move(Scripted));
}

TScriptedQuestions& Script() {
    return *Installed;
}
